// A record browser on the headless platform for window tests: a host that says whether a
// record is loaded and where records and exports live, a fixed clock, and records of any
// model built from synthetic images.
#pragma once

#include <QApplication>
#include <QDir>
#include <QScrollBar>
#include <QString>
#include <QTableWidget>
#include <cstdint>
#include <ctime>
#include <memory>

#include <gtest/gtest.h>

#include "core/records/record_fixtures.h"
#include "core/records/record_set.h"
#include "core/records/sample_decoding.h"
#include "gui/browser/data_view.h"
#include "gui/browser/statistics_panel.h"

namespace qx::test {

// "Now" of every browser test: 2017-05-20 10:00:00 local time.
inline int64_t TestNow() {
    return LocalTime(2017, 5, 20, 10);
}

struct BrowserHost final : CDataView::Host {
    bool loaded = true;
    QString recordPath = QStringLiteral("/records/现场A.QXRec");
    QString dataFolder = QDir::tempPath();
    bool RecordLoaded() const override { return loaded; }
    QString RecordPath() const override { return recordPath; }
    QString DataFolder() const override { return dataFolder; }
};

// The statistics panel shows the first series' figures and limits whole, with their row
// titles, without scrolling.
inline void ExpectFirstSeriesWhole(StatisticsPanel& panel) {
    QApplication::processEvents();
    for (QTableWidget* list : {panel.FigureList(), panel.LimitList()}) {
        ASSERT_GT(list->columnCount(), 0);
        const int last = list->rowCount() - 1;
        EXPECT_EQ(list->horizontalScrollBar()->value(), 0);
        EXPECT_LE(list->columnViewportPosition(0) + list->columnWidth(0),
                  list->viewport()->width());
        EXPECT_LE(list->rowViewportPosition(last) + list->rowHeight(last),
                  list->viewport()->height());
    }
}

class DataViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        view.SetClock([] { return TestNow(); });
        view.resize(1000, 640);
        view.FirstShow(0);
        view.show();
        QApplication::processEvents();
    }

    // A record of a model: count samples, one every intervalSeconds, the last one at end.
    void Load(InstrumentTypeId type, uint32_t count, int64_t end = TestNow(),
              uint32_t intervalSeconds = 3600) {
        const uint32_t start = static_cast<uint32_t>(
            end - static_cast<int64_t>(count > 0 ? count - 1 : 0) * intervalSeconds);
        RecordImage image = MakeRecordImage(type, count, start, intervalSeconds);
        LoadImage(image, type);
    }

    void LoadImage(const RecordImage& image, InstrumentTypeId type) {
        DecodeRecord(image, *set, type);
        view.LoadRecord(set.get());
        QApplication::processEvents();
    }

    BrowserHost host;
    std::unique_ptr<RecordSet> set = std::make_unique<RecordSet>();
    CDataView view{host};
};

}  // namespace qx::test

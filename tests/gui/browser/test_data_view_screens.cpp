// Pictures of the record browser for models 1, 6, 7, 8 and 11 in its four arrangements,
// saved under $QX_SCREENSHOT_DIR for a person to look at; the test checks that every picture
// was made and shows the chart's black plot where the chart is shown.
#include <QCheckBox>
#include <QRadioButton>

#include "data_view_fixture.h"
#include "gui/browser/channel_legend.h"
#include "gui/chart/trend_wave.h"
#include "gui/common/screenshot_util.h"

namespace qx {
namespace {

using test::DataViewTest;

struct Arrangement {
    const char* name;
    int arrangement;
    bool lists;
    bool chart;
};

constexpr Arrangement kArrangements[] = {
    {"horizontal", 0, true, true},
    {"vertical", 1, true, true},
    {"chart", 0, false, true},
    {"lists", 0, true, false},
};

class ScreenTest : public DataViewTest {
  protected:
    void Arrange(const Arrangement& a) {
        view.ArrangementRadio(a.arrangement)->click();
        if (view.ShowListsBox()->isChecked() != a.lists) view.ShowListsBox()->click();
        if (view.ShowChartBox()->isChecked() != a.chart) view.ShowChartBox()->click();
    }
};

TEST_F(ScreenTest, ModelsInEveryArrangement) {
    view.resize(1180, 720);
    for (InstrumentTypeId type : {1, 6, 7, 8, 11}) {
        Load(type, 180, test::TestNow(), 600);
        // Every series of the model ticked, so the derived ones show as well.
        for (int k = 1; k < 8; ++k) {
            QCheckBox* box = view.Legend()->Box(k);
            if (box->isVisibleTo(&view) && !box->isChecked()) box->click();
        }
        for (const Arrangement& a : kArrangements) {
            SCOPED_TRACE(std::string(a.name) + " " + std::to_string(type));
            Arrange(a);
            const QString path = test::SaveScreenshot(view, QStringLiteral("browser_model%1_%2.png")
                                                                .arg(type, 2, 10, QLatin1Char('0'))
                                                                .arg(QString::fromUtf8(a.name)));
            if (path.isEmpty()) continue;  // no screenshot folder
            const QImage image(path);
            ASSERT_FALSE(image.isNull());
            EXPECT_EQ(image.size(), view.size() * view.devicePixelRatio());
            if (a.chart) {
                const TrendState& c = view.Chart()->State();
                const QPoint inPlot =
                    view.Chart()->geometry().topLeft() + QPoint(c.plot.left + 3, c.plot.top + 3);
                EXPECT_EQ(QColor(image.pixel(inPlot)).rgb() & 0xFFFFFF, 0u);
            }
        }
        Arrange(kArrangements[0]);
    }
}

}  // namespace
}  // namespace qx

// The record browser: record load per model, the channel check boxes and legend, the layout
// of the four arrangements, the chart it fills, zoom, node marks, the coupling between list
// and chart, copy graph and the commands' enable rule.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include "gui/common/my_list_ctrl.h"

#include "core/records/derived_series.h"
#include "core/records/record_legend.h"
#include "core/records/trend_ranges.h"
#include "data_view_fixture.h"
#include "gui/browser/channel_legend.h"
#include "gui/browser/query_panel.h"
#include "gui/chart/trend_axes.h"
#include "gui/chart/trend_wave.h"
#include "gui/common/qt_text.h"

namespace qx {
namespace {

using test::DataViewTest;
using test::TestNow;

QStringList HeaderTitles(const QTableView& list) {
    QStringList titles;
    const QAbstractItemModel* model = list.model();
    for (int c = 0; c < model->columnCount(); ++c) {
        titles << model->headerData(c, Qt::Horizontal).toString();
    }
    return titles;
}

QString Cell(const QTableView& list, int row, int column) {
    return list.model()->index(row, column).data().toString();
}

TEST_F(DataViewTest, RecordLoadOfEveryModel) {
    for (InstrumentTypeId type = 1; type <= kModelCount; ++type) {
        SCOPED_TRACE(type);
        Load(type, 40);
        const std::span<const int> series = SeriesList(type);
        const int n = static_cast<int>(series.size());

        // Columns: record number, time and one per series, titled with name and unit.
        const QStringList titles = HeaderTitles(*view.SampleList());
        ASSERT_EQ(titles.size(), 2 + n);
        EXPECT_EQ(titles[0], "记录");
        EXPECT_EQ(titles[1], "时间");
        const RecordUnits units = RecordUnitsOf(set->Params().UnitByte(), type);
        for (int k = 0; k < n; ++k) {
            EXPECT_EQ(titles[2 + k], ToQString(SeriesTitle(series[static_cast<size_t>(k)], units)));
        }
        EXPECT_EQ(view.SampleList()->model()->rowCount(), 40);
        EXPECT_EQ(Cell(*view.SampleList(), 39, 0), "40");
        EXPECT_EQ(Cell(*view.SampleList(), 39, 1), "17-05-20 10:00:00");

        // Legend rows and the check boxes of the type's series.
        EXPECT_EQ(view.Legend()->Entries(), LegendEntries(type));
        EXPECT_EQ(view.Legend()->height(), LegendRowCount(type) * view.Legend()->RowPitch() + 4);
        for (int k = 0; k < ChannelLegend::kBoxCount; ++k) {
            EXPECT_EQ(view.Legend()->Box(k)->isVisible(), k < n) << k;
        }

        // Parameter list, chart and status line.
        EXPECT_GT(view.ParamList()->rowCount(), 5);
        EXPECT_EQ(view.ParamList()->item(0, 0)->text(), "仪器地址");
        EXPECT_EQ(view.Chart()->State().pointCount, 40);
        EXPECT_EQ(view.windowTitle(),
                  "编号:QX0001 测量名:测试点  总记录数:40  查询条件:所有 记录数:40");
        EXPECT_TRUE(view.Query().QueryButton()->isEnabled());
        EXPECT_TRUE(view.TimeZoomList()->isEnabled());
    }
}

TEST_F(DataViewTest, FlowMeterColumnsAndLegend) {
    Load(6, 10);
    const QStringList titles = HeaderTitles(*view.SampleList());
    EXPECT_EQ(titles[4], "空气密度(kg/m3)");
    EXPECT_EQ(view.SampleList()->columnWidth(4), 120);
    EXPECT_EQ(view.SampleList()->columnWidth(1), 145);
    EXPECT_EQ(view.Legend()->Texts().size(), 11u);
    EXPECT_EQ(view.Legend()->Texts()[2], "空气密度");
    EXPECT_EQ(view.Legend()->height(), 11 * view.Legend()->RowPitch() + 4);
}

TEST_F(DataViewTest, LegendRowsAreDrawnBesideTheBoxes) {
    Load(8, 10);
    ChannelLegend& legend = *view.Legend();
    const QImage image = legend.grab().toImage();
    const int pitch = legend.RowPitch();
    const int top = legend.Box(0)->geometry().top();
    const int x = legend.width() - 8;  // right of the line samples
    // Nine rows alternating between two greys, nothing drawn below them.
    for (int row = 0; row < 9; ++row) {
        const QColor expected = row % 2 == 0 ? QColor(220, 220, 220) : QColor(200, 200, 200);
        EXPECT_EQ(image.pixelColor(x, top + row * pitch + 2), expected) << row;
    }
    EXPECT_EQ(legend.height(), 9 * pitch + 4);
    // Each row's line in its entry's colour: CO2 (row 3) solid red, its alarm (row 8) dashed.
    const auto lineColours = [&](int row) {
        QSet<QRgb> colours;
        const int y = top + row * pitch + pitch / 2;
        for (int px = legend.width() / 2; px < legend.width() - 8; ++px)
            colours << (image.pixel(px, y) & 0xFFFFFF);
        return colours;
    };
    EXPECT_TRUE(lineColours(3).contains(qRgb(220, 0, 0) & 0xFFFFFF));
    const QSet<QRgb> alarm = lineColours(8);
    EXPECT_TRUE(alarm.contains(qRgb(220, 120, 100) & 0xFFFFFF));
    EXPECT_TRUE(alarm.contains(qRgb(220, 220, 220) & 0xFFFFFF));  // the gaps of the dashes
}

TEST_F(DataViewTest, RecordWithoutSamples) {
    Load(1, 0);
    EXPECT_EQ(HeaderTitles(*view.SampleList()).size(), 5);
    EXPECT_EQ(view.SampleList()->model()->rowCount(), 0);
    EXPECT_GT(view.ParamList()->rowCount(), 0);
    EXPECT_EQ(view.Chart()->State().pointCount, 0);
    EXPECT_FALSE(view.Query().QueryButton()->isEnabled());
    EXPECT_FALSE(view.TimeZoomList()->isEnabled());
    EXPECT_FALSE(view.NodeMarkBox()->isEnabled());
    EXPECT_TRUE(view.windowTitle().endsWith("总记录数:0  查询条件:所有 记录数:0"));
}

TEST_F(DataViewTest, StatusLineIsTheWindowTitle) {
    QSignalSpy spy(&view, &QWidget::windowTitleChanged);
    Load(4, 12);
    ASSERT_GE(spy.count(), 1);
    EXPECT_EQ(spy.last().at(0).toString(), view.windowTitle());
}

TEST_F(DataViewTest, LastVisibleChannelCannotBeSwitchedOff) {
    Load(1, 20);
    ChannelLegend& legend = *view.Legend();
    ASSERT_TRUE(legend.Box(0)->isChecked());
    legend.Box(0)->click();  // the only ticked box
    EXPECT_TRUE(legend.Box(0)->isChecked());
    EXPECT_TRUE(view.Chart()->State().series[0].visible);

    legend.Box(1)->click();
    legend.Box(0)->click();
    EXPECT_FALSE(legend.Box(0)->isChecked());
    EXPECT_FALSE(view.Chart()->State().series[0].visible);
    EXPECT_TRUE(view.Chart()->State().series[1].visible);
    legend.Box(1)->click();  // now the last one
    EXPECT_TRUE(legend.Box(1)->isChecked());
}

TEST_F(DataViewTest, ChannelTicksAcrossATypeChange) {
    Load(1, 20);
    ChannelLegend& legend = *view.Legend();
    legend.Box(1)->click();
    legend.Box(2)->click();
    Load(8, 20);
    EXPECT_TRUE(legend.Box(0)->isChecked());
    EXPECT_TRUE(legend.Box(1)->isChecked());
    EXPECT_TRUE(legend.Box(2)->isChecked());
    EXPECT_FALSE(legend.Box(3)->isChecked());
    const TrendState& chart = view.Chart()->State();
    EXPECT_TRUE(chart.series[0].visible);
    EXPECT_TRUE(chart.series[1].visible);
    EXPECT_TRUE(chart.series[2].visible);
    EXPECT_FALSE(chart.series[7].visible);

    // Box 3 of type 8 is CO2; a sound-level meter's only box is 0.
    legend.Box(3)->click();
    EXPECT_TRUE(chart.series[7].visible);
    for (int k : {0, 1, 2})
        legend.Box(k)->click();
    EXPECT_FALSE(chart.series[0].visible);
    Load(7, 20);
    // None of the ticks stands for the sound level: its one series is shown.
    EXPECT_TRUE(legend.Box(0)->isChecked());
    EXPECT_TRUE(chart.series[5].visible);
    EXPECT_FALSE(chart.series[7].visible);
    legend.Box(0)->click();
    EXPECT_TRUE(legend.Box(0)->isChecked());
}

TEST_F(DataViewTest, ChartOfARecord) {
    // CO2 meter: temperature on the left axis, CO2 on the right; the high CO2 line only.
    Load(8, 61);
    const TrendState& c = view.Chart()->State();
    EXPECT_EQ(c.pointCount, 61);
    EXPECT_FLOAT_EQ(c.timeLast, 60);
    EXPECT_EQ(c.span, 50);
    EXPECT_FLOAT_EQ(c.timeStep, 10);
    EXPECT_EQ(c.axisSeries[0], 0);
    EXPECT_EQ(c.axisSeries[1], 7);
    EXPECT_TRUE(c.dualAxes);
    EXPECT_EQ(c.series[7].name, "CO2");
    EXPECT_EQ(c.series[7].unit, "PPM");
    EXPECT_FALSE(c.series[7].alarms[0].shown);
    EXPECT_TRUE(c.series[7].alarms[1].shown);
    EXPECT_FLOAT_EQ(c.series[7].alarms[1].level, 1000);
    EXPECT_TRUE(c.series[0].alarms[0].shown);
    EXPECT_FLOAT_EQ(c.series[0].alarms[0].level, 0);  // raw 400 / 10 - 40
    EXPECT_FLOAT_EQ(c.series[0].alarms[1].level, 40);
    EXPECT_EQ(c.series[0].alarms[0].colour, qRgb(128, 120, 20));
    EXPECT_TRUE(c.series[1].alarms[1].shown);
    EXPECT_FLOAT_EQ(c.series[1].alarms[1].level, 90);
    EXPECT_EQ(c.series[1].alarms[1].penStyle, kPenDashDotDot);
    EXPECT_EQ(c.plotColour, qRgb(0, 0, 0));
    EXPECT_EQ(c.series[3].bandColour, qRgb(0, 0, 0));
    // The series' points are the table's values and times.
    EXPECT_FLOAT_EQ(c.series[7].values[5], view.Table().Values(5)[7]);
    EXPECT_EQ(c.times[60], static_cast<int32_t>(TestNow()));
    // Ranges stepped and grids with 10 divisions while the lists show.
    const float low = c.series[7].low, high = c.series[7].high;
    EXPECT_EQ(std::fmod(low, 100.0f), 0);
    EXPECT_GE(high, 1000);
    EXPECT_FLOAT_EQ(c.series[7].step, TrendGridStep({low, high}, 10));
    EXPECT_EQ(c.series[7].readoutDecimals, kTrendShortestDecimals);  // "%g" as in the list

    // Formaldehyde reads with two decimals; a sound-level meter has one axis series.
    Load(11, 10);
    EXPECT_EQ(c.series[7].readoutDecimals, 2);
    EXPECT_EQ(c.series[7].name, "甲醛");
    Load(7, 10);
    EXPECT_EQ(c.axisSeries[0], 5);
    EXPECT_EQ(c.axisSeries[1], 5);
    EXPECT_TRUE(c.series[5].alarms[0].shown);
    EXPECT_FALSE(c.series[0].alarms[0].shown);
    EXPECT_GE(c.series[5].low, 0);
}

TEST_F(DataViewTest, EverySeriesIsReadOnAnAxisOfItsOwnScale) {
    // A temperature and humidity logger: temperature with its dew point left, humidity
    // right, in the colours they always had.
    Load(1, 50);
    const TrendState& c = view.Chart()->State();
    view.Legend()->Box(1)->click();
    view.Legend()->Box(2)->click();
    using Axes = std::vector<ResolvedAxis>;
    EXPECT_EQ(ResolveValueAxes(c).axes, (Axes{{{0, 2}, false, {}}, {{1}, true, {}}}));
    EXPECT_EQ(c.series[0].colour, qRgb(25, 28, 150));
    EXPECT_EQ(c.series[1].colour, qRgb(255, 128, 0));
    EXPECT_EQ(c.series[2].colour, qRgb(0, 0, 255));

    // The flow meter, every series ticked: seven series on six scales, each named by an axis;
    // the air density on its own, read with the list's three decimals.
    Load(6, 50);
    for (int k = 1; k < 7; ++k) {
        if (!view.Legend()->Box(k)->isChecked()) view.Legend()->Box(k)->click();
    }
    const ResolvedAxes axes = ResolveValueAxes(c);
    std::vector<int> named;
    for (const ResolvedAxis& axis : axes.axes)
        named.insert(named.end(), axis.series.begin(), axis.series.end());
    std::sort(named.begin(), named.end());
    EXPECT_EQ(named, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(axes.axes.size(), 6u);
    const int point = c.firstVisible + 3;
    const ReadoutTexts texts = MakeReadoutTexts(c, point);
    EXPECT_EQ(texts.values[2], ToQString(CellText(2, c.series[2].values[static_cast<size_t>(point)],
                                                  view.Table().Units())) +
                                   QStringLiteral(" kg/m3"));
    EXPECT_TRUE(texts.values[2].contains(QRegularExpression(QStringLiteral("^\\d+\\.\\d{3} "))));
}

TEST_F(DataViewTest, ArrangementsAndBandedChart) {
    Load(1, 50);
    const QRect anchor = view.AnchorRect();
    // Side by side: lists in the anchor's columns, the chart right of it.
    EXPECT_EQ(view.SampleList()->geometry().left(), anchor.left());
    EXPECT_EQ(view.Chart()->geometry().left(), anchor.left() + anchor.width());
    EXPECT_FALSE(view.Chart()->State().banded);

    view.ArrangementRadio(1)->click();
    EXPECT_EQ(view.Arrangement(), 1);
    EXPECT_EQ(view.Chart()->geometry().top(), anchor.top() + anchor.height());
    EXPECT_EQ(view.ParamList()->geometry().top(), 0);

    // Chart only: banded, grids with 5 divisions.
    view.ShowListsBox()->click();
    EXPECT_FALSE(view.SampleList()->isVisible());
    EXPECT_TRUE(view.Chart()->isVisible());
    EXPECT_EQ(view.Chart()->geometry(), QRect(anchor.left(), 0, 1000 - anchor.left(), 640));
    const TrendState& c = view.Chart()->State();
    EXPECT_TRUE(c.banded);
    EXPECT_FLOAT_EQ(c.series[0].step, TrendGridStep({c.series[0].low, c.series[0].high}, 5));

    // Neither: nothing moves.
    const QRect chartPlace = view.Chart()->geometry();
    view.ShowChartBox()->click();
    EXPECT_TRUE(view.Chart()->isVisible());
    EXPECT_EQ(view.Chart()->geometry(), chartPlace);
    EXPECT_FALSE(c.banded);

    // Lists only.
    view.ShowListsBox()->click();
    EXPECT_FALSE(view.Chart()->isVisible());
    EXPECT_TRUE(view.SampleList()->isVisible());
    EXPECT_EQ(view.ParamList()->geometry().bottom(), 639);
    EXPECT_FLOAT_EQ(c.series[0].step, TrendGridStep({c.series[0].low, c.series[0].high}, 10));

    // A narrow view keeps the lists 120 pixels wide.
    view.resize(anchor.left() + 40, 640);
    EXPECT_EQ(view.ParamList()->geometry().right() + 1 - view.SampleList()->geometry().left(), 120);
}

TEST_F(DataViewTest, ZoomListsAndNodeMarks) {
    QStringList texts;
    for (int i = 0; i < view.TimeZoomList()->count(); ++i)
        texts << view.TimeZoomList()->itemText(i);
    EXPECT_EQ(texts, QStringList({"缩小10X", "缩小5X", "缩小2X", "不变(1x)", "放大2X", "放大5X",
                                  "放大10X"}));
    EXPECT_EQ(view.TimeZoomList()->currentText(), "不变(1x)");
    EXPECT_EQ(view.ValueZoomList()->currentText(), "不变(1x)");
    EXPECT_EQ(view.ValueZoomList()->itemText(6), "放大16X");
    EXPECT_FALSE(view.TimeZoomList()->isEnabled());

    Load(1, 601);
    const TrendState& c = view.Chart()->State();
    ASSERT_EQ(c.span, 500);
    view.TimeZoomList()->setCurrentIndex(0);
    EXPECT_EQ(c.span, 5000);
    EXPECT_FLOAT_EQ(c.timeStep, 833);
    view.TimeZoomList()->setCurrentIndex(6);
    EXPECT_EQ(c.span, 50);

    const float low0 = c.series[0].low, high0 = c.series[0].high, high3 = c.series[3].high;
    view.ValueZoomList()->setCurrentIndex(3);  // 放大2X
    EXPECT_FLOAT_EQ(c.series[0].high, high0 / 2);
    EXPECT_FLOAT_EQ(c.series[0].low, low0);
    EXPECT_FLOAT_EQ(c.series[0].step, (high0 / 2 - low0) / 10);
    EXPECT_FLOAT_EQ(c.series[3].high, high3);
    view.ValueZoomList()->setCurrentIndex(4);  // from the fill's range, not the zoomed one
    EXPECT_FLOAT_EQ(c.series[0].high, high0 / 4);

    view.NodeMarkBox()->click();
    EXPECT_EQ(c.markSize, 3);
    view.NodeMarkBox()->click();
    EXPECT_EQ(c.markSize, 0);

    // A new fill resets both lists.
    view.RunQuery();
    EXPECT_EQ(view.TimeZoomList()->currentIndex(), 3);
    EXPECT_EQ(view.ValueZoomList()->currentIndex(), 0);
    EXPECT_EQ(c.span, 500);
    EXPECT_FLOAT_EQ(c.series[0].high, high0);
}

TEST_F(DataViewTest, ListRowAndChartPointFollowEachOther) {
    Load(4, 300);
    QTableView& list = *view.SampleList();
    const QModelIndex row = list.model()->index(120, 1);
    list.scrollTo(row);
    QApplication::processEvents();
    ASSERT_TRUE(list.viewport()->rect().contains(list.visualRect(row).center()))
        << list.visualRect(row).y();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(row).center());
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(row).center());
    EXPECT_EQ(view.Chart()->State().selectedPoint, 120);

    TrendPickNotify notify;
    notify.window = view.Chart();
    notify.point = 17;
    emit view.Chart()->PickNotify(notify);
    EXPECT_EQ(list.currentIndex().row(), 17);
    ASSERT_EQ(list.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(list.selectionModel()->selectedRows().front().row(), 17);
    EXPECT_TRUE(list.viewport()->rect().intersects(list.visualRect(list.model()->index(17, 0))));

    notify.point = -1;  // no point picked: the selection stays
    emit view.Chart()->PickNotify(notify);
    EXPECT_EQ(list.currentIndex().row(), 17);

    // A real double click on the chart picks a point and selects its row.
    CTrendWave& chart = *view.Chart();
    const TrendState& c = chart.State();
    const int x = c.plot.left + c.plot.Width() / 2;
    QTest::mouseMove(&chart, QPoint(x, c.plot.top + 20));
    QTest::mouseDClick(&chart, Qt::LeftButton, {}, QPoint(x, c.plot.top + 20));
    ASSERT_GE(c.selectedPoint, 0);
    EXPECT_EQ(list.currentIndex().row(), c.selectedPoint);
}

TEST_F(DataViewTest, CopyGraphPutsTheChartOnTheClipboard) {
    QGuiApplication::clipboard()->clear();
    host.loaded = false;
    view.CopyGraph();
    EXPECT_TRUE(QGuiApplication::clipboard()->image().isNull());

    Load(5, 80);
    host.loaded = true;
    view.CopyGraph();
    const QImage image = QGuiApplication::clipboard()->image();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), view.Chart()->size());
    // The plot's black background is in the picture.
    const TrendState& c = view.Chart()->State();
    EXPECT_EQ(QColor(image.pixel(c.plot.left + 5, c.plot.top + 5)).rgb() & 0xFFFFFF, 0u);
}

TEST_F(DataViewTest, CommandsNeedALoadedRecord) {
    EXPECT_FALSE(view.CanRunRecordCommands());
    Load(1, 5);
    EXPECT_TRUE(view.CanRunRecordCommands());
    host.loaded = false;
    EXPECT_FALSE(view.CanRunRecordCommands());
}

}  // namespace
}  // namespace qx

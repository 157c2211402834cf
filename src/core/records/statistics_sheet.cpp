#include "statistics_sheet.h"

#include <ctime>
#include <string>
#include <string_view>

#include "core/model/language.h"
#include "number_text.h"
#include "record_statistics.h"
#include "xlsx_time_cell.h"

namespace qx {
namespace {

std::string TimeText(std::time_t t) {
    std::string out;
    std::tm tm{};
    if (localtime_r(&t, &tm)) AppendShortDateTime(out, tm);
    return out;
}

class StatisticsWriter {
  public:
    StatisticsWriter(lxw_worksheet* sheet, lxw_format* timeFormat)
        : sheet_(sheet), timeFormat_(timeFormat) {}

    void Text(lxw_col_t col, std::string_view text) {
        if (text.empty()) return;
        const std::string s(text);
        Keep(worksheet_write_string(sheet_, row_, col, s.c_str(), nullptr));
    }
    void Number(lxw_col_t col, double value) {
        // + 0.0: a negative zero would read back as -0.
        Keep(worksheet_write_number(sheet_, row_, col, value + 0.0, nullptr));
    }
    // A date-time cell like the sample sheet's; the list's text when t has no local form.
    void Time(lxw_col_t col, std::time_t t) {
        lxw_datetime dt{};
        if (!LocalDateTimeCell(t, dt)) return Text(col, TimeText(t));
        Keep(worksheet_write_datetime(sheet_, row_, col, &dt, timeFormat_));
    }
    void Titles(std::initializer_list<const char*> titles) {
        lxw_col_t col = 0;
        for (const char* t : titles)
            Text(col++, Tr(t));
        NextRow();
    }
    void NextRow() { ++row_; }
    void Keep(lxw_error e) {
        if (error_ == LXW_NO_ERROR) error_ = e;
    }
    bool Ok() const { return error_ == LXW_NO_ERROR; }

  private:
    lxw_worksheet* sheet_;
    lxw_format* timeFormat_;
    lxw_row_t row_ = 0;
    lxw_error error_ = LXW_NO_ERROR;
};

void WriteHeader(StatisticsWriter& w, const RecordStatistics& rs) {
    const auto text = [&w](const char* label, std::string_view value) {
        w.Text(0, label);
        w.Text(1, value);
        w.NextRow();
    };
    const auto time = [&w](const char* label, std::time_t t, bool shown) {
        w.Text(0, label);
        if (shown) w.Time(1, t);
        w.NextRow();
    };
    const auto number = [&w](const char* label, double value) {
        w.Text(0, label);
        w.Number(1, value);
        w.NextRow();
    };
    text(Tr("文件"), rs.file);
    text(Tr("型号"), rs.model);
    text(Tr("编号"), rs.number);
    text(Tr("测量名"), rs.name);
    text(Tr("查询条件"), rs.condition);
    number(Tr("记录间隔(秒)"), static_cast<double>(rs.interval));
    time(Tr("开始时间"), rs.first, rs.samples > 0);
    time(Tr("结束时间"), rs.last, rs.samples > 0);
    number(Tr("记录数", "query"), rs.samples);
    number(Tr("活化能(kJ/mol)"), rs.activationEnergy);
}

void WriteFigures(StatisticsWriter& w, const RecordStatistics& rs) {
    w.Titles({TrNoop("通道"), TrNoop("样本数"), TrNoop("缺失"), TrNoop("最小值"),
              TrNoop("最小值时间"), TrNoop("最大值"), TrNoop("最大值时间"), TrNoop("平均值"),
              TrNoop("标准差"), TrNoop("平均动力学温度")});
    for (const SeriesStatistics& s : rs.series) {
        w.Text(0, s.title);
        w.Number(1, s.count);
        w.Number(2, s.missing);
        if (s.count > 0) {
            w.Number(3, s.min);
            w.Time(4, s.minTime);
            w.Number(5, s.max);
            w.Time(6, s.maxTime);
            w.Number(7, s.mean);
            w.Number(8, s.stdev);
        }
        if (s.mkt) w.Number(9, *s.mkt);
        w.NextRow();
    }
}

void WriteLimits(StatisticsWriter& w, const RecordStatistics& rs) {
    w.Titles({TrNoop("通道"), TrNoop("下限"), TrNoop("上限"), TrNoop("限值来源"),
              TrNoop("低于下限样本数"), TrNoop("低于下限时间(秒)"), TrNoop("高于上限样本数"),
              TrNoop("高于上限时间(秒)"), TrNoop("超限次数"), TrNoop("最长超限(秒)")});
    for (const SeriesStatistics& s : rs.series) {
        if (!s.limits) continue;
        const LimitSummary& l = *s.limits;
        w.Text(0, s.title);
        if (l.limits.low) w.Number(1, *l.limits.low);
        if (l.limits.high) w.Number(2, *l.limits.high);
        w.Text(3, l.overridden ? Tr("用户") : Tr("记录"));
        w.Number(4, l.below.samples);
        w.Number(5, static_cast<double>(l.below.seconds));
        w.Number(6, l.above.samples);
        w.Number(7, static_cast<double>(l.above.seconds));
        w.Number(8, static_cast<double>(l.excursions.size()));
        if (l.longest >= 0) {
            w.Number(9, static_cast<double>(l.excursions[static_cast<size_t>(l.longest)].seconds));
        }
        w.NextRow();
    }
    for (const std::string& warning : StatisticsWarnings(rs)) {
        w.Text(0, warning);
        w.NextRow();
    }
}

void WriteExcursions(StatisticsWriter& w, const RecordStatistics& rs) {
    w.Titles({TrNoop("通道"), TrNoop("超限"), TrNoop("开始时间"), TrNoop("结束时间"),
              TrNoop("样本数"), TrNoop("时间(秒)"), TrNoop("峰值"), TrNoop("峰值时间")});
    for (const SeriesStatistics& s : rs.series) {
        if (!s.limits) continue;
        for (const Excursion& e : s.limits->excursions) {
            w.Text(0, s.title);
            w.Text(1, LimitSideText(e.side));
            w.Time(2, e.start);
            w.Time(3, e.end);
            w.Number(4, e.samples);
            w.Number(5, static_cast<double>(e.seconds));
            w.Number(6, e.peak);
            w.Time(7, e.peakTime);
            w.NextRow();
        }
    }
}

}  // namespace

bool WriteStatisticsSheet(lxw_workbook* book, const RecordStatistics& statistics) {
    lxw_worksheet* ws = workbook_add_worksheet(book, Tr(kStatisticsSheetName));
    if (!ws) return false;
    lxw_format* timeFormat = workbook_add_format(book);
    if (!timeFormat) return false;
    format_set_num_format(timeFormat, kTimeCellFormat);
    StatisticsWriter w(ws, timeFormat);
    w.Keep(worksheet_set_column(ws, 0, 0, 16, nullptr));
    w.Keep(worksheet_set_column(ws, 1, 9, 14, nullptr));
    WriteHeader(w, statistics);
    w.NextRow();
    WriteFigures(w, statistics);
    w.NextRow();
    WriteLimits(w, statistics);
    w.NextRow();
    WriteExcursions(w, statistics);
    return w.Ok();
}

}  // namespace qx

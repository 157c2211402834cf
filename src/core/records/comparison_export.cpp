#include "comparison_export.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>

#include "atomic_file.h"
#include "comparison.h"
#include "core/model/local_time.h"
#include "core/model/text_util.h"
#include "json_text.h"
#include "number_text.h"
#include "text_export.h"
#include "workbook_export.h"
#include "xlsx_check.h"
#include "xlsx_time_cell.h"

namespace qx {
namespace {

// Worksheet calls write row by row (constant-memory mode) and keep their first error.
class RowWriter {
  public:
    RowWriter(lxw_worksheet* sheet, lxw_format* timeFormat)
        : sheet_(sheet), timeFormat_(timeFormat) {}

    void Text(lxw_col_t col, std::string_view text) {
        if (text.empty()) return;
        const std::string s(text);
        Keep(worksheet_write_string(sheet_, row_, col, s.c_str(), nullptr));
    }
    void Number(lxw_col_t col, double value) {
        Keep(worksheet_write_number(sheet_, row_, col, value, nullptr));
    }
    // The number a text shows (a cell of the list); the text itself when it is no number.
    void NumberText(lxw_col_t col, std::string_view text) {
        double value = 0;
        const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) {
            Text(col, text);
            return;
        }
        Number(col, value);
    }
    void Time(lxw_col_t col, std::time_t t) {
        lxw_datetime dt{};
        if (!LocalDateTimeCell(t, dt)) {
            Text(col, FormatLocalTime(t, "%y-%m-%d %H:%M:%S"));
            return;
        }
        Keep(worksheet_write_datetime(sheet_, row_, col, &dt, timeFormat_));
    }
    void NextRow() { ++row_; }
    void Width(lxw_col_t first, lxw_col_t last, double width) {
        Keep(worksheet_set_column(sheet_, first, last, width, nullptr));
    }
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

std::string ListTime(std::time_t t) {
    std::string out;
    std::tm tm{};
    if (localtime_r(&t, &tm)) AppendShortDateTime(out, tm);
    return out;
}

// The aligned table on as many sheets as its rows need, each with the title row; the rows of
// each sheet (with the title row) go to sheetRows.
bool WriteAlignedSheets(lxw_workbook* book, lxw_format* timeFormat, const Comparison& c,
                        std::vector<int>& sheetRows) {
    const std::vector<std::string> titles = ComparisonColumnTitles(c);
    constexpr size_t kRowsPerSheet = kSheetRows - 1;
    size_t row = 0;
    bool ok = true;
    do {
        const int sheet = static_cast<int>(sheetRows.size()) + 1;
        const std::string name = DataSheetName(kComparisonSheetName, sheet);
        lxw_worksheet* ws = workbook_add_worksheet(book, name.c_str());
        if (!ws) return false;
        RowWriter w(ws, timeFormat);
        w.Width(0, 0, 18);
        w.Width(1, static_cast<lxw_col_t>(std::max<size_t>(c.instruments.size(), 1)), 16);
        for (size_t i = 0; i < titles.size(); ++i)
            w.Text(static_cast<lxw_col_t>(i), titles[i]);
        w.NextRow();
        const size_t end = std::min(c.times.size(), row + kRowsPerSheet);
        sheetRows.push_back(static_cast<int>(end - row) + 1);
        for (; row < end; ++row) {
            w.Time(0, c.times[row]);
            for (size_t i = 0; i < c.values.size(); ++i) {
                w.NumberText(static_cast<lxw_col_t>(i + 1),
                             ComparisonCellText(c, c.values[i][row]));
            }
            w.NextRow();
        }
        ok = w.Ok() && ok;
    } while (row < c.times.size());
    return ok;
}

bool WriteFiguresSheet(lxw_workbook* book, lxw_format* timeFormat, const Comparison& c) {
    lxw_worksheet* ws = workbook_add_worksheet(book, Tr(kComparisonFiguresSheetName));
    if (!ws) return false;
    RowWriter w(ws, timeFormat);
    w.Width(0, 0, 20);
    w.Width(1, 15, 14);
    const auto labelled = [&w](const char* label, auto write) {
        w.Text(0, Tr(label));
        write();
        w.NextRow();
    };
    labelled(TrNoop("量"), [&] { w.Text(1, c.title); });
    labelled(TrNoop("查询条件"), [&] { w.Text(1, c.condition); });
    labelled(TrNoop("对齐间隔(秒)"), [&] { w.Number(1, static_cast<double>(c.step)); });
    labelled(TrNoop("仪器数"), [&] { w.Number(1, static_cast<double>(c.instruments.size())); });
    if (c.limits && c.limits->low) labelled(TrNoop("下限"), [&] { w.Number(1, *c.limits->low); });
    if (c.limits && c.limits->high) {
        labelled(TrNoop("上限"), [&] { w.Number(1, *c.limits->high); });
    }
    w.NextRow();
    for (const std::string& line : ComparisonSummary(c)) {
        w.Text(0, line);
        w.NextRow();
    }
    w.NextRow();

    // The figure table: the texts' columns, with numbers and times as cells.
    const TextTable table = ComparisonFigureTable(c);
    for (size_t col = 0; col < table.titles.size(); ++col)
        w.Text(static_cast<lxw_col_t>(col), table.titles[col]);
    w.NextRow();
    const bool mkt = std::any_of(c.instruments.begin(), c.instruments.end(),
                                 [](const ComparedInstrument& i) { return i.figures.mkt; });
    for (size_t i = 0; i < c.instruments.size(); ++i) {
        const ComparedInstrument& instrument = c.instruments[i];
        const SeriesStatistics& f = instrument.figures;
        lxw_col_t col = 0;
        w.Text(col++, instrument.label);
        w.Text(col++, instrument.model);
        w.Number(col++, f.count);
        if (f.count > 0) {
            w.Number(col, f.min);
            w.Time(col + 1, f.minTime);
            w.Number(col + 2, f.max);
            w.Time(col + 3, f.maxTime);
            w.Number(col + 4, f.mean);
            w.Number(col + 5, f.stdev);
        }
        col += 6;
        if (mkt) {
            if (f.mkt) w.Number(col, *f.mkt);
            ++col;
        }
        if (f.limits) {
            const LimitSummary& l = *f.limits;
            if (l.limits.low) w.Number(col, *l.limits.low);
            if (l.limits.high) w.Number(col + 1, *l.limits.high);
            w.Number(col + 2, static_cast<double>(l.below.seconds));
            w.Number(col + 3, static_cast<double>(l.above.seconds));
            w.Number(col + 4, static_cast<double>(*instrument.SecondsOutside()));
        }
        w.NextRow();
    }
    return w.Ok();
}

bool WriteSettingsSheet(lxw_workbook* book, const Comparison& c) {
    lxw_worksheet* ws = workbook_add_worksheet(book, Tr(kParamSheetName));
    if (!ws) return false;
    RowWriter w(ws, nullptr);
    w.Width(0, 0, 16);
    w.Width(1, 1, 36);
    w.Text(0, Tr("记录的参数"));
    w.Text(1, Tr("内容"));
    w.NextRow();
    for (const ComparedInstrument& instrument : c.instruments) {
        w.Text(0, Tr("仪器"));
        w.Text(1, instrument.label);
        w.NextRow();
        for (const ParamListRow& row : HistoryParamRows(instrument.settings)) {
            w.Text(0, row.label);
            w.Text(1, row.text);
            w.NextRow();
        }
    }
    return w.Ok();
}

}  // namespace

std::vector<std::string> ComparisonColumnTitles(const Comparison& c) {
    std::vector<std::string> titles = {Tr("时间")};
    for (const ComparedInstrument& i : c.instruments)
        titles.push_back(i.label + "(" + c.unit + ")");
    return titles;
}

std::string ComparisonListTextBytes(const Comparison& c) {
    std::string out = "\xFF\xFE";
    const std::vector<std::string> titles = ComparisonColumnTitles(c);
    for (size_t i = 0; i < titles.size(); ++i) {
        AppendUtf16Le(out, "\"");
        AppendUtf16Le(out, titles[i]);
        AppendUtf16Le(out, i + 1 < titles.size() ? "\"," : "\"\r\n");
    }
    std::string line;
    for (size_t row = 0; row < c.times.size(); ++row) {
        line = ListTime(c.times[row]);
        for (const std::vector<float>& values : c.values) {
            line += ',';
            line += ComparisonCellText(c, values[row]);
        }
        line += "\r\n";
        AppendUtf16Le(out, line);
    }
    return out;
}

std::string ComparisonCsvBytes(const Comparison& c) {
    std::string out;
    const std::vector<std::string> titles = ComparisonColumnTitles(c);
    for (size_t i = 0; i < titles.size(); ++i) {
        AppendCsvField(out, titles[i]);
        out += i + 1 < titles.size() ? "," : "\r\n";
    }
    for (size_t row = 0; row < c.times.size(); ++row) {
        const std::time_t t = c.times[row];
        std::tm tm{};
        if (localtime_r(&t, &tm)) AppendIsoDateTime(out, tm);
        for (const std::vector<float>& values : c.values) {
            out += ',';
            out += ComparisonCellText(c, values[row]);
        }
        out += "\r\n";
    }
    return out;
}

std::string ComparisonJson(const Comparison& c) {
    JsonWriter j;
    const int figures = c.decimals + 2;
    const auto limits = [&j, &c](const SeriesLimits& l) {
        if (l.low) {
            j.Key("low");
            j.Fixed(*l.low, c.decimals + 3, true);
        }
        if (l.high) {
            j.Key("high");
            j.Fixed(*l.high, c.decimals + 3, true);
        }
    };
    j.Open('{');
    j.Key("series");
    j.String(c.series);
    j.Key("title");
    j.String(c.title);
    j.Key("unit");
    j.String(c.unit);
    j.Key("query");
    j.String(c.condition);
    j.Key("step_s");
    j.Int(c.step);
    if (c.limits) {
        j.Key("limits");
        j.Open('{');
        limits(*c.limits);
        j.Close('}');
    }
    j.Key("instruments");
    j.Open('[');
    for (const ComparedInstrument& i : c.instruments) {
        const SeriesStatistics& f = i.figures;
        j.Open('{');
        j.Key("label");
        j.String(i.label);
        j.Key("model");
        j.String(i.model);
        j.Key("number");
        j.String(i.number);
        j.Key("name");
        j.String(i.name);
        j.Key("interval_s");
        j.Int(i.interval);
        j.Key("samples");
        j.Int(f.count);
        j.Key("missing");
        j.Int(f.missing);
        if (f.count > 0) {
            j.Key("min");
            j.Fixed(f.min, c.decimals);
            j.Key("min_time");
            j.Time(f.minTime);
            j.Key("max");
            j.Fixed(f.max, c.decimals);
            j.Key("max_time");
            j.Time(f.maxTime);
            j.Key("mean");
            j.Fixed(f.mean, figures);
            j.Key("stdev");
            j.Fixed(f.stdev, figures);
        }
        if (f.mkt) {
            j.Key("mkt");
            j.Fixed(*f.mkt, figures);
        }
        if (f.limits) {
            j.Key("limits");
            j.Open('{');
            limits(f.limits->limits);
            j.Key("source");
            j.String(f.limits->overridden ? "user" : "record");
            j.Key("below_s");
            j.Int(f.limits->below.seconds);
            j.Key("above_s");
            j.Int(f.limits->above.seconds);
            j.Key("outside_s");
            j.Int(*i.SecondsOutside());
            j.Close('}');
        }
        j.Close('}');
    }
    j.Close(']');
    const auto extreme = [&j](const char* key, const std::optional<ComparisonExtreme>& e,
                              int decimals, bool timed) {
        if (!e) return;
        j.Key(key);
        j.Open('{');
        j.Key("instrument");
        j.Int(e->instrument);
        j.Key("value");
        j.Fixed(e->value, decimals);
        if (timed) {
            j.Key("time");
            j.Time(e->time);
        }
        j.Close('}');
    };
    extreme("highest_mean", c.highestMean, figures, false);
    extreme("lowest_mean", c.lowestMean, figures, false);
    extreme("highest_max", c.highestMax, c.decimals, true);
    extreme("lowest_min", c.lowestMin, c.decimals, true);
    if (c.largestSpread) {
        j.Key("largest_spread");
        j.Open('{');
        j.Key("value");
        j.Fixed(c.largestSpread->value, c.decimals);
        j.Key("time");
        j.Time(c.largestSpread->time);
        j.Key("high");
        j.Int(c.largestSpread->high);
        j.Key("low");
        j.Int(c.largestSpread->low);
        j.Close('}');
    }
    j.Close('}');
    return j.Text();
}

bool WriteComparisonWorkbook(const std::string& path, const Comparison& c, std::string* error,
                             int* dataSheets) {
    const auto fail = [error](std::string why) {
        if (error) *error = std::move(why);
        return false;
    };
    PendingFile file(path);
    if (!file.ok()) return fail(file.Error());
    // The library's temporary files go beside the target, as for a record's workbook.
    std::string tmpdir(".");
    if (const size_t slash = file.TempPath().rfind('/'); slash != std::string::npos) {
        tmpdir.assign(file.TempPath(), 0, std::max<size_t>(slash, 1));
    }
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = tmpdir.data();
    lxw_workbook* book = workbook_new_opt(file.TempPath().c_str(), &options);
    if (!book) return fail(StrFormat("cannot create the workbook %s", path.c_str()));
    lxw_format* timeFormat = workbook_add_format(book);
    bool ok = timeFormat != nullptr;
    std::vector<int> sheetRows;
    if (ok) {
        format_set_num_format(timeFormat, kTimeCellFormat);
        ok = WriteAlignedSheets(book, timeFormat, c, sheetRows);
        ok = WriteFiguresSheet(book, timeFormat, c) && ok;
        ok = WriteSettingsSheet(book, c) && ok;
    }
    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR) {
        return fail(StrFormat("cannot write %s: %s", path.c_str(), lxw_strerror(closed)));
    }
    if (!ok) return fail(StrFormat("cannot write %s: a worksheet was refused", path.c_str()));
    std::vector<std::string> names;
    for (size_t k = 0; k < sheetRows.size() + 2; ++k)
        names.push_back(StrFormat("xl/worksheets/sheet%zu.xml", k + 1));
    std::vector<XlsxPart> parts = {
        {"[Content_Types].xml"},
        {"_rels/.rels"},
        {"docProps/app.xml"},
        {"docProps/core.xml"},
        {"xl/_rels/workbook.xml.rels"},
        {"xl/workbook.xml"},
        {"xl/styles.xml"},
        {"xl/theme/theme1.xml"},
    };
    for (size_t k = 0; k < sheetRows.size(); ++k)
        parts.push_back({names[k], sheetRows[k]});
    parts.push_back({names[sheetRows.size()]});
    parts.push_back({names[sheetRows.size() + 1]});
    std::string damaged;
    if (!CheckXlsxFile(file.TempPath(), parts, &damaged)) {
        return fail(StrFormat("cannot write %s: %s", path.c_str(), damaged.c_str()));
    }
    if (!file.Commit()) return fail(file.Error());
    if (dataSheets) *dataSheets = static_cast<int>(sheetRows.size());
    return true;
}

bool ExportComparison(const std::string& path, ExportFormat format, const Comparison& c,
                      std::string* error, int* dataSheets) {
    if (dataSheets) *dataSheets = 1;
    switch (format) {
        case ExportFormat::Workbook:
            return WriteComparisonWorkbook(path, c, error, dataSheets);
        case ExportFormat::Text:
            return ReplaceFile(path, ComparisonListTextBytes(c), error);
        case ExportFormat::Csv:
            return ReplaceFile(path, ComparisonCsvBytes(c), error);
        case ExportFormat::None:
            break;
    }
    if (error) *error = "no export format for " + path;
    return false;
}

}  // namespace qx

#include "records/workbook_export.h"

#include <xlsxwriter.h>

#include <charconv>
#include <string>

#include "records/atomic_file.h"
#include "records/sample_table.h"
#include "records/statistics_sheet.h"

namespace qx {
namespace {

// Worksheet calls collect their first error here; every later call still runs but the
// workbook is refused in the end.
struct SheetWriter {
    lxw_worksheet* sheet;
    lxw_error error = LXW_NO_ERROR;

    void Text(lxw_row_t row, lxw_col_t col, std::string_view text) {
        if (text.empty()) return;
        const std::string s(text);
        Keep(worksheet_write_string(sheet, row, col, s.c_str(), nullptr));
    }
    void Number(lxw_row_t row, lxw_col_t col, double value) {
        Keep(worksheet_write_number(sheet, row, col, value, nullptr));
    }
    // The number a cell's text shows; blank when the text holds none.
    void NumberText(lxw_row_t row, lxw_col_t col, std::string_view text) {
        double value = 0;
        const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) {
            Text(row, col, text);
            return;
        }
        Number(row, col, value);
    }
    void Keep(lxw_error e) {
        if (error == LXW_NO_ERROR) error = e;
    }
};

bool WriteSampleSheet(lxw_workbook* book, const SampleTable& table) {
    lxw_worksheet* ws = workbook_add_worksheet(book, kSampleSheetName);
    if (!ws) return false;
    SheetWriter w{ws};
    const auto columns = table.Columns();
    for (size_t c = 0; c < columns.size(); ++c) {
        const double width = columns[c].series == SampleColumn::kTime ? 18 : 12;
        w.Keep(worksheet_set_column(ws, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), width,
                                    nullptr));
    }
    for (size_t c = 0; c < columns.size(); ++c) {
        w.Text(0, static_cast<lxw_col_t>(c), columns[c].title);
    }
    for (int r = 0; r < table.RowCount(); ++r) {
        const auto row = static_cast<lxw_row_t>(r + 1);
        for (size_t c = 0; c < columns.size(); ++c) {
            const auto col = static_cast<lxw_col_t>(c);
            const std::string_view cell = table.Cell(r, static_cast<int>(c));
            if (columns[c].series == SampleColumn::kTime) {
                w.Text(row, col, cell);
            } else {
                w.NumberText(row, col, cell);
            }
        }
    }
    return w.error == LXW_NO_ERROR;
}

bool WriteParamSheet(lxw_workbook* book, std::span<const ParamListRow> params) {
    lxw_worksheet* ws = workbook_add_worksheet(book, kParamSheetName);
    if (!ws) return false;
    SheetWriter w{ws};
    w.Keep(worksheet_set_column(ws, 0, 0, 16, nullptr));
    w.Keep(worksheet_set_column(ws, 1, 1, 24, nullptr));
    w.Text(0, 0, "记录的参数");
    w.Text(0, 1, "内容");
    lxw_row_t row = 1;
    for (const ParamListRow& p : params) {
        w.Text(row, 0, p.label);
        w.Text(row, 1, p.text);
        ++row;
    }
    return w.error == LXW_NO_ERROR;
}

}  // namespace

bool WriteWorkbook(const std::string& path, const SampleTable& table,
                   std::span<const ParamListRow> params, const RecordStatistics* statistics) {
    PendingFile file(path);
    if (!file.ok()) return false;
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(file.TempPath().c_str(), &options);
    if (!book) return false;
    // Constant-memory mode: each sheet's rows go out in order, one sheet after the other.
    bool ok = WriteSampleSheet(book, table);
    ok = WriteParamSheet(book, params) && ok;
    if (statistics) ok = WriteStatisticsSheet(book, *statistics) && ok;
    const lxw_error closed = workbook_close(book);
    return ok && closed == LXW_NO_ERROR && file.Commit();
}

}  // namespace qx

#include "workbook_export.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <charconv>
#include <ctime>
#include <string>
#include <vector>

#include "atomic_file.h"
#include "core/model/language.h"
#include "core/model/text_util.h"
#include "sample_table.h"
#include "statistics_sheet.h"
#include "table_pieces.h"
#include "xlsx_check.h"
#include "xlsx_time_cell.h"

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
    // A sample time as a date-time cell in local time; the list's text when the time has no
    // local calendar form.
    void Time(lxw_row_t row, lxw_col_t col, std::time_t t, std::string_view text,
              lxw_format* format) {
        lxw_datetime dt{};
        if (!LocalDateTimeCell(t, dt)) {
            Text(row, col, text);
            return;
        }
        Keep(worksheet_write_datetime(sheet, row, col, &dt, format));
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

// The rows of the sample list on as many sheets as they need, each with the title row.
class SampleSheets {
  public:
    SampleSheets(lxw_workbook* book, std::span<const SampleColumn> columns)
        : book_(book), columns_(columns) {}

    bool Start() { return AddSheet(); }
    bool Add(const SampleTable& piece) {
        for (int r = 0; r < piece.RowCount() && ok_; ++r) {
            // A table without columns writes no rows, so it never needs a second sheet.
            if (!columns_.empty() && row_ >= kSheetRows && !AddSheet()) return false;
            for (size_t c = 0; c < columns_.size(); ++c) {
                const auto col = static_cast<lxw_col_t>(c);
                const std::string_view cell = piece.Cell(r, static_cast<int>(c));
                if (columns_[c].series == SampleColumn::kTime && !piece.IsGap(r)) {
                    w_.Time(row_, col, static_cast<std::time_t>(piece.Time(r)), cell, timeFormat_);
                } else {
                    w_.NumberText(row_, col, cell);
                }
            }
            ++row_;
            ++rows_.back();
        }
        return Ok();
    }
    bool Ok() const { return ok_ && w_.error == LXW_NO_ERROR; }
    // The <row> elements of each sheet: the title row and the samples (none without columns).
    std::vector<int> SheetRows() const {
        std::vector<int> rows = rows_;
        if (columns_.empty()) std::fill(rows.begin(), rows.end(), 0);
        return rows;
    }

  private:
    bool AddSheet() {
        const std::string name =
            DataSheetName(kSampleSheetName, static_cast<int>(rows_.size()) + 1);
        lxw_worksheet* ws = workbook_add_worksheet(book_, name.c_str());
        if (!ws || w_.error != LXW_NO_ERROR) return ok_ = false;
        if (!timeFormat_) {
            // Shows a time cell as the list shows the time ("%y-%m-%d %H:%M:%S").
            timeFormat_ = workbook_add_format(book_);
            if (!timeFormat_) return ok_ = false;
            format_set_num_format(timeFormat_, kTimeCellFormat);
        }
        w_.sheet = ws;
        for (size_t c = 0; c < columns_.size(); ++c) {
            const double width = columns_[c].series == SampleColumn::kTime ? 18 : 12;
            w_.Keep(worksheet_set_column(ws, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                                         width, nullptr));
        }
        for (size_t c = 0; c < columns_.size(); ++c) {
            w_.Text(0, static_cast<lxw_col_t>(c), columns_[c].title);
        }
        row_ = 1;
        rows_.push_back(1);
        return Ok();
    }

    lxw_workbook* book_;
    std::span<const SampleColumn> columns_;
    lxw_format* timeFormat_ = nullptr;
    SheetWriter w_{nullptr};
    lxw_row_t row_ = 0;
    std::vector<int> rows_;  // per sheet
    bool ok_ = true;
};

bool WriteParamSheet(lxw_workbook* book, std::span<const ParamListRow> params) {
    lxw_worksheet* ws = workbook_add_worksheet(book, Tr(kParamSheetName));
    if (!ws) return false;
    SheetWriter w{ws};
    w.Keep(worksheet_set_column(ws, 0, 0, 16, nullptr));
    w.Keep(worksheet_set_column(ws, 1, 1, 24, nullptr));
    w.Text(0, 0, Tr("记录的参数"));
    w.Text(0, 1, Tr("内容"));
    lxw_row_t row = 1;
    for (const ParamListRow& p : params) {
        w.Text(row, 0, p.label);
        w.Text(row, 1, p.text);
        ++row;
    }
    return w.error == LXW_NO_ERROR;
}

// Why the workbook library failed to finish the file, in the language of the texts; the
// library's own wording for failures this program cannot cause.
std::string LibraryReason(lxw_error e) {
    switch (e) {
        case LXW_ERROR_MEMORY_MALLOC_FAILED:
            return Tr("内存不足");
        case LXW_ERROR_CREATING_XLSX_FILE:
            return Tr("不能建立 xlsx 文件");
        case LXW_ERROR_CREATING_TMPFILE:
            return Tr("不能建立临时文件");
        case LXW_ERROR_READING_TMPFILE:
            return Tr("不能读取临时文件");
        case LXW_ERROR_ZIP_FILE_OPERATION:
        case LXW_ERROR_ZIP_PARAMETER_ERROR:
        case LXW_ERROR_ZIP_BAD_ZIP_FILE:
        case LXW_ERROR_ZIP_INTERNAL_ERROR:
        case LXW_ERROR_ZIP_FILE_ADD:
        case LXW_ERROR_ZIP_CLOSE:
            return Tr("压缩工作簿时出错");
        default:
            return lxw_strerror(e);
    }
}

}  // namespace

std::string DataSheetName(const char* name, int sheet) {
    if (sheet <= 1) return Tr(name);
    return StrFormat("%s (%d)", Tr(name), sheet);
}

std::string DataSheetsNote(const char* name, int sheets) {
    if (sheets <= 1) return {};
    return StrFormat(TrN("数据分在 %d 个工作表中: %s 到 %s", sheets), sheets,
                     DataSheetName(name, 1).c_str(), DataSheetName(name, sheets).c_str());
}

bool WriteWorkbook(const std::string& path, const SampleTable& table,
                   std::span<const ParamListRow> params, const RecordStatistics* statistics,
                   std::string* error, int* dataSheets) {
    return WriteWorkbook(path, WholeTable(table), params, statistics, error, dataSheets);
}

bool WriteWorkbook(const std::string& path, const TablePieces& pieces,
                   std::span<const ParamListRow> params, const RecordStatistics* statistics,
                   std::string* error, int* dataSheets) {
    const auto fail = [error](std::string why) {
        if (error) *error = std::move(why);
        return false;
    };
    PendingFile file(path);
    if (!file.ok()) return fail(file.Error());
    // The library's own temporary files (each sheet's rows, every part before it is zipped)
    // go beside the target too, not to TMPDIR: the folder the user chose is the one that has
    // to hold the workbook. They are removed from the folder as soon as they are opened.
    std::string tmpdir(".");
    if (const size_t slash = file.TempPath().rfind('/'); slash != std::string::npos) {
        tmpdir.assign(file.TempPath(), 0, std::max<size_t>(slash, 1));  // "/" stays "/"
    }
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = tmpdir.data();
    lxw_workbook* book = workbook_new_opt(file.TempPath().c_str(), &options);
    if (!book) return fail(StrFormat(Tr("不能建立工作簿 %s"), path.c_str()));
    // Constant-memory mode: each sheet's rows go out in order, one sheet after the other.
    SampleSheets samples(book, pieces.columns);
    std::string unread;
    bool ok = samples.Start();
    if (ok) {
        ok = pieces.read([&samples](const SampleTable& piece) { return samples.Add(piece); },
                         &unread);
    }
    if (!unread.empty()) {
        workbook_close(book);
        return fail(std::move(unread));
    }
    ok = samples.Ok() && ok;
    ok = WriteParamSheet(book, params) && ok;
    if (statistics) ok = WriteStatisticsSheet(book, *statistics) && ok;
    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR) {
        return fail(StrFormat(Tr("不能写入 %s: %s"), path.c_str(), LibraryReason(closed).c_str()));
    }
    if (!ok) return fail(StrFormat(Tr("不能写入 %s: 工作表被拒绝"), path.c_str()));
    // The library does not notice a failed write to its temporary files: read the workbook
    // back before it replaces anything.
    const bool paramRowsNumbered = std::all_of(params.begin(), params.end(), [](const auto& p) {
        return !p.label.empty() || !p.text.empty();
    });
    const std::vector<int> sheetRows = samples.SheetRows();
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
    parts.push_back(
        {names[sheetRows.size()], paramRowsNumbered ? static_cast<int>(params.size()) + 1 : -1});
    if (statistics) parts.push_back({names[sheetRows.size() + 1]});
    std::string damaged;
    if (!CheckXlsxFile(file.TempPath(), parts, &damaged)) {
        return fail(StrFormat(Tr("不能写入 %s: %s"), path.c_str(), damaged.c_str()));
    }
    if (!file.Commit()) return fail(file.Error());
    if (dataSheets) *dataSheets = static_cast<int>(sheetRows.size());
    return true;
}

}  // namespace qx

// The workbook export (xlsx, written with libxlsxwriter in constant-memory mode):
//   sheet "数据记录": a title row with the sample list's column titles, then one row per
//                    sample; rows beyond what a sheet holds (kSheetRows with the title row)
//                    go on in sheets "数据记录 (2)", "数据记录 (3)" ... laid out the same; the
//                    record number and the values as numeric cells (the number the list shows), the
//                    time as a date-time cell in local time whose number format shows the list's
//                    text; a value without a text stays blank. A history's gap row holds only its
//                    text in the time column.
//   sheet "参数表":   the title row "记录的参数", "内容", then the parameter rows, all text.
//   sheet "统计":     the figures of the query, when given (records/statistics_sheet.h), of
//                    all the rows whatever the sheets they take.
// The workbook is written beside the target, read back and checked (xlsx_check.h), and only
// then renamed over it; the library's temporary files go beside the target as well.
#pragma once

#include <span>
#include <string>

#include "core/model/language.h"
#include "core/model/param_list_rows.h"

namespace qx {

class SampleTable;
struct RecordStatistics;
struct TablePieces;

// The sheet names untranslated; the workbook carries them in the current language.
inline constexpr const char* kSampleSheetName = TrNoop("数据记录");
inline constexpr const char* kParamSheetName = TrNoop("参数表");

// The rows a worksheet holds, its title row included.
inline constexpr int kSheetRows = 1048576;

// The name of the sheet-th sheet (from 1) of the rows of a sheet named name: the name itself,
// then "name (2)", "name (3)" ..., in the current language.
std::string DataSheetName(const char* name, int sheet);
// What the export's summary says when the rows took more than one sheet ("数据分在 %d 个工作表中:
// %s 到 %s" with the first and last sheet's names); empty for one sheet.
std::string DataSheetsNote(const char* name, int sheets);

// False when the workbook could not be written completely; *error (when given) says why.
// *dataSheets (when given) is set to the number of sheets the rows took.
bool WriteWorkbook(const std::string& path, const SampleTable& table,
                   std::span<const ParamListRow> params,
                   const RecordStatistics* statistics = nullptr, std::string* error = nullptr,
                   int* dataSheets = nullptr);
// The same from a table in pieces, written as they come. *statistics is read once every
// piece has been written, so a streamed source may complete it while it is read.
bool WriteWorkbook(const std::string& path, const TablePieces& pieces,
                   std::span<const ParamListRow> params, const RecordStatistics* statistics,
                   std::string* error = nullptr, int* dataSheets = nullptr);

}  // namespace qx

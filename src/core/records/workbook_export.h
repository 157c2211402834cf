// The workbook export (xlsx, written with libxlsxwriter in constant-memory mode):
//   sheet "数据记录": a title row with the sample list's column titles, then one row per
//                    sample; the record number and the values as numeric cells (the number the
//                    list shows), the time as a date-time cell in local time whose number
//                    format shows the list's text; a value without a text stays blank. A
//                    history's gap row holds only its text in the time column.
//   sheet "参数表":   the title row "记录的参数", "内容", then the parameter rows, all text.
//   sheet "统计":     the figures of the query, when given (records/statistics_sheet.h).
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

// The sheet names untranslated; the workbook carries them in the current language.
inline constexpr const char* kSampleSheetName = TrNoop("数据记录");
inline constexpr const char* kParamSheetName = TrNoop("参数表");

// False when the workbook could not be written completely; *error (when given) says why.
bool WriteWorkbook(const std::string& path, const SampleTable& table,
                   std::span<const ParamListRow> params,
                   const RecordStatistics* statistics = nullptr, std::string* error = nullptr);

}  // namespace qx

// Exports of a comparison of instruments (records/comparison.h), in the ways a record's sample
// table is exported: replaced in one step, a workbook checked before it replaces anything, a
// reason for every failure.
//
// Workbook (xlsx):
//   sheet "对比数据": the title row "时间" and one column per instrument, "label(unit)"; one
//                    row per row of the aligned table: the time as a date-time cell showing
//                    the list's form, the values as numeric cells (the number shown), blank
//                    where an instrument has none. Rows beyond what a sheet holds go on in
//                    sheets "对比数据 (2)", "对比数据 (3)" ... laid out the same.
//   sheet "对比统计": label and value rows 量, 查询条件, 对齐间隔(秒), 仪器数, 下限 and 上限
//                    (the user's, when given); an empty row; the summary lines; an empty row;
//                    the table of figures (ComparisonFigureTable) with numbers and times as
//                    cells.
//   sheet "参数表":   per instrument a row "仪器" with its label, then the settings of its
//                    recordings in the window (HistoryParamRows).
// List text (UTF-16LE with byte-order mark, CR LF) and CSV (UTF-8, ISO 8601 times) of the
// aligned table, laid out as the sample list's exports (records/text_export.h); a row without
// values keeps its time.
// JSON (qxlog-cli --json): the quantity, query, step and limits, every instrument's figures
// and the figures across them, with instruments as indexes into "instruments".
#pragma once

#include <string>
#include <vector>

#include "core/model/language.h"
#include "record_export.h"

namespace qx {

struct Comparison;

inline constexpr const char* kComparisonSheetName = TrNoop("对比数据");
inline constexpr const char* kComparisonFiguresSheetName = TrNoop("对比统计");

// "时间", then "label(unit)" per instrument, in the current language.
std::vector<std::string> ComparisonColumnTitles(const Comparison& comparison);

std::string ComparisonListTextBytes(const Comparison& comparison);
std::string ComparisonCsvBytes(const Comparison& comparison);
std::string ComparisonJson(const Comparison& comparison);

// False when the file could not be written completely; *error (when given) says why.
// *dataSheets (when given) is set to the sheets the aligned table took.
bool WriteComparisonWorkbook(const std::string& path, const Comparison& comparison,
                             std::string* error = nullptr, int* dataSheets = nullptr);
// The workbook, the list text or the CSV as format says, replacing any file at path
// (*dataSheets 1 for the texts).
bool ExportComparison(const std::string& path, ExportFormat format, const Comparison& comparison,
                      std::string* error = nullptr, int* dataSheets = nullptr);

}  // namespace qx

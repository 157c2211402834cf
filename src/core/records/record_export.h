// The export command's decisions without its dialog: which writer a path takes, the export
// itself, its messages, the proposed file name and the parameter rows of a record.
//
// A path whose name ends in ".xls" or ".xlsx" (any letter case) is written as an xlsx
// workbook; any other name with an extension as the UTF-16 list text; a name without a usable
// "." (none, or only a leading one) is not exported at all. CSV is chosen explicitly.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/param_list_rows.h"

namespace qx {

class SampleTable;
struct RecordSet;
struct RecordStatistics;
struct TablePieces;

enum class ExportFormat { None, Workbook, Text, Csv };

ExportFormat ExportFormatForPath(std::string_view path);

// Writes the table (and for the workbook and the list text the parameter rows, for the
// workbook also the statistics when given) to path in the given format, replacing any file
// there only when the new one is complete. False when the file could not be written; *error
// (when given) says why. *dataSheets (when given) is set to the sheets a workbook's rows took
// (records/workbook_export.h), 1 for the other formats.
bool ExportSampleTable(const std::string& path, ExportFormat format, const SampleTable& table,
                       std::span<const ParamListRow> params,
                       const RecordStatistics* statistics = nullptr, std::string* error = nullptr,
                       int* dataSheets = nullptr);
// The same from a table in pieces, written as they come (the workbook reads *statistics once
// every piece is written).
bool ExportSampleTable(const std::string& path, ExportFormat format, const TablePieces& pieces,
                       std::span<const ParamListRow> params, const RecordStatistics* statistics,
                       std::string* error = nullptr, int* dataSheets = nullptr);

// "文件:%s\n导出成功!" and "文件:%s\n导出失败!" with the path, in the current language.
std::string ExportSucceededMessage(const std::string& path);
// The success message with a line for rows that took more than one sheet named sheetName
// (DataSheetsNote); the plain message for one sheet.
std::string ExportSucceededMessage(const std::string& path, const char* sheetName, int dataSheets);
std::string ExportFailedMessage(const std::string& path);

// "<data folder>/<record file's base name>.xlsx": the name after the last '/' without its
// last extension (the whole name when it has none).
std::string ProposedExportPath(const std::string& dataFolder, const std::string& recordPath);

// The record's parameter list: the rows its type shows, with texts made from its block (in the
// current language).
std::vector<ParamListRow> RecordParamRows(const RecordSet& set);

}  // namespace qx

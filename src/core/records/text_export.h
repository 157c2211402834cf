// The text exports of a sample table.
//
// List text (UTF-16LE, what the export command writes for every path that is not a
// workbook): the byte-order mark FF FE; the parameter rows "label,content" without a header;
// the sample list's header line with every title in double quotes, separated by commas; the
// sample rows, cells separated by commas without quotes. Every line ends with CR LF.
//
// CSV (UTF-8, RFC 4180, for scripts): a header row with the column titles, then one line per
// sample; the time as ISO 8601 local time with its UTC offset (2017-03-10T21:07:12+08:00);
// numbers as in the list, always with a decimal point; fields quoted only where they need it.
// A history's gap row is a line of empty fields.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "core/model/param_list_rows.h"

namespace qx {

class SampleTable;
struct TablePieces;

// The pieces, for the other tables written the same way: UTF-8 text appended as UTF-16LE code
// units, and one CSV field (quoted when it holds a comma, a quote or a line break).
void AppendUtf16Le(std::string& out, std::string_view utf8);
void AppendCsvField(std::string& out, std::string_view field);

std::string ListTextBytes(const SampleTable& table, std::span<const ParamListRow> params);
std::string CsvBytes(const SampleTable& table);

// Write the bytes above as the complete new contents of path (replaced in one step). False
// when that fails; *error (when given) says why.
bool WriteListText(const std::string& path, const SampleTable& table,
                   std::span<const ParamListRow> params, std::string* error = nullptr);
bool WriteCsv(const std::string& path, const SampleTable& table, std::string* error = nullptr);
// The same bytes from a table in pieces, written as they come.
bool WriteListText(const std::string& path, const TablePieces& pieces,
                   std::span<const ParamListRow> params, std::string* error = nullptr);
bool WriteCsv(const std::string& path, const TablePieces& pieces, std::string* error = nullptr);

}  // namespace qx

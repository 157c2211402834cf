// The format of an export written by qxlog-cli (export, library history, library compare):
// --format when given, else the one the file name's extension names.
#pragma once

#include <string>

#include "core/records/record_export.h"

namespace qx::cli {

// --format xlsx, text or csv when formatName is not empty; else .xlsx or .xls a workbook, .txt
// UTF-16 text, .csv CSV. Any other extension, or none, is refused rather than written as some
// format it does not name: ExportFormat::None with *problem saying why.
ExportFormat ChosenExportFormat(const std::string& path, const std::string& formatName,
                                std::string* problem);

}  // namespace qx::cli

// qxlog --print-pdf: the sample report, the chart or the statistics report of a record file written
// to a PDF file without a window, as the record browser would print it after the same query, for
// scripts that make daily reports.
#pragma once

#include <QString>
#include <cstdint>

#include "qx420_app.h"

namespace qx {

// Reads options.recordFile, runs options.printQuery at now and writes the report, the chart or
// the statistics report (options.printChoice) to options.printPdf through a temporary file.
// Returns the exit status: 0 with the query's status line in message, 1 with the failure in
// message and why on the line below (the record cannot be read, or the PDF cannot be written;
// no file is left then). A record file cut short is printed with the samples it holds, and
// *warning (when given) then holds the warning with what is missing on the line below.
int PrintPdfAtStart(const StartOptions& options, int64_t now, QString& message,
                    QString* warning = nullptr);

}  // namespace qx

#include "text_export.h"

#include <ctime>

#include "atomic_file.h"
#include "core/model/text_util.h"
#include "number_text.h"
#include "sample_table.h"
#include "table_pieces.h"

namespace qx {

// ASCII takes the short way.
void AppendUtf16Le(std::string& out, std::string_view utf8) {
    size_t i = 0;
    while (i < utf8.size()) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            out += '\0';
            ++i;
            continue;
        }
        size_t j = i;
        while (j < utf8.size() && static_cast<unsigned char>(utf8[j]) >= 0x80)
            ++j;
        for (char16_t u : Utf8ToUtf16(utf8.substr(i, j - i))) {
            out += static_cast<char>(u & 0xFF);
            out += static_cast<char>(u >> 8);
        }
        i = j;
    }
}

void AppendCsvField(std::string& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

namespace {

// The list text's lines before the samples: the parameter rows and, with columns, the titles.
void AppendListTextHead(std::string& out, std::span<const SampleColumn> columns,
                        std::span<const ParamListRow> params) {
    out += "\xFF\xFE";
    for (const ParamListRow& row : params) {
        AppendUtf16Le(out, row.label);
        AppendUtf16Le(out, ",");
        AppendUtf16Le(out, row.text);
        AppendUtf16Le(out, "\r\n");
    }
    for (size_t c = 0; c < columns.size(); ++c) {
        AppendUtf16Le(out, "\"");
        AppendUtf16Le(out, columns[c].title);
        AppendUtf16Le(out, c + 1 < columns.size() ? "\"," : "\"\r\n");
    }
}

void AppendListTextRows(std::string& out, const SampleTable& table) {
    const int columns = table.ColumnCount();
    if (columns == 0) return;
    for (int r = 0; r < table.RowCount(); ++r) {
        for (int c = 0; c < columns; ++c) {
            AppendUtf16Le(out, table.Cell(r, c));
            AppendUtf16Le(out, c + 1 < columns ? "," : "\r\n");
        }
    }
}

void AppendCsvHead(std::string& out, std::span<const SampleColumn> columns) {
    for (size_t c = 0; c < columns.size(); ++c) {
        AppendCsvField(out, columns[c].title);
        out += c + 1 < columns.size() ? "," : "\r\n";
    }
}

void AppendCsvRows(std::string& out, const SampleTable& table) {
    const int columns = table.ColumnCount();
    if (columns == 0) return;
    for (int r = 0; r < table.RowCount(); ++r) {
        if (table.IsGap(r)) {  // empty fields keep every column's type
            out.append(static_cast<size_t>(columns - 1), ',');
            out += "\r\n";
            continue;
        }
        for (int c = 0; c < columns; ++c) {
            if (table.Columns()[static_cast<size_t>(c)].series == SampleColumn::kTime) {
                const std::time_t t = table.Time(r);
                std::tm tm{};
                if (localtime_r(&t, &tm)) AppendIsoDateTime(out, tm);
            } else {
                AppendCsvField(out, table.Cell(r, c));
            }
            out += c + 1 < columns ? "," : "\r\n";
        }
    }
}

// Writes head and then every piece's rows, a buffer at a time, to a file that replaces path
// once all of it is written.
bool WritePieces(const std::string& path, const TablePieces& pieces, std::string head,
                 void (*appendRows)(std::string&, const SampleTable&), std::string* error) {
    constexpr size_t kBuffer = 1 << 20;
    ReplacingFile file(path);
    std::string out = std::move(head);
    std::string why;
    const bool read = file.ok() && pieces.read(
                                       [&](const SampleTable& piece) {
                                           appendRows(out, piece);
                                           if (out.size() < kBuffer) return true;
                                           const bool written = file.Write(out);
                                           out.clear();
                                           return written;
                                       },
                                       &why);
    if (read && file.Write(out) && file.Commit()) return true;
    if (error) *error = !file.ok() || why.empty() ? file.Error() : why;
    return false;
}

}  // namespace

std::string ListTextBytes(const SampleTable& table, std::span<const ParamListRow> params) {
    std::string out;
    const int columns = table.ColumnCount();
    out.reserve(2 + params.size() * 48 +
                static_cast<size_t>(table.RowCount()) * static_cast<size_t>(columns) * 20 + 256);
    AppendListTextHead(out, table.Columns(), params);
    AppendListTextRows(out, table);
    return out;
}

std::string CsvBytes(const SampleTable& table) {
    std::string out;
    const int columns = table.ColumnCount();
    if (columns == 0) return out;
    out.reserve(static_cast<size_t>(table.RowCount()) * static_cast<size_t>(columns) * 12 + 256);
    AppendCsvHead(out, table.Columns());
    AppendCsvRows(out, table);
    return out;
}

bool WriteListText(const std::string& path, const SampleTable& table,
                   std::span<const ParamListRow> params, std::string* error) {
    return ReplaceFile(path, ListTextBytes(table, params), error);
}

bool WriteCsv(const std::string& path, const SampleTable& table, std::string* error) {
    return ReplaceFile(path, CsvBytes(table), error);
}

bool WriteListText(const std::string& path, const TablePieces& pieces,
                   std::span<const ParamListRow> params, std::string* error) {
    std::string head;
    AppendListTextHead(head, pieces.columns, params);
    return WritePieces(path, pieces, std::move(head), AppendListTextRows, error);
}

bool WriteCsv(const std::string& path, const TablePieces& pieces, std::string* error) {
    std::string head;
    AppendCsvHead(head, pieces.columns);
    return WritePieces(path, pieces, std::move(head), AppendCsvRows, error);
}

}  // namespace qx

#include "text_export.h"

#include <ctime>

#include "atomic_file.h"
#include "core/model/text_util.h"
#include "number_text.h"
#include "sample_table.h"

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

std::string ListTextBytes(const SampleTable& table, std::span<const ParamListRow> params) {
    std::string out;
    const int columns = table.ColumnCount();
    out.reserve(2 + params.size() * 48 +
                static_cast<size_t>(table.RowCount()) * static_cast<size_t>(columns) * 20 + 256);
    out += "\xFF\xFE";
    for (const ParamListRow& row : params) {
        AppendUtf16Le(out, row.label);
        AppendUtf16Le(out, ",");
        AppendUtf16Le(out, row.text);
        AppendUtf16Le(out, "\r\n");
    }
    if (columns == 0) return out;
    for (int c = 0; c < columns; ++c) {
        AppendUtf16Le(out, "\"");
        AppendUtf16Le(out, table.Columns()[static_cast<size_t>(c)].title);
        AppendUtf16Le(out, c + 1 < columns ? "\"," : "\"\r\n");
    }
    for (int r = 0; r < table.RowCount(); ++r) {
        for (int c = 0; c < columns; ++c) {
            AppendUtf16Le(out, table.Cell(r, c));
            AppendUtf16Le(out, c + 1 < columns ? "," : "\r\n");
        }
    }
    return out;
}

std::string CsvBytes(const SampleTable& table) {
    std::string out;
    const int columns = table.ColumnCount();
    if (columns == 0) return out;
    out.reserve(static_cast<size_t>(table.RowCount()) * static_cast<size_t>(columns) * 12 + 256);
    for (int c = 0; c < columns; ++c) {
        AppendCsvField(out, table.Columns()[static_cast<size_t>(c)].title);
        out += c + 1 < columns ? "," : "\r\n";
    }
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
    return out;
}

bool WriteListText(const std::string& path, const SampleTable& table,
                   std::span<const ParamListRow> params, std::string* error) {
    return ReplaceFile(path, ListTextBytes(table, params), error);
}

bool WriteCsv(const std::string& path, const SampleTable& table, std::string* error) {
    return ReplaceFile(path, CsvBytes(table), error);
}

}  // namespace qx

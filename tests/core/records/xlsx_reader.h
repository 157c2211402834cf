// Reads the cells of an xlsx worksheet back for tests: the part is taken out of the zip with
// `unzip -p`, and the cells are picked out of the sheet's XML.
#pragma once

#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace qx::test {

inline std::string UnzipPart(const std::string& zip, const std::string& part) {
    const std::string command = "unzip -p '" + zip + "' '" + part + "' 2>/dev/null";
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

inline std::string XmlUnescape(std::string s) {
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
    for (const auto& [from, to] : entities) {
        for (size_t i = s.find(from); i != std::string::npos; i = s.find(from, i + 1)) {
            s.replace(i, std::string(from).size(), to);
        }
    }
    return s;
}

struct XlsxCell {
    bool isText = false;
    std::string value;  // the text, or the number as written in the XML
    int style = 0;      // the s attribute: an index into the styles' cellXfs
};

// Column letters of a reference like "AB12" to a 0-based index, and its 0-based row.
inline void ParseRef(const std::string& ref, int& row, int& col) {
    col = 0;
    size_t i = 0;
    for (; i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z'; ++i)
        col = col * 26 + (ref[i] - 'A' + 1);
    col -= 1;
    row = std::stoi(ref.substr(i)) - 1;
}

// Cells of a worksheet's XML as rows of columns; missing cells are absent from the row's map.
inline std::vector<std::map<int, XlsxCell>> SheetCells(const std::string& xml) {
    std::vector<std::map<int, XlsxCell>> rows;
    size_t pos = 0;
    while ((pos = xml.find("<c r=\"", pos)) != std::string::npos) {
        const size_t refEnd = xml.find('"', pos + 6);
        const std::string ref = xml.substr(pos + 6, refEnd - pos - 6);
        const size_t tagEnd = xml.find('>', refEnd);
        const bool selfClosed = xml[tagEnd - 1] == '/';
        const std::string tag = xml.substr(pos, tagEnd - pos);
        XlsxCell cell;
        if (const size_t s = tag.find(" s=\""); s != std::string::npos) {
            cell.style = std::stoi(tag.substr(s + 4));
        }
        if (!selfClosed) {
            const size_t close = xml.find("</c>", tagEnd);
            const std::string body = xml.substr(tagEnd + 1, close - tagEnd - 1);
            cell.isText = tag.find("t=\"inlineStr\"") != std::string::npos ||
                          tag.find("t=\"s\"") != std::string::npos ||
                          tag.find("t=\"str\"") != std::string::npos;
            const char* open = cell.isText ? "<t" : "<v>";
            const size_t b = body.find(open);
            if (b != std::string::npos) {
                const size_t start = body.find('>', b) + 1;
                const size_t end = body.find('<', start);
                cell.value = XmlUnescape(body.substr(start, end - start));
            }
            pos = close;
        } else {
            pos = tagEnd;
        }
        int r = 0, c = 0;
        ParseRef(ref, r, c);
        if (rows.size() <= static_cast<size_t>(r)) rows.resize(static_cast<size_t>(r) + 1);
        rows[static_cast<size_t>(r)][c] = cell;
    }
    return rows;
}

// The value of attribute `name` in the first `<tag ...>` at or after pos ("" when none).
inline std::string AttributeOf(const std::string& xml, size_t pos, const std::string& name) {
    const size_t end = xml.find('>', pos);
    const size_t at = xml.find(" " + name + "=\"", pos);
    if (at == std::string::npos || at > end) return "";
    const size_t start = at + name.size() + 3;
    return XmlUnescape(xml.substr(start, xml.find('"', start) - start));
}

// The number format code of cell style `style` in xl/styles.xml: the numFmtId of the
// style'th <xf> of <cellXfs>, looked up among the <numFmt> entries ("" when built in or none).
inline std::string NumberFormatOf(const std::string& styles, int style) {
    size_t pos = styles.find("<cellXfs");
    for (int i = 0; pos != std::string::npos && i <= style; ++i)
        pos = styles.find("<xf ", pos + 1);
    if (pos == std::string::npos) return "";
    const std::string id = AttributeOf(styles, pos, "numFmtId");
    for (size_t f = styles.find("<numFmt "); f != std::string::npos;
         f = styles.find("<numFmt ", f + 1)) {
        if (AttributeOf(styles, f, "numFmtId") == id) return AttributeOf(styles, f, "formatCode");
    }
    return "";
}

// A date-time serial number (days since 1899-12-30, as spreadsheets count after February
// 1900) as the text "yy-mm-dd hh:mm:ss", to the nearest second.
inline std::string SerialDateTimeText(double serial) {
    const auto seconds = static_cast<std::time_t>(std::llround((serial - 25569.0) * 86400.0));
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%y-%m-%d %H:%M:%S", &tm);
    return text;
}

}  // namespace qx::test

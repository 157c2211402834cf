// Reads the cells of an xlsx worksheet back for tests: the part is taken out of the zip with
// `unzip -p`, and the cells are picked out of the sheet's XML.
#pragma once

#include <cstdio>
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

}  // namespace qx::test

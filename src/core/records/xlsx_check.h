// Reads a finished xlsx file back before it takes the target's place. The workbook library
// keeps the sheets in temporary files and does not check its writes to them: a full disk
// leaves parts cut short inside a zip that is otherwise in order. So every part is unpacked
// and checked, not only the zip around it:
//   - the zip is complete: the end record, the central directory and every local header are
//     inside the file, and each local header agrees with the central directory; each entry is
//     stored or deflated and unpacks to its recorded size and CRC-32;
//   - every expected part is there, and each is well-formed XML in its tags (one root
//     element, every element closed in order, nothing but white space after the root);
//   - a part with a row count holds exactly that many <row> elements, numbered 1, 2, 3 ...
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace qx {

struct XlsxPart {
    std::string_view name;  // as stored in the zip, e.g. "xl/worksheets/sheet1.xml"
    int rows = -1;          // <row> elements the part must hold, numbered 1..rows; -1: any number,
                            // their numbers rising
};

// True when the file at path passes every check above. Otherwise false, and *error (when
// given) says what is wrong.
bool CheckXlsxFile(const std::string& path, std::span<const XlsxPart> parts,
                   std::string* error = nullptr);

}  // namespace qx

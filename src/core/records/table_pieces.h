// A sample table handed to the export writers in consecutive pieces, so that an export of any
// length holds one piece in memory at a time. Every piece is a SampleTable with the same
// columns; a piece's record numbers, gap rows and recordings go on from the piece before, as
// one table of all of them would hold them. A table in memory is one piece (WholeTable).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "sample_table.h"

namespace qx {

struct TablePieces {
    using Each = std::function<bool(const SampleTable& piece)>;

    // The columns of every piece.
    std::vector<SampleColumn> columns;
    // Hands every piece to each, in order, until each returns false. False when a piece could
    // not be read (*error, when given, says why) or each returned false.
    std::function<bool(const Each& each, std::string* error)> read;
};

// The table as its only piece; the table must outlive the pieces.
TablePieces WholeTable(const SampleTable& table);

}  // namespace qx

#include "table_pieces.h"

namespace qx {

TablePieces WholeTable(const SampleTable& table) {
    TablePieces pieces;
    pieces.columns.assign(table.Columns().begin(), table.Columns().end());
    pieces.read = [&table](const TablePieces::Each& each, std::string*) { return each(table); };
    return pieces;
}

}  // namespace qx

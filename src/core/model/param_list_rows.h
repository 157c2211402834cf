// The rows of a parameter list: which of the 27 possible items a model shows, in order,
// each a label and one of the block's display texts.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "instrument_catalogue.h"
#include "param_block.h"

namespace qx {

inline constexpr int kParamItemCount = 27;

struct ParamItem {
    const char* label;  // "仪器地址", ...: untranslated, Tr() shows it
    ParamText text;
};
// Item 0..26.
const ParamItem& ParamListItem(int item);

// Items a model's list shows, in order; none for type 0 (or below). Types above 11 show the
// list of types 1 and 2.
std::span<const int> ParamListItems(InstrumentTypeId type);

struct ParamListRow {
    std::string label;
    std::string text;
};
// The rows of a list for a model, with the texts made from a block (or empty texts); the labels
// in the current language.
std::vector<ParamListRow> ParamListRows(InstrumentTypeId type, const ParamTexts* texts);

}  // namespace qx

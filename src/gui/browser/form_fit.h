// The record browser's fixed form in a language other than Chinese. The form's positions are
// made for the Chinese texts, and there they stay exactly; longer texts widen their controls
// instead, and the controls to the right of them move along.
#pragma once

#include <vector>

class QHeaderView;
class QWidget;

namespace qx {

// Whether the form's controls follow their texts: false in Chinese, the form's own language.
bool FormFollowsTexts();

// The width a label, button or combo box needs for its text (a combo box for its longest
// item), never less than its width; other controls keep theirs.
int TextWidth(const QWidget& control);

// The width a list's column title needs (0 in Chinese, where the columns keep their widths).
int HeaderTextWidth(const QHeaderView& header, int section);

// Widens the controls of a form's rows to their texts. A row lists its controls from left to
// right, the n-th of every row in one column: a column grows by the most any of its controls
// needs that has a control to its right, the columns right of it move by as much, and the
// last control of a row just widens. Returns by how many pixels the rows reach further right
// than before (0 when every text fits, and always in Chinese).
int FitRows(const std::vector<std::vector<QWidget*>>& rows);

}  // namespace qx

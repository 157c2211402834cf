// The eliding label of the caption bar: a long text ends in "…" and never widens its window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

#include "gui/common/elided_label.h"
#include "gui/common/my_list_ctrl.h"

namespace qx {
namespace {

TEST(ElidedLabel, ShortensToItsWidthAndKeepsTheWholeText) {
    QWidget window;
    auto* row = new QHBoxLayout(&window);
    auto* label = new CElidedLabel(&window);
    row->addWidget(label);
    const QString text = QStringLiteral(
                             "Records  Instrument number A0200001  Query: from "
                             "2024-05-01 00:00:00 to 2024-05-20 23:59:59, 864 selected")
                             .repeated(3);
    label->SetFullText(text);
    // However long the text, the window may be made narrow.
    EXPECT_LT(window.minimumSizeHint().width(), 100);

    window.resize(300, 40);
    window.show();
    EXPECT_EQ(label->FullText(), text);
    EXPECT_TRUE(label->text().endsWith(QStringLiteral("…"))) << label->text().toStdString();
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
    EXPECT_EQ(label->toolTip(), text);

    // Wide enough: the whole text, no tool tip; and a new text is fitted at once.
    window.resize(label->sizeHint().width() + 40, 40);
    EXPECT_EQ(label->text(), text);
    EXPECT_TRUE(label->toolTip().isEmpty());
    label->SetFullText(QStringLiteral("Instrument"));
    EXPECT_EQ(label->text(), QStringLiteral("Instrument"));
}

// A parameter list's cell that ends in "…" shows its whole text as a tool tip; one that fits
// shows none.
TEST(ParamList, CutCellShowsItsTextAsToolTip) {
    CMyListCtrl list;
    list.SetColumns({QStringLiteral("Setting"), QStringLiteral("Value")}, {80, 80});
    list.SetRows({{QStringLiteral("Start mode"), QStringLiteral("Immediate start on power-up")},
                  {QStringLiteral("LED"), QStringLiteral("On")}});
    list.resize(170, 120);
    list.show();
    const auto tipAt = [&](int row) {
        const QRect cell = list.visualRect(list.model()->index(row, 1));
        QHelpEvent help(QEvent::ToolTip, cell.center(),
                        list.viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(list.viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tipAt(1), QString());
    EXPECT_EQ(tipAt(0), QStringLiteral("Immediate start on power-up"));
}

}  // namespace
}  // namespace qx

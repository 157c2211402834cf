#include "form_fit.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QWidget>
#include <algorithm>

#include "core/model/language.h"

namespace qx {

bool FormFollowsTexts() {
    return CurrentLanguage() != Language::kChinese;
}

int TextWidth(const QWidget& control) {
    const bool text = qobject_cast<const QLabel*>(&control) ||
                      qobject_cast<const QAbstractButton*>(&control) ||
                      qobject_cast<const QComboBox*>(&control);
    return text ? std::max(control.width(), control.sizeHint().width()) : control.width();
}

int HeaderTextWidth(const QHeaderView& header, int section) {
    if (!FormFollowsTexts() || !header.model()) return 0;
    const QString title = header.model()->headerData(section, header.orientation()).toString();
    int widest = 0;
    for (const QString& line : title.split(QLatin1Char('\n')))
        widest = std::max(widest, header.fontMetrics().horizontalAdvance(line));
    return widest + 2 * header.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header) + 2;
}

int FitRows(const std::vector<std::vector<QWidget*>>& rows) {
    if (!FormFollowsTexts()) return 0;
    size_t columns = 0;
    int oldRight = 0;
    for (const auto& row : rows) {
        columns = std::max(columns, row.size());
        for (const QWidget* w : row)
            oldRight = std::max(oldRight, w->geometry().right());
    }
    std::vector<int> growth(columns, 0);
    for (const auto& row : rows) {
        for (size_t c = 0; c + 1 < row.size(); ++c)
            growth[c] = std::max(growth[c], TextWidth(*row[c]) - row[c]->width());
    }
    int newRight = oldRight;
    for (const auto& row : rows) {
        int shift = 0;
        for (size_t c = 0; c < row.size(); ++c) {
            QWidget* w = row[c];
            w->setGeometry(w->x() + shift, w->y(), TextWidth(*w), w->height());
            newRight = std::max(newRight, w->geometry().right());
            shift += growth[c];
        }
    }
    return newRight - oldRight;
}

}  // namespace qx

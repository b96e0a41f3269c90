#include "app/list_widget_lines.h"

#include <QListWidget>

namespace lotdraw {

int ListWidgetLines::count() const {
    return m_widget->count();
}

void ListWidgetLines::clear() {
    m_widget->clear();
}

QString ListWidgetLines::lineAt(int index) const {
    return m_widget->item(index)->text();
}

void ListWidgetLines::replaceLine(int index, const QString &text) {
    m_widget->item(index)->setText(text);
}

void ListWidgetLines::appendLine(const QString &text) {
    m_widget->addItem(text);
}

} // namespace lotdraw

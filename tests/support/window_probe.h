#pragma once

#include "app/main_window.h"
#include "support/numbered_names.h"

#include <QImage>
#include <QListWidget>

namespace lotdraw::testing {

// The window as a test looks at it: its controls by objectName, the lines of its lists.

// A control the window lacks is a fault of the test; it ends the run at once.
template<typename Widget = QWidget>
Widget *control(const QWidget &window, const QString &name) {
    auto *widget = window.findChild<Widget *>(name);
    if (widget == nullptr) {
        qFatal("no control %s", qPrintable(name));
    }
    return widget;
}

// Of list 0 (the pool) or result list 1..4: the list, the heading over it, the button that opens
// the enlarged view on it.
inline QString listName(int index) {
    return index == 0 ? QStringLiteral("poolList") : QStringLiteral("resultList%1").arg(index);
}
inline QString headingName(int index) {
    return index == 0 ? QStringLiteral("poolHeading") : QStringLiteral("resultHeading%1").arg(index);
}
inline QString viewButtonName(int index) {
    return index == 0 ? QStringLiteral("poolViewButton") : QStringLiteral("viewButton%1").arg(index);
}

inline QStringList linesOf(const QListWidget *list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) {
        lines.append(list->item(i)->text());
    }
    return lines;
}

inline QStringList linesOf(const QWidget &window, int index) {
    return linesOf(control<QListWidget>(window, listName(index)));
}

// The colour a list is painted in, as the hall sees it: low in the list, where no line stands.
inline QColor backgroundOf(QListWidget *list) {
    const QImage image = list->grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() - 6);
}

} // namespace lotdraw::testing

#include "state/list_lines.h"

#include <stdexcept>

namespace lotdraw {

QString ListLines::line(int index) const {
    if (index < 0) {
        throw std::out_of_range("negative list line index");
    }
    return index < count() ? lineAt(index) : QString();
}

void ListLines::setLine(int index, const QString &text) {
    const int size = count();
    if (index < 0 || index > size) {
        throw std::out_of_range("list line index beyond the end");
    }
    if (index == size) {
        appendLine(text);
    } else {
        replaceLine(index, text);
    }
}

} // namespace lotdraw

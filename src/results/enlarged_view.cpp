#include "results/enlarged_view.h"

#include <stdexcept>

namespace lotdraw {

void EnlargedView::open(int source) {
    if (source < 0 || source > EventSnapshot::kResultLists) {
        throw std::out_of_range("no list to enlarge at this index");
    }
    const QStringList &names = source == 0 ? m_event.pool() : m_event.results(source);
    QStringList lines;
    for (const QString &name : names) {
        if (name.isEmpty() || lines.size() == kMaxLines) {
            break;
        }
        lines.append(name);
    }
    m_controls.showEnlargedList(lines);
}

void EnlargedView::close() {
    m_controls.closeEnlargedList();
}

} // namespace lotdraw

#include "results/enlarged_view.h"

#include <stdexcept>

namespace lotdraw {

void EnlargedView::open(int source) {
    if (source < FormControls::kPoolList || source > FormControls::kLastResultList) {
        throw std::out_of_range("no list to enlarge at this index");
    }
    m_controls.setEnlargedListVisible(true);
    m_controls.setEnlargedCloseVisible(true);

    ListLines &enlarged = m_controls.enlargedList();
    enlarged.clear();
    const ListLines &lines = m_controls.list(source);
    for (int i = 0; i < kMaxLines; ++i) {
        const QString text = lines.line(i);
        if (text.isEmpty()) {
            break;
        }
        enlarged.setLine(i, text);
    }
}

void EnlargedView::close() {
    m_controls.setEnlargedListVisible(false);
    m_controls.setEnlargedCloseVisible(false);
}

} // namespace lotdraw

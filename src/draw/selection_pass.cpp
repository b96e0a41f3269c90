#include "draw/selection_pass.h"

#include <bitset>
#include <cmath>
#include <stdexcept>

namespace lotdraw {

SelectionPass::Outcome SelectionPass::runSelectionPass() {
    // With drawSize < poolCount <= capacity every index below stays inside the picks. A larger pool
    // can only come from a broken invariant elsewhere; stop rather than write past the end.
    if (m_event.pool().size() > DrawState::kCapacity) {
        throw std::logic_error("pool count beyond the capacity of the pool");
    }
    const Int16 poolCount = toInt16(m_event.pool().size());
    const Int16 drawSize = m_state.drawSize;
    if (drawSize >= poolCount) {
        refuse();
        return Outcome::Refused;
    }

    // Which pool positions this pass has chosen so far. Looking a candidate up here answers the
    // same question as comparing it with picks(1..i-1) one by one, in constant time; the pass for
    // 98 of 99 names would otherwise spend most of its time on some forty thousand comparisons.
    std::bitset<DrawState::kCapacity + 1> chosen;
    for (int i = 1; i <= drawSize; ++i) {
        float candidate = drawCandidate(poolCount);
        while (chosen.test(static_cast<std::size_t>(candidate))) {
            candidate = drawCandidate(poolCount);
        }
        const Int16 position = toInt16(static_cast<long long>(candidate));
        chosen.set(static_cast<std::size_t>(position));
        m_state.picks[static_cast<std::size_t>(i)] = position;
    }

    m_state.shownName = nameAt(m_state.picks[1]);
    ++m_selections;
    return Outcome::Selected;
}

QString SelectionPass::nameAt(int position) const {
    return m_event.pool().value(position - 1);
}

// One draw of a pool position, 1..poolCount, preceded by a reseed from the clock. The product and
// the sum are formed in double so that no rounding to single precision can push a value near the
// top of [0, 1) up to poolCount + 1.
float SelectionPass::drawCandidate(Int16 poolCount) {
    m_random.reseedFromClock();
    const float u = m_random.nextUnit();
    const double scaled = static_cast<double>(static_cast<float>(poolCount)) * static_cast<double>(u) + 1.0;
    return static_cast<float>(std::floor(scaled));
}

void SelectionPass::refuse() {
    // The timer stops before the message opens, so no tick can run while it is on screen. The
    // focus goes to "开始" before "结束" hides, or it would pass on to the next control in the tab
    // order, an "导出", where the next Space would export.
    m_controls.setStartVisible(true);
    m_controls.focusStart();
    m_controls.setStopVisible(false);
    m_controls.setTimerInterval(FormControls::kStoppedInterval);
    m_state.skipTick = 1;
    m_messages.show(kTooManyMessage);
}

} // namespace lotdraw

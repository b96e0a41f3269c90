#include "state/draw_state_procedures.h"

#include <algorithm>

namespace lotdraw {

void DrawStateProcedures::resetForNewSeries() {
    m_controls.setNumberText(QString());
    m_controls.setKeepChosen(false);
    m_controls.setRemoveChosen(false);
    m_controls.setRollingText(QString());
    m_controls.setStartVisible(true);
    m_controls.focusStart();
    m_controls.setStopVisible(false);
    m_controls.setTimerInterval(FormControls::kStoppedInterval);

    m_state.resultSlot = 0;
    m_state.drawNumber = 0;
    m_state.skipTick = 1;

    for (int i = FormControls::kFirstResultList; i <= FormControls::kLastResultList; ++i) {
        m_controls.setHeading(i, headingFor(i));
        m_controls.setResultHighlighted(i, false);
        m_controls.list(i).clear();
    }
}

void DrawStateProcedures::refillPoolList() {
    ListLines &poolList = m_controls.list(FormControls::kPoolList);
    poolList.clear();
    // The pool never holds more than the array's capacity; clamping keeps a broken count from
    // reading past the last position.
    const int count = std::min<int>(m_state.poolCount, DrawState::kCapacity);
    for (int i = 1; i <= count; ++i) {
        poolList.append(m_state.poolNames[static_cast<std::size_t>(i)]);
    }
}

QString DrawStateProcedures::headingFor(int drawNumber) {
    return QStringLiteral("第%1次抽中").arg(drawNumber);
}

QString DrawStateProcedures::poolCountText(int poolCount) {
    return QStringLiteral("%1可抽值").arg(poolCount);
}

} // namespace lotdraw

#include "state/draw_state_procedures.h"

namespace lotdraw {

void DrawStateProcedures::resetForNewSeries() {
    m_controls.setNumberText(QString());
    m_controls.setRollingText(QString());
    m_controls.setStartVisible(true);
    m_controls.focusStart();
    m_controls.setStopVisible(false);
    m_controls.setTimerInterval(FormControls::kStoppedInterval);
    m_state.skipTick = 1;
    m_event.startSeries();
}

} // namespace lotdraw

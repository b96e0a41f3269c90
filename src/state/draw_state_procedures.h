#pragma once

#include "event/event_model.h"
#include "state/draw_state.h"
#include "state/form_controls.h"

namespace lotdraw {

// The reset for a new series of draws, which the import runs before it reads the workbook.
class DrawStateProcedures final {
public:
    DrawStateProcedures(DrawState &state, EventModel &event, FormControls &controls)
        : m_state(state)
        , m_event(event)
        , m_controls(controls) {}

    // Puts the draw controls, the skip flag and the event's series back for a new series of draws:
    // the number box and the rolling display blank, "开始" in view with the focus, the roll stopped,
    // the result lists empty and no keep choice. Leaves the pool alone.
    void resetForNewSeries();

private:
    DrawState &m_state;
    EventModel &m_event;
    FormControls &m_controls;
};

} // namespace lotdraw

#pragma once

#include "state/draw_state.h"
#include "state/form_controls.h"

namespace lotdraw {

// The two procedures that work on the whole draw state: the reset for a new series of draws and
// the refill of the pool list from the pool.
class DrawStateProcedures final {
public:
    DrawStateProcedures(DrawState &state, FormControls &controls)
        : m_state(state)
        , m_controls(controls) {}

    // Puts the counters, the skip flag and the draw controls back for a new series of draws.
    // Leaves the pool, its list and its count label alone.
    void resetForNewSeries();

    // Rebuilds the pool list from poolNames(1..poolCount).
    void refillPoolList();

    // "第<n>次抽中", the heading of a result list.
    [[nodiscard]] static QString headingFor(int drawNumber);
    // "<n>可抽值", the pool count label.
    [[nodiscard]] static QString poolCountText(int poolCount);

private:
    DrawState &m_state;
    FormControls &m_controls;
};

} // namespace lotdraw

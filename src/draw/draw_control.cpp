#include "draw/draw_control.h"

#include "draw/number_box.h"

namespace lotdraw {

// After every message of the draw the focus is on the button the operator pressed, wherever a key
// such as Page Down sent it from: a Space after the message must not press some other control.
bool DrawControl::refuseWithoutKeepChoice(Pressed pressed) {
    if (m_controls.isKeepChosen() || m_controls.isRemoveChosen()) {
        return false;
    }
    if (pressed == Pressed::Start) {
        m_controls.focusStart();
    } else {
        m_controls.focusStop();
    }
    m_messages.show(kNoKeepChoiceMessage);
    return true;
}

void DrawControl::onStartClicked() {
    if (!refuseWithoutKeepChoice(Pressed::Start)) {
        start();
    }
}

void DrawControl::onStopClicked() {
    if (!refuseWithoutKeepChoice(Pressed::Stop)) {
        stop();
    }
}

// A count below 1 would show a name nobody drew and file an empty result; a negative one would
// also raise the pool count above the names it holds, and one past 32767 does not fit the draw
// size. Nothing moves: the display, the lists and the round stay as they are. A draw that still
// rolls (its "开始" came up when the number box changed) rolls on with its count and can be stopped.
void DrawControl::refuseDrawCount() {
    if (m_controls.timerInterval() == FormControls::kStoppedInterval) {
        m_controls.focusStart();
    } else {
        m_controls.focusStop();
        m_controls.setStartVisible(false);
    }
    m_messages.show(drawCountOutOfRangeMessage(m_state.poolCount));
}

void DrawControl::start() {
    const int number = NumberBox::roundedValue(m_controls.numberText());
    if (number < 1 || number > INT16_MAX) {
        refuseDrawCount();
        return;
    }

    m_controls.setStartVisible(false);
    m_controls.setStopVisible(true);
    m_controls.focusStop();
    m_state.drawSize = toInt16(number);
    m_controls.setTimerInterval(FormControls::kRollingInterval);
    m_selectionsAtStart = m_pass.selectionsMade();
}

bool DrawControl::selectionStemsFromThisStart() const {
    return m_pass.selectionsMade() != m_selectionsAtStart;
}

void DrawControl::stop() {
    if (m_state.drawNumber == INT16_MAX) {
        m_controls.focusStop();
        m_messages.show(kSeriesFullMessage);
        return;
    }
    // A stop that comes before the first pass since the start would record the picks of an earlier
    // draw, which may point at names that have left the pool since. Draw now, show it, and record
    // nothing if the pass refuses.
    if (!selectionStemsFromThisStart()) {
        const SelectionPass::Outcome outcome = m_pass.runSelectionPass();
        m_controls.setRollingText(m_state.shownName);
        if (outcome == SelectionPass::Outcome::Refused) {
            return;
        }
    }

    m_controls.setStartVisible(true);
    m_controls.focusStart();
    m_controls.setStopVisible(false);
    m_controls.setTimerInterval(FormControls::kStoppedInterval);

    m_state.skipTick = 1;
    m_state.resultSlot = checkedAdd(m_state.resultSlot, 1);
    m_state.drawNumber = checkedAdd(m_state.drawNumber, 1);
    if (m_state.resultSlot == FormControls::kLastResultList + 1) {
        m_state.resultSlot = FormControls::kFirstResultList;
    }
    const int slot = m_state.resultSlot;
    m_selectionsAtStart = m_pass.selectionsMade();

    m_controls.setHeading(slot, DrawStateProcedures::headingFor(m_state.drawNumber));
    for (int i = FormControls::kFirstResultList; i <= FormControls::kLastResultList; ++i) {
        m_controls.setResultHighlighted(i, false);
    }
    m_controls.setResultHighlighted(slot, true);

    ListLines &results = m_controls.list(slot);
    results.clear();
    for (int k = 1; k <= m_state.drawSize; ++k) {
        const auto position = static_cast<std::size_t>(m_state.picks.at(static_cast<std::size_t>(k)));
        results.append(m_state.poolNames.at(position));
    }

    if (m_controls.isRemoveChosen()) {
        removeDrawnNames();
    }
}

void DrawControl::removeDrawnNames() {
    const Int16 oldCount = m_state.poolCount;
    for (int k = 1; k <= m_state.drawSize; ++k) {
        m_state.poolNames.at(static_cast<std::size_t>(m_state.picks.at(static_cast<std::size_t>(k)))).clear();
    }
    // Close the gaps, keeping the pool order. Positions from the write position up to the old count
    // keep what they held; they now lie outside the pool.
    Int16 write = 1;
    for (int k = 1; k <= oldCount; ++k) {
        const auto from = static_cast<std::size_t>(k);
        if (!m_state.poolNames.at(from).isEmpty()) {
            m_state.poolNames.at(static_cast<std::size_t>(write)) = m_state.poolNames.at(from);
            write = checkedAdd(write, 1);
        }
    }
    m_state.poolCount = checkedSub(oldCount, m_state.drawSize);
    m_procedures.refillPoolList();
    m_controls.setPoolCountText(DrawStateProcedures::poolCountText(m_state.poolCount));
}

void DrawControl::onRollTick() {
    if (m_state.skipTick == 1) {
        m_state.skipTick = 0;
        return;
    }
    static_cast<void>(m_pass.runSelectionPass());
    m_controls.setRollingText(m_state.shownName);
}

void DrawControl::onDrawCountChanged() {
    m_controls.setStartVisible(true);
}

} // namespace lotdraw

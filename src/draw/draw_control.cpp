#include "draw/draw_control.h"

#include "draw/number_box.h"

#include <algorithm>

namespace lotdraw {

// After every message of the draw the focus is on the button the operator pressed, wherever a key
// such as Page Down sent it from: a Space after the message must not press some other control.
bool DrawControl::refuseWithoutKeepChoice(Pressed pressed) {
    if (m_event.keepChoice() != KeepChoice::None) {
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
    m_messages.show(drawCountOutOfRangeMessage(static_cast<int>(m_event.pool().size())));
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
    if (m_event.drawNumber() == INT16_MAX) {
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
    m_selectionsAtStart = m_pass.selectionsMade();

    std::optional<QStringList> poolAfter;
    if (m_event.keepChoice() == KeepChoice::Remove) {
        poolAfter = poolWithoutDrawnNames();
    }
    m_event.recordDraw(drawnNames(), std::move(poolAfter));
}

// The selection in the order drawn; the first is the name on the display.
QStringList DrawControl::drawnNames() const {
    QStringList names;
    for (int k = 1; k <= m_state.drawSize; ++k) {
        names.append(m_pass.nameAt(m_state.picks.at(static_cast<std::size_t>(k))));
    }
    return names;
}

// The pool without the selected positions, in its order.
QStringList DrawControl::poolWithoutDrawnNames() const {
    const auto first = m_state.picks.begin() + 1;
    const auto last = first + m_state.drawSize;
    QStringList rest;
    for (int position = 1; position <= m_event.pool().size(); ++position) {
        if (std::find(first, last, position) == last) {
            rest.append(m_pass.nameAt(position));
        }
    }
    return rest;
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

#pragma once

#include "draw/random_generator.h"
#include "event/event_model.h"
#include "state/draw_state.h"
#include "state/form_controls.h"
#include "state/messages.h"

#include <QString>
#include <cstdint>

namespace lotdraw {

// One selection pass: chooses drawSize distinct positions of the event's pool (1 for its first name)
// at random into picks(1..drawSize) and puts the name at the first of them into shownName. A pass that is asked for as
// many names as the pool holds, or more, stops the rolling display and tells the operator instead.
class SelectionPass final {
public:
    enum class Outcome { Selected, Refused };

    static inline const QString kTooManyMessage = QStringLiteral("抽签的人数必须小于被抽总人数！");

    SelectionPass(DrawState &state, const EventModel &event, FormControls &controls, Messages &messages,
                  RandomGenerator &random)
        : m_state(state)
        , m_event(event)
        , m_controls(controls)
        , m_messages(messages)
        , m_random(random) {}

    Outcome runSelectionPass();

    // The name at a position of the pool, 1 for its first; the empty text at 0 and past the end.
    [[nodiscard]] QString nameAt(int position) const;

    // How many passes have ended with a selection since this object was made. The draw control uses
    // it to tell whether picks still stem from before the latest start.
    [[nodiscard]] std::uint64_t selectionsMade() const { return m_selections; }

private:
    void refuse();
    [[nodiscard]] float drawCandidate(Int16 poolCount);

    DrawState &m_state;
    const EventModel &m_event;
    FormControls &m_controls;
    Messages &m_messages;
    RandomGenerator &m_random;
    std::uint64_t m_selections = 0;
};

} // namespace lotdraw

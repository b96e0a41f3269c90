#pragma once

#include "draw/draw_control.h"
#include "draw/selection_pass.h"
#include "event/event_model.h"
#include "state/draw_state_procedures.h"
#include "support/fake_form_controls.h"
#include "support/recording_messages.h"

#include <QStringList>

namespace lotdraw::testing {

// The drawing engine as the window wires it, on the event and a fake form, without a window: the
// handlers are called as the buttons, the number box and the timer would call them.
struct DrawFixture {
    explicit DrawFixture(RandomGenerator &random)
        : pass(state, event, controls, messages, random)
        , control(state, event, controls, messages, pass) {}

    EventModel event;
    DrawState state;
    FakeFormControls controls;
    RecordingMessages messages;
    SelectionPass pass;
    DrawControl control;
    DrawStateProcedures procedures{state, event, controls};

    // What an import leaves behind, without the workbook: a new series on a pool of these names.
    void loadPool(const QStringList &names) {
        procedures.resetForNewSeries();
        event.setPool(names);
    }
    void setNumber(const QString &text) {
        controls.setNumberText(text);
        control.onDrawCountChanged();
    }
    // "开始", the tick that a reset or a stop leaves to be swallowed, and one pass.
    void startAndPass() {
        control.onStartClicked();
        control.onRollTick();
        control.onRollTick();
    }
    // A whole draw: start, one pass, stop.
    void draw() {
        startAndPass();
        control.onStopClicked();
    }
};

} // namespace lotdraw::testing

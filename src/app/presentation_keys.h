#pragma once

#include <Qt>

namespace lotdraw {

// What the window does with a key besides its ordinary meaning: the switch to full screen for a
// projector, the stage for the hall, and the "next" and "previous" of a presenter remote, which
// send Page Down and Page Up.
enum class PresentationCommand {
    None,              // the key goes on to the control that has the focus
    ToggleFullScreen,  // F11
    LeaveFullScreen,   // Esc, in full screen only
    StartOrStop,       // Page Down, Page Up: whichever of "开始" and "结束" shows
    ToggleStage,       // F5, Shift+F5
    CloseStage,        // Esc, while the stage shows
    CloseEnlargedView, // Esc, while the enlarged view is open
};

// What is open, which decides what Esc closes: the enlarged view first, then the stage, then full
// screen.
struct PresentationState {
    bool fullScreen = false;
    bool stageShown = false;
    bool enlargedViewOpen = false;
};

// Plain keys only (the keypad's count as plain): a key held with Shift, Ctrl or Alt keeps its usual
// meaning, but for Shift+F5, which presenter remotes send to start a presentation. A held key's
// repeats do nothing, so a key held a moment too long cannot start a draw and stop it at once, or
// flip the screen back and forth.
[[nodiscard]] PresentationCommand presentationCommandFor(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat,
                                                         const PresentationState &state);

} // namespace lotdraw

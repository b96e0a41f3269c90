#pragma once

#include <Qt>

namespace lotdraw {

// What the window does with a key besides its ordinary meaning: the switch to full screen for a
// projector, and the "next" and "previous" of a presenter remote, which send Page Down and Page Up.
enum class PresentationCommand {
    None,             // the key goes on to the control that has the focus
    ToggleFullScreen, // F11
    LeaveFullScreen,  // Esc, in full screen only
    StartOrStop,      // Page Down, Page Up: whichever of "开始" and "结束" shows
};

// Plain keys only (the keypad's count as plain): a key held with Shift, Ctrl or Alt keeps its usual
// meaning. A held key's repeats do nothing, so a key held a moment too long cannot start a draw and
// stop it at once, or flip the screen back and forth.
[[nodiscard]] PresentationCommand presentationCommandFor(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat,
                                                         bool fullScreen);

} // namespace lotdraw

#pragma once

#include <Qt>

namespace lotdraw {

// What the window does with a key besides its ordinary meaning: the switch to full screen for a
// projector, the stage for the hall, the "next" and "previous" of a presenter remote, which send
// Page Down and Page Up, its "black screen", which sends B or the full stop, and the keys an
// operator from another desktop expects of a window.
enum class PresentationCommand {
    None,               // the key goes on to the control that has the focus
    ToggleFullScreen,   // F11
    LeaveFullScreen,    // Esc, in full screen only
    StartOrStop,        // Page Down, Page Up: whichever of "开始" and "结束" shows
    ToggleStage,        // F5, Shift+F5
    CloseStage,         // Esc, while the stage shows
    PressFocusedButton, // Enter (Return or the keypad's): the focused button, as Space presses it
    CloseEnlargedView,  // Esc while the enlarged view is open, before anything else Esc does
    CloseExportNotice,  // Esc on the focused export notice, as a click closes it
    BlankStage,         // B, the full stop: the stage black, or back again
    PrintRecord,        // Ctrl+P: the print preview of the record
};

// What the window shows when a key comes, as far as it decides what the key does.
struct KeyContext {
    bool fullScreen = false;
    bool stageShown = false;
    bool enlargedViewOpen = false;
    bool exportNoticeFocused = false;
    bool numberBoxFocused = false; // where B and the full stop are typing
};

// Plain keys only (the keypad's count as plain): a key held with Shift, Ctrl or Alt keeps its usual
// meaning, but for Shift+F5, which presenter remotes send to start a presentation, and Ctrl+P, which
// prints on every desktop. B and the full stop blank only a stage that shows. A held key's
// repeats do nothing, so a key held a moment too long cannot start a draw and stop it at once, or
// flip the screen back and forth.
[[nodiscard]] PresentationCommand presentationCommandFor(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat,
                                                         const KeyContext &context);

} // namespace lotdraw

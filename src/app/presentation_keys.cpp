#include "app/presentation_keys.h"

namespace lotdraw {

PresentationCommand presentationCommandFor(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat, bool fullScreen) {
    if (autoRepeat || (modifiers & ~Qt::KeypadModifier) != Qt::NoModifier) {
        return PresentationCommand::None;
    }
    switch (key) {
        case Qt::Key_F11:
            return PresentationCommand::ToggleFullScreen;
        case Qt::Key_Escape:
            return fullScreen ? PresentationCommand::LeaveFullScreen : PresentationCommand::None;
        case Qt::Key_PageDown:
        case Qt::Key_PageUp:
            return PresentationCommand::StartOrStop;
        default:
            return PresentationCommand::None;
    }
}

} // namespace lotdraw

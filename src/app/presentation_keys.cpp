#include "app/presentation_keys.h"

namespace lotdraw {
namespace {

// Esc undoes the nearest thing first: the enlarged view over the window, the export notice that has
// the focus, then full screen.
PresentationCommand escapeCommandFor(KeyContext context) {
    if (context.enlargedViewOpen) {
        return PresentationCommand::CloseEnlargedView;
    }
    if (context.exportNoticeFocused) {
        return PresentationCommand::CloseExportNotice;
    }
    return context.fullScreen ? PresentationCommand::LeaveFullScreen : PresentationCommand::None;
}

} // namespace

PresentationCommand presentationCommandFor(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat,
                                           KeyContext context) {
    if (autoRepeat || (modifiers & ~Qt::KeypadModifier) != Qt::NoModifier) {
        return PresentationCommand::None;
    }
    switch (key) {
        case Qt::Key_F11:
            return PresentationCommand::ToggleFullScreen;
        case Qt::Key_Escape:
            return escapeCommandFor(context);
        case Qt::Key_PageDown:
        case Qt::Key_PageUp:
            return PresentationCommand::StartOrStop;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return PresentationCommand::PressFocusedButton;
        default:
            return PresentationCommand::None;
    }
}

} // namespace lotdraw

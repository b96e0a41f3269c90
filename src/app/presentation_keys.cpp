#include "app/presentation_keys.h"

namespace lotdraw {
namespace {

// Esc undoes the nearest thing first: the enlarged view over the window, the export notice that has
// the focus, the stage, then full screen.
PresentationCommand escapeCommandFor(const KeyContext &context) {
    if (context.enlargedViewOpen) {
        return PresentationCommand::CloseEnlargedView;
    }
    if (context.exportNoticeFocused) {
        return PresentationCommand::CloseExportNotice;
    }
    if (context.stageShown) {
        return PresentationCommand::CloseStage;
    }
    return context.fullScreen ? PresentationCommand::LeaveFullScreen : PresentationCommand::None;
}

} // namespace

PresentationCommand presentationCommandFor(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat,
                                           const KeyContext &context) {
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    if (autoRepeat) {
        return PresentationCommand::None;
    }
    if (key == Qt::Key_F5 && (held == Qt::NoModifier || held == Qt::ShiftModifier)) {
        return PresentationCommand::ToggleStage;
    }
    if (key == Qt::Key_P && held == Qt::ControlModifier) {
        return PresentationCommand::PrintRecord;
    }
    if (held != Qt::NoModifier) {
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
        case Qt::Key_B:
        case Qt::Key_Period:
            return context.stageShown && !context.numberBoxFocused ? PresentationCommand::BlankStage
                                                                   : PresentationCommand::None;
        default:
            return PresentationCommand::None;
    }
}

} // namespace lotdraw

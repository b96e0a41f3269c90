#include "app/presentation_keys.h"

namespace lotdraw {
namespace {

PresentationCommand escapeCommand(const PresentationState &state) {
    if (state.enlargedViewOpen) {
        return PresentationCommand::CloseEnlargedView;
    }
    if (state.stageShown) {
        return PresentationCommand::CloseStage;
    }
    return state.fullScreen ? PresentationCommand::LeaveFullScreen : PresentationCommand::None;
}

} // namespace

PresentationCommand presentationCommandFor(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat,
                                           const PresentationState &state) {
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    if (autoRepeat) {
        return PresentationCommand::None;
    }
    if (key == Qt::Key_F5 && (held == Qt::NoModifier || held == Qt::ShiftModifier)) {
        return PresentationCommand::ToggleStage;
    }
    if (held != Qt::NoModifier) {
        return PresentationCommand::None;
    }
    switch (key) {
        case Qt::Key_F11:
            return PresentationCommand::ToggleFullScreen;
        case Qt::Key_Escape:
            return escapeCommand(state);
        case Qt::Key_PageDown:
        case Qt::Key_PageUp:
            return PresentationCommand::StartOrStop;
        default:
            return PresentationCommand::None;
    }
}

} // namespace lotdraw

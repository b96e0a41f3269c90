#include "app/key_router.h"

#include "app/main_window.h"
#include "app/stage_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

namespace lotdraw {

KeyRouter::KeyRouter(Parts parts)
    : m_parts(parts) {
    // A list would take Page Down for itself: the keys are seen before any control gets them.
    QCoreApplication::instance()->installEventFilter(this);
}

bool KeyRouter::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) {
        return false;
    }
    // Keys for a control of the form or for the stage.
    auto *target = static_cast<QWidget *>(watched);
    QWidget &form = m_parts.window;
    const bool forStage = target->window() == &m_parts.stage.window();
    if (target != &form && !form.isAncestorOf(target) && !forStage) {
        return false;
    }
    const auto *key = static_cast<QKeyEvent *>(event);
    const KeyContext context{.fullScreen = form.isFullScreen(),
                             .stageShown = m_parts.stage.isShown(),
                             .enlargedViewOpen = m_parts.controls.isEnlargedListOpen(),
                             .exportNoticeFocused = target == m_parts.widgets.widget(Control::ExportNotice),
                             .numberBoxFocused = target == m_parts.widgets.widget(Control::DrawCountBox)};
    const PresentationCommand command =
        presentationCommandFor(key->key(), key->modifiers(), key->isAutoRepeat(), context);
    if (command == PresentationCommand::None) {
        return false;
    }
    if (command == PresentationCommand::PressFocusedButton) {
        return !forStage && pressFocusedButton(target);
    }
    // The office's work and a message hold the form's keys back; the stage's are held back alike.
    if (!forStage || takesKeys()) {
        run(command);
    }
    return true;
}

void KeyRouter::run(PresentationCommand command) {
    switch (command) {
        case PresentationCommand::None:
            break;
        case PresentationCommand::ToggleFullScreen:
            m_parts.window.setFullScreen(!m_parts.window.isFullScreen());
            break;
        case PresentationCommand::LeaveFullScreen:
            m_parts.window.setFullScreen(false);
            break;
        case PresentationCommand::StartOrStop:
            pressStartOrStop();
            break;
        case PresentationCommand::ToggleStage:
            m_parts.stage.setShown(!m_parts.stage.isShown());
            break;
        case PresentationCommand::CloseStage:
            m_parts.stage.setShown(false);
            break;
        case PresentationCommand::CloseEnlargedView:
            m_parts.widgets.button(Control::CloseViewButton)->click();
            break;
        case PresentationCommand::CloseExportNotice:
            m_parts.widgets.button(Control::ExportNotice)->click();
            break;
        case PresentationCommand::BlankStage:
            m_parts.stage.setBlank(!m_parts.stage.isBlank());
            break;
        case PresentationCommand::PrintRecord:
            m_parts.window.onPrintRecordClicked();
            break;
        case PresentationCommand::PressFocusedButton:
            break; // the eventFilter's own: it needs the key's target
    }
}

void KeyRouter::pressStartOrStop() {
    // Only where the operator could click the button: not under the enlarged view, not while the
    // office works, not behind a message box.
    if (m_parts.controls.isEnlargedListOpen() || !takesKeys()) {
        return;
    }
    QPushButton *start = m_parts.widgets.button(Control::StartButton);
    QPushButton *stop = m_parts.widgets.button(Control::StopButton);
    if (start->isVisible()) {
        start->click();
    } else if (stop->isVisible()) {
        stop->click();
    }
}

bool KeyRouter::takesKeys() const {
    return !m_parts.progress.isBusy() && QApplication::activeModalWidget() == nullptr;
}

bool KeyRouter::pressFocusedButton(QWidget *target) {
    auto *button = qobject_cast<QAbstractButton *>(target);
    if (button == nullptr || !button->isVisible() || !button->isEnabled()) {
        return false;
    }
    button->click();
    return true;
}

} // namespace lotdraw

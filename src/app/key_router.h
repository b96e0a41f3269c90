#pragma once

#include "app/presentation_keys.h"

#include <QObject>

namespace lotdraw {

class FormWidgets;
class MainWindow;
class SpreadsheetProgress;
class StagePresenter;
class WindowFormControls;

// The keys for a projector, the hall and a presenter remote, whichever control of the form or the
// stage has the focus: F5 and Shift+F5 open and close the stage, F11 switches full screen, Esc
// undoes the nearest of these, Page Down and Page Up press "开始" or "结束", B and the full stop
// turn the stage black and back, Enter presses the focused button, and Ctrl+P opens the print
// preview of the record. A message box is a window of its own and keeps its keys; while a message
// or the office holds the form, these keys do nothing.
class KeyRouter final : public QObject {
    Q_OBJECT

public:
    struct Parts {
        MainWindow &window;
        const FormWidgets &widgets;
        const WindowFormControls &controls;
        StagePresenter &stage;
        const SpreadsheetProgress &progress;
    };

    // Watches the keys of the whole application.
    explicit KeyRouter(Parts parts);
    Q_DISABLE_COPY_MOVE(KeyRouter)

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void run(PresentationCommand command);
    // A click on whichever of "开始" and "结束" shows; nothing where the operator could not click it.
    void pressStartOrStop();
    // Enter on a button presses it, as Space does; on any other control Enter keeps its own meaning.
    [[nodiscard]] static bool pressFocusedButton(QWidget *target);
    // Neither a message nor the office's work holds the window.
    [[nodiscard]] bool takesKeys() const;

    Parts m_parts;
};

} // namespace lotdraw

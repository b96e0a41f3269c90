#pragma once

#include "app/form_widgets.h"
#include "app/stage_layout.h"
#include "app/stage_model.h"
#include "app/window_form_controls.h"
#include "event/event_model.h"

#include <QObject>

class QTimer;

namespace lotdraw {

class StageWindow;

// The stage for the hall: shows the rolling name and the latest result, large, on the screen where
// it belongs, and follows the screens as a projector comes and goes. With more than one screen it
// covers one that does not hold the form, which stays where it is; with one it covers that. It
// shows what the form shows and changes nothing.
class StagePresenter final : public QObject {
    Q_OBJECT

public:
    StagePresenter(QWidget &form, const FormWidgets &widgets, const EventModel &event, WindowFormControls &controls);
    Q_DISABLE_COPY_MOVE(StagePresenter)

    // A stage that opens is never blank.
    void setShown(bool shown);
    [[nodiscard]] bool isShown() const;
    // The stage black or back, while it shows; it follows the draw meanwhile.
    void setBlank(bool blank);
    [[nodiscard]] bool isBlank() const;
    [[nodiscard]] StageWindow &window() const { return *m_stage; }
    // The window the operator works in, over which messages belong: the stage where it covers the
    // form's screen, otherwise the form.
    [[nodiscard]] QWidget *operatorWindow() const;

signals:
    void operatorWindowChanged();

private:
    // Shows the stage on the screen it belongs on.
    void place();
    // Puts the stage on its screen again, as screens come and go or the form moves.
    void followScreens();
    // Brings the stage up to date once the handler at work has ended.
    void followLater();
    void refresh();
    [[nodiscard]] StageLook look() const;

    QWidget &m_form;
    const FormWidgets &m_widgets;
    StageModel m_model;
    StageWindow *m_stage;
    QTimer *m_refresh;
};

} // namespace lotdraw

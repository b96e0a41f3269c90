#pragma once

#include "app/form_widgets.h"
#include "event/event_model.h"

#include <QColor>
#include <QObject>

class QRadioButton;

namespace lotdraw {

// The event on the form: the pool list with its count, the four result lists under their headings,
// the one that took the latest draw in the highlight colour, and the keep choice. The operator's
// choice goes into the event; nothing is read back from a widget.
class FormEventView final : public QObject {
    Q_OBJECT

public:
    // The back colour of the result list that took the latest draw (red 255, green 192, blue 255).
    static const QColor kHighlightColour;
    // "<n>可抽值", the pool count.
    [[nodiscard]] static QString poolCountText(int count);

    // Shows the event as it stands; the count only from the first change of the pool on, as the
    // window opens without one.
    FormEventView(EventModel &event, const FormWidgets &widgets);
    Q_DISABLE_COPY_MOVE(FormEventView)

private:
    void showPool();
    void showResultList(int list);
    void showLatestResultList(int list);
    void showKeepChoice(KeepChoice choice);
    void setOptionChosen(QRadioButton *option, bool chosen);

    EventModel &m_event;
    const FormWidgets &m_widgets;
};

} // namespace lotdraw

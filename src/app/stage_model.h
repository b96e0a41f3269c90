#pragma once

#include "event/event_model.h"

#include <QString>
#include <QStringList>

namespace lotdraw {

// What the stage puts before the hall at one moment.
struct StageScene {
    enum class Kind {
        Waiting,     // nothing drawn yet: only the program's name
        RollingName, // the text of the form's rolling display, also while it is empty
        Result,      // the heading and the names of the result list that received the latest draw
    };

    Kind kind = Kind::Waiting;
    QString text;      // the rolling name, or the result's heading
    QStringList names; // a result's names, in the result list's order

    friend bool operator==(const StageScene &, const StageScene &) = default;
};

// Says what the stage shows: it follows the form's rolling display and reads the result from the
// event, so the stage never shows a name the event does not hold.
//
// While a draw rolls the stage shows the rolling display's text; once a draw has gone into a result
// list, that list's heading and names; when the display changes again (a refusal, a new draw), the
// display's text again. After a reset, with the display empty and no draw rolling, it waits.
class StageModel final {
public:
    explicit StageModel(const EventModel &event)
        : m_event(event) {}

    void rollingTextChanged(const QString &text);
    void rollingChanged(bool rolling); // the roll timer started or stopped
    void latestResultListChanged(int list);

    [[nodiscard]] StageScene scene() const;

private:
    const EventModel &m_event;
    QString m_rollingText;
    bool m_rolling = false;
    bool m_showsLatestResult = false;
};

} // namespace lotdraw

#pragma once

#include "state/form_controls.h"

#include <QString>
#include <QStringList>
#include <array>

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

// Follows the form as its controls change and says what the stage shows. It keeps no names of its
// own: a result's names are read from the result list when asked, so the stage never shows a name
// the list does not hold.
//
// While a draw rolls the stage shows the rolling display's text; once a stop has filled a result
// list and given it the highlight, that list's heading and names; when the display changes again
// (a refusal, a new draw), the display's text again. After a reset, with the display empty and no
// draw rolling, it waits.
class StageModel final {
public:
    StageModel();

    void rollingTextChanged(const QString &text);
    void rollingChanged(bool rolling); // the roll timer started or stopped
    void headingChanged(int resultList, const QString &text);
    void highlightChanged(int resultList, bool on);

    [[nodiscard]] StageScene scene(FormControls &form) const;

private:
    QString m_rollingText;
    bool m_rolling = false;
    int m_shownResultList = 0; // 0 while no result list is on the stage
    std::array<QString, FormControls::kLastResultList + 1> m_headings;
};

} // namespace lotdraw

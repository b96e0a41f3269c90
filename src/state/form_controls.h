#pragma once

#include <QString>
#include <QStringList>

namespace lotdraw {

// What the handlers' logic shows in the main window and asks it, besides the event that the window
// shows of itself (event/EventModel): the number box, the start and stop buttons, the rolling
// display and its timer, the enlarged view, the export notice and the busy cursor. The window
// implements it over its real widgets; the logic never sees a widget, so it runs without a display.
class FormControls {
public:
    static constexpr int kStoppedInterval = 0;
    static constexpr int kRollingInterval = 100; // ms between two ticks of the rolling display

    virtual ~FormControls() = default;

    // The number box: names per draw.
    [[nodiscard]] virtual QString numberText() const = 0;
    virtual void setNumberText(const QString &text) = 0;
    virtual void setStartVisible(bool visible) = 0; // "开始"
    virtual void setStopVisible(bool visible) = 0;  // "结束", at the same place, behind "开始"
    virtual void focusStart() = 0;
    virtual void focusStop() = 0;

    // The rolling display's timer: 0 stops it, any other value runs it at that many milliseconds.
    [[nodiscard]] virtual int timerInterval() const = 0;
    virtual void setTimerInterval(int milliseconds) = 0;

    // The rolling display: the big name.
    virtual void setRollingText(const QString &text) = 0;

    // The enlarged list over the whole window with its close button "关闭", and the export notice.
    virtual void showEnlargedList(const QStringList &lines) = 0;
    virtual void closeEnlargedList() = 0;
    virtual void setExportNoticeVisible(bool visible) = 0;

    // A busy cursor while the spreadsheet application works.
    virtual void setBusy(bool busy) = 0;

protected:
    FormControls() = default;
};

// Shows the busy cursor for the lifetime of the object, on every way out of a handler.
class BusyScope final {
public:
    explicit BusyScope(FormControls &controls)
        : m_controls(controls) {
        m_controls.setBusy(true);
    }
    ~BusyScope() { m_controls.setBusy(false); }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    FormControls &m_controls;
};

} // namespace lotdraw

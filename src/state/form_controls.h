#pragma once

#include "state/list_lines.h"

#include <QString>

namespace lotdraw {

// The controls of the main window that the handlers' logic reads and drives. The window implements
// it over its real widgets; the logic itself never sees a widget, so it runs without a display.
class FormControls {
public:
    static constexpr int kPoolList = 0;        // the list of the names that can still be drawn
    static constexpr int kFirstResultList = 1; // the four result lists, 1..4
    static constexpr int kLastResultList = 4;
    static constexpr int kStoppedInterval = 0;
    static constexpr int kRollingInterval = 100; // ms between two ticks of the rolling display

    virtual ~FormControls() = default;

    // The draw settings.
    [[nodiscard]] virtual QString numberText() const = 0; // the number box: names per draw
    virtual void setNumberText(const QString &text) = 0;
    [[nodiscard]] virtual bool isKeepChosen() const = 0;   // "是": drawn names stay in the pool
    [[nodiscard]] virtual bool isRemoveChosen() const = 0; // "否": drawn names leave the pool
    virtual void setKeepChosen(bool chosen) = 0;
    virtual void setRemoveChosen(bool chosen) = 0;
    virtual void setStartVisible(bool visible) = 0; // "开始"
    virtual void setStopVisible(bool visible) = 0;  // "结束", at the same place, behind "开始"
    virtual void focusStart() = 0;
    virtual void focusStop() = 0;

    // The rolling display's timer: 0 stops it, any other value runs it at that many milliseconds.
    [[nodiscard]] virtual int timerInterval() const = 0;
    virtual void setTimerInterval(int milliseconds) = 0;

    // The rolling display: the big name.
    virtual void setRollingText(const QString &text) = 0;

    // The results frame: the five lists with their headings, and the pool count label.
    [[nodiscard]] virtual ListLines &list(int index) = 0;        // 0 the pool list, 1..4 the result lists
    virtual void setHeading(int index, const QString &text) = 0; // over result list 1..4
    virtual void setResultHighlighted(int index, bool on) = 0;   // back colour of result list 1..4
    virtual void setPoolCountText(const QString &text) = 0;

    // The enlarged view with its close button "关闭", and the export notice.
    [[nodiscard]] virtual ListLines &enlargedList() = 0;
    virtual void setEnlargedListVisible(bool visible) = 0;
    virtual void setEnlargedCloseVisible(bool visible) = 0;
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

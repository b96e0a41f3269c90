#pragma once

#include "state/list_lines.h"

#include <QString>

namespace lotdraw {

// The controls of the main window that the handlers' logic reads and drives. The window implements
// it over its real widgets; the logic itself never sees a widget, so it runs without a display.
class FormControls {
public:
    static constexpr int kPoolList = 0;        // List1(0)
    static constexpr int kFirstResultList = 1; // List1(1) .. List1(4)
    static constexpr int kLastResultList = 4;
    static constexpr int kStoppedInterval = 0;
    static constexpr int kRollingInterval = 100; // ms between two ticks of the rolling display

    virtual ~FormControls() = default;

    // Frame3: the draw settings.
    [[nodiscard]] virtual QString numberText() const = 0; // Text1
    virtual void setNumberText(const QString &text) = 0;
    [[nodiscard]] virtual bool isKeepChosen() const = 0;   // Option1(0) "是"
    [[nodiscard]] virtual bool isRemoveChosen() const = 0; // Option1(1) "否"
    virtual void setKeepChosen(bool chosen) = 0;
    virtual void setRemoveChosen(bool chosen) = 0;
    virtual void setStartVisible(bool visible) = 0; // Command3(0) "开始"
    virtual void setStopVisible(bool visible) = 0;  // Command3(1) "结束"
    virtual void focusStart() = 0;
    virtual void focusStop() = 0;

    // Timer1: 0 stops it, any other value runs it at that many milliseconds.
    [[nodiscard]] virtual int timerInterval() const = 0;
    virtual void setTimerInterval(int milliseconds) = 0;

    // Frame4: the rolling display Label2.
    virtual void setRollingText(const QString &text) = 0;

    // Frame1: the five lists with their headings, and the pool count label Label3.
    [[nodiscard]] virtual ListLines &list(int index) = 0;        // List1(0..4)
    virtual void setHeading(int index, const QString &text) = 0; // Label1(1..4)
    virtual void setResultHighlighted(int index, bool on) = 0;   // List1(1..4) back colour
    virtual void setPoolCountText(const QString &text) = 0;      // Label3

    // The enlarged view List2 with its close button Command5(1), and the export notice Command4(1).
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

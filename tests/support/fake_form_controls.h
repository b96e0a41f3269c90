#pragma once

#include "state/form_controls.h"

#include <QList>
#include <QStringList>
#include <optional>

namespace lotdraw::testing {

// The window's controls as plain values, so the handlers' logic runs and can be inspected without
// a display.
class FakeFormControls final : public FormControls {
public:
    [[nodiscard]] QString numberText() const override { return m_numberText; }
    void setNumberText(const QString &text) override { m_numberText = text; }
    void setStartVisible(bool visible) override { m_startVisible = visible; }
    void setStopVisible(bool visible) override { m_stopVisible = visible; }
    void focusStart() override { m_focus = QStringLiteral("startButton"); }
    void focusStop() override { m_focus = QStringLiteral("stopButton"); }
    [[nodiscard]] int timerInterval() const override { return m_timerInterval; }
    void setTimerInterval(int milliseconds) override { m_timerInterval = milliseconds; }
    void setRollingText(const QString &text) override { m_rollingText = text; }
    void showEnlargedList(const QStringList &lines) override { m_enlarged = lines; }
    void closeEnlargedList() override { m_enlarged.reset(); }
    void setExportNoticeVisible(bool visible) override { m_noticeVisible = visible; }
    void setBusy(bool busy) override {
        m_busyDepth += busy ? 1 : -1;
        m_busyChanges.append(busy);
    }

    // Inspection.
    [[nodiscard]] QString rollingText() const { return m_rollingText; }
    [[nodiscard]] bool isStartVisible() const { return m_startVisible; }
    [[nodiscard]] bool isStopVisible() const { return m_stopVisible; }
    [[nodiscard]] bool isRolling() const { return m_timerInterval == kRollingInterval; }
    [[nodiscard]] QString focus() const { return m_focus; }
    void setFocus(const QString &control) { m_focus = control; } // as the operator moves it
    [[nodiscard]] bool isEnlargedListOpen() const { return m_enlarged.has_value(); }
    [[nodiscard]] QStringList enlargedLines() const { return m_enlarged.value_or(QStringList{}); }
    [[nodiscard]] bool isExportNoticeVisible() const { return m_noticeVisible; }
    [[nodiscard]] int busyDepth() const { return m_busyDepth; }
    [[nodiscard]] const QList<bool> &busyChanges() const { return m_busyChanges; }

private:
    QString m_numberText;
    bool m_startVisible = true;
    bool m_stopVisible = true;
    QString m_focus;
    int m_timerInterval = kStoppedInterval;
    QString m_rollingText;
    std::optional<QStringList> m_enlarged; // while the enlarged view is open
    bool m_noticeVisible = false;
    int m_busyDepth = 0;
    QList<bool> m_busyChanges;
};

} // namespace lotdraw::testing

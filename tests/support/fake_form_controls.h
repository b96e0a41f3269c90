#pragma once

#include "state/form_controls.h"
#include "state/list_lines.h"

#include <QStringList>
#include <array>

namespace lotdraw::testing {

// The window's controls as plain values, so the handlers' logic runs and can be inspected without
// a display.
class FakeFormControls final : public FormControls {
public:
    FakeFormControls() {
        m_headings = {QStringLiteral("被抽名单："), QStringLiteral("第1次抽中"), QStringLiteral("第2次抽中"),
                      QStringLiteral("第3次抽中"), QStringLiteral("第4次抽中")};
    }

    [[nodiscard]] QString numberText() const override { return m_numberText; }
    void setNumberText(const QString &text) override { m_numberText = text; }
    [[nodiscard]] bool isKeepChosen() const override { return m_keepChosen; }
    [[nodiscard]] bool isRemoveChosen() const override { return m_removeChosen; }
    void setKeepChosen(bool chosen) override { m_keepChosen = chosen; }
    void setRemoveChosen(bool chosen) override { m_removeChosen = chosen; }
    void setStartVisible(bool visible) override { m_startVisible = visible; }
    void setStopVisible(bool visible) override { m_stopVisible = visible; }
    void focusStart() override { m_focus = QStringLiteral("startButton"); }
    void focusStop() override { m_focus = QStringLiteral("stopButton"); }
    [[nodiscard]] int timerInterval() const override { return m_timerInterval; }
    void setTimerInterval(int milliseconds) override { m_timerInterval = milliseconds; }
    void setRollingText(const QString &text) override { m_rollingText = text; }
    [[nodiscard]] ListLines &list(int index) override { return m_lists.at(static_cast<std::size_t>(index)); }
    void setHeading(int index, const QString &text) override { m_headings.at(static_cast<std::size_t>(index)) = text; }
    void setResultHighlighted(int index, bool on) override { m_highlighted.at(static_cast<std::size_t>(index)) = on; }
    void setPoolCountText(const QString &text) override { m_poolCountText = text; }
    [[nodiscard]] ListLines &enlargedList() override { return m_enlarged; }
    void setEnlargedListVisible(bool visible) override { m_enlargedVisible = visible; }
    void setEnlargedCloseVisible(bool visible) override { m_enlargedCloseVisible = visible; }
    void setExportNoticeVisible(bool visible) override { m_noticeVisible = visible; }
    void setBusy(bool busy) override {
        m_busyDepth += busy ? 1 : -1;
        m_busyChanges.append(busy);
    }

    // Inspection.
    [[nodiscard]] QStringList lines(int index) const { return m_lists.at(static_cast<std::size_t>(index)).lines(); }
    [[nodiscard]] QStringList enlargedLines() const { return m_enlarged.lines(); }
    [[nodiscard]] QString heading(int index) const { return m_headings.at(static_cast<std::size_t>(index)); }
    [[nodiscard]] bool isHighlighted(int index) const { return m_highlighted.at(static_cast<std::size_t>(index)); }
    [[nodiscard]] QString poolCountText() const { return m_poolCountText; }
    [[nodiscard]] QString rollingText() const { return m_rollingText; }
    [[nodiscard]] bool isStartVisible() const { return m_startVisible; }
    [[nodiscard]] bool isStopVisible() const { return m_stopVisible; }
    [[nodiscard]] QString focus() const { return m_focus; }
    [[nodiscard]] bool isEnlargedListVisible() const { return m_enlargedVisible; }
    [[nodiscard]] bool isEnlargedCloseVisible() const { return m_enlargedCloseVisible; }
    [[nodiscard]] bool isExportNoticeVisible() const { return m_noticeVisible; }
    [[nodiscard]] int busyDepth() const { return m_busyDepth; }
    [[nodiscard]] const QList<bool> &busyChanges() const { return m_busyChanges; }

private:
    QString m_numberText;
    bool m_keepChosen = true;
    bool m_removeChosen = false;
    bool m_startVisible = true;
    bool m_stopVisible = true;
    QString m_focus;
    int m_timerInterval = kStoppedInterval;
    QString m_rollingText;
    std::array<StringListLines, 5> m_lists;
    std::array<QString, 5> m_headings;
    std::array<bool, 5> m_highlighted{};
    QString m_poolCountText;
    StringListLines m_enlarged;
    bool m_enlargedVisible = false;
    bool m_enlargedCloseVisible = false;
    bool m_noticeVisible = false;
    int m_busyDepth = 0;
    QList<bool> m_busyChanges;
};

} // namespace lotdraw::testing

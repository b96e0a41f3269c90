#pragma once

#include "state/form_controls.h"
#include "state/list_lines.h"

#include <QString>
#include <array>

namespace lotdraw::testing {

// The window's controls as plain values, for logic tests that run without a display. Visibility,
// focus and colours are remembered so a test can check what the logic did to them.
class FakeFormControls final : public FormControls {
public:
    [[nodiscard]] QString numberText() const override { return m_numberText; }
    void setNumberText(const QString &text) override { m_numberText = text; }
    [[nodiscard]] bool isKeepChosen() const override { return m_keep; }
    [[nodiscard]] bool isRemoveChosen() const override { return m_remove; }
    void setKeepChosen(bool chosen) override { m_keep = chosen; }
    void setRemoveChosen(bool chosen) override { m_remove = chosen; }
    void setStartVisible(bool visible) override { m_startVisible = visible; }
    void setStopVisible(bool visible) override { m_stopVisible = visible; }
    void focusStart() override { m_focus = Focus::Start; }
    void focusStop() override { m_focus = Focus::Stop; }
    [[nodiscard]] int timerInterval() const override { return m_interval; }
    void setTimerInterval(int milliseconds) override { m_interval = milliseconds; }
    void setRollingText(const QString &text) override { m_rollingText = text; }
    [[nodiscard]] ListLines &list(int index) override { return m_lists.at(static_cast<std::size_t>(index)); }
    void setHeading(int index, const QString &text) override { m_headings.at(static_cast<std::size_t>(index)) = text; }
    void setResultHighlighted(int index, bool on) override { m_highlighted.at(static_cast<std::size_t>(index)) = on; }
    void setPoolCountText(const QString &text) override { m_poolCountText = text; }
    [[nodiscard]] ListLines &enlargedList() override { return m_enlarged; }
    void setEnlargedListVisible(bool visible) override { m_enlargedVisible = visible; }
    void setEnlargedCloseVisible(bool visible) override { m_enlargedCloseVisible = visible; }
    void setExportNoticeVisible(bool visible) override { m_exportNoticeVisible = visible; }
    void setBusy(bool busy) override { m_busyDepth += busy ? 1 : -1; }

    enum class Focus { None, Start, Stop };

    [[nodiscard]] bool startVisible() const { return m_startVisible; }
    [[nodiscard]] bool stopVisible() const { return m_stopVisible; }
    [[nodiscard]] Focus focus() const { return m_focus; }
    [[nodiscard]] const QString &rollingText() const { return m_rollingText; }
    [[nodiscard]] const QString &heading(int index) const { return m_headings.at(static_cast<std::size_t>(index)); }
    [[nodiscard]] bool highlighted(int index) const { return m_highlighted.at(static_cast<std::size_t>(index)); }
    [[nodiscard]] const QString &poolCountText() const { return m_poolCountText; }
    [[nodiscard]] const QStringList &lines(int index) const {
        return m_lists.at(static_cast<std::size_t>(index)).lines();
    }
    [[nodiscard]] int busyDepth() const { return m_busyDepth; }

private:
    QString m_numberText;
    bool m_keep = true;
    bool m_remove = false;
    bool m_startVisible = true;
    bool m_stopVisible = true;
    Focus m_focus = Focus::None;
    int m_interval = kStoppedInterval;
    QString m_rollingText;
    std::array<StringListLines, 5> m_lists{};
    std::array<QString, 5> m_headings{};
    std::array<bool, 5> m_highlighted{};
    QString m_poolCountText;
    StringListLines m_enlarged;
    bool m_enlargedVisible = false;
    bool m_enlargedCloseVisible = false;
    bool m_exportNoticeVisible = false;
    int m_busyDepth = 0;
};

} // namespace lotdraw::testing

#pragma once

#include "draw/selection_pass.h"
#include "event/event_model.h"
#include "state/draw_state.h"
#include "state/form_controls.h"
#include "state/messages.h"

#include <QString>
#include <cstdint>

namespace lotdraw {

// The start/stop cycle of a draw: the start arms the rolling display, every tick runs a selection
// pass and shows its first name, and the stop records the selection in the event's next result list
// and, when the operator chose "否", takes the drawn names out of the pool.
class DrawControl final {
public:
    static inline const QString kNoKeepChoiceMessage = QStringLiteral("抽签设置中的保留情况尚未设置，请选择！");
    static inline const QString kSeriesFullMessage =
        QStringLiteral("本轮抽签已达32767次，不能再记录结果！请重新导入抽签对象，开始新的一轮抽签。");

    // A draw of no names, or of a negative number or one past 32767, is refused at the start.
    [[nodiscard]] static QString drawCountOutOfRangeMessage(int poolCount) {
        return QStringLiteral("抽取值（每次抽取的人数）必须至少为1，并且小于被抽总人数（现有%1人），请重新输入！")
            .arg(poolCount);
    }

    DrawControl(DrawState &state, EventModel &event, FormControls &controls, Messages &messages, SelectionPass &pass)
        : m_state(state)
        , m_event(event)
        , m_controls(controls)
        , m_messages(messages)
        , m_pass(pass) {}

    // "开始" and "结束": each first checks that a keep choice is made.
    void onStartClicked();
    void onStopClicked();
    // One tick of the rolling display: swallowed once after a reset, stop or refusal, otherwise a
    // selection pass whose first name goes on the display.
    void onRollTick();
    // The number box changed: "开始" shows, so a rolling draw can be restarted with the new number.
    void onDrawCountChanged();

private:
    enum class Pressed { Start, Stop };
    [[nodiscard]] bool refuseWithoutKeepChoice(Pressed pressed);
    void refuseDrawCount();
    void start();
    void stop();
    [[nodiscard]] QStringList drawnNames() const;
    [[nodiscard]] QStringList poolWithoutDrawnNames() const;
    [[nodiscard]] bool selectionStemsFromThisStart() const;

    DrawState &m_state;
    EventModel &m_event;
    FormControls &m_controls;
    Messages &m_messages;
    SelectionPass &m_pass;
    // The pass count at the latest start or stop: picks belong to the current draw only once a pass
    // has run since then.
    std::uint64_t m_selectionsAtStart = 0;
};

} // namespace lotdraw

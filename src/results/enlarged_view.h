#pragma once

#include "event/event_model.h"
#include "state/form_controls.h"

namespace lotdraw {

// The enlarged list view: a copy of the pool or of a result list drawn over the whole window in
// large type, with "关闭" in front of it.
class EnlargedView final {
public:
    static constexpr int kMaxLines = 100;

    EnlargedView(const EventModel &event, FormControls &controls)
        : m_event(event)
        , m_controls(controls) {}

    // "详情" (source 0, the pool) or "查看" (1..4, the result lists): shows the source's names up to
    // the first empty one and at most 100 of them. A snapshot: later changes to the source show
    // only at the next opening.
    void open(int source);
    // "关闭": hides the enlarged list and its close button.
    void close();

private:
    const EventModel &m_event;
    FormControls &m_controls;
};

} // namespace lotdraw

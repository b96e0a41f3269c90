#pragma once

#include "state/form_controls.h"

namespace lotdraw {

// The enlarged list view: a copy of one of the five lists drawn over the whole window in large
// type, with "关闭" in front of it.
class EnlargedView final {
public:
    static constexpr int kMaxLines = 100;

    explicit EnlargedView(FormControls &controls)
        : m_controls(controls) {}

    // "详情" (source 0, the pool list) or "查看" (1..4, the result lists): shows the enlarged list and
    // its close button, then copies the source list into it up to its first empty line and at most
    // 100 lines. A snapshot: later changes to the source show only at the next opening.
    void open(int source);
    // "关闭": hides the enlarged list and its close button; the list keeps its lines unseen.
    void close();

private:
    FormControls &m_controls;
};

} // namespace lotdraw

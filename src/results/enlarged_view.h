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

    // Command2_Click(0..4): shows List2 and its close button, then copies List1(source) into List2
    // up to its first empty line and at most 100 lines. A snapshot: later changes to the source
    // show only at the next opening.
    void open(int source);
    // Command5_Click: hides List2 and its close button; List2 keeps its lines unseen.
    void close();

private:
    FormControls &m_controls;
};

} // namespace lotdraw

#pragma once

#include "spreadsheet/spreadsheet_waiter.h"

#include <QString>

namespace lotdraw {

// The words the progress window shows for a step.
[[nodiscard]] QString stepText(SpreadsheetStep step);
// Shown once the operator has asked to stop, until the step has given up.
[[nodiscard]] QString cancellingText();

} // namespace lotdraw

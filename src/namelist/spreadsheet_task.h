#pragma once

#include "spreadsheet/spreadsheet.h"
#include "state/form_controls.h"
#include "state/messages.h"

#include <optional>

namespace lotdraw {

// Runs one piece of spreadsheet work under a busy cursor. A SpreadsheetError ends the work where it
// was raised; its message is shown once the cursor is back to normal, so the operator does not read
// it under an hourglass. A cancel by the operator ends it the same way, without a message. Returns
// whether the work ran to its end.
template<typename Work>
bool runSpreadsheetTask(FormControls &controls, Messages &messages, Work &&work) {
    std::optional<QString> failure;
    {
        const BusyScope busy(controls);
        try {
            work();
        } catch (const SpreadsheetCancelled &) {
            return false;
        } catch (const SpreadsheetError &error) {
            failure = error.userMessage();
        }
    }
    if (failure) {
        messages.show(*failure);
        return false;
    }
    return true;
}

} // namespace lotdraw

#pragma once

#include "spreadsheet/spreadsheet.h"
#include "state/form_controls.h"
#include "state/messages.h"

#include <optional>

namespace lotdraw {

// Runs one command's spreadsheet work under a busy cursor. The command's cancellation token is made
// here and handed to `work`, which passes it on to every instance it creates. A SpreadsheetError
// ends the work where it was raised; its message is shown once the cursor is back to normal, so the
// operator does not read it under an hourglass. A cancel by the operator ends it the same way,
// without a message. Returns whether the work ran to its end.
template<typename Work>
bool runSpreadsheetTask(FormControls &controls, Messages &messages, Work &&work) {
    std::optional<QString> failure;
    {
        const BusyScope busy(controls);
        try {
            const CancellationToken cancel;
            work(cancel);
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

#pragma once

#include "spreadsheet/cancellation_token.h"
#include "spreadsheet/spreadsheet_error.h"

#include <QString>
#include <functional>

namespace lotdraw {

// What the program is waiting on the spreadsheet application for.
enum class SpreadsheetStep {
    Start,       // looking for a running application, starting one and connecting to it
    Open,        // opening the name-list workbook
    Read,        // reading names
    Write,       // writing names
    Save,        // saving the workbook
    Close,       // closing the workbook and ending the application
    Show,        // opening the workbook in the user's own window
    NewWorkbook, // making a new workbook
};

// Runs calls that block on the spreadsheet application. The window's waiter keeps the window alive
// meanwhile and offers the operator a way to stop.
class SpreadsheetWaiter {
public:
    virtual ~SpreadsheetWaiter() = default;

    // Runs `call` to its end and rethrows what it threw. While it runs, the operator may cancel
    // `cancel` (on the thread that called run()), which must make the call return soon; without a
    // token the step cannot be stopped. Work handed to the background before is waited for first.
    virtual void run(SpreadsheetStep step, const std::function<void()> &call, CancellationToken *cancel) = 0;

    // Work that the operator does not wait for, such as ending an instance whose results are in:
    // `call` may run after this returns, while the window takes input again, but always before the
    // next run(). A SpreadsheetError it throws reaches `onFailure` (if given) on this thread. This
    // waiter runs it at once.
    virtual void runInBackground(std::function<void()> call, const std::function<void(const QString &)> &onFailure) {
        try {
            run(SpreadsheetStep::Close, call, nullptr);
        } catch (const SpreadsheetError &error) {
            if (onFailure) {
                onFailure(error.userMessage());
            }
        }
    }

protected:
    SpreadsheetWaiter() = default;
};

} // namespace lotdraw

#pragma once

#include <functional>

namespace lotdraw {

// What the program is waiting on the spreadsheet application for.
enum class SpreadsheetStep {
    Start,       // starting the application and connecting to it
    Open,        // opening the name-list workbook
    Read,        // reading cells
    Write,       // writing cells
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

    // Runs `call` to its end and rethrows what it threw. While it runs, `cancel` may be called once,
    // on the thread that called run(), when the operator asks to stop; it must make the call return
    // soon. An empty `cancel` means the step cannot be stopped.
    virtual void run(SpreadsheetStep step, const std::function<void()> &call, const std::function<void()> &cancel) = 0;

protected:
    SpreadsheetWaiter() = default;
};

} // namespace lotdraw

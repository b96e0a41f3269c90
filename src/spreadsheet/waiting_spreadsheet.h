#pragma once

#include "spreadsheet/spreadsheet.h"
#include "spreadsheet/spreadsheet_waiter.h"

#include <functional>
#include <memory>

namespace lotdraw {

// The spreadsheet application with every call that may block handed to a waiter, so that the
// window stays alive while the office works and the operator can stop a long wait through the
// command's token. A stop ends the office and fails the call, and every later call on that
// instance, with SpreadsheetCancelled.
//
// An instance's end is work the operator does not wait for: close() and the instance's release
// go to the waiter's background, so that the window takes input again as soon as the command has
// its result; the next call waits for that end first, the probe included (it would see the office
// that is still ending). A close that fails only then is told through `lateFailure`.
class WaitingSpreadsheetApplication final : public SpreadsheetApplication {
public:
    WaitingSpreadsheetApplication(SpreadsheetApplication &inner, SpreadsheetWaiter &waiter,
                                  std::function<void(const QString &)> lateFailure)
        : m_inner(inner)
        , m_waiter(waiter)
        , m_lateFailure(std::move(lateFailure)) {}

    [[nodiscard]] bool isRunning() override;
    [[nodiscard]] std::unique_ptr<SpreadsheetInstance> create(const CancellationToken &cancel) override;

private:
    SpreadsheetApplication &m_inner;
    SpreadsheetWaiter &m_waiter;
    std::function<void(const QString &)> m_lateFailure;
};

} // namespace lotdraw

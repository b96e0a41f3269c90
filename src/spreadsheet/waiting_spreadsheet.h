#pragma once

#include "spreadsheet/spreadsheet.h"
#include "spreadsheet/spreadsheet_waiter.h"

#include <memory>

namespace lotdraw {

// The spreadsheet application with every call that may block handed to a waiter, so that the
// window stays alive while the office works and the operator can stop a long wait. A stop ends the
// office (SpreadsheetInstance::abort) and fails the call, and every later call on that instance,
// with SpreadsheetCancelled. The probe is asked directly: it is quick and has nothing to stop.
class WaitingSpreadsheetApplication final : public SpreadsheetApplication {
public:
    WaitingSpreadsheetApplication(SpreadsheetApplication &inner, SpreadsheetWaiter &waiter)
        : m_inner(inner)
        , m_waiter(waiter) {}

    [[nodiscard]] bool isRunning() override { return m_inner.isRunning(); }
    [[nodiscard]] std::unique_ptr<SpreadsheetInstance> create() override;
    void abortCreate() noexcept override { m_inner.abortCreate(); }

private:
    SpreadsheetApplication &m_inner;
    SpreadsheetWaiter &m_waiter;
};

} // namespace lotdraw

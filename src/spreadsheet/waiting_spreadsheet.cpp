#include "spreadsheet/waiting_spreadsheet.h"

namespace lotdraw {

namespace {

// Lets an instance go through the waiter: ending a hidden office may itself take a moment. It
// cannot be stopped, since the object is going away under the call; it is bounded by the office
// layer's own limits.
void release(SpreadsheetWaiter &waiter, std::unique_ptr<SpreadsheetInstance> &instance) noexcept {
    try {
        waiter.run(SpreadsheetStep::Close, [&instance] { instance.reset(); }, {});
    } catch (...) {
        // The instance is gone either way; what its end met is of no use to anyone now.
    }
    instance.reset();
}

class WaitingSpreadsheetInstance final : public SpreadsheetInstance {
public:
    WaitingSpreadsheetInstance(std::unique_ptr<SpreadsheetInstance> inner, SpreadsheetWaiter &waiter)
        : m_inner(std::move(inner))
        , m_waiter(waiter) {}
    ~WaitingSpreadsheetInstance() override { release(m_waiter, m_inner); }
    WaitingSpreadsheetInstance(const WaitingSpreadsheetInstance &) = delete;
    WaitingSpreadsheetInstance &operator=(const WaitingSpreadsheetInstance &) = delete;
    WaitingSpreadsheetInstance(WaitingSpreadsheetInstance &&) = delete;
    WaitingSpreadsheetInstance &operator=(WaitingSpreadsheetInstance &&) = delete;

    void openWorkbook(const QString &path) override {
        wait(SpreadsheetStep::Open, [&] { m_inner->openWorkbook(path); });
    }
    [[nodiscard]] QString cell(int row, int column) override {
        QString text;
        wait(SpreadsheetStep::Read, [&] { text = m_inner->cell(row, column); });
        return text;
    }
    void setCell(int row, int column, const QString &text) override {
        wait(SpreadsheetStep::Write, [&] { m_inner->setCell(row, column, text); });
    }
    void saveActiveWorkbook() override {
        wait(SpreadsheetStep::Save, [&] { m_inner->saveActiveWorkbook(); });
    }
    void quit() override {
        wait(SpreadsheetStep::Close, [&] { m_inner->quit(); });
    }
    void closeWorkbooks() override {
        wait(SpreadsheetStep::Close, [&] { m_inner->closeWorkbooks(); });
    }
    void setVisible(bool visible) override {
        wait(SpreadsheetStep::Show, [&] { m_inner->setVisible(visible); });
    }
    void newWorkbook(const QString &path) override {
        wait(SpreadsheetStep::NewWorkbook, [&] { m_inner->newWorkbook(path); });
    }
    void abort() noexcept override { m_inner->abort(); }

private:
    template<typename Call>
    void wait(SpreadsheetStep step, const Call &call) {
        // Once stopped, the office is gone: nothing more is asked of it.
        if (m_cancelled) {
            throw SpreadsheetCancelled();
        }
        try {
            m_waiter.run(step, call, [this] {
                m_cancelled = true;
                m_inner->abort();
            });
        } catch (const SpreadsheetError &) {
            // Whatever the stopped call met on its way out, the operator asked for the stop.
            if (m_cancelled) {
                throw SpreadsheetCancelled();
            }
            throw;
        }
        // The call may have come back just before the stop reached it; the work ends here all the same.
        if (m_cancelled) {
            throw SpreadsheetCancelled();
        }
    }

    std::unique_ptr<SpreadsheetInstance> m_inner;
    SpreadsheetWaiter &m_waiter;
    bool m_cancelled = false;
};

} // namespace

std::unique_ptr<SpreadsheetInstance> WaitingSpreadsheetApplication::create() {
    std::unique_ptr<SpreadsheetInstance> created;
    bool cancelled = false;
    try {
        m_waiter.run(
            SpreadsheetStep::Start, [&] { created = m_inner.create(); },
            [&] {
                cancelled = true;
                m_inner.abortCreate();
            });
    } catch (const SpreadsheetError &) {
        if (cancelled) {
            throw SpreadsheetCancelled();
        }
        throw;
    }
    if (cancelled) {
        // The start finished just as the operator stopped it: end what it started.
        if (created) {
            created->abort();
        }
        release(m_waiter, created);
        throw SpreadsheetCancelled();
    }
    return std::make_unique<WaitingSpreadsheetInstance>(std::move(created), m_waiter);
}

} // namespace lotdraw

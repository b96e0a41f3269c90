#include "spreadsheet/waiting_spreadsheet.h"

#include <stdexcept>

namespace lotdraw {

namespace {

// Hands the end of `instance` to the waiter's background: `close` ends it as close() does, without
// it the instance is only let go of (it ends what still runs). Nobody can stop an end; it is
// bounded by the backend's own limits.
void endInBackground(SpreadsheetWaiter &waiter, std::unique_ptr<SpreadsheetInstance> instance, bool close,
                     const std::function<void(const QString &)> &onFailure) {
    // Shared, since a std::function must be copyable; the call holds the last reference, so the
    // instance goes on the thread that ends it.
    std::shared_ptr<SpreadsheetInstance> ending(std::move(instance));
    waiter.runInBackground(
        [ending, close]() mutable {
            if (close) {
                ending->close();
            }
            ending.reset();
        },
        onFailure);
}

class WaitingSpreadsheetInstance final : public SpreadsheetInstance {
public:
    WaitingSpreadsheetInstance(std::unique_ptr<SpreadsheetInstance> inner, SpreadsheetWaiter &waiter,
                               const CancellationToken &cancel, const std::function<void(const QString &)> &lateFailure)
        : m_inner(std::move(inner))
        , m_waiter(waiter)
        , m_cancel(cancel)
        , m_lateFailure(lateFailure) {}
    ~WaitingSpreadsheetInstance() override {
        if (m_inner) {
            // What a release meets is of no use to anyone: the command has ended.
            endInBackground(m_waiter, std::move(m_inner), false, {});
        }
    }
    WaitingSpreadsheetInstance(const WaitingSpreadsheetInstance &) = delete;
    WaitingSpreadsheetInstance &operator=(const WaitingSpreadsheetInstance &) = delete;
    WaitingSpreadsheetInstance(WaitingSpreadsheetInstance &&) = delete;
    WaitingSpreadsheetInstance &operator=(WaitingSpreadsheetInstance &&) = delete;

    void openWorkbook(const QString &path) override {
        wait(SpreadsheetStep::Open, [&] { inner().openWorkbook(path); });
    }
    void newWorkbook(const QString &path) override {
        wait(SpreadsheetStep::NewWorkbook, [&] { inner().newWorkbook(path); });
    }
    [[nodiscard]] QStringList readColumn(int column, int firstRow, int maxRows) override {
        QStringList texts;
        wait(SpreadsheetStep::Read, [&] { texts = inner().readColumn(column, firstRow, maxRows); });
        return texts;
    }
    void writeColumn(int column, int firstRow, const QStringList &texts, int rowCount) override {
        wait(SpreadsheetStep::Write, [&] { inner().writeColumn(column, firstRow, texts, rowCount); });
    }
    void save() override {
        wait(SpreadsheetStep::Save, [&] { inner().save(); });
    }
    void showToUser() override {
        wait(SpreadsheetStep::Show, [&] { inner().showToUser(); });
    }
    void close() override {
        m_cancel.throwIfCancelled();
        inner();
        endInBackground(m_waiter, std::move(m_inner), true, m_lateFailure);
    }

private:
    SpreadsheetInstance &inner() const {
        if (!m_inner) {
            throw std::logic_error("the instance has been closed");
        }
        return *m_inner;
    }

    template<typename Call>
    void wait(SpreadsheetStep step, const Call &call) {
        // Once stopped, the office is gone: nothing more is asked of it.
        m_cancel.throwIfCancelled();
        try {
            m_waiter.run(step, call, &m_cancel);
        } catch (const SpreadsheetError &) {
            // Whatever the stopped call met on its way out, the operator asked for the stop.
            m_cancel.throwIfCancelled();
            throw;
        }
        // The call may have come back just before the stop reached it; the work ends here all the same.
        m_cancel.throwIfCancelled();
    }

    std::unique_ptr<SpreadsheetInstance> m_inner;
    SpreadsheetWaiter &m_waiter;
    CancellationToken m_cancel;
    std::function<void(const QString &)> m_lateFailure;
};

} // namespace

bool WaitingSpreadsheetApplication::isRunning() {
    bool running = false;
    m_waiter.run(
        SpreadsheetStep::Start, [&] { running = m_inner.isRunning(); }, nullptr);
    return running;
}

std::unique_ptr<SpreadsheetInstance> WaitingSpreadsheetApplication::create(const CancellationToken &cancel) {
    CancellationToken token = cancel;
    std::unique_ptr<SpreadsheetInstance> created;
    try {
        m_waiter.run(
            SpreadsheetStep::Start, [&] { created = m_inner.create(token); }, &token);
    } catch (const SpreadsheetError &) {
        token.throwIfCancelled();
        throw;
    }
    if (token.isCancelled()) {
        // The start finished just as the operator stopped it: its token has ended the office.
        endInBackground(m_waiter, std::move(created), false, {});
        throw SpreadsheetCancelled();
    }
    return std::make_unique<WaitingSpreadsheetInstance>(std::move(created), m_waiter, token, m_lateFailure);
}

} // namespace lotdraw

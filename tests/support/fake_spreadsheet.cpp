#include "support/fake_spreadsheet.h"

#include <atomic>

namespace lotdraw::testing {

using Operation = FakeSpreadsheetApplication::Operation;

class FakeSpreadsheetInstance final : public SpreadsheetInstance {
public:
    explicit FakeSpreadsheetInstance(FakeSpreadsheetApplication &app)
        : m_app(app) {
        ++m_app.m_liveInstances;
    }
    ~FakeSpreadsheetInstance() override {
        m_app.record(QStringLiteral("release"));
        --m_app.m_liveInstances;
    }
    FakeSpreadsheetInstance(const FakeSpreadsheetInstance &) = delete;
    FakeSpreadsheetInstance &operator=(const FakeSpreadsheetInstance &) = delete;

    void openWorkbook(const QString &path) override {
        m_app.record(QStringLiteral("open ") + path);
        pass(Operation::Open);
        m_app.maybeFail(FakeSpreadsheetApplication::Operation::Open);
        if (!m_app.m_workbookExists || (!m_app.m_workbookPath.isEmpty() && path != m_app.m_workbookPath)) {
            throw SpreadsheetError(QStringLiteral("找不到名单文件：") + path);
        }
        if (m_app.m_userWindowOpen) {
            throw SpreadsheetError(QStringLiteral("名单文件已在电子表格程序中打开。"));
        }
        m_cells = m_app.m_savedCells;
        m_open = true;
    }

    QString cell(int row, int column) override {
        m_app.record(QStringLiteral("read %1,%2").arg(row).arg(column));
        pass(Operation::ReadCell, row);
        m_app.maybeFail(FakeSpreadsheetApplication::Operation::ReadCell, row);
        requireOpen();
        return m_cells.value({row, column});
    }

    void setCell(int row, int column, const QString &text) override {
        m_app.record(QStringLiteral("write %1,%2=%3").arg(row).arg(column).arg(text));
        pass(Operation::WriteCell, row);
        m_app.maybeFail(FakeSpreadsheetApplication::Operation::WriteCell, row);
        if (!text.isEmpty()) {
            m_app.maybeFail(FakeSpreadsheetApplication::Operation::WriteText, row);
        }
        requireOpen();
        if (text.isEmpty()) {
            m_cells.remove({row, column});
        } else {
            m_cells.insert({row, column}, text);
        }
    }

    void saveActiveWorkbook() override {
        m_app.record(QStringLiteral("save"));
        pass(Operation::Save);
        m_app.maybeFail(FakeSpreadsheetApplication::Operation::Save);
        requireOpen();
        m_app.m_savedCells = m_cells;
    }

    void quit() override {
        m_app.record(QStringLiteral("quit"));
        pass(Operation::Quit);
        m_app.maybeFail(FakeSpreadsheetApplication::Operation::Quit);
    }

    void closeWorkbooks() override {
        m_app.record(QStringLiteral("close"));
        pass(Operation::Close);
        m_app.maybeFail(FakeSpreadsheetApplication::Operation::Close);
        m_open = false;
    }

    void setVisible(bool visible) override {
        m_app.record(visible ? QStringLiteral("show") : QStringLiteral("hide"));
        pass(Operation::Show);
        m_app.maybeFail(FakeSpreadsheetApplication::Operation::Show);
        requireOpen();
        m_app.m_userWindowOpen = visible;
    }

    void newWorkbook(const QString &path) override {
        m_app.record(QStringLiteral("new ") + path);
        pass(Operation::NewWorkbook);
        m_app.maybeFail(FakeSpreadsheetApplication::Operation::NewWorkbook);
        m_cells.clear();
        m_open = true;
    }

    void abort() noexcept override {
        m_app.record(QStringLiteral("abort"));
        m_aborted = true;
        m_app.wakeHeldCall();
    }

private:
    void pass(Operation operation, int row = 0) {
        m_app.pass(operation, row, [this] { return m_aborted.load(); });
    }

    void requireOpen() const {
        if (!m_open) {
            throw SpreadsheetError(QStringLiteral("没有打开的名单文件。"));
        }
    }

    FakeSpreadsheetApplication &m_app;
    FakeSpreadsheetApplication::Cells m_cells;
    bool m_open = false;
    std::atomic<bool> m_aborted = false;
};

QString FakeSpreadsheetApplication::failureMessage(Operation operation) {
    return QStringLiteral("模拟故障 %1").arg(static_cast<int>(operation));
}

bool FakeSpreadsheetApplication::isRunning() {
    record(QStringLiteral("probe"));
    return m_running || m_userWindowOpen;
}

std::unique_ptr<SpreadsheetInstance> FakeSpreadsheetApplication::create() {
    record(QStringLiteral("create"));
    {
        const std::lock_guard lock(m_sync->mutex);
        m_sync->createAborted = false;
    }
    pass(Operation::Create, 0, [this] { return m_sync->createAborted; });
    maybeFail(Operation::Create);
    return std::make_unique<FakeSpreadsheetInstance>(*this);
}

void FakeSpreadsheetApplication::abortCreate() noexcept {
    record(QStringLiteral("abort"));
    {
        const std::lock_guard lock(m_sync->mutex);
        m_sync->createAborted = true;
    }
    m_sync->changed.notify_all();
}

void FakeSpreadsheetApplication::holdAt(Operation operation, int row) {
    const std::lock_guard lock(m_sync->mutex);
    m_sync->hold = Failure{operation, row};
    m_sync->released = false;
}

void FakeSpreadsheetApplication::release() {
    {
        const std::lock_guard lock(m_sync->mutex);
        m_sync->released = true;
    }
    m_sync->changed.notify_all();
}

bool FakeSpreadsheetApplication::isHolding() const {
    const std::lock_guard lock(m_sync->mutex);
    return m_sync->holding;
}

void FakeSpreadsheetApplication::whenCalled(Operation operation, std::function<void()> action) {
    m_hook.emplace(operation, std::move(action));
}

void FakeSpreadsheetApplication::record(const QString &entry) {
    const std::lock_guard lock(m_sync->mutex);
    m_log.append(entry);
}

void FakeSpreadsheetApplication::wakeHeldCall() {
    // Taking the lock orders the caller's flag before the held call looks at it.
    { const std::lock_guard lock(m_sync->mutex); }
    m_sync->changed.notify_all();
}

void FakeSpreadsheetApplication::pass(Operation operation, int row, const std::function<bool()> &aborted) {
    if (m_hook && m_hook->first == operation) {
        m_hook->second();
    }
    std::unique_lock lock(m_sync->mutex);
    if (!aborted() && m_sync->hold && m_sync->hold->operation == operation &&
        (m_sync->hold->row == 0 || m_sync->hold->row == row)) {
        m_sync->hold.reset();
        m_sync->holding = true;
        // Bounded, so that a test whose window cannot release it still comes to an end (and fails).
        m_sync->changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_sync->released || aborted(); });
        m_sync->holding = false;
    }
    if (aborted()) {
        throw SpreadsheetCancelled();
    }
}

void FakeSpreadsheetApplication::failAt(Operation operation, int row) {
    m_failure = Failure{operation, row};
}

void FakeSpreadsheetApplication::setSavedColumn(int column, int firstRow, const QStringList &texts) {
    for (int i = 0; i < texts.size(); ++i) {
        if (!texts.at(i).isEmpty()) {
            m_savedCells.insert({firstRow + i, column}, texts.at(i));
        }
    }
}

void FakeSpreadsheetApplication::maybeFail(Operation operation, int row) const {
    if (m_failure && m_failure->operation == operation && (m_failure->row == 0 || m_failure->row == row)) {
        throw SpreadsheetError(failureMessage(operation));
    }
}

} // namespace lotdraw::testing

#include "support/fake_spreadsheet.h"

namespace lotdraw::testing {

using Operation = FakeSpreadsheetApplication::Operation;

class FakeSpreadsheetInstance final : public SpreadsheetInstance {
public:
    FakeSpreadsheetInstance(FakeSpreadsheetApplication &app, const CancellationToken &cancel)
        : m_app(app)
        , m_cancel(cancel) {
        m_app.countInstance(1);
    }
    ~FakeSpreadsheetInstance() override {
        m_app.record(QStringLiteral("release"));
        m_app.countInstance(-1);
    }
    FakeSpreadsheetInstance(const FakeSpreadsheetInstance &) = delete;
    FakeSpreadsheetInstance &operator=(const FakeSpreadsheetInstance &) = delete;

    void openWorkbook(const QString &path) override {
        pass(Operation::Open, QStringLiteral("open ") + path);
        if (!m_app.m_workbookPath.isEmpty() && path != m_app.m_workbookPath) {
            throw SpreadsheetError(QStringLiteral("找不到名单文件：") + path);
        }
        if (m_app.m_userWindowOpen) {
            throw SpreadsheetError(QStringLiteral("名单文件已在电子表格程序中打开。"));
        }
        m_cells = m_app.m_savedCells;
        m_open = true;
    }

    void newWorkbook(const QString &path) override {
        pass(Operation::NewWorkbook, QStringLiteral("new ") + path);
        m_cells.clear();
        m_open = true;
    }

    QStringList readColumn(int column, int firstRow, int maxRows) override {
        pass(Operation::Read, QStringLiteral("read %1:%2+%3").arg(column).arg(firstRow).arg(maxRows));
        requireOpen();
        QStringList texts;
        for (int row = firstRow; row < firstRow + maxRows && !m_cells.value({row, column}).isEmpty(); ++row) {
            texts.append(m_cells.value({row, column}));
        }
        return texts;
    }

    void writeColumn(int column, int firstRow, const QStringList &texts, int rowCount) override {
        pass(Operation::Write,
             QStringLiteral("write %1:%2+%3=%4").arg(column).arg(firstRow).arg(rowCount).arg(texts.join(u'|')));
        requireOpen();
        for (int i = 0; i < rowCount; ++i) {
            if (i < texts.size() && !texts.at(i).isEmpty()) {
                m_cells.insert({firstRow + i, column}, texts.at(i));
            } else {
                m_cells.remove({firstRow + i, column});
            }
        }
    }

    void save() override {
        pass(Operation::Save, QStringLiteral("save"));
        requireOpen();
        m_app.m_savedCells = m_cells;
    }

    void close() override {
        pass(Operation::Close, QStringLiteral("close"));
        m_open = false;
    }

    void showToUser() override {
        pass(Operation::Show, QStringLiteral("show"));
        requireOpen();
        m_app.m_userWindowOpen = true;
    }

private:
    // Logs the call and passes the application's hooks.
    void pass(Operation operation, const QString &entry) {
        m_app.record(entry);
        m_app.pass(operation, m_cancel);
    }

    void requireOpen() const {
        if (!m_open) {
            throw SpreadsheetError(QStringLiteral("没有打开的名单文件。"));
        }
    }

    FakeSpreadsheetApplication &m_app;
    CancellationToken m_cancel;
    // Logs a cancel that reaches this instance and frees its held call.
    CancellationToken::Subscription m_onCancel{m_cancel, [this] {
                                                   m_app.record(QStringLiteral("cancel"));
                                                   m_app.wakeHeldCall();
                                               }};
    FakeSpreadsheetApplication::Cells m_cells;
    bool m_open = false;
};

QString FakeSpreadsheetApplication::failureMessage(Operation operation) {
    return QStringLiteral("模拟故障 %1").arg(static_cast<int>(operation));
}

bool FakeSpreadsheetApplication::isRunning() {
    record(QStringLiteral("probe"));
    return m_running || m_userWindowOpen;
}

std::unique_ptr<SpreadsheetInstance> FakeSpreadsheetApplication::create(const CancellationToken &cancel) {
    record(QStringLiteral("create"));
    {
        const CancellationToken::Subscription onCancel(cancel, [this] {
            record(QStringLiteral("cancel"));
            wakeHeldCall();
        });
        pass(Operation::Create, cancel);
    }
    return std::make_unique<FakeSpreadsheetInstance>(*this, cancel);
}

void FakeSpreadsheetApplication::holdAt(Operation operation) {
    const std::lock_guard lock(m_sync->mutex);
    m_sync->hold = operation;
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

QStringList FakeSpreadsheetApplication::log() const {
    const std::lock_guard lock(m_sync->mutex);
    return m_log;
}

void FakeSpreadsheetApplication::clearLog() {
    const std::lock_guard lock(m_sync->mutex);
    m_log.clear();
}

int FakeSpreadsheetApplication::liveInstances() const {
    const std::lock_guard lock(m_sync->mutex);
    return m_sync->liveInstances;
}

void FakeSpreadsheetApplication::countInstance(int change) {
    const std::lock_guard lock(m_sync->mutex);
    m_sync->liveInstances += change;
}

void FakeSpreadsheetApplication::record(const QString &entry) {
    const std::lock_guard lock(m_sync->mutex);
    m_log.append(entry);
}

void FakeSpreadsheetApplication::wakeHeldCall() {
    // Taking the lock orders the token's flag before the held call looks at it.
    { const std::lock_guard lock(m_sync->mutex); }
    m_sync->changed.notify_all();
}

void FakeSpreadsheetApplication::pass(Operation operation, const CancellationToken &cancel) {
    if (m_hook && m_hook->first == operation) {
        m_hook->second();
    }
    {
        std::unique_lock lock(m_sync->mutex);
        if (!cancel.isCancelled() && m_sync->hold == operation) {
            m_sync->hold.reset();
            m_sync->holding = true;
            // Bounded, so that a test whose window cannot release it still comes to an end (and fails).
            m_sync->changed.wait_for(lock, std::chrono::seconds(10),
                                     [&] { return m_sync->released || cancel.isCancelled(); });
            m_sync->holding = false;
        }
    }
    cancel.throwIfCancelled();
    if (m_failure == operation) {
        throw SpreadsheetError(failureMessage(operation));
    }
}

void FakeSpreadsheetApplication::setSavedColumn(int column, int firstRow, const QStringList &texts) {
    for (int i = 0; i < texts.size(); ++i) {
        if (!texts.at(i).isEmpty()) {
            m_savedCells.insert({firstRow + i, column}, texts.at(i));
        }
    }
}

} // namespace lotdraw::testing

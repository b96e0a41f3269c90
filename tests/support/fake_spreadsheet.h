#pragma once

#include "spreadsheet/spreadsheet.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace lotdraw::testing {

// A spreadsheet application in memory. One workbook "on disk" (a map of cells) that instances open
// into a working copy and save back; every call is logged, and any operation can be made to fail
// or to block like a slow office until the test lets it go or the caller aborts it. Calls may come
// from another thread than the test's, one at a time.
class FakeSpreadsheetApplication final : public SpreadsheetApplication {
public:
    // WriteCell fails any write to the row, WriteText only a write of a non-empty text there.
    enum class Operation { Create, Open, ReadCell, WriteCell, WriteText, Save, Quit, Close, Show, NewWorkbook };
    using Cells = QMap<std::pair<int, int>, QString>;

    // The message every injected failure carries.
    static QString failureMessage(Operation operation);

    [[nodiscard]] bool isRunning() override;
    [[nodiscard]] std::unique_ptr<SpreadsheetInstance> create() override;
    // A create() held by holdAt() gives up with SpreadsheetCancelled.
    void abortCreate() noexcept override;

    // Makes `operation` throw. For cell reads and writes, `row` limits it to that row (0: any).
    void failAt(Operation operation, int row = 0);
    void clearFailure() { m_failure.reset(); }

    // Makes the next call of `operation` (at `row`, 0: any) block until release() (at most ten
    // seconds), or until its instance is aborted (or, for Create, abortCreate() is called): then it
    // throws SpreadsheetCancelled, as does every later call on an aborted instance.
    void holdAt(Operation operation, int row = 0);
    void release();
    // True while a call is blocked by holdAt(). Safe from any thread.
    [[nodiscard]] bool isHolding() const;
    // Runs `action` on the calling thread whenever `operation` is called, before anything else.
    void whenCalled(Operation operation, std::function<void()> action);

    // The probe answers true while this is set, or while an instance shown to the user lives on.
    void setRunning(bool running) { m_running = running; }
    // The user closes the window of an instance that was made visible.
    void closeUserWindow() { m_userWindowOpen = false; }

    void setWorkbookPath(const QString &path) { m_workbookPath = path; }
    void setWorkbookExists(bool exists) { m_workbookExists = exists; }
    [[nodiscard]] Cells &savedCells() { return m_savedCells; }
    [[nodiscard]] QString savedCell(int row, int column) const { return m_savedCells.value({row, column}); }
    void setSavedColumn(int column, int firstRow, const QStringList &texts);

    // "probe", "create", "open <path>", "new <path>", "read <row>,<col>", "write <row>,<col>=<text>",
    // "save", "quit", "close", "show", "release": one entry per call, in order.
    [[nodiscard]] const QStringList &log() const { return m_log; }
    void clearLog() { m_log.clear(); }
    [[nodiscard]] int liveInstances() const { return m_liveInstances; }

private:
    friend class FakeSpreadsheetInstance;

    void record(const QString &entry);
    void maybeFail(Operation operation, int row = 0) const;
    // Calls the hook of whenCalled() and blocks as holdAt() asked; `aborted` says whether the
    // caller has been aborted.
    void pass(Operation operation, int row, const std::function<bool()> &aborted);
    void wakeHeldCall();

    struct Failure {
        Operation operation;
        int row;
    };
    struct Sync {
        mutable std::mutex mutex;
        std::condition_variable changed;
        std::optional<Failure> hold;
        bool holding = false;
        bool released = false;
        bool createAborted = false;
    };

    QString m_workbookPath;
    bool m_workbookExists = true;
    bool m_running = false;
    bool m_userWindowOpen = false;
    Cells m_savedCells;
    QStringList m_log;
    std::optional<Failure> m_failure;
    int m_liveInstances = 0;
    std::unique_ptr<Sync> m_sync = std::make_unique<Sync>();
    std::optional<std::pair<Operation, std::function<void()>>> m_hook;
};

} // namespace lotdraw::testing

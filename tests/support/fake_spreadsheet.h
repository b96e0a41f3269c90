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
// or to block like a slow office until the test lets it go or the command's token is cancelled.
// Calls may come from another thread than the test's, one at a time.
class FakeSpreadsheetApplication final : public SpreadsheetApplication {
public:
    enum class Operation { Create, Open, Read, Write, Save, Close, Show, NewWorkbook };
    using Cells = QMap<std::pair<int, int>, QString>;

    // The message every injected failure carries.
    static QString failureMessage(Operation operation);

    [[nodiscard]] bool isRunning() override;
    [[nodiscard]] std::unique_ptr<SpreadsheetInstance> create(const CancellationToken &cancel) override;

    // Makes `operation` throw.
    void failAt(Operation operation) { m_failure = operation; }
    void clearFailure() { m_failure.reset(); }

    // Makes the next call of `operation` block until release() (at most ten seconds), or until the
    // command's token is cancelled: then it throws SpreadsheetCancelled, as does every later call
    // of that command.
    void holdAt(Operation operation);
    void release();
    // True while a call is blocked by holdAt(). Safe from any thread.
    [[nodiscard]] bool isHolding() const;
    // Runs `action` on the calling thread whenever `operation` is called, before anything else.
    void whenCalled(Operation operation, std::function<void()> action);

    // The probe answers true while this is set, or while an instance shown to the user lives on.
    void setRunning(bool running) { m_running = running; }
    // The user closes the window of an instance that was shown.
    void closeUserWindow() { m_userWindowOpen = false; }

    void setWorkbookPath(const QString &path) { m_workbookPath = path; }
    [[nodiscard]] Cells &savedCells() { return m_savedCells; }
    [[nodiscard]] QString savedCell(int row, int column) const { return m_savedCells.value({row, column}); }
    void setSavedColumn(int column, int firstRow, const QStringList &texts);

    // "probe", "create", "open <path>", "new <path>", "read <column>:<first row>+<rows>",
    // "write <column>:<first row>+<rows>=<text>|<text>...", "save", "close", "show", "release"
    // and "cancel" (the token reached a live instance): one entry per call, in order.
    [[nodiscard]] QStringList log() const;
    void clearLog();
    // Instances not yet let go of: behind the window, an instance goes on the call thread once its
    // command has its result.
    [[nodiscard]] int liveInstances() const;

private:
    friend class FakeSpreadsheetInstance;

    void record(const QString &entry);
    void countInstance(int change);
    // Calls the hook of whenCalled(), blocks as holdAt() asked, and fails as failAt() asked.
    void pass(Operation operation, const CancellationToken &cancel);
    void wakeHeldCall();

    struct Sync {
        mutable std::mutex mutex;
        std::condition_variable changed;
        std::optional<Operation> hold;
        bool holding = false;
        bool released = false;
        int liveInstances = 0;
    };

    QString m_workbookPath;
    bool m_running = false;
    bool m_userWindowOpen = false;
    Cells m_savedCells;
    QStringList m_log;
    std::optional<Operation> m_failure;
    std::unique_ptr<Sync> m_sync = std::make_unique<Sync>();
    std::optional<std::pair<Operation, std::function<void()>>> m_hook;
};

} // namespace lotdraw::testing

#pragma once

#include "workbook/spreadsheet.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

namespace lotdraw::testing {

// A spreadsheet application in memory. One workbook "on disk" (a map of cells) that instances open
// into a working copy and save back; every call is logged, and any operation can be made to fail.
class FakeSpreadsheetApplication final : public SpreadsheetApplication {
public:
    // WriteCell fails any write to the row, WriteText only a write of a non-empty text there.
    enum class Operation { Create, Open, ReadCell, WriteCell, WriteText, Save, Quit, Close, Show };
    using Cells = QMap<std::pair<int, int>, QString>;

    // The message every injected failure carries.
    static QString failureMessage(Operation operation);

    [[nodiscard]] bool isRunning() override;
    [[nodiscard]] std::unique_ptr<SpreadsheetInstance> create() override;

    // Makes `operation` throw. For cell reads and writes, `row` limits it to that row (0: any).
    void failAt(Operation operation, int row = 0);
    void clearFailure() { m_failure.reset(); }

    // The probe answers true while this is set, or while an instance shown to the user lives on.
    void setRunning(bool running) { m_running = running; }
    // The user closes the window of an instance that was made visible.
    void closeUserWindow() { m_userWindowOpen = false; }

    void setWorkbookPath(const QString &path) { m_workbookPath = path; }
    void setWorkbookExists(bool exists) { m_workbookExists = exists; }
    [[nodiscard]] Cells &savedCells() { return m_savedCells; }
    [[nodiscard]] QString savedCell(int row, int column) const { return m_savedCells.value({row, column}); }
    void setSavedColumn(int column, int firstRow, const QStringList &texts);

    // "probe", "create", "open <path>", "read <row>,<col>", "write <row>,<col>=<text>", "save", "quit",
    // "close", "show", "release": one entry per call, in order.
    [[nodiscard]] const QStringList &log() const { return m_log; }
    void clearLog() { m_log.clear(); }
    [[nodiscard]] int liveInstances() const { return m_liveInstances; }

private:
    friend class FakeSpreadsheetInstance;

    void record(const QString &entry) { m_log.append(entry); }
    void maybeFail(Operation operation, int row = 0) const;

    struct Failure {
        Operation operation;
        int row;
    };

    QString m_workbookPath;
    bool m_workbookExists = true;
    bool m_running = false;
    bool m_userWindowOpen = false;
    Cells m_savedCells;
    QStringList m_log;
    std::optional<Failure> m_failure;
    int m_liveInstances = 0;
};

} // namespace lotdraw::testing

#pragma once

#include <QString>
#include <memory>
#include <stdexcept>

namespace lotdraw {

// A failure of the spreadsheet application, carrying the message the operator is shown.
class SpreadsheetError : public std::runtime_error {
public:
    explicit SpreadsheetError(const QString &userMessage)
        : std::runtime_error(userMessage.toStdString())
        , m_userMessage(userMessage) {}

    [[nodiscard]] const QString &userMessage() const noexcept { return m_userMessage; }

private:
    QString m_userMessage;
};

// The operator stopped a wait on the spreadsheet application. The work ends there as it would on a
// failure at that step, but there is nothing to tell: the operator asked for it.
class SpreadsheetCancelled final : public SpreadsheetError {
public:
    SpreadsheetCancelled()
        : SpreadsheetError(QStringLiteral("已取消。")) {}
};

// One instance of the spreadsheet application, created for one handler. Every operation throws
// SpreadsheetError on failure. Destroying the object lets go of the instance: a hidden instance
// that still runs is ended then, on every way out of a handler; an instance made visible belongs
// to the user and is left alone.
class SpreadsheetInstance {
public:
    virtual ~SpreadsheetInstance() = default;

    // Workbooks.Open: opens the workbook; it becomes the active one, and cells address its
    // active sheet.
    virtual void openWorkbook(const QString &path) = 0;
    // Cells(row, column), 1-based: the cell's value as text, the empty text for an empty cell.
    [[nodiscard]] virtual QString cell(int row, int column) = 0;
    // Cells(row, column) := text, stored as text; the empty text empties the cell.
    virtual void setCell(int row, int column, const QString &text) = 0;
    // ActiveWorkbook.Save: back to the file it came from, in its own format.
    virtual void saveActiveWorkbook() = 0;
    // Quit: the instance is told to end; it still answers closeWorkbooks().
    virtual void quit() = 0;
    // Workbooks.Close: every workbook of the instance is closed.
    virtual void closeWorkbooks() = 0;
    // Visible: shows the open workbook to the user, who owns it from then on.
    virtual void setVisible(bool visible) = 0;
    // Workbooks.Add: a new, empty workbook becomes the active one; saving it writes it to `path`
    // for the first time, in the application's own format, and never replaces an existing file.
    // Used to make name-list workbooks; an instance that cannot make workbooks refuses.
    virtual void newWorkbook(const QString &path) {
        throw SpreadsheetError(QStringLiteral("无法新建工作簿：%1").arg(path));
    }
    // Ends the instance at once, from another thread, while one of its calls blocks: that call and
    // every later one fail with SpreadsheetCancelled, and the application behind it is ended. Safe
    // at any time until the object is destroyed, also when nothing runs. An instance whose calls
    // never wait on anything has nothing to end.
    virtual void abort() noexcept {}

protected:
    SpreadsheetInstance() = default;
};

// The spreadsheet application as a whole: the probe and the creation of instances.
class SpreadsheetApplication {
public:
    virtual ~SpreadsheetApplication() = default;

    // The probe: true while an instance of the application runs for this user.
    [[nodiscard]] virtual bool isRunning() = 0;
    // A fresh, invisible instance with no workbook open. Throws SpreadsheetError.
    [[nodiscard]] virtual std::unique_ptr<SpreadsheetInstance> create() = 0;
    // The same as SpreadsheetInstance::abort() for a create() that another thread is waiting on:
    // the start is given up and create() throws SpreadsheetCancelled. Does nothing when no create()
    // runs.
    virtual void abortCreate() noexcept {}

protected:
    SpreadsheetApplication() = default;
};

} // namespace lotdraw

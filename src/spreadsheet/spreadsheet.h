#pragma once

#include "spreadsheet/cancellation_token.h"
#include "spreadsheet/spreadsheet_error.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace lotdraw {

// One instance of the spreadsheet application, created for one command, with the operations the
// program's commands are made of. Every operation throws SpreadsheetError on failure, and
// SpreadsheetCancelled once the command's token is cancelled. Destroying the object lets go of the
// instance: a hidden instance that still runs is ended then, on every way out of a command; an
// instance handed to the user is left alone.
class SpreadsheetInstance {
public:
    virtual ~SpreadsheetInstance() = default;

    // Opens the workbook at `path`; the operations below work on its active sheet.
    virtual void openWorkbook(const QString &path) = 0;
    // Makes a new, empty workbook that save() writes to `path` for the first time, in the
    // application's own format; an existing file is never replaced. Used to make name-list
    // workbooks; an instance that cannot make workbooks refuses.
    virtual void newWorkbook(const QString &path) {
        throw SpreadsheetError(QStringLiteral("无法新建工作簿：%1").arg(path));
    }
    // The texts of `column` from `firstRow` down, rows and columns counted from 1: every cell's
    // value as text, up to the first empty cell (whose text is empty) and at most `maxRows` cells.
    [[nodiscard]] virtual QStringList readColumn(int column, int firstRow, int maxRows) = 0;
    // Fills `rowCount` rows of `column` from `firstRow` down: the `texts` first, one a row and stored
    // as text (no number or formula is made of them), then empty cells. Texts beyond the rows are
    // left out.
    virtual void writeColumn(int column, int firstRow, const QStringList &texts, int rowCount) = 0;
    // Writes the workbook back to the file it came from, in its own format.
    virtual void save() = 0;
    // Ends the instance: the workbook is closed, what was not saved is dropped, and the
    // application ends. Nothing may be asked of the instance afterwards.
    virtual void close() = 0;
    // Shows the open workbook in a window of the application's, which belongs to the user from
    // then on. Nothing more is asked of the instance.
    virtual void showToUser() = 0;

protected:
    SpreadsheetInstance() = default;
};

// The spreadsheet application as a whole: the probe and the creation of instances.
class SpreadsheetApplication {
public:
    virtual ~SpreadsheetApplication() = default;

    // The probe: true while an instance of the application runs for this user.
    [[nodiscard]] virtual bool isRunning() = 0;
    // A fresh, invisible instance with no workbook open, working for the command that `cancel`
    // belongs to: once it is cancelled (from any thread), a start or a call that blocks gives up at
    // once with SpreadsheetCancelled, the application behind the instance is ended, and every later
    // call fails the same way. Throws SpreadsheetError.
    // Work that nobody can stop passes a token of its own.
    [[nodiscard]] virtual std::unique_ptr<SpreadsheetInstance> create(const CancellationToken &cancel) = 0;

protected:
    SpreadsheetApplication() = default;
};

} // namespace lotdraw

#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace lotdraw::testing {

// Workbook fixtures made and read without the program's own spreadsheet layer: each call runs
// `soffice --headless --convert-to` once, in a private profile folder and a UTF-8 locale, and
// waits for it to end. Failures throw std::runtime_error.

// Writes a workbook at `xlsPath` whose first sheet holds `csvText` (comma-separated, double quotes
// around fields that need them, UTF-8). Unquoted numbers become number cells. `format` is the
// content, whatever the name says: "xls" (Excel 97), "xlsx" (Office Open XML) or "ods".
void makeWorkbookFromCsv(const QString &csvText, const QString &xlsPath, const QString &format = QStringLiteral("xls"));

// The format the bytes of the file at `path` show: "xls", "xlsx", "ods", or the empty text.
[[nodiscard]] QString workbookFormatOf(const QString &path);

// The first sheet of the workbook at `xlsPath` as rows of cell texts, as the office shows them.
[[nodiscard]] QList<QStringList> readWorkbookCsv(const QString &xlsPath);

// Cell (row, column), both 1-based, of rows read above; the empty text outside them.
[[nodiscard]] QString cellAt(const QList<QStringList> &rows, int row, int column);

// Cells (first..last, column) of rows read above.
[[nodiscard]] QStringList columnAt(const QList<QStringList> &rows, int column, int first, int last);

// Process ids of this user's soffice.bin processes that have not ended (zombies left out).
[[nodiscard]] QList<qint64> runningOfficeProcesses();

// Those of the above whose command line mentions `text`, such as their profile folder.
[[nodiscard]] QList<qint64> officeProcessesMentioning(const QString &text);

// Lock files ".~lock.*#" in `folder`.
[[nodiscard]] QStringList officeLockFiles(const QString &folder);

// Bind mounts made for one test, undone (last first) when the object goes. A read-only bind mount
// is the way to get a folder or file that even root cannot write.
class BindMounts final {
public:
    BindMounts() = default;
    ~BindMounts();
    BindMounts(const BindMounts &) = delete;
    BindMounts &operator=(const BindMounts &) = delete;

    // Mounts `source` (a folder or a file) at `target`, read-only when asked. The empty text on
    // success, otherwise why it failed: mounting needs root and a system that permits it.
    [[nodiscard]] QString mount(const QString &source, const QString &target, bool readOnly);

private:
    QStringList m_targets;
};

// Splits CSV text into rows of fields.
[[nodiscard]] QList<QStringList> parseCsv(const QString &text);

} // namespace lotdraw::testing

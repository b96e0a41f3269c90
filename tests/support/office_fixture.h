#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace lotdraw::testing {

// Fixtures for tests against a real LibreOffice, made and read without the program's own code.

// --- Workbooks ----------------------------------------------------------------------------------
// Each call runs `soffice --headless --convert-to` once, on a private profile folder and in a UTF-8
// locale, and waits for it to end. Failures throw std::runtime_error.

// How the cells of a CSV text become cells of a workbook.
enum class CsvCells {
    Numbers,    // unquoted numbers become number cells, everything else text
    Recognised, // numbers, dates, percentages and truth values become such cells; "=..." a formula
};

// Writes a workbook at `path` whose first sheet holds `csvText` (comma-separated, double quotes
// around fields that need them, UTF-8). `format` is the content, whatever the name says: "xls"
// (Excel 97), "xlsx" (Office Open XML) or "ods". Workbooks as other programs leave them: "xlsx with
// a password", "ods with a password" (the office encrypts them); "ods cut off" (its end, with the
// zip's directory, is missing: Calc offers to repair it); "xlsx at the root" (a package whose parts
// lie at its root, text cells only, as some generators write it; made without the office).
void makeWorkbookFromCsv(const QString &csvText, const QString &path, const QString &format = QStringLiteral("xls"),
                         CsvCells cells = CsvCells::Numbers);

// The format the bytes of the file at `path` show: "xls", "xlsx", "ods", or the empty text.
[[nodiscard]] QString workbookFormatOf(const QString &path);

// The first sheet of the workbook at `xlsPath` as rows of cell texts, as the office shows them.
[[nodiscard]] QList<QStringList> readWorkbookCsv(const QString &xlsPath);

// Cell (row, column), both 1-based, of rows read above; the empty text outside them.
[[nodiscard]] QString cellAt(const QList<QStringList> &rows, int row, int column);

// Cells (first..last, column) of rows read above.
[[nodiscard]] QStringList columnAt(const QList<QStringList> &rows, int column, int first, int last);

// Splits CSV text into rows of fields.
[[nodiscard]] QList<QStringList> parseCsv(const QString &text);

// --- Processes ----------------------------------------------------------------------------------

// Process ids of this login's soffice.bin processes that have not ended (zombies left out) and,
// unless `mentioning` is empty, have it in one of their arguments (a profile folder, say);
// `withLaunchers` adds the processes that start an office (soffice, oosplash). The machine may run
// other people's offices, so tests look only at this login's.
[[nodiscard]] QList<qint64> officeProcesses(const QString &mentioning = {}, bool withLaunchers = false);
// True while `pid` names a process that has not ended (a zombie has).
[[nodiscard]] bool isLiveProcess(pid_t pid);
// The children of `parent` (soffice.bin under its launcher).
[[nodiscard]] std::vector<pid_t> childProcesses(pid_t parent);

// --- Files --------------------------------------------------------------------------------------

// Lock files ".~lock.*#" in `folder`.
[[nodiscard]] QStringList officeLockFiles(const QString &folder);
// Lock files and the private folders of unfinished saves in `folder`.
[[nodiscard]] QStringList leftoverFiles(const QString &folder);

[[nodiscard]] QByteArray fileBytes(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);

// A zip of `entries` (name, content) as zip writers lay it out: local headers, the central
// directory and its end record; an entry "mimetype" stored, every other one deflated.
[[nodiscard]] QByteArray zipOf(const QList<std::pair<QByteArray, QByteArray>> &entries);

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

} // namespace lotdraw::testing

#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <atomic>
#include <memory>
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
// lie at its root, text cells only, as some generators write it; made without the office);
// "xlsx, second sheet active" (the same behind a sheet of other names, opening on the second).
void makeWorkbookFromCsv(const QString &csvText, const QString &path, const QString &format = QStringLiteral("xls"),
                         CsvCells cells = CsvCells::Numbers);

// Starts `soffice --headless --terminate_after_init` on the fixture's profile and waits until it has
// ended: the floor of any command that starts an office.
void startBareOffice();

// The format the bytes of the file at `path` show: "xls", "xlsx", "ods", or the empty text.
[[nodiscard]] QString workbookFormatOf(const QString &path);

// The first sheet of the workbook at `xlsPath` as rows of cell texts, as the office shows them.
[[nodiscard]] QList<QStringList> readWorkbookCsv(const QString &xlsPath);

// Cell (row, column), both 1-based, of rows read above; the empty text outside them.
[[nodiscard]] QString cellAt(const QList<QStringList> &rows, int row, int column);

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
// This login's live processes of any name with `text` in one of their arguments.
[[nodiscard]] QList<qint64> processesMentioning(const QString &text);
// Waits until `thread` (of this process) sleeps, as it does blocked in a call; false when
// `returned` is set first.
bool waitUntilThreadSleeps(pid_t thread, const std::atomic<bool> &returned);

// --- Files --------------------------------------------------------------------------------------

// Lock files and the private folders of unfinished saves in `folder`.
[[nodiscard]] QStringList leftoverFiles(const QString &folder);

// The bytes of the file at `path`; none when it cannot be read.
[[nodiscard]] QByteArray fileBytes(const QString &path);
// Throws std::runtime_error when the file cannot be written.
void writeFile(const QString &path, const QByteArray &bytes);

// A zip of `entries` (name, content) as zip writers lay it out: local headers, the central
// directory and its end record; an entry "mimetype" stored, every other one deflated.
[[nodiscard]] QByteArray zipOf(const QList<std::pair<QByteArray, QByteArray>> &entries);

// Files and folders made read-only for one test, made writable again (last first) when the object
// goes. Root ignores permission bits, so as root a read-only bind mount does it; any other login
// simply loses the write permission, which the office and the program meet the same way.
class ReadOnlyPlaces final {
public:
    ReadOnlyPlaces() = default;
    ~ReadOnlyPlaces();
    ReadOnlyPlaces(const ReadOnlyPlaces &) = delete;
    ReadOnlyPlaces &operator=(const ReadOnlyPlaces &) = delete;

    // Makes `path` read-only: a file, or a folder with the files directly in it. The empty text on
    // success, otherwise why it failed (a system that permits no mount, say).
    [[nodiscard]] QString makeReadOnly(const QString &path);
    // Makes `file`, inside a folder made read-only above, writable again; the folder stays as it is.
    [[nodiscard]] QString keepWritable(const QString &file);

private:
    [[nodiscard]] QString mount(const QString &source, const QString &target, bool readOnly);
    void setPermissions(const QString &path, QFileDevice::Permissions permissions);

    QStringList m_mounts;
    QList<std::pair<QString, QFileDevice::Permissions>> m_permissions;
    QTemporaryDir m_copies;
};

// --- The login ----------------------------------------------------------------------------------

// This login's name, or the empty text when it has no entry in the user database.
[[nodiscard]] QString loginName();

// Why a test that needs no other office of this login is skipped: the program's probe would see
// it and refuse the command under test.
inline constexpr char kOfficeOfThisLoginRuns[] = "LibreOffice is running for this login";

// --- Tests against a real office ----------------------------------------------------------------

// What every test against a real office shares. Everything lies in one root folder: the private
// automation profile (its name holds a space, as users' folders do) and a fresh folder for each
// test, so every office a test starts names the root in its arguments, and no other office does.
class OfficeFixture final {
public:
    // `root` is a folder to use (a fresh home, say); without it a new temporary folder.
    explicit OfficeFixture(const QString &root = {});

    [[nodiscard]] QString root() const { return m_root; }
    [[nodiscard]] QString profileFolder() const { return m_root + QStringLiteral("/automation profile"); }
    // Makes a fresh folder for the next test (a test's init()); false when it cannot.
    bool init();
    [[nodiscard]] QString folder() const { return m_folder ? m_folder->path() : QString(); }
    // `name` in the test's folder; the name-list workbook by default.
    [[nodiscard]] QString path(const QString &name = QStringLiteral("导入名单.xls")) const;
    // The offices of the test (soffice.bin only, unless launchers are asked for).
    [[nodiscard]] QList<qint64> offices(bool withLaunchers = false) const;
    // True while an office of this login runs (launchers included) that is none of the test's: the
    // user's own Calc, say, or another test run's. The program's probe would see it and refuse the
    // command under test (skip with kOfficeOfThisLoginRuns).
    [[nodiscard]] bool otherOfficeRuns() const { return officeProcesses({}, true).size() > offices(true).size(); }
    // A test's cleanup(): waits (bounded) for the test's offices to end and ends any that stays;
    // fails on it, on a lock file or an unfinished save in the test's folder or the root, or on the
    // socket of an office's pipe left in /tmp. The test's folder goes.
    void cleanup();

private:
    std::unique_ptr<QTemporaryDir> m_ownRoot;
    QString m_root;
    std::unique_ptr<QTemporaryDir> m_folder;
};

} // namespace lotdraw::testing

#pragma once

#include <QString>
#include <optional>

namespace lotdraw {

// Facts about files beside a workbook, looked at to tell the operator why the office refused one.

// The lock file LibreOffice keeps beside a document it has open: ".~lock.<name>#".
[[nodiscard]] QString officeLockFilePath(const QString &workbookPath);

// Who holds a lock file, as the office wrote it.
struct OfficeLockOwner {
    QString officeUserName; // the name in the office's user data, often empty
    QString systemUser;     // the login that ran the office
    QString host;           // the machine it ran on
    QString editTime;
    QString profileUrl; // the office profile's user folder, a file URL
};

// Reads a lock file: one entry of five comma-separated fields ending in ';', where a backslash,
// ',' or ';' inside a field is escaped with a backslash. Nothing when the file cannot be read or is not
// in that form.
[[nodiscard]] std::optional<OfficeLockOwner> readOfficeLock(const QString &lockPath);

// True when the lock was written by an office running on the profile at `profileUrl`.
[[nodiscard]] bool isLockOfProfile(const OfficeLockOwner &owner, const QString &profileUrl);
// The same for the lock file at `lockPath`; false when it cannot be read.
[[nodiscard]] bool isLockFileOfProfile(const QString &lockPath, const QString &profileUrl);

// True when the lock was written by this login on this machine. The office may write the host's
// full domain name where the system gives the short one, or the other way round.
[[nodiscard]] bool isLockOfThisLogin(const OfficeLockOwner &owner);

// What a workbook file holds, told by its content whatever its name says: people save or rename a
// newer workbook as "导入名单.xls".
enum class WorkbookContent {
    Excel97,       // an OLE2 compound file (Excel 97-2003) or a bare BIFF stream (Excel 2 to 5)
    OfficeOpenXml, // a zip holding "[Content_Types].xml" and "xl/workbook.xml" (.xlsx)
    OpenDocument,  // a zip whose first entry "mimetype" names an OpenDocument spreadsheet (.ods)
    Damaged,       // starts like a zip, but its directory cannot be read
    Other,         // anything else: text, CSV, HTML, another kind of zip, an empty file
};

// Looks at the first bytes and, for a zip, at its central directory. Reads are bounded and no size
// or offset in the file is trusted, so a hostile or cut-off file costs at most a few reads of a
// few kilobytes. Other when the file cannot be read.
[[nodiscard]] WorkbookContent workbookContent(const QString &path);

// True when this login may replace the file at `path` the way a save does: the file itself and the
// folder it lies in can both be written. A read-only file system, a write-protected file or a
// folder without write permission all say no.
[[nodiscard]] bool canReplaceFile(const QString &path);

} // namespace lotdraw

#pragma once

#include <QString>
#include <optional>
#include <sys/types.h>

namespace lotdraw {

// The lock file the office keeps beside a document it has open, read to tell whose it is: ours, a
// crashed office's of this login, or someone else's; and what our office does with it.

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

// Before our office loads the workbook at `workbookPath`: removes a lock file beside it that no
// office holds any more, one that an office on the profile at `profileUrl` (one of ours, killed)
// wrote, or this login's own office on this machine while no office of this login runs besides
// ours in process group `ourGroup` (it crashed or was killed, say with the session). Left in
// place, such a lock would refuse the workbook for good, with the operator unable to see why.
// Returns false, leaving the lock alone, when another office holds the workbook.
[[nodiscard]] bool takeBackStaleLock(const QString &workbookPath, const QString &profileUrl, pid_t ourGroup);

// True when a lock file beside the workbook belongs to an office not on the profile at `profileUrl`.
[[nodiscard]] bool isLockedByAnother(const QString &workbookPath, const QString &profileUrl);

// Removes the lock file beside the workbook when the office on the profile at `profileUrl` wrote it.
void removeLockOfProfile(const QString &workbookPath, const QString &profileUrl);

} // namespace lotdraw

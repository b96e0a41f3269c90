#pragma once

#include <QString>
#include <optional>

namespace lotdraw {

// The lock file the office keeps beside a document it has open, read to tell whose it is: ours, a
// crashed office's of this login, or someone else's.

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

} // namespace lotdraw

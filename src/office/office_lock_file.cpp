#include "office/office_lock_file.h"

#include "office/office_processes.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QUrl>
#include <array>
#include <pwd.h>
#include <unistd.h>

namespace lotdraw {

QString officeLockFilePath(const QString &workbookPath) {
    const QFileInfo info(workbookPath);
    return info.absolutePath() + QStringLiteral("/.~lock.") + info.fileName() + QLatin1Char('#');
}

std::optional<OfficeLockOwner> readOfficeLock(const QString &lockPath) {
    QFile file(lockPath);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    // A lock file holds a few hundred bytes; anything much larger is not one.
    const QByteArray content = file.read(64 * 1024);
    std::array<QByteArray, 5> fields;
    std::size_t field = 0;
    bool escaped = false;
    for (const char c : content) {
        if (escaped) {
            if (c != '\\' && c != ',' && c != ';') {
                return std::nullopt;
            }
            fields.at(field).append(c);
            escaped = false;
        } else if (c == '\\') {
            escaped = true;
        } else if (c == ',') {
            if (++field == fields.size()) {
                return std::nullopt;
            }
        } else if (c == ';') {
            if (field != fields.size() - 1) {
                return std::nullopt;
            }
            return OfficeLockOwner{QString::fromUtf8(fields[0]), QString::fromUtf8(fields[1]),
                                   QString::fromUtf8(fields[2]), QString::fromUtf8(fields[3]),
                                   QString::fromUtf8(fields[4])};
        } else {
            fields.at(field).append(c);
        }
    }
    return std::nullopt;
}

bool isLockOfProfile(const OfficeLockOwner &owner, const QString &profileUrl) {
    if (owner.profileUrl.isEmpty()) {
        return false;
    }
    // The office names its profile's user folder; compare decoded, as either side may be encoded.
    const QString decodedProfile = QUrl::fromPercentEncoding(profileUrl.toUtf8());
    const QString decoded = QUrl::fromPercentEncoding(owner.profileUrl.toUtf8());
    return decoded == decodedProfile || decoded.startsWith(decodedProfile + QStringLiteral("/"));
}

bool isLockFileOfProfile(const QString &lockPath, const QString &profileUrl) {
    const std::optional<OfficeLockOwner> owner = readOfficeLock(lockPath);
    return owner && isLockOfProfile(*owner, profileUrl);
}

bool isLockOfThisLogin(const OfficeLockOwner &owner) {
    const passwd *account = ::getpwuid(::getuid());
    if (account == nullptr || owner.systemUser != QString::fromLocal8Bit(account->pw_name)) {
        return false;
    }
    const QString here = QSysInfo::machineHostName();
    const QString there = owner.host;
    if (here.isEmpty() || there.isEmpty()) {
        return false;
    }
    return there.compare(here, Qt::CaseInsensitive) == 0 ||
           there.startsWith(here + QLatin1Char('.'), Qt::CaseInsensitive) ||
           here.startsWith(there + QLatin1Char('.'), Qt::CaseInsensitive);
}

bool takeBackStaleLock(const QString &workbookPath, const QString &profileUrl, pid_t ourGroup) {
    const QString lockPath = officeLockFilePath(workbookPath);
    if (!QFileInfo::exists(lockPath)) {
        return true;
    }
    const std::optional<OfficeLockOwner> owner = readOfficeLock(lockPath);
    if (!owner ||
        (!isLockOfProfile(*owner, profileUrl) && !(isLockOfThisLogin(*owner) && !officeProcessRuns(ourGroup)))) {
        return false;
    }
    QFile::remove(lockPath);
    return true;
}

bool isLockedByAnother(const QString &workbookPath, const QString &profileUrl) {
    const QString lockPath = officeLockFilePath(workbookPath);
    return QFileInfo::exists(lockPath) && !isLockFileOfProfile(lockPath, profileUrl);
}

void removeLockOfProfile(const QString &workbookPath, const QString &profileUrl) {
    const QString lockPath = officeLockFilePath(workbookPath);
    if (QFileInfo::exists(lockPath) && isLockFileOfProfile(lockPath, profileUrl)) {
        QFile::remove(lockPath);
    }
}

} // namespace lotdraw

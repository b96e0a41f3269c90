#include "workbook/workbook_files.h"

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

bool hasWorkbookSignature(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray head = file.read(8);
    static const QByteArray compoundFile = QByteArray::fromHex("d0cf11e0a1b11ae1");
    if (head == compoundFile) {
        return true;
    }
    // A BIFF beginning-of-file record: 0x0009, 0x0209, 0x0409 or 0x0809, little-endian.
    return head.size() >= 2 && head.at(0) == '\x09' &&
           (head.at(1) == '\x00' || head.at(1) == '\x02' || head.at(1) == '\x04' || head.at(1) == '\x08');
}

} // namespace lotdraw

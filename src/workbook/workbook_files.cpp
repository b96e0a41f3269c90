#include "workbook/workbook_files.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace lotdraw {

QString officeLockFilePath(const QString &workbookPath) {
    const QFileInfo info(workbookPath);
    return info.absolutePath() + QStringLiteral("/.~lock.") + info.fileName() + QLatin1Char('#');
}

bool isLockFileOfProfile(const QString &lockPath, const QString &profileUrl) {
    QFile file(lockPath);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    // The lock file is one line of comma-separated fields; the last names the profile's user folder.
    const QString content = QString::fromUtf8(file.read(64 * 1024));
    const QString decodedProfile = QUrl::fromPercentEncoding(profileUrl.toUtf8());
    for (const QString &field : content.split(QLatin1Char(','))) {
        const QString trimmed = field.trimmed().remove(QLatin1Char(';'));
        if (trimmed.isEmpty()) {
            continue;
        }
        const QString decoded = QUrl::fromPercentEncoding(trimmed.toUtf8());
        if (decoded == decodedProfile || decoded == decodedProfile + QStringLiteral("/user") ||
            decoded.startsWith(decodedProfile + QStringLiteral("/"))) {
            return true;
        }
    }
    return false;
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

#include "files/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lotdraw {

namespace {

constexpr QLatin1StringView kSaveFolderPrefix(".~lotdraw-save-");

QString errorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

QString temporarySibling(const QString &target) {
    const QFileInfo info(target);
    QByteArray folder = QFile::encodeName(info.absolutePath() + QLatin1String("/") + kSaveFolderPrefix) + "XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) {
        return {};
    }
    return QFile::decodeName(folder) + QLatin1String("/") + info.fileName();
}

void removeTemporary(const QString &temporary) {
    const QFileInfo info(temporary);
    QFile::remove(temporary);
    if (info.absoluteDir().dirName().startsWith(kSaveFolderPrefix)) {
        QDir(info.absolutePath()).removeRecursively();
    }
}

void removeLeftTemporaries(const QString &folder, const QDateTime &before) {
    // mkdtemp() puts six characters after the prefix; a symbolic link is never followed.
    const QString pattern = QString(kSaveFolderPrefix) + QStringLiteral("??????");
    const QFileInfoList left =
        QDir(folder).entryInfoList({pattern}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QFileInfo &each : left) {
        if (each.lastModified() < before) {
            QDir(each.absoluteFilePath()).removeRecursively();
        }
    }
}

bool syncToDisk(const QString &path) {
    // A folder opens read-only as a file does.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return synced;
}

QString publishFile(const QString &temporary, const QString &target, bool mayReplace, const DiskSync &sync) {
    const QByteArray from = QFile::encodeName(temporary);
    const QByteArray to = QFile::encodeName(target);
    const auto fail = [&temporary](const QString &reason) {
        removeTemporary(temporary);
        return reason;
    };

    if (!sync(temporary)) {
        return fail(errorText(errno));
    }
    if (mayReplace) {
        struct stat old {};
        if (::stat(to.constData(), &old) == 0) {
            ::chmod(from.constData(), old.st_mode & 07777);
        }
        if (::rename(from.constData(), to.constData()) != 0) {
            return fail(errorText(errno));
        }
    } else {
        // link() never replaces an existing name, so a file that appeared meanwhile is kept.
        if (::link(from.constData(), to.constData()) != 0) {
            return fail(errorText(errno));
        }
    }
    removeTemporary(temporary);
    // Make the new directory entry itself durable. The file is in place already, so a failure
    // here cannot undo the save.
    (void)sync(QFileInfo(target).absolutePath());
    return {};
}

QString resolvedTarget(const QString &path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical;
}

bool canReplaceFile(const QString &path) {
    const QFileInfo info(path);
    // access() asks the kernel, which also knows about read-only mounts; permission bits alone
    // say nothing for root.
    return ::access(QFile::encodeName(info.absoluteFilePath()).constData(), W_OK) == 0 &&
           ::access(QFile::encodeName(info.absolutePath()).constData(), W_OK | X_OK) == 0;
}

} // namespace lotdraw

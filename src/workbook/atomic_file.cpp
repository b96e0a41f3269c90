#include "workbook/atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lotdraw {

namespace {

QString errorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

bool syncPath(const QByteArray &path, int flags) {
    const int fd = ::open(path.constData(), flags | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

} // namespace

QString temporarySibling(const QString &target) {
    const QFileInfo info(target);
    const QString suffix = info.suffix().isEmpty() ? QString() : QStringLiteral(".") + info.suffix();
    QString candidate;
    do {
        candidate = info.absolutePath() + QStringLiteral("/.~lotdraw-save-") +
                    QString::number(QRandomGenerator::global()->generate64(), 36) + suffix;
    } while (QFileInfo::exists(candidate));
    return candidate;
}

QString publishFile(const QString &temporary, const QString &target, bool mayReplace) {
    const QByteArray from = QFile::encodeName(temporary);
    const QByteArray to = QFile::encodeName(target);
    const auto fail = [&from](const QString &reason) {
        ::unlink(from.constData());
        return reason;
    };

    if (!syncPath(from, O_RDONLY)) {
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
        ::unlink(from.constData());
    }
    // Make the new directory entry itself durable.
    syncPath(QFile::encodeName(QFileInfo(target).absolutePath()), O_RDONLY | O_DIRECTORY);
    return {};
}

QString resolvedTarget(const QString &path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical;
}

} // namespace lotdraw

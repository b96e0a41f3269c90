#include "namelist/program_folder.h"

#include "build_info.h"
#include "files/atomic_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace lotdraw {

namespace {

QString executableFolder() {
    if (QCoreApplication::instance() != nullptr) {
        return QCoreApplication::applicationDirPath();
    }
    // Without an application object (early start, small tools) ask the system directly.
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

QString reasonText(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return QStringLiteral("没有权限");
        case ENOTDIR:
        case EEXIST:
            return QStringLiteral("那里已有同名的文件，不是文件夹");
        case EROFS:
            return QStringLiteral("磁盘是只读的");
        case ENOSPC:
        case EDQUOT:
            return QStringLiteral("磁盘空间不足");
        default:
            return QString::fromLocal8Bit(std::strerror(error));
    }
}

// Makes `path` and every missing folder above it. Returns 0, or the error of the step that failed.
int makeFolders(const QString &path) {
    const QStringList parts = QDir::cleanPath(QFileInfo(path).absoluteFilePath()).split(u'/', Qt::SkipEmptyParts);
    QString current;
    for (const QString &part : parts) {
        current += u'/' + part;
        const QByteArray native = QFile::encodeName(current);
        struct stat info {};
        if (::stat(native.constData(), &info) == 0) {
            if (!S_ISDIR(info.st_mode)) {
                return ENOTDIR;
            }
            continue;
        }
        if (errno != ENOENT) {
            return errno;
        }
        if (::mkdir(native.constData(), 0777) != 0) {
            const int error = errno;
            // Another start may have made it a moment ago.
            if (error != EEXIST || ::stat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode)) {
                return error;
            }
        }
    }
    return 0;
}

QString folderFailedMessage(const QString &folder, const QString &reason) {
    return QStringLiteral("无法建立存放名单工作簿的文件夹：%1\n原因：%2").arg(QDir::toNativeSeparators(folder), reason);
}

QString copyFailedMessage(const QString &target, const QString &reason) {
    return QStringLiteral("无法把示例名单复制为名单工作簿：%1\n原因：%2").arg(QDir::toNativeSeparators(target), reason);
}

bool isPresent(const QString &path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

ProgramPlaces systemProgramPlaces() {
    return {
        executableFolder(),
        QString::fromUtf8(build_info::kInstalledProgramFolder),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
        QString::fromUtf8(build_info::kInstalledDataFolder) + u'/' + QString::fromUtf16(kWorkbookFileName),
    };
}

bool runsInstalled(const ProgramPlaces &places) {
    const QString executable = QFileInfo(places.executableFolder).canonicalFilePath();
    return !executable.isEmpty() && executable == QFileInfo(places.installedFolder).canonicalFilePath();
}

QString programFolder(const ProgramPlaces &places) {
    if (runsInstalled(places)) {
        return QDir(places.documentsFolder).filePath(QString::fromUtf16(build_info::kProgramName));
    }
    return places.executableFolder;
}

ProgramFolder::ProgramFolder(ProgramPlaces places)
    : m_places(std::move(places))
    , m_folder(programFolder(m_places))
    , m_ready(!runsInstalled(m_places)) {}

QString ProgramFolder::workbookPath() const {
    return QDir(m_folder).filePath(QString::fromUtf16(kWorkbookFileName));
}

QString ProgramFolder::prepare() {
    if (m_ready) {
        return {};
    }
    if (const int error = makeFolders(m_folder); error != 0) {
        return folderFailedMessage(m_folder, reasonText(error));
    }
    const QString target = workbookPath();
    if (!isPresent(target)) {
        if (!QFileInfo::exists(m_places.sampleWorkbook)) {
            return copyFailedMessage(target, QStringLiteral("找不到示例名单 %1").arg(m_places.sampleWorkbook));
        }
        const QString temporary = temporarySibling(target);
        if (temporary.isEmpty()) {
            return copyFailedMessage(target, reasonText(errno));
        }
        QFile sample(m_places.sampleWorkbook);
        if (!sample.copy(temporary)) {
            const QString reason = sample.errorString();
            removeTemporary(temporary);
            return copyFailedMessage(target, reason);
        }
        // Publishing never replaces a name that exists: a workbook that appeared meanwhile wins.
        const QString reason = publishFile(temporary, target, false);
        if (!reason.isEmpty() && !isPresent(target)) {
            return copyFailedMessage(target, reason);
        }
    }
    m_ready = true;
    return {};
}

std::unique_ptr<SpreadsheetInstance> ProgramFolderSpreadsheet::create(const CancellationToken &cancel) {
    if (const QString problem = m_folder.prepare(); !problem.isEmpty()) {
        throw SpreadsheetError(problem);
    }
    return m_application.create(cancel);
}

QString nameListWorkbookPath() {
    return ProgramFolder(systemProgramPlaces()).workbookPath();
}

} // namespace lotdraw

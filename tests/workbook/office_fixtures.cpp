#include "office_fixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <unistd.h>

namespace lotdraw::testing {

namespace {

QByteArray procFile(const QString &pid, const char *name) {
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid, QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// State letter and parent pid from /proc/<pid>/stat ("pid (comm) S ppid ...").
std::pair<char, pid_t> stateAndParent(const QString &pid) {
    const QByteArray stat = procFile(pid, "stat");
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0) {
        return {'?', 0};
    }
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    if (fields.size() < 2 || fields.at(0).isEmpty()) {
        return {'?', 0};
    }
    return {fields.at(0).at(0), static_cast<pid_t>(fields.at(1).toInt())};
}

bool ownedByMe(const QString &pid) {
    const QFileInfo info(QStringLiteral("/proc/") + pid);
    return info.exists() && info.ownerId() == ::getuid();
}

} // namespace

std::vector<pid_t> liveOfficeProcesses(const QString &argument, bool withLaunchers) {
    std::vector<pid_t> result;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isNumber = false;
        const int pid = entry.toInt(&isNumber);
        const QByteArray comm = procFile(entry, "comm").trimmed();
        const bool office = comm == "soffice.bin" ||
                            (withLaunchers && (comm == "soffice" || comm == "oosplash" || comm == "libreoffice"));
        if (!isNumber || !office || !ownedByMe(entry)) {
            continue;
        }
        if (!argument.isEmpty() && !procFile(entry, "cmdline").split('\0').contains(argument.toUtf8())) {
            continue;
        }
        if (stateAndParent(entry).first != 'Z') {
            result.push_back(static_cast<pid_t>(pid));
        }
    }
    return result;
}

bool isLiveProcess(pid_t pid) {
    const char state = stateAndParent(QString::number(pid)).first;
    return state != '?' && state != 'Z' && state != 'X';
}

std::vector<pid_t> childProcesses(pid_t parent) {
    std::vector<pid_t> result;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isNumber = false;
        const int pid = entry.toInt(&isNumber);
        if (isNumber && stateAndParent(entry).second == parent) {
            result.push_back(static_cast<pid_t>(pid));
        }
    }
    return result;
}

QStringList leftoverFiles(const QString &folder) {
    return QDir(folder).entryList({QStringLiteral(".~lock.*"), QStringLiteral(".~lotdraw-save-*")},
                                  QDir::Files | QDir::Hidden | QDir::System);
}

QByteArray fileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes);
    }
}

QString convertCsvToXls(const QString &csvPath, const QString &outFolder, const QString &profileFolder) {
    QProcess soffice;
    soffice.setProgram(QStringLiteral("/usr/lib/libreoffice/program/soffice"));
    soffice.setArguments(
        {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profileFolder).toString(QUrl::FullyEncoded),
         QStringLiteral("--headless"), QStringLiteral("--norestore"),
         // Comma-separated, UTF-8, US English, numbers and dates recognised, formulas evaluated.
         QStringLiteral("--infilter=CSV:44,34,76,1,,1033,false,true,false,false,false,-1,true"),
         QStringLiteral("--convert-to"), QStringLiteral("xls:MS Excel 97"), QStringLiteral("--outdir"), outFolder,
         csvPath});
    soffice.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    soffice.start();
    if (!soffice.waitForFinished(120000) || soffice.exitCode() != 0) {
        soffice.kill();
        soffice.waitForFinished();
        return {};
    }
    const QString out = QDir(outFolder).filePath(QFileInfo(csvPath).completeBaseName() + QStringLiteral(".xls"));
    return QFileInfo::exists(out) ? out : QString();
}

} // namespace lotdraw::testing

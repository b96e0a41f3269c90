#include "office/process/process_table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace lotdraw {

namespace {

QString processFolder(pid_t pid) {
    return QStringLiteral("/proc/%1").arg(pid);
}

// "pid (name) state ppid pgrp ...": the name may hold spaces and parentheses, so the fields are
// counted from the last ')'.
bool readStat(const QString &folder, ProcessEntry &entry) {
    QFile file(folder + QStringLiteral("/stat"));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray line = file.readAll();
    const qsizetype nameStart = line.indexOf('(');
    const qsizetype nameEnd = line.lastIndexOf(')');
    if (nameStart < 0 || nameEnd < nameStart) {
        return false;
    }
    const QList<QByteArray> fields = line.mid(nameEnd + 2).split(' ');
    if (fields.size() < 3 || fields.at(0).isEmpty()) {
        return false;
    }
    entry.name = line.mid(nameStart + 1, nameEnd - nameStart - 1);
    entry.state = fields.at(0).at(0);
    entry.group = static_cast<pid_t>(fields.at(2).toLongLong());
    return true;
}

// The real user id, the first of the "Uid:" line.
bool readUid(const QString &folder, ProcessEntry &entry) {
    QFile file(folder + QStringLiteral("/status"));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("Uid:")) {
            const QList<QByteArray> fields = line.mid(4).simplified().split(' ');
            bool isNumber = false;
            entry.uid = static_cast<uid_t>(fields.first().toUInt(&isNumber));
            return isNumber;
        }
    }
    return false;
}

} // namespace

std::optional<ProcessEntry> processEntry(pid_t pid) {
    ProcessEntry entry;
    entry.pid = pid;
    const QString folder = processFolder(pid);
    if (pid <= 0 || !readStat(folder, entry) || !readUid(folder, entry)) {
        return std::nullopt;
    }
    return entry;
}

std::vector<ProcessEntry> processTable() {
    std::vector<ProcessEntry> table;
    const QStringList names = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        bool isNumber = false;
        const pid_t pid = static_cast<pid_t>(name.toInt(&isNumber));
        if (!isNumber) {
            continue;
        }
        if (std::optional<ProcessEntry> entry = processEntry(pid)) {
            table.push_back(std::move(*entry));
        }
    }
    return table;
}

QList<QByteArray> processArguments(pid_t pid) {
    QFile file(processFolder(pid) + QStringLiteral("/cmdline"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll().split('\0');
}

bool processHoldsFile(pid_t pid, const QString &canonicalPath) {
    const QFileInfoList descriptors = QDir(processFolder(pid) + QStringLiteral("/fd"))
                                          .entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &descriptor : descriptors) {
        if (descriptor.symLinkTarget() == canonicalPath) {
            return true;
        }
    }
    return false;
}

std::vector<pid_t> liveProcessesInGroup(pid_t group) {
    std::vector<pid_t> members;
    for (const ProcessEntry &process : processTable()) {
        if (process.group == group && process.isLive()) {
            members.push_back(process.pid);
        }
    }
    return members;
}

} // namespace lotdraw

#include "workbook/office_handover.h"

#include "workbook/workbook_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <thread>
#include <vector>

namespace lotdraw {

namespace {

using namespace std::chrono_literals;

// How often the office is looked at.
constexpr auto kPollInterval = 50ms;
// After the office's processes have ended, how long its lock file may still take to appear: a
// launcher that found another office of the user's running hands the workbook over to that one
// and ends at once.
constexpr auto kLateLockGrace = 2s;

// The live (not zombie) processes whose process group is `group`.
std::vector<QString> liveMembers(pid_t group) {
    std::vector<QString> members;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isNumber = false;
        static_cast<void>(entry.toInt(&isNumber));
        if (!isNumber) {
            continue;
        }
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly)) {
            continue;
        }
        // "pid (name) state ppid pgrp ...": the name may hold spaces and parentheses.
        const QByteArray line = stat.readAll();
        const qsizetype nameEnd = line.lastIndexOf(')');
        if (nameEnd < 0) {
            continue;
        }
        const QList<QByteArray> fields = line.mid(nameEnd + 2).split(' ');
        if (fields.size() < 3 || fields.at(0) == "Z" || fields.at(0) == "X") {
            continue;
        }
        if (fields.at(2).toLongLong() == group) {
            members.push_back(QStringLiteral("/proc/") + entry);
        }
    }
    return members;
}

bool holdsFile(const QString &processFolder, const QString &canonicalPath) {
    const QFileInfoList descriptors = QDir(processFolder + QStringLiteral("/fd"))
                                          .entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &descriptor : descriptors) {
        if (descriptor.symLinkTarget() == canonicalPath) {
            return true;
        }
    }
    return false;
}

} // namespace

HandOverResult waitForHandOver(pid_t group, const QString &path, std::chrono::milliseconds timeout,
                               const std::atomic<bool> &cancelled) {
    const QString lockPath = officeLockFilePath(path);
    const QString canonicalPath = QFileInfo(path).canonicalFilePath();
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::chrono::steady_clock::time_point endedAt{};
    while (true) {
        if (cancelled) {
            return HandOverResult::Cancelled;
        }
        if (QFileInfo::exists(lockPath)) {
            return HandOverResult::HeldOpen;
        }
        const auto now = std::chrono::steady_clock::now();
        const std::vector<QString> members = liveMembers(group);
        for (const QString &member : members) {
            if (holdsFile(member, canonicalPath)) {
                return HandOverResult::HeldOpen;
            }
        }
        if (members.empty()) {
            if (endedAt == std::chrono::steady_clock::time_point{}) {
                endedAt = now;
            } else if (now - endedAt >= kLateLockGrace) {
                return HandOverResult::Ended;
            }
        }
        if (now >= deadline) {
            return members.empty() ? HandOverResult::Ended : HandOverResult::TimedOut;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

void endProcessGroup(pid_t group) noexcept {
    try {
        if (group <= 1) {
            return;
        }
        ::kill(-group, SIGKILL);
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (!liveMembers(group).empty() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(5ms);
        }
    } catch (...) {
        // Nothing more can be done here.
    }
}

} // namespace lotdraw

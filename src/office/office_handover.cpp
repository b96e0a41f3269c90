#include "office/office_handover.h"

#include "office/office_lock_file.h"
#include "office/process_table.h"

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

// The live (not zombie) processes of process group `group`.
std::vector<pid_t> liveMembers(pid_t group) {
    std::vector<pid_t> members;
    for (const ProcessEntry &process : processTable()) {
        if (process.group == group && process.isLive()) {
            members.push_back(process.pid);
        }
    }
    return members;
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
        const std::vector<pid_t> members = liveMembers(group);
        for (const pid_t member : members) {
            if (processHoldsFile(member, canonicalPath)) {
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

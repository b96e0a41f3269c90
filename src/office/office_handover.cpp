#include "office/office_handover.h"

#include "office/office_lock_file.h"
#include "office/office_messages.h"
#include "office/office_processes.h"
#include "office/process/process_control.h"
#include "office/process/process_table.h"
#include "spreadsheet/spreadsheet_error.h"

#include <QFileInfo>
#include <system_error>
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

// How the wait for an office started for the user came to its end.
enum class HandOverResult {
    HeldOpen,  // the office holds the workbook open: the user has it
    Ended,     // every process of the office ended without that
    TimedOut,  // neither within the time allowed
    Cancelled, // the operator stopped the wait
};

// Waits until the office in process group `group` holds the workbook at `path` open: its lock file
// appears beside the workbook, or one of its processes has the file open (in a folder the office
// cannot write, there is no lock file). The wait also ends once no live process of the group is
// left, after `timeout`, or when `cancel` is cancelled. The group is left as it is.
HandOverResult waitForHandOver(pid_t group, const QString &path, std::chrono::milliseconds timeout,
                               const CancellationToken &cancel) {
    const QString lockPath = officeLockFilePath(path);
    const QString canonicalPath = QFileInfo(path).canonicalFilePath();
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::chrono::steady_clock::time_point endedAt{};
    while (true) {
        if (cancel.isCancelled()) {
            return HandOverResult::Cancelled;
        }
        if (QFileInfo::exists(lockPath)) {
            return HandOverResult::HeldOpen;
        }
        const auto now = std::chrono::steady_clock::now();
        const std::vector<pid_t> members = liveProcessesInGroup(group);
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

// The user's office, started for `path`; the id of its process group.
pid_t startUsersOffice(const LibreOfficeOptions &options, const QString &path) {
    const QString program = options.programFolder + QStringLiteral("/soffice");
    const QFileInfo info(program);
    if (!info.isFile() || !info.isExecutable()) {
        throw SpreadsheetError(office_messages::cannotShow(QStringLiteral("找不到 %1").arg(program)));
    }
    try {
        return startDetached(program, {QStringLiteral("--norestore"), QStringLiteral("--calc"), path},
                             officeEnvironment(false));
    } catch (const std::system_error &error) {
        throw SpreadsheetError(office_messages::cannotShow(QString::fromLocal8Bit(error.code().message())));
    }
}

} // namespace

void handOverToUser(const LibreOfficeOptions &options, const QString &path, const CancellationToken &cancel) {
    const pid_t group = startUsersOffice(options, path);
    switch (waitForHandOver(group, path, options.handOverTimeout, cancel)) {
        case HandOverResult::HeldOpen:
            return;
        case HandOverResult::Ended:
            throw SpreadsheetError(office_messages::windowEnded(path));
        case HandOverResult::TimedOut:
            endProcessGroup(group, options.killTimeout);
            throw SpreadsheetError(office_messages::windowTimedOut(path, options.handOverTimeout));
        case HandOverResult::Cancelled:
            endProcessGroup(group, options.killTimeout);
            throw SpreadsheetCancelled();
    }
}

} // namespace lotdraw

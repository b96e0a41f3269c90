#pragma once

#include <QString>
#include <atomic>
#include <chrono>
#include <sys/types.h>

namespace lotdraw {

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
// left, after `timeout`, or when `cancelled` is set. The group is left as it is.
[[nodiscard]] HandOverResult waitForHandOver(pid_t group, const QString &path, std::chrono::milliseconds timeout,
                                             const std::atomic<bool> &cancelled);

// Kills every process of `group` and waits (boundedly) until none is left alive.
void endProcessGroup(pid_t group) noexcept;

} // namespace lotdraw

#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <mutex>
#include <sys/types.h>
#include <vector>

namespace lotdraw {

// Starting and ending processes: the one place that spawns, detaches, signals and reaps them.
// Failures throw std::system_error with the system's error code; the caller words what the
// operator is told. Every wait for a killed process is bounded by the `killWait` it is given.

// A process we started and own. It runs in a session and process group of its own, so that ending
// the group ends everything it started and no signal of our terminal reaches it; its output goes
// nowhere. Ending the object ends the group.
class ChildProcess final {
public:
    // Starts `program` with `arguments` and the complete `environment` ("NAME=value").
    ChildProcess(const QString &program, const QStringList &arguments, const QStringList &environment,
                 std::chrono::milliseconds killWait);
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;
    ChildProcess(ChildProcess &&) = delete;
    ChildProcess &operator=(ChildProcess &&) = delete;

    // The process's id, also the id of its process group.
    [[nodiscard]] pid_t pid() const noexcept { return m_pid; }
    // True once the process has exited and been reaped.
    [[nodiscard]] bool hasExited();
    // The code the process exited with; -1 while it runs or when a signal ended it.
    [[nodiscard]] int exitCode();
    // Waits until the process has exited, at most `timeout`; true when it has.
    bool waitForExit(std::chrono::milliseconds timeout);
    // Sends SIGKILL to the whole process group, unless the process has been reaped (its id may
    // belong to another process by then). Safe from any thread; it does not wait.
    void killGroup() const noexcept;
    // Kills the group and waits until the process is reaped.
    void kill() noexcept;

private:
    pid_t m_pid = -1;
    std::chrono::milliseconds m_killWait;
    // Reaping and killing take turns, so that a kill never reaches a process id used again.
    mutable std::mutex m_reapMutex;
    bool m_exited = false;
    int m_exitCode = -1;
};

// Starts `program` fully detached: in a session of its own and no child of ours, so that it lives
// on after this program and is never our zombie. Returns once the program runs (its exec has
// succeeded), with the id of its session and process group, which everything it starts shares.
pid_t startDetached(const QString &program, const QStringList &arguments, const QStringList &environment);

// Kills every process of `group` and waits until none of them is left alive.
void endProcessGroup(pid_t group, std::chrono::milliseconds killWait) noexcept;

// Kills each of `pids` with its process group (never our own group) and waits until they are gone.
void endProcesses(const std::vector<pid_t> &pids, std::chrono::milliseconds killWait) noexcept;

// Makes a write to a pipe whose reader has gone fail with an error instead of ending this program.
void ignoreBrokenPipes() noexcept;

} // namespace lotdraw

#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <mutex>
#include <sys/types.h>

namespace lotdraw {

// One office process that we started: the soffice launcher, which runs soffice.bin as its child
// and exits with it. It runs in a session and process group of its own, so that ending the group
// ends everything it started and no signal of our terminal reaches it.
class OfficeProcess final {
public:
    // Starts `program` with `arguments`; `environment` is the complete environment ("NAME=value").
    // Throws SpreadsheetError when the program cannot be started.
    OfficeProcess(const QString &program, const QStringList &arguments, const QStringList &environment);
    ~OfficeProcess();
    OfficeProcess(const OfficeProcess &) = delete;
    OfficeProcess &operator=(const OfficeProcess &) = delete;
    OfficeProcess(OfficeProcess &&) = delete;
    OfficeProcess &operator=(OfficeProcess &&) = delete;

    [[nodiscard]] pid_t pid() const noexcept { return m_pid; }
    // True once the launcher has exited and been reaped.
    [[nodiscard]] bool hasExited();
    // Waits until the launcher has exited, at most `timeout`; true when it has.
    bool waitForExit(std::chrono::milliseconds timeout);
    // Sends SIGKILL to the whole process group, unless the launcher has been reaped (its id may
    // belong to another process by then). Safe from any thread; it does not wait.
    void killGroup() const noexcept;
    // Kills the group and waits (boundedly) until the launcher is reaped.
    void kill();

private:
    pid_t m_pid = -1;
    // Reaping and killing take turns, so that a kill never reaches a process id used again.
    mutable std::mutex m_reapMutex;
    bool m_exited = false;
};

// Starts `program` fully detached: in a session of its own and no child of ours, so that it lives
// on after this program and is never our zombie. Returns the id of its session and process group,
// which everything it starts shares. Throws SpreadsheetError when it cannot be started.
pid_t startDetached(const QString &program, const QStringList &arguments, const QStringList &environment);

// The process environment with a UTF-8 character type, which soffice needs to open files whose
// names are not ASCII. `forceCLocale` replaces every locale setting with C.UTF-8 instead.
[[nodiscard]] QStringList officeEnvironment(bool forceCLocale);

// True while an office process of this user runs (zombies do not count), leaving out those in
// process group `exceptGroup` when it is given. An office that is still starting counts: for its
// first second or so only its launchers (soffice, oosplash) exist, not yet soffice.bin.
[[nodiscard]] bool officeProcessRuns(pid_t exceptGroup = 0);

// Kills every soffice process of this user that has `argument` among its arguments (and its
// process group). Used for instances on our private profile that a crashed program left behind.
void killOfficeProcessesWith(const QString &argument);

} // namespace lotdraw

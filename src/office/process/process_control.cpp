#include "office/process/process_control.h"

#include "office/process/process_table.h"

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace lotdraw {

namespace {

using namespace std::chrono_literals;

// How often a wait looks again.
constexpr auto kPollInterval = 2ms;

// Keeps the bytes of a list of texts alive and offers them as a null-terminated char* array.
class CStringArray final {
public:
    explicit CStringArray(const QStringList &texts) {
        m_bytes.reserve(texts.size());
        for (const QString &text : texts) {
            m_bytes.push_back(text.toLocal8Bit());
        }
        for (QByteArray &bytes : m_bytes) {
            m_pointers.push_back(bytes.data());
        }
        m_pointers.push_back(nullptr);
    }

    [[nodiscard]] char *const *data() { return m_pointers.data(); }

private:
    std::vector<QByteArray> m_bytes;
    std::vector<char *> m_pointers;
};

[[noreturn]] void failWith(int error, const char *what) {
    throw std::system_error(error, std::generic_category(), what);
}

// Polls `done` until it holds or `timeout` has passed; returns its last answer.
template<typename Done>
bool waitUntil(std::chrono::milliseconds timeout, const Done &done) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return done();
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}

bool isGone(pid_t pid) {
    const std::optional<ProcessEntry> process = processEntry(pid);
    return !process || !process->isLive();
}

} // namespace

ChildProcess::ChildProcess(const QString &program, const QStringList &arguments, const QStringList &environment,
                           std::chrono::milliseconds killWait)
    : m_killWait(killWait) {
    CStringArray argv(QStringList{program} + arguments);
    CStringArray envp(environment);
    const QByteArray path = QFile::encodeName(program);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A session of its own: its own process group, away from our terminal and its signals.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    sigset_t noSignals;
    sigemptyset(&noSignals);
    posix_spawnattr_setsigmask(&attributes, &noSignals);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signal : {SIGPIPE, SIGINT, SIGTERM, SIGCHLD}) {
        sigaddset(&defaults, signal);
    }
    posix_spawnattr_setsigdefault(&attributes, &defaults);

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    const int error = posix_spawn(&m_pid, path.constData(), &files, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        failWith(error, "posix_spawn");
    }
}

ChildProcess::~ChildProcess() {
    kill();
}

bool ChildProcess::hasExited() {
    const std::lock_guard lock(m_reapMutex);
    if (!m_exited) {
        int status = 0;
        const pid_t result = ::waitpid(m_pid, &status, WNOHANG);
        m_exited = result == m_pid || (result < 0 && errno == ECHILD);
        if (result == m_pid && WIFEXITED(status)) {
            m_exitCode = WEXITSTATUS(status);
        }
    }
    return m_exited;
}

int ChildProcess::exitCode() {
    return hasExited() ? m_exitCode : -1;
}

bool ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
    return waitUntil(timeout, [this] { return hasExited(); });
}

void ChildProcess::killGroup() const noexcept {
    const std::lock_guard lock(m_reapMutex);
    if (m_pid > 0 && !m_exited) {
        ::kill(-m_pid, SIGKILL);
    }
}

void ChildProcess::kill() noexcept {
    if (hasExited()) {
        return;
    }
    killGroup();
    // SIGKILL cannot be refused; a process in uninterruptible sleep may take a moment.
    if (!waitForExit(m_killWait)) {
        {
            const std::lock_guard lock(m_reapMutex);
            if (!m_exited) {
                ::kill(m_pid, SIGKILL);
            }
        }
        waitForExit(m_killWait);
    }
}

namespace {

// The detached program's side of startDetached(), in the middle child: a new session, then the
// program in a grandchild of its own, which init adopts once the middle child exits. Only
// async-signal-safe calls are made between fork and exec. An exec that fails writes its error to
// `execReport`.
[[noreturn]] void runDetached(const QByteArray &path, char *const *argv, char *const *envp, int execReport) {
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild == 0) {
        sigset_t noSignals;
        sigemptyset(&noSignals);
        sigprocmask(SIG_SETMASK, &noSignals, nullptr);
        // An ignored SIGPIPE would be inherited through exec.
        struct sigaction defaults {};
        defaults.sa_handler = SIG_DFL;
        sigemptyset(&defaults.sa_mask);
        ::sigaction(SIGPIPE, &defaults, nullptr);
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, STDIN_FILENO);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
        }
        ::execve(path.constData(), argv, envp);
        const int error = errno;
        [[maybe_unused]] const ssize_t written = ::write(execReport, &error, sizeof error);
        ::_exit(127);
    }
    ::_exit(grandchild < 0 ? 1 : 0);
}

// The error that the exec in runDetached() reported, 0 when it succeeded (the exec closed the pipe).
int readExecReport(int execReport) {
    int execError = 0;
    ssize_t received = -1;
    do {
        received = ::read(execReport, &execError, sizeof execError);
    } while (received < 0 && errno == EINTR);
    return received == static_cast<ssize_t>(sizeof execError) ? execError : 0;
}

} // namespace

pid_t startDetached(const QString &program, const QStringList &arguments, const QStringList &environment) {
    CStringArray argv(QStringList{program} + arguments);
    CStringArray envp(environment);
    const QByteArray path = QFile::encodeName(program);

    // Told by the grandchild when its exec fails; closed by the exec when it succeeds.
    int execReport[2] = {-1, -1};
    if (::pipe2(execReport, O_CLOEXEC) != 0) {
        failWith(errno, "pipe2");
    }
    // Double fork, so the program is never our zombie.
    const pid_t middle = ::fork();
    if (middle < 0) {
        const int error = errno;
        ::close(execReport[0]);
        ::close(execReport[1]);
        failWith(error, "fork");
    }
    if (middle == 0) {
        ::close(execReport[0]);
        runDetached(path, argv.data(), envp.data(), execReport[1]);
    }
    ::close(execReport[1]);
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    const int execError = readExecReport(execReport[0]);
    ::close(execReport[0]);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        failWith(EAGAIN, "fork");
    }
    if (execError != 0) {
        failWith(execError, "execve");
    }
    // The middle child led the new session; its id stays the id of the session and the group.
    return middle;
}

void endProcessGroup(pid_t group, std::chrono::milliseconds killWait) noexcept {
    try {
        if (group <= 1) {
            return;
        }
        ::kill(-group, SIGKILL);
        waitUntil(killWait, [group] { return liveProcessesInGroup(group).empty(); });
    } catch (...) {
        // Nothing more can be done here.
    }
}

void endProcesses(const std::vector<pid_t> &pids, std::chrono::milliseconds killWait) noexcept {
    try {
        for (const pid_t pid : pids) {
            const pid_t group = ::getpgid(pid);
            if (group > 1 && group != ::getpgrp()) {
                ::kill(-group, SIGKILL);
            }
            ::kill(pid, SIGKILL);
        }
        // Gives the kernel a moment to take them down, so that a probe right after sees them gone.
        waitUntil(killWait, [&pids] { return std::all_of(pids.begin(), pids.end(), isGone); });
    } catch (...) {
        // Nothing more can be done here.
    }
}

void ignoreBrokenPipes() noexcept {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, nullptr);
}

} // namespace lotdraw

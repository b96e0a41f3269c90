#include "office/office_process.h"

#include "office/office_messages.h"
#include "office/process_table.h"
#include "spreadsheet/spreadsheet.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <langinfo.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace lotdraw {

namespace {

using namespace std::chrono_literals;

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

// The office itself and the launchers that start it: the soffice script (also run as
// "libreoffice" through its link), which becomes oosplash, which runs soffice.bin. Only the
// launchers exist during the first moments of a start.
bool isOfficeProgram(const ProcessEntry &process) {
    const QByteArray &name = process.name;
    return name == "soffice.bin" || name == "oosplash" || name == "soffice" || name == "libreoffice";
}

// This login's live office processes.
std::vector<ProcessEntry> ownOfficeProcesses() {
    const uid_t me = ::getuid();
    std::vector<ProcessEntry> offices;
    for (ProcessEntry &process : processTable()) {
        if (process.uid == me && process.isLive() && isOfficeProgram(process)) {
            offices.push_back(std::move(process));
        }
    }
    return offices;
}

// Those of them that have `argument` among their arguments.
std::vector<pid_t> ownOfficeProcessesWith(const QByteArray &argument) {
    std::vector<pid_t> found;
    for (const ProcessEntry &process : ownOfficeProcesses()) {
        if (processArguments(process.pid).contains(argument)) {
            found.push_back(process.pid);
        }
    }
    return found;
}

// Gives the kernel a moment to take them down, so that a probe right after sees them gone.
void waitUntilGone(const std::vector<pid_t> &pids) {
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    for (const pid_t pid : pids) {
        while (std::chrono::steady_clock::now() < deadline) {
            const std::optional<ProcessEntry> process = processEntry(pid);
            if (!process || !process->isLive()) {
                break;
            }
            std::this_thread::sleep_for(5ms);
        }
    }
}

} // namespace

OfficeProcess::OfficeProcess(const QString &program, const QStringList &arguments, const QStringList &environment) {
    if (!QFileInfo(program).isExecutable()) {
        throw SpreadsheetError(
            office_messages::cannotStart(QStringLiteral("找不到 %1").arg(QDir::toNativeSeparators(program))));
    }
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
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGCHLD);
    posix_spawnattr_setsigdefault(&attributes, &defaults);

    // The office's own chatter (javaldx warnings and the like) is not ours to show.
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    pid_t pid = -1;
    const int error = posix_spawn(&pid, path.constData(), &files, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        throw SpreadsheetError(office_messages::cannotStart(QString::fromLocal8Bit(std::strerror(error))));
    }
    m_pid = pid;
}

OfficeProcess::~OfficeProcess() {
    if (!hasExited()) {
        kill();
    }
}

bool OfficeProcess::hasExited() {
    const std::lock_guard lock(m_reapMutex);
    if (m_exited) {
        return true;
    }
    int status = 0;
    const pid_t result = ::waitpid(m_pid, &status, WNOHANG);
    if (result == m_pid || (result < 0 && errno == ECHILD)) {
        m_exited = true;
    }
    return m_exited;
}

bool OfficeProcess::waitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!hasExited()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

void OfficeProcess::killGroup() const noexcept {
    const std::lock_guard lock(m_reapMutex);
    if (m_pid > 0 && !m_exited) {
        ::kill(-m_pid, SIGKILL);
    }
}

void OfficeProcess::kill() {
    if (hasExited()) {
        return;
    }
    killGroup();
    // SIGKILL cannot be refused; a process in uninterruptible sleep may take a moment.
    if (!waitForExit(5s)) {
        {
            const std::lock_guard lock(m_reapMutex);
            if (!m_exited) {
                ::kill(m_pid, SIGKILL);
            }
        }
        waitForExit(5s);
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
    const QFileInfo info(program);
    if (!info.isFile() || !info.isExecutable()) {
        throw SpreadsheetError(office_messages::cannotShow(QStringLiteral("找不到 %1").arg(program)));
    }
    CStringArray argv(QStringList{program} + arguments);
    CStringArray envp(environment);
    const QByteArray path = QFile::encodeName(program);

    // Told by the grandchild when its exec fails; closed by the exec when it succeeds.
    int execReport[2] = {-1, -1};
    if (::pipe2(execReport, O_CLOEXEC) != 0) {
        throw SpreadsheetError(office_messages::cannotShow(QString::fromLocal8Bit(std::strerror(errno))));
    }
    // Double fork, so the program is never our zombie.
    const pid_t middle = ::fork();
    if (middle < 0) {
        const int error = errno;
        ::close(execReport[0]);
        ::close(execReport[1]);
        throw SpreadsheetError(office_messages::cannotShow(QString::fromLocal8Bit(std::strerror(error))));
    }
    if (middle == 0) {
        ::close(execReport[0]);
        runDetached(path, argv.data(), envp.data(), execReport[1]);
    }
    ::close(execReport[1]);
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    // Waiting for the exec means that the office is visible to the probe as soon as we return,
    // as its launcher, so a second command cannot start another one on the same workbook.
    const int execError = readExecReport(execReport[0]);
    ::close(execReport[0]);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw SpreadsheetError(office_messages::cannotShow(QStringLiteral("无法创建进程")));
    }
    if (execError != 0) {
        throw SpreadsheetError(office_messages::cannotShow(QString::fromLocal8Bit(std::strerror(execError))));
    }
    // The middle child led the new session; its id stays the id of the session and the group.
    return middle;
}

QStringList officeEnvironment(bool forceCLocale) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (forceCLocale) {
        for (const QString &name : environment.keys()) {
            if (name.startsWith(QStringLiteral("LC_")) || name == QStringLiteral("LANG") ||
                name == QStringLiteral("LANGUAGE")) {
                environment.remove(name);
            }
        }
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    } else if (QByteArray(nl_langinfo(CODESET)) != "UTF-8") {
        // Keep the user's language, only make the character type UTF-8.
        const QString all = environment.value(QStringLiteral("LC_ALL"));
        environment.remove(QStringLiteral("LC_ALL"));
        if (!all.isEmpty()) {
            environment.insert(QStringLiteral("LANG"), all);
        }
        environment.insert(QStringLiteral("LC_CTYPE"), QStringLiteral("C.UTF-8"));
    }
    return environment.toStringList();
}

bool officeProcessRuns(pid_t exceptGroup) {
    const std::vector<ProcessEntry> offices = ownOfficeProcesses();
    return std::any_of(offices.begin(), offices.end(), [exceptGroup](const ProcessEntry &process) {
        return exceptGroup <= 0 || process.group != exceptGroup;
    });
}

void killOfficeProcessesWith(const QString &argument) {
    const std::vector<pid_t> victims = ownOfficeProcessesWith(argument.toUtf8());
    for (const pid_t pid : victims) {
        const pid_t group = ::getpgid(pid);
        // Never signal our own group: the instances we start always run in a group of their own.
        if (group > 1 && group != ::getpgrp()) {
            ::kill(-group, SIGKILL);
        }
        ::kill(pid, SIGKILL);
    }
    waitUntilGone(victims);
}

} // namespace lotdraw

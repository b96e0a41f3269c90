#include "workbook/office_process.h"

#include "workbook/office_messages.h"
#include "workbook/spreadsheet.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
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

struct ProcStatus {
    char state = '?';
    uid_t uid = static_cast<uid_t>(-1);
};

ProcStatus readStatus(const QString &pidFolder) {
    ProcStatus status;
    QFile file(pidFolder + QStringLiteral("/status"));
    if (!file.open(QIODevice::ReadOnly)) {
        return status;
    }
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("State:")) {
            const QByteArray value = line.mid(6).trimmed();
            if (!value.isEmpty()) {
                status.state = value.at(0);
            }
        } else if (line.startsWith("Uid:")) {
            const QList<QByteArray> fields = line.mid(4).simplified().split(' ');
            if (!fields.isEmpty()) {
                status.uid = static_cast<uid_t>(fields.first().toUInt());
            }
        }
    }
    return status;
}

QByteArray readComm(const QString &pidFolder) {
    QFile file(pidFolder + QStringLiteral("/comm"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
}

// The office itself and the launchers that start it: the soffice script (also run as
// "libreoffice" through its link), which becomes oosplash, which runs soffice.bin. Only the
// launchers exist during the first moments of a start.
bool isOfficeComm(const QByteArray &comm) {
    return comm == "soffice.bin" || comm == "oosplash" || comm == "soffice" || comm == "libreoffice";
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

    // Double fork: the middle child starts a new session, starts the program and exits at once,
    // so the program is adopted by init and never becomes our zombie. Between fork and exec only
    // async-signal-safe calls are made.
    const pid_t middle = ::fork();
    if (middle < 0) {
        const int error = errno;
        ::close(execReport[0]);
        ::close(execReport[1]);
        throw SpreadsheetError(office_messages::cannotShow(QString::fromLocal8Bit(std::strerror(error))));
    }
    if (middle == 0) {
        ::close(execReport[0]);
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
            ::execve(path.constData(), argv.data(), envp.data());
            const int error = errno;
            [[maybe_unused]] const ssize_t written = ::write(execReport[1], &error, sizeof error);
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    ::close(execReport[1]);
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    // Waiting for the exec means that the office is visible to the probe as soon as we return,
    // as its launcher, so a second command cannot start another one on the same workbook.
    int execError = 0;
    ssize_t received = -1;
    do {
        received = ::read(execReport[0], &execError, sizeof execError);
    } while (received < 0 && errno == EINTR);
    ::close(execReport[0]);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw SpreadsheetError(office_messages::cannotShow(QStringLiteral("无法创建进程")));
    }
    if (received == static_cast<ssize_t>(sizeof execError)) {
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
    const uid_t me = ::getuid();
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &text : pids) {
        bool isNumber = false;
        const int pid = text.toInt(&isNumber);
        if (!isNumber) {
            continue;
        }
        const QString folder = QStringLiteral("/proc/") + text;
        if (!isOfficeComm(readComm(folder))) {
            continue;
        }
        const ProcStatus status = readStatus(folder);
        if (status.uid != me || status.state == 'Z' || status.state == 'X') {
            continue;
        }
        if (exceptGroup <= 0 || ::getpgid(static_cast<pid_t>(pid)) != exceptGroup) {
            return true;
        }
    }
    return false;
}

void killOfficeProcessesWith(const QString &argument) {
    const uid_t me = ::getuid();
    const QByteArray needle = argument.toUtf8();
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::vector<pid_t> victims;
    for (const QString &text : pids) {
        bool isNumber = false;
        const int pid = text.toInt(&isNumber);
        if (!isNumber) {
            continue;
        }
        const QString folder = QStringLiteral("/proc/") + text;
        if (!isOfficeComm(readComm(folder))) {
            continue;
        }
        const ProcStatus status = readStatus(folder);
        if (status.uid != me || status.state == 'Z') {
            continue;
        }
        QFile cmdline(folder + QStringLiteral("/cmdline"));
        if (!cmdline.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QList<QByteArray> arguments = cmdline.readAll().split('\0');
        for (const QByteArray &each : arguments) {
            if (each == needle) {
                victims.push_back(static_cast<pid_t>(pid));
                break;
            }
        }
    }
    for (const pid_t pid : victims) {
        const pid_t group = ::getpgid(pid);
        // Never signal our own group: the instances we start always run in a group of their own.
        if (group > 1 && group != ::getpgrp()) {
            ::kill(-group, SIGKILL);
        }
        ::kill(pid, SIGKILL);
    }
    // Give the kernel a moment to take them down, so that a probe right after sees them gone.
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    for (const pid_t pid : victims) {
        while (std::chrono::steady_clock::now() < deadline) {
            const ProcStatus status = readStatus(QStringLiteral("/proc/%1").arg(pid));
            if (status.state == '?' || status.state == 'Z' || status.state == 'X') {
                break;
            }
            std::this_thread::sleep_for(5ms);
        }
    }
}

} // namespace lotdraw

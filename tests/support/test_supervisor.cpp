// Runs one test program so that nothing it starts outlives it, however it ends:
//   test_supervisor run FOLDER SECONDS PROGRAM [ARGUMENTS...]
//   test_supervisor clear FOLDER
// `run` gives the program FOLDER for its own: TMPDIR, HOME (and with it the XDG folders) and
// XDG_RUNTIME_DIR lie in it, so no office profile, cache or temporary file of the test lands among
// the user's. The program and everything it starts carry LOTDRAW_TEST_RUN=FOLDER in their
// environment, which no process of the user's and none of another run has. Once the program has
// ended, or has run for SECONDS, every process of this login that carries the mark is ended (first
// asked, so that an X server removes its lock), the sockets they listened on are removed, and FOLDER
// goes. Orphans are adopted and reaped here, so none stays behind as a zombie either.
// `clear` does the same for every mark inside FOLDER: what a run left whose supervisor was itself
// killed (by a CTest timeout, say).

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kMark = "LOTDRAW_TEST_RUN=";

std::string fileText(const fs::path &path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<std::string> fields(const std::string &text, char separator) {
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string field; std::getline(stream, field, separator);) {
        result.push_back(field);
    }
    return result;
}

// This login's processes marked with `folder` or a folder inside it. A zombie shows no environment.
std::vector<pid_t> markedProcesses(const std::string &folder) {
    std::vector<pid_t> found;
    std::error_code error;
    for (const fs::directory_entry &entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename();
        struct stat info {};
        if (name.find_first_not_of("0123456789") != std::string::npos || std::stoi(name) == ::getpid() ||
            ::stat(entry.path().c_str(), &info) != 0 || info.st_uid != ::getuid()) {
            continue;
        }
        for (const std::string &variable : fields(fileText(entry.path() / "environ"), '\0')) {
            if (variable == kMark + folder || variable.starts_with(kMark + folder + '/')) {
                found.push_back(std::stoi(name));
                break;
            }
        }
    }
    return found;
}

// The sockets that someone listens on, by path, with their inodes.
std::map<std::string, std::string> listeningSockets() {
    std::map<std::string, std::string> sockets;
    // "Num RefCount Protocol Flags Type St Inode Path"; flags 00010000: listening.
    for (const std::string &line : fields(fileText("/proc/net/unix"), '\n')) {
        std::istringstream columns(line);
        std::string skipped, flags, inode, path;
        columns >> skipped >> skipped >> skipped >> flags >> skipped >> skipped >> inode >> path;
        if (flags == "00010000" && path.starts_with('/')) {
            sockets[path] = inode;
        }
    }
    return sockets;
}

// The inodes of the sockets that `pids` hold open.
std::set<std::string> socketsOf(const std::vector<pid_t> &pids) {
    std::set<std::string> inodes;
    for (const pid_t pid : pids) {
        std::error_code error;
        for (const fs::directory_entry &fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
            const std::string target = fs::read_symlink(fd.path(), error).string();
            if (target.starts_with("socket:[")) {
                inodes.insert(target.substr(8, target.size() - 9));
            }
        }
    }
    return inodes;
}

// Sends `signal` to every marked process, also to those that appear meanwhile, until none is left
// or `limit` has passed; reaps the orphans that were handed to us. True when none is left.
bool signalUntilGone(const std::string &folder, int signal, Clock::duration limit) {
    const auto deadline = Clock::now() + limit;
    std::set<pid_t> signalled;
    while (true) {
        while (::waitpid(-1, nullptr, WNOHANG) > 0) {
        }
        const std::vector<pid_t> marked = markedProcesses(folder);
        if (marked.empty()) {
            return true;
        }
        if (Clock::now() > deadline) {
            return false;
        }
        for (const pid_t pid : marked) {
            if (signalled.insert(pid).second) {
                ::kill(pid, signal);
                ::kill(pid, SIGCONT); // a stopped process takes its signal only once it runs again
            }
        }
        std::this_thread::sleep_for(20ms);
    }
}

// Ends every process marked with `folder` or a folder inside it and removes the sockets they
// listened on; returns the names of the processes it found.
std::vector<std::string> endMarkedProcesses(const std::string &folder) {
    const std::vector<pid_t> marked = markedProcesses(folder);
    std::vector<std::string> names;
    for (const pid_t pid : marked) {
        const std::string name = fileText("/proc/" + std::to_string(pid) + "/comm");
        names.push_back(name.substr(0, name.find('\n')));
    }
    const std::set<std::string> held = socketsOf(marked);
    std::vector<std::string> sockets;
    for (const auto &[path, inode] : listeningSockets()) {
        if (held.contains(inode)) {
            sockets.push_back(path);
        }
    }
    if (!signalUntilGone(folder, SIGTERM, 5s) && !signalUntilGone(folder, SIGKILL, 10s)) {
        std::fprintf(stderr, "test_supervisor: processes marked %s would not end\n", folder.c_str());
    }
    // Only where nobody listens any more: another run may already have taken a free display number.
    const std::map<std::string, std::string> stillListening = listeningSockets();
    for (const std::string &socket : sockets) {
        struct stat info {};
        if (!stillListening.contains(socket) && ::lstat(socket.c_str(), &info) == 0 && S_ISSOCK(info.st_mode)) {
            ::unlink(socket.c_str());
        }
    }
    return names;
}

// Removes `folder` with everything in it: detaches what a test mounted inside it (read-only bind
// mounts), last mounted first, and makes folders writable that a test made read-only.
bool removeFolder(const fs::path &folder) {
    std::vector<std::string> mounts;
    for (const std::string &line : fields(fileText("/proc/self/mountinfo"), '\n')) {
        std::istringstream columns(line);
        std::string skipped, point;
        columns >> skipped >> skipped >> skipped >> skipped >> point;
        for (std::size_t at = point.find('\\'); at != std::string::npos; at = point.find('\\', at + 1)) {
            point.replace(at, 4, 1, static_cast<char>(std::stoi(point.substr(at + 1, 3), nullptr, 8)));
        }
        if (point.starts_with(folder.string() + '/')) {
            mounts.push_back(point);
        }
    }
    std::for_each(mounts.rbegin(), mounts.rend(),
                  [](const std::string &point) { ::umount2(point.c_str(), MNT_DETACH); });
    std::error_code error;
    for (auto entry = fs::recursive_directory_iterator(folder, error); entry != fs::recursive_directory_iterator();
         entry.increment(error)) {
        if (entry->is_directory(error) && !entry->is_symlink(error)) {
            fs::permissions(entry->path(), fs::perms::owner_all, fs::perm_options::add, error);
        }
    }
    fs::remove_all(folder, error);
    if (fs::exists(folder)) {
        std::fprintf(stderr, "test_supervisor: cannot remove %s: %s\n", folder.c_str(), error.message().c_str());
        return false;
    }
    return true;
}

// The environment of the test: ours, with the mark and the folders inside `folder`.
std::vector<std::string> testEnvironment(const std::string &folder) {
    const std::set<std::string> replaced{"LOTDRAW_TEST_RUN", "TMPDIR",        "HOME",           "XDG_CONFIG_HOME",
                                         "XDG_CACHE_HOME",   "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR"};
    std::vector<std::string> environment{kMark + folder, "TMPDIR=" + folder + "/tmp", "HOME=" + folder + "/home",
                                         "XDG_RUNTIME_DIR=" + folder + "/runtime"};
    for (char **variable = environ; *variable != nullptr; ++variable) {
        const std::string text = *variable;
        if (!replaced.contains(text.substr(0, text.find('=')))) {
            environment.push_back(text);
        }
    }
    for (const char *inside : {"/tmp", "/home", "/runtime"}) {
        fs::create_directories(folder + inside);
        fs::permissions(folder + inside, fs::perms::owner_all);
    }
    return environment;
}

// Starts the test and waits until it ends, until `seconds` have passed or until we are told to stop;
// every child that ends meanwhile is reaped. The test's wait status, or none when it still runs.
std::optional<int> runUntilEnd(char **command, const std::vector<std::string> &environment, int seconds) {
    sigset_t watched;
    sigemptyset(&watched);
    for (const int signal : {SIGCHLD, SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&watched, signal);
    }
    sigset_t previous;
    sigprocmask(SIG_BLOCK, &watched, &previous);
    std::vector<char *> envp;
    for (const std::string &variable : environment) {
        envp.push_back(const_cast<char *>(variable.c_str()));
    }
    envp.push_back(nullptr);
    const pid_t test = ::fork();
    if (test == 0) {
        sigprocmask(SIG_SETMASK, &previous, nullptr);
        ::execve(command[0], command, envp.data());
        std::perror(command[0]);
        ::_exit(127);
    }
    if (test < 0) {
        std::perror("fork");
    }
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (test > 0) {
        const auto left = std::max(Clock::duration::zero(), deadline - Clock::now());
        const timespec wait{static_cast<time_t>(left / 1s), static_cast<long>((left % 1s) / 1ns)};
        const int signal = ::sigtimedwait(&watched, nullptr, &wait);
        int status = 0;
        for (pid_t ended = 0; signal == SIGCHLD && (ended = ::waitpid(-1, &status, WNOHANG)) > 0;) {
            if (ended == test) {
                return status;
            }
        }
        if (signal != SIGCHLD && !(signal < 0 && errno == EINTR)) {
            std::fprintf(stderr, "test_supervisor: %s\n", signal < 0 ? "time is up" : "told to stop");
            break;
        }
    }
    return std::nullopt;
}

int run(const std::string &folder, int seconds, char **command) {
    // Orphans of the test become our children, so that we can reap them.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    fs::create_directories(fs::path(folder).parent_path());
    struct stat runs {};
    if (::lstat(fs::path(folder).parent_path().c_str(), &runs) != 0 || !S_ISDIR(runs.st_mode) ||
        runs.st_uid != ::getuid()) {
        std::fprintf(stderr, "test_supervisor: %s is not a folder of ours\n", fs::path(folder).parent_path().c_str());
        return 2;
    }
    removeFolder(folder);
    const std::optional<int> status = runUntilEnd(command, testEnvironment(folder), seconds);
    const std::vector<std::string> left = endMarkedProcesses(folder);
    const bool removed = removeFolder(folder);
    if (!left.empty()) {
        std::string names;
        for (const std::string &name : left) {
            names += ' ' + name;
        }
        std::fprintf(stderr, "test_supervisor: the test left running, now ended:%s\n", names.c_str());
    }
    if (!status) {
        return 124;
    }
    if (WIFSIGNALED(*status)) {
        std::fprintf(stderr, "test_supervisor: the test was ended by signal %d\n", WTERMSIG(*status));
        return 128 + WTERMSIG(*status);
    }
    const int code = WEXITSTATUS(*status);
    return code != 0 ? code : (left.empty() && removed ? 0 : 1);
}

int clear(const std::string &runs) {
    for (const std::string &name : endMarkedProcesses(runs)) {
        std::printf("ended %s, left by an earlier test\n", name.c_str());
    }
    return removeFolder(runs) ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[]) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 2 && arguments[0] == "clear") {
        return clear(fs::absolute(arguments[1]).lexically_normal());
    }
    if (arguments.size() >= 4 && arguments[0] == "run") {
        return run(fs::absolute(arguments[1]).lexically_normal(), std::stoi(arguments[2]), argv + 4);
    }
    std::fprintf(stderr, "usage: test_supervisor run FOLDER SECONDS PROGRAM [ARGUMENTS...]\n"
                         "       test_supervisor clear FOLDER\n");
    return 2;
}

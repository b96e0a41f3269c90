#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <sys/types.h>
#include <vector>

namespace lotdraw {

// One process as the kernel shows it in /proc.
struct ProcessEntry {
    pid_t pid = 0;
    QByteArray name; // the program's name, at most 15 bytes ("soffice.bin")
    char state = '?';
    pid_t group = 0;                    // its process group
    uid_t uid = static_cast<uid_t>(-1); // the login it runs for (its real user id)

    // A zombie has ended and only waits to be reaped; it holds nothing any more.
    [[nodiscard]] bool isLive() const { return state != 'Z' && state != 'X'; }
};

// Every process of the machine as /proc shows it at this moment, in no particular order. A process
// that ends while the table is read is left out.
[[nodiscard]] std::vector<ProcessEntry> processTable();

// The live (not zombie) processes of process group `group`.
[[nodiscard]] std::vector<pid_t> liveProcessesInGroup(pid_t group);

// One process; nothing once it has gone (and been reaped).
[[nodiscard]] std::optional<ProcessEntry> processEntry(pid_t pid);

// A process's command line, one argument an entry; empty when it cannot be read.
[[nodiscard]] QList<QByteArray> processArguments(pid_t pid);

// True when the process has the file at `canonicalPath` open.
[[nodiscard]] bool processHoldsFile(pid_t pid, const QString &canonicalPath);

} // namespace lotdraw

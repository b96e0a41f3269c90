#include "office/office_processes.h"

#include "office/process/process_control.h"
#include "office/process/process_table.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <algorithm>
#include <langinfo.h>
#include <unistd.h>
#include <vector>

namespace lotdraw {

namespace {

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

} // namespace

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

void endOfficeProcessesWith(const QString &argument, std::chrono::milliseconds killWait) {
    const QByteArray wanted = argument.toUtf8();
    std::vector<pid_t> found;
    for (const ProcessEntry &process : ownOfficeProcesses()) {
        if (processArguments(process.pid).contains(wanted)) {
            found.push_back(process.pid);
        }
    }
    endProcesses(found, killWait);
}

} // namespace lotdraw

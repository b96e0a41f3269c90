#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <sys/types.h>

namespace lotdraw {

// This login's office processes, as the probe, the start and the hand-over meet them.

// The process environment with a UTF-8 character type, which soffice needs to open files whose
// names are not ASCII. `forceCLocale` replaces every locale setting with C.UTF-8 instead.
[[nodiscard]] QStringList officeEnvironment(bool forceCLocale);

// True while an office process of this user runs (zombies do not count), leaving out those in
// process group `exceptGroup` when it is given. An office that is still starting counts: for its
// first second or so only its launchers (soffice, oosplash) exist, not yet soffice.bin.
[[nodiscard]] bool officeProcessRuns(pid_t exceptGroup = 0);

// Ends every office process of this user that has `argument` among its arguments (and its process
// group). Used for instances on our private profile that a crashed program left behind.
void endOfficeProcessesWith(const QString &argument, std::chrono::milliseconds killWait);

} // namespace lotdraw

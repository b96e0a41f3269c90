#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <sys/types.h>
#include <vector>

namespace lotdraw::testing {

// Helpers for tests against a real LibreOffice, independent of the code under test.

// Process ids of this user's soffice.bin processes that have not exited (zombies excluded) and,
// unless `argument` is empty, have `argument` among their arguments; `withLaunchers` adds the
// processes that start an office (soffice, oosplash). The machine may run other people's
// offices, so tests look only at those on their own profiles.
[[nodiscard]] std::vector<pid_t> liveOfficeProcesses(const QString &argument = {}, bool withLaunchers = false);
// True while `pid` names a process that has not ended (a zombie has).
[[nodiscard]] bool isLiveProcess(pid_t pid);
// The children of `parent` (soffice.bin under its launcher).
[[nodiscard]] std::vector<pid_t> childProcesses(pid_t parent);
// LibreOffice lock files (".~lock.*#") and our unfinished saves in `folder`.
[[nodiscard]] QStringList leftoverFiles(const QString &folder);

[[nodiscard]] QByteArray fileBytes(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);

// Converts a CSV file into an Excel 97 workbook with `soffice --convert-to`, on the private profile
// `profileFolder`; returns the workbook's path, or the empty text on failure. Cells that look like
// numbers, dates or truth values become such cells, not text; "=..." cells become formulas.
[[nodiscard]] QString convertCsvToXls(const QString &csvPath, const QString &outFolder, const QString &profileFolder);

} // namespace lotdraw::testing

#pragma once

#include <QString>
#include <chrono>

namespace lotdraw {

// Where LibreOffice is, where our automation instances keep their profile, and how long each wait
// may last: before the office counts as frozen, and for every process that is ended.
struct LibreOfficeOptions {
    // The folder of soffice, fundamentalrc and the UNO libraries.
    QString programFolder = QStringLiteral("/usr/lib/libreoffice/program");
    // The private profile of the hidden automation instances; empty means
    // <generic cache folder>/lotdraw/office-profile.
    QString profileFolder;
    // From starting the process until the office answers. A first start after boot on an old PC
    // with a spinning disk takes tens of seconds; the operator can stop the wait sooner.
    std::chrono::milliseconds startTimeout{120000};
    // One call on a column of cells, a close or a terminate.
    std::chrono::milliseconds callTimeout{5000};
    // Loading or storing a workbook.
    std::chrono::milliseconds fileTimeout{10000};
    // From telling the office to end until its process has exited.
    std::chrono::milliseconds exitTimeout{5000};
    // From starting the user's visible office until it holds the workbook open.
    std::chrono::milliseconds handOverTimeout{60000};
    // From killing a process (an office, one left behind by a crashed run, the user's office that
    // did not open the workbook) until it is gone.
    std::chrono::milliseconds killTimeout{5000};
};

} // namespace lotdraw

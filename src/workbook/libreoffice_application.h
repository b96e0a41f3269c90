#pragma once

#include "workbook/spreadsheet.h"

#include <QString>
#include <chrono>
#include <memory>

namespace lotdraw {

// Where LibreOffice is, where our automation instances keep their profile, and how long each wait
// may last before the office counts as frozen.
struct LibreOfficeOptions {
    // The folder of soffice, fundamentalrc and the UNO libraries.
    QString programFolder = QStringLiteral("/usr/lib/libreoffice/program");
    // The private profile of the hidden automation instances; empty means
    // <generic cache folder>/lotdraw/office-profile.
    QString profileFolder;
    // From starting the process until the office answers.
    std::chrono::milliseconds startTimeout{10000};
    // One cell, close or terminate call.
    std::chrono::milliseconds callTimeout{5000};
    // Loading or storing a workbook.
    std::chrono::milliseconds fileTimeout{10000};
    // From telling the office to end until its process has exited.
    std::chrono::milliseconds exitTimeout{5000};
};

// The spreadsheet application as LibreOffice Calc, driven through its UNO bridge.
class LibreOfficeApplication final : public SpreadsheetApplication {
public:
    LibreOfficeApplication();
    explicit LibreOfficeApplication(LibreOfficeOptions options);

    // True while a LibreOffice process of this user runs. Hidden instances on our own profile that
    // a crashed run of this program left behind are ended first: the user can neither see nor
    // close them, and they would block every later import.
    [[nodiscard]] bool isRunning() override;
    // A fresh hidden instance on our private profile. Throws SpreadsheetError, also when one of
    // our automation instances still runs.
    [[nodiscard]] std::unique_ptr<SpreadsheetInstance> create() override;

    [[nodiscard]] const LibreOfficeOptions &options() const noexcept { return m_options; }

private:
    LibreOfficeOptions m_options;
};

} // namespace lotdraw

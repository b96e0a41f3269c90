#pragma once

#include "spreadsheet/spreadsheet.h"

#include <QString>
#include <memory>

namespace lotdraw {

// The file name of the name-list workbook inside the program's folder.
inline constexpr char16_t kWorkbookFileName[] = u"导入名单.xls";

// The places that decide where the program keeps its name-list workbook.
struct ProgramPlaces {
    QString executableFolder; // where the running executable lies
    QString installedFolder;  // where the package puts the executable
    QString documentsFolder;  // the user's documents folder
    QString sampleWorkbook;   // the sample name list the package brings along
};

// The places of this process: its executable, the install folders fixed at build time and the
// documents folder of the user's desktop (localised names included).
[[nodiscard]] ProgramPlaces systemProgramPlaces();

// True when the executable is the installed one: its real folder is the folder the package
// installs it into. Write permission says nothing about this (root may write anywhere), and a
// build or unpacked folder never lies there.
[[nodiscard]] bool runsInstalled(const ProgramPlaces &places);

// The program's folder: for the installed program a folder named after the program inside the
// user's documents folder, shared programs' folders being no place for a user's names; otherwise
// the executable's folder, so a build or unpacked folder keeps its workbook beside the program.
[[nodiscard]] QString programFolder(const ProgramPlaces &places);

// The program's folder and the name-list workbook in it. For the installed program the folder is
// made on demand and receives a copy of the sample name list; a workbook already there is never
// replaced, also not by a second start racing this one.
class ProgramFolder final {
public:
    explicit ProgramFolder(ProgramPlaces places);

    [[nodiscard]] QString folder() const { return m_folder; }
    [[nodiscard]] QString workbookPath() const;

    // Makes the folder and copies the sample name list when no workbook is there yet. Once this
    // has succeeded it does nothing more, so a workbook the user later removes is not replaced
    // behind their back. Returns the empty text when the folder is ready, otherwise a message that
    // tells the operator what failed and why.
    [[nodiscard]] QString prepare();

private:
    ProgramPlaces m_places;
    QString m_folder;
    bool m_ready = false;
};

// The spreadsheet application for the commands that need the workbook: before it hands out an
// instance it makes sure the program's folder is ready, trying again what failed before, and
// otherwise refuses with the reason, so that the command tells the operator what to mend instead
// of reporting a missing workbook.
class ProgramFolderSpreadsheet final : public SpreadsheetApplication {
public:
    ProgramFolderSpreadsheet(SpreadsheetApplication &application, ProgramFolder &folder)
        : m_application(application)
        , m_folder(folder) {}

    [[nodiscard]] bool isRunning() override { return m_application.isRunning(); }
    [[nodiscard]] std::unique_ptr<SpreadsheetInstance> create(const CancellationToken &cancel) override;

private:
    SpreadsheetApplication &m_application;
    ProgramFolder &m_folder;
};

// The name-list workbook of this process.
[[nodiscard]] QString nameListWorkbookPath();

} // namespace lotdraw

#pragma once

#include "office/libreoffice_options.h"
#include "spreadsheet/spreadsheet.h"

#include <memory>

namespace lotdraw {

// The spreadsheet application as LibreOffice Calc, driven through its UNO bridge.
//
// What a cell read gives, always from the cell's value and never from its displayed form:
//   text               as it stands, spaces kept ("  李 四  ", "0012")
//   whole number       its decimal digits ("12", "0", "-7"), whatever the number format
//   other number       the shortest text that reads back to the same value ("1.5", "0.1", "1e+20");
//                      a percentage is its value ("50%" gives "0.5")
//   date / time        ISO text: "2024-03-01", "13:30:00" or "2024-03-01 13:30:00"
//   truth value        "TRUE" or "FALSE" (a cell formatted as truth value, or a =TRUE() result the
//                      sheet shows as a truth value; one that the sheet shows as 1 reads "1")
//   error value        the sheet's name for it ("#DIV/0!", "#N/A", "Err:502")
//   formula            its result, by the same rules
//   empty cell         the empty text
// A write stores the text as text (no number or formula is made of it); the empty text empties.
// The instance's calls are task-sized: a column is read, or written, in one call to the office.
class LibreOfficeApplication final : public SpreadsheetApplication {
public:
    LibreOfficeApplication();
    explicit LibreOfficeApplication(LibreOfficeOptions options);

    // True while a LibreOffice process of this user runs, also one still starting (the window
    // handed over for editing takes a moment to appear). Hidden instances on our own profile that
    // a crashed run of this program left behind are ended first: the user can neither see nor
    // close them, and they would block every later import.
    [[nodiscard]] bool isRunning() override;
    // A fresh hidden instance on our private profile. Throws SpreadsheetError, also when one of
    // our automation instances still runs.
    [[nodiscard]] std::unique_ptr<SpreadsheetInstance> create(const CancellationToken &cancel) override;

    [[nodiscard]] const LibreOfficeOptions &options() const noexcept { return m_options; }

private:
    LibreOfficeOptions m_options;
};

} // namespace lotdraw

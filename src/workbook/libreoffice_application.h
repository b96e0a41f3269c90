#pragma once

#include "workbook/spreadsheet.h"

#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

namespace lotdraw {

// Where LibreOffice is, where our automation instances keep their profile, and how long each wait
// may last before the office counts as frozen.
struct LibreOfficeOptions {
    // The folder of soffice, fundamentalrc and the UNO libraries.
    QString programFolder = QStringLiteral("/usr/lib/libreoffice/program");
    // The private profile of the hidden automation instances; empty means
    // <generic cache folder>/lotdraw/office-profile.
    QString profileFolder;
    // From starting the process until the office answers. A first start after boot on an old PC
    // with a spinning disk takes tens of seconds; the operator can stop the wait sooner.
    std::chrono::milliseconds startTimeout{120000};
    // One cell, close or terminate call.
    std::chrono::milliseconds callTimeout{5000};
    // Loading or storing a workbook.
    std::chrono::milliseconds fileTimeout{10000};
    // From telling the office to end until its process has exited.
    std::chrono::milliseconds exitTimeout{5000};
    // From starting the user's visible office until it holds the workbook open.
    std::chrono::milliseconds handOverTimeout{60000};
};

// Lets another thread stop an office while it starts: the instance being started puts its abort
// here for the length of its start.
class OfficeStartAbort final {
public:
    // Runs the abort of the start in progress, if there is one.
    void abort() noexcept;

    // Offers `target` for the life of the scope; a null `slot` offers nothing.
    class Scope final {
    public:
        Scope(OfficeStartAbort *slot, std::function<void()> target);
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;
        Scope(Scope &&) = delete;
        Scope &operator=(Scope &&) = delete;

    private:
        OfficeStartAbort *m_slot;
    };

private:
    std::mutex m_mutex;
    std::function<void()> m_target;
};

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
    [[nodiscard]] std::unique_ptr<SpreadsheetInstance> create() override;
    // Ends the office that create() is starting on another thread.
    void abortCreate() noexcept override { m_startAbort.abort(); }

    [[nodiscard]] const LibreOfficeOptions &options() const noexcept { return m_options; }

private:
    LibreOfficeOptions m_options;
    OfficeStartAbort m_startAbort;
};

} // namespace lotdraw

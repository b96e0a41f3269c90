#pragma once

#include "office/libreoffice_options.h"
#include "office/office_profile.h"
#include "office/office_start_abort.h"
#include "spreadsheet/spreadsheet.h"

#include <QStringList>
#include <atomic>
#include <chrono>
#include <com/sun/star/connection/XConnection.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XDesktop.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/uno/Any.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <memory>
#include <mutex>
#include <vector>

namespace lotdraw {

class AutomationLock;
class CallWatchdog;
class OfficeProcess;
struct OfficeLockOwner;

// One hidden LibreOffice process on our private profile, started for one handler and connected
// over a private pipe. Every call on it is bounded by a watchdog; when the office freezes or dies,
// its process group is killed and the call fails with a reason. Whatever still runs of it when the
// object goes is ended, and the lock files it left are removed - unless it was handed to the user.
class LibreOfficeInstance final : public SpreadsheetInstance {
public:
    // Starts and connects the office; while it starts, `startAbort` (if given) can end it from
    // another thread. Throws SpreadsheetError.
    explicit LibreOfficeInstance(const LibreOfficeOptions &options, OfficeStartAbort *startAbort = nullptr);
    ~LibreOfficeInstance() override;
    LibreOfficeInstance(const LibreOfficeInstance &) = delete;
    LibreOfficeInstance &operator=(const LibreOfficeInstance &) = delete;
    LibreOfficeInstance(LibreOfficeInstance &&) = delete;
    LibreOfficeInstance &operator=(LibreOfficeInstance &&) = delete;

    // A workbook protected by a password opens as a closed book: its cells and its save refuse
    // with a message saying so, while setVisible still hands it to the user's window.
    void openWorkbook(const QString &path) override;
    [[nodiscard]] QString cell(int row, int column) override;
    void setCell(int row, int column, const QString &text) override;
    // Stores into a temporary file beside the workbook and renames it over the workbook, so that a
    // failure leaves the old workbook whole. Refuses a workbook that was read only in part.
    void saveActiveWorkbook() override;
    // Only remembered; the office ends in closeWorkbooks(), which still has to talk to it.
    void quit() override;
    void closeWorkbooks() override;
    // Ends this hidden office and opens the workbook in a normal Calc window on the user's own
    // profile, detached from this program. Returns once that office holds the workbook open; when
    // it ends without doing so, or has not done so within the hand-over limit, it fails (and an
    // office still running then is ended).
    void setVisible(bool visible) override;
    void newWorkbook(const QString &path) override;
    // Kills the office (or the user's office still starting in setVisible) and frees the call
    // that waits on it.
    void abort() noexcept override;

    // The launcher's process id (the id of its process group too).
    [[nodiscard]] pid_t processId() const;

private:
    struct Workbook {
        QString path;
        bool isNew = false;
        // The office's filter for the file's format, used to load it and to save it back.
        rtl::OUString filterName;
        // Opened from a file this login cannot write (a read-only folder or file): readable, and
        // every save is refused.
        bool readOnly = false;
        css::uno::Reference<css::frame::XModel> model;
        css::uno::Reference<css::sheet::XSpreadsheet> sheet;
        css::uno::Reference<css::util::XNumberFormats> formats;
        // The load went on only after a warning that not all of the data could be loaded, or after
        // a repair: what was read may be less than the file holds, so it is never saved back.
        bool incomplete = false;
        // The office asked for a password: nothing of it is loaded, every cell and the save refuse,
        // and only the hand-over to the user's window (whose office asks for the password) works.
        bool passwordProtected = false;
    };

    // What loading a workbook gave.
    struct LoadResult {
        css::uno::Reference<css::lang::XComponent> component;
        bool incomplete = false;
        bool passwordProtected = false;
    };

    // A block of one column's values, read in one call; text cells are answered from it.
    struct ColumnBlock {
        int column = 0;
        int firstRow = 0;
        std::vector<css::uno::Any> values;
    };

    void connect(const QString &pipeName);
    [[nodiscard]] css::uno::Reference<css::connection::XConnection>
    waitForPipe(const css::uno::Reference<css::uno::XComponentContext> &local, const QString &pipeName);
    // Ends a start that failed or was stopped: the office and what it left behind.
    void abandonStart() noexcept;
    template<typename Call>
    auto callOffice(std::chrono::milliseconds timeout, const Call &call);
    [[noreturn]] void failDead();
    void ensureUsable() const;
    Workbook &activeWorkbook();
    // The active workbook, refused when a password keeps it closed.
    Workbook &readableWorkbook();
    void checkCell(int row, int column) const;
    [[nodiscard]] QString readCellSlowly(Workbook &workbook, int row, int column);
    [[nodiscard]] QString numberCellText(Workbook &workbook, const css::uno::Reference<css::uno::XInterface> &cell,
                                         double value);
    // Takes back the lock file of one of our own killed instances or of a crashed office of this
    // login; refuses a workbook that another office holds.
    void takeBackStaleLock(const QString &path);
    [[nodiscard]] LoadResult loadWorkbook(const QString &path, const rtl::OUString &filterName);
    void attachWorkbook(const QString &path, bool isNew, const rtl::OUString &filterName,
                        const css::uno::Reference<css::lang::XComponent> &component);
    // Fills in the workbook from the loaded document; the refusal when it is none we can work with.
    [[nodiscard]] QString inspectDocument(Workbook &workbook,
                                          const css::uno::Reference<css::lang::XComponent> &component);
    void checkSavable(const Workbook &workbook, const QString &target) const;
    void storeToTemporary(const Workbook &workbook, const QString &temporary, const QString &target);
    void markSaved(const Workbook &workbook);
    [[nodiscard]] bool hasUnsavedChanges(const Workbook &workbook);
    // Opens the workbook in a Calc window of the user's and waits until that office holds it.
    void handOverToUser(const QString &path);
    [[nodiscard]] bool isAbandonedLock(const OfficeLockOwner &owner) const;
    [[nodiscard]] bool isLockedByAnother(const QString &path) const;
    [[noreturn]] void failLoad(const QString &path, int question);
    void closeDocuments();
    void endOffice(bool graceful) noexcept;
    // Kills the office's process group and disposes the bridge, which frees a call blocked on it.
    // Safe from any thread; the watchdog and abort() end the office this way.
    void killAtOnce() noexcept;
    // Safe from any thread, any number of times.
    void disposeBridge() noexcept;
    void removeLeftovers() noexcept;

    LibreOfficeOptions m_options;
    OfficeProfile m_profile;
    std::unique_ptr<AutomationLock> m_lock;
    std::unique_ptr<OfficeProcess> m_process;

    std::mutex m_bridgeMutex;
    css::uno::Reference<css::lang::XComponent> m_bridge;
    css::uno::Reference<css::frame::XDesktop> m_desktop;
    css::uno::Reference<css::frame::XComponentLoader> m_loader;

    std::vector<Workbook> m_workbooks;
    ColumnBlock m_block;
    // Every file this office may have put a lock file beside, for the clean-up.
    QStringList m_touchedFiles;
    // The temporary files of this instance's saves: their private folders go in the clean-up,
    // whatever is left in them. Only these: a workbook's own folder may carry any name.
    QStringList m_saveTemporaries;
    QString m_pipeName;
    bool m_quitRequested = false;
    bool m_ended = false;
    bool m_failed = false;
    bool m_handedOver = false;
    // Set (from any thread) once the operator has stopped the work.
    std::atomic<bool> m_cancelled = false;

    // Last, so that its thread is stopped before anything it acts on goes.
    std::unique_ptr<CallWatchdog> m_watchdog;
};

} // namespace lotdraw

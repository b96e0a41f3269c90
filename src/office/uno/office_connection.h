#pragma once

#include "office/call_watchdog.h"
#include "office/libreoffice_options.h"
#include "office/office_profile.h"
#include "spreadsheet/cancellation_token.h"

#include <QStringList>
#include <chrono>
#include <com/sun/star/connection/XConnection.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XDesktop.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/types.h>
#include <thread>

namespace lotdraw {

class ChildProcess;

// One hidden LibreOffice on our private profile, from its start to its end: the process, the
// private pipe and the bridge over it, the watchdog that bounds every call, the command's token
// that ends the office at once, and what the office leaves behind. When the office freezes or
// dies, its process group is killed and the call fails with a reason.
class OfficeConnection final {
public:
    // Where the office is in its life.
    enum class State {
        Running, // started and connected
        Ended,   // ended on request
        Failed,  // died, froze or was stopped by the operator, and was killed
    };

    // Starts the office and connects to it. From here on until the connection goes, a cancel of
    // `cancel` kills the office, from whichever thread cancels. Throws SpreadsheetError.
    OfficeConnection(const LibreOfficeOptions &options, const CancellationToken &cancel);
    // Ends the office as end() does.
    ~OfficeConnection();
    OfficeConnection(const OfficeConnection &) = delete;
    OfficeConnection &operator=(const OfficeConnection &) = delete;
    OfficeConnection(OfficeConnection &&) = delete;
    OfficeConnection &operator=(OfficeConnection &&) = delete;

    // Runs `call`, which talks to the office, bounded by `timeout`: an office that has not
    // answered by then is killed. A call that meets a dead office fails with SpreadsheetError
    // ("没有响应" when the limit killed it, otherwise "意外退出"), or with SpreadsheetCancelled when
    // the operator stopped the command; other UNO exceptions pass through.
    template<typename Call>
    auto call(std::chrono::milliseconds timeout, const Call &call);
    // Refuses, with SpreadsheetCancelled or a message, once the office no longer runs.
    void ensureRunning() const;
    // True once a call has outlived its limit.
    [[nodiscard]] bool timedOut() const { return m_watchdog->expired(); }

    [[nodiscard]] const LibreOfficeOptions &options() const noexcept { return m_options; }
    [[nodiscard]] QString profileUrl() const { return m_profile.url(); }
    [[nodiscard]] pid_t processGroup() const;
    [[nodiscard]] const css::uno::Reference<css::frame::XComponentLoader> &loader() const noexcept { return m_loader; }
    // The office's own component context, to make its services in it.
    [[nodiscard]] const css::uno::Reference<css::uno::XComponentContext> &context() const noexcept { return m_context; }

    // Runs `work`, which talks to the office, on a thread of its own beside the calls, for what the
    // office can ready while it works on something else. Once for the life of the office, as what
    // it readies stays ready: a later call returns at once, never waiting for the first. It is not
    // bounded: the office's end, which frees whatever waits on it, waits for it in turn.
    void runAlongside(std::function<void()> work);

    // A workbook the office may put a lock file beside, and the private folder of a save: both
    // are cleared away once the office has ended, whatever it left there.
    void noteWorkbook(const QString &path) { m_workbooks.append(path); }
    void noteSaveTemporary(const QString &temporary) { m_saveTemporaries.append(temporary); }

    // Asks the office to end and waits for its process (killing it when it does not end in time),
    // then removes what it left behind. Does nothing once the office no longer runs.
    void end() noexcept;

private:
    [[nodiscard]] QString profileArgument() const;
    void spawn();
    void connect();
    [[nodiscard]] css::uno::Reference<css::connection::XConnection>
    waitForPipe(const css::uno::Reference<css::uno::XComponentContext> &local);
    // Ends a start that failed or was stopped: the office and what it left behind.
    void abandonStart() noexcept;
    [[nodiscard]] bool lostConnection();
    [[noreturn]] void failDead();
    void stop(bool graceful, State outcome) noexcept;
    // Kills the office's process group and disposes the bridge, which frees a call blocked on it.
    // Safe from any thread, any number of times: the watchdog and the token end the office this way.
    void killAtOnce() noexcept;
    void disposeBridge() noexcept;
    void removeLeftovers() noexcept;

    LibreOfficeOptions m_options;
    OfficeProfile m_profile;
    CancellationToken m_cancel;
    std::unique_ptr<AutomationLock> m_lock;
    // Replaced only when the office asks to be started again; the kill from another thread reads it.
    std::mutex m_processMutex;
    std::unique_ptr<ChildProcess> m_process;
    QString m_pipeName;

    std::mutex m_bridgeMutex;
    css::uno::Reference<css::lang::XComponent> m_bridge;
    css::uno::Reference<css::uno::XComponentContext> m_context;
    css::uno::Reference<css::frame::XDesktop> m_desktop;
    css::uno::Reference<css::frame::XComponentLoader> m_loader;

    QStringList m_workbooks;
    QStringList m_saveTemporaries;
    State m_state = State::Running;
    std::thread m_alongside;

    // Last, so that they are gone before anything they act on goes.
    std::unique_ptr<CallWatchdog> m_watchdog;
    std::optional<CancellationToken::Subscription> m_cancelSubscription;
};

template<typename Call>
auto OfficeConnection::call(std::chrono::milliseconds timeout, const Call &call) {
    ensureRunning();
    try {
        const CallWatchdog::Scope scope(*m_watchdog, timeout);
        return call();
    } catch (const css::lang::DisposedException &) {
        failDead();
    } catch (const css::uno::RuntimeException &) {
        // A broken connection shows up as a runtime error; tell it from an ordinary one.
        if (lostConnection()) {
            failDead();
        }
        throw;
    }
}

} // namespace lotdraw

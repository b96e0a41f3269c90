#include "office/uno/office_connection.h"

#include "files/atomic_file.h"
#include "office/office_lock_file.h"
#include "office/office_messages.h"
#include "office/office_processes.h"
#include "office/process/process_control.h"
#include "office/uno/uno_support.h"
#include "spreadsheet/spreadsheet_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace lotdraw {

namespace {

using namespace std::chrono_literals;
using css::uno::Reference;
using css::uno::UNO_QUERY_THROW;

// How often a starting office's pipe is tried.
constexpr auto kPipePoll = 1ms;
// The office ends with these to be started again, as its launcher would (after an update of the
// installation has changed what the profile holds, say); a few times at most.
constexpr int kCrashRestart = 79;
constexpr int kNormalRestart = 81;
constexpr int kMaxRestarts = 2;
// How long a call that met a runtime error waits for the office's process to show that it died.
constexpr auto kDeathGrace = 100ms;

} // namespace

OfficeConnection::OfficeConnection(const LibreOfficeOptions &options, const CancellationToken &cancel)
    : m_options(options)
    , m_profile(options.profileFolder)
    , m_cancel(cancel) {
    m_cancel.throwIfCancelled();
    m_lock = std::make_unique<AutomationLock>(m_profile.folder());
    if (m_lock->unavailable()) {
        throw SpreadsheetError(office_messages::cannotStart(
            QStringLiteral("无法使用配置文件夹 %1").arg(QDir::toNativeSeparators(m_profile.folder()))));
    }
    if (!m_lock->held()) {
        throw SpreadsheetError(office_messages::busy());
    }
    // We hold the lock, so any office still on our profile belongs to a run that crashed.
    endOfficeProcessesWith(profileArgument(), m_options.killTimeout);
    m_profile.ensureSeeded(m_options.programFolder);
    spawn();
    m_watchdog = std::make_unique<CallWatchdog>([this]() noexcept { killAtOnce(); });
    m_cancelSubscription.emplace(m_cancel, [this] { killAtOnce(); });
    connect();
}

OfficeConnection::~OfficeConnection() {
    end();
}

QString OfficeConnection::profileArgument() const {
    return QStringLiteral("-env:UserInstallation=") + m_profile.url();
}

pid_t OfficeConnection::processGroup() const {
    return m_process->pid();
}

void OfficeConnection::spawn() {
    // The office itself, not its launcher (the soffice script and oosplash): a hidden instance needs
    // neither its splash nor its Java search, and starts sooner without them. What the launcher
    // would do for it besides, file locking and a restart on request, is done here.
    const QString program = m_options.programFolder + QStringLiteral("/soffice.bin");
    if (!QFileInfo(program).isExecutable()) {
        throw SpreadsheetError(
            office_messages::cannotStart(QStringLiteral("找不到 %1").arg(QDir::toNativeSeparators(program))));
    }
    if (m_pipeName.isEmpty()) {
        m_pipeName =
            QStringLiteral("lotdraw-%1-%2").arg(::getpid()).arg(QRandomGenerator::global()->generate64(), 0, 36);
    }
    const QStringList arguments{
        profileArgument(),
        QStringLiteral("--headless"),
        QStringLiteral("--nologo"),
        QStringLiteral("--norestore"),
        QStringLiteral("--nodefault"),
        QStringLiteral("--accept=pipe,name=%1;urp;StarOffice.ComponentContext").arg(m_pipeName)};
    QStringList environment = officeEnvironment(true);
    environment.append(QStringLiteral("SAL_ENABLE_FILE_LOCKING=1"));
    std::unique_ptr<ChildProcess> process;
    try {
        process = std::make_unique<ChildProcess>(program, arguments, environment, m_options.killTimeout);
    } catch (const std::system_error &error) {
        throw SpreadsheetError(office_messages::cannotStart(QString::fromLocal8Bit(error.code().message())));
    }
    const std::lock_guard lock(m_processMutex);
    m_process.swap(process);
}

void OfficeConnection::connect() {
    try {
        const auto local = uno::localContext(m_options.programFolder);
        const CallWatchdog::Scope scope(*m_watchdog, m_options.startTimeout);
        const auto connection = waitForPipe(local);
        const auto bridge = css::bridge::BridgeFactory::create(local)->createBridge(
            rtl::OUString(""), rtl::OUString("urp"), connection, nullptr);
        {
            const std::lock_guard lock(m_bridgeMutex);
            m_bridge.set(bridge, UNO_QUERY_THROW);
        }
        const Reference<css::uno::XComponentContext> remote(
            bridge->getInstance(rtl::OUString("StarOffice.ComponentContext")), UNO_QUERY_THROW);
        const auto desktop = css::frame::Desktop::create(remote);
        m_context = remote;
        m_desktop.set(desktop, UNO_QUERY_THROW);
        m_loader.set(desktop, UNO_QUERY_THROW);
    } catch (const css::uno::Exception &exception) {
        const QString reason = m_watchdog->expired() ? QStringLiteral("启动超时") : uno::describe(exception);
        abandonStart();
        m_cancel.throwIfCancelled();
        throw SpreadsheetError(office_messages::cannotStart(reason));
    } catch (const SpreadsheetError &) {
        abandonStart();
        throw;
    }
}

Reference<css::connection::XConnection>
OfficeConnection::waitForPipe(const Reference<css::uno::XComponentContext> &local) {
    const auto deadline = std::chrono::steady_clock::now() + m_options.startTimeout;
    const auto connector = css::connection::Connector::create(local);
    const rtl::OUString address = uno::toOUString(QStringLiteral("pipe,name=") + m_pipeName);
    for (int restarts = 0;;) {
        try {
            return connector->connect(address);
        } catch (const css::connection::NoConnectException &) {
            m_cancel.throwIfCancelled();
            if (m_watchdog->expired() || std::chrono::steady_clock::now() >= deadline) {
                throw SpreadsheetError(office_messages::cannotStart(QStringLiteral("启动超时")));
            }
            if (m_process->hasExited()) {
                const int code = m_process->exitCode();
                if ((code != kCrashRestart && code != kNormalRestart) || restarts++ == kMaxRestarts) {
                    throw SpreadsheetError(office_messages::cannotStart(QStringLiteral("进程刚启动就退出了")));
                }
                spawn();
            }
            std::this_thread::sleep_for(kPipePoll);
        }
    }
}

void OfficeConnection::abandonStart() noexcept {
    m_state = State::Failed;
    disposeBridge();
    m_desktop.clear();
    m_loader.clear();
    m_context.clear();
    m_process->kill();
    removeLeftovers();
}

void OfficeConnection::ensureRunning() const {
    m_cancel.throwIfCancelled();
    if (m_state != State::Running) {
        throw SpreadsheetError(office_messages::alreadyEnded());
    }
}

bool OfficeConnection::lostConnection() {
    return m_watchdog->expired() || m_process->waitForExit(kDeathGrace);
}

void OfficeConnection::failDead() {
    const QString message = m_watchdog->expired() ? office_messages::notResponding() : office_messages::crashed();
    stop(false, State::Failed);
    m_cancel.throwIfCancelled();
    throw SpreadsheetError(message);
}

void OfficeConnection::runAlongside(std::function<void()> work) {
    ensureRunning();
    if (m_alongside.joinable()) {
        return;
    }
    try {
        m_alongside = std::thread([work = std::move(work)] {
            try {
                work();
            } catch (...) {
                // It only ever helps: an office that refuses it, or ends under it, is met by the calls.
            }
        });
    } catch (const std::system_error &) {
        // No thread to spare: the calls then do without it.
    }
}

void OfficeConnection::end() noexcept {
    stop(true, State::Ended);
}

void OfficeConnection::stop(bool graceful, State outcome) noexcept {
    if (m_state != State::Running) {
        return;
    }
    m_state = outcome;
    graceful = graceful && !m_cancel.isCancelled();
    if (graceful) {
        try {
            const CallWatchdog::Scope scope(*m_watchdog, m_options.callTimeout);
            m_desktop->terminate();
        } catch (...) {
            // terminate() often throws because the office drops the connection as it ends.
        }
    }
    disposeBridge();
    if (m_alongside.joinable()) {
        m_alongside.join();
    }
    m_desktop.clear();
    m_loader.clear();
    m_context.clear();
    if (!graceful || !m_process->waitForExit(m_options.exitTimeout)) {
        m_process->kill();
    }
    removeLeftovers();
    m_lock->release();
}

void OfficeConnection::killAtOnce() noexcept {
    {
        const std::lock_guard lock(m_processMutex);
        m_process->killGroup();
    }
    disposeBridge();
}

void OfficeConnection::disposeBridge() noexcept {
    Reference<css::lang::XComponent> bridge;
    {
        const std::lock_guard lock(m_bridgeMutex);
        bridge = m_bridge;
        m_bridge.clear();
    }
    try {
        if (bridge.is()) {
            bridge->dispose();
        }
    } catch (...) {
        // Already gone.
    }
}

void OfficeConnection::removeLeftovers() noexcept {
    try {
        // A killed office leaves the socket of its pipe behind; a new name is used for every start.
        const QFileInfo pipe(QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(::getuid()).arg(m_pipeName));
        if (pipe.exists() && !pipe.isFile() && !pipe.isDir()) {
            QFile::remove(pipe.filePath());
        }
        for (const QString &workbook : std::as_const(m_workbooks)) {
            removeLockOfProfile(workbook, m_profile.url());
        }
        // The private folder of a save that did not finish, with the office's own scratch files.
        for (const QString &temporary : std::as_const(m_saveTemporaries)) {
            removeTemporary(temporary);
        }
    } catch (...) {
        // Nothing more can be done here.
    }
}

} // namespace lotdraw

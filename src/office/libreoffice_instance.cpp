#include "office/libreoffice_instance.h"

#include "files/atomic_file.h"
#include "office/call_watchdog.h"
#include "office/cell_text.h"
#include "office/office_handover.h"
#include "office/office_interaction_handler.h"
#include "office/office_lock_file.h"
#include "office/office_messages.h"
#include "office/office_process.h"
#include "office/uno_support.h"
#include "office/workbook_content.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/NumberFormat.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>
#include <csignal>
#include <cstdlib>
#include <initializer_list>
#include <rtl/ref.hxx>
#include <thread>
#include <unistd.h>

namespace lotdraw {

namespace {

using namespace std::chrono_literals;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

// Calc's limits; the xls format allows less, which the office itself refuses.
constexpr int kMaxRow = 1048576;
constexpr int kMaxColumn = 16384;
// How many rows of a column one read fetches at once.
constexpr int kBlockRows = 128;

// The office's filter for each format a name list comes in. Each is used both to load a workbook
// and to save it back, so the file keeps the format it had whatever its name says.
const rtl::OUString kExcel97Filter("MS Excel 97");
const rtl::OUString kOfficeOpenXmlFilter("Calc MS Excel 2007 XML");
const rtl::OUString kOpenDocumentFilter("calc8");
// The office's type of an OpenDocument spreadsheet.
const rtl::OUString kOpenDocumentType("calc8");

css::beans::PropertyValue property(const char *name, const css::uno::Any &value) {
    css::beans::PropertyValue result;
    result.Name = rtl::OUString::createFromAscii(name);
    result.Value = value;
    return result;
}

css::uno::Sequence<css::beans::PropertyValue> properties(std::initializer_list<css::beans::PropertyValue> values) {
    css::uno::Sequence<css::beans::PropertyValue> result(static_cast<sal_Int32>(values.size()));
    std::copy(values.begin(), values.end(), result.getArray());
    return result;
}

// Refuses what the office must not be asked to load: a missing file, a folder, an unreadable file.
// `shownPath` is the path the operator is told.
void checkWorkbookFile(const QString &path, const QString &shownPath) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) {
        throw SpreadsheetError(office_messages::missing(shownPath));
    }
    if (!info.isFile()) {
        throw SpreadsheetError(office_messages::notWorkbook(shownPath));
    }
    if (!info.isReadable()) {
        throw SpreadsheetError(office_messages::accessDenied(shownPath));
    }
}

// The office's filter for the workbook's content.
rtl::OUString filterFor(const QString &path) {
    // The filter comes from the content: without one the office would take a text file for CSV,
    // and a later save would overwrite the workbook as such.
    switch (workbookContent(path)) {
        case WorkbookContent::Excel97:
            return kExcel97Filter;
        case WorkbookContent::OfficeOpenXml:
        case WorkbookContent::EncryptedOfficeOpenXml:
            // The office asks for the password of an encrypted package only when told what it holds.
            return kOfficeOpenXmlFilter;
        case WorkbookContent::OpenDocument:
            return kOpenDocumentFilter;
        case WorkbookContent::Damaged:
            throw SpreadsheetError(office_messages::damaged(path));
        case WorkbookContent::Other:
            break;
    }
    throw SpreadsheetError(office_messages::notWorkbook(path));
}

// What the load is told of the workbook's format. An OpenDocument package goes through the office's
// own type detection, told which type to expect: like Calc, it then offers to repair a package
// whose zip is damaged. Every other format gets its filter named, so that nothing else (a text, a
// web page) is ever taken for it.
css::beans::PropertyValue formatArgument(const rtl::OUString &filterName) {
    if (filterName == kOpenDocumentFilter) {
        return property("TypeName", css::uno::Any(kOpenDocumentType));
    }
    return property("FilterName", css::uno::Any(filterName));
}

// Whether the office loaded the document with `filterName`, or with its template variant, which a
// repaired package gets.
bool loadedWith(const Reference<css::frame::XModel> &model, const rtl::OUString &filterName) {
    const auto arguments = model->getArgs();
    for (const auto &argument : arguments) {
        rtl::OUString used;
        if (argument.Name == "FilterName" && (argument.Value >>= used)) {
            return used == filterName || used == filterName + "_template";
        }
    }
    return false;
}

int wholeSeconds(std::chrono::milliseconds duration) {
    return static_cast<int>(std::chrono::ceil<std::chrono::seconds>(duration).count());
}

void closeDocument(const Reference<css::lang::XComponent> &component) {
    const Reference<css::util::XCloseable> closeable(component, UNO_QUERY);
    if (closeable.is()) {
        closeable->close(true);
    }
}

} // namespace

LibreOfficeInstance::LibreOfficeInstance(const LibreOfficeOptions &options, OfficeStartAbort *startAbort)
    : m_options(options)
    , m_profile(options.profileFolder) {
    m_lock = std::make_unique<AutomationLock>(m_profile.folder());
    if (m_lock->unavailable()) {
        throw SpreadsheetError(office_messages::cannotStart(
            QStringLiteral("无法使用配置文件夹 %1").arg(QDir::toNativeSeparators(m_profile.folder()))));
    }
    if (!m_lock->held()) {
        throw SpreadsheetError(office_messages::busy());
    }
    // We hold the lock, so any office still on our profile belongs to a run that crashed.
    const QString profileArgument = QStringLiteral("-env:UserInstallation=") + m_profile.url();
    killOfficeProcessesWith(profileArgument);
    m_profile.ensureSeeded(m_options.programFolder);

    m_pipeName = QStringLiteral("lotdraw-%1-%2").arg(::getpid()).arg(QRandomGenerator::global()->generate64(), 0, 36);
    m_process = std::make_unique<OfficeProcess>(
        m_options.programFolder + QStringLiteral("/soffice"),
        QStringList{profileArgument, QStringLiteral("--headless"), QStringLiteral("--nologo"),
                    QStringLiteral("--norestore"), QStringLiteral("--nodefault"),
                    QStringLiteral("--accept=pipe,name=%1;urp;StarOffice.ComponentContext").arg(m_pipeName)},
        officeEnvironment(true));
    m_watchdog = std::make_unique<CallWatchdog>([this]() noexcept { killAtOnce(); });
    const OfficeStartAbort::Scope abortable(startAbort, [this] { abort(); });
    connect(m_pipeName);
}

LibreOfficeInstance::~LibreOfficeInstance() {
    if (!m_handedOver) {
        endOffice(true);
    }
}

pid_t LibreOfficeInstance::processId() const {
    return m_process->pid();
}

void LibreOfficeInstance::connect(const QString &pipeName) {
    const auto local = uno::localContext(m_options.programFolder);
    try {
        const CallWatchdog::Scope scope(*m_watchdog, m_options.startTimeout);
        const auto connection = waitForPipe(local, pipeName);
        const auto bridge = css::bridge::BridgeFactory::create(local)->createBridge(
            rtl::OUString(""), rtl::OUString("urp"), connection, nullptr);
        {
            const std::lock_guard lock(m_bridgeMutex);
            m_bridge.set(bridge, UNO_QUERY_THROW);
        }
        const Reference<css::uno::XComponentContext> remote(
            bridge->getInstance(rtl::OUString("StarOffice.ComponentContext")), UNO_QUERY_THROW);
        const auto desktop = css::frame::Desktop::create(remote);
        m_desktop.set(desktop, UNO_QUERY_THROW);
        m_loader.set(desktop, UNO_QUERY_THROW);
    } catch (const css::uno::Exception &exception) {
        const QString reason = m_watchdog->expired() ? QStringLiteral("启动超时") : uno::describe(exception);
        abandonStart();
        if (m_cancelled) {
            throw SpreadsheetCancelled();
        }
        throw SpreadsheetError(office_messages::cannotStart(reason));
    } catch (const SpreadsheetError &) {
        abandonStart();
        throw;
    }
}

Reference<css::connection::XConnection>
LibreOfficeInstance::waitForPipe(const Reference<css::uno::XComponentContext> &local, const QString &pipeName) {
    const auto deadline = std::chrono::steady_clock::now() + m_options.startTimeout;
    const auto connector = css::connection::Connector::create(local);
    while (true) {
        try {
            return connector->connect(uno::toOUString(QStringLiteral("pipe,name=") + pipeName));
        } catch (const css::connection::NoConnectException &) {
            if (m_cancelled) {
                throw SpreadsheetCancelled();
            }
            if (m_watchdog->expired() || std::chrono::steady_clock::now() >= deadline) {
                throw SpreadsheetError(office_messages::cannotStart(QStringLiteral("启动超时")));
            }
            if (m_process->hasExited()) {
                throw SpreadsheetError(office_messages::cannotStart(QStringLiteral("进程刚启动就退出了")));
            }
            std::this_thread::sleep_for(10ms);
        }
    }
}

void LibreOfficeInstance::abandonStart() noexcept {
    disposeBridge();
    m_desktop.clear();
    m_loader.clear();
    m_process->kill();
    removeLeftovers();
}

template<typename Call>
auto LibreOfficeInstance::callOffice(std::chrono::milliseconds timeout, const Call &call) {
    ensureUsable();
    try {
        const CallWatchdog::Scope scope(*m_watchdog, timeout);
        return call();
    } catch (const css::lang::DisposedException &) {
        failDead();
    } catch (const css::uno::RuntimeException &) {
        // A broken connection shows up as a runtime error; tell it from an ordinary one.
        if (m_watchdog->expired() || m_process->waitForExit(100ms)) {
            failDead();
        }
        throw;
    }
}

void LibreOfficeInstance::failDead() {
    const QString message = m_watchdog->expired() ? office_messages::notResponding() : office_messages::crashed();
    m_failed = true;
    endOffice(false);
    if (m_cancelled) {
        throw SpreadsheetCancelled();
    }
    throw SpreadsheetError(message);
}

void LibreOfficeInstance::ensureUsable() const {
    if (m_cancelled) {
        throw SpreadsheetCancelled();
    }
    if (m_ended || m_handedOver) {
        throw SpreadsheetError(office_messages::alreadyEnded());
    }
}

LibreOfficeInstance::Workbook &LibreOfficeInstance::activeWorkbook() {
    ensureUsable();
    if (m_workbooks.empty()) {
        throw SpreadsheetError(office_messages::noWorkbookOpen());
    }
    return m_workbooks.back();
}

LibreOfficeInstance::Workbook &LibreOfficeInstance::readableWorkbook() {
    Workbook &workbook = activeWorkbook();
    if (workbook.passwordProtected) {
        throw SpreadsheetError(office_messages::passwordProtected(workbook.path));
    }
    return workbook;
}

void LibreOfficeInstance::openWorkbook(const QString &path) {
    ensureUsable();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    checkWorkbookFile(path, absolute);
    const rtl::OUString filterName = filterFor(absolute);
    takeBackStaleLock(absolute);
    const LoadResult loaded = loadWorkbook(absolute, filterName);
    if (loaded.passwordProtected) {
        Workbook closed;
        closed.path = absolute;
        closed.filterName = filterName;
        closed.passwordProtected = true;
        m_block = {};
        m_workbooks.push_back(std::move(closed));
        return;
    }
    attachWorkbook(absolute, false, filterName, loaded.component);
    m_workbooks.back().incomplete = loaded.incomplete;
}

void LibreOfficeInstance::takeBackStaleLock(const QString &path) {
    // A lock file means the workbook is open in an office window (or was, until that office
    // crashed). Loading it anyway would give a read-only copy or take the other office's lock.
    const QString lockPath = officeLockFilePath(path);
    if (!QFileInfo::exists(lockPath)) {
        return;
    }
    const std::optional<OfficeLockOwner> owner = readOfficeLock(lockPath);
    if (!owner || (!isLockOfProfile(*owner, m_profile.url()) && !isAbandonedLock(*owner))) {
        throw SpreadsheetError(office_messages::lockedOrOpen(path));
    }
    QFile::remove(lockPath);
}

LibreOfficeInstance::LoadResult LibreOfficeInstance::loadWorkbook(const QString &path,
                                                                  const rtl::OUString &filterName) {
    const rtl::Reference<OfficeInteractionHandler> handler(
        new OfficeInteractionHandler(OfficeInteractionHandler::Stage::Load));
    const auto arguments = properties({
        property("Hidden", css::uno::Any(true)),
        property("MacroExecutionMode", css::uno::Any(css::document::MacroExecMode::NEVER_EXECUTE)),
        property("UpdateDocMode", css::uno::Any(css::document::UpdateDocMode::NO_UPDATE)),
        formatArgument(filterName),
        property("InteractionHandler", css::uno::Any(Reference<css::task::XInteractionHandler>(handler.get()))),
    });
    m_touchedFiles.append(path);
    Reference<css::lang::XComponent> component;
    try {
        component = callOffice(m_options.fileTimeout, [&] {
            return m_loader->loadComponentFromURL(uno::fileUrl(path), rtl::OUString("_blank"), 0, arguments);
        });
    } catch (const css::uno::Exception &) {
        // The reason is in what the handler was asked, or in the file.
        component.clear();
    } catch (const SpreadsheetCancelled &) {
        throw;
    } catch (const SpreadsheetError &) {
        // The office froze on this very file: another try would end the same way.
        if (m_watchdog->expired()) {
            throw SpreadsheetError(office_messages::openTimedOut(path, wholeSeconds(m_options.fileTimeout)));
        }
        throw;
    }
    if (!component.is() && handler->question() == OfficeQuestion::Password) {
        return {nullptr, false, true};
    }
    if (!component.is()) {
        failLoad(path, static_cast<int>(handler->question()));
    }
    return {component, handler->wentOnAfterQuestion(), false};
}

// A lock is abandoned when this login's own office wrote it on this machine and no office of
// this login runs besides ours: that office crashed or was killed (say, the window handed over
// for editing went down with the session) and can no longer hold the workbook. Left in place,
// the lock would refuse the workbook for good, with the operator unable to see why. A lock of
// one of our own instances that was killed is taken back by the profile check before this.
bool LibreOfficeInstance::isAbandonedLock(const OfficeLockOwner &owner) const {
    return isLockOfThisLogin(owner) && !officeProcessRuns(m_process->pid());
}

// True when a lock file beside the workbook belongs to an office other than ours.
bool LibreOfficeInstance::isLockedByAnother(const QString &path) const {
    const QString lockPath = officeLockFilePath(path);
    return QFileInfo::exists(lockPath) && !isLockFileOfProfile(lockPath, m_profile.url());
}

void LibreOfficeInstance::failLoad(const QString &path, int question) {
    switch (static_cast<OfficeQuestion>(question)) {
        case OfficeQuestion::Missing:
            throw SpreadsheetError(office_messages::missing(path));
        case OfficeQuestion::Locked:
            throw SpreadsheetError(office_messages::lockedOrOpen(path));
        case OfficeQuestion::AccessDenied:
            throw SpreadsheetError(office_messages::accessDenied(path));
        case OfficeQuestion::Password:
            throw SpreadsheetError(office_messages::passwordProtected(path));
        case OfficeQuestion::None:
        case OfficeQuestion::Other:
            break;
    }
    if (!QFileInfo::exists(path)) {
        throw SpreadsheetError(office_messages::missing(path));
    }
    if (!QFileInfo(path).isReadable()) {
        throw SpreadsheetError(office_messages::accessDenied(path));
    }
    // Its content looked like a workbook, or it would not have been loaded.
    throw SpreadsheetError(office_messages::damaged(path));
}

void LibreOfficeInstance::attachWorkbook(const QString &path, bool isNew, const rtl::OUString &filterName,
                                         const Reference<css::lang::XComponent> &component) {
    Workbook workbook{path, isNew, filterName, false, {}, {}, {}};
    QString refusal;
    try {
        callOffice(m_options.callTimeout, [&] {
            refusal = inspectDocument(workbook, component);
            if (!refusal.isEmpty()) {
                closeDocument(component);
            }
        });
    } catch (const css::uno::Exception &exception) {
        // Not a document we can work with; do not leave it open in the office.
        try {
            callOffice(m_options.callTimeout, [&] { closeDocument(component); });
        } catch (const css::uno::Exception &) {
            // It goes with the office.
        }
        throw SpreadsheetError(office_messages::cannotOpen(path, uno::describe(exception)));
    }
    if (!refusal.isEmpty()) {
        throw SpreadsheetError(refusal);
    }
    m_block = {};
    m_workbooks.push_back(std::move(workbook));
}

QString LibreOfficeInstance::inspectDocument(Workbook &workbook, const Reference<css::lang::XComponent> &component) {
    workbook.model.set(component, UNO_QUERY);
    const Reference<css::frame::XStorable> storable(component, UNO_QUERY);
    const Reference<css::sheet::XSpreadsheetView> view(
        workbook.model.is() ? workbook.model->getCurrentController() : nullptr, UNO_QUERY);
    if (!storable.is() || !view.is()) {
        return office_messages::notWorkbook(workbook.path);
    }
    // Type detection may have settled on another format than the content check found.
    if (!workbook.isNew && !loadedWith(workbook.model, workbook.filterName)) {
        return office_messages::damaged(workbook.path);
    }
    if (storable->isReadonly() && isLockedByAnother(workbook.path)) {
        // Another office took the workbook between our look at its lock and the load.
        return office_messages::lockedOrOpen(workbook.path);
    }
    // A file the office cannot write (a write-protected stick, a read-only share or file) still
    // reads; only a save refuses.
    workbook.readOnly = storable->isReadonly();
    workbook.sheet = view->getActiveSheet();
    const Reference<css::util::XNumberFormatsSupplier> formats(component, UNO_QUERY_THROW);
    workbook.formats = formats->getNumberFormats();
    return {};
}

void LibreOfficeInstance::newWorkbook(const QString &path) {
    ensureUsable();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (QFileInfo::exists(absolute)) {
        throw SpreadsheetError(office_messages::fileExists(absolute));
    }
    const auto arguments = properties({property("Hidden", css::uno::Any(true))});
    Reference<css::lang::XComponent> component;
    try {
        component = callOffice(m_options.fileTimeout, [&] {
            return m_loader->loadComponentFromURL(rtl::OUString("private:factory/scalc"), rtl::OUString("_blank"), 0,
                                                  arguments);
        });
    } catch (const css::uno::Exception &exception) {
        throw SpreadsheetError(office_messages::cannotCreate(absolute, uno::describe(exception)));
    }
    if (!component.is()) {
        throw SpreadsheetError(office_messages::cannotCreate(absolute, QStringLiteral("电子表格程序没有给出新工作簿")));
    }
    attachWorkbook(absolute, true, kExcel97Filter, component);
}

void LibreOfficeInstance::checkCell(int row, int column) const {
    if (row < 1 || row > kMaxRow || column < 1 || column > kMaxColumn) {
        throw SpreadsheetError(office_messages::badCell(row, column));
    }
}

QString LibreOfficeInstance::cell(int row, int column) {
    Workbook &workbook = readableWorkbook();
    checkCell(row, column);
    const bool cached = m_block.column == column && row >= m_block.firstRow &&
                        row < m_block.firstRow + static_cast<int>(m_block.values.size());
    if (!cached) {
        // One call for a run of rows: a name list is read downwards, one column at a time.
        const int lastRow = std::min(kMaxRow, row + kBlockRows - 1);
        m_block = {};
        try {
            const auto rows = callOffice(m_options.callTimeout, [&] {
                const Reference<css::sheet::XCellRangeData> data(
                    workbook.sheet->getCellRangeByPosition(column - 1, row - 1, column - 1, lastRow - 1),
                    UNO_QUERY_THROW);
                return data->getDataArray();
            });
            m_block.column = column;
            m_block.firstRow = row;
            for (const auto &values : rows) {
                m_block.values.push_back(values.getLength() > 0 ? values[0] : css::uno::Any());
            }
        } catch (const css::uno::Exception &) {
            // Some cell kinds (errors) refuse to be read in bulk; read this one on its own.
            m_block = {};
        }
    }
    if (m_block.column == column && row >= m_block.firstRow &&
        row < m_block.firstRow + static_cast<int>(m_block.values.size())) {
        rtl::OUString text;
        if (m_block.values[static_cast<std::size_t>(row - m_block.firstRow)] >>= text) {
            return uno::toQString(text);
        }
    }
    // Numbers, dates, truth values and errors need the cell's type and format.
    return readCellSlowly(workbook, row, column);
}

QString LibreOfficeInstance::readCellSlowly(Workbook &workbook, int row, int column) {
    try {
        return callOffice(m_options.callTimeout, [&]() -> QString {
            const Reference<css::table::XCell> cell = workbook.sheet->getCellByPosition(column - 1, row - 1);
            switch (cell->getType()) {
                case css::table::CellContentType_EMPTY:
                    return {};
                case css::table::CellContentType_VALUE:
                    return numberCellText(workbook, cell, cell->getValue());
                case css::table::CellContentType_FORMULA: {
                    if (cell->getError() == 0) {
                        const Reference<css::beans::XPropertySet> cellProperties(cell, UNO_QUERY_THROW);
                        sal_Int32 resultType = 0;
                        cellProperties->getPropertyValue(rtl::OUString("FormulaResultType2")) >>= resultType;
                        if (resultType == css::sheet::FormulaResult::VALUE) {
                            // A truth value from an xls file arrives as =TRUE() or =FALSE(); its
                            // cell format stays General, only the shown text tells it apart. The
                            // office runs in the C locale, so the words are English.
                            const double value = cell->getValue();
                            const QString shown =
                                uno::toQString(Reference<css::text::XText>(cell, UNO_QUERY_THROW)->getString());
                            if ((value == 0.0 || value == 1.0) &&
                                (shown == QStringLiteral("TRUE") || shown == QStringLiteral("FALSE"))) {
                                return shown;
                            }
                            return numberCellText(workbook, cell, value);
                        }
                    }
                    // A text result, or an error value as the sheet names it ("#DIV/0!").
                    return uno::toQString(Reference<css::text::XText>(cell, UNO_QUERY_THROW)->getString());
                }
                case css::table::CellContentType_TEXT:
                default:
                    return uno::toQString(Reference<css::text::XText>(cell, UNO_QUERY_THROW)->getString());
            }
        });
    } catch (const css::uno::Exception &exception) {
        throw SpreadsheetError(office_messages::cellFailed(row, column, uno::describe(exception)));
    }
}

QString LibreOfficeInstance::numberCellText(Workbook &workbook, const Reference<css::uno::XInterface> &cell,
                                            double value) {
    const Reference<css::beans::XPropertySet> cellProperties(cell, UNO_QUERY_THROW);
    sal_Int32 key = 0;
    cellProperties->getPropertyValue(rtl::OUString("NumberFormat")) >>= key;
    sal_Int16 type = css::util::NumberFormat::NUMBER;
    try {
        workbook.formats->getByKey(key)->getPropertyValue(rtl::OUString("Type")) >>= type;
    } catch (const css::uno::RuntimeException &) {
        throw;
    } catch (const css::uno::Exception &) {
        // An unknown format key: read it as a plain number.
    }
    if ((type & css::util::NumberFormat::LOGICAL) != 0) {
        return truthText(value);
    }
    if ((type & css::util::NumberFormat::DATETIME) == css::util::NumberFormat::DATETIME) {
        return dateTimeText(value);
    }
    if ((type & css::util::NumberFormat::DATE) != 0) {
        return dateText(value);
    }
    if ((type & css::util::NumberFormat::TIME) != 0) {
        return timeText(value);
    }
    return numberText(value);
}

void LibreOfficeInstance::setCell(int row, int column, const QString &text) {
    Workbook &workbook = readableWorkbook();
    checkCell(row, column);
    m_block = {};
    try {
        callOffice(m_options.callTimeout, [&] {
            // setString stores text as it is; setFormula would turn "0012" into the number 12.
            const Reference<css::text::XText> cellText(workbook.sheet->getCellByPosition(column - 1, row - 1),
                                                       UNO_QUERY_THROW);
            cellText->setString(uno::toOUString(text));
        });
    } catch (const css::uno::Exception &exception) {
        throw SpreadsheetError(office_messages::cellFailed(row, column, uno::describe(exception)));
    }
}

void LibreOfficeInstance::saveActiveWorkbook() {
    Workbook &workbook = readableWorkbook();
    const QString target = workbook.isNew ? workbook.path : resolvedTarget(workbook.path);
    checkSavable(workbook, target);
    const QString temporary = temporarySibling(target);
    if (temporary.isEmpty()) {
        throw SpreadsheetError(
            office_messages::saveFailed(target, QStringLiteral("无法在工作簿所在的文件夹中建立临时文件夹")));
    }
    m_touchedFiles.append(temporary);
    m_saveTemporaries.append(temporary);
    storeToTemporary(workbook, temporary, target);
    const QString error = publishFile(temporary, target, !workbook.isNew);
    if (!error.isEmpty()) {
        throw SpreadsheetError(office_messages::saveFailed(target, error));
    }
    workbook.isNew = false;
    markSaved(workbook);
}

void LibreOfficeInstance::checkSavable(const Workbook &workbook, const QString &target) const {
    // Refused before anything is written: the save replaces the file through a new one in its
    // folder, so both have to be writable; a write-protected file is also the user's wish.
    if (workbook.incomplete) {
        throw SpreadsheetError(office_messages::incompletelyLoaded(target));
    }
    if (!workbook.isNew && (workbook.readOnly || !canReplaceFile(target))) {
        throw SpreadsheetError(office_messages::notWritable(target));
    }
    if (workbook.isNew && QFileInfo::exists(target)) {
        throw SpreadsheetError(office_messages::fileExists(target));
    }
}

void LibreOfficeInstance::storeToTemporary(const Workbook &workbook, const QString &temporary, const QString &target) {
    const rtl::Reference<OfficeInteractionHandler> handler(
        new OfficeInteractionHandler(OfficeInteractionHandler::Stage::Store));
    const auto arguments = properties({
        property("FilterName", css::uno::Any(workbook.filterName)),
        property("Overwrite", css::uno::Any(true)),
        property("InteractionHandler", css::uno::Any(Reference<css::task::XInteractionHandler>(handler.get()))),
    });
    try {
        callOffice(m_options.fileTimeout, [&] {
            const Reference<css::frame::XStorable> storable(workbook.model, UNO_QUERY_THROW);
            storable->storeToURL(uno::fileUrl(temporary), arguments);
        });
    } catch (const SpreadsheetError &) {
        removeTemporary(temporary);
        throw;
    } catch (const css::uno::Exception &exception) {
        removeTemporary(temporary);
        throw SpreadsheetError(office_messages::saveFailed(target, uno::describe(exception)));
    }
    if (!QFileInfo(temporary).isFile()) {
        removeTemporary(temporary);
        throw SpreadsheetError(office_messages::saveFailed(target, QStringLiteral("没有写出文件")));
    }
}

void LibreOfficeInstance::markSaved(const Workbook &workbook) {
    try {
        callOffice(m_options.callTimeout, [&] {
            const Reference<css::util::XModifiable> modifiable(workbook.model, UNO_QUERY);
            if (modifiable.is()) {
                modifiable->setModified(false);
            }
        });
    } catch (const css::uno::Exception &) {
        // Only the flag; the file is saved.
    }
}

void LibreOfficeInstance::quit() {
    m_quitRequested = true;
}

void LibreOfficeInstance::closeWorkbooks() {
    if (m_ended && !m_failed && !m_handedOver) {
        return;
    }
    ensureUsable();
    closeDocuments();
    if (m_quitRequested) {
        endOffice(true);
    }
}

void LibreOfficeInstance::closeDocuments() {
    auto workbooks = std::move(m_workbooks);
    m_workbooks.clear();
    m_block = {};
    for (auto it = workbooks.rbegin(); it != workbooks.rend(); ++it) {
        try {
            callOffice(m_options.callTimeout, [&] {
                const Reference<css::util::XCloseable> closeable(it->model, UNO_QUERY);
                if (closeable.is()) {
                    closeable->close(true);
                }
            });
        } catch (const css::uno::Exception &) {
            // A document that refuses to close goes with the office.
        }
    }
}

void LibreOfficeInstance::setVisible(bool visible) {
    if (!visible) {
        if (m_handedOver) {
            throw SpreadsheetError(office_messages::alreadyHandedOver());
        }
        return;
    }
    if (m_handedOver) {
        return;
    }
    const Workbook &workbook = activeWorkbook();
    // The window opens the file afresh: changes not yet saved would be lost on the way.
    if (hasUnsavedChanges(workbook)) {
        throw SpreadsheetError(office_messages::unsavedChanges());
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        throw SpreadsheetError(office_messages::noDisplay());
    }
    const QString path = workbook.path;
    // A hidden office can never show a window, and the user's window belongs on the user's own
    // profile: end ours first (which also frees the workbook's lock), then start theirs.
    endOffice(true);
    handOverToUser(path);
}

bool LibreOfficeInstance::hasUnsavedChanges(const Workbook &workbook) {
    if (workbook.isNew) {
        return true;
    }
    if (workbook.passwordProtected) {
        return false;
    }
    try {
        return callOffice(m_options.callTimeout, [&] {
            const Reference<css::util::XModifiable> modifiable(workbook.model, UNO_QUERY_THROW);
            return static_cast<bool>(modifiable->isModified());
        });
    } catch (const css::uno::Exception &exception) {
        throw SpreadsheetError(office_messages::cannotShow(uno::describe(exception)));
    }
}

void LibreOfficeInstance::handOverToUser(const QString &path) {
    const pid_t group = startDetached(m_options.programFolder + QStringLiteral("/soffice"),
                                      QStringList{QStringLiteral("--norestore"), QStringLiteral("--calc"), path},
                                      officeEnvironment(false));
    // Until it holds the workbook, the new office is still ours to watch: one that dies on the way
    // (a broken profile, say) would otherwise leave the operator waiting for a window that never comes.
    switch (waitForHandOver(group, path, m_options.handOverTimeout, m_cancelled)) {
        case HandOverResult::HeldOpen:
            m_handedOver = true;
            return;
        case HandOverResult::Ended:
            throw SpreadsheetError(office_messages::windowEnded(path));
        case HandOverResult::TimedOut:
            endProcessGroup(group);
            throw SpreadsheetError(office_messages::windowTimedOut(path, wholeSeconds(m_options.handOverTimeout)));
        case HandOverResult::Cancelled:
            endProcessGroup(group);
            throw SpreadsheetCancelled();
    }
}

void LibreOfficeInstance::abort() noexcept {
    // The flag first: every failure the kill causes from here on reads as the operator's stop.
    m_cancelled = true;
    killAtOnce();
}

void LibreOfficeInstance::killAtOnce() noexcept {
    m_process->killGroup();
    disposeBridge();
}

void LibreOfficeInstance::endOffice(bool graceful) noexcept {
    if (m_ended) {
        return;
    }
    if (graceful && !m_failed && !m_cancelled) {
        try {
            closeDocuments();
            if (!m_ended) {
                const CallWatchdog::Scope scope(*m_watchdog, m_options.callTimeout);
                m_desktop->terminate();
            }
        } catch (...) {
            // terminate() often throws because the office drops the connection as it ends.
        }
        if (m_ended) {
            return;
        }
    }
    disposeBridge();
    m_desktop.clear();
    m_loader.clear();
    m_workbooks.clear();
    m_block = {};
    const bool exited = graceful && !m_failed && !m_cancelled && m_process->waitForExit(m_options.exitTimeout);
    if (!exited) {
        m_process->kill();
    }
    m_ended = true;
    removeLeftovers();
    m_lock->release();
}

void LibreOfficeInstance::disposeBridge() noexcept {
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

void LibreOfficeInstance::removeLeftovers() noexcept {
    try {
        // A killed office leaves the socket of its pipe behind; a new name is used for every start.
        const QString pipe = QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(::getuid()).arg(m_pipeName);
        if (QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile() && !QFileInfo(pipe).isDir()) {
            QFile::remove(pipe);
        }
        for (const QString &file : std::as_const(m_touchedFiles)) {
            const QString lockPath = officeLockFilePath(file);
            if (QFileInfo::exists(lockPath) && isLockFileOfProfile(lockPath, m_profile.url())) {
                QFile::remove(lockPath);
            }
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

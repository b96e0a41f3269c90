#include "office/uno/calc_workbook.h"

#include "files/atomic_file.h"
#include "office/office_lock_file.h"
#include "office/office_messages.h"
#include "office/uno/office_connection.h"
#include "office/uno/office_interaction_handler.h"
#include "office/uno/uno_support.h"
#include "spreadsheet/spreadsheet_error.h"

#include <QFileInfo>
#include <algorithm>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>
#include <initializer_list>
#include <rtl/ref.hxx>

namespace lotdraw {

namespace {

using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

// The office's type of an OpenDocument spreadsheet, which is also the name of its filter.
const rtl::OUString kOpenDocumentType("calc8");

// The office's filter for a format, used both to load a workbook and to save it back, so the file
// keeps the format it had whatever its name says.
rtl::OUString filterOf(WorkbookFormat format) {
    switch (format) {
        case WorkbookFormat::OfficeOpenXml:
            // The office asks for the password of an encrypted package only when told what it holds.
            return rtl::OUString("Calc MS Excel 2007 XML");
        case WorkbookFormat::OpenDocument:
            return kOpenDocumentType;
        case WorkbookFormat::Excel97:
            break;
    }
    return rtl::OUString("MS Excel 97");
}

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

// What the load is told of the workbook's format. An OpenDocument package goes through the office's
// own type detection, told which type to expect: like Calc, it then offers to repair a package
// whose zip is damaged. Every other format gets its filter named, so that nothing else (a text, a
// web page) is ever taken for it.
css::beans::PropertyValue formatArgument(WorkbookFormat format) {
    if (format == WorkbookFormat::OpenDocument) {
        return property("TypeName", css::uno::Any(kOpenDocumentType));
    }
    return property("FilterName", css::uno::Any(filterOf(format)));
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

void closeDocument(const Reference<css::uno::XInterface> &document) {
    const Reference<css::util::XCloseable> closeable(document, UNO_QUERY);
    if (closeable.is()) {
        closeable->close(true);
    }
}

} // namespace

CalcWorkbook::CalcWorkbook(OfficeConnection &office, QString path, WorkbookFormat format, bool isNew)
    : m_office(office)
    , m_path(std::move(path))
    , m_format(format)
    , m_isNew(isNew) {}

std::unique_ptr<CalcWorkbook> CalcWorkbook::open(OfficeConnection &office, const QString &path) {
    office.ensureRunning();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const WorkbookFormat format = checkWorkbookFile(absolute);
    // A lock file means the workbook is open in an office window (or was, until that office
    // crashed). Loading it anyway would give a read-only copy or take the other office's lock.
    if (!takeBackStaleLock(absolute, office.profileUrl(), office.processGroup())) {
        throw SpreadsheetError(office_messages::lockedOrOpen(absolute));
    }
    std::unique_ptr<CalcWorkbook> workbook(new CalcWorkbook(office, absolute, format, false));
    workbook->load();
    return workbook;
}

std::unique_ptr<CalcWorkbook> CalcWorkbook::create(OfficeConnection &office, const QString &path) {
    office.ensureRunning();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (QFileInfo::exists(absolute)) {
        throw SpreadsheetError(office_messages::fileExists(absolute));
    }
    std::unique_ptr<CalcWorkbook> workbook(new CalcWorkbook(office, absolute, WorkbookFormat::Excel97, true));
    const auto arguments = properties({property("Hidden", css::uno::Any(true))});
    Reference<css::lang::XComponent> component;
    try {
        component = office.call(office.options().fileTimeout, [&] {
            return office.loader()->loadComponentFromURL(rtl::OUString("private:factory/scalc"),
                                                         rtl::OUString("_blank"), 0, arguments);
        });
    } catch (const css::uno::Exception &exception) {
        throw SpreadsheetError(office_messages::cannotCreate(absolute, uno::describe(exception)));
    }
    if (!component.is()) {
        throw SpreadsheetError(office_messages::cannotCreate(absolute, QStringLiteral("电子表格程序没有给出新工作簿")));
    }
    workbook->attach(component);
    return workbook;
}

void CalcWorkbook::load() {
    const rtl::Reference<OfficeInteractionHandler> handler(
        new OfficeInteractionHandler(OfficeInteractionHandler::Stage::Load));
    const auto arguments = properties({
        property("Hidden", css::uno::Any(true)),
        property("MacroExecutionMode", css::uno::Any(css::document::MacroExecMode::NEVER_EXECUTE)),
        property("UpdateDocMode", css::uno::Any(css::document::UpdateDocMode::NO_UPDATE)),
        formatArgument(m_format),
        property("InteractionHandler", css::uno::Any(Reference<css::task::XInteractionHandler>(handler.get()))),
    });
    m_office.noteWorkbook(m_path);
    Reference<css::lang::XComponent> component;
    try {
        component = m_office.call(m_office.options().fileTimeout, [&] {
            return m_office.loader()->loadComponentFromURL(uno::fileUrl(m_path), rtl::OUString("_blank"), 0, arguments);
        });
    } catch (const css::uno::Exception &) {
        // The reason is in what the handler was asked, or in the file.
        component.clear();
    } catch (const SpreadsheetCancelled &) {
        throw;
    } catch (const SpreadsheetError &) {
        // The office froze on this very file: another try would end the same way.
        if (m_office.timedOut()) {
            throw SpreadsheetError(office_messages::openTimedOut(m_path, wholeSeconds(m_office.options().fileTimeout)));
        }
        throw;
    }
    if (!component.is() && handler->question() == OfficeQuestion::Password) {
        m_access = Access::PasswordProtected;
        return;
    }
    if (!component.is()) {
        failLoad(handler->question());
    }
    attach(component);
    if (handler->wentOnAfterQuestion()) {
        m_access = Access::Partial;
    }
}

void CalcWorkbook::failLoad(OfficeQuestion question) const {
    switch (question) {
        case OfficeQuestion::Missing:
            throw SpreadsheetError(office_messages::missing(m_path));
        case OfficeQuestion::Locked:
            throw SpreadsheetError(office_messages::lockedOrOpen(m_path));
        case OfficeQuestion::AccessDenied:
            throw SpreadsheetError(office_messages::accessDenied(m_path));
        case OfficeQuestion::Password:
            throw SpreadsheetError(office_messages::passwordProtected(m_path));
        case OfficeQuestion::None:
        case OfficeQuestion::Other:
            break;
    }
    // The file may have changed since it was looked at; if it has not, its content looked like a
    // workbook, or it would not have been loaded.
    static_cast<void>(checkWorkbookFile(m_path));
    throw SpreadsheetError(office_messages::damaged(m_path));
}

void CalcWorkbook::attach(const Reference<css::lang::XComponent> &component) {
    QString refusal;
    try {
        m_office.call(m_office.options().callTimeout, [&] {
            refusal = inspect(component);
            if (!refusal.isEmpty()) {
                closeDocument(component);
            }
        });
    } catch (const css::uno::Exception &exception) {
        // Not a document we can work with; do not leave it open in the office.
        try {
            m_office.call(m_office.options().callTimeout, [&] { closeDocument(component); });
        } catch (const css::uno::Exception &) {
            // It goes with the office.
        }
        throw SpreadsheetError(office_messages::cannotOpen(m_path, uno::describe(exception)));
    }
    if (!refusal.isEmpty()) {
        throw SpreadsheetError(refusal);
    }
}

QString CalcWorkbook::inspect(const Reference<css::lang::XComponent> &component) {
    const Reference<css::frame::XModel> model(component, UNO_QUERY);
    const Reference<css::frame::XStorable> storable(component, UNO_QUERY);
    const Reference<css::sheet::XSpreadsheetView> view(model.is() ? model->getCurrentController() : nullptr, UNO_QUERY);
    if (!storable.is() || !view.is()) {
        return office_messages::notWorkbook(m_path);
    }
    // Type detection may have settled on another format than the content check found.
    if (!m_isNew && !loadedWith(model, filterOf(m_format))) {
        return office_messages::damaged(m_path);
    }
    const bool readOnly = storable->isReadonly();
    if (readOnly && isLockedByAnother(m_path, m_office.profileUrl())) {
        // Another office took the workbook between our look at its lock and the load.
        return office_messages::lockedOrOpen(m_path);
    }
    // A file the office cannot write (a write-protected stick, a read-only share or file) still
    // reads; only a save refuses.
    m_access = readOnly ? Access::ReadOnly : Access::Writable;
    const Reference<css::util::XNumberFormatsSupplier> formats(component, UNO_QUERY_THROW);
    m_cells.emplace(m_office, view->getActiveSheet(), formats->getNumberFormats());
    m_model = model;
    return {};
}

CalcCells &CalcWorkbook::cells() {
    m_office.ensureRunning();
    if (m_access == Access::PasswordProtected || !m_cells) {
        throw SpreadsheetError(office_messages::passwordProtected(m_path));
    }
    return *m_cells;
}

void CalcWorkbook::save() {
    static_cast<void>(cells());
    const QString target = m_isNew ? m_path : resolvedTarget(m_path);
    checkSavable(target);
    const QString temporary = temporarySibling(target);
    if (temporary.isEmpty()) {
        throw SpreadsheetError(
            office_messages::saveFailed(target, QStringLiteral("无法在工作簿所在的文件夹中建立临时文件夹")));
    }
    m_office.noteSaveTemporary(temporary);
    storeTo(temporary, target);
    const QString error = publishFile(temporary, target, !m_isNew);
    if (!error.isEmpty()) {
        throw SpreadsheetError(office_messages::saveFailed(target, error));
    }
    m_isNew = false;
    markSaved();
}

void CalcWorkbook::checkSavable(const QString &target) const {
    // Refused before anything is written: the save replaces the file through a new one in its
    // folder, so both have to be writable; a write-protected file is also the user's wish.
    if (m_access == Access::Partial) {
        throw SpreadsheetError(office_messages::incompletelyLoaded(target));
    }
    if (!m_isNew && (m_access == Access::ReadOnly || !canReplaceFile(target))) {
        throw SpreadsheetError(office_messages::notWritable(target));
    }
    if (m_isNew && QFileInfo::exists(target)) {
        throw SpreadsheetError(office_messages::fileExists(target));
    }
}

void CalcWorkbook::storeTo(const QString &temporary, const QString &target) {
    const rtl::Reference<OfficeInteractionHandler> handler(
        new OfficeInteractionHandler(OfficeInteractionHandler::Stage::Store));
    const auto arguments = properties({
        property("FilterName", css::uno::Any(filterOf(m_format))),
        property("Overwrite", css::uno::Any(true)),
        property("InteractionHandler", css::uno::Any(Reference<css::task::XInteractionHandler>(handler.get()))),
    });
    try {
        m_office.call(m_office.options().fileTimeout, [&] {
            const Reference<css::frame::XStorable> storable(m_model, UNO_QUERY_THROW);
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

void CalcWorkbook::markSaved() {
    try {
        m_office.call(m_office.options().callTimeout, [&] {
            const Reference<css::util::XModifiable> modifiable(m_model, UNO_QUERY);
            if (modifiable.is()) {
                modifiable->setModified(false);
            }
        });
    } catch (const css::uno::Exception &) {
        // Only the flag; the file is saved.
    }
}

bool CalcWorkbook::hasUnsavedChanges() {
    if (m_isNew) {
        return true;
    }
    if (m_access == Access::PasswordProtected) {
        return false;
    }
    try {
        return m_office.call(m_office.options().callTimeout, [&] {
            const Reference<css::util::XModifiable> modifiable(m_model, UNO_QUERY_THROW);
            return static_cast<bool>(modifiable->isModified());
        });
    } catch (const css::uno::Exception &exception) {
        throw SpreadsheetError(office_messages::cannotShow(uno::describe(exception)));
    }
}

void CalcWorkbook::close() {
    const Reference<css::frame::XModel> model = m_model;
    m_model.clear();
    m_cells.reset();
    if (!model.is()) {
        return;
    }
    try {
        m_office.call(m_office.options().callTimeout, [&] { closeDocument(model); });
    } catch (const css::uno::Exception &) {
        // A document that refuses to close goes with the office.
    }
}

} // namespace lotdraw

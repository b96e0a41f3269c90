#include "office/uno/calc_workbook.h"

#include "files/atomic_file.h"
#include "office/office_lock_file.h"
#include "office/office_messages.h"
#include "office/uno/calc_document.h"
#include "office/uno/office_connection.h"
#include "office/uno/office_interaction_handler.h"
#include "office/uno/uno_support.h"
#include "spreadsheet/spreadsheet_error.h"

#include <QFileInfo>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>
#include <rtl/ref.hxx>

namespace lotdraw {

namespace {

using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using uno::properties;
using uno::property;

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
    prepareTextCells(office);
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
    prepareTextCells(office);
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
    m_office.noteWorkbook(m_path);
    const LoadedDocument loaded = loadWorkbookDocument(m_office, m_path, m_format);
    if (!loaded.component.is() && loaded.question == OfficeQuestion::Password) {
        m_access = Access::PasswordProtected;
        return;
    }
    if (!loaded.component.is()) {
        failLoad(loaded.question);
    }
    attach(loaded.component);
    if (loaded.wentOnAfterQuestion) {
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
    const Reference<css::sheet::XSpreadsheet> sheet = activeSheet(component);
    if (!model.is() || !storable.is() || !sheet.is()) {
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
    m_cells.emplace(m_office, sheet, formats->getNumberFormats());
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

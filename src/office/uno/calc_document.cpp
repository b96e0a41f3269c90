#include "office/uno/calc_document.h"

#include "office/office_messages.h"
#include "office/uno/office_connection.h"
#include "office/uno/uno_support.h"
#include "spreadsheet/spreadsheet_error.h"

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/XLoadable.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <rtl/ref.hxx>

namespace lotdraw {

namespace {

using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using uno::property;

// The office's type of an OpenDocument spreadsheet, which is also the name of its filter.
const rtl::OUString kOpenDocumentType("calc8");

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

// Loads the document without a frame or a view: the model alone, from the same filter.
Reference<css::lang::XComponent>
loadModel(OfficeConnection &office, css::uno::Sequence<css::beans::PropertyValue> arguments, const QString &path) {
    const sal_Int32 size = arguments.getLength();
    arguments.realloc(size + 1);
    arguments.getArray()[size] = property("URL", css::uno::Any(uno::fileUrl(path)));
    const auto &context = office.context();
    const Reference<css::frame::XLoadable> model(context->getServiceManager()->createInstanceWithContext(
                                                     rtl::OUString("com.sun.star.sheet.SpreadsheetDocument"), context),
                                                 UNO_QUERY_THROW);
    try {
        model->load(arguments);
    } catch (const css::uno::Exception &) {
        closeDocument(model);
        throw;
    }
    return Reference<css::lang::XComponent>(model, UNO_QUERY_THROW);
}

// The office's load, with a view or without; nothing when the office refused it.
Reference<css::lang::XComponent> loadDocument(OfficeConnection &office, const QString &path,
                                              const css::uno::Sequence<css::beans::PropertyValue> &arguments,
                                              bool withView) {
    try {
        return office.call(office.options().fileTimeout, [&]() -> Reference<css::lang::XComponent> {
            if (withView) {
                return office.loader()->loadComponentFromURL(uno::fileUrl(path), rtl::OUString("_blank"), 0, arguments);
            }
            return loadModel(office, arguments, path);
        });
    } catch (const css::uno::Exception &) {
        // The reason is in what the interaction handler was asked, or in the file.
        return {};
    } catch (const SpreadsheetCancelled &) {
        throw;
    } catch (const SpreadsheetError &) {
        // The office froze on this very file: another try would end the same way.
        if (office.timedOut()) {
            throw SpreadsheetError(office_messages::openTimedOut(path, office.options().fileTimeout));
        }
        throw;
    }
}

} // namespace

rtl::OUString filterOf(WorkbookFormat format) {
    switch (format) {
        case WorkbookFormat::OfficeOpenXml:
        case WorkbookFormat::EncryptedOfficeOpenXml:
            // The office asks for the password of an encrypted package only when told what it holds.
            return rtl::OUString("Calc MS Excel 2007 XML");
        case WorkbookFormat::OpenDocument:
            return kOpenDocumentType;
        case WorkbookFormat::Excel97:
            break;
    }
    return rtl::OUString("MS Excel 97");
}

LoadedDocument loadWorkbookDocument(OfficeConnection &office, const QString &path, WorkbookFormat format) {
    const rtl::Reference<OfficeInteractionHandler> handler(
        new OfficeInteractionHandler(OfficeInteractionHandler::Stage::Load));
    const auto arguments = uno::properties({
        property("Hidden", css::uno::Any(true)),
        property("MacroExecutionMode", css::uno::Any(css::document::MacroExecMode::NEVER_EXECUTE)),
        property("UpdateDocMode", css::uno::Any(css::document::UpdateDocMode::NO_UPDATE)),
        formatArgument(format),
        property("InteractionHandler", css::uno::Any(Reference<css::task::XInteractionHandler>(handler.get()))),
    });
    // A workbook of one sheet needs no view to tell its active sheet, and loads a good deal sooner
    // without one. A password or a repair is the office's dialog to offer: those load as Calc does.
    const bool withoutView = format == WorkbookFormat::Excel97 || format == WorkbookFormat::OfficeOpenXml;
    Reference<css::lang::XComponent> component = loadDocument(office, path, arguments, !withoutView);
    if (component.is() && withoutView &&
        !office.call(office.options().callTimeout, [&] { return activeSheet(component).is(); })) {
        // Which of its sheets is active only a view tells: it is loaded again, with one.
        office.call(office.options().callTimeout, [&] { closeDocument(component); });
        component = loadDocument(office, path, arguments, true);
    }
    return {component, handler->question(), handler->wentOnAfterQuestion()};
}

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

Reference<css::sheet::XSpreadsheet> activeSheet(const Reference<css::lang::XComponent> &component) {
    const Reference<css::frame::XModel> model(component, UNO_QUERY);
    const Reference<css::sheet::XSpreadsheetView> view(model.is() ? model->getCurrentController() : nullptr, UNO_QUERY);
    if (view.is()) {
        return view->getActiveSheet();
    }
    // Without a view, only a workbook's one sheet is known to be its active one.
    const Reference<css::sheet::XSpreadsheetDocument> document(component, UNO_QUERY);
    const Reference<css::container::XIndexAccess> sheets(document.is() ? document->getSheets() : nullptr, UNO_QUERY);
    Reference<css::sheet::XSpreadsheet> only;
    if (sheets.is() && sheets->getCount() == 1) {
        sheets->getByIndex(0) >>= only;
    }
    return only;
}

void closeDocument(const Reference<css::uno::XInterface> &document) {
    const Reference<css::util::XCloseable> closeable(document, UNO_QUERY);
    if (closeable.is()) {
        closeable->close(true);
    }
}

} // namespace lotdraw

#pragma once

#include "office/uno/office_interaction_handler.h"
#include "office/workbook_file.h"

#include <QString>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>

namespace lotdraw {

class OfficeConnection;

// How the office is asked to load a name-list workbook, and what it gave.

// The document, or nothing and why the office refused it.
struct LoadedDocument {
    css::uno::Reference<css::lang::XComponent> component;
    // The first question of the office's that was refused; None when none was.
    OfficeQuestion question = OfficeQuestion::None;
    // The load went on after a warning that not all of the data could be loaded, or after a repair.
    bool wentOnAfterQuestion = false;
};

// Loads the workbook at `path` as `format`: hidden, running no macro and updating no link, every
// question the office asks answered at once. Throws SpreadsheetError only when the office froze or
// died on it, and SpreadsheetCancelled when the operator stopped it.
[[nodiscard]] LoadedDocument loadWorkbookDocument(OfficeConnection &office, const QString &path, WorkbookFormat format);

// The office's filter for `format`, used both to load a workbook and to save it back, so the file
// keeps the format it had whatever its name says.
[[nodiscard]] rtl::OUString filterOf(WorkbookFormat format);

// Whether the office loaded the document with `filterName`, or with its template variant, which a
// repaired package gets.
[[nodiscard]] bool loadedWith(const css::uno::Reference<css::frame::XModel> &model, const rtl::OUString &filterName);

// The sheet the workbook opens on; nothing when that takes a view the document lacks.
[[nodiscard]] css::uno::Reference<css::sheet::XSpreadsheet>
activeSheet(const css::uno::Reference<css::lang::XComponent> &component);

// Closes a document of the office's. Talks to the office: the caller bounds it.
void closeDocument(const css::uno::Reference<css::uno::XInterface> &document);

} // namespace lotdraw

#include "office/workbook_file.h"

#include "office/content/workbook_content.h"
#include "office/office_messages.h"
#include "spreadsheet/spreadsheet_error.h"

#include <QFileInfo>

namespace lotdraw {

WorkbookFormat checkWorkbookFile(const QString &path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) {
        throw SpreadsheetError(office_messages::missing(path));
    }
    if (!info.isFile()) {
        throw SpreadsheetError(office_messages::notWorkbook(path));
    }
    if (!info.isReadable()) {
        throw SpreadsheetError(office_messages::accessDenied(path));
    }
    switch (workbookContent(path)) {
        case WorkbookContent::Excel97:
            return WorkbookFormat::Excel97;
        case WorkbookContent::OfficeOpenXml:
            return WorkbookFormat::OfficeOpenXml;
        case WorkbookContent::EncryptedOfficeOpenXml:
            return WorkbookFormat::EncryptedOfficeOpenXml;
        case WorkbookContent::OpenDocument:
            return WorkbookFormat::OpenDocument;
        case WorkbookContent::Damaged:
            throw SpreadsheetError(office_messages::damaged(path));
        case WorkbookContent::Other:
            break;
    }
    throw SpreadsheetError(office_messages::notWorkbook(path));
}

} // namespace lotdraw

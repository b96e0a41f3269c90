#pragma once

#include <QString>

namespace lotdraw {

// The formats a name-list workbook comes in, told by its content whatever its name says.
enum class WorkbookFormat {
    Excel97,                // .xls
    OfficeOpenXml,          // .xlsx
    EncryptedOfficeOpenXml, // .xlsx protected by a password
    OpenDocument,           // .ods
};

// Looks at the file at `path` before the office is asked to load it: its format, or a
// SpreadsheetError that tells the operator why it is refused (missing, a folder, unreadable,
// damaged, not a workbook). The message names `path`.
[[nodiscard]] WorkbookFormat checkWorkbookFile(const QString &path);

} // namespace lotdraw

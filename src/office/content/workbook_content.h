#pragma once

#include <QString>

namespace lotdraw {

// What a workbook file holds, told by its content whatever its name says: people save or rename a
// newer workbook as "导入名单.xls".
enum class WorkbookContent {
    Excel97,                // an OLE2 compound file (Excel 97-2003) or a bare BIFF stream (Excel 2 to 5)
    OfficeOpenXml,          // a zip whose relationships name a spreadsheet as its main part (.xlsx)
    EncryptedOfficeOpenXml, // an Office Open XML package encrypted with a password, in a compound file
    OpenDocument,           // a zip whose first entry "mimetype" names an OpenDocument spreadsheet (.ods)
    Damaged,                // starts like a zip, but its directory or the parts that tell its kind cannot be read
    Other,                  // anything else: text, CSV, HTML, another kind of zip or package, an empty file
};

// Looks at the first bytes and, for a zip or a compound file, at its directory and (for Office Open
// XML) at the two small parts that name the main part and its type, wherever the package keeps it.
// Reads are bounded and no size or offset in the file is trusted, so a hostile or cut-off file
// costs at most a few reads of a few megabytes. Other when the file cannot be read.
[[nodiscard]] WorkbookContent workbookContent(const QString &path);

} // namespace lotdraw

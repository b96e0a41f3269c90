#pragma once

#include <QString>
#include <QStringList>

namespace lotdraw {

class SpreadsheetApplication;

// The headings of a new name-list workbook: row 1 a title over the pool, row 2 one heading per
// column (the pool in A, the four result lists in B to E).
[[nodiscard]] QString nameListTitle();
[[nodiscard]] QStringList nameListColumnHeadings();

// Writes a new name-list workbook at `path` through a fresh instance of `app`: the headings in
// rows 1 and 2, the names from row 3 of column A down. Never replaces an existing file. Throws
// SpreadsheetError; the instance is ended on every path.
void writeNameListWorkbook(SpreadsheetApplication &app, const QString &path, const QStringList &names);

} // namespace lotdraw

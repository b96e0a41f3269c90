#pragma once

#include <QString>
#include <QStringList>

namespace lotdraw {

class SpreadsheetApplication;

// Writes a new name-list workbook at `path` through a fresh instance of `app`: the title and the
// column headings in rows 1 and 2, the names from row 3 of column A down. Never replaces an
// existing file. Throws SpreadsheetError; the instance is ended on every path.
void writeNameListWorkbook(SpreadsheetApplication &app, const QString &path, const QStringList &names);

} // namespace lotdraw

#include "namelist/name_list_workbook.h"

#include "namelist/name_list_layout.h"
#include "spreadsheet/spreadsheet.h"

namespace lotdraw {

void writeNameListWorkbook(SpreadsheetApplication &app, const QString &path, const QStringList &names) {
    using Layout = NameListLayout;
    const std::unique_ptr<SpreadsheetInstance> instance = app.create(CancellationToken());
    instance->newWorkbook(path);
    // Column A holds the title over its heading and the names; every other column its heading.
    const QStringList headings = Layout::columnHeadings();
    const QStringList poolColumn = QStringList{Layout::title(), headings.constFirst()} + names;
    instance->writeColumn(Layout::kPoolColumn, Layout::kTitleRow, poolColumn, static_cast<int>(poolColumn.size()));
    for (int index = 1; index < headings.size(); ++index) {
        instance->writeColumn(Layout::kPoolColumn + index, Layout::kHeadingRow, {headings.at(index)}, 1);
    }
    instance->save();
    instance->close();
}

} // namespace lotdraw

#include "namelist/name_list_workbook.h"

#include "namelist/name_list_layout.h"
#include "spreadsheet/spreadsheet.h"

namespace lotdraw {

void writeNameListWorkbook(SpreadsheetApplication &app, const QString &path, const QStringList &names) {
    using Layout = NameListLayout;
    const std::unique_ptr<SpreadsheetInstance> instance = app.create();
    instance->newWorkbook(path);
    instance->setCell(Layout::kTitleRow, Layout::kPoolColumn, Layout::title());
    const QStringList headings = Layout::columnHeadings();
    for (int index = 0; index < headings.size(); ++index) {
        instance->setCell(Layout::kHeadingRow, Layout::kPoolColumn + index, headings.at(index));
    }
    for (int index = 0; index < names.size(); ++index) {
        instance->setCell(Layout::kFirstRow + index, Layout::kPoolColumn, names.at(index));
    }
    instance->saveActiveWorkbook();
    instance->quit();
    instance->closeWorkbooks();
}

} // namespace lotdraw

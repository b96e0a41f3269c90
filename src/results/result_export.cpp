#include "results/result_export.h"

#include "namelist/name_list_layout.h"
#include "namelist/spreadsheet_task.h"

#include <QStringList>
#include <stdexcept>

namespace lotdraw {

void ResultExport::exportList(int resultList) {
    if (resultList < 1 || resultList > EventSnapshot::kResultLists) {
        throw std::out_of_range("no result list to export at this index");
    }
    using Layout = NameListLayout;
    const int column = Layout::resultColumn(resultList);

    // The lines to write, taken before the spreadsheet work starts.
    QStringList lines;
    const QStringList &list = m_deps.event.results(resultList);
    for (int i = 0; i < Layout::kResultRows; ++i) {
        QString text = list.value(i);
        if (text.isEmpty()) {
            break;
        }
        lines.append(std::move(text));
    }

    const bool done = runSpreadsheetTask(m_deps.controls, m_deps.messages, [&](const CancellationToken &cancel) {
        const std::unique_ptr<SpreadsheetInstance> instance = m_deps.spreadsheet.create(cancel);
        instance->openWorkbook(m_deps.workbookPath);
        // Every row of the column's range: the lines, then empty cells.
        instance->writeColumn(column, Layout::kFirstRow, lines, Layout::kResultRows);
        instance->save();
        // The workbook is saved: ending the instance does not hold the window.
        instance->close();
    });
    if (done) {
        m_deps.controls.setExportNoticeVisible(true);
    }
}

void ResultExport::dismissNotice() {
    m_deps.controls.setExportNoticeVisible(false);
}

} // namespace lotdraw

#include "namelist/workbook_commands.h"

#include "namelist/name_list_layout.h"
#include "namelist/spreadsheet_task.h"
#include "state/draw_state_procedures.h"

namespace lotdraw {

bool WorkbookCommands::refuseWhileRunning() {
    if (!m_deps.spreadsheet.isRunning()) {
        return false;
    }
    m_deps.messages.show(QString::fromUtf16(kSpreadsheetRunningMessage));
    return true;
}

void WorkbookCommands::importPool() {
    if (refuseWhileRunning()) {
        return;
    }
    runSpreadsheetTask(m_deps.controls, m_deps.messages, [this](const CancellationToken &cancel) {
        DrawStateProcedures(m_deps.state, m_deps.event, m_deps.controls).resetForNewSeries();

        const std::unique_ptr<SpreadsheetInstance> instance = m_deps.spreadsheet.create(cancel);
        instance->openWorkbook(m_deps.workbookPath);

        // The whole column first: a failure half-way must not leave the event's pool partly the
        // workbook's.
        m_deps.event.setPool(
            instance->readColumn(NameListLayout::kPoolColumn, NameListLayout::kFirstRow, NameListLayout::kPoolRows));

        // The operator has the result: ending the instance does not hold the window.
        instance->close();
    });
}

void WorkbookCommands::openForEditing() {
    if (refuseWhileRunning()) {
        return;
    }
    runSpreadsheetTask(m_deps.controls, m_deps.messages, [this](const CancellationToken &cancel) {
        const std::unique_ptr<SpreadsheetInstance> instance = m_deps.spreadsheet.create(cancel);
        instance->openWorkbook(m_deps.workbookPath);
        instance->showToUser();
    });
}

} // namespace lotdraw

#include "namelist/workbook_commands.h"

#include "namelist/name_list_layout.h"
#include "namelist/spreadsheet_task.h"
#include "state/draw_state_procedures.h"

#include <array>

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
    runSpreadsheetTask(m_deps.controls, m_deps.messages, [this] {
        DrawStateProcedures(m_deps.state, m_deps.event, m_deps.controls).resetForNewSeries();

        const std::unique_ptr<SpreadsheetInstance> instance = m_deps.spreadsheet.create();
        instance->openWorkbook(m_deps.workbookPath);

        // Read into a pool of our own first: a failure half-way must not leave the event's pool
        // partly the workbook's.
        std::array<QString, NameListLayout::kPoolRows> names;
        int count = 0;
        for (int row = NameListLayout::kFirstRow; row <= NameListLayout::kPoolLastRow; ++row) {
            QString text = instance->cell(row, NameListLayout::kPoolColumn);
            if (text.isEmpty()) {
                break;
            }
            names[static_cast<std::size_t>(count)] = std::move(text);
            ++count;
        }

        m_deps.event.setPool(QStringList(names.begin(), names.begin() + count));

        instance->quit();
        instance->closeWorkbooks();
    });
}

void WorkbookCommands::openForEditing() {
    if (refuseWhileRunning()) {
        return;
    }
    runSpreadsheetTask(m_deps.controls, m_deps.messages, [this] {
        const std::unique_ptr<SpreadsheetInstance> instance = m_deps.spreadsheet.create();
        instance->openWorkbook(m_deps.workbookPath);
        instance->setVisible(true);
    });
}

} // namespace lotdraw

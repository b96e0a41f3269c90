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
        DrawStateProcedures procedures(m_deps.state, m_deps.controls);
        procedures.resetForNewSeries();

        const std::unique_ptr<SpreadsheetInstance> instance = m_deps.spreadsheet.create();
        instance->openWorkbook(m_deps.workbookPath);

        // Read into a pool of our own first: a failure half-way must not leave poolNames partly
        // overwritten while the pool list and its count still show the old pool, or a draw would
        // pick names nobody can see.
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

        // Slots after the last name keep what they held; they lie outside the pool.
        for (int i = 0; i < count; ++i) {
            m_deps.state.poolNames[static_cast<std::size_t>(i) + 1] = names[static_cast<std::size_t>(i)];
        }
        m_deps.state.poolCount = toInt16(count);
        procedures.refillPoolList();
        m_deps.controls.setPoolCountText(DrawStateProcedures::poolCountText(count));

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

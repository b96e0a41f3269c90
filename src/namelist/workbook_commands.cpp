#include "namelist/workbook_commands.h"

#include "namelist/name_list_layout.h"
#include "namelist/spreadsheet_task.h"
#include "state/draw_state_procedures.h"

#include <algorithm>

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
        DrawStateProcedures procedures(m_deps.state, m_deps.controls);
        procedures.resetForNewSeries();

        const std::unique_ptr<SpreadsheetInstance> instance = m_deps.spreadsheet.create(cancel);
        instance->openWorkbook(m_deps.workbookPath);

        // The whole column first: a failure half-way must not leave poolNames partly overwritten
        // while the pool list and its count still show the old pool, or a draw would pick names
        // nobody can see.
        const QStringList names =
            instance->readColumn(NameListLayout::kPoolColumn, NameListLayout::kFirstRow, NameListLayout::kPoolRows);
        const int count = static_cast<int>(std::min<qsizetype>(names.size(), NameListLayout::kPoolRows));

        // Slots after the last name keep what they held; they lie outside the pool.
        for (int i = 0; i < count; ++i) {
            m_deps.state.poolNames[static_cast<std::size_t>(i) + 1] = names.at(i);
        }
        m_deps.state.poolCount = toInt16(count);
        procedures.refillPoolList();
        m_deps.controls.setPoolCountText(DrawStateProcedures::poolCountText(count));

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

#pragma once

#include "event/event_model.h"
#include "spreadsheet/spreadsheet.h"
#include "state/draw_state.h"
#include "state/form_controls.h"
#include "state/messages.h"

#include <QString>

namespace lotdraw {

// Shown when the import or the edit command finds the spreadsheet application already running.
inline constexpr char16_t kSpreadsheetRunningMessage[] = u"系统检测到已打开EXCEL文档，需要关闭EXCEL文档才能运行！";

// The two commands that open the name-list workbook for their own use: the pool import behind
// "确定" and the open-for-editing behind "打开EXCEL". Both refuse while the spreadsheet application
// runs, since the user may be editing the workbook there.
class WorkbookCommands final {
public:
    struct Dependencies {
        DrawState &state;
        FormControls &controls;
        Messages &messages;
        SpreadsheetApplication &spreadsheet;
        QString workbookPath;
        EventModel &event; // where the import puts the pool
    };

    explicit WorkbookCommands(Dependencies dependencies)
        : m_deps(std::move(dependencies)) {}

    // "确定": resets the draw for a new series, then reads column A from row 3 down to the first
    // empty cell into the event's pool. The pool changes only once every row has been read; a
    // failure before that leaves the old pool.
    void importPool();

    // "打开EXCEL": opens the workbook in a visible window that belongs to the user from then on.
    // Nothing of the program changes.
    void openForEditing();

private:
    // The probe: true (and the operator told) when the spreadsheet application already runs.
    [[nodiscard]] bool refuseWhileRunning();

    Dependencies m_deps;
};

} // namespace lotdraw

#pragma once

#include "event/event_model.h"
#include "spreadsheet/spreadsheet.h"
#include "state/form_controls.h"
#include "state/messages.h"

#include <QString>

namespace lotdraw {

// The export of a result list into its own column of the name-list workbook, and the notice
// "导出到EXCEL结束！" that confirms it.
class ResultExport final {
public:
    struct Dependencies {
        FormControls &controls;
        Messages &messages;
        SpreadsheetApplication &spreadsheet;
        QString workbookPath;
        const EventModel &event; // where the export takes its lines
    };

    explicit ResultExport(Dependencies dependencies)
        : m_deps(std::move(dependencies)) {}

    // "导出" under result list 1..4: writes the list into its own column (result list 1 into column
    // B, up to 4 into E), rows 3..102: every row cleared first, then the list's lines up to the
    // first empty one. Saves, ends the instance and shows the notice. No probe: an office that runs
    // with other documents does not hold it back. A failure is reported and leaves the notice as
    // it was.
    void exportList(int resultList);
    // A click on the notice hides it.
    void dismissNotice();

private:
    Dependencies m_deps;
};

} // namespace lotdraw

#pragma once

#include "app/form_event_view.h"
#include "app/form_widgets.h"
#include "app/key_router.h"
#include "app/record_print.h"
#include "app/stage_presenter.h"
#include "app/window_form_controls.h"
#include "draw/draw_control.h"
#include "draw/random_generator.h"
#include "draw/selection_pass.h"
#include "event/event_model.h"
#include "namelist/workbook_commands.h"
#include "progress/spreadsheet_progress.h"
#include "results/enlarged_view.h"
#include "results/result_export.h"
#include "spreadsheet/spreadsheet.h"
#include "spreadsheet/waiting_spreadsheet.h"
#include "state/draw_state.h"
#include "state/messages.h"

#include <QDateTime>
#include <QFileInfo>
#include <QWidget>
#include <functional>

class QAction;

namespace lotdraw {

// The program's one window: a fixed form whose controls keep the places and fonts they were laid
// out with (places in twips, 15 twips to a logical pixel). For a projector it also shows full screen,
// the whole form scaled up to fit, and opens a stage for the hall in a window of its own.
//
// It composes parts with one job each: the form's widgets (FormWidgets), the event's view on them
// (FormEventView), the controls as the handlers' logic drives them (WindowFormControls), the stage
// (StagePresenter) and the keys (KeyRouter). Each user action enters through one of the handlers
// below; the logic behind them works on the event, the draw state and FormControls.
class MainWindow final : public QWidget {
    Q_OBJECT

public:
    struct Dependencies {
        Messages &messages;
        SpreadsheetApplication &spreadsheet;
        QString workbookPath; // the name-list workbook
        // The random source of the selection passes; by default one seeded from the system's
        // entropy and reseeded from the wall clock.
        RandomGenerator &random = systemRandomGenerator();
        // The time of day, which dates the record and times its draws.
        std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
    };

    explicit MainWindow(Dependencies dependencies, QWidget *parent = nullptr);
    ~MainWindow() override;
    Q_DISABLE_COPY_MOVE(MainWindow)

    // What the event has produced, which the form and the stage show.
    [[nodiscard]] EventModel &event() { return m_event; }
    [[nodiscard]] FormControls &controls() { return m_controls; }

    // The window's event handlers, one for each thing the operator can do.
    void onImportClicked();
    void onEditClicked();
    void onDrawCountChanged();
    void onStartClicked();
    void onStopClicked();
    void onRollTick();
    // `list` 0 is the pool list, 1..4 the result lists.
    void onViewClicked(int list);
    // `resultList` 1..4.
    void onExportClicked(int resultList);
    void onCloseViewClicked();
    void onExportNoticeClicked();
    // Ctrl+P, or "打印抽签记录…" in the results frame's context menu.
    void onPrintRecordClicked();

    // The stage for the hall; see StagePresenter.
    void setStageShown(bool shown) { m_stage.setShown(shown); }
    [[nodiscard]] QWidget *operatorWindow() const { return m_stage.operatorWindow(); }
    // The whole form, fonts included, scaled to fill the screen; or the normal fixed window.
    // Nothing of the draw changes: a rolling draw keeps rolling.
    void setFullScreen(bool on);

signals:
    void operatorWindowChanged();

protected:
    // The form scales to whatever size the window gets: 882 x 448 in the normal window, the screen
    // in full screen.
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void startUp();
    void connectHandlers();
    void addPrintMenu();
    void showResultsMenu(QPoint at);
    void centreOnScreen();

    Dependencies m_deps;
    EventModel m_event{{m_deps.clock, QFileInfo(m_deps.workbookPath).fileName()}};
    DrawState m_state;
    FormWidgets m_widgets{*this};
    // The commands reach the office through the progress window's waiter; an office that fails
    // only as it ends, after its command, is told of then.
    SpreadsheetProgress m_spreadsheetProgress{this};
    WaitingSpreadsheetApplication m_spreadsheet{m_deps.spreadsheet, m_spreadsheetProgress,
                                                [this](const QString &message) { m_deps.messages.show(message); }};
    WindowFormControls m_controls{*this, m_widgets, m_spreadsheetProgress};
    FormEventView m_eventView{m_event, m_widgets};
    SelectionPass m_pass{m_state, m_event, m_controls, m_deps.messages, m_deps.random};
    DrawControl m_drawControl{m_state, m_event, m_controls, m_deps.messages, m_pass};
    WorkbookCommands m_workbookCommands{
        {m_state, m_controls, m_deps.messages, m_spreadsheet, m_deps.workbookPath, m_event}};
    EnlargedView m_enlargedView{m_event, m_controls};
    ResultExport m_resultExport{{m_controls, m_deps.messages, m_spreadsheet, m_deps.workbookPath, m_event}};
    StagePresenter m_stage{*this, m_widgets, m_event, m_controls};
    RecordPrint m_recordPrint{m_event, m_deps.messages};
    KeyRouter m_keys{{*this, m_widgets, m_controls, m_stage, m_spreadsheetProgress}};
    QAction *m_printAction = nullptr; // "打印抽签记录…", owned by the window
    QRect m_normalGeometry;
};

} // namespace lotdraw

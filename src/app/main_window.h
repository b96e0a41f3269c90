#pragma once

#include "app/form_layout.h"
#include "app/form_scale.h"
#include "app/list_widget_lines.h"
#include "app/presentation_keys.h"
#include "app/stage_layout.h"
#include "app/stage_model.h"
#include "draw/draw_control.h"
#include "draw/random_generator.h"
#include "draw/selection_pass.h"
#include "namelist/workbook_commands.h"
#include "progress/spreadsheet_progress.h"
#include "results/enlarged_view.h"
#include "results/result_export.h"
#include "spreadsheet/spreadsheet.h"
#include "spreadsheet/waiting_spreadsheet.h"
#include "state/draw_state.h"
#include "state/draw_state_procedures.h"
#include "state/form_controls.h"
#include "state/messages.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <optional>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace lotdraw {

class StageWindow;

// The program's one window: a fixed form whose controls keep the places and fonts they were laid
// out with (places in twips, 15 twips to a logical pixel). For a projector it also shows full screen,
// the whole form scaled up to fit, and opens a stage for the hall in a window of its own. Each user
// action enters through one of the handlers below; the logic behind them works on the draw state and
// on FormControls.
class MainWindow final
    : public QWidget
    , public FormControls {
    Q_OBJECT

public:
    struct Dependencies {
        Messages &messages;
        SpreadsheetApplication &spreadsheet;
        QString workbookPath; // the name-list workbook
        // The random source of the selection passes; by default one seeded from the system's
        // entropy and reseeded from the wall clock.
        RandomGenerator &random = systemRandomGenerator();
    };

    explicit MainWindow(Dependencies dependencies, QWidget *parent = nullptr);
    ~MainWindow() override;
    Q_DISABLE_COPY_MOVE(MainWindow)

    [[nodiscard]] DrawState &drawState() { return m_state; }
    [[nodiscard]] const DrawState &drawState() const { return m_state; }

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

    // The stage: the rolling name and the latest result, large, for the hall. With more than one
    // screen it covers one that does not hold this window, which stays where it is; with one it
    // covers that. It shows what the form shows and changes nothing.
    void setStageShown(bool shown);
    [[nodiscard]] bool isStageShown() const;
    // The window the operator works in, over which messages belong: the stage where it covers
    // this window's screen, otherwise this window.
    [[nodiscard]] QWidget *operatorWindow();

    // The procedures on the whole draw state.
    void resetForNewSeries() { m_procedures.resetForNewSeries(); }
    void refillPoolList() { m_procedures.refillPoolList(); }
    void runSelectionPass() { static_cast<void>(m_pass.runSelectionPass()); }

    // FormControls
    [[nodiscard]] QString numberText() const override;
    void setNumberText(const QString &text) override;
    [[nodiscard]] bool isKeepChosen() const override;
    [[nodiscard]] bool isRemoveChosen() const override;
    void setKeepChosen(bool chosen) override;
    void setRemoveChosen(bool chosen) override;
    void setStartVisible(bool visible) override;
    void setStopVisible(bool visible) override;
    void focusStart() override;
    void focusStop() override;
    [[nodiscard]] int timerInterval() const override;
    void setTimerInterval(int milliseconds) override;
    void setRollingText(const QString &text) override;
    [[nodiscard]] ListLines &list(int index) override;
    void setHeading(int index, const QString &text) override;
    void setResultHighlighted(int index, bool on) override;
    void setPoolCountText(const QString &text) override;
    [[nodiscard]] ListLines &enlargedList() override;
    void setEnlargedListVisible(bool visible) override;
    void setEnlargedCloseVisible(bool visible) override;
    void setExportNoticeVisible(bool visible) override;
    void setBusy(bool busy) override;

    // The back colour of a result list that received the latest stop (red 255, green 192, blue 255).
    static const QColor kHighlightColour;

signals:
    void operatorWindowChanged();

protected:
    // F5, F11 and Esc, a presenter remote's Page Down and Page Up, and Enter on a focused button,
    // whichever control has the focus.
    bool eventFilter(QObject *watched, QEvent *event) override;
    // The form scales to whatever size the window gets: 882 x 448 in the normal window, the screen
    // in full screen.
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void startUp();
    void buildControls();
    void buildEnlargedView();
    void buildDisplayFrame();
    void buildSettingsFrame();
    void buildPoolSourceFrame();
    void buildResultsFrame();
    void applyStackingOrder();
    void applyTabOrder();
    void connectHandlers();
    void setOptionChosen(QRadioButton *option, bool chosen);
    void centreOnScreen();
    void applyScale(const FormScale &scale);
    [[nodiscard]] QString scaledSkin(const FormScale &scale) const;
    // The whole form, fonts included, scaled to fill the screen; or the normal fixed window.
    // Nothing of the draw changes: a rolling draw keeps rolling.
    void setFullScreen(bool on);
    // A click on whichever of "开始" and "结束" shows; nothing where the operator could not click it.
    void pressStartOrStop();
    // Enter on a button presses it, as Space does; on any other control Enter keeps its own meaning.
    [[nodiscard]] static bool pressFocusedButton(QWidget *target);
    // Three columns of the enlarged list fill its width exactly, so that no scroll bar shows while
    // every line fits.
    void fitEnlargedColumns();
    // While the enlarged view is open the controls under it take neither the focus nor a key: Tab
    // goes between the list and "关闭" only. Closing it gives the focus back where it was.
    void setCoveredControlsEnabled(bool enabled);
    // Gives `widget` the focus back if the operator could still reach it.
    void restoreFocus(QWidget *widget);
    void runPresentationCommand(PresentationCommand command);
    // Neither a message nor the office's work holds the window.
    [[nodiscard]] bool takesKeys() const;
    void buildStage();
    // Shows the stage on the screen it belongs on.
    void placeStage();
    // Puts the stage on its screen again, as screens come and go or this window moves.
    void followScreens();
    // Brings the stage up to date with the form once the handler at work has ended.
    void followOnStage();
    void refreshStage();
    [[nodiscard]] StageLook stageLook() const;
    [[nodiscard]] QListWidget *listWidget(int index) const;

    Dependencies m_deps;
    DrawState m_state;
    DrawStateProcedures m_procedures{m_state, *this};
    SelectionPass m_pass{m_state, *this, m_deps.messages, m_deps.random};
    DrawControl m_drawControl{m_state, *this, m_deps.messages, m_pass, m_procedures};
    // The commands reach the office through the progress window's waiter; an office that fails
    // only as it ends, after its command, is told of then.
    SpreadsheetProgress m_spreadsheetProgress{this};
    WaitingSpreadsheetApplication m_spreadsheet{m_deps.spreadsheet, m_spreadsheetProgress,
                                                [this](const QString &message) { m_deps.messages.show(message); }};
    WorkbookCommands m_workbookCommands{{m_state, *this, m_deps.messages, m_spreadsheet, m_deps.workbookPath}};
    EnlargedView m_enlargedView{*this};
    ResultExport m_resultExport{{*this, m_deps.messages, m_spreadsheet, m_deps.workbookPath}};

    QTimer *m_rollTimer = nullptr;
    QPushButton *m_closeViewButton = nullptr;
    QListWidget *m_enlargedList = nullptr;
    QGroupBox *m_displayFrame = nullptr;
    QLabel *m_rollingDisplay = nullptr;
    QGroupBox *m_settingsFrame = nullptr;
    QPushButton *m_startButton = nullptr;
    QRadioButton *m_removeOption = nullptr;
    QRadioButton *m_keepOption = nullptr;
    QButtonGroup *m_keepChoice = nullptr;
    QPushButton *m_stopButton = nullptr;
    QLineEdit *m_drawCountBox = nullptr;
    QLabel *m_drawCountUnitLabel = nullptr; // beside the number box, kept empty
    QLabel *m_drawCountLabel = nullptr;
    QLabel *m_keepChoiceLabel = nullptr;
    QGroupBox *m_poolSourceFrame = nullptr;
    QPushButton *m_editButton = nullptr;
    QPushButton *m_importButton = nullptr;
    QLabel *m_editLabel = nullptr;
    QLabel *m_importLabel = nullptr;
    QGroupBox *m_resultsFrame = nullptr;
    QPushButton *m_exportNotice = nullptr;
    std::array<QPushButton *, 5> m_exportButtons{}; // result lists 1..4; [0] unused
    std::array<QPushButton *, 5> m_viewButtons{};   // [0] the pool list's, 1..4 the result lists'
    std::array<QListWidget *, 5> m_lists{};         // [0] the pool list, 1..4 the result lists
    QLabel *m_poolCountLabel = nullptr;
    std::array<QLabel *, 5> m_headings{}; // over the lists, same indices

    StageModel m_stageModel;
    StageWindow *m_stage = nullptr;
    QTimer *m_stageRefresh = nullptr;

    struct PlacedControl {
        QWidget *widget;
        const ControlPlace *place;
    };
    std::vector<PlacedControl> m_placedControls;
    FormScale m_scale;
    QRect m_normalGeometry;
    // Where the focus was when the enlarged view or the export notice opened, to go back there.
    QPointer<QWidget> m_focusBeforeView;
    QPointer<QWidget> m_focusBeforeNotice;

    std::vector<ListWidgetLines> m_listLines;
    std::optional<ListWidgetLines> m_enlargedLines;
};

} // namespace lotdraw

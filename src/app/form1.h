#pragma once

#include "app/list_widget_lines.h"
#include "draw/draw_control.h"
#include "draw/random_generator.h"
#include "draw/selection_pass.h"
#include "results/enlarged_view.h"
#include "results/result_export.h"
#include "state/draw_state.h"
#include "state/draw_state_procedures.h"
#include "state/form_controls.h"
#include "state/messages.h"
#include "workbook/spreadsheet.h"
#include "workbook/workbook_commands.h"

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

// The program's one window: a fixed form whose controls keep the names, places and fonts they were
// laid out with (places in twips, 15 twips to a logical pixel). Each user action enters through one
// of the handlers below; the logic behind them works on the draw state and on FormControls.
class Form1 final
    : public QWidget
    , public FormControls {
    Q_OBJECT

public:
    static constexpr int kTwipsPerPixel = 15;
    static constexpr int kClientWidthTwips = 13230;
    static constexpr int kClientHeightTwips = 6720;

    struct Dependencies {
        Messages &messages;
        SpreadsheetApplication &spreadsheet;
        QString workbookPath; // the name-list workbook
        // The random source of the selection passes; by default one seeded from the system's
        // entropy and reseeded from the wall clock.
        RandomGenerator &random = systemRandomGenerator();
    };

    explicit Form1(Dependencies dependencies, QWidget *parent = nullptr);
    ~Form1() override;
    Q_DISABLE_COPY_MOVE(Form1)

    [[nodiscard]] DrawState &drawState() { return m_state; }
    [[nodiscard]] const DrawState &drawState() const { return m_state; }

    // The window's event handlers. A handler of a control array receives the element's index.
    void Form_Load();
    void Command1_Click(int index);
    void Command6_Click(int index);
    void Text1_Change();
    void Command3_Click(int index);
    void Timer1_Timer();
    void Command2_Click(int index);
    void Command5_Click(int index);
    void Command4_Click(int index);

    // The form-level procedures.
    void 数据环境还原() { m_procedures.数据环境还原(); }
    void 导入被抽名单() { m_procedures.导入被抽名单(); }
    void 抽签函数() { static_cast<void>(m_pass.抽签函数()); }

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

private:
    void buildControls();
    void applyStackingOrder();
    void applyTabOrder();
    void connectHandlers();
    void setOptionChosen(QRadioButton *option, bool chosen);
    void centreOnScreen();
    [[nodiscard]] QListWidget *list1(int index) const;

    Dependencies m_deps;
    DrawState m_state;
    DrawStateProcedures m_procedures{m_state, *this};
    SelectionPass m_pass{m_state, *this, m_deps.messages, m_deps.random};
    DrawControl m_drawControl{m_state, *this, m_deps.messages, m_pass, m_procedures};
    WorkbookCommands m_workbookCommands{{m_state, *this, m_deps.messages, m_deps.spreadsheet, m_deps.workbookPath}};
    EnlargedView m_enlargedView{*this};
    ResultExport m_resultExport{{*this, m_deps.messages, m_deps.spreadsheet, m_deps.workbookPath}};

    QTimer *m_timer1 = nullptr;
    QPushButton *m_command5 = nullptr;
    QListWidget *m_list2 = nullptr;
    QGroupBox *m_frame4 = nullptr;
    QLabel *m_label2 = nullptr;
    QGroupBox *m_frame3 = nullptr;
    std::array<QPushButton *, 2> m_command3{};
    std::array<QRadioButton *, 2> m_option1{};
    QButtonGroup *m_keepGroup = nullptr;
    QLineEdit *m_text1 = nullptr;
    QGroupBox *m_frame2 = nullptr;
    QPushButton *m_command6 = nullptr;
    QPushButton *m_command1 = nullptr;
    QLabel *m_label5 = nullptr;
    QLabel *m_label4 = nullptr;
    QGroupBox *m_frame1 = nullptr;
    QPushButton *m_command4 = nullptr;
    std::array<QPushButton *, 9> m_command2{};
    std::array<QListWidget *, 5> m_list1{};
    QLabel *m_label3 = nullptr;
    std::array<QLabel *, 10> m_label1{}; // indices 0..4, 7, 8, 9 exist

    std::vector<ListWidgetLines> m_list1Lines;
    std::optional<ListWidgetLines> m_list2Lines;
    int m_busyDepth = 0;
};

} // namespace lotdraw

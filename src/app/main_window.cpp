#include "app/main_window.h"

#include "app/form_layout.h"
#include "app/message_box_messages.h"
#include "app/presentation_keys.h"
#include "app/stage_window.h"
#include "build_info.h"
#include "skin/fonts.h"
#include "skin/skin.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>

// The icon lives in this static library; its resources must be registered by hand.
static void initAppResources() {
    Q_INIT_RESOURCE(lotdraw);
}

namespace lotdraw {
namespace {

// Each control gets its place and font from the layout table, once all are built.
template<typename Widget>
Widget *named(Widget *widget, const char *name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption) {
    auto *widget = named(new QPushButton(caption, parent), name);
    widget->setAutoDefault(false);
    return widget;
}

QLabel *label(QWidget *parent, const char *name, const QString &caption, Qt::Alignment alignment) {
    auto *widget = named(new QLabel(caption, parent), name);
    widget->setAlignment(alignment);
    widget->setWordWrap(true);
    return widget;
}

QGroupBox *frame(QWidget *parent, const char *name, const QString &caption) {
    return named(new QGroupBox(caption, parent), name);
}

QListWidget *listBox(QWidget *parent, const char *name) {
    auto *widget = named(new QListWidget(parent), name);
    widget->setUniformItemSizes(true);
    return widget;
}

// Earlier entries lie in front of later ones.
void stackFrontToBack(std::initializer_list<QWidget *> frontToBack) {
    for (auto it = std::rbegin(frontToBack); it != std::rend(frontToBack); ++it) {
        (*it)->raise();
    }
}

constexpr Qt::Alignment kCentred = Qt::AlignCenter;
constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;

} // namespace

const QColor MainWindow::kHighlightColour{255, 192, 255};

MainWindow::MainWindow(Dependencies dependencies, QWidget *parent)
    : QWidget(parent)
    , m_deps(dependencies) {
    initAppResources();
    installFontSubstitutes();
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QString::fromUtf16(build_info::kProgramName) + u'V' + QLatin1StringView(build_info::kShortVersion));
    setWindowIcon(QIcon(QStringLiteral(":/app/icons/lotdraw.png")));
    setFixedSize(kFormPixels);

    buildControls();
    applyStackingOrder();
    applyTabOrder();
    connectHandlers();
    buildStage();
    centreOnScreen();
    startUp();
    // The full-screen keys and the remote's keys must reach the window whichever control has the
    // focus: a list would take Page Down for itself.
    QCoreApplication::instance()->installEventFilter(this);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildControls() {
    m_rollTimer = new QTimer(this);
    m_rollTimer->setObjectName(QStringLiteral("rollTimer"));
    buildEnlargedView();
    buildDisplayFrame();
    buildSettingsFrame();
    buildPoolSourceFrame();
    buildResultsFrame();

    m_listLines.reserve(m_lists.size());
    for (QListWidget *widget : m_lists) {
        m_listLines.emplace_back(*widget);
    }
    m_enlargedLines.emplace(*m_enlargedList);

    for (const ControlPlace &place : formLayout()) {
        auto *widget = findChild<QWidget *>(QString::fromLatin1(place.name));
        if (widget == nullptr) {
            qFatal("the layout places a control the window lacks: %s", place.name);
        }
        m_placedControls.push_back({widget, &place});
    }
    applyScale(m_scale);
}

void MainWindow::buildEnlargedView() {
    m_closeViewButton = button(this, "closeViewButton", QStringLiteral("关闭"));
    m_closeViewButton->hide();
    m_enlargedList = listBox(this, "enlargedList");
    // The enlarged list flows its lines in three side-by-side columns and scrolls sideways, so an
    // audience sees three times as many names at this size.
    m_enlargedList->setFlow(QListView::TopToBottom);
    m_enlargedList->setWrapping(true);
    m_enlargedList->setResizeMode(QListView::Adjust);
    // It takes the focus while open, so that Tab reaches "关闭" at once; keys walk through the names
    // without marking one, which the audience could take for a choice.
    m_enlargedList->setSelectionMode(QAbstractItemView::NoSelection);
    m_enlargedList->hide();
}

void MainWindow::buildDisplayFrame() {
    m_displayFrame = frame(this, "displayFrame", QStringLiteral("随机抽取显示窗口："));
    m_rollingDisplay = label(m_displayFrame, "rollingDisplay", QString(), kCentred);
    m_rollingDisplay->setWordWrap(false);
    // A name is shown as it is written, even one that looks like markup.
    m_rollingDisplay->setTextFormat(Qt::PlainText);
}

void MainWindow::buildSettingsFrame() {
    m_settingsFrame = frame(this, "settingsFrame", QStringLiteral("抽取设置："));
    m_startButton = button(m_settingsFrame, "startButton", QStringLiteral("开始"));
    m_removeOption = named(new QRadioButton(QStringLiteral("否"), m_settingsFrame), "removeOption");
    m_keepOption = named(new QRadioButton(QStringLiteral("是"), m_settingsFrame), "keepOption");
    m_keepChoice = new QButtonGroup(this);
    m_keepChoice->addButton(m_keepOption);
    m_keepChoice->addButton(m_removeOption);
    m_keepOption->setChecked(true);
    m_stopButton = button(m_settingsFrame, "stopButton", QStringLiteral("结束"));
    m_drawCountBox = named(new QLineEdit(m_settingsFrame), "drawCountBox");
    m_drawCountUnitLabel = label(m_settingsFrame, "drawCountUnitLabel", QString(), kLeft);
    m_drawCountLabel = label(m_settingsFrame, "drawCountLabel", QStringLiteral("抽取值："), kCentred);
    m_keepChoiceLabel = label(m_settingsFrame, "keepChoiceLabel", QStringLiteral("抽取后是否保留"), kCentred);
}

void MainWindow::buildPoolSourceFrame() {
    m_poolSourceFrame = frame(this, "poolSourceFrame", QStringLiteral("抽签对象设置："));
    m_editButton = button(m_poolSourceFrame, "editButton", QStringLiteral("打开EXCEL"));
    m_importButton = button(m_poolSourceFrame, "importButton", QStringLiteral("确定"));
    m_editLabel = label(m_poolSourceFrame, "editLabel", QStringLiteral("编辑抽签对象"), kLeft);
    m_importLabel = label(m_poolSourceFrame, "importLabel", QStringLiteral("导入抽签对象"), kLeft);
}

void MainWindow::buildResultsFrame() {
    m_resultsFrame = frame(this, "resultsFrame", QStringLiteral("抽签结果显示："));
    m_exportNotice = button(m_resultsFrame, "exportNotice", QStringLiteral("导出到EXCEL结束！"));
    m_exportNotice->hide();
    for (int i = FormControls::kLastResultList; i >= FormControls::kFirstResultList; --i) {
        m_exportButtons[static_cast<std::size_t>(i)] =
            button(m_resultsFrame, qPrintable(QStringLiteral("exportButton%1").arg(i)), QStringLiteral("导出"));
    }
    for (int i = FormControls::kLastResultList; i >= FormControls::kPoolList; --i) {
        const bool pool = i == FormControls::kPoolList;
        const QString name = pool ? QStringLiteral("poolViewButton") : QStringLiteral("viewButton%1").arg(i);
        m_viewButtons[static_cast<std::size_t>(i)] =
            button(m_resultsFrame, qPrintable(name), pool ? QStringLiteral("详情") : QStringLiteral("查看"));
    }
    for (int i = FormControls::kPoolList; i <= FormControls::kLastResultList; ++i) {
        const QString name =
            i == FormControls::kPoolList ? QStringLiteral("poolList") : QStringLiteral("resultList%1").arg(i);
        m_lists[static_cast<std::size_t>(i)] = listBox(m_resultsFrame, qPrintable(name));
    }
    m_poolCountLabel = label(m_resultsFrame, "poolCountLabel", QString(), kCentred);
    QPalette red = m_poolCountLabel->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    m_poolCountLabel->setPalette(red);
    m_poolCountLabel->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    for (int i = FormControls::kPoolList; i <= FormControls::kLastResultList; ++i) {
        const bool pool = i == FormControls::kPoolList;
        const QString name = pool ? QStringLiteral("poolHeading") : QStringLiteral("resultHeading%1").arg(i);
        const QString caption = pool ? QStringLiteral("被抽名单：") : DrawStateProcedures::headingFor(i);
        m_headings[static_cast<std::size_t>(i)] = label(m_resultsFrame, qPrintable(name), caption, kCentred);
    }
}

void MainWindow::applyStackingOrder() {
    stackFrontToBack(
        {m_closeViewButton, m_enlargedList, m_displayFrame, m_settingsFrame, m_poolSourceFrame, m_resultsFrame});
    stackFrontToBack({m_startButton, m_removeOption, m_keepOption, m_stopButton, m_drawCountBox, m_drawCountUnitLabel,
                      m_drawCountLabel, m_keepChoiceLabel});
    stackFrontToBack({m_editButton, m_importButton, m_editLabel, m_importLabel});
    stackFrontToBack({m_exportNotice,   m_exportButtons[4], m_exportButtons[3], m_exportButtons[2], m_exportButtons[1],
                      m_viewButtons[4], m_viewButtons[3],   m_viewButtons[2],   m_viewButtons[1],   m_viewButtons[0],
                      m_lists[0],       m_lists[1],         m_lists[2],         m_lists[3],         m_lists[4],
                      m_poolCountLabel, m_headings[0],      m_headings[1],      m_headings[2],      m_headings[3],
                      m_headings[4]});
}

void MainWindow::applyTabOrder() {
    // Frames and labels hold places in the order too but never take the focus; these are the
    // controls that can, first to last.
    const std::array<QWidget *, 24> order{
        m_lists[4],         m_lists[3],         m_lists[2],       m_lists[1],         m_lists[0],
        m_importButton,     m_drawCountBox,     m_viewButtons[0], m_viewButtons[1],   m_viewButtons[2],
        m_viewButtons[3],   m_viewButtons[4],   m_stopButton,     m_exportButtons[1], m_exportButtons[2],
        m_exportButtons[3], m_exportButtons[4], m_keepOption,     m_removeOption,     m_exportNotice,
        m_enlargedList,     m_closeViewButton,  m_startButton,    m_editButton};
    for (std::size_t i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

void MainWindow::connectHandlers() {
    connect(m_importButton, &QPushButton::clicked, this, &MainWindow::onImportClicked);
    connect(m_editButton, &QPushButton::clicked, this, &MainWindow::onEditClicked);
    connect(m_drawCountBox, &QLineEdit::textChanged, this, &MainWindow::onDrawCountChanged);
    connect(m_startButton, &QPushButton::clicked, this, &MainWindow::onStartClicked);
    connect(m_stopButton, &QPushButton::clicked, this, &MainWindow::onStopClicked);
    connect(m_rollTimer, &QTimer::timeout, this, &MainWindow::onRollTick);
    for (int i = FormControls::kPoolList; i <= FormControls::kLastResultList; ++i) {
        connect(m_viewButtons[static_cast<std::size_t>(i)], &QPushButton::clicked, this,
                [this, i] { onViewClicked(i); });
    }
    for (int i = FormControls::kFirstResultList; i <= FormControls::kLastResultList; ++i) {
        connect(m_exportButtons[static_cast<std::size_t>(i)], &QPushButton::clicked, this,
                [this, i] { onExportClicked(i); });
    }
    connect(m_closeViewButton, &QPushButton::clicked, this, &MainWindow::onCloseViewClicked);
    connect(m_exportNotice, &QPushButton::clicked, this, &MainWindow::onExportNoticeClicked);
}

void MainWindow::centreOnScreen() {
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void MainWindow::applyScale(const FormScale &scale) {
    m_scale = scale;
    // On the controls, not on the window, so that a message box over the window keeps the normal
    // skin; and before the fonts: a new sheet polishes the controls afresh, fonts included.
    const QString sheet = scaledSkin(scale);
    for (const auto &[widget, place] : m_placedControls) {
        if (widget->parentWidget() == this) {
            widget->setStyleSheet(sheet);
        }
    }
    for (const auto &[widget, place] : m_placedControls) {
        QRect geometry = scale.pixels(place->twips);
        if (widget->parentWidget() == this) {
            geometry.translate(scale.origin());
        }
        widget->setGeometry(geometry);
        widget->setFont(withRealBoldWhenLarge(place->font(scale.factor()), widget->logicalDpiY()));
    }
    fitEnlargedColumns();
}

void MainWindow::fitEnlargedColumns() {
    // A column a third of the room inside the frame, rounded down: three columns fit exactly, and a
    // fourth would peek in by two pixels at most, too few to show any of its text.
    const int room = m_enlargedList->width() - 2 * m_enlargedList->frameWidth();
    m_enlargedList->setGridSize(QSize(room / 3, QFontMetrics(m_enlargedList->font()).height() + m_scale.length(4)));
}

QString MainWindow::scaledSkin(const FormScale &scale) const {
    // The skin's borders, corners and frame-title margins grow with the controls. The normal window
    // leaves the skin's own sheet alone.
    const auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (scale == FormScale() || app == nullptr || app->styleSheet().isEmpty()) {
        return {};
    }
    // The option buttons' round indicator has a size of the style's own (asked without a widget,
    // so no sheet answers); named here in pixels of the normal window, it grows too.
    const QString indicator =
        QStringLiteral("\nQRadioButton { spacing: %1px; }\nQRadioButton::indicator { width: %2px; height: %2px; }\n")
            .arg(style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing))
            .arg(style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth));
    return scale.styleSheet(app->styleSheet() + indicator);
}

void MainWindow::setFullScreen(bool on) {
    if (on == isFullScreen()) {
        return;
    }
    if (on) {
        m_normalGeometry = geometry();
        // A fixed size would keep the window manager from giving the window the whole screen.
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        showFullScreen();
    } else {
        showNormal(); // changeEvent() puts the normal window back
    }
}

void MainWindow::pressStartOrStop() {
    // Only where the operator could click the button: not under the enlarged view, not while the
    // office works, not behind a message box.
    if (m_enlargedList->isVisible() || m_spreadsheetProgress.isBusy() || QApplication::activeModalWidget() != nullptr) {
        return;
    }
    if (m_startButton->isVisible()) {
        m_startButton->click();
    } else if (m_stopButton->isVisible()) {
        m_stopButton->click();
    }
}

void MainWindow::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    // Whenever the size comes: a window manager may give the full screen late, or not at all.
    if (const FormScale scale = FormScale::fitting(size()); scale != m_scale) {
        applyScale(scale);
    }
}

void MainWindow::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !isFullScreen() && minimumSize() != maximumSize()) {
        // Out of full screen, by our key or by the window manager: the fixed normal window again, at
        // the place it had (centred, as it opened, unless the operator moved it). The place is that
        // of the window's inside: its frame is still missing at this point.
        setFixedSize(kFormPixels);
        setGeometry(QRect(m_normalGeometry.topLeft(), kFormPixels));
    }
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) {
        return false;
    }
    // Keys for a control of this window or for the stage; a message box is a window of its own and
    // keeps its keys.
    auto *target = static_cast<QWidget *>(watched);
    const bool forStage = target->window() == m_stage;
    if (target != this && !isAncestorOf(target) && !forStage) {
        return false;
    }
    const auto *key = static_cast<QKeyEvent *>(event);
    const KeyContext context{.fullScreen = isFullScreen(),
                             .stageShown = isStageShown(),
                             .enlargedViewOpen = m_enlargedList->isVisible(),
                             .exportNoticeFocused = target == m_exportNotice};
    const PresentationCommand command =
        presentationCommandFor(key->key(), key->modifiers(), key->isAutoRepeat(), context);
    if (command == PresentationCommand::None) {
        return false;
    }
    if (command == PresentationCommand::PressFocusedButton) {
        return !forStage && pressFocusedButton(target);
    }
    // The office's work and a message hold the form's keys back; the stage's are held back alike.
    if (!forStage || takesKeys()) {
        runPresentationCommand(command);
    }
    return true;
}

void MainWindow::runPresentationCommand(PresentationCommand command) {
    switch (command) {
        case PresentationCommand::None:
            break;
        case PresentationCommand::ToggleFullScreen:
            setFullScreen(!isFullScreen());
            break;
        case PresentationCommand::LeaveFullScreen:
            setFullScreen(false);
            break;
        case PresentationCommand::StartOrStop:
            pressStartOrStop();
            break;
        case PresentationCommand::ToggleStage:
            setStageShown(!isStageShown());
            break;
        case PresentationCommand::CloseStage:
            setStageShown(false);
            break;
        case PresentationCommand::CloseEnlargedView:
            m_closeViewButton->click();
            break;
        case PresentationCommand::CloseExportNotice:
            m_exportNotice->click();
            break;
        case PresentationCommand::PressFocusedButton:
            break; // the eventFilter's own: it needs the key's target
    }
}

bool MainWindow::takesKeys() const {
    return !m_spreadsheetProgress.isBusy() && QApplication::activeModalWidget() == nullptr;
}

bool MainWindow::pressFocusedButton(QWidget *target) {
    auto *button = qobject_cast<QAbstractButton *>(target);
    if (button == nullptr || !button->isVisible() || !button->isEnabled()) {
        return false;
    }
    button->click();
    return true;
}

// Start-up: clear the skip flag, then dress the window. Whatever the skin layer meets, the window
// opens, so its result is not looked at.
void MainWindow::startUp() {
    m_state.skipTick = 0;
    static_cast<void>(attachSkin());
}

void MainWindow::onImportClicked() {
    m_workbookCommands.importPool();
}

void MainWindow::onEditClicked() {
    m_workbookCommands.openForEditing();
}

void MainWindow::onDrawCountChanged() {
    m_drawControl.onDrawCountChanged();
}

void MainWindow::onStartClicked() {
    m_drawControl.onStartClicked();
}

void MainWindow::onStopClicked() {
    m_drawControl.onStopClicked();
}

void MainWindow::onRollTick() {
    m_drawControl.onRollTick();
}

void MainWindow::onViewClicked(int list) {
    m_enlargedView.open(list);
    // Every opening shows the first line at the top left, wherever an earlier one was scrolled to.
    fitEnlargedColumns();
    m_enlargedList->horizontalScrollBar()->setValue(0);
    m_enlargedList->verticalScrollBar()->setValue(0);
}

void MainWindow::onExportClicked(int resultList) {
    m_resultExport.exportList(resultList);
}

void MainWindow::onCloseViewClicked() {
    m_enlargedView.close();
}

void MainWindow::onExportNoticeClicked() {
    m_resultExport.dismissNotice();
}

} // namespace lotdraw

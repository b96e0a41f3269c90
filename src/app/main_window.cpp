#include "app/main_window.h"

#include "build_info.h"
#include "skin/skin.h"

#include <QAction>
#include <QGuiApplication>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

// The icon lives in this static library; its resources must be registered by hand.
static void initAppResources() {
    Q_INIT_RESOURCE(lotdraw);
}

namespace lotdraw {

MainWindow::MainWindow(Dependencies dependencies, QWidget *parent)
    : QWidget(parent)
    , m_deps(dependencies) {
    initAppResources();
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QString::fromUtf16(build_info::kProgramName) + u'V' + QLatin1StringView(build_info::kShortVersion));
    setWindowIcon(QIcon(QStringLiteral(":/app/icons/lotdraw.png")));
    setFixedSize(kFormPixels);
    connectHandlers();
    connect(&m_stage, &StagePresenter::operatorWindowChanged, this, &MainWindow::operatorWindowChanged);
    centreOnScreen();
    startUp();
}

MainWindow::~MainWindow() = default;

void MainWindow::connectHandlers() {
    const auto clicked = [this](Control control, auto handler) {
        connect(m_widgets.button(control), &QPushButton::clicked, this, handler);
    };
    clicked(Control::ImportButton, &MainWindow::onImportClicked);
    clicked(Control::EditButton, &MainWindow::onEditClicked);
    clicked(Control::StartButton, &MainWindow::onStartClicked);
    clicked(Control::StopButton, &MainWindow::onStopClicked);
    clicked(Control::CloseViewButton, &MainWindow::onCloseViewClicked);
    clicked(Control::ExportNotice, &MainWindow::onExportNoticeClicked);
    for (int list = 0; list <= EventSnapshot::kResultLists; ++list) {
        clicked(viewButtonControl(list), [this, list] { onViewClicked(list); });
    }
    for (int list = 1; list <= EventSnapshot::kResultLists; ++list) {
        clicked(exportButtonControl(list), [this, list] { onExportClicked(list); });
    }
    connect(m_widgets.get<QLineEdit>(Control::DrawCountBox), &QLineEdit::textChanged, this,
            &MainWindow::onDrawCountChanged);
    connect(&m_controls.rollTimer(), &QTimer::timeout, this, &MainWindow::onRollTick);
    addPrintMenu();
}

// The results frame's context menu, which also comes up over the lists and buttons in it.
void MainWindow::addPrintMenu() {
    m_printAction = new QAction(RecordPrint::kMenuText, this);
    m_printAction->setObjectName(QStringLiteral("printRecordAction"));
    // The menu shows the key; the key itself is the key router's, as every key of the window is, so
    // the shortcut is bound to the open menu alone.
    m_printAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    m_printAction->setShortcutContext(Qt::WidgetShortcut);
    m_printAction->setShortcutVisibleInContextMenu(true);
    connect(m_printAction, &QAction::triggered, this, &MainWindow::onPrintRecordClicked);
    QWidget *results = m_widgets.widget(Control::ResultsFrame);
    results->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(results, &QWidget::customContextMenuRequested, this,
            [this, results](QPoint at) { showResultsMenu(results->mapToGlobal(at)); });
}

void MainWindow::showResultsMenu(QPoint at) {
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("resultsMenu"));
    // In the face of the lists, as the messages are: the desktop's default is small and plain.
    menu.setFont(m_widgets.widget(Control::PoolList)->font());
    menu.addAction(m_printAction);
    menu.exec(at);
}

void MainWindow::centreOnScreen() {
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
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

void MainWindow::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    // Whenever the size comes: a window manager may give the full screen late, or not at all.
    if (const FormScale scale = FormScale::fitting(size()); scale != m_widgets.scale()) {
        m_widgets.applyScale(scale);
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

void MainWindow::onPrintRecordClicked() {
    m_recordPrint.open(m_stage.operatorWindow());
}

} // namespace lotdraw

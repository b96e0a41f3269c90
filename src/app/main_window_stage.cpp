// The stage for the hall, as the window opens, places and feeds it.

#include "app/main_window.h"
#include "app/stage_window.h"

#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QWindow>

namespace lotdraw {

void MainWindow::buildStage() {
    m_stage = new StageWindow(this);
    m_stageRefresh = new QTimer(this);
    m_stageRefresh->setSingleShot(true);
    m_stageRefresh->setInterval(0);
    connect(m_stageRefresh, &QTimer::timeout, this, &MainWindow::refreshStage);
    // A projector plugged in or pulled out: the stage moves to where it belongs now. The screen
    // list is settled only once the signal has been handled.
    const auto placeLater = [this] { QTimer::singleShot(0, this, &MainWindow::followScreens); };
    connect(qGuiApp, &QGuiApplication::screenAdded, this, placeLater);
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, placeLater);
    // The stage shows without asking for the keyboard, but some window systems give it to every
    // window that shows, and a click may land on the stage: where it leaves this window in view,
    // the keyboard comes back here, so that the operator's typing never goes to the hall's screen.
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](const QWindow *focused) {
        if (focused != nullptr && focused == m_stage->windowHandle() && operatorWindow() == this) {
            activateWindow();
        }
    });
}

bool MainWindow::isStageShown() const {
    return m_stage->isVisible();
}

void MainWindow::setStageShown(bool shown) {
    if (shown == isStageShown()) {
        return;
    }
    if (shown) {
        m_stage->setLook(stageLook());
        refreshStage();
        placeStage();
        // The operator may carry this window onto the stage's screen.
        connect(windowHandle(), &QWindow::screenChanged, this, &MainWindow::followScreens, Qt::UniqueConnection);
        return;
    }
    const bool stageHadTheKeys = m_stage->isActiveWindow();
    m_stage->hide();
    if (stageHadTheKeys) {
        activateWindow();
    }
    emit operatorWindowChanged();
}

void MainWindow::followScreens() {
    if (isStageShown()) {
        placeStage();
    }
}

void MainWindow::placeStage() {
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.isEmpty()) {
        return;
    }
    QList<QRect> places;
    for (const QScreen *each : screens) {
        places.append(each->geometry());
    }
    QScreen *target = screens.at(stageScreenIndex(places, static_cast<int>(screens.indexOf(screen()))));
    const bool coversThisWindow = target == screen();
    const bool stageHadTheKeys = m_stage->isActiveWindow();
    m_stage->showOn(target, coversThisWindow);
    if (!coversThisWindow && stageHadTheKeys) {
        activateWindow();
    }
    emit operatorWindowChanged();
}

QWidget *MainWindow::operatorWindow() {
    if (isStageShown() && m_stage->screen() == screen()) {
        return m_stage;
    }
    return this;
}

// Deferred, so the stage shows the state a handler ends in: a stop fills its result list after
// giving it the highlight.
void MainWindow::followOnStage() {
    if (isStageShown()) {
        m_stageRefresh->start();
    }
}

void MainWindow::refreshStage() {
    m_stage->setScene(m_stageModel.scene(*this));
}

StageLook MainWindow::stageLook() const {
    // The skin's sheet gives some texts their colour; it reaches the palette once polished.
    const QLabel *heading = m_headings[FormControls::kFirstResultList];
    const QListWidget *names = m_lists[FormControls::kPoolList]; // never highlighted: its own colours
    for (const QWidget *widget : std::initializer_list<const QWidget *>{m_rollingDisplay, heading, names, this}) {
        widget->ensurePolished();
    }
    return {.rollingNameFont = m_rollingDisplay->font(),
            .rollingNameColour = m_rollingDisplay->palette().color(m_rollingDisplay->foregroundRole()),
            .headingFont = heading->font(),
            .headingColour = heading->palette().color(heading->foregroundRole()),
            .nameFont = names->font(),
            .nameColour = names->palette().color(QPalette::Text),
            .background = palette().color(QPalette::Base)};
}

} // namespace lotdraw

#include "app/stage_presenter.h"

#include "app/stage_window.h"

#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace lotdraw {

StagePresenter::StagePresenter(QWidget &form, const FormWidgets &widgets, const EventModel &event,
                               WindowFormControls &controls)
    : m_form(form)
    , m_widgets(widgets)
    , m_model(event)
    , m_stage(new StageWindow(&form))
    , m_refresh(new QTimer(this)) {
    // Deferred, so the stage shows the state a handler ends in.
    m_refresh->setSingleShot(true);
    m_refresh->setInterval(0);
    connect(m_refresh, &QTimer::timeout, this, &StagePresenter::refresh);
    connect(&controls, &WindowFormControls::rollingTextChanged, this, [this](const QString &text) {
        m_model.rollingTextChanged(text);
        followLater();
    });
    connect(&controls, &WindowFormControls::rollingChanged, this, [this](bool rolling) {
        m_model.rollingChanged(rolling);
        followLater();
    });
    connect(&event, &EventModel::latestResultListChanged, this, [this](int list) {
        m_model.latestResultListChanged(list);
        followLater();
    });
    connect(&event, &EventModel::resultListChanged, this, &StagePresenter::followLater);
    // A projector plugged in or pulled out: the stage moves to where it belongs now. The screen
    // list is settled only once the signal has been handled.
    const auto placeLater = [this] { QTimer::singleShot(0, this, &StagePresenter::followScreens); };
    connect(qGuiApp, &QGuiApplication::screenAdded, this, placeLater);
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, placeLater);
    // The stage shows without asking for the keyboard, but some window systems give it to every
    // window that shows, and a click may land on the stage: where it leaves the form in view, the
    // keyboard comes back there, so that the operator's typing never goes to the hall's screen.
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](const QWindow *focused) {
        if (focused != nullptr && focused == m_stage->windowHandle() && operatorWindow() == &m_form) {
            m_form.activateWindow();
        }
    });
}

bool StagePresenter::isShown() const {
    return m_stage->isVisible();
}

void StagePresenter::setShown(bool shown) {
    if (shown == isShown()) {
        return;
    }
    if (shown) {
        m_stage->setLook(look());
        refresh();
        place();
        // The operator may carry the form onto the stage's screen.
        connect(m_form.windowHandle(), &QWindow::screenChanged, this, &StagePresenter::followScreens,
                Qt::UniqueConnection);
        return;
    }
    const bool stageHadTheKeys = m_stage->isActiveWindow();
    m_stage->hide();
    m_stage->setBlank(false);
    if (stageHadTheKeys) {
        m_form.activateWindow();
    }
    emit operatorWindowChanged();
}

void StagePresenter::setBlank(bool blank) {
    if (isShown()) {
        m_stage->setBlank(blank);
    }
}

bool StagePresenter::isBlank() const {
    return m_stage->isBlank();
}

void StagePresenter::followScreens() {
    if (isShown()) {
        place();
    }
}

void StagePresenter::place() {
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.isEmpty()) {
        return;
    }
    QList<QRect> places;
    for (const QScreen *each : screens) {
        places.append(each->geometry());
    }
    QScreen *target = screens.at(stageScreenIndex(places, static_cast<int>(screens.indexOf(m_form.screen()))));
    const bool coversTheForm = target == m_form.screen();
    const bool stageHadTheKeys = m_stage->isActiveWindow();
    m_stage->showOn(target, coversTheForm);
    if (!coversTheForm && stageHadTheKeys) {
        m_form.activateWindow();
    }
    emit operatorWindowChanged();
}

QWidget *StagePresenter::operatorWindow() const {
    if (isShown() && m_stage->screen() == m_form.screen()) {
        return m_stage;
    }
    return &m_form;
}

void StagePresenter::followLater() {
    if (isShown()) {
        m_refresh->start();
    }
}

void StagePresenter::refresh() {
    m_stage->setScene(m_model.scene());
}

StageLook StagePresenter::look() const {
    // The skin's sheet gives some texts their colour; it reaches the palette once polished.
    const QLabel *rolling = m_widgets.label(Control::RollingDisplay);
    const QLabel *heading = m_widgets.label(Control::ResultHeading1);
    const QListWidget *names = m_widgets.list(Control::PoolList); // never highlighted: its own colours
    for (const QWidget *widget : std::initializer_list<const QWidget *>{rolling, heading, names, &m_form}) {
        widget->ensurePolished();
    }
    return {.rollingNameFont = rolling->font(),
            .rollingNameColour = rolling->palette().color(rolling->foregroundRole()),
            .headingFont = heading->font(),
            .headingColour = heading->palette().color(heading->foregroundRole()),
            .nameFont = names->font(),
            .nameColour = names->palette().color(QPalette::Text),
            .background = m_form.palette().color(QPalette::Base)};
}

} // namespace lotdraw

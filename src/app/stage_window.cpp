#include "app/stage_window.h"

#include "build_info.h"

#include <QLabel>
#include <QScreen>

namespace lotdraw {
namespace {

QString objectNameFor(StageLine::Role role) {
    switch (role) {
        case StageLine::Role::ProgramName:
            return QStringLiteral("stageProgramName");
        case StageLine::Role::RollingName:
            return QStringLiteral("stageRollingName");
        case StageLine::Role::Heading:
            return QStringLiteral("stageHeading");
        case StageLine::Role::Name:
            return QStringLiteral("stageName");
    }
    return {};
}

QColor colourFor(const StageLook &look, StageLine::Role role) {
    switch (role) {
        case StageLine::Role::RollingName:
            return look.rollingNameColour;
        case StageLine::Role::Name:
            return look.nameColour;
        case StageLine::Role::ProgramName:
        case StageLine::Role::Heading:
            return look.headingColour;
    }
    return {};
}

} // namespace

StageWindow::StageWindow(QWidget *owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("stageWindow"));
    setWindowTitle(QString::fromUtf16(build_info::kProgramName));
    setAutoFillBackground(true);
    // Nothing on the stage is clicked; the pointer would only stand in the hall's view.
    setCursor(Qt::BlankCursor);
}

void StageWindow::setLook(const StageLook &look) {
    m_look = look;
    paintBackground();
    arrange();
}

void StageWindow::setBlank(bool blank) {
    if (blank == m_blank) {
        return;
    }
    m_blank = blank;
    paintBackground();
    arrange();
}

void StageWindow::paintBackground() {
    QPalette background = palette();
    background.setColor(QPalette::Window, m_blank ? QColor(Qt::black) : m_look.background);
    setPalette(background);
}

void StageWindow::setScene(const StageScene &scene) {
    if (scene == m_scene) {
        return;
    }
    m_scene = scene;
    arrange();
}

void StageWindow::showOn(QScreen *screen, bool takeFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating, !takeFocus);
    // A full-screen window changes screens only through a fresh show.
    if (isVisible() && this->screen() != screen) {
        hide();
    }
    setScreen(screen);
    setGeometry(screen->geometry());
    // Not showFullScreen(): it makes the window active, and so takes the keyboard from the form.
    setWindowState(Qt::WindowFullScreen);
    show();
    if (takeFocus) {
        activateWindow();
    }
}

void StageWindow::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    arrange();
}

void StageWindow::arrange() {
    const std::vector<StageLine> lines = m_blank ? std::vector<StageLine>{} : arrangeStage(m_scene, m_look, size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const StageLine &line = lines[i];
        QLabel *text = label(i);
        text->setObjectName(objectNameFor(line.role));
        text->setFont(stageFont(m_look, line.role, line.pixelSize));
        QPalette colour = text->palette();
        colour.setColor(QPalette::WindowText, colourFor(m_look, line.role));
        text->setPalette(colour);
        text->setText(line.text);
        text->setGeometry(line.box);
        text->show();
    }
    for (std::size_t i = lines.size(); i < m_labels.size(); ++i) {
        m_labels[i]->hide();
        m_labels[i]->clear();
    }
}

QLabel *StageWindow::label(std::size_t index) {
    while (m_labels.size() <= index) {
        auto *text = new QLabel(this);
        // A name is shown as it is written, whatever it holds.
        text->setTextFormat(Qt::PlainText);
        text->setAlignment(Qt::AlignCenter);
        m_labels.push_back(text);
    }
    return m_labels[index];
}

} // namespace lotdraw

#include "app/window_form_controls.h"

#include "progress/spreadsheet_progress.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTimer>

namespace lotdraw {

WindowFormControls::WindowFormControls(QWidget &window, FormWidgets &widgets, SpreadsheetProgress &progress)
    : m_window(window)
    , m_widgets(widgets)
    , m_progress(progress)
    , m_rollTimer(new QTimer(&window)) {
    m_rollTimer->setObjectName(QStringLiteral("rollTimer"));
}

bool WindowFormControls::isEnlargedListOpen() const {
    return m_widgets.widget(Control::EnlargedList)->isVisible();
}

QString WindowFormControls::numberText() const {
    return m_widgets.get<QLineEdit>(Control::DrawCountBox)->text();
}

void WindowFormControls::setNumberText(const QString &text) {
    m_widgets.get<QLineEdit>(Control::DrawCountBox)->setText(text);
}

void WindowFormControls::setStartVisible(bool visible) {
    m_widgets.widget(Control::StartButton)->setVisible(visible);
}

void WindowFormControls::setStopVisible(bool visible) {
    m_widgets.widget(Control::StopButton)->setVisible(visible);
}

void WindowFormControls::focusStart() {
    m_widgets.widget(Control::StartButton)->setFocus(Qt::OtherFocusReason);
}

void WindowFormControls::focusStop() {
    m_widgets.widget(Control::StopButton)->setFocus(Qt::OtherFocusReason);
}

int WindowFormControls::timerInterval() const {
    return m_rollTimer->isActive() ? m_rollTimer->interval() : kStoppedInterval;
}

void WindowFormControls::setTimerInterval(int milliseconds) {
    if (milliseconds <= 0) {
        m_rollTimer->stop();
    } else {
        m_rollTimer->start(milliseconds);
    }
    emit rollingChanged(m_rollTimer->isActive());
}

void WindowFormControls::setRollingText(const QString &text) {
    m_widgets.label(Control::RollingDisplay)->setText(text);
    emit rollingTextChanged(text);
}

void WindowFormControls::showEnlargedList(const QStringList &lines) {
    QListWidget *enlarged = m_widgets.list(Control::EnlargedList);
    if (enlarged->isHidden()) {
        m_focusBeforeView = m_window.focusWidget();
    }
    enlarged->show();
    setCoveredControlsEnabled(false);
    enlarged->setFocus(Qt::OtherFocusReason);
    m_widgets.widget(Control::CloseViewButton)->show();
    enlarged->clear();
    enlarged->addItems(lines);
    // Every opening shows the first line at the top left, wherever an earlier one was scrolled to.
    m_widgets.fitEnlargedColumns();
    enlarged->horizontalScrollBar()->setValue(0);
    enlarged->verticalScrollBar()->setValue(0);
}

void WindowFormControls::closeEnlargedList() {
    setCoveredControlsEnabled(true);
    m_widgets.widget(Control::EnlargedList)->hide();
    restoreFocus(m_focusBeforeView);
    m_widgets.widget(Control::CloseViewButton)->hide();
}

void WindowFormControls::setCoveredControlsEnabled(bool enabled) {
    for (QWidget *frame : m_widgets.frames()) {
        frame->setEnabled(enabled);
    }
}

void WindowFormControls::setExportNoticeVisible(bool visible) {
    QWidget *notice = m_widgets.widget(Control::ExportNotice);
    if (visible) {
        if (notice->isHidden()) {
            m_focusBeforeNotice = m_window.focusWidget();
        }
        notice->show();
        notice->setFocus(Qt::OtherFocusReason);
        return;
    }
    notice->hide();
    restoreFocus(m_focusBeforeNotice);
}

void WindowFormControls::restoreFocus(QWidget *widget) {
    if (widget != nullptr && widget->isVisibleTo(&m_window) && widget->isEnabled()) {
        widget->setFocus(Qt::OtherFocusReason);
    }
}

void WindowFormControls::setBusy(bool busy) {
    m_progress.setBusy(busy);
}

} // namespace lotdraw

// The window as the handlers' logic sees it: FormControls over the real widgets.

#include "app/main_window.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace lotdraw {

QString MainWindow::numberText() const {
    return m_drawCountBox->text();
}

void MainWindow::setNumberText(const QString &text) {
    m_drawCountBox->setText(text);
}

bool MainWindow::isKeepChosen() const {
    return m_keepOption->isChecked();
}

bool MainWindow::isRemoveChosen() const {
    return m_removeOption->isChecked();
}

void MainWindow::setKeepChosen(bool chosen) {
    setOptionChosen(m_keepOption, chosen);
}

void MainWindow::setRemoveChosen(bool chosen) {
    setOptionChosen(m_removeOption, chosen);
}

void MainWindow::setOptionChosen(QRadioButton *option, bool chosen) {
    // An exclusive group never lets its last chosen button go; lift the rule for the moment so the
    // pair can show "neither chosen".
    m_keepChoice->setExclusive(false);
    option->setChecked(chosen);
    m_keepChoice->setExclusive(true);
}

void MainWindow::setStartVisible(bool visible) {
    m_startButton->setVisible(visible);
}

void MainWindow::setStopVisible(bool visible) {
    m_stopButton->setVisible(visible);
}

void MainWindow::focusStart() {
    m_startButton->setFocus(Qt::OtherFocusReason);
}

void MainWindow::focusStop() {
    m_stopButton->setFocus(Qt::OtherFocusReason);
}

int MainWindow::timerInterval() const {
    return m_rollTimer->isActive() ? m_rollTimer->interval() : kStoppedInterval;
}

void MainWindow::setTimerInterval(int milliseconds) {
    if (milliseconds <= 0) {
        m_rollTimer->stop();
    } else {
        m_rollTimer->start(milliseconds);
    }
    m_stageModel.rollingChanged(m_rollTimer->isActive());
    followOnStage();
}

void MainWindow::setRollingText(const QString &text) {
    m_rollingDisplay->setText(text);
    m_stageModel.rollingTextChanged(text);
    followOnStage();
}

QListWidget *MainWindow::listWidget(int index) const {
    return m_lists.at(static_cast<std::size_t>(index));
}

ListLines &MainWindow::list(int index) {
    return m_listLines.at(static_cast<std::size_t>(index));
}

void MainWindow::setHeading(int index, const QString &text) {
    m_headings.at(static_cast<std::size_t>(index))->setText(text);
    m_stageModel.headingChanged(index, text);
    followOnStage();
}

void MainWindow::setResultHighlighted(int index, bool on) {
    // A style sheet rather than the palette: once the skin's sheet is active, a sheet is what the
    // list's background reliably follows.
    listWidget(index)->setStyleSheet(on ? QStringLiteral("QListWidget { background-color: rgb(%1, %2, %3); }")
                                              .arg(kHighlightColour.red())
                                              .arg(kHighlightColour.green())
                                              .arg(kHighlightColour.blue())
                                        : QString());
    m_stageModel.highlightChanged(index, on);
    followOnStage();
}

void MainWindow::setPoolCountText(const QString &text) {
    m_poolCountLabel->setText(text);
}

ListLines &MainWindow::enlargedList() {
    return *m_enlargedLines;
}

void MainWindow::setEnlargedListVisible(bool visible) {
    if (visible) {
        if (m_enlargedList->isHidden()) {
            m_focusBeforeView = focusWidget();
        }
        m_enlargedList->show();
        setCoveredControlsEnabled(false);
        m_enlargedList->setFocus(Qt::OtherFocusReason);
        return;
    }
    setCoveredControlsEnabled(true);
    m_enlargedList->hide();
    restoreFocus(m_focusBeforeView);
}

void MainWindow::setCoveredControlsEnabled(bool enabled) {
    for (QWidget *frame : {m_displayFrame, m_settingsFrame, m_poolSourceFrame, m_resultsFrame}) {
        frame->setEnabled(enabled);
    }
}

void MainWindow::setEnlargedCloseVisible(bool visible) {
    m_closeViewButton->setVisible(visible);
}

void MainWindow::setExportNoticeVisible(bool visible) {
    // The notice takes the focus, so that the key after an export closes it instead of pressing
    // "导出" again; closed, it gives the focus back.
    if (visible) {
        if (m_exportNotice->isHidden()) {
            m_focusBeforeNotice = focusWidget();
        }
        m_exportNotice->show();
        m_exportNotice->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_exportNotice->hide();
    restoreFocus(m_focusBeforeNotice);
}

void MainWindow::restoreFocus(QWidget *widget) {
    if (widget != nullptr && widget->isVisibleTo(this) && widget->isEnabled()) {
        widget->setFocus(Qt::OtherFocusReason);
    }
}

void MainWindow::setBusy(bool busy) {
    m_spreadsheetProgress.setBusy(busy);
}

} // namespace lotdraw

#include "progress/spreadsheet_progress.h"

#include "progress/progress_dialog.h"
#include "progress/step_texts.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QScopeGuard>
#include <QWidget>
#include <QWindow>

namespace lotdraw {

namespace {

bool isUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::InputMethod:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        default:
            return false;
    }
}

} // namespace

SpreadsheetProgress::SpreadsheetProgress(QWidget *window, std::chrono::milliseconds showAfter)
    : m_window(window)
    , m_showAfter(showAfter) {
    m_showTimer.setSingleShot(true);
    // A coarse timer may fire a little early: quick work must never show the window.
    m_showTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_showTimer, &QTimer::timeout, this, [this] {
        if (m_waiting) {
            showDialog();
        }
    });
}

SpreadsheetProgress::~SpreadsheetProgress() {
    // The call thread's end waits for work in the background: an office is never left running.
    if (m_busyDepth > 0) {
        m_busyDepth = 0;
        endBusy();
    }
}

void SpreadsheetProgress::setBusy(bool busy) {
    if (busy) {
        if (m_busyDepth++ == 0) {
            beginBusy();
        }
    } else if (m_busyDepth > 0 && --m_busyDepth == 0) {
        endBusy();
    }
}

void SpreadsheetProgress::beginBusy() {
    m_cancelRequested = false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QCoreApplication::instance()->installEventFilter(this);
    m_busyClock.start();
    m_showTimer.start(m_showAfter);
}

void SpreadsheetProgress::endBusy() {
    // Input that came while the work ran was dropped after each call; from here on, and with the
    // cursor back to normal, the window takes it.
    m_showTimer.stop();
    if (m_dialog) {
        m_dialog->hide();
    }
    QCoreApplication::instance()->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
    m_cancelRequested = false;
}

void SpreadsheetProgress::run(SpreadsheetStep step, const std::function<void()> &call, CancellationToken *cancel) {
    // Work outside a busy period is treated as one of its own.
    setBusy(true);
    const auto notBusy = qScopeGuard([this] { setBusy(false); });
    if (m_background) {
        waitForCall(SpreadsheetStep::Close, nullptr);
        collectBackground();
    }
    QAbstractEventDispatcher *const dispatcher = QAbstractEventDispatcher::instance();
    m_calls.start(call, [dispatcher] { dispatcher->wakeUp(); });
    waitForCall(step, cancel);
    m_calls.finish();
}

void SpreadsheetProgress::runInBackground(std::function<void()> call,
                                          const std::function<void(const QString &)> &onFailure) {
    if (m_background) {
        run(
            SpreadsheetStep::Close, [] {}, nullptr);
    }
    m_background = onFailure;
    QAbstractEventDispatcher *const dispatcher = QAbstractEventDispatcher::instance();
    m_calls.start(std::move(call), [this, dispatcher] {
        QMetaObject::invokeMethod(this, &SpreadsheetProgress::collectBackground, Qt::QueuedConnection);
        dispatcher->wakeUp();
    });
}

void SpreadsheetProgress::waitForCall(SpreadsheetStep step, CancellationToken *cancel) {
    m_stepText = stepText(step);
    m_cancel = cancel;
    const auto notWaiting = qScopeGuard([this] {
        m_cancel = nullptr;
        m_waiting = false;
    });
    updateDialog();
    if (m_busyClock.elapsed() >= m_showAfter.count()) {
        showDialog();
    }
    m_waiting = true;
    while (!m_calls.isDone()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    // Clicks and keys that reached the window meanwhile are still queued: they are dropped here,
    // while the filter holds them off.
    QCoreApplication::processEvents();
}

void SpreadsheetProgress::collectBackground() {
    if (!m_background || !m_calls.isDone()) {
        return;
    }
    const std::function<void(const QString &)> onFailure = *std::exchange(m_background, std::nullopt);
    try {
        m_calls.finish();
    } catch (const SpreadsheetError &error) {
        if (onFailure) {
            onFailure(error.userMessage());
        }
    } catch (...) {
        // Nothing the operator could act on.
    }
}

void SpreadsheetProgress::showDialog() {
    if (!m_dialog) {
        m_dialog = new ProgressDialog(m_window);
        connect(m_dialog, &ProgressDialog::cancelRequested, this, &SpreadsheetProgress::onCancelRequested);
    }
    updateDialog();
    if (!m_dialog->isVisible()) {
        // The arrow with the hourglass: the program works, and "取消" can be clicked.
        QApplication::changeOverrideCursor(Qt::BusyCursor);
        m_dialog->show();
    }
}

void SpreadsheetProgress::updateDialog() {
    if (!m_dialog) {
        return;
    }
    m_dialog->setText(m_cancelRequested ? cancellingText() : m_stepText);
    m_dialog->setCancelEnabled(m_cancel && !m_cancelRequested);
}

void SpreadsheetProgress::onCancelRequested() {
    if (m_cancelRequested || !m_cancel) {
        return;
    }
    m_cancelRequested = true;
    updateDialog();
    m_cancel->cancel();
}

bool SpreadsheetProgress::isGuarded(QObject *object) const {
    // A shortcut or an action belongs to the window of the widget it hangs on.
    for (const QObject *each = object; each != nullptr; each = each->parent()) {
        if (const auto *widget = qobject_cast<const QWidget *>(each)) {
            return widget->window() == m_window;
        }
        if (const auto *window = qobject_cast<const QWindow *>(each)) {
            return window == m_window->windowHandle();
        }
    }
    return false;
}

bool SpreadsheetProgress::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::Close && !isUserInput(type)) || !isGuarded(watched)) {
        return QObject::eventFilter(watched, event);
    }
    // The window cannot be closed under the work either.
    if (type == QEvent::Close) {
        event->ignore();
    }
    // Claimed for the widget, so that no shortcut of the window's fires on the key either.
    if (type == QEvent::ShortcutOverride) {
        event->accept();
    }
    return true;
}

} // namespace lotdraw

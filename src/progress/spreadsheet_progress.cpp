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

using namespace std::chrono_literals;

// Most office calls return within this; the caller waits for them without turning to its events.
constexpr std::chrono::microseconds kQuickCall = 2ms;
// The window is never left without its events for longer than this, even by a run of quick calls.
constexpr qint64 kEventsEveryMs = 50;

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
    if (m_busyDepth > 0) {
        m_busyDepth = 0;
        endBusy(false);
    }
}

void SpreadsheetProgress::setBusy(bool busy) {
    if (busy) {
        if (m_busyDepth++ == 0) {
            beginBusy();
        }
    } else if (m_busyDepth > 0 && --m_busyDepth == 0) {
        endBusy(true);
    }
}

void SpreadsheetProgress::beginBusy() {
    m_cancelRequested = false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QCoreApplication::instance()->installEventFilter(this);
    m_busyClock.start();
    m_sinceEvents.start();
    m_showTimer.start(m_showAfter);
}

void SpreadsheetProgress::endBusy(bool dropPendingInput) {
    m_showTimer.stop();
    if (dropPendingInput) {
        // Clicks and keys that reached the window while the work ran are still queued: they are
        // dropped here, before the window takes input again.
        QCoreApplication::processEvents();
    }
    if (m_dialog) {
        m_dialog->hide();
    }
    QCoreApplication::instance()->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
    m_cancel = nullptr;
    m_cancelRequested = false;
}

void SpreadsheetProgress::run(SpreadsheetStep step, const std::function<void()> &call,
                              const std::function<void()> &cancel) {
    // Work outside a busy period is treated as one of its own.
    const bool ownBusy = m_busyDepth == 0;
    if (ownBusy) {
        setBusy(true);
    }
    const auto endOwnBusy = qScopeGuard([this, ownBusy] {
        m_cancel = nullptr;
        if (ownBusy) {
            setBusy(false);
        }
    });
    m_stepText = stepText(step);
    m_cancel = cancel;
    updateDialog();

    QAbstractEventDispatcher *const dispatcher = QAbstractEventDispatcher::instance();
    m_calls.start(call, [dispatcher] { dispatcher->wakeUp(); });
    const bool due = m_busyClock.elapsed() >= m_showAfter.count();
    if (m_calls.waitFor(kQuickCall)) {
        if (due || m_sinceEvents.elapsed() >= kEventsEveryMs) {
            if (due) {
                showDialog();
            }
            QCoreApplication::processEvents();
            m_sinceEvents.start();
        }
    } else {
        if (due) {
            showDialog();
        }
        m_waiting = true;
        const auto notWaiting = qScopeGuard([this] { m_waiting = false; });
        while (!m_calls.isDone()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
        m_sinceEvents.start();
    }
    m_calls.finish();
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
    // A copy: the stop may end the call, and with it the run that set it.
    const std::function<void()> cancel = m_cancel;
    cancel();
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

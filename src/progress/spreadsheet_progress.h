#pragma once

#include "progress/call_thread.h"
#include "spreadsheet/spreadsheet_waiter.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>

class QWidget;

namespace lotdraw {

class ProgressDialog;

// The window's side of the waits on the spreadsheet application. While the program is busy with
// the office (from setBusy(true) to setBusy(false)):
// - the busy cursor shows and the window takes no input: clicks and keys meant for it are dropped,
//   also those that arrived while a call blocked, so none waits to run a command a second time;
// - each blocking call runs on a thread of its own while this thread goes on painting the window
//   and running its timer (a rolling draw keeps rolling);
// - once the work has lasted `showAfter`, a progress window says what the program waits for and
//   offers "取消", which cancels the command's token; it stays until the work ends. Quick work
//   shows nothing.
// Work in the background (an office ending once the command has its result) runs on the same
// thread while the window takes input; the next call waits for it first.
class SpreadsheetProgress final
    : public QObject
    , public SpreadsheetWaiter {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kShowAfter{500};

    explicit SpreadsheetProgress(QWidget *window, std::chrono::milliseconds showAfter = kShowAfter);
    // Waits for work in the background: an office is never left running.
    ~SpreadsheetProgress() override;
    Q_DISABLE_COPY_MOVE(SpreadsheetProgress)

    // Nested calls count: the work ends with the last setBusy(false).
    void setBusy(bool busy);
    [[nodiscard]] bool isBusy() const { return m_busyDepth > 0; }

    void run(SpreadsheetStep step, const std::function<void()> &call, CancellationToken *cancel) override;
    void runInBackground(std::function<void()> call, const std::function<void(const QString &)> &onFailure) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void beginBusy();
    void endBusy();
    // Waits, with the window's events, until the call on the thread has returned; then drops the
    // input that came meanwhile.
    void waitForCall(SpreadsheetStep step, CancellationToken *cancel);
    // Hands the failure of finished background work to its owner.
    void collectBackground();
    void showDialog();
    void updateDialog();
    void onCancelRequested();
    [[nodiscard]] bool isGuarded(QObject *object) const;

    QWidget *m_window;
    std::chrono::milliseconds m_showAfter;
    CallThread m_calls;
    QTimer m_showTimer;
    QElapsedTimer m_busyClock;
    QPointer<ProgressDialog> m_dialog;
    QString m_stepText;
    CancellationToken *m_cancel = nullptr;
    // Set while work in the background has not been collected.
    std::optional<std::function<void(const QString &)>> m_background;
    int m_busyDepth = 0;
    bool m_waiting = false;
    bool m_cancelRequested = false;
};

} // namespace lotdraw

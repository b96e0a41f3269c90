#pragma once

#include "event/event_model.h"
#include "state/messages.h"

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class QLockFile;

namespace lotdraw {

// Where the recovery files lie: $XDG_STATE_HOME/lotdraw, or ~/.local/state/lotdraw where
// XDG_STATE_HOME is unset or not an absolute path.
[[nodiscard]] QString recoveryFolder();

// Keeps the event safe on disk while the program runs, so that a crash, a kill, a power cut or a
// logout loses no draw that the hall has seen. After every change of the event, before any view
// shows it, the event is written to a recovery file of this run in one step that reaches the disk.
// A normal close removes the file, so nothing of the event stays behind once the program has ended.
//
// Each running copy of the program keeps a file of its own, event-<n>.json beside event-<n>.lock,
// and holds the lock while it runs; a file whose lock nobody holds was left by a run that ended
// abnormally. A roll is no change of the event: after a crash during a roll, the event as it stood
// before its start comes back.
class EventRecovery final : public QObject {
    Q_OBJECT

public:
    static inline const QString kRestoreQuestion =
        QStringLiteral("上次抽签没有正常结束。是否恢复上次的名单和抽签结果？");
    // A file that could not be read back, kept under another name.
    [[nodiscard]] static QString damagedMessage(const QString &keptAs);
    // Said once, at the first draw that could not be kept.
    [[nodiscard]] static QString notKeptMessage(const QString &folder);

    EventRecovery(EventModel &event, Messages &messages, QString folder, QObject *parent = nullptr);
    ~EventRecovery() override;
    Q_DISABLE_COPY_MOVE(EventRecovery)

    // At start-up, with the window in view: takes a file of this run's own and, where an earlier run
    // ended abnormally, asks whether to restore its event. "是" restores it; "否" removes the file.
    // A file that cannot be read back is set aside under another name, and the program starts empty.
    void start();
    // At a normal close: removes this run's file.
    void finish();

    // This run's file; empty while it has none.
    [[nodiscard]] QString filePath() const;

private:
    [[nodiscard]] bool claimFile();
    void offerLeftEvent();
    [[nodiscard]] std::optional<QString> setAside() const;
    void keep(EventModel::Change change);

    EventModel &m_event;
    Messages &m_messages;
    QString m_folder;
    int m_slot = 0;
    std::unique_ptr<QLockFile> m_lock;
    bool m_warned = false;
};

} // namespace lotdraw

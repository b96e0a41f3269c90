#include "recovery/event_recovery.h"

#include "files/atomic_file.h"
#include "recovery/event_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QTimer>

namespace lotdraw {
namespace {

// More copies of the program at once than anyone runs.
constexpr int kSlots = 16;
// Damaged files set aside within one second, each under a name of its own.
constexpr int kSetAsideNames = 16;
// A write takes milliseconds: a temporary folder this old was left by a run killed while writing.
constexpr qint64 kLeftTemporaryAgeSeconds = 60;

QString slotPath(const QString &folder, int slot, const char *suffix) {
    return QStringLiteral("%1/event-%2.%3").arg(folder).arg(slot).arg(QLatin1String(suffix));
}

// The folder, made private to the user where it is new (the names in it are people's).
bool makeFolder(const QString &folder) {
    const QFileInfo info(folder);
    return info.isDir() || (QDir().mkpath(info.absolutePath()) &&
                            QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

// The text in `path`, replaced in one step that reaches the disk; readable by the user alone.
bool replaceFile(const QString &path, const QByteArray &text) {
    const QString temporary = temporarySibling(path);
    if (temporary.isEmpty()) {
        return false;
    }
    QFile file(temporary);
    const bool written = file.open(QIODevice::WriteOnly) && file.setPermissions(QFile::ReadOwner | QFile::WriteOwner) &&
                         file.write(text) == text.size() && file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        removeTemporary(temporary);
        return false;
    }
    return publishFile(temporary, path, true).isEmpty();
}

} // namespace

QString recoveryFolder() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state)) {
        state = QDir::homePath() + QStringLiteral("/.local/state");
    }
    return QDir::cleanPath(state + QStringLiteral("/lotdraw"));
}

QString EventRecovery::damagedMessage(const QString &keptAs) {
    return QStringLiteral("上次抽签留下的恢复文件已损坏，无法恢复，程序将以空白名单开始。该文件保留在：\n%1")
        .arg(keptAs);
}

QString EventRecovery::notKeptMessage(const QString &folder) {
    return QStringLiteral("无法在%1中保存恢复文件：如果程序意外退出，本次的名单和抽签结果将无法恢复。").arg(folder);
}

EventRecovery::EventRecovery(EventModel &event, Messages &messages, QString folder, QObject *parent)
    : QObject(parent)
    , m_event(event)
    , m_messages(messages)
    , m_folder(std::move(folder)) {
    connect(&m_event, &EventModel::changed, this, &EventRecovery::keep);
}

// The file stays: only a normal close removes it.
EventRecovery::~EventRecovery() = default;

QString EventRecovery::filePath() const {
    return m_lock ? slotPath(m_folder, m_slot, "json") : QString();
}

void EventRecovery::start() {
    if (!claimFile()) {
        return;
    }
    removeLeftTemporaries(m_folder, QDateTime::currentDateTime().addSecs(-kLeftTemporaryAgeSeconds));
    if (QFile::exists(filePath())) {
        offerLeftEvent();
    }
}

void EventRecovery::finish() {
    if (m_lock) {
        QFile::remove(filePath());
        m_lock.reset();
    }
}

// The first slot whose file a run that ended abnormally left behind, or else the first free one.
// A slot whose lock another copy holds is that copy's.
bool EventRecovery::claimFile() {
    if (!makeFolder(m_folder)) {
        return false;
    }
    for (int slot = 1; slot <= kSlots; ++slot) {
        auto lock = std::make_unique<QLockFile>(slotPath(m_folder, slot, "lock"));
        // A lock lasts as long as its copy runs; only a dead holder makes it stale.
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0)) {
            continue;
        }
        const bool left = QFile::exists(slotPath(m_folder, slot, "json"));
        if (left || !m_lock) {
            m_lock = std::move(lock);
            m_slot = slot;
        }
        if (left) {
            break;
        }
    }
    return m_lock != nullptr;
}

void EventRecovery::offerLeftEvent() {
    QFile file(filePath());
    const std::optional<EventSnapshot> left =
        file.open(QIODevice::ReadOnly) ? eventFromFileText(file.readAll()) : std::nullopt;
    file.close();
    if (!left) {
        const std::optional<QString> keptAs = setAside();
        m_messages.show(damagedMessage(keptAs.value_or(filePath())));
        if (!keptAs) {
            m_lock.reset(); // this run writes no file over those bytes
        }
    } else if (left->pool.isEmpty() && left->drawNumber == 0) {
        // An import that failed, or a choice made before any: nothing the question could bring back.
        QFile::remove(filePath());
    } else if (m_messages.ask(kRestoreQuestion)) {
        m_event.restore(*left); // and kept again at once, in this run's file
    } else {
        QFile::remove(filePath());
    }
}

// The bytes stay, under a name of their own beside the slots, for a person to read.
std::optional<QString> EventRecovery::setAside() const {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int attempt = 1; attempt <= kSetAsideNames; ++attempt) {
        const QString name = attempt == 1 ? stamp : QStringLiteral("%1-%2").arg(stamp).arg(attempt);
        const QString keptAs = QStringLiteral("%1/damaged-%2.json").arg(m_folder, name);
        if (QFile::rename(filePath(), keptAs)) {
            return keptAs;
        }
    }
    return std::nullopt;
}

// A write that fails leaves the file as the last good write left it: after a crash, the event as it
// stood then comes back, and the operator has been told that the rest will not.
void EventRecovery::keep(EventModel::Change change) {
    if (m_lock && replaceFile(filePath(), eventFileText(m_event.snapshot()))) {
        return;
    }
    if (change == EventModel::Change::Draw && !m_warned) {
        m_warned = true;
        // Once the draw shows on the form and the stage: the hall sees its result first.
        QTimer::singleShot(0, this, [this] { m_messages.show(notKeptMessage(m_folder)); });
    }
}

} // namespace lotdraw

#include "recovery/event_file.h"
#include "recovery/event_recovery.h"
#include "support/numbered_names.h"
#include "support/office_fixture.h"
#include "support/recording_messages.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

using namespace lotdraw;
using lotdraw::testing::fileBytes;
using lotdraw::testing::numbered;
using lotdraw::testing::writeFile;

namespace {

// An event as six draws of two from a pool of sixteen leave it, the drawn names gone, with its record.
EventSnapshot sampleEvent() {
    const QList<QStringList> drawn{{"孙丽", "高翔"}, {"唐亮", "郭强"}, {"杨磊", "赵敏"},
                                   {"黄强", "周杰"}, {"王芳", "李娜"}, {"刘洋", "陈静"}};
    EventRecord record{QStringLiteral("导入名单.xls"), 16, QDate(2026, 3, 5), {}};
    for (int number = 1; number <= drawn.size(); ++number) {
        const QDateTime stoppedAt(record.date, QTime(14, number, 7, 250));
        record.draws.append({number, stoppedAt, EventModel::resultListOf(number), false, drawn.at(number - 1)});
    }
    return {.pool = numbered(QStringLiteral("张伟"), 4),
            .results = {drawn.at(4), drawn.at(5), drawn.at(2), drawn.at(3)},
            .drawNumber = 6,
            .choice = KeepChoice::Remove,
            .record = record};
}

// The JSON value with the field at `path` ("record/draws/1/names") replaced.
QJsonValue replaced(const QJsonValue &json, QStringList path, const QJsonValue &value) {
    if (path.isEmpty()) {
        return value;
    }
    const QString key = path.takeFirst();
    if (json.isArray()) {
        QJsonArray array = json.toArray();
        array.replace(key.toInt(), replaced(array.at(key.toInt()), path, value));
        return array;
    }
    QJsonObject object = json.toObject();
    object.insert(key, replaced(object.value(key), path, value));
    return object;
}

// The sample's text with the field at `path` replaced.
QByteArray sampleWith(const QString &path, const QJsonValue &value) {
    const QJsonObject sample = QJsonDocument::fromJson(eventFileText(sampleEvent())).object();
    return QJsonDocument(replaced(sample, path.split(u'/'), value).toObject()).toJson();
}

// One run of the program. Destroyed without finish(), it ended abnormally: a crash, a kill, a power
// cut or a logout.
struct Run {
    EventModel event;
    EventRecovery recovery;
    explicit Run(lotdraw::testing::RecordingMessages &messages)
        : recovery(event, messages, recoveryFolder()) {
        recovery.start();
    }
};

} // namespace

class EventRecoveryTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void folderFollowsXdgStateHome_data();
    void folderFollowsXdgStateHome();
    void damagedTextIsRefused_data();
    void damagedTextIsRefused();
    void textHoldsTheWholeEventOrNothing();
    void everyChangeIsKeptBeforeTheViewsShowIt();
    void nextStart_data();
    void nextStart();
    void runningCopiesKeepFilesOfTheirOwn();
    void damagedFileIsSetAsideAndStartsEmpty();
    void unwritableFileIsToldOnceAtTheFirstDraw_data();
    void unwritableFileIsToldOnceAtTheFirstDraw();
    void startRemovesWhatKilledWritesLeft();

private:
    [[nodiscard]] QStringList files() const {
        return QDir(recoveryFolder()).entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    }

    std::unique_ptr<QTemporaryDir> m_state;
    lotdraw::testing::RecordingMessages m_messages;
};

void EventRecoveryTest::init() {
    m_state = std::make_unique<QTemporaryDir>();
    qputenv("XDG_STATE_HOME", QFile::encodeName(m_state->path()));
    m_messages.clear();
    m_messages.answerYes(false);
}

void EventRecoveryTest::folderFollowsXdgStateHome_data() {
    QTest::addColumn<QByteArray>("stateHome");
    QTest::addColumn<QString>("folder");
    QTest::newRow("set") << QByteArray("/srv/state/") << QStringLiteral("/srv/state/lotdraw");
    QTest::newRow("unset") << QByteArray() << QStringLiteral("/home/op/.local/state/lotdraw");
    // The XDG rules say to ignore a path that is not absolute.
    QTest::newRow("not absolute") << QByteArray("state") << QStringLiteral("/home/op/.local/state/lotdraw");
}

void EventRecoveryTest::folderFollowsXdgStateHome() {
    QFETCH(QByteArray, stateHome);
    QFETCH(QString, folder);
    const QByteArray home = qgetenv("HOME");
    const auto restore = qScopeGuard([&home] { qputenv("HOME", home); });
    qputenv("HOME", "/home/op");
    qputenv("XDG_STATE_HOME", stateHome);
    QCOMPARE(recoveryFolder(), folder);
}

void EventRecoveryTest::damagedTextIsRefused_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("garbage") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    QTest::newRow("another program's") << sampleWith(QStringLiteral("format"), QStringLiteral("other"));
    QTest::newRow("a JSON list") << QByteArray("[1, 2, 3]");
    QTest::newRow("a newer version") << sampleWith(QStringLiteral("version"), 3);
    QTest::newRow("a version that is no number") << sampleWith(QStringLiteral("version"), QStringLiteral("2"));
    QTest::newRow("100 names") << sampleWith(QStringLiteral("pool"), QJsonArray::fromStringList(numbered("名", 100)));
    QTest::newRow("an empty name") << sampleWith(QStringLiteral("pool"), QJsonArray{QStringLiteral("甲"), QString()});
    QTest::newRow("a draw past 32767") << sampleWith(QStringLiteral("drawNumber"), 32768);
    QTest::newRow("headings of other draws") << sampleWith(QStringLiteral("drawNumber"), 7);
    QTest::newRow("draws in lists not reached") << sampleWith(QStringLiteral("drawNumber"), 0)
                                                       .replace("第5次抽中", "第1次抽中")
                                                       .replace("第6次抽中", "第2次抽中");
    QTest::newRow("three result lists") << sampleWith(QStringLiteral("results"), QJsonArray{1, 2, 3});
    QTest::newRow("no keep choice") << sampleWith(QStringLiteral("keepChoice"), QStringLiteral("maybe"));
    QTest::newRow("no record") << sampleWith(QStringLiteral("record"), QJsonValue());
    QTest::newRow("a record without the draws") << sampleWith(QStringLiteral("record/draws"), QJsonArray());
    QTest::newRow("a record with draws but no day") << sampleWith(QStringLiteral("record/date"), QString());
    QTest::newRow("a draw out of turn") << sampleWith(QStringLiteral("record/draws/1/number"), 3);
    QTest::newRow("a draw in another list") << sampleWith(QStringLiteral("record/draws/1/resultList"), 1);
    QTest::newRow("a list its latest draw did not fill") << sampleWith("record/draws/5/names", QJsonArray{"刘洋"});
    QTest::newRow("a draw at no time") << sampleWith(QStringLiteral("record/draws/0/stoppedAt"), "14:01");
    QTest::newRow("a draw without a choice") << sampleWith(QStringLiteral("record/draws/0/choice"), "none");
}

void EventRecoveryTest::damagedTextIsRefused() {
    QFETCH(QByteArray, text);
    QCOMPARE(eventFromFileText(text), std::nullopt);
}

// The names stand in the text as they are written. A file cut short by a crash or a full disk
// gives nothing back but the whole event.
void EventRecoveryTest::textHoldsTheWholeEventOrNothing() {
    const QByteArray text = eventFileText(sampleEvent());
    for (const char *readable : {"\"version\": 2", "\"heading\": \"第5次抽中\"", "\"张伟3\"", "\"remove\"",
                                 "\"stoppedAt\": \"2026-03-05T14:06:07.250\""}) {
        QVERIFY2(text.contains(readable), readable);
    }
    const qsizetype whole = text.trimmed().size();
    for (qsizetype size = 0; size <= text.size(); ++size) {
        const std::optional<EventSnapshot> read = eventFromFileText(text.left(size));
        QVERIFY2(size < whole ? !read : read == sampleEvent(), qPrintable(QString::number(size)));
    }
    QCOMPARE(eventFromFileText(eventFileText({})), EventSnapshot{});
}

void EventRecoveryTest::everyChangeIsKeptBeforeTheViewsShowIt() {
    Run run(m_messages);
    const QString path = run.recovery.filePath();
    QList<bool> kept; // at each signal to the views: whether the file already holds the change
    const auto view = [&] { kept.append(fileBytes(path) == eventFileText(run.event.snapshot())); };
    connect(&run.event, &EventModel::poolChanged, this, view);
    connect(&run.event, &EventModel::latestResultListChanged, this, view);
    connect(&run.event, &EventModel::keepChoiceChanged, this, view);

    run.event.startSeries();
    run.event.setPool(numbered(QStringLiteral("名"), 5));
    run.event.setKeepChoice(KeepChoice::Remove);
    run.event.recordDraw({QStringLiteral("名2")}, numbered(QStringLiteral("名"), 4));
    QCOMPARE(kept, QList<bool>(6, true));
    QCOMPARE(QFile::permissions(path), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    QVERIFY(m_messages.shown().isEmpty());
}

void EventRecoveryTest::nextStart_data() {
    QTest::addColumn<QString>("end");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("restored");
    QTest::addColumn<bool>("anythingLeft"); // besides a series begun and a choice
    QTest::newRow("after a normal close") << "close" << true << false << true;
    QTest::newRow("after a crash, 是") << "crash" << true << true << true;
    QTest::newRow("after a crash, 否") << "crash" << false << false << true;
    // The lock stays behind too, with the process that held it gone.
    QTest::newRow("after a kill, 是") << "kill" << true << true << true;
    QTest::newRow("after a crash with no name imported") << "crash" << true << false << false;
}

void EventRecoveryTest::nextStart() {
    QFETCH(QString, end);
    QFETCH(bool, yes);
    QFETCH(bool, restored);
    QFETCH(bool, anythingLeft);
    auto run = std::make_unique<Run>(m_messages);
    if (anythingLeft) {
        run->event.restore(sampleEvent());
    } else {
        run->event.startSeries();
        run->event.setKeepChoice(KeepChoice::Remove);
    }
    const QString lock = QString(run->recovery.filePath()).replace(QStringLiteral(".json"), QStringLiteral(".lock"));
    QByteArray lockText = fileBytes(lock);
    if (end == QStringLiteral("close")) {
        run->recovery.finish();
    }
    run.reset();
    if (end == QStringLiteral("kill")) {
        QProcess gone;
        gone.start(QStringLiteral("true"));
        QVERIFY(gone.waitForStarted());
        const QByteArray pid = QByteArray::number(gone.processId());
        QVERIFY(gone.waitForFinished());
        writeFile(lock, lockText.replace(0, lockText.indexOf('\n'), pid));
    }
    QCOMPARE(QDir(recoveryFolder()).isEmpty(), end == QStringLiteral("close"));
    m_messages.answerYes(yes);

    run = std::make_unique<Run>(m_messages);
    const QString question = QStringLiteral("上次抽签没有正常结束。是否恢复上次的名单和抽签结果？");
    const bool asked = end != QStringLiteral("close") && anythingLeft;
    QCOMPARE(m_messages.shown(), asked ? QStringList{question} : QStringList{});
    QCOMPARE(run->event.snapshot(), restored ? sampleEvent() : EventSnapshot{});
    QCOMPARE(files(), restored ? QStringList{QStringLiteral("event-1.json")} : QStringList{});
    // The next draw continues the series, and is kept.
    run->event.recordDraw({QStringLiteral("张伟1")}, std::nullopt);
    QCOMPARE(eventFromFileText(fileBytes(run->recovery.filePath())), run->event.snapshot());
    QCOMPARE(run->event.heading(3), QStringLiteral("第%1次抽中").arg(restored ? 7 : 3));
}

// Neither copy offers, restores or removes the other's event while that one runs.
void EventRecoveryTest::runningCopiesKeepFilesOfTheirOwn() {
    Run first(m_messages);
    first.event.restore(sampleEvent());
    auto second = std::make_unique<Run>(m_messages);
    QVERIFY(m_messages.shown().isEmpty());
    QCOMPARE(second->event.snapshot(), EventSnapshot{});
    second->event.setPool({QStringLiteral("甲")});
    QVERIFY(second->recovery.filePath() != first.recovery.filePath());

    second.reset(); // ends abnormally while the first runs on
    first.event.setPool({QStringLiteral("乙")});
    QCOMPARE(eventFromFileText(fileBytes(first.recovery.filePath()))->pool, QStringList{QStringLiteral("乙")});
    m_messages.answerYes(true);
    second = std::make_unique<Run>(m_messages);
    QCOMPARE(second->event.pool(), QStringList{QStringLiteral("甲")});
}

void EventRecoveryTest::damagedFileIsSetAsideAndStartsEmpty() {
    auto run = std::make_unique<Run>(m_messages);
    run->event.restore(sampleEvent());
    const QString path = run->recovery.filePath();
    run.reset();
    const QByteArray damaged = eventFileText(sampleEvent()).left(200);
    writeFile(path, damaged);

    run = std::make_unique<Run>(m_messages);
    QCOMPARE(files().size(), 1);
    const QString keptAs = recoveryFolder() + u'/' + files().constFirst();
    QCOMPARE(fileBytes(keptAs), damaged);
    QCOMPARE(m_messages.shown(), QStringList{EventRecovery::damagedMessage(keptAs)});
    QVERIFY(m_messages.shown().constFirst().contains(keptAs));
    QCOMPARE(run->event.snapshot(), EventSnapshot{});
    run->event.setPool({QStringLiteral("甲")});
    QCOMPARE(fileBytes(keptAs), damaged);
}

// The folder cannot be made at all, or the file cannot be replaced after a good start.
void EventRecoveryTest::unwritableFileIsToldOnceAtTheFirstDraw_data() {
    QTest::addColumn<bool>("fromTheStart");
    QTest::newRow("a file where the folder belongs") << true;
    QTest::newRow("a folder where the file belongs") << false;
}

void EventRecoveryTest::unwritableFileIsToldOnceAtTheFirstDraw() {
    QFETCH(bool, fromTheStart);
    if (fromTheStart) {
        writeFile(recoveryFolder(), "not a folder");
    }
    Run run(m_messages);
    if (!fromTheStart) {
        QVERIFY(QDir().mkdir(run.recovery.filePath()));
    }

    run.event.setPool(numbered(QStringLiteral("名"), 5));
    QCoreApplication::processEvents();
    QVERIFY(m_messages.shown().isEmpty());
    for (int draw = 1; draw <= 2; ++draw) {
        run.event.recordDraw({QStringLiteral("名%1").arg(draw)}, std::nullopt);
        QCoreApplication::processEvents();
        QCOMPARE(m_messages.shown(), QStringList{EventRecovery::notKeptMessage(recoveryFolder())});
    }
    QCOMPARE(run.event.drawNumber(), 2);
}

// A run killed in the middle of a write leaves the write's private folder, which the next start
// removes; a write under way in another copy (a folder changed just now) keeps its own, and nothing
// else of the user's goes, not even through a link.
void EventRecoveryTest::startRemovesWhatKilledWritesLeft() {
    const QDir folder(recoveryFolder());
    for (const char *made :
         {".~lotdraw-save-k1ll3d", ".~lotdraw-save-n0wn0w", ".~lotdraw-save-photos2024", "../mine"}) {
        QVERIFY(folder.mkpath(QString::fromUtf8(made)));
    }
    writeFile(folder.filePath(QStringLiteral(".~lotdraw-save-k1ll3d/event-1.json")), "{");
    writeFile(folder.filePath(QStringLiteral("../mine/photo.jpg")), "mine");
    QVERIFY(QFile::link(folder.filePath(QStringLiteral("../mine")), folder.filePath(".~lotdraw-save-l1nk00")));
    const std::array<timespec, 2> anHourAgo{timespec{time(nullptr) - 3600, 0}, timespec{time(nullptr) - 3600, 0}};
    for (const char *old : {".~lotdraw-save-k1ll3d", ".~lotdraw-save-photos2024", ".~lotdraw-save-l1nk00", "../mine"}) {
        const QByteArray path = QFile::encodeName(folder.filePath(QString::fromUtf8(old)));
        QCOMPARE(::utimensat(AT_FDCWD, path.constData(), anHourAgo.data(), AT_SYMLINK_NOFOLLOW), 0);
    }

    Run run(m_messages);
    QCOMPARE(
        folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
        (QStringList{".~lotdraw-save-l1nk00", ".~lotdraw-save-n0wn0w", ".~lotdraw-save-photos2024", "event-1.lock"}));
    QCOMPARE(fileBytes(folder.filePath(QStringLiteral("../mine/photo.jpg"))), QByteArray("mine"));
}

QTEST_GUILESS_MAIN(EventRecoveryTest)
#include "event_recovery_test.moc"

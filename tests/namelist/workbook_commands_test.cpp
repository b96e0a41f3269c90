#include "namelist/workbook_commands.h"
#include "state/draw_state_procedures.h"
#include "support/fake_form_controls.h"
#include "support/fake_spreadsheet.h"
#include "support/numbered_names.h"
#include "support/operator_texts.h"
#include "support/recording_messages.h"

#include <QTest>

using namespace lotdraw;
using lotdraw::testing::FakeFormControls;
using lotdraw::testing::FakeSpreadsheetApplication;
using lotdraw::testing::kOfficeRunningText;
using lotdraw::testing::numbered;
using lotdraw::testing::RecordingMessages;
using Operation = FakeSpreadsheetApplication::Operation;

namespace {

const QString kPath = QStringLiteral("/opt/lotdraw/导入名单.xls");

// The window and its services, with a draw series under way: so a reset can be seen.
struct Fixture {
    DrawState state;
    FakeFormControls controls;
    RecordingMessages messages;
    FakeSpreadsheetApplication spreadsheet;
    WorkbookCommands commands{{state, controls, messages, spreadsheet, kPath}};

    Fixture() {
        spreadsheet.setWorkbookPath(kPath);
        state.drawNumber = 5;
        state.resultSlot = 1;
        state.skipTick = 0;
        controls.list(1).append(QStringLiteral("甲"));
        controls.setHeading(1, QStringLiteral("第5次抽中"));
        controls.setResultHighlighted(1, true);
        controls.setTimerInterval(FormControls::kRollingInterval);
        controls.setNumberText(QStringLiteral("3"));
        controls.setRollingText(QStringLiteral("乙"));
    }

    // A pool as an earlier import would have left it.
    void givePool(const QStringList &pool) {
        for (int i = 0; i < pool.size(); ++i) {
            state.poolNames[static_cast<std::size_t>(i) + 1] = pool.at(i);
        }
        state.poolCount = toInt16(pool.size());
        DrawStateProcedures(state, controls).refillPoolList();
        controls.setPoolCountText(DrawStateProcedures::poolCountText(static_cast<int>(pool.size())));
    }

    [[nodiscard]] QStringList poolSlots(int from, int to) const {
        QStringList result;
        for (int i = from; i <= to; ++i) {
            result.append(state.poolNames[static_cast<std::size_t>(i)]);
        }
        return result;
    }

    [[nodiscard]] bool wasReset() const {
        return state.drawNumber == 0 && state.resultSlot == 0 && state.skipTick == 1 && controls.lines(1).isEmpty() &&
               controls.heading(1) == QStringLiteral("第1次抽中") && !controls.isHighlighted(1) &&
               controls.timerInterval() == FormControls::kStoppedInterval && controls.numberText().isEmpty() &&
               controls.rollingText().isEmpty();
    }

    [[nodiscard]] bool untouchedSeries() const {
        return state.drawNumber == 5 && state.resultSlot == 1 && state.skipTick == 0 &&
               controls.lines(1) == QStringList{QStringLiteral("甲")} &&
               controls.heading(1) == QStringLiteral("第5次抽中") &&
               controls.timerInterval() == FormControls::kRollingInterval &&
               controls.numberText() == QStringLiteral("3");
    }
};

} // namespace

class WorkbookCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void importReadsColumnAUpToTheFirstEmptyCell_data();
    void importReadsColumnAUpToTheFirstEmptyCell();
    void importLeavesTheStartButtonReady();
    void importLeavesOtherCellsAlone();
    void importKeepsSlotsBeyondTheNewPool();
    void importFailureLeavesTheListedState_data();
    void importFailureLeavesTheListedState();
    void importRefusesWhileTheApplicationRuns();
    void editOpensTheWorkbookForTheUser();
    void editRefusesWhileTheApplicationRuns();
    void editFailureChangesNothing_data();
    void editFailureChangesNothing();
};

void WorkbookCommandsTest::importReadsColumnAUpToTheFirstEmptyCell_data() {
    QTest::addColumn<QStringList>("column");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("row 3 empty") << QStringList{} << QStringList{};
    QTest::newRow("eight names, then an empty row")
        << numbered(QStringLiteral("名"), 8) << numbered(QStringLiteral("名"), 8);
    QTest::newRow("a gap ends the list") << QStringList{"甲", "乙", "丙", "", "丁", "戊"}
                                         << QStringList{"甲", "乙", "丙"};
    QTest::newRow("99 names and more below") << numbered(QStringLiteral("n"), 120) << numbered(QStringLiteral("n"), 99);
    QTest::newRow("spaces and digits are names")
        << QStringList{"  ", "0", " 张三 ", "42"} << QStringList{"  ", "0", " 张三 ", "42"};
}

void WorkbookCommandsTest::importReadsColumnAUpToTheFirstEmptyCell() {
    QFETCH(QStringList, column);
    QFETCH(QStringList, expected);
    Fixture f;
    f.spreadsheet.setSavedColumn(1, 3, column);

    f.commands.importPool();

    QCOMPARE(f.messages.shown(), QStringList{});
    QCOMPARE(static_cast<int>(f.state.poolCount), expected.size());
    QCOMPARE(f.poolSlots(1, static_cast<int>(expected.size())), expected);
    QCOMPARE(f.controls.lines(FormControls::kPoolList), expected);
    QCOMPARE(f.controls.poolCountText(), QStringLiteral("%1可抽值").arg(expected.size()));
    QVERIFY(f.wasReset());
    QCOMPARE(f.state.poolNames[0], QString());
    QCOMPARE(f.state.poolNames[100], QString());
    // Column A from row 3, at most 99 rows: row 102 and below are never read.
    QVERIFY(f.spreadsheet.log().contains(QStringLiteral("read 1:3+99")));
    QCOMPARE(f.spreadsheet.liveInstances(), 0);
    QCOMPARE(f.controls.busyDepth(), 0);
}

void WorkbookCommandsTest::importLeavesTheStartButtonReady() {
    Fixture f;
    f.spreadsheet.setSavedColumn(1, 3, numbered(QStringLiteral("名"), 2));

    f.commands.importPool();

    QCOMPARE(f.controls.busyChanges(), (QList<bool>{true, false}));
    // The reset moved the focus to "开始" and brought it back in place of "结束".
    QCOMPARE(f.controls.focus(), QStringLiteral("startButton"));
    QVERIFY(f.controls.isStartVisible());
    QVERIFY(!f.controls.isStopVisible());
    QVERIFY(!f.controls.isKeepChosen());
    QVERIFY(!f.controls.isRemoveChosen());
}

void WorkbookCommandsTest::importLeavesOtherCellsAlone() {
    Fixture f;
    f.spreadsheet.savedCells().insert({1, 1}, QStringLiteral("名单"));
    f.spreadsheet.savedCells().insert({2, 1}, QStringLiteral("姓名"));
    f.spreadsheet.savedCells().insert({3, 2}, QStringLiteral("乙"));
    f.spreadsheet.setSavedColumn(1, 3, {QStringLiteral("甲")});

    f.commands.importPool();

    QCOMPARE(f.controls.lines(FormControls::kPoolList), QStringList{QStringLiteral("甲")});
    // Nothing but column A from row 3 is read, and nothing is written or saved.
    QCOMPARE(f.spreadsheet.log(), (QStringList{"probe", "create", "open " + kPath, "read 1:3+99", "close", "release"}));
}

void WorkbookCommandsTest::importKeepsSlotsBeyondTheNewPool() {
    Fixture f;
    f.spreadsheet.setSavedColumn(1, 3, numbered(QStringLiteral("旧"), 30));
    f.commands.importPool();
    f.spreadsheet.savedCells().clear();
    f.spreadsheet.setSavedColumn(1, 3, numbered(QStringLiteral("新"), 10));

    f.commands.importPool();

    QCOMPARE(static_cast<int>(f.state.poolCount), 10);
    QCOMPARE(f.controls.lines(FormControls::kPoolList), numbered(QStringLiteral("新"), 10));
    QCOMPARE(f.controls.poolCountText(), QStringLiteral("10可抽值"));
    QCOMPARE(f.poolSlots(11, 30), numbered(QStringLiteral("旧"), 30).mid(10));
}

void WorkbookCommandsTest::importFailureLeavesTheListedState_data() {
    QTest::addColumn<int>("operation");
    QTest::addColumn<bool>("poolReplaced");
    QTest::addColumn<QString>("lastCall");

    QTest::newRow("create") << int(Operation::Create) << false << "create";
    QTest::newRow("open") << int(Operation::Open) << false << "open " + kPath;
    QTest::newRow("read") << int(Operation::Read) << false << "read 1:3+99";
    QTest::newRow("close") << int(Operation::Close) << true << "close";
}

void WorkbookCommandsTest::importFailureLeavesTheListedState() {
    QFETCH(int, operation);
    QFETCH(bool, poolReplaced);
    QFETCH(QString, lastCall);
    Fixture f;
    const QStringList oldPool = numbered(QStringLiteral("旧"), 6);
    const QStringList newPool = numbered(QStringLiteral("新"), 4);
    f.givePool(oldPool);
    f.spreadsheet.setSavedColumn(1, 3, newPool);
    f.spreadsheet.failAt(static_cast<Operation>(operation));

    f.commands.importPool();

    QCOMPARE(f.messages.shown(),
             QStringList{FakeSpreadsheetApplication::failureMessage(static_cast<Operation>(operation))});
    QVERIFY(f.wasReset());
    const QStringList pool = poolReplaced ? newPool : oldPool;
    QCOMPARE(static_cast<int>(f.state.poolCount), pool.size());
    QCOMPARE(f.poolSlots(1, static_cast<int>(pool.size())), pool);
    QCOMPARE(f.controls.lines(FormControls::kPoolList), pool);
    QCOMPARE(f.controls.poolCountText(), QStringLiteral("%1可抽值").arg(pool.size()));
    if (poolReplaced) {
        QCOMPARE(f.poolSlots(5, 6), oldPool.mid(4));
    }

    // The handler stops at the failing call and lets the instance go.
    QStringList log = f.spreadsheet.log();
    QCOMPARE(log.takeLast(), operation == int(Operation::Create) ? lastCall : QStringLiteral("release"));
    if (operation != int(Operation::Create)) {
        QCOMPARE(log.takeLast(), lastCall);
    }
    QCOMPARE(f.spreadsheet.log().contains(QStringLiteral("close")), poolReplaced);
    QCOMPARE(f.spreadsheet.liveInstances(), 0);
    QCOMPARE(f.controls.busyDepth(), 0);
}

void WorkbookCommandsTest::importRefusesWhileTheApplicationRuns() {
    Fixture f;
    f.givePool(numbered(QStringLiteral("旧"), 3));
    f.spreadsheet.setSavedColumn(1, 3, numbered(QStringLiteral("新"), 5));
    f.spreadsheet.setRunning(true);

    f.commands.importPool();

    QCOMPARE(f.messages.shown(), QStringList{kOfficeRunningText});
    QCOMPARE(f.spreadsheet.log(), QStringList{QStringLiteral("probe")});
    QVERIFY(f.untouchedSeries());
    QCOMPARE(f.controls.lines(FormControls::kPoolList), numbered(QStringLiteral("旧"), 3));
    QCOMPARE(static_cast<int>(f.state.poolCount), 3);
    QCOMPARE(f.controls.poolCountText(), QStringLiteral("3可抽值"));
}

void WorkbookCommandsTest::editOpensTheWorkbookForTheUser() {
    Fixture f;
    f.givePool(numbered(QStringLiteral("旧"), 3));
    f.spreadsheet.setSavedColumn(1, 3, numbered(QStringLiteral("新"), 5));

    f.commands.openForEditing();

    QCOMPARE(f.messages.shown(), QStringList{});
    QCOMPARE(f.spreadsheet.liveInstances(), 0);
    QVERIFY(f.untouchedSeries());
    QCOMPARE(f.controls.lines(FormControls::kPoolList), numbered(QStringLiteral("旧"), 3));
    QCOMPARE(f.controls.busyDepth(), 0);

    // While the user's window is open, the import refuses; once closed, it reads the workbook.
    f.commands.importPool();
    QCOMPARE(f.messages.shown(), QStringList{kOfficeRunningText});
    QVERIFY(f.untouchedSeries());
    f.spreadsheet.closeUserWindow();
    f.commands.importPool();
    QCOMPARE(f.controls.lines(FormControls::kPoolList), numbered(QStringLiteral("新"), 5));
}

void WorkbookCommandsTest::editRefusesWhileTheApplicationRuns() {
    Fixture f;
    f.commands.openForEditing();
    f.spreadsheet.clearLog();

    f.commands.openForEditing();

    QCOMPARE(f.messages.shown(), QStringList{kOfficeRunningText});
    QCOMPARE(f.spreadsheet.log(), QStringList{QStringLiteral("probe")});
}

void WorkbookCommandsTest::editFailureChangesNothing_data() {
    QTest::addColumn<int>("operation");
    QTest::newRow("create") << int(Operation::Create);
    QTest::newRow("open") << int(Operation::Open);
    QTest::newRow("show") << int(Operation::Show);
}

void WorkbookCommandsTest::editFailureChangesNothing() {
    QFETCH(int, operation);
    Fixture f;
    f.givePool(numbered(QStringLiteral("旧"), 3));
    f.spreadsheet.failAt(static_cast<Operation>(operation));

    f.commands.openForEditing();

    QCOMPARE(f.messages.shown(),
             QStringList{FakeSpreadsheetApplication::failureMessage(static_cast<Operation>(operation))});
    QVERIFY(f.untouchedSeries());
    QCOMPARE(f.controls.lines(FormControls::kPoolList), numbered(QStringLiteral("旧"), 3));
    QCOMPARE(f.spreadsheet.liveInstances(), 0);
    QCOMPARE(f.controls.busyDepth(), 0);
    // Nothing was left open for the user, so the next press is not refused.
    f.spreadsheet.clearFailure();
    f.messages.clear();
    f.commands.openForEditing();
    QCOMPARE(f.messages.shown(), QStringList{});
}

QTEST_GUILESS_MAIN(WorkbookCommandsTest)
#include "workbook_commands_test.moc"

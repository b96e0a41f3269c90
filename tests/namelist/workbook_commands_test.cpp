#include "namelist/workbook_commands.h"
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
    EventModel event;
    FakeFormControls controls;
    RecordingMessages messages;
    FakeSpreadsheetApplication spreadsheet;
    WorkbookCommands commands{{state, controls, messages, spreadsheet, kPath, event}};

    Fixture() {
        spreadsheet.setWorkbookPath(kPath);
        event.restore({.results = {QStringList{"甲"}}, .drawNumber = 5});
        state.skipTick = 0;
        controls.setTimerInterval(FormControls::kRollingInterval);
        controls.setNumberText(QStringLiteral("3"));
        controls.setRollingText(QStringLiteral("乙"));
    }

    [[nodiscard]] bool wasReset() const {
        return event.drawNumber() == 0 && state.skipTick == 1 && event.results(1).isEmpty() &&
               event.keepChoice() == KeepChoice::None && !controls.isRolling() && controls.numberText().isEmpty() &&
               controls.rollingText().isEmpty();
    }

    [[nodiscard]] bool untouchedSeries() const {
        return event.drawNumber() == 5 && state.skipTick == 0 &&
               event.results(1) == QStringList{QStringLiteral("甲")} && event.keepChoice() == KeepChoice::Keep &&
               controls.isRolling() && controls.numberText() == QStringLiteral("3");
    }
};

} // namespace

class WorkbookCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void importReadsColumnAUpToTheFirstEmptyCell_data();
    void importReadsColumnAUpToTheFirstEmptyCell();
    void importLeavesOtherCellsAlone();
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
    QCOMPARE(f.event.pool(), expected);
    QVERIFY(f.wasReset());
    // Column A from row 3, at most 99 rows: row 102 and below are never read.
    QVERIFY(f.spreadsheet.log().contains(QStringLiteral("read 1:3+99")));
    QCOMPARE(f.spreadsheet.liveInstances(), 0);
    QCOMPARE(f.controls.busyChanges(), (QList<bool>{true, false}));
}

void WorkbookCommandsTest::importLeavesOtherCellsAlone() {
    Fixture f;
    f.spreadsheet.savedCells().insert({1, 1}, QStringLiteral("名单"));
    f.spreadsheet.savedCells().insert({2, 1}, QStringLiteral("姓名"));
    f.spreadsheet.savedCells().insert({3, 2}, QStringLiteral("乙"));
    f.spreadsheet.setSavedColumn(1, 3, {QStringLiteral("甲")});

    f.commands.importPool();

    QCOMPARE(f.event.pool(), QStringList{QStringLiteral("甲")});
    // Nothing but column A from row 3 is read, and nothing is written or saved.
    QCOMPARE(f.spreadsheet.log(), (QStringList{"probe", "create", "open " + kPath, "read 1:3+99", "close", "release"}));
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
    f.event.setPool(oldPool);
    f.spreadsheet.setSavedColumn(1, 3, newPool);
    f.spreadsheet.failAt(static_cast<Operation>(operation));

    f.commands.importPool();

    QCOMPARE(f.messages.shown(),
             QStringList{FakeSpreadsheetApplication::failureMessage(static_cast<Operation>(operation))});
    QVERIFY(f.wasReset());
    QCOMPARE(f.event.pool(), poolReplaced ? newPool : oldPool);

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
    f.event.setPool(numbered(QStringLiteral("旧"), 3));
    f.spreadsheet.setSavedColumn(1, 3, numbered(QStringLiteral("新"), 5));
    f.spreadsheet.setRunning(true);

    f.commands.importPool();

    QCOMPARE(f.messages.shown(), QStringList{kOfficeRunningText});
    QCOMPARE(f.spreadsheet.log(), QStringList{QStringLiteral("probe")});
    QVERIFY(f.untouchedSeries());
    QCOMPARE(f.event.pool(), numbered(QStringLiteral("旧"), 3));
}

void WorkbookCommandsTest::editOpensTheWorkbookForTheUser() {
    Fixture f;
    f.event.setPool(numbered(QStringLiteral("旧"), 3));
    f.spreadsheet.setSavedColumn(1, 3, numbered(QStringLiteral("新"), 5));

    f.commands.openForEditing();

    QCOMPARE(f.messages.shown(), QStringList{});
    QCOMPARE(f.spreadsheet.liveInstances(), 0);
    QVERIFY(f.untouchedSeries());
    QCOMPARE(f.event.pool(), numbered(QStringLiteral("旧"), 3));
    QCOMPARE(f.controls.busyDepth(), 0);

    // While the user's window is open, the import refuses; once closed, it reads the workbook.
    f.commands.importPool();
    QCOMPARE(f.messages.shown(), QStringList{kOfficeRunningText});
    QVERIFY(f.untouchedSeries());
    f.spreadsheet.closeUserWindow();
    f.commands.importPool();
    QCOMPARE(f.event.pool(), numbered(QStringLiteral("新"), 5));
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
    f.event.setPool(numbered(QStringLiteral("旧"), 3));
    f.spreadsheet.failAt(static_cast<Operation>(operation));

    f.commands.openForEditing();

    QCOMPARE(f.messages.shown(),
             QStringList{FakeSpreadsheetApplication::failureMessage(static_cast<Operation>(operation))});
    QVERIFY(f.untouchedSeries());
    QCOMPARE(f.event.pool(), numbered(QStringLiteral("旧"), 3));
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

#include "results/result_export.h"
#include "support/fake_form_controls.h"
#include "support/fake_spreadsheet.h"
#include "support/numbered_names.h"
#include "support/recording_messages.h"

#include <QTest>

using namespace lotdraw;
using lotdraw::testing::FakeFormControls;
using lotdraw::testing::FakeSpreadsheetApplication;
using lotdraw::testing::numbered;
using lotdraw::testing::RecordingMessages;
using Operation = FakeSpreadsheetApplication::Operation;

namespace {

const QString kPath = QStringLiteral("/opt/lotdraw/导入名单.xls");

struct Fixture {
    EventModel event;
    FakeFormControls controls;
    RecordingMessages messages;
    FakeSpreadsheetApplication spreadsheet;
    ResultExport exporter{{controls, messages, spreadsheet, kPath, event}};

    Fixture() { spreadsheet.setWorkbookPath(kPath); }

    void fill(int list, const QStringList &lines) { lotdraw::testing::fillResults(event, list, lines); }

    // Rows 3..102 of a column of the saved workbook, trailing empty cells left off.
    [[nodiscard]] QStringList savedColumn(int column) const {
        QStringList result;
        for (int row = 3; row <= 102; ++row) {
            result.append(spreadsheet.savedCell(row, column));
        }
        while (!result.isEmpty() && result.constLast().isEmpty()) {
            result.removeLast();
        }
        return result;
    }
};

} // namespace

class ResultExportTest : public QObject {
    Q_OBJECT

private slots:
    void exportWritesTheListIntoItsColumn_data();
    void exportWritesTheListIntoItsColumn();
    void shorterAfterLongerLeavesNothingBehind();
    void exportLeavesOtherCellsAlone();
    void exportGoesAheadWhileTheApplicationRuns();
    void failureReportsAndLeavesTheNotice_data();
    void failureReportsAndLeavesTheNotice();
    void noticeHidesOnClickAndShowsAgain();
};

void ResultExportTest::exportWritesTheListIntoItsColumn_data() {
    QTest::addColumn<int>("resultList");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("first list into B") << 1 << numbered("甲", 4) << numbered("甲", 4);
    QTest::newRow("second list into C") << 2 << numbered("乙", 9) << numbered("乙", 9);
    QTest::newRow("third list into D") << 3 << numbered("丙", 1) << numbered("丙", 1);
    QTest::newRow("fourth list into E") << 4 << numbered("丁", 100) << numbered("丁", 100);
    QTest::newRow("an empty list") << 1 << QStringList{} << QStringList{};
    QTest::newRow("more than 100 lines") << 2 << numbered("戊", 140) << numbered("戊", 100);
    QTest::newRow("an empty line stops") << 3 << QStringList{"甲", "", "乙"} << QStringList{"甲"};
    QTest::newRow("spaces and digits") << 4 << QStringList{"  ", "12"} << QStringList{"  ", "12"};
}

void ResultExportTest::exportWritesTheListIntoItsColumn() {
    QFETCH(int, resultList);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, expected);
    Fixture f;
    f.fill(resultList, lines);

    f.exporter.exportList(resultList);

    QCOMPARE(f.savedColumn(resultList + 1), expected);
    QCOMPARE(f.messages.shown(), QStringList{});
    QVERIFY(f.controls.isExportNoticeVisible());
    QCOMPARE(f.event.results(resultList), lines);
    QCOMPARE(f.spreadsheet.liveInstances(), 0);
    QCOMPARE(f.controls.busyChanges(), (QList<bool>{true, false}));
}

void ResultExportTest::shorterAfterLongerLeavesNothingBehind() {
    Fixture f;
    f.spreadsheet.setSavedColumn(2, 3, numbered("旧", 100));
    f.spreadsheet.savedCells().insert({103, 2}, QStringLiteral("不归导出管"));
    f.fill(1, numbered("新", 3));

    f.exporter.exportList(1);
    const auto once = f.spreadsheet.savedCells();
    f.exporter.exportList(1);

    QCOMPARE(f.savedColumn(2), numbered("新", 3));
    QCOMPARE(f.spreadsheet.savedCell(103, 2), QStringLiteral("不归导出管"));
    QCOMPARE(f.spreadsheet.savedCells(), once);
}

void ResultExportTest::exportLeavesOtherCellsAlone() {
    Fixture f;
    f.spreadsheet.savedCells().insert({1, 3}, QStringLiteral("标题"));
    f.spreadsheet.savedCells().insert({2, 3}, QStringLiteral("副标题"));
    f.spreadsheet.setSavedColumn(1, 3, numbered("池", 20));
    f.spreadsheet.setSavedColumn(2, 3, numbered("乙", 20));
    f.spreadsheet.setSavedColumn(4, 3, numbered("丁", 20));
    f.fill(2, numbered("丙", 5));
    auto expected = f.spreadsheet.savedCells();
    for (int i = 1; i <= 5; ++i) {
        expected.insert({i + 2, 3}, QStringLiteral("丙%1").arg(i));
    }

    f.exporter.exportList(2);

    QCOMPARE(f.spreadsheet.savedCells(), expected);
}

void ResultExportTest::exportGoesAheadWhileTheApplicationRuns() {
    Fixture f;
    f.spreadsheet.setRunning(true);
    f.fill(1, {QStringLiteral("甲")});

    f.exporter.exportList(1);

    QVERIFY(!f.spreadsheet.log().contains(QStringLiteral("probe")));
    QCOMPARE(f.savedColumn(2), QStringList{QStringLiteral("甲")});
    QVERIFY(f.controls.isExportNoticeVisible());
}

void ResultExportTest::failureReportsAndLeavesTheNotice_data() {
    QTest::addColumn<int>("operation");
    QTest::addColumn<bool>("noticeBefore");
    QTest::addColumn<bool>("saved");

    QTest::newRow("create, notice hidden") << int(Operation::Create) << false << false;
    QTest::newRow("open, notice shown") << int(Operation::Open) << true << false;
    QTest::newRow("write") << int(Operation::Write) << false << false;
    QTest::newRow("save, notice shown") << int(Operation::Save) << true << false;
    // Saved, yet the notice does not claim a complete export.
    QTest::newRow("close") << int(Operation::Close) << false << true;
}

void ResultExportTest::failureReportsAndLeavesTheNotice() {
    QFETCH(int, operation);
    QFETCH(bool, noticeBefore);
    QFETCH(bool, saved);
    Fixture f;
    f.spreadsheet.setSavedColumn(2, 3, numbered("旧", 8));
    f.fill(1, numbered("新", 5));
    f.controls.setExportNoticeVisible(noticeBefore);
    f.spreadsheet.failAt(static_cast<Operation>(operation));

    f.exporter.exportList(1);

    QCOMPARE(f.messages.shown(),
             QStringList{FakeSpreadsheetApplication::failureMessage(static_cast<Operation>(operation))});
    QCOMPARE(f.controls.isExportNoticeVisible(), noticeBefore);
    QCOMPARE(f.savedColumn(2), saved ? numbered("新", 5) : numbered("旧", 8));
    QCOMPARE(f.spreadsheet.log().contains(QStringLiteral("close")), saved);
    QCOMPARE(f.spreadsheet.liveInstances(), 0);
    QCOMPARE(f.controls.busyDepth(), 0);
}

void ResultExportTest::noticeHidesOnClickAndShowsAgain() {
    Fixture f;
    f.exporter.exportList(4);
    QVERIFY(f.controls.isExportNoticeVisible());

    f.exporter.dismissNotice();
    QVERIFY(!f.controls.isExportNoticeVisible());

    f.exporter.exportList(4);
    QVERIFY(f.controls.isExportNoticeVisible());
}

QTEST_GUILESS_MAIN(ResultExportTest)
#include "result_export_test.moc"

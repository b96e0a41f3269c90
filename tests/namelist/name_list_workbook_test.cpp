#include "namelist/name_list_workbook.h"
#include "support/fake_spreadsheet.h"

#include <QTest>

using namespace lotdraw;
using lotdraw::testing::FakeSpreadsheetApplication;
using Operation = FakeSpreadsheetApplication::Operation;

Q_DECLARE_METATYPE(Operation)

// The writer of new name lists, against the spreadsheet application in memory.
class NameListWorkbookTest : public QObject {
    Q_OBJECT

private slots:
    void writesTitleHeadingsAndNamesAsGiven();
    void failureStopsAtTheFailingCall_data();
    void failureStopsAtTheFailingCall();
};

void NameListWorkbookTest::writesTitleHeadingsAndNamesAsGiven() {
    FakeSpreadsheetApplication app;
    const QStringList names{QStringLiteral("张伟"), QStringLiteral("  空格  "), QStringLiteral("0012"),
                            QStringLiteral("=1+1")};
    writeNameListWorkbook(app, QStringLiteral("/x/导入名单.xls"), names);

    // Nothing but the title, a heading over each of columns A to E and the names down column A.
    FakeSpreadsheetApplication::Cells expected{
        {{1, 1}, QStringLiteral("抽签名单")},   {{2, 1}, QStringLiteral("被抽名单")},
        {{2, 2}, QStringLiteral("第一组结果")}, {{2, 3}, QStringLiteral("第二组结果")},
        {{2, 4}, QStringLiteral("第三组结果")}, {{2, 5}, QStringLiteral("第四组结果")}};
    for (int index = 0; index < names.size(); ++index) {
        expected.insert({3 + index, 1}, names.at(index));
    }
    QCOMPARE(app.savedCells(), expected);
    QCOMPARE(app.log().mid(0, 2), (QStringList{"create", "new /x/导入名单.xls"}));
    QCOMPARE(app.log().mid(app.log().size() - 3), (QStringList{"save", "close", "release"}));
}

void NameListWorkbookTest::failureStopsAtTheFailingCall_data() {
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QString>("call");
    QTest::addColumn<bool>("saved");
    QTest::newRow("create") << Operation::Create << "create" << false;
    QTest::newRow("new workbook") << Operation::NewWorkbook << "new /x/a.xls" << false;
    QTest::newRow("cells") << Operation::Write << "write 1:1+3=抽签名单|被抽名单|a" << false;
    QTest::newRow("save") << Operation::Save << "save" << false;
    QTest::newRow("close") << Operation::Close << "close" << true;
}

void NameListWorkbookTest::failureStopsAtTheFailingCall() {
    QFETCH(Operation, operation);
    QFETCH(QString, call);
    QFETCH(bool, saved);
    FakeSpreadsheetApplication app;
    app.failAt(operation);
    QVERIFY_THROWS_EXCEPTION(SpreadsheetError,
                             writeNameListWorkbook(app, QStringLiteral("/x/a.xls"), {QStringLiteral("a")}));
    // Nothing is asked after the failing call; the instance is let go.
    QStringList log = app.log();
    if (operation != Operation::Create) {
        QCOMPARE(log.takeLast(), QStringLiteral("release"));
    }
    QCOMPARE(log.takeLast(), call);
    QCOMPARE(app.savedCells().isEmpty(), !saved);
}

QTEST_GUILESS_MAIN(NameListWorkbookTest)
#include "name_list_workbook_test.moc"

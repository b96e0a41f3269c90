#include "support/office_fixture.h"

#include <QTemporaryDir>
#include <QTest>

using namespace lotdraw::testing;

// The fixture path must be right before tests lean on it to judge the program's own reads and writes.
class OfficeFixtureTest : public QObject {
    Q_OBJECT

private slots:
    void parsesQuotedFields();
    void workbookRoundTripsThroughCsv();
};

void OfficeFixtureTest::parsesQuotedFields() {
    const QList<QStringList> rows = parseCsv(QStringLiteral("a,\"b,c\",\"d\"\"e\"\r\n,\"  \",\n"));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0), (QStringList{"a", "b,c", "d\"e"}));
    QCOMPARE(rows.at(1), (QStringList{"", "  ", ""}));
}

void OfficeFixtureTest::workbookRoundTripsThroughCsv() {
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("导入名单.xls"));

    makeWorkbookFromCsv(QStringLiteral("标题,,\n,,\n张三,\"  \",42\n\"李 四\",0,x\n"), path);
    const QList<QStringList> rows = readWorkbookCsv(path);

    QCOMPARE(cellAt(rows, 1, 1), QStringLiteral("标题"));
    QCOMPARE(cellAt(rows, 3, 1), QStringLiteral("张三"));
    QCOMPARE(cellAt(rows, 3, 2), QStringLiteral("  "));
    QCOMPARE(cellAt(rows, 3, 3), QStringLiteral("42"));
    QCOMPARE(cellAt(rows, 4, 1), QStringLiteral("李 四"));
    QCOMPARE(cellAt(rows, 4, 2), QStringLiteral("0"));
    QCOMPARE(cellAt(rows, 9, 9), QString());
    // The conversions' offices have ended (their private profiles carry this name).
    QCOMPARE(officeProcesses(QStringLiteral("lotdraw-fixture-"), true), QList<qint64>{});
    QCOMPARE(leftoverFiles(folder.path()), QStringList{});
}

QTEST_GUILESS_MAIN(OfficeFixtureTest)
#include "office_fixture_test.moc"

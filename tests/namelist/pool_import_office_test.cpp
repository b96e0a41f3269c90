#include "namelist/workbook_commands.h"
#include "office/libreoffice_application.h"
#include "support/fake_form_controls.h"
#include "support/numbered_names.h"
#include "support/office_fixture.h"
#include "support/recording_messages.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <sys/stat.h>

using namespace lotdraw;
using namespace lotdraw::testing;

namespace {

// Two heading rows, then one CSV line per entry of `columnA`.
QString workbookCsv(const QStringList &columnA) {
    QString csv = QStringLiteral("名单,,,,\n姓名,,,,\n");
    for (const QString &name : columnA) {
        csv += QStringLiteral("\"%1\"\n").arg(name);
    }
    return csv;
}

} // namespace

// The import against a real LibreOffice, with workbooks made at run time. What the command does
// with the names it reads is checked against the fake spreadsheet; here, what a real office reads.
class PoolImportOfficeTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void importsColumnA_data();
    void importsColumnA();
    void failureIsToldAndLeavesTheWorkbook_data();
    void failureIsToldAndLeavesTheWorkbook();

private:
    // A profile of the test's own: never the one a running lotdraw uses.
    OfficeFixture m_fixture;
    LibreOfficeApplication m_office{LibreOfficeOptions{.profileFolder = m_fixture.profileFolder()}};
    QString m_path;
    DrawState m_state;
    EventModel m_event;
    FakeFormControls m_controls;
    RecordingMessages m_messages;
    std::unique_ptr<WorkbookCommands> m_commands;
};

void PoolImportOfficeTest::init() {
    // The import's probe would refuse every command while another office of this login runs.
    if (m_fixture.otherOfficeRuns()) {
        QSKIP(kOfficeOfThisLoginRuns);
    }
    QVERIFY(m_fixture.init());
    m_path = m_fixture.path();
    m_state = DrawState{};
    m_event.restore({});
    m_controls = FakeFormControls{};
    m_messages.clear();
    m_commands = std::make_unique<WorkbookCommands>(
        WorkbookCommands::Dependencies{m_state, m_controls, m_messages, m_office, m_path, m_event});
}

void PoolImportOfficeTest::cleanup() {
    m_commands.reset();
    m_fixture.cleanup();
}

void PoolImportOfficeTest::importsColumnA_data() {
    QTest::addColumn<QString>("csv");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("format");

    QTest::newRow("eight names, a gap, more below")
        << workbookCsv(numbered("名", 8) + QStringList{"", "后面"}) << numbered("名", 8) << "xls";
    QTest::newRow("99 names with more below") << workbookCsv(numbered("名", 110)) << numbered("名", 99) << "xls";
    QTest::newRow("spaces-only and number cells") << QStringLiteral("h,\nh,\n\"  \"\n42\n0\n\" 张 三 \"\n1234567\n")
                                                  << QStringList{"  ", "42", "0", " 张 三 ", "1234567"} << "xls";
    QTest::newRow("text in rows 1-2 and columns B-E")
        << QStringLiteral("标题1,标题2,x,y,z\n副,副,副,副,副\n甲,B3,C3,D3,E3\n乙,B4,C4,D4,E4\n,B5,C5,D5,E5\n")
        << QStringList{"甲", "乙"} << "xls";
    // Saved from a newer office, or renamed, as "导入名单.xls".
    QTest::newRow("xlsx content") << workbookCsv(numbered("名", 12) + QStringList{"", "后面"}) << numbered("名", 12)
                                  << "xlsx";
    QTest::newRow("ods content") << workbookCsv({"甲", "  ", "42", "", "丁"}) << QStringList{"甲", "  ", "42"} << "ods";
    QTest::newRow("xlsx content with its workbook part at the root")
        << workbookCsv(numbered("名", 20) + QStringList{"", "后面"}) << numbered("名", 20) << "xlsx at the root";
    // The sheet the workbook opens on, not the first one.
    QTest::newRow("xlsx content, second sheet active")
        << workbookCsv(numbered("名", 5)) << numbered("名", 5) << "xlsx, second sheet active";
    // Calc offers to repair it and then reads it whole.
    QTest::newRow("ods content cut off before its directory")
        << workbookCsv(numbered("名", 30)) << numbered("名", 30) << "ods cut off";
}

void PoolImportOfficeTest::importsColumnA() {
    QFETCH(QString, csv);
    QFETCH(QStringList, expected);
    QFETCH(QString, format);
    makeWorkbookFromCsv(csv, m_path, format);
    const QByteArray before = fileBytes(m_path);

    m_commands->importPool();

    QCOMPARE(m_messages.shown(), QStringList{});
    QCOMPARE(m_event.pool(), expected);
    QCOMPARE(fileBytes(m_path), before);
}

void PoolImportOfficeTest::failureIsToldAndLeavesTheWorkbook_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    // A missing workbook, a folder in its place and the like are met by the office layer's tests.
    QTest::newRow("damaged workbook") << "damaged"
                                      << "不是电子表格工作簿";
    // It may not hang the import on a read that never ends.
    QTest::newRow("a FIFO named 导入名单.xls") << "fifo"
                                               << "不是电子表格工作簿";
    // Not damaged: the operator has to take the password off in the spreadsheet application.
    QTest::newRow("xlsx with a password") << "xlsx with a password"
                                          << "受密码保护";
    QTest::newRow("ods with a password") << "ods with a password"
                                         << "受密码保护";
}

// What the command leaves of the pool and the results on a failure is checked with the fake.
void PoolImportOfficeTest::failureIsToldAndLeavesTheWorkbook() {
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QByteArray garbage("\xd0\xcf\x11\xe0 not really a workbook,\n甲,乙\n");
    garbage.append(QByteArray(3000, '\x7f'));
    if (kind == QStringLiteral("damaged")) {
        writeFile(m_path, garbage);
    } else if (kind == QStringLiteral("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(m_path).constData(), 0600), 0);
    } else {
        makeWorkbookFromCsv(workbookCsv(numbered("名", 5)), m_path, kind);
    }
    // Read only a plain file: a FIFO would block the read.
    const bool plainFile = kind != QStringLiteral("fifo");
    const QByteArray before = plainFile ? fileBytes(m_path) : QByteArray();

    m_commands->importPool();

    QCOMPARE(m_messages.shown().size(), 1);
    const QString shown = m_messages.shown().constFirst();
    QVERIFY2(shown.contains(message) && shown.contains(QDir::toNativeSeparators(m_path)), qPrintable(shown));
    QCOMPARE(m_event.pool(), QStringList{});
    QVERIFY(QFileInfo::exists(m_path));
    if (plainFile) {
        QCOMPARE(fileBytes(m_path), before);
    }
}

QTEST_GUILESS_MAIN(PoolImportOfficeTest)
#include "pool_import_office_test.moc"

#include "namelist/workbook_commands.h"
#include "office/libreoffice_application.h"
#include "state/draw_state_procedures.h"
#include "support/fake_form_controls.h"
#include "support/numbered_names.h"
#include "support/office_fixture.h"
#include "support/recording_messages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
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
    void failureKeepsThePool_data();
    void failureKeepsThePool();

private:
    void givePool(const QStringList &pool);

    // A profile of the test's own: never the one a running lotdraw uses.
    QTemporaryDir m_profile;
    LibreOfficeApplication m_office{LibreOfficeOptions{.profileFolder = m_profile.path()}};
    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_path;
    DrawState m_state;
    FakeFormControls m_controls;
    RecordingMessages m_messages;
    std::unique_ptr<WorkbookCommands> m_commands;
};

void PoolImportOfficeTest::init() {
    // The import's probe would refuse every command while another office of this login runs.
    if (officeRunsBesides(m_profile.path())) {
        QSKIP(kOfficeOfThisLoginRuns);
    }
    m_folder = std::make_unique<QTemporaryDir>();
    m_path = m_folder->filePath(QStringLiteral("导入名单.xls"));
    m_state = DrawState{};
    m_controls = FakeFormControls{};
    m_messages.clear();
    m_commands = std::make_unique<WorkbookCommands>(
        WorkbookCommands::Dependencies{m_state, m_controls, m_messages, m_office, m_path});
}

void PoolImportOfficeTest::cleanup() {
    QCOMPARE(officeProcesses(m_profile.path(), true), QList<qint64>{});
    if (m_folder) {
        QCOMPARE(officeLockFiles(m_folder->path()), QStringList{});
    }
    m_commands.reset();
    m_folder.reset();
}

void PoolImportOfficeTest::givePool(const QStringList &pool) {
    for (int i = 0; i < pool.size(); ++i) {
        m_state.poolNames[static_cast<std::size_t>(i) + 1] = pool.at(i);
    }
    m_state.poolCount = toInt16(pool.size());
    DrawStateProcedures(m_state, m_controls).refillPoolList();
    m_controls.setPoolCountText(DrawStateProcedures::poolCountText(static_cast<int>(pool.size())));
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
    QCOMPARE(m_controls.lines(FormControls::kPoolList), expected);
    QCOMPARE(static_cast<int>(m_state.poolCount), expected.size());
    QCOMPARE(m_controls.poolCountText(), QStringLiteral("%1可抽值").arg(expected.size()));
    QCOMPARE(fileBytes(m_path), before);
}

void PoolImportOfficeTest::failureKeepsThePool_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing workbook") << "missing"
                                      << "找不到名单工作簿";
    QTest::newRow("damaged workbook") << "damaged"
                                      << "不是电子表格工作簿";
    // Neither may hang the import on a read that never ends, nor take it down.
    QTest::newRow("a FIFO named 导入名单.xls") << "fifo"
                                               << "不是电子表格工作簿";
    QTest::newRow("a folder named 导入名单.xls") << "folder"
                                                 << "不是电子表格工作簿";
    // Not damaged: the operator has to take the password off in the spreadsheet application.
    QTest::newRow("xlsx with a password") << "xlsx with a password"
                                          << "受密码保护";
    QTest::newRow("ods with a password") << "ods with a password"
                                         << "受密码保护";
}

void PoolImportOfficeTest::failureKeepsThePool() {
    QFETCH(QString, kind);
    QFETCH(QString, message);
    givePool(numbered("旧", 4));
    m_controls.list(2).append(QStringLiteral("中签"));
    m_state.drawNumber = 3;
    QByteArray garbage("\xd0\xcf\x11\xe0 not really a workbook,\n甲,乙\n");
    garbage.append(QByteArray(3000, '\x7f'));
    if (kind == QStringLiteral("damaged")) {
        writeFile(m_path, garbage);
    } else if (kind == QStringLiteral("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(m_path).constData(), 0600), 0);
    } else if (kind == QStringLiteral("folder")) {
        QVERIFY(QDir().mkpath(m_path));
    } else if (kind != QStringLiteral("missing")) {
        makeWorkbookFromCsv(workbookCsv(numbered("名", 5)), m_path, kind);
    }
    // Read only a plain file: a FIFO would block the read.
    const bool plainFile = kind == QStringLiteral("damaged") || kind.contains(QStringLiteral("password"));
    const QByteArray before = plainFile ? fileBytes(m_path) : QByteArray();

    m_commands->importPool();

    QCOMPARE(m_messages.shown().size(), 1);
    const QString shown = m_messages.shown().constFirst();
    QVERIFY2(shown.contains(message) && shown.contains(QDir::toNativeSeparators(m_path)), qPrintable(shown));
    QCOMPARE(m_controls.lines(FormControls::kPoolList), numbered("旧", 4));
    QCOMPARE(m_controls.poolCountText(), QStringLiteral("4可抽值"));
    QCOMPARE(static_cast<int>(m_state.poolCount), 4);
    // The new series began before the workbook was read, as after every press of "确定".
    QCOMPARE(m_controls.lines(2), QStringList{});
    QCOMPARE(static_cast<int>(m_state.drawNumber), 0);
    if (plainFile) {
        QCOMPARE(fileBytes(m_path), before);
    }
    QCOMPARE(QFileInfo::exists(m_path), kind != QStringLiteral("missing"));
}

QTEST_GUILESS_MAIN(PoolImportOfficeTest)
#include "pool_import_office_test.moc"

#include "namelist/workbook_commands.h"
#include "office/libreoffice_application.h"
#include "state/draw_state_procedures.h"
#include "support/fake_form_controls.h"
#include "support/numbered_names.h"
#include "support/office_fixture.h"
#include "support/recording_messages.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <unistd.h>

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

QByteArray bytesOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A LibreOffice of the user's, running with a profile of its own, that the probe must notice.
class ForeignOffice final {
public:
    ForeignOffice() {
        m_process.setChildProcessModifier([] { ::setsid(); });
        m_process.start(QStringLiteral("soffice"),
                        {QStringLiteral("-env:UserInstallation=file://") + m_profile.path(),
                         QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--nologo")});
        for (int i = 0; i < 200 && officeProcesses().isEmpty(); ++i) {
            QTest::qWait(50);
        }
    }
    ~ForeignOffice() {
        if (m_process.processId() > 0) {
            ::kill(-static_cast<pid_t>(m_process.processId()), SIGKILL);
        }
        m_process.waitForFinished(10'000);
        for (int i = 0; i < 200 && !officeProcesses().isEmpty(); ++i) {
            QTest::qWait(50);
        }
    }
    ForeignOffice(const ForeignOffice &) = delete;
    ForeignOffice &operator=(const ForeignOffice &) = delete;

private:
    QTemporaryDir m_profile;
    QProcess m_process;
};

} // namespace

// The import against a real LibreOffice, with workbooks made at run time.
class PoolImportOfficeTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void importsColumnA_data();
    void importsColumnA();
    void thirtyThenTen();
    void missingWorkbookKeepsThePool();
    void damagedWorkbookIsReportedAndLeftAlone_data();
    void damagedWorkbookIsReportedAndLeftAlone();
    void refusesWhileAnOfficeRuns();

private:
    void importOnce() { m_commands->importPool(); }
    void givePool(const QStringList &pool);

    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_path;
    DrawState m_state;
    FakeFormControls m_controls;
    RecordingMessages m_messages;
    LibreOfficeApplication m_office;
    std::unique_ptr<WorkbookCommands> m_commands;
};

void PoolImportOfficeTest::init() {
    QCOMPARE(officeProcesses(), QList<qint64>{});
    m_folder = std::make_unique<QTemporaryDir>();
    m_path = m_folder->filePath(QStringLiteral("导入名单.xls"));
    m_state = DrawState{};
    m_controls = FakeFormControls{};
    m_messages.clear();
    m_commands = std::make_unique<WorkbookCommands>(
        WorkbookCommands::Dependencies{m_state, m_controls, m_messages, m_office, m_path});
}

void PoolImportOfficeTest::cleanup() {
    QCOMPARE(officeProcesses(), QList<qint64>{});
    QCOMPARE(officeLockFiles(m_folder->path()), QStringList{});
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

    QTest::newRow("row 3 empty") << workbookCsv({"", "甲"}) << QStringList{} << "xls";
    QTest::newRow("eight names then an empty row")
        << workbookCsv(numbered("名", 8) + QStringList{"", "后面"}) << numbered("名", 8) << "xls";
    QTest::newRow("a gap") << workbookCsv({"甲", "乙", "丙", "", "丁", "戊"}) << QStringList{"甲", "乙", "丙"} << "xls";
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
    const QByteArray before = bytesOf(m_path);

    importOnce();

    QCOMPARE(m_messages.shown(), QStringList{});
    QCOMPARE(m_controls.lines(FormControls::kPoolList), expected);
    QCOMPARE(static_cast<int>(m_state.poolCount), expected.size());
    QCOMPARE(m_controls.poolCountText(), QStringLiteral("%1可抽值").arg(expected.size()));
    QCOMPARE(bytesOf(m_path), before);
}

void PoolImportOfficeTest::thirtyThenTen() {
    makeWorkbookFromCsv(workbookCsv(numbered("旧", 30)), m_path);
    importOnce();
    makeWorkbookFromCsv(workbookCsv(numbered("新", 10)), m_path);

    importOnce();

    QCOMPARE(m_messages.shown(), QStringList{});
    QCOMPARE(static_cast<int>(m_state.poolCount), 10);
    QCOMPARE(m_controls.lines(FormControls::kPoolList), numbered("新", 10));
    QCOMPARE(m_controls.poolCountText(), QStringLiteral("10可抽值"));
    QCOMPARE(m_state.poolNames[11], QStringLiteral("旧11"));
    QCOMPARE(m_state.poolNames[30], QStringLiteral("旧30"));
}

void PoolImportOfficeTest::missingWorkbookKeepsThePool() {
    givePool(numbered("旧", 4));
    m_controls.list(2).append(QStringLiteral("中签"));
    m_state.drawNumber = 3;

    importOnce();

    QCOMPARE(m_messages.shown().size(), 1);
    QVERIFY(!m_messages.shown().constFirst().isEmpty());
    QVERIFY(m_messages.shown().constFirst() != QString::fromUtf16(kSpreadsheetRunningMessage));
    qInfo("reported: %s", qPrintable(m_messages.shown().constFirst()));
    QCOMPARE(m_controls.lines(FormControls::kPoolList), numbered("旧", 4));
    QCOMPARE(m_controls.poolCountText(), QStringLiteral("4可抽值"));
    QCOMPARE(static_cast<int>(m_state.poolCount), 4);
    QCOMPARE(m_controls.lines(2), QStringList{});
    QCOMPARE(static_cast<int>(m_state.drawNumber), 0);
    QVERIFY(!QFile::exists(m_path));
}

void PoolImportOfficeTest::damagedWorkbookIsReportedAndLeftAlone_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("message");
    QTest::newRow("garbage") << "garbage"
                             << "不是电子表格工作簿";
    QTest::newRow("xlsx with a password") << "xlsx with a password"
                                          << "受密码保护";
    QTest::newRow("ods with a password") << "ods with a password"
                                         << "受密码保护";
}

void PoolImportOfficeTest::damagedWorkbookIsReportedAndLeftAlone() {
    QFETCH(QString, format);
    QFETCH(QString, message);
    givePool(numbered("旧", 4));
    if (format == QStringLiteral("garbage")) {
        QByteArray garbage("\xd0\xcf\x11\xe0 not really a workbook,\n甲,乙\n");
        garbage.append(QByteArray(3000, '\x7f'));
        writeFile(m_path, garbage);
    } else {
        makeWorkbookFromCsv(workbookCsv(numbered("名", 5)), m_path, format);
    }
    const QByteArray before = bytesOf(m_path);

    importOnce();

    QCOMPARE(m_messages.shown().size(), 1);
    QVERIFY2(m_messages.shown().constFirst().contains(message), qPrintable(m_messages.shown().constFirst()));
    QVERIFY(m_messages.shown().constFirst().contains(QStringLiteral("导入名单.xls")));
    QCOMPARE(m_controls.lines(FormControls::kPoolList), numbered("旧", 4));
    QCOMPARE(static_cast<int>(m_state.poolCount), 4);
    QCOMPARE(bytesOf(m_path), before);
}

void PoolImportOfficeTest::refusesWhileAnOfficeRuns() {
    makeWorkbookFromCsv(workbookCsv(numbered("新", 5)), m_path);
    givePool(numbered("旧", 2));
    m_controls.list(1).append(QStringLiteral("中签"));
    m_controls.setTimerInterval(FormControls::kRollingInterval);
    m_state.drawNumber = 2;
    {
        const ForeignOffice office;
        QVERIFY(!officeProcesses().isEmpty());

        importOnce();

        QCOMPARE(m_messages.shown(), QStringList{QString::fromUtf16(kSpreadsheetRunningMessage)});
        QCOMPARE(m_controls.lines(FormControls::kPoolList), numbered("旧", 2));
        QCOMPARE(m_controls.lines(1), QStringList{QStringLiteral("中签")});
        QCOMPARE(m_controls.timerInterval(), FormControls::kRollingInterval);
        QCOMPARE(static_cast<int>(m_state.drawNumber), 2);
    }
    // Once it has gone, the import goes ahead.
    m_messages.clear();
    importOnce();
    QCOMPARE(m_messages.shown(), QStringList{});
    QCOMPARE(m_controls.lines(FormControls::kPoolList), numbered("新", 5));
}

QTEST_GUILESS_MAIN(PoolImportOfficeTest)
#include "pool_import_office_test.moc"

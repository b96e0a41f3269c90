#include "office/libreoffice_application.h"
#include "results/result_export.h"
#include "spreadsheet/waiting_spreadsheet.h"
#include "support/fake_form_controls.h"
#include "support/numbered_names.h"
#include "support/office_fixture.h"
#include "support/recording_messages.h"

#include <QDir>
#include <QScopeGuard>
#include <QTest>
#include <atomic>
#include <csignal>
#include <functional>
#include <thread>
#include <unistd.h>

using namespace lotdraw;
using namespace lotdraw::testing;

namespace {

// Headings in rows 1-2, the pool in A, old results in B-E down to row 104, and a column F that
// belongs to nobody.
QString startingCsv() {
    QString csv = QStringLiteral("名单,一,二,三,四,备注\n姓名,B,C,D,E,F\n");
    for (int row = 3; row <= 104; ++row) {
        csv += row <= 22 ? QStringLiteral("池%1").arg(row) : QString();
        for (const char *column : {"B", "C", "D", "E", "F"}) {
            csv += QStringLiteral(",%1%2").arg(QLatin1String(column)).arg(row);
        }
        csv += u'\n';
    }
    return csv;
}

// `rows` as an export of `lines` leaves them: rows 3..102 of `column` hold the lines, then nothing.
QList<QStringList> withList(QList<QStringList> rows, int column, const QStringList &lines) {
    for (int row = 3; row <= 102; ++row) {
        rows[row - 1][column - 1] = row - 3 < lines.size() ? lines.at(row - 3) : QString();
    }
    return rows;
}

// Runs each step on the calling thread; at the save step it kills the office at a moment of the
// save's own: as the step begins, or once the step waits on the office.
class SaveKiller final : public SpreadsheetWaiter {
public:
    explicit SaveKiller(const OfficeFixture &fixture)
        : m_fixture(fixture) {}

    void run(SpreadsheetStep step, const std::function<void()> &call, CancellationToken *) override {
        if (step != SpreadsheetStep::Save || moment.isEmpty()) {
            call();
            return;
        }
        if (moment == QStringLiteral("as the save begins")) {
            killOffices();
            call();
            return;
        }
        std::atomic<bool> returned = false;
        std::thread killer([this, caller = ::gettid(), &returned] {
            if (waitUntilThreadSleeps(caller, returned)) {
                killOffices();
            }
        });
        const auto joinKiller = qScopeGuard([&] {
            returned = true;
            killer.join();
        });
        call();
    }

    QString moment;
    int killed = 0;

private:
    void killOffices() {
        for (const qint64 pid : m_fixture.offices()) {
            killed += ::kill(static_cast<pid_t>(pid), SIGKILL) == 0 ? 1 : 0;
        }
    }

    const OfficeFixture &m_fixture;
};

} // namespace

// The export against a real LibreOffice, read back through a conversion the program does not use.
class ResultExportOfficeTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void writesTheListIntoItsColumn_data();
    void writesTheListIntoItsColumn();
    void refusedWorkbookIsLeftAlone_data();
    void refusedWorkbookIsLeftAlone();
    void officeKilledDuringTheSaveLeavesAWholeWorkbook_data();
    void officeKilledDuringTheSaveLeavesAWholeWorkbook();

private:
    void fillList(int list, const QStringList &lines) { fillResults(m_event, list, lines); }

    // The automation profile of our own, so the kill below finds our office and no other.
    OfficeFixture m_fixture;
    QString m_path;
    EventModel m_event;
    FakeFormControls m_controls;
    RecordingMessages m_messages;
    LibreOfficeApplication m_office{LibreOfficeOptions{.profileFolder = m_fixture.profileFolder()}};
    SaveKiller m_killer{m_fixture};
    WaitingSpreadsheetApplication m_spreadsheet{m_office, m_killer,
                                                [this](const QString &message) { m_messages.show(message); }};
    std::unique_ptr<ResultExport> m_export;
};

void ResultExportOfficeTest::init() {
    QVERIFY(m_fixture.init());
    m_path = m_fixture.path();
    m_event.restore({});
    m_controls = FakeFormControls{};
    m_messages.clear();
    m_killer.moment.clear();
    m_export = std::make_unique<ResultExport>(
        ResultExport::Dependencies{m_controls, m_messages, m_spreadsheet, m_path, m_event});
    makeWorkbookFromCsv(startingCsv(), m_path);
}

void ResultExportOfficeTest::cleanup() {
    m_export.reset();
    m_fixture.cleanup();
}

void ResultExportOfficeTest::writesTheListIntoItsColumn_data() {
    QTest::addColumn<int>("resultList");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("format");

    // The old results below the new lines are cleared; rows 103 and 104 belong to nobody.
    QTest::newRow("digits and spaces stay text, nothing below")
        << 1 << QStringList{"007", "  ", "甲"} << QStringList{"007", "  ", "甲"} << "xls";
    QTest::newRow("an empty list") << 2 << QStringList{} << QStringList{} << "xls";
    QTest::newRow("more than 100 lines") << 4 << numbered("丁", 130) << numbered("丁", 100) << "xls";
    // The workbook keeps the format its content had, under its old name.
    QTest::newRow("xlsx content stays xlsx") << 1 << numbered("新", 9) << numbered("新", 9) << "xlsx";
    QTest::newRow("ods content stays ods") << 1 << numbered("新", 9) << numbered("新", 9) << "ods";
    QTest::newRow("xlsx with its workbook part at the root stays xlsx")
        << 2 << numbered("新", 9) << numbered("新", 9) << "xlsx at the root";
}

void ResultExportOfficeTest::writesTheListIntoItsColumn() {
    QFETCH(int, resultList);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, expected);
    QFETCH(QString, format);
    const int column = resultList + 1;
    fillList(resultList, lines);
    if (format != QStringLiteral("xls")) {
        makeWorkbookFromCsv(startingCsv(), m_path, format);
    }
    const QList<QStringList> before = readWorkbookCsv(m_path);

    m_export->exportList(resultList);

    QCOMPARE(m_messages.shown(), QStringList{});
    QVERIFY(m_controls.isExportNoticeVisible());
    QCOMPARE(workbookFormatOf(m_path), format.section(u' ', 0, 0));
    QCOMPARE(readWorkbookCsv(m_path), withList(before, column, expected));
}

void ResultExportOfficeTest::refusedWorkbookIsLeftAlone_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("message");
    QTest::newRow("xlsx with a password") << "xlsx with a password"
                                          << "受密码保护";
    QTest::newRow("ods with a password") << "ods with a password"
                                         << "受密码保护";
    // Read after a repair: saving would write back less than the file holds.
    QTest::newRow("ods cut off") << "ods cut off"
                                 << "重新保存";
}

void ResultExportOfficeTest::refusedWorkbookIsLeftAlone() {
    QFETCH(QString, format);
    QFETCH(QString, message);
    makeWorkbookFromCsv(startingCsv(), m_path, format);
    const QByteArray before = fileBytes(m_path);
    fillList(1, numbered("新", 2));

    m_export->exportList(1);

    QCOMPARE(m_messages.shown().size(), 1);
    const QString shown = m_messages.shown().constFirst();
    QVERIFY2(shown.contains(message) && shown.contains(m_path), qPrintable(shown));
    QCOMPARE(fileBytes(m_path), before);
}

void ResultExportOfficeTest::officeKilledDuringTheSaveLeavesAWholeWorkbook_data() {
    QTest::addColumn<QString>("moment");
    QTest::addColumn<bool>("failsForSure");
    QTest::newRow("as the save begins") << "as the save begins" << true;
    // Most likely in the middle of the office's store; should the reply beat the kill, the save
    // may go through.
    QTest::newRow("while the save waits on the office") << "while the save waits on the office" << false;
}

void ResultExportOfficeTest::officeKilledDuringTheSaveLeavesAWholeWorkbook() {
    QFETCH(QString, moment);
    QFETCH(bool, failsForSure);
    const QList<QStringList> before = readWorkbookCsv(m_path);
    const QList<QStringList> written = withList(before, 2, numbered("新", 40));
    fillList(1, numbered("新", 40));
    m_killer.moment = moment;

    m_export->exportList(1);
    m_killer.moment.clear();
    QVERIFY(m_killer.killed > 0);

    // Either the export completed, or it failed with a message and no notice.
    QCOMPARE(m_controls.isExportNoticeVisible(), m_messages.shown().isEmpty());
    // The workbook is whole: the old contents or the new, never a mix or a damaged file.
    const QList<QStringList> after = readWorkbookCsv(m_path);
    QVERIFY2(after == before || after == written, "the workbook holds neither the old contents nor the new");
    if (m_controls.isExportNoticeVisible()) {
        QCOMPARE(after, written);
    }
    if (failsForSure) {
        QCOMPARE(m_messages.shown().size(), 1);
        QCOMPARE(after, before);
    }

    // Nothing half-written is left beside the workbook, and the program opens it again.
    const QStringList left = QDir(m_fixture.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    QVERIFY2(left == QStringList{QStringLiteral("导入名单.xls")}, qPrintable(left.join(u' ')));
    const auto instance = m_office.create({});
    instance->openWorkbook(m_path);
    QCOMPARE(instance->readColumn(1, 22, 1), QStringList{QStringLiteral("池22")});
}

QTEST_GUILESS_MAIN(ResultExportOfficeTest)
#include "result_export_office_test.moc"

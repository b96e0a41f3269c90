#include "namelist/workbook_commands.h"
#include "office/libreoffice_application.h"
#include "results/result_export.h"
#include "support/fake_form_controls.h"
#include "support/numbered_names.h"
#include "support/office_fixture.h"
#include "support/recording_messages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

using namespace lotdraw;
using namespace lotdraw::testing;
using namespace Qt::StringLiterals;

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

QStringList padded(QStringList lines, int size) {
    while (lines.size() < size) {
        lines.append(QString());
    }
    return lines;
}

// Passes every call through to a real instance, with a hook that acts while the save runs.
class InterposedInstance final : public SpreadsheetInstance {
public:
    InterposedInstance(std::unique_ptr<SpreadsheetInstance> inner, std::function<void()> duringSave)
        : m_inner(std::move(inner))
        , m_duringSave(std::move(duringSave)) {}

    void openWorkbook(const QString &path) override { m_inner->openWorkbook(path); }
    QString cell(int row, int column) override { return m_inner->cell(row, column); }
    void setCell(int row, int column, const QString &text) override { m_inner->setCell(row, column, text); }
    void saveActiveWorkbook() override {
        if (!m_duringSave) {
            m_inner->saveActiveWorkbook();
            return;
        }
        std::thread meddler(m_duringSave);
        try {
            m_inner->saveActiveWorkbook();
        } catch (...) {
            meddler.join();
            throw;
        }
        meddler.join();
    }
    void quit() override { m_inner->quit(); }
    void closeWorkbooks() override { m_inner->closeWorkbooks(); }
    void setVisible(bool visible) override { m_inner->setVisible(visible); }

private:
    std::unique_ptr<SpreadsheetInstance> m_inner;
    std::function<void()> m_duringSave;
};

class InterposedApplication final : public SpreadsheetApplication {
public:
    explicit InterposedApplication(SpreadsheetApplication &inner)
        : m_inner(inner) {}

    bool isRunning() override { return m_inner.isRunning(); }
    std::unique_ptr<SpreadsheetInstance> create() override {
        return std::make_unique<InterposedInstance>(m_inner.create(), duringSave);
    }

    std::function<void()> duringSave;

private:
    SpreadsheetApplication &m_inner;
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
    void readOnlyFolderImportsButRefusesTheExport();
    void officeKilledDuringTheSaveLeavesAWholeWorkbook_data();
    void officeKilledDuringTheSaveLeavesAWholeWorkbook();

private:
    void fillList(int list, const QStringList &lines) {
        m_controls.list(list).clear();
        for (const QString &line : lines) {
            m_controls.list(list).append(line);
        }
    }

    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_path;
    FakeFormControls m_controls;
    RecordingMessages m_messages;
    // The automation profile of our own, so the kill below finds our office and no other.
    QTemporaryDir m_profile;
    LibreOfficeApplication m_office{LibreOfficeOptions{.profileFolder = m_profile.path()}};
    InterposedApplication m_spreadsheet{m_office};
    std::unique_ptr<ResultExport> m_export;
};

void ResultExportOfficeTest::init() {
    m_folder = std::make_unique<QTemporaryDir>();
    m_path = m_folder->filePath(QStringLiteral("导入名单.xls"));
    m_controls = FakeFormControls{};
    m_messages.clear();
    m_spreadsheet.duringSave = nullptr;
    m_export =
        std::make_unique<ResultExport>(ResultExport::Dependencies{m_controls, m_messages, m_spreadsheet, m_path});
    makeWorkbookFromCsv(startingCsv(), m_path);
}

void ResultExportOfficeTest::cleanup() {
    QCOMPARE(officeProcesses(m_profile.path(), true), QList<qint64>{});
    QCOMPARE(officeLockFiles(m_folder->path()), QStringList{});
    m_export.reset();
    m_folder.reset();
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
    const QList<QStringList> after = readWorkbookCsv(m_path);
    QCOMPARE(columnAt(after, column, 3, 102), padded(expected, 100));
    // Nothing outside rows 3..102 of the column changed.
    for (int row = 1; row <= 104; ++row) {
        for (int c = 1; c <= 6; ++c) {
            if (c == column && row >= 3 && row <= 102) {
                continue;
            }
            QVERIFY2(cellAt(after, row, c) == cellAt(before, row, c),
                     qPrintable(QStringLiteral("%1,%2").arg(row).arg(c)));
        }
    }

    m_export->dismissNotice();
    QVERIFY(!m_controls.isExportNoticeVisible());
}

void ResultExportOfficeTest::refusedWorkbookIsLeftAlone_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << "missing"
                             << "找不到名单工作簿";
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
    if (format == QStringLiteral("missing")) {
        QVERIFY(QFile::remove(m_path));
    } else {
        makeWorkbookFromCsv(startingCsv(), m_path, format);
    }
    const QByteArray before = fileBytes(m_path);
    fillList(1, numbered("新", 2));
    m_controls.setExportNoticeVisible(true);

    m_export->exportList(1);

    QCOMPARE(m_messages.shown().size(), 1);
    const QString shown = m_messages.shown().constFirst();
    QVERIFY2(shown.contains(message) && shown.contains(m_path), qPrintable(shown));
    QVERIFY(m_controls.isExportNoticeVisible());
    QCOMPARE(fileBytes(m_path), before);
    QCOMPARE(QFile::exists(m_path), format != QStringLiteral("missing"));
}

void ResultExportOfficeTest::readOnlyFolderImportsButRefusesTheExport() {
    // The program's folder on a write-protected stick or a read-only share.
    QString csv = QStringLiteral("名单\n姓名\n");
    for (const QString &name : numbered("池", 12)) {
        csv += name + u'\n';
    }
    makeWorkbookFromCsv(csv, m_path);
    const QByteArray before = fileBytes(m_path);
    // The import's probe would refuse while another office of this login runs.
    if (officeRunsBesides(m_profile.path())) {
        QSKIP(kOfficeOfThisLoginRuns);
    }
    ReadOnlyPlaces places;
    if (const QString refusal = places.makeReadOnly(m_folder->path()); !refusal.isEmpty()) {
        QSKIP(qPrintable(refusal));
    }

    DrawState state;
    WorkbookCommands commands({state, m_controls, m_messages, m_office, m_path});
    commands.importPool();
    QCOMPARE(m_messages.shown(), QStringList{});
    QCOMPARE(m_controls.lines(FormControls::kPoolList), numbered("池", 12));

    fillList(1, numbered("中", 3));
    m_export->exportList(1);

    QCOMPARE(m_messages.shown().size(), 1);
    const QString message = m_messages.shown().constFirst();
    QVERIFY2(message.contains(QStringLiteral("不可写入")) && message.contains(QStringLiteral("导入名单.xls")),
             qPrintable(message));
    QVERIFY(!m_controls.isExportNoticeVisible());
    QCOMPARE(fileBytes(m_path), before);
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("导入名单.xls")});
}

void ResultExportOfficeTest::officeKilledDuringTheSaveLeavesAWholeWorkbook_data() {
    QTest::addColumn<int>("delayMs");
    for (const int delay : {0, 2, 4, 6, 8, 10, 13, 16, 20, 30}) {
        QTest::addRow("kill after %d ms", delay) << delay;
    }
}

void ResultExportOfficeTest::officeKilledDuringTheSaveLeavesAWholeWorkbook() {
    QFETCH(int, delayMs);
    const QStringList oldColumn = columnAt(readWorkbookCsv(m_path), 2, 3, 102);
    const QStringList newColumn = padded(numbered("新", 40), 100);
    fillList(1, numbered("新", 40));
    std::atomic<int> killed = 0;
    m_spreadsheet.duringSave = [this, delayMs, &killed] {
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        for (const qint64 pid : officeProcesses(m_profile.path())) {
            killed += ::kill(static_cast<pid_t>(pid), SIGKILL) == 0 ? 1 : 0;
        }
    };

    m_export->exportList(1);
    m_spreadsheet.duringSave = nullptr;
    QVERIFY(killed > 0 || m_messages.shown().isEmpty());

    // Either the export completed, or it failed with a message and no notice.
    QCOMPARE(m_controls.isExportNoticeVisible(), m_messages.shown().isEmpty());
    // The workbook is whole: the old contents or the new, never a mix or a damaged file.
    const QStringList column = columnAt(readWorkbookCsv(m_path), 2, 3, 102);
    QVERIFY2(column == oldColumn || column == newColumn, qPrintable(column.join(u',')));
    if (m_controls.isExportNoticeVisible()) {
        QCOMPARE(column, newColumn);
    }
    qInfo("%d office process(es) killed; export %s; workbook holds the %s list", killed.load(),
          m_messages.shown().isEmpty() ? "completed" : qPrintable(u"failed: "_s + m_messages.shown().constFirst()),
          column == newColumn ? "new" : "old");

    // Nothing half-written is left beside the workbook, and the program opens it again.
    const QStringList left = QDir(m_folder->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    QVERIFY2(left == QStringList{QStringLiteral("导入名单.xls")}, qPrintable(left.join(u' ')));
    const auto instance = m_office.create();
    instance->openWorkbook(m_path);
    QCOMPARE(instance->cell(22, 1), QStringLiteral("池22"));
}

QTEST_GUILESS_MAIN(ResultExportOfficeTest)
#include "result_export_office_test.moc"

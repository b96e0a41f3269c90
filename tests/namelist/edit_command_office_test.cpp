#include "namelist/workbook_commands.h"
#include "office/libreoffice_application.h"
#include "results/result_export.h"
#include "support/fake_form_controls.h"
#include "support/office_fixture.h"
#include "support/recording_messages.h"
#include "support/x_display.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace lotdraw;
using namespace lotdraw::testing;

namespace {

QByteArray bytesOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

template<typename Condition>
bool waitFor(Condition condition, int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QTest::qWait(100);
    }
    return true;
}

} // namespace

// The edit command against a real LibreOffice with a visible window on a private X server, and a
// fresh HOME so the user's profile is a new one.
class EditCommandOfficeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void opensTheWorkbookInAWindowOfTheUsers();
    void importReadsTheUsersSavedEdits();
    void missingWorkbookChangesNothing();
    void readOnlyWorkbookOpensReadOnly();

private:
    std::unique_ptr<XvfbDisplay> m_display;
    std::unique_ptr<FreshOfficeHome> m_home;
    std::unique_ptr<LibreOfficeApplication> m_office;
    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_path;
    DrawState m_state;
    FakeFormControls m_controls;
    RecordingMessages m_messages;
    std::unique_ptr<WorkbookCommands> m_commands;
};

void EditCommandOfficeTest::initTestCase() {
    m_display = std::make_unique<XvfbDisplay>();
    QVERIFY2(m_display->isRunning(), "Xvfb could not be started");
    m_home = std::make_unique<FreshOfficeHome>();
    m_office = std::make_unique<LibreOfficeApplication>();
}

void EditCommandOfficeTest::cleanupTestCase() {
    m_office.reset();
    m_home.reset();
    m_display.reset();
}

void EditCommandOfficeTest::init() {
    QCOMPARE(officeProcesses(), QList<qint64>{});
    m_folder = std::make_unique<QTemporaryDir>();
    m_path = m_folder->filePath(QStringLiteral("导入名单.xls"));
    m_state = DrawState{};
    m_controls = FakeFormControls{};
    m_messages.clear();
    m_commands = std::make_unique<WorkbookCommands>(
        WorkbookCommands::Dependencies{m_state, m_controls, m_messages, *m_office, m_path});
}

void EditCommandOfficeTest::cleanup() {
    // A failed check may leave the user's window open: close it so the next test starts clean.
    for (const unsigned long window : m_display->windowsTitled(QStringLiteral("LibreOffice"))) {
        m_display->requestClose(window);
    }
    QVERIFY(waitFor([] { return officeProcesses().isEmpty(); }, 20'000));
    QVERIFY(waitFor([this] { return officeLockFiles(m_folder->path()).isEmpty(); }, 5'000));
    m_commands.reset();
    m_folder.reset();
}

void EditCommandOfficeTest::opensTheWorkbookInAWindowOfTheUsers() {
    makeWorkbookFromCsv(QStringLiteral("名单\n姓名\n甲\n乙\n"), m_path);
    const QByteArray before = bytesOf(m_path);
    m_controls.list(1).append(QStringLiteral("中签"));

    m_commands->openForEditing();

    QCOMPARE(m_messages.shown(), QStringList{});
    // Pressed again at once, while the office is still starting and shows no window yet.
    const QString running = QString::fromUtf16(kSpreadsheetRunningMessage);
    m_commands->openForEditing();
    QCOMPARE(m_messages.shown(), QStringList{running});
    m_messages.clear();
    QVERIFY2(waitFor([this] { return !m_display->windowsTitled(QStringLiteral("导入名单")).isEmpty(); }, 30'000),
             "no window of the workbook appeared");
    if (const QByteArray shot = qgetenv("LOTDRAW_SCREENSHOT"); !shot.isEmpty()) {
        QTest::qWait(2000);
        QVERIFY(m_display->screenshot(QString::fromLocal8Bit(shot)));
    }
    QCOMPARE(m_controls.lines(1), QStringList{QStringLiteral("中签")});
    QCOMPARE(m_controls.lines(FormControls::kPoolList), QStringList{});

    // While the window is open: a second press and the import refuse, and nothing changes.
    m_commands->openForEditing();
    m_commands->importPool();
    QCOMPARE(m_messages.shown(), (QStringList{running, running}));
    QCOMPARE(m_controls.lines(1), QStringList{QStringLiteral("中签")});
    QCOMPARE(m_display->windowsTitled(QStringLiteral("导入名单")).size(), 1);

    // The export makes no probe, but it must neither damage the open document nor claim success.
    m_messages.clear();
    m_controls.list(1).append(QStringLiteral("又一个"));
    ResultExport exporter({m_controls, m_messages, *m_office, m_path});
    exporter.exportList(1);
    QCOMPARE(m_messages.shown().size(), 1);
    QVERIFY(m_messages.shown().constFirst() != running);
    qInfo("reported: %s", qPrintable(m_messages.shown().constFirst()));
    QVERIFY(!m_controls.isExportNoticeVisible());
    QCOMPARE(bytesOf(m_path), before);
    QCOMPARE(m_display->windowsTitled(QStringLiteral("导入名单")).size(), 1);

    // The user closes the window; the office ends and the import works again.
    for (const unsigned long window : m_display->windowsTitled(QStringLiteral("导入名单"))) {
        m_display->requestClose(window);
    }
    QVERIFY(waitFor([] { return officeProcesses().isEmpty(); }, 20'000));
    m_messages.clear();
    m_commands->importPool();
    QCOMPARE(m_messages.shown(), QStringList{});
    QCOMPARE(m_controls.lines(FormControls::kPoolList), (QStringList{"甲", "乙"}));
}

void EditCommandOfficeTest::importReadsTheUsersSavedEdits() {
    makeWorkbookFromCsv(QStringLiteral("名单\n姓名\n甲\n乙\n"), m_path);
    const QByteArray before = bytesOf(m_path);
    m_commands->openForEditing();
    QVERIFY(waitFor([this] { return !m_display->windowsTitled(QStringLiteral("导入名单")).isEmpty(); }, 30'000));
    QTest::qWait(1500);

    // The user types a third name under the two, saves in the workbook's own format and closes.
    const unsigned long window = m_display->windowsTitled(QStringLiteral("导入名单")).constFirst();
    m_display->focus(window);
    m_display->pressKey("Home", true);
    for (int i = 0; i < 4; ++i) {
        m_display->pressKey("Down");
    }
    m_display->typeText(QStringLiteral("zed"));
    m_display->pressKey("Return");
    m_display->pressKey("s", true);
    QTest::qWait(1500);
    m_display->pressKey("Return"); // keep the Excel 97-2003 format
    QVERIFY2(waitFor([this, &before] { return bytesOf(m_path) != before; }, 15'000), "the edit was not saved");
    QTest::qWait(500);
    m_display->requestClose(window);
    QVERIFY(waitFor([] { return officeProcesses().isEmpty(); }, 20'000));

    m_commands->importPool();

    QCOMPARE(m_messages.shown(), QStringList{});
    QCOMPARE(m_controls.lines(FormControls::kPoolList), (QStringList{"甲", "乙", "zed"}));
}

void EditCommandOfficeTest::missingWorkbookChangesNothing() {
    m_controls.list(2).append(QStringLiteral("中签"));

    m_commands->openForEditing();

    QCOMPARE(m_messages.shown().size(), 1);
    QVERIFY(m_messages.shown().constFirst() != QString::fromUtf16(kSpreadsheetRunningMessage));
    qInfo("reported: %s", qPrintable(m_messages.shown().constFirst()));
    QCOMPARE(m_controls.lines(2), QStringList{QStringLiteral("中签")});
    QVERIFY(m_display->windowsTitled(QStringLiteral("LibreOffice")).isEmpty());
    // Nothing was left running, so the next press is not refused.
    m_messages.clear();
    makeWorkbookFromCsv(QStringLiteral("名单\n姓名\n甲\n"), m_path);
    m_commands->openForEditing();
    QCOMPARE(m_messages.shown(), QStringList{});
    QVERIFY(waitFor([this] { return !m_display->windowsTitled(QStringLiteral("导入名单")).isEmpty(); }, 30'000));
}

void EditCommandOfficeTest::readOnlyWorkbookOpensReadOnly() {
    // The program's folder on a write-protected stick: the user's window opens the workbook as it
    // would when opened by hand, read-only and saying so.
    makeWorkbookFromCsv(QStringLiteral("名单\n姓名\n甲\n"), m_path);
    BindMounts mounts;
    if (const QString refusal = mounts.mount(m_folder->path(), m_folder->path(), true); !refusal.isEmpty()) {
        QSKIP(qPrintable(refusal));
    }

    m_commands->openForEditing();

    QCOMPARE(m_messages.shown(), QStringList{});
    QVERIFY2(waitFor([this] { return !m_display->windowsTitled(QStringLiteral("导入名单")).isEmpty(); }, 30'000),
             "no window of the workbook appeared");
    // The office marks the title; its words are English on a fresh profile.
    QVERIFY2(waitFor([this] { return !m_display->windowsTitled(QStringLiteral("(read-only)")).isEmpty(); }, 10'000),
             "the window does not say that the workbook is read-only");
    if (const QByteArray shot = qgetenv("LOTDRAW_SCREENSHOT"); !shot.isEmpty()) {
        QTest::qWait(2000);
        QVERIFY(m_display->screenshot(QString::fromLocal8Bit(shot)));
    }
    for (const unsigned long window : m_display->windowsTitled(QStringLiteral("导入名单"))) {
        m_display->requestClose(window);
    }
    QVERIFY(waitFor([] { return officeProcesses().isEmpty(); }, 20'000));
}

QTEST_GUILESS_MAIN(EditCommandOfficeTest)
#include "edit_command_office_test.moc"

#include "namelist/workbook_commands.h"
#include "office/libreoffice_application.h"
#include "results/result_export.h"
#include "support/fake_form_controls.h"
#include "support/numbered_names.h"
#include "support/office_fixture.h"
#include "support/operator_texts.h"
#include "support/recording_messages.h"
#include "support/x_display.h"

#include <QFileInfo>
#include <QTest>
#include <unistd.h>

using namespace lotdraw;
using namespace lotdraw::testing;

namespace {

// The window in which the office asks whether to keep a workbook's Excel 97-2003 format on saving
// (English on a fresh profile).
const QString kKeepFormatTitle = QStringLiteral("Confirm File Format");

} // namespace

// The edit command against a real LibreOffice with a visible window on a private X server, and a
// fresh HOME so the user's profile is a new one. The automation profile and the workbooks lie in
// that HOME too, so every office of the test's names it.
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
    [[nodiscard]] QList<qint64> ourOffices() const { return m_fixture->offices(true); }
    [[nodiscard]] QString officeLockFilePath() const { return m_fixture->path(QStringLiteral(".~lock.导入名单.xls#")); }
    [[nodiscard]] QList<unsigned long> workbookWindows() const {
        return m_display->windowsTitled(QStringLiteral("导入名单"));
    }

    std::unique_ptr<XvfbDisplay> m_display;
    std::unique_ptr<FreshOfficeHome> m_home;
    std::unique_ptr<OfficeFixture> m_fixture;
    std::unique_ptr<LibreOfficeApplication> m_office;
    QString m_path;
    DrawState m_state;
    EventModel m_event;
    FakeFormControls m_controls;
    RecordingMessages m_messages;
    std::unique_ptr<WorkbookCommands> m_commands;
};

void EditCommandOfficeTest::initTestCase() {
    m_display = std::make_unique<XvfbDisplay>();
    if (!m_display->isRunning()) {
        QSKIP("needs Xvfb for the office's window; it could not be started");
    }
    m_home = std::make_unique<FreshOfficeHome>();
    m_fixture = std::make_unique<OfficeFixture>(m_home->path());
    m_office =
        std::make_unique<LibreOfficeApplication>(LibreOfficeOptions{.profileFolder = m_fixture->profileFolder()});
}

void EditCommandOfficeTest::cleanupTestCase() {
    m_office.reset();
    m_fixture.reset();
    m_home.reset();
    m_display.reset();
}

void EditCommandOfficeTest::init() {
    // The command's probe would refuse while another office of this login runs.
    if (m_fixture->otherOfficeRuns()) {
        QSKIP(kOfficeOfThisLoginRuns);
    }
    QVERIFY(m_fixture->init());
    m_path = m_fixture->path();
    m_state = DrawState{};
    m_event.restore({});
    m_controls = FakeFormControls{};
    m_messages.clear();
    m_commands = std::make_unique<WorkbookCommands>(
        WorkbookCommands::Dependencies{m_state, m_controls, m_messages, *m_office, m_path, m_event});
}

void EditCommandOfficeTest::cleanup() {
    if (!m_fixture) {
        return;
    }
    // A failed check may leave the user's window open: close it so the next test starts clean (the
    // fixture ends the office outright if a question of its own keeps it open).
    for (const unsigned long window : m_display->windowsTitled(QStringLiteral("LibreOffice"))) {
        m_display->requestClose(window);
    }
    m_commands.reset();
    m_fixture->cleanup();
}

void EditCommandOfficeTest::opensTheWorkbookInAWindowOfTheUsers() {
    makeWorkbookFromCsv(QStringLiteral("名单\n姓名\n甲\n乙\n"), m_path);
    const QByteArray before = fileBytes(m_path);
    fillResults(m_event, 1, {QStringLiteral("中签")});

    m_commands->openForEditing();

    QCOMPARE(m_messages.shown(), QStringList{});
    // Pressed again at once, while the office is still starting and shows no window yet.
    const QString running = kOfficeRunningText;
    m_commands->openForEditing();
    QCOMPARE(m_messages.shown(), QStringList{running});
    m_messages.clear();
    QTRY_VERIFY2_WITH_TIMEOUT(!workbookWindows().isEmpty(), "no window of the workbook appeared", 30'000);
    // The user's office lives in a session of its own, not as our child: it outlives the program.
    const QList<qint64> userOffices = officeProcesses(m_path, true);
    QVERIFY(!userOffices.isEmpty());
    for (const qint64 pid : userOffices) {
        QVERIFY(::getsid(static_cast<pid_t>(pid)) != ::getsid(0));
    }
    if (const QByteArray shot = qgetenv("LOTDRAW_SCREENSHOT"); !shot.isEmpty()) {
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(officeLockFilePath()), 30'000);
        QVERIFY(m_display->screenshot(QString::fromLocal8Bit(shot)));
    }
    QCOMPARE(m_event.results(1), QStringList{QStringLiteral("中签")});
    QCOMPARE(m_event.pool(), QStringList{});

    // While the window is open: a second press and the import refuse, and nothing changes.
    m_commands->openForEditing();
    m_commands->importPool();
    QCOMPARE(m_messages.shown(), (QStringList{running, running}));
    QCOMPARE(m_event.results(1), QStringList{QStringLiteral("中签")});
    QCOMPARE(workbookWindows().size(), 1);

    // The export makes no probe, but it must neither damage the open document nor claim success.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(officeLockFilePath()), 30'000);
    m_messages.clear();
    fillResults(m_event, 1, {QStringLiteral("中签"), QStringLiteral("又一个")});
    ResultExport exporter({m_controls, m_messages, *m_office, m_path, m_event});
    exporter.exportList(1);
    QCOMPARE(m_messages.shown().size(), 1);
    QVERIFY2(m_messages.shown().constFirst().contains(QStringLiteral("名单工作簿已在电子表格程序中打开")),
             qPrintable(m_messages.shown().constFirst()));
    QVERIFY(!m_controls.isExportNoticeVisible());
    QCOMPARE(fileBytes(m_path), before);
    QCOMPARE(workbookWindows().size(), 1);

    // The user closes the window; the office ends and the import works again.
    for (const unsigned long window : workbookWindows()) {
        m_display->requestClose(window);
    }
    QTRY_VERIFY_WITH_TIMEOUT(ourOffices().isEmpty(), 20'000);
    m_messages.clear();
    m_commands->importPool();
    QCOMPARE(m_messages.shown(), QStringList{});
    QCOMPARE(m_event.pool(), (QStringList{"甲", "乙"}));
}

void EditCommandOfficeTest::importReadsTheUsersSavedEdits() {
    makeWorkbookFromCsv(QStringLiteral("名单\n姓名\n甲\n乙\n"), m_path);
    const QByteArray before = fileBytes(m_path);
    m_commands->openForEditing();
    QTRY_VERIFY_WITH_TIMEOUT(!workbookWindows().isEmpty(), 30'000);
    // The document is loaded once the office has locked it.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(officeLockFilePath()), 30'000);

    // The user types a third name under the two, saves in the workbook's own format and closes.
    // The view takes keys only some moment after the document has loaded: once it has answered one,
    // the rest follow. Control+C puts the cell on the clipboard; pressed again it does no harm.
    const unsigned long window = workbookWindows().constFirst();
    m_display->focus(window);
    QVERIFY2(m_display->pressKeyUntil(
                 "c", true, [this] { return m_display->selectionOwner("CLIPBOARD") != 0; }, 30'000),
             "the workbook's window took no keys");
    m_display->pressKey("Escape"); // ends the copy mode
    m_display->pressKey("Home", true);
    for (int i = 0; i < 4; ++i) {
        m_display->pressKey("Down");
    }
    m_display->typeText(QStringLiteral("zed"));
    m_display->pressKey("Return");
    m_display->pressKey("s", true);
    // The office asks whether to keep the Excel 97-2003 format, in a window of its own that may take
    // keys only a moment after it shows: the answer goes again until the question has gone.
    QTRY_VERIFY2_WITH_TIMEOUT(!m_display->windowsTitled(kKeepFormatTitle).isEmpty(), "the office asked nothing",
                              30'000);
    for (const unsigned long question : m_display->windowsTitled(kKeepFormatTitle)) {
        m_display->focus(question);
    }
    QVERIFY(m_display->pressKeyUntil(
        "Return", false, [this] { return m_display->windowsTitled(kKeepFormatTitle).isEmpty(); }, 30'000));
    QTRY_VERIFY2_WITH_TIMEOUT(fileBytes(m_path) != before, "the edit was not saved", 15'000);
    m_display->requestClose(window);
    QTRY_VERIFY_WITH_TIMEOUT(ourOffices().isEmpty(), 20'000);

    m_commands->importPool();

    QCOMPARE(m_messages.shown(), QStringList{});
    QCOMPARE(m_event.pool(), (QStringList{"甲", "乙", "zed"}));
}

void EditCommandOfficeTest::missingWorkbookChangesNothing() {
    fillResults(m_event, 2, {QStringLiteral("中签")});

    m_commands->openForEditing();

    QCOMPARE(m_messages.shown().size(), 1);
    QVERIFY2(m_messages.shown().constFirst().contains(QStringLiteral("找不到名单工作簿")),
             qPrintable(m_messages.shown().constFirst()));
    QCOMPARE(m_event.results(2), QStringList{QStringLiteral("中签")});
    QVERIFY(m_display->windowsTitled(QStringLiteral("LibreOffice")).isEmpty());
    // Nothing was left running, so the next press is not refused.
    m_messages.clear();
    makeWorkbookFromCsv(QStringLiteral("名单\n姓名\n甲\n"), m_path);
    m_commands->openForEditing();
    QCOMPARE(m_messages.shown(), QStringList{});
    QTRY_VERIFY_WITH_TIMEOUT(!workbookWindows().isEmpty(), 30'000);
}

void EditCommandOfficeTest::readOnlyWorkbookOpensReadOnly() {
    // The program's folder on a write-protected stick: the user's window opens the workbook as it
    // would when opened by hand, read-only and saying so.
    makeWorkbookFromCsv(QStringLiteral("名单\n姓名\n甲\n"), m_path);
    ReadOnlyPlaces places;
    if (const QString refusal = places.makeReadOnly(m_fixture->folder()); !refusal.isEmpty()) {
        QSKIP(qPrintable(refusal));
    }

    m_commands->openForEditing();

    QCOMPARE(m_messages.shown(), QStringList{});
    QTRY_VERIFY2_WITH_TIMEOUT(!workbookWindows().isEmpty(), "no window of the workbook appeared", 30'000);
    // The office marks the title; its words are English on a fresh profile.
    QTRY_VERIFY2_WITH_TIMEOUT(!m_display->windowsTitled(QStringLiteral("(read-only)")).isEmpty(),
                              "the window does not say that the workbook is read-only", 10'000);
    if (const QByteArray shot = qgetenv("LOTDRAW_SCREENSHOT"); !shot.isEmpty()) {
        QVERIFY(m_display->screenshot(QString::fromLocal8Bit(shot)));
    }
    for (const unsigned long window : workbookWindows()) {
        m_display->requestClose(window);
    }
    QTRY_VERIFY_WITH_TIMEOUT(ourOffices().isEmpty(), 20'000);
}

QTEST_GUILESS_MAIN(EditCommandOfficeTest)
#include "edit_command_office_test.moc"

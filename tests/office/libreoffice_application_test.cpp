#include "namelist/name_list_layout.h"
#include "namelist/name_list_workbook.h"
#include "office/libreoffice_application.h"
#include "support/office_fixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <csignal>
#include <pwd.h>
#include <thread>
#include <unistd.h>

using namespace lotdraw;
using namespace lotdraw::testing;
using namespace std::chrono_literals;

namespace {

const QString kOfficeProgram = QStringLiteral("/usr/lib/libreoffice/program/soffice");

QString profileArgument(const QString &folder) {
    return QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded);
}

// The SpreadsheetError message of `call`, or a note that it did not fail.
template<typename Call>
QString failureOf(const Call &call) {
    try {
        call();
    } catch (const SpreadsheetError &error) {
        return error.userMessage();
    }
    return QStringLiteral("<no failure>");
}

QString loginName() {
    return QString::fromLocal8Bit(::getpwuid(::getuid())->pw_name);
}

// A lock file as the user's own office writes it, on the user's own profile.
QByteArray lockOf(const QString &login, const QString &host) {
    return (QStringLiteral(",%1,%2,07.12.2026 05:00,file:///home/%1/.config/libreoffice/4;").arg(login, host)).toUtf8();
}

} // namespace

// Drives a real, headless LibreOffice. Every test ends with no office of ours running and no lock
// file or unfinished save beside its workbooks.
class LibreOfficeApplicationTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void textRoundTrip_data();
    void textRoundTrip();
    void numberCellsReadAsValues_data();
    void numberCellsReadAsValues();
    void emptyCellsReadEmpty();
    void sampleWorkbookLayout();
    void openFailures_data();
    void openFailures();
    void readOnlyWorkbookReadsButIsNotSaved_data();
    void readOnlyWorkbookReadsButIsNotSaved();
    void workbookOpenInAnotherOfficeIsRefused();
    void ownStaleLockIsTakenBack();
    void abandonedLockOfThisLoginIsTakenBack();
    void saveFailureKeepsTheWorkbook_data();
    void saveFailureKeepsTheWorkbook();
    void officeKilledDuringACallFails();
    void officeKilledBetweenCallsFails_data();
    void officeKilledBetweenCallsFails();
    void frozenOfficeFailsWithinTheBound_data();
    void frozenOfficeFailsWithinTheBound();
    void cancelEndsTheOfficeAtOnce_data();
    void cancelEndsTheOfficeAtOnce();
    void quitThenCloseEndsTheOffice();
    void droppingTheInstanceEndsTheOffice();
    void onlyOneAutomationInstanceAtATime();
    void probeSeesRunningOffices();
    void probeEndsOrphansOnOurProfile();
    void newWorkbookNeverReplacesAFile();
    void badCellPositionsAreRefused();
    void missingOfficeFailsToStart();
    void unusableProfileFailsToStart();
    void hangingStartFailsWithinTheBound();
    void unsavedChangesAreNotHandedOver();
    void visibleWorkbookIsHandedToTheUser();
    void handOverThatNeverHoldsTheWorkbookFails_data();
    void handOverThatNeverHoldsTheWorkbookFails();

private:
    [[nodiscard]] LibreOfficeOptions options() const;
    [[nodiscard]] QString path(const QString &name) const { return m_dir->filePath(name); }
    void writeWorkbook(const QString &file, const QStringList &names);
    [[nodiscard]] QList<qint64> ourOffices() const { return officeProcesses(m_profileArgument); }

    QTemporaryDir m_home;
    QString m_profile;
    QString m_profileArgument;
    QString m_numbersWorkbook;
    std::unique_ptr<QTemporaryDir> m_dir;
};

LibreOfficeOptions LibreOfficeApplicationTest::options() const {
    LibreOfficeOptions result;
    result.profileFolder = m_profile;
    result.callTimeout = 1500ms;
    result.fileTimeout = 3000ms;
    return result;
}

void LibreOfficeApplicationTest::writeWorkbook(const QString &file, const QStringList &names) {
    LibreOfficeApplication app(options());
    writeNameListWorkbook(app, file, names);
}

void LibreOfficeApplicationTest::initTestCase() {
    QVERIFY(m_home.isValid());
    QVERIFY2(QFileInfo(kOfficeProgram).isExecutable(), "LibreOffice is not installed");
    m_profile = m_home.filePath(QStringLiteral("automation profile"));
    m_profileArgument = profileArgument(m_profile);

    // Number, date and truth cells, made the way a user would get them: a CSV converted by the
    // office itself, not written through the layer (which writes text only).
    m_numbersWorkbook = m_home.filePath(QStringLiteral("numbers.xls"));
    makeWorkbookFromCsv(QStringLiteral("标题\n数值\n12\n0\n1.5\n-7\n1234.5\n0007\n50%\n2024-03-01\nTRUE\n123456789\n"
                                       "=1/0\n\"=\"\"abc\"\"\"\n=1+1\n=NA()\n"),
                        m_numbersWorkbook, QStringLiteral("xls"), CsvCells::Recognised);
    QVERIFY(QFileInfo::exists(m_numbersWorkbook));
}

void LibreOfficeApplicationTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void LibreOfficeApplicationTest::cleanup() {
    // A process just killed may take the kernel a moment to take down.
    QTRY_VERIFY_WITH_TIMEOUT(ourOffices().empty(), 2000);
    QCOMPARE(leftoverFiles(m_dir->path()), QStringList());
    QCOMPARE(leftoverFiles(m_home.path()), QStringList());
    // Nor the socket of a killed office's pipe.
    QCOMPARE(QDir(QStringLiteral("/tmp"))
                 .entryList({QStringLiteral("OSL_PIPE_*_lotdraw-%1-*").arg(::getpid())}, QDir::System | QDir::Hidden),
             QStringList());
    for (const pid_t pid : ourOffices()) {
        ::kill(pid, SIGKILL);
    }
}

void LibreOfficeApplicationTest::textRoundTrip_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("plain") << "Alice";
    QTest::newRow("chinese") << "张三丰";
    QTest::newRow("spaces kept") << "  李 四  ";
    QTest::newRow("only spaces") << "   ";
    QTest::newRow("leading zeros stay text") << "0012";
    QTest::newRow("digits stay text") << "12";
    QTest::newRow("formula stays text") << "=1+1";
    QTest::newRow("apostrophe") << "'x";
    QTest::newRow("empty text empties the cell") << "";
    QTest::newRow("long") << QString(300, QChar(u'长'));
}

void LibreOfficeApplicationTest::textRoundTrip() {
    QFETCH(QString, text);
    const QString file = path(QStringLiteral("导入名单.xls"));
    writeWorkbook(file, {QStringLiteral("placeholder"), QStringLiteral("end")});

    LibreOfficeApplication app(options());
    {
        const auto instance = app.create();
        instance->openWorkbook(file);
        QCOMPARE(instance->cell(3, 1), QStringLiteral("placeholder"));
        instance->setCell(3, 1, text);
        // The same instance reads back what it wrote.
        QCOMPARE(instance->cell(3, 1), text);
        instance->saveActiveWorkbook();
        instance->quit();
        instance->closeWorkbooks();
    }
    const auto instance = app.create();
    instance->openWorkbook(file);
    QCOMPARE(instance->cell(3, 1), text);
    QCOMPARE(instance->cell(4, 1), QStringLiteral("end"));
    instance->quit();
    instance->closeWorkbooks();
}

void LibreOfficeApplicationTest::numberCellsReadAsValues_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole number") << 3 << "12";
    QTest::newRow("zero") << 4 << "0";
    QTest::newRow("fraction") << 5 << "1.5";
    QTest::newRow("negative") << 6 << "-7";
    QTest::newRow("fraction shown with a format") << 7 << "1234.5";
    QTest::newRow("leading zeros of a number are not kept") << 8 << "7";
    QTest::newRow("percentage as its value") << 9 << "0.5";
    QTest::newRow("date") << 10 << "2024-03-01";
    // LibreOffice writes a truth value into xls as the formula =TRUE() without a truth format;
    // the sheet itself then shows 1, and the value reads the same.
    QTest::newRow("truth value written by LibreOffice") << 11 << "1";
    QTest::newRow("large whole number") << 12 << "123456789";
    QTest::newRow("error value") << 13 << "#DIV/0!";
    QTest::newRow("formula with a text result") << 14 << "abc";
    QTest::newRow("formula with a number result") << 15 << "2";
    QTest::newRow("not available") << 16 << "#N/A";
    QTest::newRow("heading text") << 1 << "标题";
    QTest::newRow("below the list") << 17 << "";
}

void LibreOfficeApplicationTest::numberCellsReadAsValues() {
    QFETCH(int, row);
    QFETCH(QString, text);
    const QString file = path(QStringLiteral("numbers.xls"));
    QVERIFY(QFile::copy(m_numbersWorkbook, file));
    LibreOfficeApplication app(options());
    const auto instance = app.create();
    instance->openWorkbook(file);
    QCOMPARE(instance->cell(row, 1), text);
    instance->quit();
    instance->closeWorkbooks();
}

void LibreOfficeApplicationTest::emptyCellsReadEmpty() {
    const QString file = path(QStringLiteral("a.xls"));
    writeWorkbook(file, {QStringLiteral("甲")});
    LibreOfficeApplication app(options());
    const auto instance = app.create();
    instance->openWorkbook(file);
    QCOMPARE(instance->cell(4, 1), QString());
    QCOMPARE(instance->cell(3, 6), QString());
    QCOMPARE(instance->cell(60000, 200), QString());
    instance->quit();
    instance->closeWorkbooks();
}

void LibreOfficeApplicationTest::sampleWorkbookLayout() {
    // The sample tool's list, read back the way the import reads it.
    QFile namesFile(QStringLiteral(LOTDRAW_SOURCE_DIR "/tools/sample_names.txt"));
    QVERIFY(namesFile.open(QIODevice::ReadOnly));
    const QStringList names = QString::fromUtf8(namesFile.readAll()).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(names.size() >= 25 && names.size() <= 99);
    const QString file = path(QStringLiteral("导入名单.xls"));
    writeWorkbook(file, names);

    LibreOfficeApplication app(options());
    const auto instance = app.create();
    instance->openWorkbook(file);
    QCOMPARE(instance->cell(1, 1), NameListLayout::title());
    QCOMPARE(instance->cell(2, 2), NameListLayout::columnHeadings().at(1));
    QStringList read;
    for (int row = 3; row <= 101; ++row) {
        const QString name = instance->cell(row, 1);
        if (name.isEmpty()) {
            break;
        }
        read.append(name);
    }
    QCOMPARE(read, names);
    instance->quit();
    instance->closeWorkbooks();
}

void LibreOfficeApplicationTest::openFailures_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << "missing"
                             << "找不到名单工作簿";
    QTest::newRow("text named .xls") << "text"
                                     << "不是电子表格工作簿";
    QTest::newRow("web page named .xls") << "html"
                                         << "不是电子表格工作簿";
    QTest::newRow("random bytes named .xls") << "random"
                                             << "不是电子表格工作簿";
    QTest::newRow("damaged workbook") << "damaged"
                                      << "已损坏";
    QTest::newRow("cut-off xlsx named .xls") << "cut-off xlsx"
                                             << "已损坏";
    QTest::newRow("locked by another user") << "locked"
                                            << "已在电子表格程序中打开";
    QTest::newRow("locked here by another login") << "locked, other login"
                                                  << "已在电子表格程序中打开";
    QTest::newRow("locked by this login on another machine") << "locked, other machine"
                                                             << "已在电子表格程序中打开";
    QTest::newRow("a folder") << "folder"
                              << "不是电子表格工作簿";
}

void LibreOfficeApplicationTest::openFailures() {
    QFETCH(QString, kind);
    QFETCH(QString, message);
    const QString file = path(QStringLiteral("导入名单.xls"));
    const QString lock = path(QStringLiteral(".~lock.导入名单.xls#"));
    QByteArray foreignLock = ",someone,other-host,07.12.2026 05:00,file:///home/someone/.config/libreoffice/4;";
    if (kind == QStringLiteral("locked, other login")) {
        foreignLock = lockOf(loginName() + QStringLiteral("2"), QSysInfo::machineHostName());
    } else if (kind == QStringLiteral("locked, other machine")) {
        foreignLock = lockOf(loginName(), QStringLiteral("x") + QSysInfo::machineHostName());
    }
    if (kind == QStringLiteral("text")) {
        writeFile(file, "姓名\n张三\n李四\n");
    } else if (kind == QStringLiteral("html")) {
        // Without the right filter the office reads a web page's table as a sheet.
        writeFile(file, "<html><body><table><tr><td>姓名</td></tr><tr><td>张三</td></tr></table></body></html>");
    } else if (kind == QStringLiteral("cut-off xlsx")) {
        makeWorkbookFromCsv(QStringLiteral("名单\n姓名\n甲\n"), file, QStringLiteral("xlsx"));
        writeFile(file, fileBytes(file).chopped(100));
    } else if (kind == QStringLiteral("random")) {
        QByteArray noise;
        for (int index = 0; index < 4096; ++index) {
            noise.append(static_cast<char>((index * 7919 + 13) % 251));
        }
        writeFile(file, noise);
    } else if (kind == QStringLiteral("damaged")) {
        writeWorkbook(file, {QStringLiteral("甲"), QStringLiteral("乙")});
        // Keep the compound-file header, cut off everything the workbook needs.
        QByteArray bytes = fileBytes(file).left(1536);
        bytes.replace(512, 1024, QByteArray(1024, '\xff'));
        writeFile(file, bytes);
    } else if (kind.startsWith(QStringLiteral("locked"))) {
        writeWorkbook(file, {QStringLiteral("甲")});
        writeFile(lock, foreignLock);
    } else if (kind == QStringLiteral("folder")) {
        QVERIFY(QDir().mkpath(file));
    }
    const QByteArray before = fileBytes(file);

    LibreOfficeApplication app(options());
    {
        const auto instance = app.create();
        const QString failure = failureOf([&] { instance->openWorkbook(file); });
        QVERIFY2(failure.contains(message), qPrintable(failure));
        QVERIFY2(failure.contains(QStringLiteral("导入名单.xls")), qPrintable(failure));
        // The instance stays usable after a refused open.
        QCOMPARE(failureOf([&] { (void)instance->cell(1, 1); }).contains(QStringLiteral("没有打开的工作簿")), true);
    }
    QCOMPARE(fileBytes(file), before);
    if (kind.startsWith(QStringLiteral("locked"))) {
        // The other user's lock is theirs: untouched.
        QCOMPARE(fileBytes(lock), foreignLock);
        QVERIFY(QFile::remove(lock));
    }
}

void LibreOfficeApplicationTest::readOnlyWorkbookReadsButIsNotSaved_data() {
    QTest::addColumn<QString>("readOnly");
    QTest::newRow("folder mounted read-only") << "folder";
    QTest::newRow("file mounted read-only in a writable folder") << "file";
    // The office can write the file but cannot make its lock file beside it.
    QTest::newRow("writable file in a read-only folder") << "folder, not file";
}

void LibreOfficeApplicationTest::readOnlyWorkbookReadsButIsNotSaved() {
    QFETCH(QString, readOnly);
    const QString file = path(QStringLiteral("导入名单.xls"));
    writeWorkbook(file, {QStringLiteral("甲"), QStringLiteral("乙")});
    const QByteArray before = fileBytes(file);
    // The same bytes outside, to be mounted writable over the file in the read-only folder.
    const QString writable = m_home.filePath(QStringLiteral("writable.xls"));
    QFile::remove(writable);
    QVERIFY(QFile::copy(file, writable));

    BindMounts mounts;
    QString refusal;
    if (readOnly == QStringLiteral("file")) {
        refusal = mounts.mount(file, file, true);
    } else {
        refusal = mounts.mount(m_dir->path(), m_dir->path(), true);
        if (refusal.isEmpty() && readOnly == QStringLiteral("folder, not file")) {
            refusal = mounts.mount(writable, file, false);
        }
    }
    if (!refusal.isEmpty()) {
        QSKIP(qPrintable(refusal));
    }

    LibreOfficeApplication app(options());
    {
        const auto instance = app.create();
        instance->openWorkbook(file);
        QCOMPARE(instance->cell(3, 1), QStringLiteral("甲"));
        QCOMPARE(instance->cell(4, 1), QStringLiteral("乙"));
        instance->setCell(3, 2, QStringLiteral("丙"));
        const QString failure = failureOf([&] { instance->saveActiveWorkbook(); });
        QVERIFY2(failure.contains(QStringLiteral("不可写入")), qPrintable(failure));
        QVERIFY2(failure.contains(QStringLiteral("导入名单.xls")), qPrintable(failure));
        instance->quit();
        instance->closeWorkbooks();
    }
    QCOMPARE(fileBytes(file), before);
    QCOMPARE(leftoverFiles(m_dir->path()), QStringList());
}

void LibreOfficeApplicationTest::workbookOpenInAnotherOfficeIsRefused() {
    const QString file = path(QStringLiteral("导入名单.xls"));
    writeWorkbook(file, {QStringLiteral("甲")});
    const QByteArray before = fileBytes(file);

    // The user's own office, with the workbook open (headless here, on a profile of its own).
    const QString userProfile = m_home.filePath(QStringLiteral("user profile"));
    QProcess userOffice;
    userOffice.setProgram(kOfficeProgram);
    userOffice.setArguments(
        {profileArgument(userProfile), QStringLiteral("--headless"), QStringLiteral("--norestore"), file});
    userOffice.setChildProcessModifier([] { ::setsid(); });
    userOffice.start();
    QVERIFY(userOffice.waitForStarted());
    const QString lock = path(QStringLiteral(".~lock.导入名单.xls#"));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(lock), 60000);
    const QByteArray userLock = fileBytes(lock);

    LibreOfficeApplication app(options());
    QString failure;
    {
        const auto instance = app.create();
        failure = failureOf([&] { instance->openWorkbook(file); });
    }
    const pid_t group = static_cast<pid_t>(userOffice.processId());
    ::kill(-group, SIGKILL);
    userOffice.waitForFinished();
    QTRY_VERIFY_WITH_TIMEOUT(officeProcesses(profileArgument(userProfile)).empty(), 2000);

    QVERIFY2(failure.contains(QStringLiteral("已在电子表格程序中打开")), qPrintable(failure));
    QCOMPARE(fileBytes(lock), userLock);
    QCOMPARE(fileBytes(file), before);
    QVERIFY(QFile::remove(lock));
}

void LibreOfficeApplicationTest::ownStaleLockIsTakenBack() {
    // An instance of ours that was killed outright (say, with the whole program) left its lock.
    const QString file = path(QStringLiteral("导入名单.xls"));
    writeWorkbook(file, {QStringLiteral("甲")});
    const QString lock = path(QStringLiteral(".~lock.导入名单.xls#"));
    writeFile(lock,
              (",root,host,07.12.2026 05:00," +
               QUrl::fromLocalFile(m_profile + QStringLiteral("/user")).toString(QUrl::FullyEncoded).toUtf8() + ";"));

    LibreOfficeApplication app(options());
    const auto instance = app.create();
    instance->openWorkbook(file);
    QCOMPARE(instance->cell(3, 1), QStringLiteral("甲"));
    instance->quit();
    instance->closeWorkbooks();
    QVERIFY(!QFileInfo::exists(lock));
}

void LibreOfficeApplicationTest::abandonedLockOfThisLoginIsTakenBack() {
    // The user's own office had the workbook open for editing and went down without cleaning up
    // (crashed, or killed with the session). No office of this login runs now.
    QVERIFY2(officeProcesses().empty(), "another office of this login runs; its lock could be live");
    const QString file = path(QStringLiteral("导入名单.xls"));
    writeWorkbook(file, {QStringLiteral("甲")});
    const QString lock = path(QStringLiteral(".~lock.导入名单.xls#"));
    writeFile(lock, lockOf(loginName(), QSysInfo::machineHostName()));

    LibreOfficeApplication app(options());
    {
        const auto instance = app.create();
        instance->openWorkbook(file);
        QCOMPARE(instance->cell(3, 1), QStringLiteral("甲"));
        instance->setCell(3, 2, QStringLiteral("乙"));
        // Writable, not a read-only copy: the save reaches the file.
        instance->saveActiveWorkbook();
        instance->quit();
        instance->closeWorkbooks();
    }
    QVERIFY(!QFileInfo::exists(lock));
    const auto reader = app.create();
    reader->openWorkbook(file);
    QCOMPARE(reader->cell(3, 2), QStringLiteral("乙"));
    reader->quit();
    reader->closeWorkbooks();
}

void LibreOfficeApplicationTest::saveFailureKeepsTheWorkbook_data() {
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("message");
    QTest::newRow("office killed") << int(SIGKILL) << "意外退出";
    QTest::newRow("office frozen") << int(SIGSTOP) << "没有响应";
}

void LibreOfficeApplicationTest::saveFailureKeepsTheWorkbook() {
    QFETCH(int, signal);
    QFETCH(QString, message);
    const QString file = path(QStringLiteral("导入名单.xls"));
    writeWorkbook(file, {QStringLiteral("甲"), QStringLiteral("乙")});
    const QByteArray before = fileBytes(file);

    LibreOfficeApplication app(options());
    {
        const auto instance = app.create();
        instance->openWorkbook(file);
        instance->setCell(3, 1, QStringLiteral("丙"));
        const auto offices = ourOffices();
        QCOMPARE(offices.size(), qsizetype(1));
        ::kill(offices.front(), signal);
        QElapsedTimer timer;
        timer.start();
        const QString failure = failureOf([&] { instance->saveActiveWorkbook(); });
        QVERIFY2(failure.contains(message), qPrintable(failure));
        QVERIFY2(timer.elapsed() < options().fileTimeout.count() + 3000, qPrintable(QString::number(timer.elapsed())));
        // Once ended, the instance refuses further work instead of hanging.
        QVERIFY(!failureOf([&] { (void)instance->cell(3, 1); }).isEmpty());
    }
    QCOMPARE(fileBytes(file), before);
}

void LibreOfficeApplicationTest::officeKilledDuringACallFails() {
    const QString file = path(QStringLiteral("导入名单.xls"));
    writeWorkbook(file, {QStringLiteral("甲")});
    const QByteArray before = fileBytes(file);

    LibreOfficeApplication app(options());
    const auto instance = app.create();
    instance->openWorkbook(file);
    const auto offices = ourOffices();
    QCOMPARE(offices.size(), qsizetype(1));

    std::atomic<bool> killed = false;
    QElapsedTimer sinceKill;
    std::thread killer([&] {
        std::this_thread::sleep_for(150ms);
        sinceKill.start();
        killed = true;
        ::kill(offices.front(), SIGKILL);
    });
    QString failure;
    // Calls back to back, so that the kill lands in the middle of one.
    for (int round = 0; round < 100000 && failure.isEmpty(); ++round) {
        failure = failureOf([&] { instance->setCell(5 + round % 50, 2, QStringLiteral("x")); });
        if (failure == QStringLiteral("<no failure>")) {
            failure.clear();
        }
    }
    killer.join();
    QVERIFY(killed);
    QVERIFY2(failure.contains(QStringLiteral("意外退出")), qPrintable(failure));
    QVERIFY2(sinceKill.elapsed() < 2000, qPrintable(QString::number(sinceKill.elapsed())));
    QCOMPARE(fileBytes(file), before);
}

void LibreOfficeApplicationTest::officeKilledBetweenCallsFails_data() {
    QTest::addColumn<QString>("operation");
    QTest::newRow("cell read") << "read";
    QTest::newRow("cell write") << "write";
    QTest::newRow("save") << "save";
    QTest::newRow("quit and close") << "close";
}

void LibreOfficeApplicationTest::officeKilledBetweenCallsFails() {
    // The next call writes into a dead pipe: it must fail, not take this program down.
    QFETCH(QString, operation);
    const QString file = path(QStringLiteral("导入名单.xls"));
    writeWorkbook(file, {QStringLiteral("甲")});
    const QByteArray before = fileBytes(file);

    LibreOfficeApplication app(options());
    const auto instance = app.create();
    instance->openWorkbook(file);
    const auto offices = ourOffices();
    QCOMPARE(offices.size(), qsizetype(1));
    ::kill(offices.front(), SIGKILL);
    QTRY_VERIFY_WITH_TIMEOUT(ourOffices().empty(), 2000);

    const QString failure = failureOf([&] {
        if (operation == QStringLiteral("read")) {
            (void)instance->cell(3, 1);
        } else if (operation == QStringLiteral("write")) {
            instance->setCell(3, 1, QStringLiteral("乙"));
        } else if (operation == QStringLiteral("save")) {
            instance->saveActiveWorkbook();
        } else {
            instance->quit();
            instance->closeWorkbooks();
        }
    });
    QVERIFY2(failure.contains(QStringLiteral("意外退出")), qPrintable(failure));
    QCOMPARE(fileBytes(file), before);
}

void LibreOfficeApplicationTest::frozenOfficeFailsWithinTheBound_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("message");
    // Frozen on the workbook itself: another try would end the same way.
    QTest::newRow("open") << "open"
                          << "名单工作簿没能在 3 秒内打开";
    QTest::newRow("cell read") << "read"
                               << "没有响应，已被强制结束。请再试一次。";
    QTest::newRow("cell write") << "write"
                                << "没有响应，已被强制结束。请再试一次。";
    QTest::newRow("quit and close") << "close"
                                    << "没有响应，已被强制结束。请再试一次。";
}

void LibreOfficeApplicationTest::frozenOfficeFailsWithinTheBound() {
    QFETCH(QString, operation);
    QFETCH(QString, message);
    const QString file = path(QStringLiteral("导入名单.xls"));
    writeWorkbook(file, {QStringLiteral("甲")});
    const QByteArray before = fileBytes(file);

    LibreOfficeApplication app(options());
    const auto instance = app.create();
    if (operation != QStringLiteral("open")) {
        instance->openWorkbook(file);
    }
    const auto offices = ourOffices();
    QCOMPARE(offices.size(), qsizetype(1));
    ::kill(offices.front(), SIGSTOP);

    QElapsedTimer timer;
    timer.start();
    const QString failure = failureOf([&] {
        if (operation == QStringLiteral("open")) {
            instance->openWorkbook(file);
        } else if (operation == QStringLiteral("read")) {
            (void)instance->cell(3, 1);
        } else if (operation == QStringLiteral("write")) {
            instance->setCell(3, 1, QStringLiteral("乙"));
        } else {
            instance->quit();
            instance->closeWorkbooks();
        }
    });
    QVERIFY2(failure.contains(message), qPrintable(failure));
    QVERIFY2(operation != QStringLiteral("open") || !failure.contains(QStringLiteral("再试一次")), qPrintable(failure));
    const auto bound = operation == QStringLiteral("open") ? options().fileTimeout : options().callTimeout;
    QVERIFY2(timer.elapsed() < bound.count() + 1500, qPrintable(QString::number(timer.elapsed())));
    // The frozen office is gone at once, not only when the instance is dropped.
    QTRY_VERIFY_WITH_TIMEOUT(ourOffices().empty(), 2000);
    QCOMPARE(fileBytes(file), before);
}

void LibreOfficeApplicationTest::cancelEndsTheOfficeAtOnce_data() {
    QTest::addColumn<QString>("step");
    QTest::newRow("start") << "start";
    QTest::newRow("open") << "open";
    QTest::newRow("cell write") << "write";
}

void LibreOfficeApplicationTest::cancelEndsTheOfficeAtOnce() {
    // The office freezes at the step; the operator cancels from the window's thread.
    QFETCH(QString, step);
    const QString file = path(QStringLiteral("导入名单.xls"));
    writeWorkbook(file, {QStringLiteral("甲")});
    const QByteArray before = fileBytes(file);
    LibreOfficeApplication app(options());
    std::unique_ptr<SpreadsheetInstance> instance;
    if (step != QStringLiteral("start")) {
        instance = app.create();
        if (step == QStringLiteral("write")) {
            instance->openWorkbook(file);
        }
        QCOMPARE(ourOffices().size(), qsizetype(1));
        ::kill(ourOffices().front(), SIGSTOP);
    }

    QElapsedTimer sinceCancel;
    std::thread operatorAtTheWindow([&] {
        if (step == QStringLiteral("start")) {
            // The launcher is our child; stop its whole group before the office can answer, but
            // only once it runs the office: stopped before its exec, it would stop us too.
            const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
            for (int i = 0; i < 5000; ++i) {
                const std::vector<pid_t> children = childProcesses(::getpid());
                const QString image = children.empty()
                                          ? self
                                          : QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(children.front()));
                if (!image.isEmpty() && image != self) {
                    ::kill(-children.front(), SIGSTOP);
                    break;
                }
                std::this_thread::sleep_for(1ms);
            }
        }
        std::this_thread::sleep_for(300ms);
        sinceCancel.start();
        if (step == QStringLiteral("start")) {
            app.abortCreate();
        } else {
            instance->abort();
        }
    });
    bool cancelled = false;
    try {
        if (step == QStringLiteral("start")) {
            instance = app.create();
        } else if (step == QStringLiteral("open")) {
            instance->openWorkbook(file);
        } else {
            instance->setCell(3, 1, QStringLiteral("乙"));
        }
    } catch (const SpreadsheetCancelled &) {
        cancelled = true;
    }
    const qint64 elapsed = sinceCancel.elapsed();
    operatorAtTheWindow.join();

    QVERIFY(cancelled);
    // Well inside every limit of the office layer.
    QVERIFY2(elapsed < 1000, qPrintable(QString::number(elapsed)));
    QTRY_VERIFY_WITH_TIMEOUT(ourOffices().empty(), 2000);
    QCOMPARE(fileBytes(file), before);
    // Nothing more is asked of a cancelled office, and the next one starts as usual.
    if (instance) {
        QVERIFY_THROWS_EXCEPTION(SpreadsheetCancelled, (void)instance->cell(3, 1));
        instance.reset();
    }
    const auto next = app.create();
    next->openWorkbook(file);
    QCOMPARE(next->cell(3, 1), QStringLiteral("甲"));
}

void LibreOfficeApplicationTest::quitThenCloseEndsTheOffice() {
    const QString file = path(QStringLiteral("导入名单.xls"));
    writeWorkbook(file, {QStringLiteral("甲")});
    LibreOfficeApplication app(options());
    const auto instance = app.create();
    instance->openWorkbook(file);
    QCOMPARE(ourOffices().size(), qsizetype(1));
    instance->quit();
    // Quit only announces the end: the instance still answers until the workbooks are closed.
    QCOMPARE(instance->cell(3, 1), QStringLiteral("甲"));
    instance->closeWorkbooks();
    QVERIFY(ourOffices().empty());
    QVERIFY(!QFileInfo::exists(path(QStringLiteral(".~lock.导入名单.xls#"))));
}

void LibreOfficeApplicationTest::droppingTheInstanceEndsTheOffice() {
    const QString file = path(QStringLiteral("导入名单.xls"));
    writeWorkbook(file, {QStringLiteral("甲")});
    const QByteArray before = fileBytes(file);
    LibreOfficeApplication app(options());
    {
        const auto instance = app.create();
        instance->openWorkbook(file);
        instance->setCell(3, 1, QStringLiteral("乙"));
        QVERIFY(QFileInfo::exists(path(QStringLiteral(".~lock.导入名单.xls#"))));
        // Dropped without quit, close or save, as a failing handler does.
    }
    QVERIFY(ourOffices().empty());
    QCOMPARE(fileBytes(file), before);
}

void LibreOfficeApplicationTest::onlyOneAutomationInstanceAtATime() {
    LibreOfficeApplication app(options());
    {
        const auto first = app.create();
        const QString failure = failureOf([&] { (void)app.create(); });
        QVERIFY2(failure.contains(QStringLiteral("另一项工作")), qPrintable(failure));
        QCOMPARE(ourOffices().size(), qsizetype(1));
    }
    const auto next = app.create();
    QCOMPARE(ourOffices().size(), qsizetype(1));
}

void LibreOfficeApplicationTest::probeSeesRunningOffices() {
    LibreOfficeApplication app(options());
    {
        const auto instance = app.create();
        QVERIFY(app.isRunning());
    }
    QVERIFY(ourOffices().empty());
    // Other offices of this user may come and go on a shared machine; the probe must agree with
    // a scan of its own whenever the scans before and after it agree.
    for (int attempt = 0; attempt < 20; ++attempt) {
        const bool before = !officeProcesses({}, true).empty();
        const bool probe = app.isRunning();
        if (before == !officeProcesses({}, true).empty()) {
            QCOMPARE(probe, before);
            return;
        }
    }
    QSKIP("other offices kept starting and ending during the probe");
}

void LibreOfficeApplicationTest::probeEndsOrphansOnOurProfile() {
    // An automation office whose program crashed: nobody holds the automation lock any more.
    LibreOfficeApplication app(options());
    { const auto seed = app.create(); }
    QProcess orphan;
    orphan.setProgram(kOfficeProgram);
    orphan.setArguments({m_profileArgument, QStringLiteral("--headless"), QStringLiteral("--norestore"),
                         QStringLiteral("--nodefault"), QStringLiteral("--accept=pipe,name=lotdraw-orphan-test;urp;")});
    orphan.setChildProcessModifier([] { ::setsid(); });
    orphan.start();
    QVERIFY(orphan.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(!ourOffices().empty(), 20000);

    // Offices of other profiles of this login would make the probe true on their own.
    const bool others = officeProcesses({}, true).size() > officeProcesses(m_profileArgument, true).size();
    // Ended by the probe itself, so not counted, launcher included.
    const bool probed = app.isRunning();
    QVERIFY(orphan.waitForFinished(5000));
    QVERIFY(!probed || others);
    QTRY_VERIFY_WITH_TIMEOUT(ourOffices().empty(), 2000);
    QFile::remove(QStringLiteral("/tmp/OSL_PIPE_%1_lotdraw-orphan-test").arg(::getuid()));
}

void LibreOfficeApplicationTest::newWorkbookNeverReplacesAFile() {
    const QString file = path(QStringLiteral("导入名单.xls"));
    writeFile(file, "precious");
    LibreOfficeApplication app(options());
    const QString failure = failureOf([&] { writeNameListWorkbook(app, file, {QStringLiteral("甲")}); });
    QVERIFY2(failure.contains(QStringLiteral("不会覆盖")), qPrintable(failure));
    QCOMPARE(fileBytes(file), QByteArray("precious"));
}

void LibreOfficeApplicationTest::badCellPositionsAreRefused() {
    const QString file = path(QStringLiteral("导入名单.xls"));
    writeWorkbook(file, {QStringLiteral("甲")});
    LibreOfficeApplication app(options());
    const auto instance = app.create();
    instance->openWorkbook(file);
    QVERIFY(failureOf([&] { (void)instance->cell(0, 1); }).contains(QStringLiteral("单元格位置无效")));
    QVERIFY(
        failureOf([&] { instance->setCell(1, 0, QStringLiteral("x")); }).contains(QStringLiteral("单元格位置无效")));
    // Still usable afterwards.
    QCOMPARE(instance->cell(3, 1), QStringLiteral("甲"));
    instance->quit();
    instance->closeWorkbooks();
}

void LibreOfficeApplicationTest::missingOfficeFailsToStart() {
    LibreOfficeOptions broken = options();
    broken.programFolder = m_home.filePath(QStringLiteral("no office here"));
    LibreOfficeApplication app(broken);
    const QString failure = failureOf([&] { (void)app.create(); });
    QVERIFY2(failure.contains(QStringLiteral("无法启动电子表格程序")), qPrintable(failure));
    QVERIFY2(failure.contains(QStringLiteral("no office here")), qPrintable(failure));
}

void LibreOfficeApplicationTest::hangingStartFailsWithinTheBound() {
    // The local side of the bridge is set up once per process, from the real installation.
    { const auto real = LibreOfficeApplication(options()).create(); }

    // An office that starts but never opens its pipe.
    const QString folder = m_home.filePath(QStringLiteral("hanging office"));
    QVERIFY(QDir().mkpath(folder));
    const QString pidFile = m_home.filePath(QStringLiteral("hanging.pid"));
    const QString script = folder + QStringLiteral("/soffice");
    writeFile(script, "#!/bin/sh\necho $$ > '" + pidFile.toUtf8() + "'\nexec sleep 600\n");
    QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    LibreOfficeOptions hanging = options();
    hanging.programFolder = folder;
    hanging.startTimeout = 1500ms;
    LibreOfficeApplication app(hanging);
    QElapsedTimer timer;
    timer.start();
    const QString failure = failureOf([&] { (void)app.create(); });
    QVERIFY2(failure.contains(QStringLiteral("启动超时")), qPrintable(failure));
    QVERIFY2(timer.elapsed() < hanging.startTimeout.count() + 2000, qPrintable(QString::number(timer.elapsed())));
    // Killed and reaped: the process is gone, not even a zombie.
    const pid_t pid = static_cast<pid_t>(fileBytes(pidFile).trimmed().toInt());
    QVERIFY(pid > 0);
    QVERIFY(::kill(pid, 0) != 0);
}

void LibreOfficeApplicationTest::unusableProfileFailsToStart() {
    // A file where the profile folder should be.
    const QString blocker = m_home.filePath(QStringLiteral("blocked"));
    writeFile(blocker, "x");
    LibreOfficeOptions broken = options();
    broken.profileFolder = blocker + QStringLiteral("/profile");
    LibreOfficeApplication app(broken);
    const QString failure = failureOf([&] { (void)app.create(); });
    QVERIFY2(failure.contains(QStringLiteral("配置文件夹")), qPrintable(failure));
}

void LibreOfficeApplicationTest::unsavedChangesAreNotHandedOver() {
    const QString file = path(QStringLiteral("导入名单.xls"));
    writeWorkbook(file, {QStringLiteral("甲")});
    LibreOfficeApplication app(options());
    const auto instance = app.create();
    instance->openWorkbook(file);
    instance->setCell(3, 1, QStringLiteral("乙"));
    // The window opens the file afresh, so these changes would silently vanish.
    QVERIFY(failureOf([&] { instance->setVisible(true); }).contains(QStringLiteral("尚未保存")));
    QCOMPARE(instance->cell(3, 1), QStringLiteral("乙"));
}

void LibreOfficeApplicationTest::visibleWorkbookIsHandedToTheUser() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        QSKIP("needs a display (for example Xvfb) for the visible window");
    }
    const QString file = path(QStringLiteral("导入名单.xls"));
    writeWorkbook(file, {QStringLiteral("甲")});
    // The user's own profile lives under HOME; keep the real one out of the test.
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", m_home.filePath(QStringLiteral("user home")).toUtf8());
    LibreOfficeApplication app(options());
    {
        const auto instance = app.create();
        instance->openWorkbook(file);
        instance->setVisible(true);
        // Ours is gone at once; the window is the user's.
        QVERIFY(ourOffices().empty());
    }
    qputenv("HOME", oldHome);
    const QString lock = path(QStringLiteral(".~lock.导入名单.xls#"));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(lock), 60000);
    // A first start on a new profile may restart itself, so there can be more than one.
    const auto userOffices = officeProcesses(file);
    const bool probed = app.isRunning();
    bool ownSessions = true;
    for (const pid_t pid : userOffices) {
        ownSessions = ownSessions && ::getsid(pid) != ::getsid(0);
    }
    // End the user's office before checking, so that a failure leaves nothing behind.
    for (const pid_t pid : userOffices) {
        ::kill(-::getpgid(pid), SIGKILL);
    }
    QTRY_VERIFY_WITH_TIMEOUT(officeProcesses(file).empty(), 5000);
    QFile::remove(lock);

    QVERIFY(!userOffices.empty());
    QVERIFY(probed);
    // The user's office lives in a session of its own, not as our child.
    QVERIFY(ownSessions);
}

void LibreOfficeApplicationTest::handOverThatNeverHoldsTheWorkbookFails_data() {
    QTest::addColumn<QByteArray>("behaviour");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("failure");

    QTest::newRow("office ends at once") << QByteArray("exit 1") << false << "没有打开名单工作簿就退出了";
    QTest::newRow("office never opens it") << QByteArray("exec sleep 600") << false << "秒内没有打开名单工作簿";
    QTest::newRow("operator cancels") << QByteArray("exec sleep 600") << true << QString();
}

void LibreOfficeApplicationTest::handOverThatNeverHoldsTheWorkbookFails() {
    QFETCH(QByteArray, behaviour);
    QFETCH(bool, cancel);
    QFETCH(QString, failure);
    // The local side of the bridge is set up once per process, from the real installation.
    { const auto real = LibreOfficeApplication(options()).create(); }
    const QString file = path(QStringLiteral("导入名单.xls"));
    writeWorkbook(file, {QStringLiteral("甲")});

    // The hidden office is the real one; the visible one starts and then misbehaves.
    const QString folder = m_home.filePath(QStringLiteral("visible office"));
    QVERIFY(QDir().mkpath(folder));
    const QString pidFile = m_home.filePath(QStringLiteral("visible.pid"));
    QFile::remove(pidFile);
    const QString script = folder + QStringLiteral("/soffice");
    writeFile(script, "#!/bin/sh\nfor a in \"$@\"; do [ \"$a\" = --headless ] && exec '" + kOfficeProgram.toUtf8() +
                          "' \"$@\"; done\necho $$ > '" + pidFile.toUtf8() + "'\n" + behaviour + "\n");
    QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    LibreOfficeOptions visible = options();
    visible.programFolder = folder;
    visible.handOverTimeout = 1500ms;

    const QByteArray oldDisplay = qgetenv("DISPLAY");
    qputenv("DISPLAY", ":lotdraw-test");
    LibreOfficeApplication app(visible);
    const auto instance = app.create();
    instance->openWorkbook(file);
    std::thread canceller;
    if (cancel) {
        canceller = std::thread([&instance] {
            std::this_thread::sleep_for(300ms);
            instance->abort();
        });
    }
    QElapsedTimer timer;
    timer.start();
    bool cancelled = false;
    QString message;
    try {
        instance->setVisible(true);
    } catch (const SpreadsheetCancelled &) {
        cancelled = true;
    } catch (const SpreadsheetError &error) {
        message = error.userMessage();
    }
    const qint64 elapsed = timer.elapsed();
    if (canceller.joinable()) {
        canceller.join();
    }
    qputenv("DISPLAY", oldDisplay);

    QCOMPARE(cancelled, cancel);
    QVERIFY2(cancel || message.contains(failure), qPrintable(message));
    QVERIFY2(elapsed < 5000, qPrintable(QString::number(elapsed)));
    // The office started for the user does not outlive the failure.
    const pid_t pid = static_cast<pid_t>(fileBytes(pidFile).trimmed().toInt());
    QVERIFY(pid > 0);
    QTRY_VERIFY_WITH_TIMEOUT(!isLiveProcess(pid), 2000);
}

QTEST_GUILESS_MAIN(LibreOfficeApplicationTest)
#include "libreoffice_application_test.moc"

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
#include <atomic>
#include <csignal>
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

// The SpreadsheetError message of `call`; the empty text when it did not fail.
template<typename Call>
QString failureOf(const Call &call) {
    try {
        call();
    } catch (const SpreadsheetError &error) {
        return error.userMessage();
    }
    return {};
}

// Stops the office that this process is starting, with its launcher (our child) and everything in
// its process group, before it can answer; but only once the launcher runs the office: stopped
// before its exec, it would stop us too. Gives up once `returned` is set.
void freezeTheStartingOffice(const std::atomic<bool> &returned) {
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    for (bool stopped = false; !stopped && !returned; std::this_thread::sleep_for(1ms)) {
        const std::vector<pid_t> children = childProcesses(::getpid());
        const QString image =
            children.empty() ? self : QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(children.front()));
        stopped = !image.isEmpty() && image != self && ::kill(-children.front(), SIGSTOP) == 0;
    }
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
    void cellsOutsideTheListReadEmptyOrAreRefused();
    void sampleNamesReadBack();
    void openFailures_data();
    void openFailures();
    void readOnlyWorkbookReadsButIsNotSaved_data();
    void readOnlyWorkbookReadsButIsNotSaved();
    void workbookOpenInAnotherOfficeIsRefused();
    void leftLockIsTakenBack_data();
    void leftLockIsTakenBack();
    void officeKilledDuringACallFails();
    void stoppedOfficeFailsTheNextCall_data();
    void stoppedOfficeFailsTheNextCall();
    void cancelEndsTheOfficeAtOnce_data();
    void cancelEndsTheOfficeAtOnce();
    void droppingTheInstanceEndsTheOffice();
    void onlyOneAutomationInstanceAtATime();
    void probeSeesRunningOffices();
    void probeEndsOrphansOnOurProfile();
    void newWorkbookNeverReplacesAFile();
    void startFailures_data();
    void startFailures();
    void unsavedChangesAreNotHandedOver();
    void handOverThatNeverHoldsTheWorkbookFails_data();
    void handOverThatNeverHoldsTheWorkbookFails();

private:
    [[nodiscard]] LibreOfficeOptions options() const {
        // The program's own limits: shorter ones make a slow but healthy office on a busy machine fail.
        return {.profileFolder = m_office.profileFolder()};
    }
    [[nodiscard]] QString path(const QString &name) const { return m_office.path(name); }
    // Writes a name list at `file`, by default in the test's folder; returns where.
    QString writeWorkbook(const QStringList &names, QString file = {});
    // A new instance of the automation office with `file` open.
    [[nodiscard]] std::unique_ptr<SpreadsheetInstance> opened(const QString &file) {
        auto instance = m_app.create();
        instance->openWorkbook(file);
        return instance;
    }
    // The hidden offices on the automation profile.
    [[nodiscard]] QList<qint64> ourOffices() const { return officeProcesses(m_profileArgument); }

    OfficeFixture m_office;
    LibreOfficeApplication m_app{options()};
    QString m_profileArgument = profileArgument(m_office.profileFolder());
    QString m_numbersWorkbook;
};

QString LibreOfficeApplicationTest::writeWorkbook(const QStringList &names, QString file) {
    file = file.isEmpty() ? m_office.path() : file;
    writeNameListWorkbook(m_app, file, names);
    return file;
}

void LibreOfficeApplicationTest::initTestCase() {
    QVERIFY2(QFileInfo(kOfficeProgram).isExecutable(), "LibreOffice is not installed");
    // The local side of the bridge is set up once per process, from the real installation: before
    // a test starts a broken one.
    { const auto real = m_app.create(); }
    // Number, date and truth cells, made the way a user would get them: a CSV converted by the
    // office itself, not written through the layer (which writes text only).
    m_numbersWorkbook = m_office.root() + QStringLiteral("/numbers.xls");
    makeWorkbookFromCsv(QStringLiteral("标题\n数值\n12\n0\n1.5\n-7\n1234.5\n0007\n50%\n2024-03-01\nTRUE\n123456789\n"
                                       "=1/0\n\"=\"\"abc\"\"\"\n=1+1\n=NA()\n"),
                        m_numbersWorkbook, QStringLiteral("xls"), CsvCells::Recognised);
    QVERIFY(QFileInfo::exists(m_numbersWorkbook));
}

void LibreOfficeApplicationTest::init() {
    QVERIFY(m_office.init());
}

void LibreOfficeApplicationTest::cleanup() {
    m_office.cleanup();
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
    const QString file = writeWorkbook({QStringLiteral("placeholder"), QStringLiteral("end")});

    {
        const auto instance = opened(file);
        QCOMPARE(instance->cell(3, 1), QStringLiteral("placeholder"));
        instance->setCell(3, 1, text);
        // The same instance reads back what it wrote.
        QCOMPARE(instance->cell(3, 1), text);
        instance->saveActiveWorkbook();
        instance->quit();
        // Quit only announces the end: the instance still answers until the workbooks are closed.
        QCOMPARE(instance->cell(4, 1), QStringLiteral("end"));
        instance->closeWorkbooks();
        // Then the office is gone, and with it its lock file.
        QVERIFY(ourOffices().empty());
        QCOMPARE(leftoverFiles(m_office.folder()), QStringList());
    }
    const auto instance = opened(file);
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
    const auto instance = opened(file);
    QCOMPARE(instance->cell(row, 1), text);
    instance->quit();
    instance->closeWorkbooks();
}

void LibreOfficeApplicationTest::cellsOutsideTheListReadEmptyOrAreRefused() {
    const QString file = writeWorkbook({QStringLiteral("甲")});
    const auto instance = opened(file);
    QCOMPARE(instance->cell(4, 1), QString());
    QCOMPARE(instance->cell(3, 6), QString());
    QCOMPARE(instance->cell(60000, 200), QString());
    // Before the first row or column there is no cell: refused, and the instance stays usable.
    QVERIFY(failureOf([&] { (void)instance->cell(0, 1); }).contains(QStringLiteral("单元格位置无效")));
    QVERIFY(
        failureOf([&] { instance->setCell(1, 0, QStringLiteral("x")); }).contains(QStringLiteral("单元格位置无效")));
    QCOMPARE(instance->cell(3, 1), QStringLiteral("甲"));
    instance->quit();
    instance->closeWorkbooks();
}

void LibreOfficeApplicationTest::sampleNamesReadBack() {
    // The sample tool's list, read back the way the import reads it.
    QFile namesFile(QStringLiteral(LOTDRAW_SOURCE_DIR "/tools/sample_names.txt"));
    QVERIFY(namesFile.open(QIODevice::ReadOnly));
    const QStringList names = QString::fromUtf8(namesFile.readAll()).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(names.size() >= 25 && names.size() <= 99);
    const QString file = writeWorkbook(names);

    const auto instance = opened(file);
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
        writeWorkbook({QStringLiteral("甲"), QStringLiteral("乙")}, file);
        // Keep the compound-file header, cut off everything the workbook needs.
        QByteArray bytes = fileBytes(file).left(1536);
        bytes.replace(512, 1024, QByteArray(1024, '\xff'));
        writeFile(file, bytes);
    } else if (kind.startsWith(QStringLiteral("locked"))) {
        writeWorkbook({QStringLiteral("甲")}, file);
        writeFile(lock, foreignLock);
    } else if (kind == QStringLiteral("folder")) {
        QVERIFY(QDir().mkpath(file));
    }
    const QByteArray before = fileBytes(file);

    {
        const auto instance = m_app.create();
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
    QTest::newRow("read-only folder") << "folder";
    QTest::newRow("read-only file in a writable folder") << "file";
    // The office can write the file but cannot make its lock file beside it.
    QTest::newRow("writable file in a read-only folder") << "folder, not file";
}

void LibreOfficeApplicationTest::readOnlyWorkbookReadsButIsNotSaved() {
    QFETCH(QString, readOnly);
    const QString file = writeWorkbook({QStringLiteral("甲"), QStringLiteral("乙")});
    const QByteArray before = fileBytes(file);

    ReadOnlyPlaces places;
    QString refusal = places.makeReadOnly(readOnly == QStringLiteral("file") ? file : m_office.folder());
    if (refusal.isEmpty() && readOnly == QStringLiteral("folder, not file")) {
        refusal = places.keepWritable(file);
    }
    if (!refusal.isEmpty()) {
        QSKIP(qPrintable(refusal));
    }

    {
        const auto instance = opened(file);
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
}

void LibreOfficeApplicationTest::workbookOpenInAnotherOfficeIsRefused() {
    const QString file = writeWorkbook({QStringLiteral("甲")});
    const QByteArray before = fileBytes(file);

    // The user's own office, with the workbook open (headless here, on a profile of its own).
    const QString userProfile = m_office.root() + QStringLiteral("/user profile");
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

    // The probe sees an office on any profile of this login's, not only on ours.
    const bool probed = m_app.isRunning();
    QString failure;
    {
        const auto instance = m_app.create();
        failure = failureOf([&] { instance->openWorkbook(file); });
    }
    const pid_t group = static_cast<pid_t>(userOffice.processId());
    ::kill(-group, SIGKILL);
    userOffice.waitForFinished();
    QTRY_VERIFY_WITH_TIMEOUT(officeProcesses(profileArgument(userProfile)).empty(), 10000);

    QVERIFY(probed);
    QVERIFY2(failure.contains(QStringLiteral("已在电子表格程序中打开")), qPrintable(failure));
    QCOMPARE(fileBytes(lock), userLock);
    QCOMPARE(fileBytes(file), before);
    QVERIFY(QFile::remove(lock));
}

void LibreOfficeApplicationTest::leftLockIsTakenBack_data() {
    QTest::addColumn<QString>("owner");
    // An instance of ours that was killed outright (say, with the whole program) left its lock.
    QTest::newRow("of an instance of ours") << "ours";
    // The user's own office had the workbook open for editing and went down without cleaning up
    // (crashed, or killed with the session), and no office of this login runs now.
    QTest::newRow("of this login's own office, gone") << "this login";
}

void LibreOfficeApplicationTest::leftLockIsTakenBack() {
    QFETCH(QString, owner);
    const QString file = writeWorkbook({QStringLiteral("甲")});
    const QString lock = path(QStringLiteral(".~lock.导入名单.xls#"));
    if (owner == QStringLiteral("ours")) {
        const QString profile =
            QUrl::fromLocalFile(m_office.profileFolder() + QStringLiteral("/user")).toString(QUrl::FullyEncoded);
        writeFile(lock, ",root,host,07.12.2026 05:00," + profile.toUtf8() + ";");
    } else if (loginName().isEmpty()) {
        QSKIP("this login has no entry in the user database, so no lock file names it");
    } else if (m_office.otherOfficeRuns()) {
        QSKIP(kOfficeOfThisLoginRuns);
    } else {
        writeFile(lock, lockOf(loginName(), QSysInfo::machineHostName()));
    }

    {
        const auto instance = opened(file);
        QCOMPARE(instance->cell(3, 1), QStringLiteral("甲"));
        instance->setCell(3, 2, QStringLiteral("乙"));
        // Writable, not a read-only copy: the save reaches the file.
        instance->saveActiveWorkbook();
        instance->quit();
        instance->closeWorkbooks();
    }
    QVERIFY(!QFileInfo::exists(lock));
    const auto reader = opened(file);
    QCOMPARE(reader->cell(3, 2), QStringLiteral("乙"));
}

void LibreOfficeApplicationTest::officeKilledDuringACallFails() {
    const QString file = writeWorkbook({QStringLiteral("甲")});
    const QByteArray before = fileBytes(file);

    const auto instance = opened(file);
    const auto offices = ourOffices();
    QCOMPARE(offices.size(), qsizetype(1));

    std::atomic<int> rounds = 0;
    std::thread killer([&] {
        while (rounds < 20) {
            std::this_thread::yield();
        }
        ::kill(offices.front(), SIGKILL);
    });
    QString failure;
    // Calls back to back, so that the kill lands in the middle of one. A dead office fails the call
    // at once; only the call limit would make it "没有响应".
    for (int round = 0; round < 100000 && failure.isEmpty(); ++round, ++rounds) {
        failure = failureOf([&] { instance->setCell(5 + round % 50, 2, QStringLiteral("x")); });
    }
    killer.join();
    QVERIFY2(failure.contains(QStringLiteral("意外退出")), qPrintable(failure));
    QCOMPARE(fileBytes(file), before);
}

void LibreOfficeApplicationTest::stoppedOfficeFailsTheNextCall_data() {
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("message");
    // The next call writes into a dead pipe: it must fail, not take this program down.
    QTest::newRow("killed, cell read") << int(SIGKILL) << "read"
                                       << "意外退出";
    QTest::newRow("killed, cell write") << int(SIGKILL) << "write"
                                        << "意外退出";
    QTest::newRow("killed, save") << int(SIGKILL) << "save"
                                  << "意外退出";
    QTest::newRow("killed, quit and close") << int(SIGKILL) << "close"
                                            << "意外退出";
    // A frozen office never answers: the call limit ends it.
    QTest::newRow("frozen, open") << int(SIGSTOP) << "open"
                                  << "名单工作簿没能在 10 秒内打开";
    QTest::newRow("frozen, cell read") << int(SIGSTOP) << "read"
                                       << "没有响应";
    QTest::newRow("frozen, cell write") << int(SIGSTOP) << "write"
                                        << "没有响应";
    QTest::newRow("frozen, save") << int(SIGSTOP) << "save"
                                  << "没有响应";
    QTest::newRow("frozen, quit and close") << int(SIGSTOP) << "close"
                                            << "没有响应";
}

void LibreOfficeApplicationTest::stoppedOfficeFailsTheNextCall() {
    QFETCH(int, signal);
    QFETCH(QString, operation);
    QFETCH(QString, message);
    const QString file = writeWorkbook({QStringLiteral("甲")});
    const QByteArray before = fileBytes(file);

    const auto instance = m_app.create();
    if (operation != QStringLiteral("open")) {
        instance->openWorkbook(file);
        instance->setCell(3, 2, QStringLiteral("丙"));
    }
    const auto offices = ourOffices();
    QCOMPARE(offices.size(), qsizetype(1));
    ::kill(offices.front(), signal);
    if (signal == SIGKILL) {
        QTRY_VERIFY_WITH_TIMEOUT(ourOffices().empty(), 10000);
    }

    const QString failure = failureOf([&] {
        if (operation == QStringLiteral("open")) {
            instance->openWorkbook(file);
        } else if (operation == QStringLiteral("read")) {
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
    QVERIFY2(failure.contains(message), qPrintable(failure));
    // Frozen on the workbook itself: another try would end the same way, so it is not offered.
    QVERIFY2(operation != QStringLiteral("open") || !failure.contains(QStringLiteral("再试一次")), qPrintable(failure));
    // The frozen office is gone at once, not only when the instance is dropped.
    QTRY_VERIFY_WITH_TIMEOUT(ourOffices().empty(), 10000);
    // Once ended, the instance refuses further work instead of hanging.
    QVERIFY(!failureOf([&] { (void)instance->cell(3, 1); }).isEmpty());
    QCOMPARE(fileBytes(file), before);
}

void LibreOfficeApplicationTest::cancelEndsTheOfficeAtOnce_data() {
    QTest::addColumn<QString>("step");
    QTest::newRow("start") << "start";
    QTest::newRow("open") << "open";
    QTest::newRow("cell write") << "write";
    QTest::newRow("save") << "save";
}

void LibreOfficeApplicationTest::cancelEndsTheOfficeAtOnce() {
    // The office freezes at the step; the operator cancels from the window's thread.
    QFETCH(QString, step);
    const QString file = writeWorkbook({QStringLiteral("甲")});
    const QByteArray before = fileBytes(file);
    std::unique_ptr<SpreadsheetInstance> instance;
    if (step != QStringLiteral("start")) {
        instance = m_app.create();
        if (step != QStringLiteral("open")) {
            instance->openWorkbook(file);
            instance->setCell(3, 2, QStringLiteral("丙"));
        }
        QCOMPARE(ourOffices().size(), qsizetype(1));
        ::kill(ourOffices().front(), SIGSTOP);
    }

    std::atomic<bool> returned = false;
    std::thread operatorAtTheWindow([&] {
        if (step != QStringLiteral("start")) {
            waitUntilThreadSleeps(::getpid(), returned);
            instance->abort();
            return;
        }
        freezeTheStartingOffice(returned);
        m_app.abortCreate();
    });
    QElapsedTimer timer;
    timer.start();
    bool cancelled = false;
    try {
        if (step == QStringLiteral("start")) {
            instance = m_app.create();
        } else if (step == QStringLiteral("open")) {
            instance->openWorkbook(file);
        } else if (step == QStringLiteral("write")) {
            instance->setCell(3, 1, QStringLiteral("乙"));
        } else {
            instance->saveActiveWorkbook();
        }
    } catch (const SpreadsheetCancelled &) {
        cancelled = true;
    }
    const qint64 elapsed = timer.elapsed();
    returned = true;
    operatorAtTheWindow.join();

    QVERIFY(cancelled);
    // Ended by the cancel, before the step's own limit could have ended it.
    const LibreOfficeOptions limits = options();
    const std::chrono::milliseconds limit = step == QStringLiteral("start")   ? limits.startTimeout
                                            : step == QStringLiteral("write") ? limits.callTimeout
                                                                              : limits.fileTimeout;
    QVERIFY2(elapsed < limit.count(), qPrintable(QString::number(elapsed)));
    QTRY_VERIFY_WITH_TIMEOUT(ourOffices().empty(), 10000);
    QCOMPARE(fileBytes(file), before);
    // Nothing more is asked of a cancelled office, and the next one starts as usual.
    if (instance) {
        QVERIFY_THROWS_EXCEPTION(SpreadsheetCancelled, (void)instance->cell(3, 1));
        instance.reset();
    }
    const auto next = opened(file);
    QCOMPARE(next->cell(3, 1), QStringLiteral("甲"));
}

void LibreOfficeApplicationTest::droppingTheInstanceEndsTheOffice() {
    // In a folder named like the private folder of a save: the clean-up after the office takes
    // only what the office left there.
    const QString folder = path(QStringLiteral(".~lotdraw-save-mine"));
    QVERIFY(QDir().mkpath(folder));
    const QString file = folder + QStringLiteral("/导入名单.xls");
    writeWorkbook({QStringLiteral("甲")}, file);
    const QByteArray before = fileBytes(file);
    {
        const auto instance = opened(file);
        instance->setCell(3, 1, QStringLiteral("乙"));
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("/.~lock.导入名单.xls#")));
        // Dropped without quit, close or save, as a failing handler does.
    }
    QVERIFY(ourOffices().empty());
    QCOMPARE(fileBytes(file), before);
    QCOMPARE(leftoverFiles(folder), QStringList());
    QVERIFY(QDir(folder).removeRecursively());
}

void LibreOfficeApplicationTest::onlyOneAutomationInstanceAtATime() {
    {
        const auto first = m_app.create();
        const QString failure = failureOf([&] { (void)m_app.create(); });
        QVERIFY2(failure.contains(QStringLiteral("另一项工作")), qPrintable(failure));
        QCOMPARE(ourOffices().size(), qsizetype(1));
    }
    const auto next = m_app.create();
    QCOMPARE(ourOffices().size(), qsizetype(1));
}

void LibreOfficeApplicationTest::probeSeesRunningOffices() {
    {
        const auto instance = m_app.create();
        QVERIFY(m_app.isRunning());
    }
    QVERIFY(ourOffices().empty());
    // Other offices of this user may come and go on a shared machine; the probe must agree with
    // a scan of its own whenever the scans before and after it agree.
    for (int attempt = 0; attempt < 20; ++attempt) {
        const bool before = !officeProcesses({}, true).empty();
        const bool probe = m_app.isRunning();
        if (before == !officeProcesses({}, true).empty()) {
            QCOMPARE(probe, before);
            return;
        }
    }
    QSKIP("other offices kept starting and ending during the probe");
}

void LibreOfficeApplicationTest::probeEndsOrphansOnOurProfile() {
    // An automation office whose program crashed: nobody holds the automation lock any more.
    { const auto seed = m_app.create(); }
    QProcess orphan;
    orphan.setProgram(kOfficeProgram);
    orphan.setArguments({m_profileArgument, QStringLiteral("--headless"), QStringLiteral("--norestore"),
                         QStringLiteral("--nodefault"), QStringLiteral("--accept=pipe,name=lotdraw-orphan-test;urp;")});
    orphan.setChildProcessModifier([] { ::setsid(); });
    orphan.start();
    QVERIFY(orphan.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(!ourOffices().empty(), 20000);

    const bool othersBefore = m_office.otherOfficeRuns();
    const bool probed = m_app.isRunning();
    const bool others = othersBefore || m_office.otherOfficeRuns();
    // Ended by the probe itself, launcher included.
    QVERIFY(orphan.waitForFinished(10000));
    QTRY_VERIFY_WITH_TIMEOUT(ourOffices().empty(), 10000);
    QFile::remove(QStringLiteral("/tmp/OSL_PIPE_%1_lotdraw-orphan-test").arg(::getuid()));
    // So it does not count; an office on another profile of this login would.
    if (others) {
        QSKIP(kOfficeOfThisLoginRuns);
    }
    QVERIFY(!probed);
}

void LibreOfficeApplicationTest::newWorkbookNeverReplacesAFile() {
    const QString file = path(QStringLiteral("导入名单.xls"));
    writeFile(file, "precious");
    const QString failure = failureOf([&] { writeNameListWorkbook(m_app, file, {QStringLiteral("甲")}); });
    QVERIFY2(failure.contains(QStringLiteral("不会覆盖")), qPrintable(failure));
    QCOMPARE(fileBytes(file), QByteArray("precious"));
}

void LibreOfficeApplicationTest::startFailures_data() {
    QTest::addColumn<QString>("office");
    QTest::addColumn<QStringList>("message");
    QTest::newRow("no office installed") << "missing" << QStringList{"无法启动电子表格程序", "no office here"};
    QTest::newRow("a file where the profile folder goes") << "blocked profile" << QStringList{"配置文件夹"};
    // Killed and reaped once the start limit has passed: gone, not even a zombie.
    QTest::newRow("an office that never opens its pipe") << "hanging" << QStringList{"启动超时"};
}

void LibreOfficeApplicationTest::startFailures() {
    QFETCH(QString, office);
    QFETCH(QStringList, message);
    LibreOfficeOptions broken = options();
    const QString folder = path(QStringLiteral("hanging office"));
    if (office == QStringLiteral("missing")) {
        broken.programFolder = path(QStringLiteral("no office here"));
    } else if (office == QStringLiteral("blocked profile")) {
        writeFile(path(QStringLiteral("blocked")), "x");
        broken.profileFolder = path(QStringLiteral("blocked/profile"));
    } else {
        QVERIFY(QDir().mkpath(folder));
        // The shell names the folder for as long as it runs: it waits for its sleep, no exec.
        writeFile(folder + QStringLiteral("/soffice"), "#!/bin/sh\nsleep 600\n");
        QVERIFY(QFile::setPermissions(folder + QStringLiteral("/soffice"), QFile::ReadOwner | QFile::ExeOwner));
        broken.programFolder = folder;
        broken.startTimeout = 1500ms;
    }
    LibreOfficeApplication app(broken);
    const QString failure = failureOf([&] { (void)app.create(); });
    for (const QString &part : message) {
        QVERIFY2(failure.contains(part), qPrintable(failure));
    }
    if (office == QStringLiteral("hanging")) {
        QCOMPARE(processesMentioning(folder), QList<qint64>{});
        QVERIFY(childProcesses(::getpid()).empty());
    }
}

void LibreOfficeApplicationTest::unsavedChangesAreNotHandedOver() {
    const QString file = writeWorkbook({QStringLiteral("甲")});
    const auto instance = opened(file);
    instance->setCell(3, 1, QStringLiteral("乙"));
    // The window opens the file afresh, so these changes would silently vanish.
    QVERIFY(failureOf([&] { instance->setVisible(true); }).contains(QStringLiteral("尚未保存")));
    QCOMPARE(instance->cell(3, 1), QStringLiteral("乙"));
}

void LibreOfficeApplicationTest::handOverThatNeverHoldsTheWorkbookFails_data() {
    QTest::addColumn<QByteArray>("behaviour");
    // Only the row about the limit runs into a short one; the others keep the program's own, so a
    // busy machine cannot make them run into it.
    QTest::addColumn<int>("limitMs");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("failure");
    const int ownLimit = static_cast<int>(LibreOfficeOptions{}.handOverTimeout.count());

    QTest::newRow("office ends at once") << QByteArray("exit 1") << ownLimit << false << "没有打开名单工作簿就退出了";
    QTest::newRow("office never opens it") << QByteArray("sleep 600") << 1500 << false << "秒内没有打开名单工作簿";
    QTest::newRow("operator cancels") << QByteArray("sleep 600") << ownLimit << true << QString();
}

void LibreOfficeApplicationTest::handOverThatNeverHoldsTheWorkbookFails() {
    QFETCH(QByteArray, behaviour);
    QFETCH(int, limitMs);
    QFETCH(bool, cancel);
    QFETCH(QString, failure);
    const QString file = writeWorkbook({QStringLiteral("甲")});

    // The hidden office is the real one; the visible one starts and then misbehaves. Its shell
    // names the folder for as long as it runs.
    const QString folder = path(QStringLiteral("visible office"));
    QVERIFY(QDir().mkpath(folder));
    const QString script = folder + QStringLiteral("/soffice");
    writeFile(script, "#!/bin/sh\nfor a in \"$@\"; do [ \"$a\" = --headless ] && exec '" + kOfficeProgram.toUtf8() +
                          "' \"$@\"; done\n" + behaviour + "\n");
    QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    LibreOfficeOptions visible = options();
    visible.programFolder = folder;
    visible.handOverTimeout = std::chrono::milliseconds(limitMs);

    const QByteArray oldDisplay = qgetenv("DISPLAY");
    qputenv("DISPLAY", ":lotdraw-test");
    LibreOfficeApplication app(visible);
    const auto instance = app.create();
    instance->openWorkbook(file);
    std::thread canceller;
    std::atomic<bool> returned = false;
    if (cancel) {
        // Once the office for the user runs, as the operator would see the wait begin.
        canceller = std::thread([&instance, &folder, &returned] {
            while (processesMentioning(folder).isEmpty() && !returned) {
                std::this_thread::sleep_for(10ms);
            }
            instance->abort();
        });
    }
    bool cancelled = false;
    QString message;
    try {
        instance->setVisible(true);
    } catch (const SpreadsheetCancelled &) {
        cancelled = true;
    } catch (const SpreadsheetError &error) {
        message = error.userMessage();
    }
    returned = true;
    if (canceller.joinable()) {
        canceller.join();
    }
    if (oldDisplay.isNull()) {
        qunsetenv("DISPLAY");
    } else {
        qputenv("DISPLAY", oldDisplay);
    }

    QCOMPARE(cancelled, cancel);
    QVERIFY2(cancel || message.contains(failure), qPrintable(message));
    // The office started for the user does not outlive the failure.
    QTRY_COMPARE_WITH_TIMEOUT(processesMentioning(folder), QList<qint64>{}, 10000);
}

QTEST_GUILESS_MAIN(LibreOfficeApplicationTest)
#include "libreoffice_application_test.moc"

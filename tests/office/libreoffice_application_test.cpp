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
// before its exec, it would stop us too. Gives up, returning false, once `returned` is set.
bool freezeTheStartingOffice(const std::atomic<bool> &returned) {
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    for (; !returned; std::this_thread::sleep_for(1ms)) {
        const std::vector<pid_t> children = childProcesses(::getpid());
        const QString image =
            children.empty() ? self : QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(children.front()));
        if (!image.isEmpty() && image != self && ::kill(-children.front(), SIGSTOP) == 0) {
            return true;
        }
    }
    return false;
}

// A lock file as the user's own office writes it, on the user's own profile.
QByteArray lockOf(const QString &login, const QString &host) {
    return (QStringLiteral(",%1,%2,07.12.2026 05:00,file:///home/%1/.config/libreoffice/4;").arg(login, host)).toUtf8();
}

// Runs `operation` on `instance` as a command would: on the workbook at `file`, whose pool is in
// column A and whose result lists begin in column B.
void perform(SpreadsheetInstance &instance, const QString &operation, const QString &file) {
    if (operation == QStringLiteral("open")) {
        instance.openWorkbook(file);
    } else if (operation == QStringLiteral("read")) {
        static_cast<void>(instance.readColumn(1, 3, 99));
    } else if (operation == QStringLiteral("write")) {
        instance.writeColumn(2, 3, {QStringLiteral("乙")}, 100);
    } else if (operation == QStringLiteral("save")) {
        instance.save();
    } else {
        instance.close();
    }
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

    void textsRoundTrip();
    void numberCellsReadAsValues();
    void openFailures_data();
    void openFailures();
    void savesWhereTheWorkbookCanBeReplaced_data();
    void savesWhereTheWorkbookCanBeReplaced();
    void workbookOpenInAnotherOfficeIsRefused();
    void officeKilledDuringACallFails();
    void stoppedOfficeFailsTheCall_data();
    void stoppedOfficeFailsTheCall();
    void droppingTheInstanceEndsTheOffice();
    void probeSeesRunningOffices();
    void probeEndsOrphansOnOurProfile();
    void newWorkbookNeverReplacesAFile();
    void startFailures_data();
    void startFailures();

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
        auto instance = m_app.create({});
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
    { const auto real = m_app.create({}); }
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

void LibreOfficeApplicationTest::textsRoundTrip() {
    // Texts that a number or formula must not be made of, and the sample tool's names.
    QFile namesFile(QStringLiteral(LOTDRAW_SOURCE_DIR "/tools/sample_names.txt"));
    QVERIFY(namesFile.open(QIODevice::ReadOnly));
    const QStringList names = QString::fromUtf8(namesFile.readAll()).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(names.size() >= 25 && names.size() <= 90);
    const QStringList texts =
        QStringList{"Alice", "  李 四  ", "   ", "0012", "12", "=1+1", "'x", QString(300, u'长')} + names;
    const QString file = writeWorkbook({QStringLiteral("旧名单"), QStringLiteral("旧")});

    {
        const auto instance = opened(file);
        // The rows below the texts are emptied: the old names go.
        instance->writeColumn(1, 3, texts, 99);
        // The same instance reads back what it wrote.
        QCOMPARE(instance->readColumn(1, 3, 99), texts);
        instance->save();
        instance->close();
        // Then the office is gone, and with it its lock file.
        QVERIFY(ourOffices().empty());
        QCOMPARE(leftoverFiles(m_office.folder()), QStringList());
    }
    const auto instance = opened(file);
    QCOMPARE(instance->readColumn(1, 3, 99), texts);
    // A shorter list over the same rows leaves nothing of the longer one behind.
    instance->writeColumn(1, 3, {QStringLiteral("甲")}, 99);
    // Unsaved, it is not handed over: the user's window opens the file afresh, so the change would
    // silently vanish. The instance keeps it.
    QVERIFY(failureOf([&] { instance->showToUser(); }).contains(QStringLiteral("尚未保存")));
    QCOMPARE(instance->readColumn(1, 3, 99), QStringList{QStringLiteral("甲")});
    QCOMPARE(instance->readColumn(1, 4, 99), QStringList());
    QCOMPARE(instance->readColumn(200, 60000, 99), QStringList());
    // Before the first row or column there is no cell: refused, and the instance stays usable.
    QVERIFY(failureOf([&] { (void)instance->readColumn(1, 0, 1); }).contains(QStringLiteral("单元格位置无效")));
    QVERIFY(failureOf([&] {
                instance->writeColumn(0, 1, {QStringLiteral("x")}, 1);
            }).contains(QStringLiteral("单元格位置无效")));
    QCOMPARE(instance->readColumn(1, 3, 1), QStringList{QStringLiteral("甲")});
    instance->close();
}

void LibreOfficeApplicationTest::numberCellsReadAsValues() {
    const QString file = path(QStringLiteral("numbers.xls"));
    QVERIFY(QFile::copy(m_numbersWorkbook, file));
    const auto instance = opened(file);
    const QStringList expected{
        "标题",
        "数值",
        "12",
        "0",
        "1.5",
        "-7",
        "1234.5",     // a fraction shown with a format
        "7",          // the leading zeros of a number are not kept
        "0.5",        // a percentage as its value
        "2024-03-01", // a date
        // LibreOffice writes a truth value into xls as the formula =TRUE() without a truth format;
        // the sheet itself then shows 1, and the value reads the same.
        "1",
        "123456789",
        "#DIV/0!", // an error value
        "abc",     // a formula with a text result
        "2",       // a formula with a number result
        "#N/A",
    };
    // Down to the first empty cell, below the list.
    QCOMPARE(instance->readColumn(1, 1, 99), expected);
    QCOMPARE(instance->readColumn(1, 3, 1), QStringList{QStringLiteral("12")});
    instance->close();
}

void LibreOfficeApplicationTest::openFailures_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << "missing"
                             << "找不到名单工作簿";
    QTest::newRow("text named .xls") << "text"
                                     << "不是电子表格工作簿";
    QTest::newRow("random bytes named .xls") << "random"
                                             << "不是电子表格工作簿";
    QTest::newRow("damaged workbook") << "damaged"
                                      << "已损坏";
    QTest::newRow("cut-off xlsx named .xls") << "cut-off xlsx"
                                             << "已损坏";
    QTest::newRow("locked by another user") << "locked"
                                            << "已在电子表格程序中打开";
    QTest::newRow("a folder") << "folder"
                              << "不是电子表格工作簿";
}

void LibreOfficeApplicationTest::openFailures() {
    QFETCH(QString, kind);
    QFETCH(QString, message);
    const QString file = path(QStringLiteral("导入名单.xls"));
    const QString lock = path(QStringLiteral(".~lock.导入名单.xls#"));
    // Whether a lock of this login is one of another machine or login is workbook_files_test's.
    const QByteArray foreignLock = lockOf(QStringLiteral("someone"), QStringLiteral("other-host"));
    if (kind == QStringLiteral("text")) {
        writeFile(file, "姓名\n张三\n李四\n");
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
    } else if (kind == QStringLiteral("locked")) {
        writeWorkbook({QStringLiteral("甲")}, file);
        writeFile(lock, foreignLock);
    } else if (kind == QStringLiteral("folder")) {
        QVERIFY(QDir().mkpath(file));
    }
    const QByteArray before = fileBytes(file);

    {
        const auto instance = m_app.create({});
        const QString failure = failureOf([&] { instance->openWorkbook(file); });
        QVERIFY2(failure.contains(message), qPrintable(failure));
        QVERIFY2(failure.contains(QStringLiteral("导入名单.xls")), qPrintable(failure));
        // The instance stays usable after a refused open.
        QVERIFY(failureOf([&] { (void)instance->readColumn(1, 1, 1); }).contains(QStringLiteral("没有打开的工作簿")));
    }
    QCOMPARE(fileBytes(file), before);
    if (kind == QStringLiteral("locked")) {
        // The other user's lock is theirs: untouched.
        QCOMPARE(fileBytes(lock), foreignLock);
        QVERIFY(QFile::remove(lock));
    }
}

void LibreOfficeApplicationTest::savesWhereTheWorkbookCanBeReplaced_data() {
    QTest::addColumn<QString>("place");
    // What the save is refused with; empty when it goes through.
    QTest::addColumn<QString>("refusal");
    QTest::newRow("read-only folder") << "read-only folder"
                                      << "不可写入";
    QTest::newRow("read-only file in a writable folder") << "read-only file"
                                                         << "不可写入";
    // The office can write the file but cannot make its lock file beside it.
    QTest::newRow("writable file in a read-only folder") << "read-only folder, writable file"
                                                         << "不可写入";
    // An instance of ours that was killed outright (say, with the whole program) left its lock.
    QTest::newRow("lock left by an instance of ours") << "our lock" << QString();
    // The user's own office had the workbook open for editing and went down without cleaning up
    // (crashed, or killed with the session), and no office of this login runs now.
    QTest::newRow("lock left by this login's own office, gone") << "this login's lock" << QString();
}

void LibreOfficeApplicationTest::savesWhereTheWorkbookCanBeReplaced() {
    QFETCH(QString, place);
    QFETCH(QString, refusal);
    const QString file = writeWorkbook({QStringLiteral("甲"), QStringLiteral("乙")});
    const QString lock = path(QStringLiteral(".~lock.导入名单.xls#"));
    const QByteArray before = fileBytes(file);
    ReadOnlyPlaces places;
    QString skip;
    if (place == QStringLiteral("our lock")) {
        const QString profile =
            QUrl::fromLocalFile(m_office.profileFolder() + QStringLiteral("/user")).toString(QUrl::FullyEncoded);
        writeFile(lock, ",root,host,07.12.2026 05:00," + profile.toUtf8() + ";");
    } else if (place == QStringLiteral("this login's lock")) {
        skip = loginName().isEmpty()        ? QStringLiteral("this login has no entry in the user database, so no lock "
                                                                    "file names it")
               : m_office.otherOfficeRuns() ? QString::fromLatin1(kOfficeOfThisLoginRuns)
                                            : QString();
        writeFile(lock, lockOf(loginName(), QSysInfo::machineHostName()));
    } else {
        skip = places.makeReadOnly(place == QStringLiteral("read-only file") ? file : m_office.folder());
        if (skip.isEmpty() && place.endsWith(QStringLiteral("writable file"))) {
            skip = places.keepWritable(file);
        }
    }
    if (!skip.isEmpty()) {
        QFile::remove(lock);
        QSKIP(qPrintable(skip));
    }

    {
        const auto instance = opened(file);
        QCOMPARE(instance->readColumn(1, 3, 99), (QStringList{"甲", "乙"}));
        instance->writeColumn(2, 3, {QStringLiteral("丙")}, 1);
        const QString failure = failureOf([&] { instance->save(); });
        QVERIFY2(refusal.isEmpty() ? failure.isEmpty() : failure.contains(refusal), qPrintable(failure));
        QVERIFY2(refusal.isEmpty() || failure.contains(QStringLiteral("导入名单.xls")), qPrintable(failure));
        instance->close();
    }
    // A lock left behind is taken back: the workbook was writable, not a read-only copy.
    QVERIFY(!QFileInfo::exists(lock));
    if (refusal.isEmpty()) {
        QCOMPARE(opened(file)->readColumn(2, 3, 99), QStringList{QStringLiteral("丙")});
    } else {
        QCOMPARE(fileBytes(file), before);
    }
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
        const auto instance = m_app.create({});
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
        failure = failureOf([&] { instance->writeColumn(2, 5, {QStringLiteral("x")}, 50); });
    }
    killer.join();
    QVERIFY2(failure.contains(QStringLiteral("意外退出")), qPrintable(failure));
    QCOMPARE(fileBytes(file), before);
}

void LibreOfficeApplicationTest::stoppedOfficeFailsTheCall_data() {
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("operation");
    // What the call fails with; empty when the operator cancels the command while it waits.
    QTest::addColumn<QString>("message");
    // The next call writes into a dead pipe: it must fail, not take this program down. A frozen
    // office never answers: the call limit ends it.
    for (const QString operation : {"read", "write", "save", "close"}) {
        QTest::addRow("killed, %s", qPrintable(operation)) << int(SIGKILL) << operation << "意外退出";
        QTest::addRow("frozen, %s", qPrintable(operation)) << int(SIGSTOP) << operation << "没有响应";
    }
    QTest::newRow("frozen, open") << int(SIGSTOP) << "open"
                                  << "名单工作簿没能在 10 秒内打开";
    for (const QString operation : {"start", "open", "write", "save"}) {
        QTest::addRow("frozen, %s, cancelled", qPrintable(operation)) << int(SIGSTOP) << operation << QString();
    }
}

void LibreOfficeApplicationTest::stoppedOfficeFailsTheCall() {
    QFETCH(int, signal);
    QFETCH(QString, operation);
    QFETCH(QString, message);
    const bool cancel = message.isEmpty();
    const bool starting = operation == QStringLiteral("start");
    const QString file = writeWorkbook({QStringLiteral("甲")});
    const QByteArray before = fileBytes(file);
    CancellationToken token;
    std::unique_ptr<SpreadsheetInstance> instance;
    if (!starting) {
        instance = m_app.create(token);
        if (operation != QStringLiteral("open")) {
            instance->openWorkbook(file);
            instance->writeColumn(2, 3, {QStringLiteral("丙")}, 1);
        }
        QCOMPARE(ourOffices().size(), qsizetype(1));
        ::kill(ourOffices().front(), signal);
        if (signal == SIGKILL) {
            QTRY_VERIFY_WITH_TIMEOUT(ourOffices().empty(), 10000);
        }
    }

    // The operator, from the window's thread, once the call waits on the frozen office.
    std::atomic<bool> returned = false;
    std::thread operatorAtTheWindow([&] {
        if (cancel && (starting ? freezeTheStartingOffice(returned) : waitUntilThreadSleeps(::getpid(), returned))) {
            token.cancel();
        }
    });
    QElapsedTimer timer;
    timer.start();
    bool cancelled = false;
    const QString failure = failureOf([&] {
        try {
            starting ? static_cast<void>(instance = m_app.create(token)) : perform(*instance, operation, file);
        } catch (const SpreadsheetCancelled &) {
            cancelled = true;
        }
    });
    const qint64 elapsed = timer.elapsed();
    returned = true;
    operatorAtTheWindow.join();

    QCOMPARE(cancelled, cancel);
    QVERIFY2(failure.contains(message), qPrintable(failure));
    // Frozen on the workbook itself: another try would end the same way, so it is not offered.
    QVERIFY2(operation != QStringLiteral("open") || !failure.contains(QStringLiteral("再试一次")), qPrintable(failure));
    // A cancel ends the office before the step's own limit could have ended it.
    const LibreOfficeOptions limits = options();
    const std::chrono::milliseconds limit = starting                               ? limits.startTimeout
                                            : operation == QStringLiteral("write") ? limits.callTimeout
                                                                                   : limits.fileTimeout;
    QVERIFY2(!cancel || elapsed < limit.count(), qPrintable(QString::number(elapsed)));
    // The office is gone at once, not only when the instance is dropped.
    QTRY_VERIFY_WITH_TIMEOUT(ourOffices().empty(), 10000);
    QCOMPARE(fileBytes(file), before);
    // Nothing more is asked of an ended office, and the next one starts as usual.
    if (instance) {
        const QString later = failureOf([&] { (void)instance->readColumn(1, 3, 99); });
        QVERIFY2(cancel ? later == SpreadsheetCancelled().userMessage() : !later.isEmpty(), qPrintable(later));
        instance.reset();
    }
    QCOMPARE(opened(file)->readColumn(1, 3, 99), QStringList{QStringLiteral("甲")});
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
        instance->writeColumn(1, 3, {QStringLiteral("乙")}, 1);
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("/.~lock.导入名单.xls#")));
        // Dropped without close or save, as a failing command does.
    }
    QVERIFY(ourOffices().empty());
    QCOMPARE(fileBytes(file), before);
    QCOMPARE(leftoverFiles(folder), QStringList());
    QVERIFY(QDir(folder).removeRecursively());
}

void LibreOfficeApplicationTest::probeSeesRunningOffices() {
    {
        // One automation instance at a time, and the probe sees it.
        const auto first = m_app.create({});
        const QString failure = failureOf([&] { (void)m_app.create({}); });
        QVERIFY2(failure.contains(QStringLiteral("另一项工作")), qPrintable(failure));
        QCOMPARE(ourOffices().size(), qsizetype(1));
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
    { const auto seed = m_app.create({}); }
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
        writeFile(folder + QStringLiteral("/soffice.bin"), "#!/bin/sh\nsleep 600\n");
        QVERIFY(QFile::setPermissions(folder + QStringLiteral("/soffice.bin"), QFile::ReadOwner | QFile::ExeOwner));
        broken.programFolder = folder;
        broken.startTimeout = 1500ms;
    }
    LibreOfficeApplication app(broken);
    const QString failure = failureOf([&] { (void)app.create({}); });
    for (const QString &part : message) {
        QVERIFY2(failure.contains(part), qPrintable(failure));
    }
    if (office == QStringLiteral("hanging")) {
        QCOMPARE(processesMentioning(folder), QList<qint64>{});
        QVERIFY(childProcesses(::getpid()).empty());
    }
}

QTEST_GUILESS_MAIN(LibreOfficeApplicationTest)
#include "libreoffice_application_test.moc"

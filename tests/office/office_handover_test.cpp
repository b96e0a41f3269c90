#include "office/office_handover.h"
#include "office/office_process.h"
#include "support/office_fixture.h"

#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

using namespace lotdraw;
using namespace lotdraw::testing;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(lotdraw::HandOverResult)

// The wait for an office started for the user, with a shell in the office's place.
class OfficeHandOverTest : public QObject {
    Q_OBJECT

private slots:
    void waitEndsWhenTheWorkbookIsHeld_data();
    void waitEndsWhenTheWorkbookIsHeld();
};

void OfficeHandOverTest::waitEndsWhenTheWorkbookIsHeld_data() {
    // The script gets the workbook, a file for its process id and the workbook's lock file.
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<HandOverResult>("result");

    // In a folder it cannot write, the office makes no lock file; it keeps the workbook open.
    QTest::newRow("workbook open without a lock file")
        << QByteArray(R"(echo $$ > "$2"; sleep 0.3; exec 3<"$1"; exec sleep 60)") << HandOverResult::HeldOpen;
    QTest::newRow("lock file written") << QByteArray(R"(echo $$ > "$2"; sleep 0.3; : > "$3"; exec sleep 60)")
                                       << HandOverResult::HeldOpen;
    QTest::newRow("running without either")
        << QByteArray(R"(echo $$ > "$2"; exec sleep 60)") << HandOverResult::TimedOut;
}

void OfficeHandOverTest::waitEndsWhenTheWorkbookIsHeld() {
    QFETCH(QByteArray, script);
    QFETCH(HandOverResult, result);
    QTemporaryDir folder;
    const QString workbook = folder.filePath(QStringLiteral("导入名单.xls"));
    const QString pidFile = folder.filePath(QStringLiteral("office.pid"));
    const QString lockFile = folder.filePath(QStringLiteral(".~lock.导入名单.xls#"));
    writeFile(workbook, "names");

    const pid_t group = startDetached(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"), QString::fromUtf8(script), QStringLiteral("sh"), workbook, pidFile, lockFile},
        QProcessEnvironment::systemEnvironment().toStringList());
    const std::atomic<bool> cancelled = false;
    const HandOverResult outcome = waitForHandOver(group, workbook, 1500ms, cancelled);
    const pid_t pid = static_cast<pid_t>(fileBytes(pidFile).trimmed().toInt());
    endProcessGroup(group);

    QCOMPARE(outcome, result);
    QVERIFY(pid > 0);
    QVERIFY(!isLiveProcess(pid));
}

QTEST_GUILESS_MAIN(OfficeHandOverTest)
#include "office_handover_test.moc"

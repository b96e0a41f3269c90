#include "office/libreoffice_options.h"
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
    // The script gets the workbook and its lock file; it waits for its sleep, so the shell, which
    // names the workbook, lives as long as an office would.
    QTest::addColumn<QByteArray>("script");
    // The program's own limit where the wait must end before it, on a busy machine too.
    QTest::addColumn<int>("limitMs");
    QTest::addColumn<HandOverResult>("result");
    const int ownLimit = static_cast<int>(LibreOfficeOptions{}.handOverTimeout.count());

    // In a folder it cannot write, the office makes no lock file; it keeps the workbook open.
    QTest::newRow("workbook open without a lock file")
        << QByteArray(R"(sleep 0.3; exec 3<"$1"; sleep 60)") << ownLimit << HandOverResult::HeldOpen;
    QTest::newRow("lock file written") << QByteArray(R"(sleep 0.3; : > "$2"; sleep 60)") << ownLimit
                                       << HandOverResult::HeldOpen;
    QTest::newRow("running without either") << QByteArray("sleep 60") << 1500 << HandOverResult::TimedOut;
}

void OfficeHandOverTest::waitEndsWhenTheWorkbookIsHeld() {
    QFETCH(QByteArray, script);
    QFETCH(int, limitMs);
    QFETCH(HandOverResult, result);
    QTemporaryDir folder;
    const QString workbook = folder.filePath(QStringLiteral("导入名单.xls"));
    const QString lockFile = folder.filePath(QStringLiteral(".~lock.导入名单.xls#"));
    writeFile(workbook, "names");

    const pid_t group =
        startDetached(QStringLiteral("/bin/sh"),
                      {QStringLiteral("-c"), QString::fromUtf8(script), QStringLiteral("sh"), workbook, lockFile},
                      QProcessEnvironment::systemEnvironment().toStringList());
    const std::atomic<bool> cancelled = false;
    const HandOverResult outcome = waitForHandOver(group, workbook, std::chrono::milliseconds(limitMs), cancelled);
    endProcessGroup(group);

    QCOMPARE(outcome, result);
    QCOMPARE(processesMentioning(folder.path()), QList<qint64>{});
}

QTEST_GUILESS_MAIN(OfficeHandOverTest)
#include "office_handover_test.moc"

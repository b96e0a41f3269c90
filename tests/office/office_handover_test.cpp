#include "office/office_handover.h"
#include "spreadsheet/spreadsheet_error.h"
#include "support/office_fixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <thread>
#include <unistd.h>

using namespace lotdraw;
using namespace lotdraw::testing;
using namespace std::chrono_literals;

// The hand-over of a workbook to the user's window, with a shell in the place of the user's office.
class OfficeHandOverTest : public QObject {
    Q_OBJECT

private slots:
    void handOverEndsOnceTheWorkbookIsHeld_data();
    void handOverEndsOnceTheWorkbookIsHeld();
};

void OfficeHandOverTest::handOverEndsOnceTheWorkbookIsHeld_data() {
    // The shell gets "--norestore --calc <workbook>"; it waits for its sleep, so it names the folder
    // for as long as an office would run.
    QTest::addColumn<QByteArray>("script");
    // The program's own limit where the wait must end before it, on a busy machine too.
    QTest::addColumn<int>("limitMs");
    QTest::addColumn<bool>("cancel");
    // What the hand-over fails with; empty when the user has the workbook.
    QTest::addColumn<QString>("failure");
    const int ownLimit = static_cast<int>(LibreOfficeOptions{}.handOverTimeout.count());

    // In a folder it cannot write, the office makes no lock file; it keeps the workbook open.
    QTest::newRow("workbook open without a lock file")
        << QByteArray(R"(sleep 0.3; exec 3<"$3"; sleep 60)") << ownLimit << false << QString();
    QTest::newRow("lock file written") << QByteArray(R"(sleep 0.3; : > "${3%/*}/.~lock.${3##*/}#"; sleep 60)")
                                       << ownLimit << false << QString();
    QTest::newRow("office ends at once") << QByteArray("exit 1") << ownLimit << false << "没有打开名单工作簿就退出了";
    QTest::newRow("office never opens it") << QByteArray("sleep 60") << 1500 << false << "秒内没有打开名单工作簿";
    QTest::newRow("operator cancels") << QByteArray("sleep 60") << ownLimit << true
                                      << SpreadsheetCancelled().userMessage();
}

void OfficeHandOverTest::handOverEndsOnceTheWorkbookIsHeld() {
    QFETCH(QByteArray, script);
    QFETCH(int, limitMs);
    QFETCH(bool, cancel);
    QFETCH(QString, failure);
    const QTemporaryDir folder;
    const QString workbook = folder.filePath(QStringLiteral("导入名单.xls"));
    writeFile(workbook, "names");
    writeFile(folder.filePath(QStringLiteral("soffice")), "#!/bin/sh\n" + script + "\n");
    QVERIFY(QFile::setPermissions(folder.filePath(QStringLiteral("soffice")), QFile::ReadOwner | QFile::ExeOwner));
    LibreOfficeOptions options;
    options.programFolder = folder.path();
    options.handOverTimeout = std::chrono::milliseconds(limitMs);

    CancellationToken token;
    std::thread operatorAtTheWindow([&] {
        // Once the office for the user runs, as the operator would see the wait begin.
        while (cancel && processesMentioning(folder.path()).isEmpty()) {
            std::this_thread::sleep_for(10ms);
        }
        if (cancel) {
            token.cancel();
        }
    });
    QString message;
    try {
        handOverToUser(options, workbook, token);
    } catch (const SpreadsheetError &error) {
        message = error.userMessage();
    }
    operatorAtTheWindow.join();

    QVERIFY2(failure.isEmpty() ? message.isEmpty() : message.contains(failure), qPrintable(message));
    // The office that has the workbook lives on, detached from us; one that failed the hand-over
    // is gone with the failure.
    const QList<qint64> left = processesMentioning(folder.path());
    QCOMPARE(left.isEmpty(), !failure.isEmpty());
    for (const qint64 pid : left) {
        QVERIFY(::getsid(static_cast<pid_t>(pid)) != ::getsid(0));
        ::kill(-::getpgid(static_cast<pid_t>(pid)), SIGKILL);
    }
}

QTEST_GUILESS_MAIN(OfficeHandOverTest)
#include "office_handover_test.moc"

#include "spreadsheet/spreadsheet.h"

#include <QTest>
#include <optional>

using namespace lotdraw;

class CancellationTokenTest : public QObject {
    Q_OBJECT

private slots:
    void cancelReachesWhatIsSubscribedOnce();
};

void CancellationTokenTest::cancelReachesWhatIsSubscribedOnce() {
    const CancellationToken command;
    CancellationToken copy = command;
    QStringList ran;
    std::optional<CancellationToken::Subscription> office;
    office.emplace(command, [&ran] { ran.append(QStringLiteral("office")); });
    {
        // A start that has ended before the cancel is not reached by it.
        const CancellationToken::Subscription start(command, [&ran] { ran.append(QStringLiteral("start")); });
    }
    QVERIFY(!command.isCancelled());
    command.throwIfCancelled();

    // The window cancels its copy; every holder sees it, and each action runs once.
    copy.cancel();
    copy.cancel();
    QCOMPARE(ran, QStringList{QStringLiteral("office")});
    QVERIFY(command.isCancelled());
    QVERIFY_THROWS_EXCEPTION(SpreadsheetCancelled, command.throwIfCancelled());
    // What starts after the cancel is ended as it starts.
    const CancellationToken::Subscription late(command, [&ran] { ran.append(QStringLiteral("late")); });
    QCOMPARE(ran, (QStringList{"office", "late"}));
    office.reset();
}

QTEST_GUILESS_MAIN(CancellationTokenTest)
#include "cancellation_token_test.moc"

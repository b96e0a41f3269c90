#include "office/call_watchdog.h"

#include <QTest>
#include <atomic>
#include <thread>

using namespace lotdraw;
using namespace std::chrono_literals;

class CallWatchdogTest : public QObject {
    Q_OBJECT

private slots:
    void expiresWhenTheCallOverruns();
    void staysQuietWhenTheCallReturnsInTime();
    void expiresOnlyOnce();
};

void CallWatchdogTest::expiresWhenTheCallOverruns() {
    std::atomic<int> expiries = 0;
    CallWatchdog watchdog([&expiries] { ++expiries; });
    {
        const CallWatchdog::Scope scope(watchdog, 50ms);
        // Stands for a call that never comes back by itself.
        QTRY_VERIFY_WITH_TIMEOUT(expiries.load() == 1, 5000);
    }
    QVERIFY(watchdog.expired());
}

void CallWatchdogTest::staysQuietWhenTheCallReturnsInTime() {
    std::atomic<int> expiries = 0;
    CallWatchdog watchdog([&expiries] { ++expiries; });
    for (int call = 0; call < 100; ++call) {
        const CallWatchdog::Scope scope(watchdog, 200ms);
    }
    std::this_thread::sleep_for(400ms);
    QCOMPARE(expiries.load(), 0);
    QVERIFY(!watchdog.expired());
}

void CallWatchdogTest::expiresOnlyOnce() {
    std::atomic<int> expiries = 0;
    CallWatchdog watchdog([&expiries] { ++expiries; });
    {
        const CallWatchdog::Scope scope(watchdog, 10ms);
        QTRY_VERIFY_WITH_TIMEOUT(expiries.load() == 1, 5000);
    }
    {
        const CallWatchdog::Scope scope(watchdog, 10ms);
        std::this_thread::sleep_for(100ms);
    }
    QCOMPARE(expiries.load(), 1);
}

QTEST_GUILESS_MAIN(CallWatchdogTest)
#include "call_watchdog_test.moc"

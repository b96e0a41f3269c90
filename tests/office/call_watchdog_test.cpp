#include "office/call_watchdog.h"

#include <QTest>
#include <atomic>
#include <chrono>
#include <thread>

using namespace lotdraw;
using namespace std::chrono_literals;

class CallWatchdogTest : public QObject {
    Q_OBJECT

private slots:
    void staysQuietWhenTheCallReturnsInTime();
    void expiresOnceWhenTheCallOverruns();
};

void CallWatchdogTest::staysQuietWhenTheCallReturnsInTime() {
    // A busy machine may hold this thread between arm and disarm, and a call held past its limit
    // may rightly expire: such an attempt proves nothing and is made again.
    constexpr auto limit = 100ms;
    for (int attempt = 0; attempt < 20; ++attempt) {
        std::atomic<int> expiries = 0;
        CallWatchdog watchdog([&expiries] { ++expiries; });
        const auto first = std::chrono::steady_clock::now();
        for (int call = 0; call < 100; ++call) {
            const CallWatchdog::Scope scope(watchdog, limit);
        }
        if (std::chrono::steady_clock::now() - first >= limit) {
            continue;
        }
        // Well past every deadline those calls had.
        std::this_thread::sleep_until(first + 4 * limit);
        QCOMPARE(expiries.load(), 0);
        QVERIFY(!watchdog.expired());
        return;
    }
    QSKIP("this thread was held past the limit in every attempt");
}

void CallWatchdogTest::expiresOnceWhenTheCallOverruns() {
    std::atomic<int> expiries = 0;
    CallWatchdog watchdog([&expiries] { ++expiries; });
    {
        const CallWatchdog::Scope scope(watchdog, 10ms);
        // Stands for a call that never comes back by itself.
        QTRY_VERIFY_WITH_TIMEOUT(expiries.load() == 1, 5000);
    }
    QVERIFY(watchdog.expired());
    {
        const CallWatchdog::Scope scope(watchdog, 10ms);
        std::this_thread::sleep_for(100ms);
    }
    QCOMPARE(expiries.load(), 1);
}

QTEST_GUILESS_MAIN(CallWatchdogTest)
#include "call_watchdog_test.moc"

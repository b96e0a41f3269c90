#include "progress/spreadsheet_progress.h"
#include "spreadsheet/spreadsheet.h"

#include <QDeadlineTimer>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <atomic>
#include <thread>

using namespace lotdraw;
using namespace std::chrono_literals;

// The window's side of the waits, with calls of the test's own in the office's place.
class SpreadsheetProgressTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        // Each progress leaves its window behind, as a child of the window it served.
        qDeleteAll(m_window.findChildren<QDialog *>());
        m_window.show();
    }
    void closingDuringTheWorkOnlyAsksToCancel_data();
    void closingDuringTheWorkOnlyAsksToCancel();
    void errorWhileTheProgressWindowShowsIsToldOnce();
    void backgroundWorkLeavesTheWindowFreeAndComesFirst();

private:
    [[nodiscard]] QDialog *progressWindow() { return m_window.findChild<QDialog *>(QStringLiteral("progressDialog")); }

    QWidget m_window;
};

void SpreadsheetProgressTest::closingDuringTheWorkOnlyAsksToCancel_data() {
    QTest::addColumn<QString>("closed");
    QTest::addColumn<bool>("stoppable");
    QTest::addColumn<int>("cancels");
    // The window stays, and with it everything the work is for.
    QTest::newRow("the window") << "window" << true << 0;
    QTest::newRow("the window, by the window system") << "window handle" << true << 0;
    // Its close button and Esc ask to stop if the step can be stopped; only the work's end closes it.
    QTest::newRow("the progress window") << "progress window" << true << 1;
    QTest::newRow("the progress window, with Esc") << "Esc" << true << 1;
    QTest::newRow("the progress window of a step that cannot be stopped") << "progress window" << false << 0;
}

void SpreadsheetProgressTest::closingDuringTheWorkOnlyAsksToCancel() {
    QFETCH(QString, closed);
    QFETCH(bool, stoppable);
    QFETCH(int, cancels);
    SpreadsheetProgress progress(&m_window, 0ms);
    std::atomic<bool> released = false;
    bool bothShown = false;
    // Inside the wait, once the progress window shows.
    QTimer::singleShot(0, this, [&] {
        if (closed == QStringLiteral("window")) {
            m_window.close();
        } else if (closed == QStringLiteral("window handle")) {
            m_window.windowHandle()->close();
        } else if (closed == QStringLiteral("Esc")) {
            QTest::keyClick(progressWindow(), Qt::Key_Escape);
        } else {
            progressWindow()->close();
        }
        bothShown = m_window.isVisible() && progressWindow()->isVisible();
        released = true;
    });
    CancellationToken cancel;
    int cancelled = 0;
    const CancellationToken::Subscription counter(cancel, [&cancelled] { ++cancelled; });
    const auto held = [&released] {
        for (const QDeadlineTimer limit(10s); !released && !limit.hasExpired();) {
            std::this_thread::sleep_for(1ms);
        }
    };
    progress.run(SpreadsheetStep::Save, held, stoppable ? &cancel : nullptr);

    QVERIFY(bothShown);
    QCOMPARE(cancelled, cancels);
    // Once the work has ended, both close again.
    QVERIFY(!progressWindow()->isVisible());
    QVERIFY(m_window.close());
}

void SpreadsheetProgressTest::errorWhileTheProgressWindowShowsIsToldOnce() {
    SpreadsheetProgress progress(&m_window, 0ms);
    progress.setBusy(true);
    // A slow office's failure: the window shows before it comes, or at the latest with it.
    const auto failing = [] {
        std::this_thread::sleep_for(20ms);
        throw SpreadsheetError(QStringLiteral("无法保存名单工作簿"));
    };
    CancellationToken cancel;
    QVERIFY_THROWS_EXCEPTION(SpreadsheetError, progress.run(SpreadsheetStep::Save, failing, &cancel));
    QVERIFY(progressWindow()->isVisible());
    // The next call of the same work goes on: the error is not told again.
    progress.run(
        SpreadsheetStep::Close, [] {}, nullptr);
    progress.setBusy(false);
    QVERIFY(!progressWindow()->isVisible());
}

void SpreadsheetProgressTest::backgroundWorkLeavesTheWindowFreeAndComesFirst() {
    SpreadsheetProgress progress(&m_window, 1h);
    QLineEdit box(&m_window);
    box.show();
    std::atomic<bool> released = false;
    QStringList failures;
    progress.setBusy(true);
    // An office that ends only once the test lets it, and fails as it does.
    progress.runInBackground(
        [&released] {
            for (const QDeadlineTimer limit(10s); !released && !limit.hasExpired();) {
                std::this_thread::sleep_for(1ms);
            }
            throw SpreadsheetError(QStringLiteral("结束时失败"));
        },
        [&failures](const QString &message) { failures.append(message); });
    progress.setBusy(false);

    // While it ends, the window takes keys, with the normal cursor.
    QTest::keyClicks(&box, QStringLiteral("ok"));
    QCOMPARE(box.text(), QStringLiteral("ok"));
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    // The next call waits for it, and hears of its failure once.
    QTimer::singleShot(50ms, this, [&released] { released = true; });
    bool endedFirst = false;
    progress.run(
        SpreadsheetStep::Start, [&] { endedFirst = released.load(); }, nullptr);
    QVERIFY(endedFirst);
    QCOMPARE(failures, QStringList{QStringLiteral("结束时失败")});
    QCoreApplication::processEvents();
    QCOMPARE(failures.size(), 1);
}

QTEST_MAIN(SpreadsheetProgressTest)
#include "spreadsheet_progress_test.moc"

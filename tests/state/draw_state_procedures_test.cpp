#include "support/draw_fixture.h"
#include "support/numbered_names.h"
#include "support/scripted_random.h"

#include <QTest>

using lotdraw::FormControls;
using lotdraw::KeepChoice;
using lotdraw::testing::numbered;

// The reset for a new series, on the event and a fake form.
class DrawStateProceduresTest : public QObject {
    Q_OBJECT

private slots:
    void resetRestoresTheSeriesAndLeavesThePool();
};

// A draw rolls after seven stops; the reset stops it and starts the series afresh.
void DrawStateProceduresTest::resetRestoresTheSeriesAndLeavesThePool() {
    lotdraw::testing::ScriptedGenerator random;
    lotdraw::testing::DrawFixture f(random);
    const QStringList pool = numbered(QStringLiteral("名"), 5);
    f.event.restore({.pool = pool,
                     .results = {QStringList{"甲"}, QStringList{"乙"}, QStringList{"丙"}, QStringList{"丁"}},
                     .drawNumber = 7,
                     .choice = KeepChoice::Remove});
    f.state.skipTick = 0;
    f.state.drawSize = 3;
    f.state.picks[1] = 2;
    f.state.shownName = QStringLiteral("名2");
    f.controls.setNumberText(QStringLiteral("3"));
    f.controls.setStartVisible(false);
    f.controls.setStopVisible(true);
    f.controls.setTimerInterval(FormControls::kRollingInterval);
    f.controls.setRollingText(QStringLiteral("名2"));
    f.controls.setExportNoticeVisible(true);

    f.procedures.resetForNewSeries();

    QVERIFY(!f.controls.isRolling());
    QVERIFY(f.controls.isStartVisible());
    QVERIFY(!f.controls.isStopVisible());
    QCOMPARE(f.controls.focus(), QStringLiteral("startButton"));
    QCOMPARE(f.controls.rollingText(), QString());
    QCOMPARE(f.controls.numberText(), QString());
    QCOMPARE(f.state.skipTick, 1);
    // Neither keep option is chosen afterwards, so the operator has to choose again.
    QCOMPARE(f.event.keepChoice(), KeepChoice::None);
    QCOMPARE(f.event.drawNumber(), 0);
    QCOMPARE(f.event.latestResultList(), 0);
    for (int list = 1; list <= 4; ++list) {
        QCOMPARE(f.event.heading(list), QStringLiteral("第%1次抽中").arg(list));
        QCOMPARE(f.event.results(list), QStringList{});
    }
    // What the series does not own stays: the pool, the selection, the notice.
    QCOMPARE(f.event.pool(), pool);
    QCOMPARE(f.state.drawSize, 3);
    QCOMPARE(f.state.picks[1], 2);
    QCOMPARE(f.state.shownName, QStringLiteral("名2"));
    QVERIFY(f.controls.isExportNoticeVisible());
    QVERIFY(f.messages.shown().isEmpty());
}

QTEST_GUILESS_MAIN(DrawStateProceduresTest)
#include "draw_state_procedures_test.moc"

#include "draw/random_generator.h"
#include "support/draw_fixture.h"
#include "support/numbered_names.h"
#include "support/operator_texts.h"
#include "support/scripted_random.h"

#include <QSet>
#include <QTest>
#include <memory>

using lotdraw::Int16;
using lotdraw::KeepChoice;
using lotdraw::Xoshiro256Generator;
using lotdraw::testing::DrawFixture;
using lotdraw::testing::kNoKeepChoiceText;
using lotdraw::testing::kSeriesFullText;
using lotdraw::testing::kTooManyText;
using lotdraw::testing::ManualClock;
using lotdraw::testing::numbered;
using lotdraw::testing::numberOutOfRangeText;
using lotdraw::testing::ScriptedGenerator;
using lotdraw::testing::unitFor;

namespace {

// Rolling: started, the swallowed tick and one pass behind it; just started: no tick yet.
enum class Phase { Idle, Rolling, JustStarted };
enum class Event { Start, Stop, Tick, NumberChanged };

// The pools hold 名字1, 名字2, ...
QString nameAt(int position) {
    return QStringLiteral("名字%1").arg(position);
}

QStringList names(std::initializer_list<int> positions) {
    QStringList result;
    for (const int position : positions) {
        result.append(nameAt(position));
    }
    return result;
}

QList<float> unitsFor(const QList<int> &positions, int poolCount) {
    QList<float> result;
    for (const int position : positions) {
        result.append(unitFor(position, poolCount));
    }
    return result;
}

} // namespace

Q_DECLARE_METATYPE(Phase)
Q_DECLARE_METATYPE(KeepChoice)
Q_DECLARE_METATYPE(Event)

// The start/stop cycle on the event and a fake form; the selection passes pick what the test
// scripts.
class DrawControlTest : public QObject {
    Q_OBJECT

private slots:
    void init();

    void stateTable_data();
    void stateTable();
    void refusalAtFirstProductiveTick();
    void fiveStopsRotateThroughTheResultLists();
    void stopFilesTheDraw_data();
    void stopFilesTheDraw();
    void numberChangeWhileRolling();
    void startRefusesNumbersThatDoNotFit_data();
    void startRefusesNumbersThatDoNotFit();
    void stopBeforeFirstPassDrawsFromTheCurrentPool();
    void lastStopsOfASeries_data();
    void lastStopsOfASeries();
    void thousandsOfCyclesKeepPoolAndListsConsistent();

private:
    // A new series on a pool of `poolCount` numbered names, as the import leaves it, then the keep
    // choice and the number box set; the passes to come pick `picks`, positions of that pool.
    void prepare(int poolCount, KeepChoice choice, int number, const QList<int> &picks = {}) {
        m_random.append(unitsFor(picks, poolCount));
        m->loadPool(numbered(QStringLiteral("名字"), poolCount));
        m->event.setKeepChoice(choice);
        m->setNumber(QString::number(number));
    }

    ScriptedGenerator m_random;
    std::unique_ptr<DrawFixture> m;
};

void DrawControlTest::init() {
    m_random = ScriptedGenerator();
    m = std::make_unique<DrawFixture>(m_random);
}

// The state table of the draw control, one row each: the state before, the event, and what it
// leaves behind. The pool holds five names and a draw takes two; the first pass picks 2 and 4, the
// next 3 and 1.
void DrawControlTest::stateTable_data() {
    QTest::addColumn<Phase>("phase");
    QTest::addColumn<KeepChoice>("choice");
    QTest::addColumn<int>("skipTick");
    QTest::addColumn<int>("drawSize");
    QTest::addColumn<Event>("event");
    QTest::addColumn<QString>("message");
    QTest::addColumn<Phase>("phaseAfter");
    QTest::addColumn<bool>("startShown");
    QTest::addColumn<bool>("stopShown");
    QTest::addColumn<int>("skipTickAfter");
    QTest::addColumn<int>("drawNumberAfter");
    QTest::addColumn<QString>("displayAfter");
    QTest::addColumn<int>("drawsDuringEvent");

    const QString none;
    const QString noChoice = kNoKeepChoiceText;
    const QString tooMany = kTooManyText;
    using enum KeepChoice;

    // clang-format off
    QTest::newRow("idle: start without a keep choice")
        << Phase::Idle << None << 1 << 2 << Event::Start
        << noChoice << Phase::Idle << true << false << 1 << 0 << QString() << 0;
    QTest::newRow("rolling: stop without a keep choice")
        << Phase::Rolling << None << 0 << 2 << Event::Stop
        << noChoice << Phase::Rolling << false << true << 0 << 0 << nameAt(2) << 0;
    QTest::newRow("idle: start")
        << Phase::Idle << Keep << 1 << 2 << Event::Start
        << none << Phase::Rolling << false << true << 1 << 0 << QString() << 0;
    QTest::newRow("rolling: start")
        << Phase::Rolling << Remove << 0 << 2 << Event::Start
        << none << Phase::Rolling << false << true << 0 << 0 << nameAt(2) << 0;
    QTest::newRow("rolling: tick with the skip flag")
        << Phase::Rolling << Keep << 1 << 2 << Event::Tick
        << none << Phase::Rolling << false << true << 0 << 0 << nameAt(2) << 0;
    QTest::newRow("rolling: tick, draw below pool")
        << Phase::Rolling << Keep << 0 << 2 << Event::Tick
        << none << Phase::Rolling << false << true << 0 << 0 << nameAt(3) << 2;
    QTest::newRow("rolling: tick, draw not below pool")
        << Phase::Rolling << Keep << 0 << 5 << Event::Tick
        << tooMany << Phase::Idle << true << false << 1 << 0 << nameAt(2) << 0;
    QTest::newRow("rolling: stop")
        << Phase::Rolling << Keep << 0 << 2 << Event::Stop
        << none << Phase::Idle << true << false << 1 << 1 << nameAt(2) << 0;
    QTest::newRow("idle: number box changed")
        << Phase::Idle << Keep << 1 << 2 << Event::NumberChanged
        << none << Phase::Idle << true << false << 1 << 0 << QString() << 0;
    QTest::newRow("rolling: number box changed")
        << Phase::Rolling << Keep << 0 << 2 << Event::NumberChanged
        << none << Phase::Rolling << true << true << 0 << 0 << nameAt(2) << 0;
    // A stop before the first pass draws first, and files nothing when that pass refuses.
    QTest::newRow("just started: stop")
        << Phase::JustStarted << Keep << 1 << 2 << Event::Stop
        << none << Phase::Idle << true << false << 1 << 1 << nameAt(2) << 2;
    QTest::newRow("just started: stop, draw not below pool")
        << Phase::JustStarted << Keep << 1 << 5 << Event::Stop
        << tooMany << Phase::Idle << true << false << 1 << 0 << QString() << 0;
    // clang-format on
}

void DrawControlTest::stateTable() {
    QFETCH(Phase, phase);
    QFETCH(KeepChoice, choice);
    QFETCH(int, skipTick);
    QFETCH(int, drawSize);
    QFETCH(Event, event);
    QFETCH(QString, message);
    QFETCH(Phase, phaseAfter);
    QFETCH(bool, startShown);
    QFETCH(bool, stopShown);
    QFETCH(int, skipTickAfter);
    QFETCH(int, drawNumberAfter);
    QFETCH(QString, displayAfter);
    QFETCH(int, drawsDuringEvent);

    prepare(5, KeepChoice::Keep, 2, {2, 4, 3, 1});
    if (phase == Phase::Rolling) {
        m->startAndPass();
        QCOMPARE(m->controls.rollingText(), nameAt(2));
    } else if (phase == Phase::JustStarted) {
        m->control.onStartClicked();
    }
    m->state.skipTick = static_cast<Int16>(skipTick);
    m->state.drawSize = static_cast<Int16>(drawSize);
    m->event.setKeepChoice(choice);
    QCOMPARE(m->controls.isRolling(), phase != Phase::Idle);
    const qsizetype drawnBefore = m_random.drawn();
    const lotdraw::EventSnapshot before = m->event.snapshot();

    switch (event) {
        case Event::Start:
            m->control.onStartClicked();
            break;
        case Event::Stop:
            m->control.onStopClicked();
            break;
        case Event::Tick:
            m->control.onRollTick();
            break;
        case Event::NumberChanged:
            m->setNumber(QStringLiteral("3"));
            break;
    }

    QCOMPARE(m->messages.shown(), message.isEmpty() ? QStringList{} : QStringList{message});
    QCOMPARE(m->controls.isRolling(), phaseAfter != Phase::Idle);
    QCOMPARE(m->controls.isStartVisible(), startShown);
    QCOMPARE(m->controls.isStopVisible(), stopShown);
    QCOMPARE(m->state.skipTick, static_cast<Int16>(skipTickAfter));
    QCOMPARE(m->event.drawNumber(), drawNumberAfter);
    // Only a stop that files a draw changes the event: a rolling draw is no result.
    QCOMPARE(m->event.snapshot() == before, drawNumberAfter == 0);
    QCOMPARE(m->controls.rollingText(), displayAfter);
    QCOMPARE(m_random.drawn() - drawnBefore, drawsDuringEvent);
}

// After an import the first tick only clears the flag; the second runs the pass that refuses, and
// the display gets back the name of the last pass before the import.
void DrawControlTest::refusalAtFirstProductiveTick() {
    prepare(4, KeepChoice::Keep, 1, {3});
    m->startAndPass();
    QCOMPARE(m->controls.rollingText(), nameAt(3));

    prepare(4, KeepChoice::Keep, 4);
    QCOMPARE(m->controls.rollingText(), QString());
    m->control.onStartClicked();
    m->control.onRollTick();
    QVERIFY(m->messages.shown().isEmpty());
    QVERIFY(m->controls.isRolling());
    QCOMPARE(m->controls.rollingText(), QString());

    m->control.onRollTick();
    QCOMPARE(m->messages.shown(), QStringList{kTooManyText});
    QVERIFY(!m->controls.isRolling());
    QVERIFY(m->controls.isStartVisible());
    QVERIFY(!m->controls.isStopVisible());
    QCOMPARE(m->state.skipTick, Int16{1});
    QCOMPARE(m->controls.rollingText(), nameAt(3));
    QCOMPARE(m_random.drawn(), 1);
}

void DrawControlTest::fiveStopsRotateThroughTheResultLists() {
    prepare(10, KeepChoice::Keep, 1, {1, 2, 3, 4, 5});
    const std::array<int, 5> expectedLists{1, 2, 3, 4, 1};
    for (int stop = 1; stop <= 5; ++stop) {
        m->draw();
        const int list = expectedLists[static_cast<std::size_t>(stop - 1)];
        QCOMPARE(m->event.latestResultList(), list);
        QCOMPARE(m->event.heading(list), QStringLiteral("第%1次抽中").arg(stop));
        QCOMPARE(m->event.results(list), names({stop}));
        QCOMPARE(m->controls.rollingText(), nameAt(stop));
    }
    // The fifth stop took over the first list and left the others as their stops filled them.
    QCOMPARE((QStringList{m->event.heading(1), m->event.heading(2), m->event.heading(3), m->event.heading(4)}),
             (QStringList{"第5次抽中", "第2次抽中", "第3次抽中", "第4次抽中"}));
    QCOMPARE(m->event.results(2), names({2}));
    QCOMPARE(m->event.drawNumber(), 5);
    QCOMPARE(m->event.pool(), numbered(QStringLiteral("名字"), 10));
}

// The draw goes into the first result list, the name on the display first; the choice at the moment
// of the stop decides whether it leaves the pool, which keeps its order.
void DrawControlTest::stopFilesTheDraw_data() {
    QTest::addColumn<KeepChoice>("atStart");
    QTest::addColumn<KeepChoice>("atStop");
    QTest::addColumn<QList<int>>("picks");
    QTest::addColumn<QStringList>("poolAfter");

    QTest::newRow("remove: three of ten")
        << KeepChoice::Remove << KeepChoice::Remove << QList<int>{7, 2, 9} << names({1, 3, 4, 5, 6, 8, 10});
    QTest::newRow("keep at start, remove at stop")
        << KeepChoice::Keep << KeepChoice::Remove << QList<int>{2} << names({1, 3, 4, 5, 6, 7, 8, 9, 10});
    QTest::newRow("remove at start, keep at stop")
        << KeepChoice::Remove << KeepChoice::Keep << QList<int>{2} << numbered(QStringLiteral("名字"), 10);
}

void DrawControlTest::stopFilesTheDraw() {
    QFETCH(KeepChoice, atStart);
    QFETCH(KeepChoice, atStop);
    QFETCH(QList<int>, picks);
    QFETCH(QStringList, poolAfter);
    QStringList drawn;
    for (const int pick : picks) {
        drawn.append(nameAt(pick));
    }
    prepare(10, atStart, static_cast<int>(picks.size()), picks);
    m->startAndPass();
    m->event.setKeepChoice(atStop);
    m->control.onStopClicked();

    QCOMPARE(m->event.results(1), drawn);
    QCOMPARE(m->controls.rollingText(), drawn.constFirst());
    QCOMPARE(m->event.pool(), poolAfter);
}

// Changing the number while the display rolls brings the start button up over the stop button;
// pressing it reads the new number, and the passes that follow take it.
void DrawControlTest::numberChangeWhileRolling() {
    prepare(8, KeepChoice::Keep, 2, {1, 2, 3, 4, 5, 6});
    m->startAndPass();
    QCOMPARE(m_random.drawn(), 2);

    // A count that is refused leaves the draw rolling with its old count, and "结束" in reach.
    m->setNumber(QStringLiteral("abc"));
    m->control.onStartClicked();
    QCOMPARE(m->messages.shown(), QStringList{numberOutOfRangeText(8)});
    QVERIFY(m->controls.isRolling());
    QVERIFY(!m->controls.isStartVisible());
    QVERIFY(m->controls.isStopVisible());
    QCOMPARE(m->controls.focus(), QStringLiteral("stopButton"));
    QCOMPARE(m->state.drawSize, Int16{2});

    m->setNumber(QStringLiteral("4"));
    QVERIFY(m->controls.isStartVisible());
    QVERIFY(m->controls.isStopVisible());
    QVERIFY(m->controls.isRolling());
    QCOMPARE(m->state.drawSize, Int16{2});

    m->control.onStartClicked();
    QVERIFY(!m->controls.isStartVisible());
    QVERIFY(m->controls.isStopVisible());
    QCOMPARE(m->controls.focus(), QStringLiteral("stopButton"));
    QVERIFY(m->controls.isRolling());
    QCOMPARE(m->state.drawSize, Int16{4});
    QCOMPARE(m->state.skipTick, Int16{0});

    m->control.onRollTick();
    QCOMPARE(m_random.drawn(), 6);
    QCOMPARE(m->controls.rollingText(), nameAt(3));
    m->control.onStopClicked();
    QCOMPARE(m->event.results(1), names({3, 4, 5, 6}));
}

// A draw of no names, of a negative number or of one that does not fit is refused at "开始"; one
// as large as the pool at the first pass, as before. Either way nothing moves: the display keeps the
// earlier draw's name (which has left the pool), no list changes, the round stays, and the focus is
// on "开始", not on the "导出" after "结束" in the tab order. A valid draw then works as before.
void DrawControlTest::startRefusesNumbersThatDoNotFit_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("atStart");

    QTest::newRow("empty box") << QString() << true;
    QTest::newRow("letters") << QStringLiteral("abc") << true;
    QTest::newRow("zero") << QStringLiteral("0") << true;
    QTest::newRow("rounds to zero") << QStringLiteral("-0.4") << true;
    QTest::newRow("negative") << QStringLiteral("-3") << true;
    QTest::newRow("rounds to negative") << QStringLiteral("-0.6") << true;
    QTest::newRow("16-bit bottom") << QStringLiteral("-32768") << true;
    QTest::newRow("as large as the pool") << QStringLiteral("4") << false;
    QTest::newRow("16-bit top") << QStringLiteral("32767") << false;
    QTest::newRow("rounds past 16-bit top") << QStringLiteral("32767.5") << true;
    QTest::newRow("past 16-bit top") << QStringLiteral("32768") << true;
    QTest::newRow("far too large") << QStringLiteral("1e9") << true;
}

void DrawControlTest::startRefusesNumbersThatDoNotFit() {
    QFETCH(QString, number);
    QFETCH(bool, atStart);
    prepare(5, KeepChoice::Remove, 1, {2});
    m->draw();
    const QStringList pool = names({1, 3, 4, 5});
    QCOMPARE(m->event.pool(), pool);

    m->controls.setFocus(QStringLiteral("exportButton1")); // a remote's Page Down presses "开始" from anywhere
    m->setNumber(number);
    m->control.onStartClicked();
    if (!atStart) {
        QVERIFY(m->messages.shown().isEmpty());
        m->control.onRollTick(); // swallowed after the stop
        m->control.onRollTick();
    }

    QCOMPARE(m->messages.shown(), QStringList{atStart ? numberOutOfRangeText(4) : kTooManyText});
    QVERIFY(!m->controls.isRolling());
    QVERIFY(m->controls.isStartVisible());
    QVERIFY(!m->controls.isStopVisible());
    QCOMPARE(m->controls.focus(), QStringLiteral("startButton"));
    QCOMPARE(m->controls.rollingText(), nameAt(2));
    QCOMPARE(m->event.pool(), pool);
    QCOMPARE(m->event.results(1), names({2}));
    QCOMPARE(m->event.results(2), QStringList{});
    QCOMPARE(m->event.drawNumber(), 1);
    QCOMPARE(m->state.skipTick, Int16{1});
    QCOMPARE(m_random.drawn(), 1);
    if (atStart) {
        QCOMPARE(m->state.drawSize, Int16{1});
    }

    m->messages.clear();
    m_random.append(unitsFor({3}, 4));
    m->setNumber(QStringLiteral("1"));
    m->draw();
    QVERIFY(m->messages.shown().isEmpty());
    QCOMPARE(m->event.results(2), names({4}));
    QCOMPARE(m->event.heading(2), QStringLiteral("第2次抽中"));
    QCOMPARE(m->event.pool(), names({1, 3, 5}));
}

// A stop right after a start, before any pass: it draws from the pool as it is now, shows the
// draw and records it, instead of listing the picks of the previous draw, whose names have left.
void DrawControlTest::stopBeforeFirstPassDrawsFromTheCurrentPool() {
    prepare(10, KeepChoice::Remove, 3, {1, 2, 3});
    m_random.append(unitsFor({6, 1, 2}, 7));
    m->draw();
    QCOMPARE(m->event.results(1), names({1, 2, 3}));
    QCOMPARE(m->event.pool(), names({4, 5, 6, 7, 8, 9, 10}));

    // The pool is now 4..10; its positions 6, 1 and 2 hold 9, 4 and 5.
    m->control.onStartClicked();
    m->control.onStopClicked();
    QVERIFY(m->messages.shown().isEmpty());
    QCOMPARE(m_random.drawn(), 6);
    QCOMPARE(m->event.results(2), names({9, 4, 5}));
    QCOMPARE(m->controls.rollingText(), nameAt(9));
    QCOMPARE(m->event.pool(), names({6, 7, 8, 10}));
    QCOMPARE(m->event.drawNumber(), 2);
}

// A series counts its stops in 16 bits: the 32766th and the 32767th stop are filed as any other,
// under their number; a stop after the 32767th is refused and the draw rolls on until a new import
// starts a new series.
void DrawControlTest::lastStopsOfASeries_data() {
    QTest::addColumn<int>("stopsBefore");
    QTest::addColumn<bool>("filed");
    QTest::addColumn<int>("latest"); // the result list of the latest stop afterwards

    QTest::newRow("the 32766th stop") << 32765 << true << 2;
    QTest::newRow("the 32767th stop") << 32766 << true << 3;
    QTest::newRow("a stop after the 32767th") << 32767 << false << 3;
}

void DrawControlTest::lastStopsOfASeries() {
    QFETCH(int, stopsBefore);
    QFETCH(bool, filed);
    QFETCH(int, latest);
    prepare(4, KeepChoice::Remove, 1, {2});
    m->startAndPass();
    m->event.restore({.pool = m->event.pool(), .drawNumber = stopsBefore, .choice = KeepChoice::Remove});

    m->control.onStopClicked();

    QCOMPARE(m->messages.shown(), filed ? QStringList{} : QStringList{kSeriesFullText});
    QCOMPARE(m->controls.isRolling(), !filed);
    QCOMPARE(m->event.drawNumber(), filed ? stopsBefore + 1 : stopsBefore);
    QCOMPARE(m->event.latestResultList(), latest);
    QCOMPARE(m->event.heading(latest), QStringLiteral("第%1次抽中").arg(m->event.drawNumber()));
    QCOMPARE(m->event.results(latest), filed ? names({2}) : QStringList{});
    QCOMPARE(m->state.skipTick, static_cast<Int16>(filed ? 1 : 0));
    QCOMPARE(m->event.pool(), filed ? names({1, 3, 4}) : names({1, 2, 3, 4}));

    // A new import starts a new series, and stops are filed again from the first list on.
    prepare(4, KeepChoice::Remove, 1, {3});
    m->control.onStartClicked();
    m->control.onStopClicked();
    QCOMPARE(m->event.heading(1), QStringLiteral("第1次抽中"));
    QCOMPARE(m->event.results(1), names({3}));
}

// Many start/tick/stop cycles with the real generator: after each stop the result list is a set of
// distinct names from the pool as it stood, and the pool lost exactly those names with "否".
void DrawControlTest::thousandsOfCyclesKeepPoolAndListsConsistent() {
    ManualClock clock(1'700'000'000'000'000'000ULL);
    Xoshiro256Generator random(clock, 99);
    DrawFixture f(random);

    constexpr int kCycles = 3000;
    const QStringList fullPool = numbered(QStringLiteral("名字"), 30);
    f.loadPool(fullPool);
    int refusals = 0;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        if (f.event.pool().size() < 3) {
            f.loadPool(fullPool);
        }
        const bool remove = cycle % 3 == 0;
        f.event.setKeepChoice(remove ? KeepChoice::Remove : KeepChoice::Keep);
        // Now and then ask for the whole pool, which the first pass refuses.
        const int size = cycle % 50 == 49 ? static_cast<int>(f.event.pool().size()) : cycle % 5;
        f.setNumber(QString::number(size));
        const QStringList before = f.event.pool();

        f.control.onStartClicked();
        // Ticks come only while the timer runs; a start refused at once leaves it stopped.
        for (int tick = 0; tick < 1 + cycle % 3 && f.controls.isRolling(); ++tick) {
            clock.set(clock.reading() + 100'000'000);
            f.control.onRollTick();
        }
        if (!f.controls.isRolling()) {
            ++refusals;
            continue;
        }
        const int drawNumber = f.event.drawNumber();
        f.control.onStopClicked();
        if (f.messages.shown().size() > refusals) {
            // Every tick was swallowed, and the pass that the stop ran first refused.
            ++refusals;
            QCOMPARE(f.event.drawNumber(), drawNumber);
            QCOMPARE(f.event.pool(), before);
            continue;
        }

        const QStringList drawn = f.event.results(f.event.latestResultList());
        QCOMPARE(drawn.size(), size);
        QCOMPARE(QSet<QString>(drawn.cbegin(), drawn.cend()).size(), size);
        QStringList expectedPool = before;
        for (const QString &name : drawn) {
            QVERIFY(before.contains(name));
            if (remove) {
                expectedPool.removeOne(name);
            }
        }
        QCOMPARE(f.event.pool(), expectedPool);
    }
    QVERIFY(refusals > 0);
    QCOMPARE(f.messages.shown().size(), refusals);
}

QTEST_GUILESS_MAIN(DrawControlTest)
#include "draw_control_test.moc"

#include "app/main_window.h"
#include "draw/random_generator.h"
#include "support/fake_spreadsheet.h"
#include "support/operator_texts.h"
#include "support/recording_messages.h"
#include "support/scripted_random.h"
#include "support/window_probe.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <memory>

using lotdraw::DrawState;
using lotdraw::FormControls;
using lotdraw::Int16;
using lotdraw::MainWindow;
using lotdraw::Xoshiro256Generator;
using lotdraw::testing::backgroundOf;
using lotdraw::testing::control;
using lotdraw::testing::headingName;
using lotdraw::testing::kNoKeepChoiceText;
using lotdraw::testing::kSeriesFullText;
using lotdraw::testing::kTooManyText;
using lotdraw::testing::linesOf;
using lotdraw::testing::listName;
using lotdraw::testing::ManualClock;
using lotdraw::testing::numbered;
using lotdraw::testing::numberOutOfRangeText;
using lotdraw::testing::RecordingMessages;
using lotdraw::testing::ScriptedGenerator;
using lotdraw::testing::unitFor;

namespace {

enum class Phase { Idle, Rolling };
enum class Choice { None, Keep, Remove };
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

QList<float> unitsFor(std::initializer_list<int> positions, int poolCount) {
    QList<float> result;
    for (const int position : positions) {
        result.append(unitFor(position, poolCount));
    }
    return result;
}

} // namespace

Q_DECLARE_METATYPE(Phase)
Q_DECLARE_METATYPE(Choice)
Q_DECLARE_METATYPE(Event)

// The start/stop cycle on the real window, its handlers called as the buttons and the timer call
// them; the selection passes pick what the test scripts.
class DrawControlTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void stateTable_data();
    void stateTable();
    void refusalAtFirstProductiveTick();
    void fiveStopsRotateThroughTheResultLists();
    void removalKeepsPoolOrderAndCount();
    void optionCountsAtTheMomentOfStop_data();
    void optionCountsAtTheMomentOfStop();
    void numberChangeWhileRolling();
    void startRefusesNumbersThatDoNotFit_data();
    void startRefusesNumbersThatDoNotFit();
    void stopBeforeFirstPassDrawsFromTheCurrentPool();
    void stopBeforeFirstPassThatRefusesRecordsNothing();
    void lastStopsOfASeries_data();
    void lastStopsOfASeries();
    void thousandsOfCyclesKeepPoolAndListsConsistent();

private:
    // A new series on a pool of `poolCount` numbered names, as the import leaves it, then the keep
    // choice and the number box set; the passes to come pick `picks`, positions of that pool.
    void prepare(int poolCount, Choice choice, int number, std::initializer_list<int> picks = {});
    // "开始", the tick that a reset or a stop leaves to be swallowed, and one pass.
    void startAndPass();
    // A whole draw: start, one pass, stop.
    void draw() {
        startAndPass();
        m_window->onStopClicked();
    }
    void choose(Choice choice) {
        m_window->setKeepChosen(choice == Choice::Keep);
        m_window->setRemoveChosen(choice == Choice::Remove);
    }
    void setNumber(const QString &text) {
        control<QLineEdit>(*m_window, QStringLiteral("drawCountBox"))->setText(text);
    }

    [[nodiscard]] QPushButton *button(const QString &name) const { return control<QPushButton>(*m_window, name); }
    [[nodiscard]] QPushButton *startButton() const { return button(QStringLiteral("startButton")); }
    [[nodiscard]] QPushButton *stopButton() const { return button(QStringLiteral("stopButton")); }
    [[nodiscard]] bool rolling() const {
        const auto *timer = control<QTimer>(*m_window, QStringLiteral("rollTimer"));
        return timer->isActive() && timer->interval() == 100;
    }
    [[nodiscard]] QString label(const QString &name) const { return control<QLabel>(*m_window, name)->text(); }
    [[nodiscard]] QString display() const { return label(QStringLiteral("rollingDisplay")); }
    [[nodiscard]] QString heading(int index) const { return label(headingName(index)); }
    [[nodiscard]] QListWidget *list(int index) const { return control<QListWidget>(*m_window, listName(index)); }
    [[nodiscard]] QStringList lines(int index) const { return linesOf(list(index)); }
    [[nodiscard]] DrawState &state() const { return m_window->drawState(); }

    RecordingMessages m_messages;
    ScriptedGenerator m_random;
    lotdraw::testing::FakeSpreadsheetApplication m_spreadsheet;
    std::unique_ptr<MainWindow> m_window;
};

void DrawControlTest::init() {
    m_messages.clear();
    m_random = ScriptedGenerator();
    m_window = std::make_unique<MainWindow>(MainWindow::Dependencies{m_messages, m_spreadsheet, QString(), m_random});
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void DrawControlTest::cleanup() {
    m_window.reset();
}

void DrawControlTest::prepare(int poolCount, Choice choice, int number, std::initializer_list<int> picks) {
    m_random.append(unitsFor(picks, poolCount));
    lotdraw::testing::loadPool(*m_window, numbered(QStringLiteral("名字"), poolCount));
    choose(choice);
    setNumber(QString::number(number));
}

void DrawControlTest::startAndPass() {
    m_window->onStartClicked();
    m_window->onRollTick();
    m_window->onRollTick();
}

// The state table of the draw control, one row each: the state before, the event, and what it
// leaves behind. The pool holds five names and a draw takes two; the first pass picks 2 and 4, the
// next 3 and 1.
void DrawControlTest::stateTable_data() {
    QTest::addColumn<Phase>("phase");
    QTest::addColumn<Choice>("choice");
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

    // clang-format off
    QTest::newRow("idle: start without a keep choice")
        << Phase::Idle << Choice::None << 1 << 2 << Event::Start
        << noChoice << Phase::Idle << true << false << 1 << 0 << QString() << 0;
    QTest::newRow("rolling: stop without a keep choice")
        << Phase::Rolling << Choice::None << 0 << 2 << Event::Stop
        << noChoice << Phase::Rolling << false << true << 0 << 0 << nameAt(2) << 0;
    QTest::newRow("idle: start")
        << Phase::Idle << Choice::Keep << 1 << 2 << Event::Start
        << none << Phase::Rolling << false << true << 1 << 0 << QString() << 0;
    QTest::newRow("rolling: start")
        << Phase::Rolling << Choice::Remove << 0 << 2 << Event::Start
        << none << Phase::Rolling << false << true << 0 << 0 << nameAt(2) << 0;
    QTest::newRow("rolling: tick with the skip flag")
        << Phase::Rolling << Choice::Keep << 1 << 2 << Event::Tick
        << none << Phase::Rolling << false << true << 0 << 0 << nameAt(2) << 0;
    QTest::newRow("rolling: tick, draw below pool")
        << Phase::Rolling << Choice::Keep << 0 << 2 << Event::Tick
        << none << Phase::Rolling << false << true << 0 << 0 << nameAt(3) << 2;
    QTest::newRow("rolling: tick, draw not below pool")
        << Phase::Rolling << Choice::Keep << 0 << 5 << Event::Tick
        << tooMany << Phase::Idle << true << false << 1 << 0 << nameAt(2) << 0;
    QTest::newRow("rolling: stop")
        << Phase::Rolling << Choice::Keep << 0 << 2 << Event::Stop
        << none << Phase::Idle << true << false << 1 << 1 << nameAt(2) << 0;
    QTest::newRow("idle: number box changed")
        << Phase::Idle << Choice::Keep << 1 << 2 << Event::NumberChanged
        << none << Phase::Idle << true << false << 1 << 0 << QString() << 0;
    QTest::newRow("rolling: number box changed")
        << Phase::Rolling << Choice::Keep << 0 << 2 << Event::NumberChanged
        << none << Phase::Rolling << true << true << 0 << 0 << nameAt(2) << 0;
    // clang-format on
}

void DrawControlTest::stateTable() {
    QFETCH(Phase, phase);
    QFETCH(Choice, choice);
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

    prepare(5, Choice::Keep, 2, {2, 4, 3, 1});
    if (phase == Phase::Rolling) {
        startAndPass();
        QCOMPARE(display(), nameAt(2));
    }
    state().skipTick = static_cast<Int16>(skipTick);
    state().drawSize = static_cast<Int16>(drawSize);
    choose(choice);
    QCOMPARE(rolling(), phase == Phase::Rolling);
    const qsizetype drawnBefore = m_random.drawn();

    switch (event) {
        case Event::Start:
            m_window->onStartClicked();
            break;
        case Event::Stop:
            m_window->onStopClicked();
            break;
        case Event::Tick:
            m_window->onRollTick();
            break;
        case Event::NumberChanged:
            setNumber(QStringLiteral("3"));
            break;
    }

    QCOMPARE(m_messages.shown(), message.isEmpty() ? QStringList{} : QStringList{message});
    QCOMPARE(rolling(), phaseAfter == Phase::Rolling);
    QCOMPARE(startButton()->isVisible(), startShown);
    QCOMPARE(stopButton()->isVisible(), stopShown);
    QCOMPARE(state().skipTick, static_cast<Int16>(skipTickAfter));
    QCOMPARE(state().drawNumber, static_cast<Int16>(drawNumberAfter));
    QCOMPARE(display(), displayAfter);
    QCOMPARE(m_random.drawn() - drawnBefore, drawsDuringEvent);
}

// After an import the first tick only clears the flag; the second runs the pass that refuses, and
// the display gets back the name of the last pass before the import.
void DrawControlTest::refusalAtFirstProductiveTick() {
    prepare(4, Choice::Keep, 1, {3});
    startAndPass();
    QCOMPARE(display(), nameAt(3));

    prepare(4, Choice::Keep, 4);
    QCOMPARE(display(), QString());
    m_window->onStartClicked();
    m_window->onRollTick();
    QVERIFY(m_messages.shown().isEmpty());
    QVERIFY(rolling());
    QCOMPARE(display(), QString());

    m_window->onRollTick();
    QCOMPARE(m_messages.shown(), QStringList{kTooManyText});
    QVERIFY(!rolling());
    QVERIFY(startButton()->isVisible());
    QVERIFY(!stopButton()->isVisible());
    QCOMPARE(state().skipTick, Int16{1});
    QCOMPARE(display(), nameAt(3));
    QCOMPARE(m_random.drawn(), 1);
}

void DrawControlTest::fiveStopsRotateThroughTheResultLists() {
    prepare(10, Choice::Keep, 1, {1, 2, 3, 4, 5});
    const QColor window = list(1)->palette().color(QPalette::Base);
    QVERIFY(window != MainWindow::kHighlightColour);
    QCOMPARE(backgroundOf(list(1)), window);

    const std::array<int, 5> expectedSlots{1, 2, 3, 4, 1};
    for (int stop = 1; stop <= 5; ++stop) {
        draw();
        const int slot = expectedSlots[static_cast<std::size_t>(stop - 1)];
        QCOMPARE(state().resultSlot, static_cast<Int16>(slot));
        QCOMPARE(heading(slot), QStringLiteral("第%1次抽中").arg(stop));
        QCOMPARE(lines(slot), names({stop}));
        QCOMPARE(display(), nameAt(stop));
        for (int other = 1; other <= 4; ++other) {
            QCOMPARE(backgroundOf(list(other)), other == slot ? MainWindow::kHighlightColour : window);
        }
    }
    // The fifth stop took over the first list and left the others as their stops filled them.
    QCOMPARE((QStringList{heading(0), heading(1), heading(2), heading(3), heading(4)}),
             (QStringList{"被抽名单：", "第5次抽中", "第2次抽中", "第3次抽中", "第4次抽中"}));
    QCOMPARE(lines(2), names({2}));
    QCOMPARE(state().drawNumber, Int16{5});
}

void DrawControlTest::removalKeepsPoolOrderAndCount() {
    prepare(10, Choice::Remove, 3, {7, 2, 9});
    draw();

    QCOMPARE(lines(1), names({7, 2, 9}));
    QCOMPARE(display(), nameAt(7));
    QCOMPARE(lines(0), names({1, 3, 4, 5, 6, 8, 10}));
    QCOMPARE(label(QStringLiteral("poolCountLabel")), QStringLiteral("7可抽值"));
    QCOMPARE(state().poolCount, Int16{7});
    for (int i = 1; i <= 7; ++i) {
        QCOMPARE(state().poolNames[static_cast<std::size_t>(i)], lines(0).at(i - 1));
    }
}

void DrawControlTest::optionCountsAtTheMomentOfStop_data() {
    QTest::addColumn<Choice>("atStart");
    QTest::addColumn<Choice>("atStop");
    QTest::addColumn<QStringList>("poolAfter");

    QTest::newRow("keep at start, remove at stop") << Choice::Keep << Choice::Remove << names({1, 3, 4});
    QTest::newRow("remove at start, keep at stop") << Choice::Remove << Choice::Keep << names({1, 2, 3, 4});
}

void DrawControlTest::optionCountsAtTheMomentOfStop() {
    QFETCH(Choice, atStart);
    QFETCH(Choice, atStop);
    QFETCH(QStringList, poolAfter);

    prepare(4, atStart, 1, {2});
    startAndPass();
    choose(atStop);
    m_window->onStopClicked();

    QCOMPARE(lines(1), names({2}));
    QCOMPARE(lines(0), poolAfter);
    QCOMPARE(label(QStringLiteral("poolCountLabel")), QStringLiteral("%1可抽值").arg(poolAfter.size()));
}

// Changing the number while the display rolls brings the start button up over the stop button;
// pressing it reads the new number, and the passes that follow take it.
void DrawControlTest::numberChangeWhileRolling() {
    prepare(8, Choice::Keep, 2, {1, 2, 3, 4, 5, 6});
    startAndPass();
    QCOMPARE(m_random.drawn(), 2);

    // A count that is refused leaves the draw rolling with its old count, and "结束" in reach.
    setNumber(QStringLiteral("abc"));
    m_window->onStartClicked();
    QCOMPARE(m_messages.shown(), QStringList{numberOutOfRangeText(8)});
    QVERIFY(rolling());
    QVERIFY(!startButton()->isVisible());
    QVERIFY(stopButton()->isVisible());
    QCOMPARE(m_window->focusWidget(), stopButton());
    QCOMPARE(state().drawSize, Int16{2});

    setNumber(QStringLiteral("4"));
    QVERIFY(startButton()->isVisible());
    QVERIFY(stopButton()->isVisible());
    QVERIFY(rolling());
    QCOMPARE(state().drawSize, Int16{2});

    m_window->onStartClicked();
    QVERIFY(!startButton()->isVisible());
    QVERIFY(stopButton()->isVisible());
    QCOMPARE(m_window->focusWidget(), stopButton());
    QVERIFY(rolling());
    QCOMPARE(state().drawSize, Int16{4});
    QCOMPARE(state().skipTick, Int16{0});

    m_window->onRollTick();
    QCOMPARE(m_random.drawn(), 6);
    QCOMPARE(display(), nameAt(3));
    m_window->onStopClicked();
    QCOMPARE(lines(1), names({3, 4, 5, 6}));
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
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    prepare(5, Choice::Remove, 1, {2});
    draw();
    const QStringList pool = names({1, 3, 4, 5});
    QCOMPARE(lines(0), pool);

    button(QStringLiteral("exportButton1"))->setFocus(); // a remote's Page Down presses "开始" from anywhere
    setNumber(number);
    m_window->onStartClicked();
    if (!atStart) {
        QVERIFY(m_messages.shown().isEmpty());
        m_window->onRollTick(); // swallowed after the stop
        m_window->onRollTick();
    }

    QCOMPARE(m_messages.shown(), QStringList{atStart ? numberOutOfRangeText(4) : kTooManyText});
    QVERIFY(!rolling());
    QVERIFY(startButton()->isVisible());
    QVERIFY(!stopButton()->isVisible());
    QCOMPARE(QApplication::focusWidget(), startButton());
    QCOMPARE(display(), nameAt(2));
    QCOMPARE(lines(0), pool);
    QCOMPARE(lines(1), names({2}));
    QCOMPARE(list(2)->count(), 0);
    QCOMPARE(heading(2), QStringLiteral("第2次抽中"));
    QCOMPARE(state().drawNumber, Int16{1});
    QCOMPARE(state().resultSlot, Int16{1});
    QCOMPARE(state().poolCount, Int16{4});
    QCOMPARE(state().skipTick, Int16{1});
    QCOMPARE(m_random.drawn(), 1);
    if (atStart) {
        QCOMPARE(state().drawSize, Int16{1});
    }

    m_messages.clear();
    m_random.append(unitsFor({3}, 4));
    setNumber(QStringLiteral("1"));
    draw();
    QVERIFY(m_messages.shown().isEmpty());
    QCOMPARE(lines(2), names({4}));
    QCOMPARE(heading(2), QStringLiteral("第2次抽中"));
    QCOMPARE(lines(0), names({1, 3, 5}));
}

// A stop right after a start, before any pass: it draws from the pool as it is now, shows the
// draw and records it, instead of listing the picks of the previous draw, whose names have left.
void DrawControlTest::stopBeforeFirstPassDrawsFromTheCurrentPool() {
    prepare(10, Choice::Remove, 3, {1, 2, 3});
    m_random.append(unitsFor({6, 1, 2}, 7));
    draw();
    QCOMPARE(lines(1), names({1, 2, 3}));
    QCOMPARE(lines(0), names({4, 5, 6, 7, 8, 9, 10}));

    // The pool is now 4..10; its positions 6, 1 and 2 hold 9, 4 and 5.
    m_window->onStartClicked();
    m_window->onStopClicked();
    QVERIFY(m_messages.shown().isEmpty());
    QCOMPARE(m_random.drawn(), 6);
    QCOMPARE(lines(2), names({9, 4, 5}));
    QCOMPARE(display(), nameAt(9));
    QCOMPARE(lines(0), names({6, 7, 8, 10}));
    QCOMPARE(label(QStringLiteral("poolCountLabel")), QStringLiteral("4可抽值"));
    QCOMPARE(state().drawNumber, Int16{2});
}

void DrawControlTest::stopBeforeFirstPassThatRefusesRecordsNothing() {
    prepare(3, Choice::Remove, 3);
    m_window->onStartClicked();
    m_window->onStopClicked();

    QCOMPARE(m_messages.shown(), QStringList{kTooManyText});
    QVERIFY(!rolling());
    QVERIFY(startButton()->isVisible());
    QVERIFY(!stopButton()->isVisible());
    QCOMPARE(state().drawNumber, Int16{0});
    QCOMPARE(state().resultSlot, Int16{0});
    QCOMPARE(state().skipTick, Int16{1});
    QCOMPARE(list(1)->count(), 0);
    QCOMPARE(heading(1), QStringLiteral("第1次抽中"));
    QVERIFY(backgroundOf(list(1)) != MainWindow::kHighlightColour);
    QCOMPARE(lines(0), names({1, 2, 3}));
    QCOMPARE(state().poolCount, Int16{3});
}

// A series counts its stops in 16 bits: the 32766th and the 32767th stop are filed as any other,
// under their number; a stop after the 32767th is refused and the draw rolls on until a new import
// starts a new series.
void DrawControlTest::lastStopsOfASeries_data() {
    QTest::addColumn<int>("stopsBefore");
    QTest::addColumn<bool>("filed");

    QTest::newRow("the 32766th stop") << 32765 << true;
    QTest::newRow("the 32767th stop") << 32766 << true;
    QTest::newRow("a stop after the 32767th") << 32767 << false;
}

void DrawControlTest::lastStopsOfASeries() {
    QFETCH(int, stopsBefore);
    QFETCH(bool, filed);
    prepare(4, Choice::Remove, 1, {2});
    startAndPass();
    state().drawNumber = static_cast<Int16>(stopsBefore);
    state().resultSlot = 3;

    m_window->onStopClicked();

    QCOMPARE(m_messages.shown(), filed ? QStringList{} : QStringList{kSeriesFullText});
    QCOMPARE(rolling(), !filed);
    QCOMPARE(state().drawNumber, static_cast<Int16>(filed ? stopsBefore + 1 : stopsBefore));
    QCOMPARE(state().resultSlot, static_cast<Int16>(filed ? 4 : 3));
    QCOMPARE(state().skipTick, static_cast<Int16>(filed ? 1 : 0));
    QCOMPARE(heading(4), filed ? QStringLiteral("第%1次抽中").arg(stopsBefore + 1) : QStringLiteral("第4次抽中"));
    QCOMPARE(lines(4), filed ? names({2}) : QStringList{});
    QCOMPARE(lines(0), filed ? names({1, 3, 4}) : names({1, 2, 3, 4}));

    // A new import starts a new series, and stops are filed again from the first list on.
    prepare(4, Choice::Remove, 1, {3});
    m_window->onStartClicked();
    m_window->onStopClicked();
    QCOMPARE(heading(1), QStringLiteral("第1次抽中"));
    QCOMPARE(lines(1), names({3}));
}

// Many start/tick/stop cycles with the real generator: after each stop the result list is a set of
// distinct names from the pool as it stood, and the pool list, the state and the count agree.
void DrawControlTest::thousandsOfCyclesKeepPoolAndListsConsistent() {
    ManualClock clock(1'700'000'000'000'000'000ULL);
    Xoshiro256Generator random(clock, 99);
    RecordingMessages messages;
    lotdraw::testing::FakeSpreadsheetApplication spreadsheet;
    MainWindow window({messages, spreadsheet, QString(), random});
    m_window.reset();

    constexpr int kCycles = 3000;
    const QStringList fullPool = numbered(QStringLiteral("名字"), 30);
    lotdraw::testing::loadPool(window, fullPool);
    int refusals = 0;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        const int count = window.drawState().poolCount;
        if (count < 3) {
            lotdraw::testing::loadPool(window, fullPool);
        }
        const bool remove = cycle % 3 == 0;
        window.setKeepChosen(!remove);
        window.setRemoveChosen(remove);
        // Now and then ask for the whole pool, which the first pass refuses.
        const int size = cycle % 50 == 49 ? window.drawState().poolCount : cycle % 5;
        window.setNumberText(QString::number(size));
        const QStringList before = linesOf(window, 0);

        window.onStartClicked();
        // Ticks come only while the timer runs; a start refused at once leaves it stopped.
        for (int tick = 0; tick < 1 + cycle % 3 && window.timerInterval() != FormControls::kStoppedInterval; ++tick) {
            clock.set(clock.reading() + 100'000'000);
            window.onRollTick();
        }
        if (window.timerInterval() == FormControls::kStoppedInterval) {
            ++refusals;
            continue;
        }
        const Int16 drawNumber = window.drawState().drawNumber;
        window.onStopClicked();
        if (messages.shown().size() > refusals) {
            // Every tick was swallowed, and the pass that the stop ran first refused.
            ++refusals;
            QCOMPARE(window.drawState().drawNumber, drawNumber);
            QCOMPARE(linesOf(window, 0), before);
            continue;
        }

        const QStringList drawn = linesOf(window, window.drawState().resultSlot);
        QCOMPARE(drawn.size(), size);
        QCOMPARE(QSet<QString>(drawn.cbegin(), drawn.cend()).size(), size);
        QStringList expectedPool = before;
        for (const QString &name : drawn) {
            QVERIFY(before.contains(name));
            if (remove) {
                expectedPool.removeOne(name);
            }
        }
        QCOMPARE(linesOf(window, 0), expectedPool);
        QCOMPARE(window.drawState().poolCount, static_cast<Int16>(expectedPool.size()));
    }
    QVERIFY(refusals > 0);
    QCOMPARE(messages.shown().size(), refusals);
}

QTEST_MAIN(DrawControlTest)
#include "draw_control_test.moc"

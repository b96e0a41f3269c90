#include "app/main_window.h"
#include "draw/random_generator.h"
#include "support/fake_spreadsheet.h"
#include "support/operator_texts.h"
#include "support/recording_messages.h"
#include "support/scripted_random.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <memory>

using lotdraw::DrawState;
using lotdraw::DrawStateProcedures;
using lotdraw::FormControls;
using lotdraw::Int16;
using lotdraw::MainWindow;
using lotdraw::Xoshiro256Generator;
using lotdraw::testing::kNoKeepChoiceText;
using lotdraw::testing::kSeriesFullText;
using lotdraw::testing::kTooManyText;
using lotdraw::testing::ManualClock;
using lotdraw::testing::numberOutOfRangeText;
using lotdraw::testing::RecordingMessages;
using lotdraw::testing::ScriptedGenerator;
using lotdraw::testing::unitFor;

namespace {

enum class Phase { Idle, Rolling };
enum class Choice { None, Keep, Remove };
enum class Event { Start, Stop, Tick, NumberChanged };

// The objectName of list 0 (the pool) or of result list 1..4, and of the heading over it.
QString listName(int index) {
    return index == 0 ? QStringLiteral("poolList") : QStringLiteral("resultList%1").arg(index);
}

QString headingName(int index) {
    return index == 0 ? QStringLiteral("poolHeading") : QStringLiteral("resultHeading%1").arg(index);
}

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

QStringList lines(const QListWidget *list) {
    QStringList result;
    for (int i = 0; i < list->count(); ++i) {
        result.append(list->item(i)->text());
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

// The colour a list is painted in, sampled low in the list where no line stands.
QColor backgroundOf(QListWidget *list) {
    const QImage image = list->grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() - 6);
}

} // namespace

Q_DECLARE_METATYPE(Phase)
Q_DECLARE_METATYPE(Choice)
Q_DECLARE_METATYPE(Event)

class DrawControlTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void stateTable_data();
    void stateTable();
    void buttonsReachTheHandlers();
    void firstTickAfterStopIsSwallowed();
    void refusalAtFirstProductiveTick();
    void fiveStopsRotateThroughTheResultLists();
    void removalKeepsPoolOrderAndCount();
    void keepLeavesThePoolAlone();
    void optionCountsAtTheMomentOfStop_data();
    void optionCountsAtTheMomentOfStop();
    void numberChangeWhileRolling();
    void startRefusesNumbersThatDoNotFit_data();
    void startRefusesNumbersThatDoNotFit();
    void stopBeforeFirstPassDrawsFromTheCurrentPool();
    void stopBeforeFirstPassThatRefusesRecordsNothing();
    void stopRefusedWhenTheSeriesIsFull();
    void thousandsOfCyclesKeepPoolAndListsConsistent();

private:
    // What the import does around its reading of the workbook: reset, fill the pool, refill the
    // pool list and show the count.
    void loadPool(int count);
    void choose(Choice choice);
    void setNumber(const QString &text) {
        m_window->findChild<QLineEdit *>(QStringLiteral("drawCountBox"))->setText(text);
    }

    [[nodiscard]] QPushButton *startButton() const { return button("startButton"); }
    [[nodiscard]] QPushButton *stopButton() const { return button("stopButton"); }
    [[nodiscard]] QPushButton *button(const char *name) const {
        return m_window->findChild<QPushButton *>(QString::fromLatin1(name));
    }
    [[nodiscard]] QTimer *timer() const { return m_window->findChild<QTimer *>(QStringLiteral("rollTimer")); }
    [[nodiscard]] bool rolling() const { return timer()->isActive() && timer()->interval() == 100; }
    [[nodiscard]] QString display() const { return label("rollingDisplay"); }
    [[nodiscard]] QString label(const QString &name) const { return m_window->findChild<QLabel *>(name)->text(); }
    [[nodiscard]] QString heading(int index) const { return label(headingName(index)); }
    [[nodiscard]] QListWidget *list(int index) const { return m_window->findChild<QListWidget *>(listName(index)); }
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

void DrawControlTest::loadPool(int count) {
    m_window->resetForNewSeries();
    for (int i = 1; i <= count; ++i) {
        state().poolNames[static_cast<std::size_t>(i)] = nameAt(i);
    }
    state().poolCount = static_cast<Int16>(count);
    m_window->refillPoolList();
    m_window->setPoolCountText(DrawStateProcedures::poolCountText(count));
}

void DrawControlTest::choose(Choice choice) {
    m_window->setKeepChosen(choice == Choice::Keep);
    m_window->setRemoveChosen(choice == Choice::Remove);
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

    m_random.append(unitsFor({2, 4, 3, 1}, 5));
    loadPool(5);
    choose(Choice::Keep);
    setNumber(QStringLiteral("2"));
    if (phase == Phase::Rolling) {
        m_window->onStartClicked();
        m_window->onRollTick(); // swallowed after the import's reset
        m_window->onRollTick();
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

void DrawControlTest::buttonsReachTheHandlers() {
    m_random.append(unitsFor({1}, 3));
    loadPool(3);
    choose(Choice::Keep);
    QTest::keyClicks(m_window->findChild<QLineEdit *>(QStringLiteral("drawCountBox")), QStringLiteral("1"));

    QTest::mouseClick(startButton(), Qt::LeftButton);
    QVERIFY(rolling());
    QVERIFY(stopButton()->isVisible());
    QCOMPARE(m_window->focusWidget(), stopButton());
    QCOMPARE(state().drawSize, Int16{1});

    QTest::mouseClick(stopButton(), Qt::LeftButton);
    QVERIFY(!rolling());
    QVERIFY(startButton()->isVisible());
    QCOMPARE(m_window->focusWidget(), startButton());
    QCOMPARE(lines(list(1)), names({1}));
}

void DrawControlTest::firstTickAfterStopIsSwallowed() {
    m_random.append(unitsFor({2, 5, 1}, 6));
    loadPool(6);
    choose(Choice::Keep);
    setNumber(QStringLiteral("1"));
    m_window->onStartClicked();
    m_window->onRollTick();
    m_window->onRollTick();
    QCOMPARE(display(), nameAt(2));
    m_window->onStopClicked();
    QCOMPARE(state().skipTick, Int16{1});

    m_window->onStartClicked();
    m_window->onRollTick();
    QCOMPARE(display(), nameAt(2));
    QCOMPARE(m_random.drawn(), 1);
    QCOMPARE(state().skipTick, Int16{0});
    m_window->onRollTick();
    QCOMPARE(display(), nameAt(5));
    m_window->onRollTick();
    QCOMPARE(display(), nameAt(1));
}

// After an import the first tick only clears the flag; the second runs the pass that refuses, and
// the display gets back the name of the last pass before the import.
void DrawControlTest::refusalAtFirstProductiveTick() {
    m_random.append(unitsFor({3}, 4));
    loadPool(4);
    choose(Choice::Keep);
    setNumber(QStringLiteral("1"));
    m_window->onStartClicked();
    m_window->onRollTick();
    m_window->onRollTick();
    QCOMPARE(display(), nameAt(3));

    loadPool(4);
    QCOMPARE(display(), QString());
    choose(Choice::Keep);
    setNumber(QStringLiteral("4"));
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
    m_random.append(unitsFor({1, 2, 3, 4, 5}, 10));
    loadPool(10);
    choose(Choice::Keep);
    setNumber(QStringLiteral("1"));
    const QColor window = list(1)->palette().color(QPalette::Base);
    QVERIFY(window != MainWindow::kHighlightColour);
    QCOMPARE(backgroundOf(list(1)), window);

    const std::array<int, 5> expectedSlots{1, 2, 3, 4, 1};
    for (int stop = 1; stop <= 5; ++stop) {
        m_window->onStartClicked();
        m_window->onRollTick();
        m_window->onRollTick();
        m_window->onStopClicked();

        const int slot = expectedSlots[static_cast<std::size_t>(stop - 1)];
        QCOMPARE(state().resultSlot, static_cast<Int16>(slot));
        QCOMPARE(heading(slot), QStringLiteral("第%1次抽中").arg(stop));
        QCOMPARE(lines(list(slot)), names({stop}));
        QCOMPARE(display(), nameAt(stop));
        for (int other = 1; other <= 4; ++other) {
            QCOMPARE(backgroundOf(list(other)), other == slot ? MainWindow::kHighlightColour : window);
        }
    }
    QCOMPARE(heading(1), QStringLiteral("第5次抽中"));
    QCOMPARE(heading(2), QStringLiteral("第2次抽中"));
    QCOMPARE(heading(3), QStringLiteral("第3次抽中"));
    QCOMPARE(heading(4), QStringLiteral("第4次抽中"));
    QCOMPARE(heading(0), QStringLiteral("被抽名单："));
    QCOMPARE(lines(list(2)), names({2}));
    QCOMPARE(state().drawNumber, Int16{5});
}

void DrawControlTest::removalKeepsPoolOrderAndCount() {
    m_random.append(unitsFor({7, 2, 9}, 10));
    loadPool(10);
    choose(Choice::Remove);
    setNumber(QStringLiteral("3"));
    m_window->onStartClicked();
    m_window->onRollTick();
    m_window->onRollTick();
    m_window->onStopClicked();

    QCOMPARE(lines(list(1)), names({7, 2, 9}));
    QCOMPARE(display(), nameAt(7));
    QCOMPARE(lines(list(0)), names({1, 3, 4, 5, 6, 8, 10}));
    QCOMPARE(label(QStringLiteral("poolCountLabel")), QStringLiteral("7可抽值"));
    QCOMPARE(state().poolCount, Int16{7});
    for (int i = 1; i <= 7; ++i) {
        QCOMPARE(state().poolNames[static_cast<std::size_t>(i)], list(0)->item(i - 1)->text());
    }
}

void DrawControlTest::keepLeavesThePoolAlone() {
    m_random.append(unitsFor({4, 1, 4, 1}, 5));
    loadPool(5);
    choose(Choice::Keep);
    setNumber(QStringLiteral("2"));
    for (int stop = 1; stop <= 2; ++stop) {
        m_window->onStartClicked();
        m_window->onRollTick();
        m_window->onRollTick();
        m_window->onStopClicked();
        QCOMPARE(lines(list(stop)), names({4, 1}));
    }
    QCOMPARE(lines(list(0)), names({1, 2, 3, 4, 5}));
    QCOMPARE(label(QStringLiteral("poolCountLabel")), QStringLiteral("5可抽值"));
    QCOMPARE(state().poolCount, Int16{5});
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

    m_random.append(unitsFor({2}, 4));
    loadPool(4);
    choose(atStart);
    setNumber(QStringLiteral("1"));
    m_window->onStartClicked();
    m_window->onRollTick();
    m_window->onRollTick();
    choose(atStop);
    m_window->onStopClicked();

    QCOMPARE(lines(list(1)), names({2}));
    QCOMPARE(lines(list(0)), poolAfter);
    QCOMPARE(label(QStringLiteral("poolCountLabel")), QStringLiteral("%1可抽值").arg(poolAfter.size()));
}

// Changing the number while the display rolls brings the start button up over the stop button;
// pressing it reads the new number, and the passes that follow take it.
void DrawControlTest::numberChangeWhileRolling() {
    m_random.append(unitsFor({1, 2, 3, 4, 5, 6}, 8));
    loadPool(8);
    choose(Choice::Keep);
    setNumber(QStringLiteral("2"));
    m_window->onStartClicked();
    m_window->onRollTick();
    m_window->onRollTick();
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
    QCOMPARE(lines(list(1)), names({3, 4, 5, 6}));
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
    m_random.append(unitsFor({2}, 5));
    loadPool(5);
    choose(Choice::Remove);
    setNumber(QStringLiteral("1"));
    m_window->onStartClicked();
    m_window->onRollTick();
    m_window->onRollTick();
    m_window->onStopClicked();
    const QStringList pool = names({1, 3, 4, 5});
    QCOMPARE(lines(list(0)), pool);

    button("exportButton1")->setFocus(); // a remote's Page Down presses "开始" from anywhere
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
    QCOMPARE(lines(list(0)), pool);
    QCOMPARE(lines(list(1)), names({2}));
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
    m_window->onStartClicked();
    m_window->onRollTick();
    m_window->onRollTick();
    m_window->onStopClicked();
    QVERIFY(m_messages.shown().isEmpty());
    QCOMPARE(lines(list(2)), names({4}));
    QCOMPARE(heading(2), QStringLiteral("第2次抽中"));
    QCOMPARE(lines(list(0)), names({1, 3, 5}));
}

// A stop right after a start, before any pass: it draws from the pool as it is now, shows the
// draw and records it, instead of listing the picks of the previous draw, whose names have left.
void DrawControlTest::stopBeforeFirstPassDrawsFromTheCurrentPool() {
    m_random.append(unitsFor({1, 2, 3}, 10));
    m_random.append(unitsFor({6, 1, 2}, 7));
    loadPool(10);
    choose(Choice::Remove);
    setNumber(QStringLiteral("3"));
    m_window->onStartClicked();
    m_window->onRollTick();
    m_window->onRollTick();
    m_window->onStopClicked();
    QCOMPARE(lines(list(1)), names({1, 2, 3}));
    QCOMPARE(lines(list(0)), names({4, 5, 6, 7, 8, 9, 10}));

    // The pool is now 4..10; its positions 6, 1 and 2 hold 9, 4 and 5.
    m_window->onStartClicked();
    m_window->onStopClicked();
    QVERIFY(m_messages.shown().isEmpty());
    QCOMPARE(m_random.drawn(), 6);
    QCOMPARE(lines(list(2)), names({9, 4, 5}));
    QCOMPARE(display(), nameAt(9));
    QCOMPARE(lines(list(0)), names({6, 7, 8, 10}));
    QCOMPARE(label(QStringLiteral("poolCountLabel")), QStringLiteral("4可抽值"));
    QCOMPARE(state().drawNumber, Int16{2});
}

void DrawControlTest::stopBeforeFirstPassThatRefusesRecordsNothing() {
    loadPool(3);
    choose(Choice::Remove);
    setNumber(QStringLiteral("3"));
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
    QCOMPARE(lines(list(0)), names({1, 2, 3}));
    QCOMPARE(state().poolCount, Int16{3});
}

void DrawControlTest::stopRefusedWhenTheSeriesIsFull() {
    m_random.append(unitsFor({2}, 4));
    loadPool(4);
    choose(Choice::Remove);
    setNumber(QStringLiteral("1"));
    m_window->onStartClicked();
    m_window->onRollTick();
    m_window->onRollTick();
    state().drawNumber = INT16_MAX;
    state().resultSlot = 3;

    m_window->onStopClicked();

    QCOMPARE(m_messages.shown(), QStringList{kSeriesFullText});
    QVERIFY(rolling());
    QCOMPARE(state().drawNumber, Int16{INT16_MAX});
    QCOMPARE(state().resultSlot, Int16{3});
    QCOMPARE(state().skipTick, Int16{0});
    QCOMPARE(list(4)->count(), 0);
    QCOMPARE(heading(4), QStringLiteral("第4次抽中"));
    QCOMPARE(lines(list(0)), names({1, 2, 3, 4}));

    // A new import starts a new series, and stops are recorded again.
    m_random.append(unitsFor({3}, 4));
    loadPool(4);
    choose(Choice::Remove);
    setNumber(QStringLiteral("1"));
    m_window->onStartClicked();
    m_window->onStopClicked();
    QCOMPARE(heading(1), QStringLiteral("第1次抽中"));
    QCOMPARE(lines(list(1)), names({3}));
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

    auto *pool = window.findChild<QListWidget *>(QStringLiteral("poolList"));
    const auto fill = [&window](int count) {
        window.resetForNewSeries();
        for (int i = 1; i <= count; ++i) {
            window.drawState().poolNames[static_cast<std::size_t>(i)] = nameAt(i);
        }
        window.drawState().poolCount = static_cast<Int16>(count);
        window.refillPoolList();
    };
    constexpr int kCycles = 3000;
    constexpr int kPool = 30;
    fill(kPool);
    int refusals = 0;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        const int count = window.drawState().poolCount;
        if (count < 3) {
            fill(kPool);
        }
        const bool remove = cycle % 3 == 0;
        window.setKeepChosen(!remove);
        window.setRemoveChosen(remove);
        // Now and then ask for the whole pool, which the first pass refuses.
        const int size = cycle % 50 == 49 ? window.drawState().poolCount : cycle % 5;
        window.setNumberText(QString::number(size));
        const QStringList before = lines(pool);

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
            QCOMPARE(lines(pool), before);
            continue;
        }

        const int slot = window.drawState().resultSlot;
        const QStringList drawn = lines(window.findChild<QListWidget *>(listName(slot)));
        QCOMPARE(drawn.size(), size);
        QCOMPARE(QSet<QString>(drawn.cbegin(), drawn.cend()).size(), size);
        QStringList expectedPool = before;
        for (const QString &name : drawn) {
            QVERIFY(before.contains(name));
            if (remove) {
                expectedPool.removeOne(name);
            }
        }
        QCOMPARE(lines(pool), expectedPool);
        QCOMPARE(window.drawState().poolCount, static_cast<Int16>(expectedPool.size()));
    }
    QVERIFY(refusals > 0);
    QCOMPARE(messages.shown().size(), refusals);
}

QTEST_MAIN(DrawControlTest)
#include "draw_control_test.moc"

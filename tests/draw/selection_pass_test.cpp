#include "draw/selection_pass.h"
#include "support/fake_form_controls.h"
#include "support/numbered_names.h"
#include "support/operator_texts.h"
#include "support/recording_messages.h"
#include "support/scripted_random.h"

#include <QTest>
#include <cmath>

using lotdraw::DrawState;
using lotdraw::FormControls;
using lotdraw::Int16;
using lotdraw::SelectionPass;
using lotdraw::testing::FakeFormControls;
using lotdraw::testing::kTooManyText;
using lotdraw::testing::RecordingMessages;
using lotdraw::testing::ScriptedGenerator;
using lotdraw::testing::unitFor;

namespace {

QString nameAt(int position) {
    return QStringLiteral("名字%1").arg(position);
}

void fillPool(DrawState &state, int count) {
    lotdraw::testing::fillPool(state, lotdraw::testing::numbered(QStringLiteral("名字"), count));
}

// The largest single-precision value below 1.
const float kBelowOne = std::nextafter(1.0F, 0.0F);

} // namespace

class SelectionPassTest : public QObject {
    Q_OBJECT

private slots:
    void init();

    void guard_data();
    void guard();
    void refusalLeavesSelectionAndStopsTheDisplay();
    void redrawsRepeatTheReseed();
    void singleDrawLeavesLaterPicks();
    void candidateFromUnit_data();
    void candidateFromUnit();
    void nothingChosenShowsTheOldFirstPick();

private:
    DrawState m_state;
    FakeFormControls m_controls;
    RecordingMessages m_messages;
};

void SelectionPassTest::init() {
    m_state = DrawState{};
    m_controls = FakeFormControls{};
    m_messages.clear();
    m_controls.setStartVisible(false);
    m_controls.setStopVisible(true);
    m_controls.setTimerInterval(FormControls::kRollingInterval);
}

void SelectionPassTest::guard_data() {
    QTest::addColumn<int>("poolCount");
    QTest::addColumn<int>("drawSize");
    QTest::addColumn<bool>("refused");

    QTest::newRow("empty pool, draw 0") << 0 << 0 << true;
    QTest::newRow("empty pool, negative draw") << 0 << -1 << false;
    QTest::newRow("draw equals pool") << 5 << 5 << true;
    QTest::newRow("draw above pool") << 5 << 9 << true;
    QTest::newRow("draw one below pool") << 5 << 4 << false;
    QTest::newRow("pool of one, draw 1") << 1 << 1 << true;
    QTest::newRow("pool of one, draw 0") << 1 << 0 << false;
    QTest::newRow("full 16-bit draw") << 99 << 32767 << true;
}

void SelectionPassTest::guard() {
    QFETCH(int, poolCount);
    QFETCH(int, drawSize);
    QFETCH(bool, refused);

    fillPool(m_state, poolCount);
    m_state.drawSize = static_cast<Int16>(drawSize);
    QList<float> script;
    for (int i = 0; i < std::max(drawSize, 0); ++i) {
        script.append(unitFor(i + 1, poolCount));
    }
    ScriptedGenerator random(script);
    SelectionPass pass(m_state, m_controls, m_messages, random);

    const auto outcome = pass.runSelectionPass();

    QCOMPARE(outcome == SelectionPass::Outcome::Refused, refused);
    QCOMPARE(m_messages.shown(), refused ? QStringList{kTooManyText} : QStringList{});
    QCOMPARE(m_controls.timerInterval(), refused ? FormControls::kStoppedInterval : FormControls::kRollingInterval);
    QCOMPARE(m_controls.isStartVisible(), refused);
    QCOMPARE(m_controls.isStopVisible(), !refused);
    QCOMPARE(m_state.skipTick, static_cast<Int16>(refused ? 1 : 0));
    QCOMPARE(random.drawn(), refused ? 0 : std::max(drawSize, 0));
    QCOMPARE(pass.selectionsMade(), refused ? 0U : 1U);
}

void SelectionPassTest::refusalLeavesSelectionAndStopsTheDisplay() {
    fillPool(m_state, 3);
    m_state.picks = {0, 2, 3, 1};
    m_state.shownName = nameAt(2);
    m_state.drawSize = 3;
    ScriptedGenerator random;
    SelectionPass pass(m_state, m_controls, m_messages, random);

    QCOMPARE(pass.runSelectionPass(), SelectionPass::Outcome::Refused);
    QCOMPARE(m_state.picks[1], Int16{2});
    QCOMPARE(m_state.picks[2], Int16{3});
    QCOMPARE(m_state.picks[3], Int16{1});
    QCOMPARE(m_state.shownName, nameAt(2));
    QCOMPARE(random.reseeds(), 0);
}

// A candidate equal to an earlier pick is drawn again, and every draw, the repeated ones too, comes
// right after its own reseed.
void SelectionPassTest::redrawsRepeatTheReseed() {
    fillPool(m_state, 10);
    m_state.picks[4] = 9;
    m_state.drawSize = 3;
    ScriptedGenerator random(
        {unitFor(4, 10), unitFor(4, 10), unitFor(7, 10), unitFor(4, 10), unitFor(7, 10), unitFor(2, 10)});
    SelectionPass pass(m_state, m_controls, m_messages, random);

    QCOMPARE(pass.runSelectionPass(), SelectionPass::Outcome::Selected);
    QCOMPARE(m_state.picks[1], Int16{4});
    QCOMPARE(m_state.picks[2], Int16{7});
    QCOMPARE(m_state.picks[3], Int16{2});
    QCOMPARE(m_state.picks[4], Int16{9});
    QCOMPARE(m_state.shownName, nameAt(4));
    QCOMPARE(random.drawn(), 6);
    QCOMPARE(random.reseeds(), 6);
    QVERIFY(m_messages.shown().isEmpty());
}

void SelectionPassTest::singleDrawLeavesLaterPicks() {
    fillPool(m_state, 10);
    m_state.picks = {0, 1, 2, 3};
    m_state.drawSize = 1;
    ScriptedGenerator random({unitFor(1, 10)});
    SelectionPass pass(m_state, m_controls, m_messages, random);

    QCOMPARE(pass.runSelectionPass(), SelectionPass::Outcome::Selected);
    QCOMPARE(m_state.picks[1], Int16{1});
    QCOMPARE(m_state.picks[2], Int16{2});
    QCOMPARE(m_state.picks[3], Int16{3});
    QCOMPARE(m_state.shownName, nameAt(1));
    QCOMPARE(random.reseeds(), 1);
}

// r = floor(poolCount x u + 1) in double. For pools of 2 and 64 the largest u would reach
// poolCount + 1 if the product and the sum were rounded to single precision on the way.
void SelectionPassTest::candidateFromUnit_data() {
    QTest::addColumn<int>("poolCount");
    QTest::addColumn<float>("u");
    QTest::addColumn<int>("expected");

    QTest::newRow("zero gives the first") << 10 << 0.0F << 1;
    QTest::newRow("just below a boundary") << 10 << std::nextafter(0.1F, 0.0F) << 1;
    QTest::newRow("0.1 in single precision lies above a tenth") << 10 << 0.1F << 2;
    QTest::newRow("largest u, pool 2") << 2 << kBelowOne << 2;
    QTest::newRow("largest u, pool 10") << 10 << kBelowOne << 10;
    QTest::newRow("largest u, pool 64") << 64 << kBelowOne << 64;
    QTest::newRow("largest u, pool 99") << 99 << kBelowOne << 99;
    QTest::newRow("middle, pool 99") << 99 << 0.5F << 50;
}

void SelectionPassTest::candidateFromUnit() {
    QFETCH(int, poolCount);
    QFETCH(float, u);
    QFETCH(int, expected);

    fillPool(m_state, poolCount);
    m_state.drawSize = 1;
    ScriptedGenerator random({u});
    SelectionPass pass(m_state, m_controls, m_messages, random);

    QCOMPARE(pass.runSelectionPass(), SelectionPass::Outcome::Selected);
    QCOMPARE(m_state.picks[1], static_cast<Int16>(expected));
    QCOMPARE(m_state.shownName, nameAt(expected));
}

// A draw of 0 or fewer chooses nothing and shows whatever the first pick still points at: the empty
// text before any pass, or a position that has since left the pool.
void SelectionPassTest::nothingChosenShowsTheOldFirstPick() {
    fillPool(m_state, 5);
    m_state.drawSize = 0;
    ScriptedGenerator random;
    SelectionPass pass(m_state, m_controls, m_messages, random);

    QCOMPARE(pass.runSelectionPass(), SelectionPass::Outcome::Selected);
    QCOMPARE(m_state.shownName, QString());

    m_state.picks[1] = 7;
    m_state.poolNames[7] = QStringLiteral("已离开");
    m_state.drawSize = -2;
    m_state.shownName = QStringLiteral("旧");
    QCOMPARE(pass.runSelectionPass(), SelectionPass::Outcome::Selected);
    QCOMPARE(m_state.shownName, QStringLiteral("已离开"));
    QCOMPARE(random.reseeds(), 0);
}

QTEST_GUILESS_MAIN(SelectionPassTest)
#include "selection_pass_test.moc"

#include "support/draw_fixture.h"
#include "support/numbered_names.h"
#include "support/operator_texts.h"
#include "support/scripted_random.h"

#include <QTest>
#include <cmath>
#include <memory>

using lotdraw::FormControls;
using lotdraw::Int16;
using lotdraw::SelectionPass;
using lotdraw::testing::DrawFixture;
using lotdraw::testing::kTooManyText;
using lotdraw::testing::ScriptedGenerator;
using lotdraw::testing::unitFor;

namespace {

QString nameAt(int position) {
    return QStringLiteral("名字%1").arg(position);
}

// The largest single-precision value below 1.
const float kBelowOne = std::nextafter(1.0F, 0.0F);

} // namespace

class SelectionPassTest : public QObject {
    Q_OBJECT

private slots:
    void guard_data();
    void guard();
    void redrawsRepeatTheReseed();
    void singleDrawLeavesLaterPicks();
    void candidateFromUnit_data();
    void candidateFromUnit();
    void nothingChosenShowsTheOldFirstPick();

private:
    // A rolling draw on a pool of numbered names; its passes draw the values u given.
    SelectionPass &rolling(int poolCount, int drawSize, const QList<float> &units = {}) {
        m_random = ScriptedGenerator(units);
        m = std::make_unique<DrawFixture>(m_random);
        m->event.setPool(lotdraw::testing::numbered(QStringLiteral("名字"), poolCount));
        m->state.drawSize = static_cast<Int16>(drawSize);
        m->controls.setStartVisible(false);
        m->controls.setTimerInterval(FormControls::kRollingInterval);
        return m->pass;
    }

    ScriptedGenerator m_random;
    std::unique_ptr<DrawFixture> m;
};

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
    QList<float> script;
    for (int i = 0; i < std::max(drawSize, 0); ++i) {
        script.append(unitFor(i + 1, poolCount));
    }
    SelectionPass &pass = rolling(poolCount, drawSize, script);
    m->state.picks = {0, 3, 2};
    m->state.shownName = QStringLiteral("旧");

    const auto outcome = pass.runSelectionPass();

    QCOMPARE(outcome == SelectionPass::Outcome::Refused, refused);
    QCOMPARE(m->messages.shown(), refused ? QStringList{kTooManyText} : QStringList{});
    QCOMPARE(m->controls.timerInterval(), refused ? FormControls::kStoppedInterval : FormControls::kRollingInterval);
    QCOMPARE(m->controls.isStartVisible(), refused);
    QCOMPARE(m->controls.isStopVisible(), !refused);
    QCOMPARE(m->state.skipTick, static_cast<Int16>(refused ? 1 : 0));
    QCOMPARE(m_random.drawn(), refused ? 0 : std::max(drawSize, 0));
    QCOMPARE(pass.selectionsMade(), refused ? 0U : 1U);
    // A refusal leaves the selection and the name on the display as they were.
    QCOMPARE(m->state.picks[1], Int16(refused || drawSize < 1 ? 3 : 1));
    const int shown = m->state.picks[1];
    QCOMPARE(m->state.shownName, refused ? QStringLiteral("旧") : shown <= poolCount ? nameAt(shown) : QString());
}

// A candidate equal to an earlier pick is drawn again, and every draw, the repeated ones too, comes
// right after its own reseed.
void SelectionPassTest::redrawsRepeatTheReseed() {
    SelectionPass &pass = rolling(
        10, 3, {unitFor(4, 10), unitFor(4, 10), unitFor(7, 10), unitFor(4, 10), unitFor(7, 10), unitFor(2, 10)});
    m->state.picks[4] = 9;

    QCOMPARE(pass.runSelectionPass(), SelectionPass::Outcome::Selected);
    QCOMPARE(m->state.picks[1], Int16{4});
    QCOMPARE(m->state.picks[2], Int16{7});
    QCOMPARE(m->state.picks[3], Int16{2});
    QCOMPARE(m->state.picks[4], Int16{9});
    QCOMPARE(m->state.shownName, nameAt(4));
    QCOMPARE(m_random.drawn(), 6);
    QCOMPARE(m_random.reseeds(), 6);
    QVERIFY(m->messages.shown().isEmpty());
}

void SelectionPassTest::singleDrawLeavesLaterPicks() {
    SelectionPass &pass = rolling(10, 1, {unitFor(1, 10)});
    m->state.picks = {0, 1, 2, 3};

    QCOMPARE(pass.runSelectionPass(), SelectionPass::Outcome::Selected);
    QCOMPARE(m->state.picks[1], Int16{1});
    QCOMPARE(m->state.picks[2], Int16{2});
    QCOMPARE(m->state.picks[3], Int16{3});
    QCOMPARE(m->state.shownName, nameAt(1));
    QCOMPARE(m_random.reseeds(), 1);
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
    SelectionPass &pass = rolling(poolCount, 1, {u});

    QCOMPARE(pass.runSelectionPass(), SelectionPass::Outcome::Selected);
    QCOMPARE(m->state.picks[1], static_cast<Int16>(expected));
    QCOMPARE(m->state.shownName, nameAt(expected));
}

// A draw of 0 or fewer chooses nothing and shows whatever the first pick still points at: the
// empty text before any pass or where the pick lies past the pool's end, else the name there.
void SelectionPassTest::nothingChosenShowsTheOldFirstPick() {
    SelectionPass &pass = rolling(5, 0);

    QCOMPARE(pass.runSelectionPass(), SelectionPass::Outcome::Selected);
    QCOMPARE(m->state.shownName, QString());

    m->state.drawSize = -2;
    m->state.picks[1] = 4;
    QCOMPARE(pass.runSelectionPass(), SelectionPass::Outcome::Selected);
    QCOMPARE(m->state.shownName, nameAt(4));
    m->state.picks[1] = 7;
    QCOMPARE(pass.runSelectionPass(), SelectionPass::Outcome::Selected);
    QCOMPARE(m->state.shownName, QString());
    QCOMPARE(m_random.reseeds(), 0);
}

QTEST_GUILESS_MAIN(SelectionPassTest)
#include "selection_pass_test.moc"

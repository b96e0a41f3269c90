#include "chi_square.h"
#include "draw/random_generator.h"
#include "support/draw_fixture.h"
#include "support/numbered_names.h"
#include "support/scripted_random.h"

#include <QMap>
#include <QTest>
#include <algorithm>
#include <vector>

using lotdraw::Int16;
using lotdraw::SelectionPass;
using lotdraw::Xoshiro256Generator;
using lotdraw::testing::chiSquareAgainstUniform;
using lotdraw::testing::chiSquareTail;
using lotdraw::testing::ManualClock;

namespace {

// Every check below is a chi-square test at this level, on a fixed seed so that runs repeat.
constexpr double kLevel = 0.001;
constexpr std::uint64_t kSeed = 20261207;

// How the clock moves while passes run: frozen for the whole run, or one step between passes as
// the ticks of the rolling display would see it.
enum class ClockMode { Frozen, TicksBetweenPasses };

// Runs passes on a pool of numbered positions with the real generator.
class PassRunner {
public:
    PassRunner(int poolCount, int drawSize, ClockMode mode)
        : m_mode(mode)
        , m_random(m_clock, kSeed)
        , m_draw(m_random) {
        m_draw.event.setPool(lotdraw::testing::numbered(QString(), poolCount));
        m_draw.state.drawSize = static_cast<Int16>(drawSize);
    }

    // One pass; returns picks(1..drawSize).
    std::vector<int> run() {
        if (m_mode == ClockMode::TicksBetweenPasses) {
            m_clock.set(m_clock.reading() + 100'000'000);
        }
        if (m_draw.pass.runSelectionPass() != SelectionPass::Outcome::Selected) {
            throw std::logic_error("a pass that should select refused");
        }
        std::vector<int> picks;
        for (int i = 1; i <= m_draw.state.drawSize; ++i) {
            picks.push_back(m_draw.state.picks[static_cast<std::size_t>(i)]);
        }
        return picks;
    }

private:
    ClockMode m_mode;
    ManualClock m_clock{1'700'000'000'000'000'000ULL};
    Xoshiro256Generator m_random;
    lotdraw::testing::DrawFixture m_draw;
};

} // namespace

Q_DECLARE_METATYPE(ClockMode)

class FairnessTest : public QObject {
    Q_OBJECT

private slots:
    void chiSquareTailMatchesTables_data();
    void chiSquareTailMatchesTables();
    void everyPositionIsUniform_data();
    void everyPositionIsUniform();
    void everySubsetIsEquallyLikely_data();
    void everySubsetIsEquallyLikely();
    void frozenClockReseedsReachEveryPosition();
};

// The fairness checks are only as good as this tail; compare it with published critical values.
void FairnessTest::chiSquareTailMatchesTables_data() {
    QTest::addColumn<double>("statistic");
    QTest::addColumn<int>("degreesOfFreedom");
    QTest::addColumn<double>("tail");

    QTest::newRow("1 df at 0.001") << 10.828 << 1 << 0.001;
    QTest::newRow("9 df at 0.001") << 27.877 << 9 << 0.001;
    QTest::newRow("9 df at 0.05") << 16.919 << 9 << 0.05;
    QTest::newRow("19 df at 0.001") << 43.820 << 19 << 0.001;
    QTest::newRow("100 df at 0.001") << 149.449 << 100 << 0.001;
    QTest::newRow("100 df at 0.5") << 99.334 << 100 << 0.5;
}

void FairnessTest::chiSquareTailMatchesTables() {
    QFETCH(double, statistic);
    QFETCH(int, degreesOfFreedom);
    QFETCH(double, tail);
    const double computed = chiSquareTail(statistic, degreesOfFreedom);
    QVERIFY2(std::abs(computed - tail) < tail * 0.01, qPrintable(QString::number(computed)));
}

void FairnessTest::everyPositionIsUniform_data() {
    QTest::addColumn<int>("poolCount");
    QTest::addColumn<int>("drawSize");
    QTest::addColumn<int>("passes");
    QTest::addColumn<ClockMode>("clock");

    QTest::newRow("pool 2, draw 1") << 2 << 1 << 20000 << ClockMode::TicksBetweenPasses;
    QTest::newRow("pool 10, draw 1") << 10 << 1 << 20000 << ClockMode::TicksBetweenPasses;
    QTest::newRow("pool 10, draw 5") << 10 << 5 << 20000 << ClockMode::TicksBetweenPasses;
    QTest::newRow("pool 10, draw 9") << 10 << 9 << 20000 << ClockMode::TicksBetweenPasses;
    QTest::newRow("pool 99, draw 1") << 99 << 1 << 5000 << ClockMode::TicksBetweenPasses;
    QTest::newRow("pool 99, draw 50") << 99 << 50 << 5000 << ClockMode::TicksBetweenPasses;
    QTest::newRow("pool 99, draw 98") << 99 << 98 << 5000 << ClockMode::TicksBetweenPasses;
    QTest::newRow("pool 10, draw 9, frozen clock") << 10 << 9 << 20000 << ClockMode::Frozen;
    QTest::newRow("pool 99, draw 98, frozen clock") << 99 << 98 << 5000 << ClockMode::Frozen;
}

// Each position of the selection, taken on its own, must be uniform over the pool: the first pick
// that the audience sees, and every later one that goes into the result list.
void FairnessTest::everyPositionIsUniform() {
    QFETCH(int, poolCount);
    QFETCH(int, drawSize);
    QFETCH(int, passes);
    QFETCH(ClockMode, clock);

    PassRunner runner(poolCount, drawSize, clock);
    std::vector<std::vector<long long>> counts(static_cast<std::size_t>(drawSize),
                                               std::vector<long long>(static_cast<std::size_t>(poolCount)));
    for (int n = 0; n < passes; ++n) {
        const std::vector<int> picks = runner.run();
        std::vector<int> sorted = picks;
        std::sort(sorted.begin(), sorted.end());
        QVERIFY(std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end());
        for (std::size_t i = 0; i < picks.size(); ++i) {
            QVERIFY(picks[i] >= 1 && picks[i] <= poolCount);
            ++counts[i][static_cast<std::size_t>(picks[i] - 1)];
        }
    }
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const double statistic = chiSquareAgainstUniform(counts[i]);
        const double tail = chiSquareTail(statistic, poolCount - 1);
        QVERIFY2(tail > kLevel,
                 qPrintable(QStringLiteral("position %1: chi-square %2, tail %3").arg(i + 1).arg(statistic).arg(tail)));
    }
}

void FairnessTest::everySubsetIsEquallyLikely_data() {
    QTest::addColumn<int>("poolCount");
    QTest::addColumn<int>("drawSize");
    QTest::addColumn<int>("subsets");
    QTest::addColumn<bool>("ordered");

    QTest::newRow("pool 4, draw 2, as sets") << 4 << 2 << 6 << false;
    QTest::newRow("pool 5, draw 2, as sets") << 5 << 2 << 10 << false;
    QTest::newRow("pool 6, draw 3, as sets") << 6 << 3 << 20 << false;
    QTest::newRow("pool 5, draw 4, as sets") << 5 << 4 << 5 << false;
    QTest::newRow("pool 5, draw 2, in order") << 5 << 2 << 20 << true;
    QTest::newRow("pool 4, draw 3, in order") << 4 << 3 << 24 << true;
}

// For a small pool every set of names, and every order of drawing them, must be equally likely.
void FairnessTest::everySubsetIsEquallyLikely() {
    QFETCH(int, poolCount);
    QFETCH(int, drawSize);
    QFETCH(int, subsets);
    QFETCH(bool, ordered);

    PassRunner runner(poolCount, drawSize, ClockMode::TicksBetweenPasses);
    QMap<std::vector<int>, long long> seen;
    constexpr int kPerSubset = 400;
    for (int n = 0; n < subsets * kPerSubset; ++n) {
        std::vector<int> picks = runner.run();
        if (!ordered) {
            std::sort(picks.begin(), picks.end());
        }
        ++seen[picks];
    }
    QCOMPARE(seen.size(), subsets);
    const std::vector<long long> counts(seen.cbegin(), seen.cend());
    const double statistic = chiSquareAgainstUniform(counts);
    const double tail = chiSquareTail(statistic, subsets - 1);
    QVERIFY2(tail > kLevel, qPrintable(QStringLiteral("chi-square %1, tail %2").arg(statistic).arg(tail)));
}

// Thousands of reseeds within one reading of the clock: the candidates must still cover every
// position evenly, or a pass that needs the last free positions could draw forever.
void FairnessTest::frozenClockReseedsReachEveryPosition() {
    constexpr int kPool = 99;
    const ManualClock clock(1'700'000'000'000'000'000ULL);
    Xoshiro256Generator random(clock, kSeed);
    std::vector<long long> counts(kPool);
    for (int n = 0; n < kPool * 200; ++n) {
        random.reseedFromClock();
        const double r = std::floor(static_cast<double>(kPool) * static_cast<double>(random.nextUnit()) + 1.0);
        ++counts[static_cast<std::size_t>(r) - 1];
    }
    QVERIFY(std::find(counts.begin(), counts.end(), 0) == counts.end());
    const double tail = chiSquareTail(chiSquareAgainstUniform(counts), kPool - 1);
    QVERIFY2(tail > kLevel, qPrintable(QString::number(tail)));
}

QTEST_GUILESS_MAIN(FairnessTest)
#include "fairness_test.moc"

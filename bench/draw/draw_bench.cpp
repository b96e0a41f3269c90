// One selection pass on a full pool of 99 names, with the real generator reseeding from the real
// clock before every draw. The pass for 98 names is the slowest a draw can ask for: its last
// positions need many redraws. It must stay well inside one 100 ms tick of the rolling display; we
// hold it to under 50 microseconds.

#include "draw/random_generator.h"
#include "support/draw_fixture.h"
#include "support/numbered_names.h"

#include <benchmark/benchmark.h>
#include <stdexcept>

namespace {

void selectionPass(benchmark::State &run) {
    constexpr int kPool = 99;
    const lotdraw::SystemClock clock;
    lotdraw::Xoshiro256Generator random(clock);
    lotdraw::testing::DrawFixture draw(random);
    draw.event.setPool(lotdraw::testing::numbered(QStringLiteral("名字"), kPool));
    draw.state.drawSize = static_cast<lotdraw::Int16>(run.range(0));

    for (auto _ : run) {
        if (draw.pass.runSelectionPass() != lotdraw::SelectionPass::Outcome::Selected) {
            throw std::logic_error("the benchmark pass was refused");
        }
        benchmark::DoNotOptimize(draw.state.picks);
    }
}

} // namespace

BENCHMARK(selectionPass)->Name("SelectionPass/pool99/draw")->Arg(1)->Arg(50)->Arg(98)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();

// One selection pass on a full pool of 99 names, with the real generator reseeding from the real
// clock before every draw. The pass for 98 names is the slowest a draw can ask for: its last
// positions need many redraws. It must stay well inside one 100 ms tick of the rolling display; we
// hold it to under 50 microseconds.

#include "draw/random_generator.h"
#include "draw/selection_pass.h"
#include "support/fake_form_controls.h"
#include "support/recording_messages.h"

#include <benchmark/benchmark.h>
#include <stdexcept>

namespace {

void selectionPass(benchmark::State &run) {
    constexpr int kPool = 99;
    const lotdraw::SystemClock clock;
    lotdraw::Xoshiro256Generator random(clock);
    lotdraw::DrawState state;
    lotdraw::testing::FakeFormControls controls;
    lotdraw::testing::RecordingMessages messages;
    lotdraw::SelectionPass pass(state, controls, messages, random);
    for (int i = 1; i <= kPool; ++i) {
        state.poolNames[static_cast<std::size_t>(i)] = QStringLiteral("名字%1").arg(i);
    }
    state.poolCount = kPool;
    state.drawSize = static_cast<lotdraw::Int16>(run.range(0));

    for (auto _ : run) {
        if (pass.runSelectionPass() != lotdraw::SelectionPass::Outcome::Selected) {
            throw std::logic_error("the benchmark pass was refused");
        }
        benchmark::DoNotOptimize(state.picks);
    }
}

} // namespace

BENCHMARK(selectionPass)->Name("SelectionPass/pool99/draw")->Arg(1)->Arg(50)->Arg(98)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();

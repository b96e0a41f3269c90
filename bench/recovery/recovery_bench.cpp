// A stop as the recovery file sees it: the draw goes into the event, which is written to the
// recovery file (temporary file, fsync, rename, fsync of the folder) before any view shows it. The
// event is as large as one can be: 99 names in the pool and four full lists of 98. The write must
// cost a few milliseconds at most, so that the stop stays as quick as the hall expects; the folder
// lies in the current directory, on the disk a build tree lies on, not in a RAM-backed /tmp.

#include "recovery/event_recovery.h"
#include "support/numbered_names.h"
#include "support/recording_messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void writeAtStop(benchmark::State &run) {
    const QTemporaryDir folder(QDir::currentPath() + QStringLiteral("/recovery-bench-XXXXXX"));
    lotdraw::EventModel event;
    lotdraw::testing::RecordingMessages messages;
    lotdraw::EventRecovery recovery(event, messages, folder.path());
    recovery.start();
    const QStringList pool = lotdraw::testing::numbered(QStringLiteral("参加者"), 99);
    event.restore({.pool = pool, .results = {pool.mid(1), pool.mid(1), pool.mid(1), pool.mid(1)}, .drawNumber = 4});

    for (auto _ : run) {
        event.recordDraw(pool.mid(1), std::nullopt);
    }
    QCoreApplication::processEvents(); // a warning the recovery posted, had a write failed
    if (!messages.shown().isEmpty()) {
        run.SkipWithError("the recovery file could not be written");
    }
    recovery.finish();
}

} // namespace

BENCHMARK(writeAtStop)->Name("RecoveryFile/writeAtStop/pool99/lists98")->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

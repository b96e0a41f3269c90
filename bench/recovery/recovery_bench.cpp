// A stop as the recovery file sees it: the draw goes into the event, which is written to the
// recovery file (temporary file, fsync, rename, fsync of the folder) before any view shows it. The
// file holds the whole event: the pool of 99 names, the four result lists and the record of every
// draw since the import. Two events: four draws of 98 names (the largest lists), and a long event
// of 300 draws of 10 (the largest record anyone prints). The write must cost a few milliseconds at
// most, so that the stop stays as quick as the hall expects; the folder lies in the current
// directory, on the disk a build tree lies on, not in a RAM-backed /tmp.

#include "recovery/event_recovery.h"
#include "support/numbered_names.h"
#include "support/recording_messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kPool = 99;

// The event after `draws` draws of `size` names each, all kept in the pool.
lotdraw::EventSnapshot eventAfter(int draws, int size) {
    const QStringList pool = lotdraw::testing::numbered(QStringLiteral("参加者"), kPool);
    lotdraw::EventSnapshot event{.pool = pool, .drawNumber = draws, .choice = lotdraw::KeepChoice::Keep};
    event.record = {QStringLiteral("导入名单.xls"), kPool, QDate::currentDate(), {}};
    for (int number = 1; number <= draws; ++number) {
        const int list = lotdraw::EventModel::resultListOf(number);
        const QStringList names = pool.mid(number % (kPool - size), size);
        event.record.draws.append({number, QDateTime::currentDateTime(), list, true, names});
        event.results.at(static_cast<std::size_t>(list - 1)) = names;
    }
    return event;
}

void writeAtStop(benchmark::State &run) {
    const auto size = static_cast<int>(run.range(1));
    const QTemporaryDir folder(QDir::currentPath() + QStringLiteral("/recovery-bench-XXXXXX"));
    lotdraw::EventModel event;
    lotdraw::testing::RecordingMessages messages;
    lotdraw::EventRecovery recovery(event, messages, folder.path());
    recovery.start();
    const lotdraw::EventSnapshot before = eventAfter(static_cast<int>(run.range(0)), size);
    const QStringList drawn = before.pool.mid(1, size);

    for (auto _ : run) {
        run.PauseTiming(); // every stop meets a record of the same length
        event.restore(before);
        run.ResumeTiming();
        event.recordDraw(drawn, std::nullopt);
    }
    QCoreApplication::processEvents(); // a warning the recovery posted, had a write failed
    if (!messages.shown().isEmpty()) {
        run.SkipWithError("the recovery file could not be written");
    }
    recovery.finish();
}

} // namespace

BENCHMARK(writeAtStop)
    ->Name("RecoveryFile/writeAtStop/pool99")
    ->ArgNames({"draws", "names"})
    ->Args({4, 98})
    ->Args({300, 10})
    ->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

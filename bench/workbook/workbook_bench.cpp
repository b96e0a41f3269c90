// What a pool import and a result export cost through the LibreOffice layer, from the start of the
// office until it has ended, measured beside a bare office start in the same run:
//
//   import:   create + open + read column A (99 names) + close
//   export:   create + open + write column B (99 lines, one row emptied) + save + close
//   baseline: soffice --headless --terminate_after_init
//
// Run: build/bench/workbook_bench --benchmark_min_time=... (real time is what counts).

#include "namelist/name_list_layout.h"
#include "namelist/name_list_workbook.h"
#include "office/libreoffice_application.h"
#include "support/numbered_names.h"
#include "support/office_fixture.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

using Layout = lotdraw::NameListLayout;

struct Fixture {
    QTemporaryDir dir;
    QString workbook;
    lotdraw::LibreOfficeOptions options;
};

Fixture *fixture = nullptr;

QStringList names() {
    return lotdraw::testing::numbered(QStringLiteral("姓名"), Layout::kPoolRows);
}

void import(benchmark::State &state) {
    lotdraw::LibreOfficeApplication app(fixture->options);
    for (auto _ : state) {
        const auto instance = app.create({});
        instance->openWorkbook(fixture->workbook);
        benchmark::DoNotOptimize(instance->readColumn(Layout::kPoolColumn, Layout::kFirstRow, Layout::kPoolRows));
        instance->close();
    }
}

void exportColumn(benchmark::State &state) {
    lotdraw::LibreOfficeApplication app(fixture->options);
    const QStringList texts = names();
    for (auto _ : state) {
        const auto instance = app.create({});
        instance->openWorkbook(fixture->workbook);
        instance->writeColumn(Layout::resultColumn(1), Layout::kFirstRow, texts, Layout::kResultRows);
        instance->save();
        instance->close();
    }
}

void bareOfficeStart(benchmark::State &state) {
    // The first start on a new profile does a first-run's work that no later start repeats.
    lotdraw::testing::startBareOffice();
    for (auto _ : state) {
        lotdraw::testing::startBareOffice();
    }
}

} // namespace

int main(int argc, char *argv[]) {
    const QCoreApplication application(argc, argv);
    Fixture setup;
    setup.options.profileFolder = setup.dir.filePath(QStringLiteral("automation profile"));
    setup.workbook = setup.dir.filePath(QStringLiteral("导入名单.xls"));
    try {
        lotdraw::LibreOfficeApplication app(setup.options);
        lotdraw::writeNameListWorkbook(app, setup.workbook, names());
    } catch (const lotdraw::SpreadsheetError &error) {
        std::fprintf(stderr, "cannot make the workbook: %s\n", error.what());
        return 1;
    }
    fixture = &setup;

    benchmark::RegisterBenchmark("import/create+open+read+close", import)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("export/create+open+write+save+close", exportColumn)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("baseline/soffice --headless --terminate_after_init", bareOfficeStart)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fixture = nullptr;
    return 0;
}

// What a pool import and a result export cost through the LibreOffice layer, measured beside the
// plainest other way to get at the same workbook: `soffice --headless --convert-to csv`.
//
//   import: create + open + read 99 cells + quit + close
//   export: create + open + clear 100 cells + write 99 + save + quit + close
//
// Run: build/bench/workbook_bench --benchmark_min_time=... (real time is what counts).

#include "namelist/name_list_layout.h"
#include "namelist/name_list_workbook.h"
#include "office/libreoffice_application.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

using Layout = lotdraw::NameListLayout;
constexpr int kFirstRow = Layout::kFirstRow;
constexpr int kNames = Layout::kPoolRows;

struct Fixture {
    QTemporaryDir dir;
    QString workbook;
    lotdraw::LibreOfficeOptions options;
};

Fixture *fixture = nullptr;

QStringList names() {
    QStringList result;
    for (int index = 1; index <= kNames; ++index) {
        result.append(QStringLiteral("姓名%1").arg(index));
    }
    return result;
}

void import(benchmark::State &state) {
    lotdraw::LibreOfficeApplication app(fixture->options);
    for (auto _ : state) {
        const auto instance = app.create();
        instance->openWorkbook(fixture->workbook);
        for (int row = kFirstRow; row < kFirstRow + kNames; ++row) {
            benchmark::DoNotOptimize(instance->cell(row, Layout::kPoolColumn));
        }
        instance->quit();
        instance->closeWorkbooks();
    }
}

void exportColumn(benchmark::State &state) {
    lotdraw::LibreOfficeApplication app(fixture->options);
    const QStringList texts = names();
    for (auto _ : state) {
        const auto instance = app.create();
        instance->openWorkbook(fixture->workbook);
        for (int row = kFirstRow; row < kFirstRow + Layout::kResultRows; ++row) {
            instance->setCell(row, Layout::resultColumn(1), QString());
        }
        for (int index = 0; index < kNames; ++index) {
            instance->setCell(kFirstRow + index, Layout::resultColumn(1), texts.at(index));
        }
        instance->saveActiveWorkbook();
        instance->quit();
        instance->closeWorkbooks();
    }
}

void convertToCsv(benchmark::State &state) {
    // A warmed private profile of its own, as a user's everyday profile would be.
    const QString profile =
        QStringLiteral("-env:UserInstallation=") +
        QUrl::fromLocalFile(fixture->dir.filePath(QStringLiteral("convert profile"))).toString(QUrl::FullyEncoded);
    const QString outDir = fixture->dir.filePath(QStringLiteral("csv"));
    QDir().mkpath(outDir);
    for (auto _ : state) {
        QProcess soffice;
        soffice.start(QStringLiteral("/usr/lib/libreoffice/program/soffice"),
                      {profile, QStringLiteral("--headless"), QStringLiteral("--norestore"),
                       QStringLiteral("--convert-to"), QStringLiteral("csv"), QStringLiteral("--outdir"), outDir,
                       fixture->workbook});
        if (!soffice.waitForFinished(60000) || soffice.exitCode() != 0) {
            state.SkipWithError("soffice --convert-to failed");
            break;
        }
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

    benchmark::RegisterBenchmark("import/create+open+read99+quit", import)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("export/create+open+clear100+write99+save+quit", exportColumn)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("baseline/soffice --convert-to csv", convertToCsv)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fixture = nullptr;
    return 0;
}

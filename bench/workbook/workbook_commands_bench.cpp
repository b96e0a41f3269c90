// Click-to-result times of the import and the export against the real LibreOffice, each beside a
// bare office start (`soffice --headless --terminate_after_init`, the floor of any command that
// starts an office) and a plain `soffice --headless --convert-to csv` of the same workbook, both
// made in the same run. The workbook comes with Excel 97, Office Open XML and OpenDocument content,
// always as "导入名单.xls". The commands run once on their own and once behind the window, whose
// waiter hands each office call to a thread of its own while the window keeps its events.
#include "app/main_window.h"
#include "namelist/workbook_commands.h"
#include "office/libreoffice_application.h"
#include "results/result_export.h"
#include "support/fake_form_controls.h"
#include "support/numbered_names.h"
#include "support/office_fixture.h"
#include "support/recording_messages.h"

#include <QApplication>
#include <QTemporaryDir>
#include <array>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <string>

using namespace lotdraw;
using namespace lotdraw::testing;

namespace {

struct Workbook {
    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("导入名单.xls"));

    explicit Workbook(const QString &format) {
        QString csv = QStringLiteral("名单\n姓名\n");
        for (int i = 1; i <= 99; ++i) {
            csv += QStringLiteral("名字%1\n").arg(i);
        }
        makeWorkbookFromCsv(csv, path, format);
    }
};

// One workbook per content format, each under the name "导入名单.xls".
Workbook &workbook(const char *format = "xls") {
    static std::map<QString, std::unique_ptr<Workbook>> books;
    std::unique_ptr<Workbook> &book = books[QString::fromLatin1(format)];
    if (!book) {
        book = std::make_unique<Workbook>(QString::fromLatin1(format));
    }
    return *book;
}

void BM_ImportOf99Names(benchmark::State &state, const char *format) {
    LibreOfficeApplication office;
    DrawState drawState;
    EventModel event;
    FakeFormControls controls;
    RecordingMessages messages;
    WorkbookCommands commands({drawState, controls, messages, office, workbook(format).path, event});
    for (auto _ : state) {
        commands.importPool();
        if (event.pool().size() != 99 || !messages.shown().isEmpty()) {
            state.SkipWithError("the import did not read 99 names");
            break;
        }
    }
}

void BM_ExportOf100Lines(benchmark::State &state, const char *format) {
    LibreOfficeApplication office;
    EventModel event;
    FakeFormControls controls;
    RecordingMessages messages;
    fillResults(event, 1, numbered(QStringLiteral("中签"), 100));
    ResultExport exporter({controls, messages, office, workbook(format).path, event});
    for (auto _ : state) {
        exporter.exportList(1);
        if (!messages.shown().isEmpty()) {
            state.SkipWithError("the export failed");
            break;
        }
    }
}

void BM_ImportOf99NamesInTheWindow(benchmark::State &state) {
    LibreOfficeApplication office;
    RecordingMessages messages;
    MainWindow window({messages, office, workbook().path});
    for (auto _ : state) {
        window.onImportClicked();
        // Until the operator sees the new pool.
        QCoreApplication::processEvents();
        if (window.event().pool().size() != 99 || !messages.shown().isEmpty()) {
            state.SkipWithError("the import did not read 99 names");
            break;
        }
    }
}

void BM_ExportOf100LinesInTheWindow(benchmark::State &state) {
    LibreOfficeApplication office;
    RecordingMessages messages;
    MainWindow window({messages, office, workbook().path});
    fillResults(window.event(), 1, numbered(QStringLiteral("中签"), 100));
    for (auto _ : state) {
        window.onExportClicked(1);
        // Until the operator sees the notice.
        QCoreApplication::processEvents();
        if (!messages.shown().isEmpty()) {
            state.SkipWithError("the export failed");
            break;
        }
    }
}

void BM_BareOfficeStart(benchmark::State &state) {
    // The first start on a new profile does a first-run's work that no later start repeats.
    startBareOffice();
    for (auto _ : state) {
        startBareOffice();
    }
}

void BM_ConvertToCsv(benchmark::State &state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(readWorkbookCsv(workbook().path));
    }
}

} // namespace

int main(int argc, char **argv) {
    // The window needs a platform, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const auto timed = [](benchmark::internal::Benchmark *registered) {
        registered->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond)->UseRealTime();
    };
    const std::array<const char *, 3> formats{"xls", "xlsx", "ods"};
    for (const char *format : formats) {
        timed(benchmark::RegisterBenchmark((std::string("BM_ImportOf99Names/") + format).c_str(), BM_ImportOf99Names,
                                           format));
    }
    timed(benchmark::RegisterBenchmark("BM_ImportOf99NamesInTheWindow/xls", BM_ImportOf99NamesInTheWindow));
    timed(benchmark::RegisterBenchmark("BM_BareOfficeStart", BM_BareOfficeStart));
    timed(benchmark::RegisterBenchmark("BM_ConvertToCsv", BM_ConvertToCsv));
    for (const char *format : formats) {
        timed(benchmark::RegisterBenchmark((std::string("BM_ExportOf100Lines/") + format).c_str(), BM_ExportOf100Lines,
                                           format));
    }
    timed(benchmark::RegisterBenchmark("BM_ExportOf100LinesInTheWindow/xls", BM_ExportOf100LinesInTheWindow));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

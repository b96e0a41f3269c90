// Writes a PNG picture of the main window as it opens, for a look at the layout without a display:
//   QT_QPA_PLATFORM=offscreen window_screenshot shot.png [--enlarged] [--notice] [--full-screen WxH]
// --enlarged fills the pool list with sample names and opens the enlarged view on it;
// --notice shows the export notice;
// --full-screen WxH shows the window as full screen shows it on a screen of W x H pixels;
// --stage WxH pictures the stage on a screen of W x H pixels during a draw of sample names (into the
// output file) and after its stop (into the same name with "-result" before the extension);
// --results pictures the form after five draws of sample names, the drawn names leaving the pool;
// --draw N sets the names per draw for --stage and --results (3 unless given);
// --seed N draws from a fixed seed on a clock that stands still, so that two pictures of the stage
// (of one build or of two) can be compared pixel for pixel.

#include "app/main_window.h"
#include "draw/random_generator.h"
#include "namelist/program_folder.h"
#include "office/libreoffice_application.h"
#include "state/messages.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>

namespace {

class SilentMessages final : public lotdraw::Messages {
public:
    void show(const QString &text) override { QTextStream(stderr) << text << '\n'; }
    [[nodiscard]] bool ask(const QString &question) override {
        QTextStream(stderr) << question << '\n';
        return false;
    }
};

class StillClock final : public lotdraw::Clock {
public:
    [[nodiscard]] std::uint64_t reading() const override { return 0; }
};

const QStringList kSampleNames{QStringLiteral("张伟"), QStringLiteral("王芳"), QStringLiteral("李娜"),
                               QStringLiteral("刘洋"), QStringLiteral("陈静"), QStringLiteral("杨磊"),
                               QStringLiteral("赵敏"), QStringLiteral("黄强"), QStringLiteral("周杰"),
                               QStringLiteral("吴霞"), QStringLiteral("徐涛"), QStringLiteral("孙丽")};

QSize sizeOption(const QString &value) {
    const QStringList parts = value.split(QLatin1Char('x'));
    return parts.size() == 2 ? QSize(parts.at(0).toInt(), parts.at(1).toInt()) : QSize();
}

bool save(QWidget &widget, const QString &output) {
    QApplication::processEvents();
    if (!widget.grab().save(output, "PNG")) {
        QTextStream(stderr) << "cannot write " << output << '\n';
        return false;
    }
    return true;
}

// A pool of 99 sample names, ready for draws of `drawSize`.
void loadSamplePool(lotdraw::MainWindow &window, int drawSize) {
    QStringList pool;
    for (int i = 0; i < lotdraw::DrawState::kCapacity - 1; ++i) {
        const QString &name = kSampleNames.at(i % kSampleNames.size());
        const int round = i / static_cast<int>(kSampleNames.size());
        pool.append(round == 0 ? name : name + QString::number(round + 1));
    }
    window.event().setPool(pool);
    window.controls().setNumberText(QString::number(drawSize));
}

void drawOnce(lotdraw::MainWindow &window) {
    window.onStartClicked();
    window.onRollTick();
    window.onRollTick();
    window.onStopClicked();
}

// Five draws of `drawSize` from the sample pool, the drawn names leaving it.
int pictureResults(lotdraw::MainWindow &window, int drawSize, const QString &output) {
    loadSamplePool(window, drawSize);
    window.event().setKeepChoice(lotdraw::KeepChoice::Remove);
    window.show();
    for (int draw = 0; draw < 5; ++draw) {
        drawOnce(window);
    }
    return save(window, output) ? 0 : 1;
}

// A pool of 99 sample names, a draw of `drawSize` rolling on the stage, then stopped.
int pictureStage(lotdraw::MainWindow &window, QSize screenSize, int drawSize, const QString &output) {
    loadSamplePool(window, drawSize);
    window.show();
    window.setStageShown(true);
    auto *stage = window.findChild<QWidget *>(QStringLiteral("stageWindow"));
    // The offscreen screen has a size of its own; give the stage the size it would have there.
    stage->setWindowState(Qt::WindowNoState);
    stage->resize(screenSize);

    window.onStartClicked();
    window.onRollTick();
    window.onRollTick();
    if (!save(*stage, output)) {
        return 1;
    }
    window.onStopClicked();
    const QFileInfo file(output);
    return save(*stage, file.path() + QLatin1Char('/') + file.completeBaseName() + QStringLiteral("-result.") +
                            (file.suffix().isEmpty() ? QStringLiteral("png") : file.suffix()))
               ? 0
               : 1;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("output"), QStringLiteral("PNG file to write"));
    const QCommandLineOption enlarged(QStringLiteral("enlarged"), QStringLiteral("Show the enlarged view"));
    const QCommandLineOption notice(QStringLiteral("notice"), QStringLiteral("Show the export notice"));
    const QCommandLineOption fullScreen(QStringLiteral("full-screen"),
                                        QStringLiteral("Show the window as full screen on a screen of this size"),
                                        QStringLiteral("WxH"));
    const QCommandLineOption stage(
        QStringLiteral("stage"),
        QStringLiteral("Picture the stage on a screen of this size during a draw and after it"), QStringLiteral("WxH"));
    const QCommandLineOption draw(QStringLiteral("draw"), QStringLiteral("Names per draw on the stage"),
                                  QStringLiteral("N"), QStringLiteral("3"));
    parser.addOption(enlarged);
    parser.addOption(notice);
    parser.addOption(fullScreen);
    parser.addOption(stage);
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Draw from this seed on a still clock"),
                                  QStringLiteral("N"));
    const QCommandLineOption results(QStringLiteral("results"), QStringLiteral("Picture the form after five draws"));
    parser.addOption(draw);
    parser.addOption(seed);
    parser.addOption(results);
    parser.process(app);
    if (parser.positionalArguments().size() != 1) {
        parser.showHelp(2);
    }
    QSize screenSize;
    if (parser.isSet(fullScreen)) {
        screenSize = sizeOption(parser.value(fullScreen));
        if (screenSize.isEmpty()) {
            parser.showHelp(2);
        }
    }

    SilentMessages messages;
    lotdraw::LibreOfficeApplication spreadsheet; // never started: nothing here clicks a button
    const StillClock clock;
    lotdraw::Xoshiro256Generator seeded(clock, parser.value(seed).toULongLong());
    lotdraw::RandomGenerator &random = parser.isSet(seed) ? seeded : lotdraw::systemRandomGenerator();
    lotdraw::MainWindow window({messages, spreadsheet, lotdraw::nameListWorkbookPath(), random});
    if (parser.isSet(stage)) {
        const QSize stageSize = sizeOption(parser.value(stage));
        const int drawSize = parser.value(draw).toInt();
        if (stageSize.isEmpty() || drawSize < 1 || drawSize >= lotdraw::DrawState::kCapacity - 1) {
            parser.showHelp(2);
        }
        return pictureStage(window, stageSize, drawSize, parser.positionalArguments().constFirst());
    }
    if (parser.isSet(results)) {
        const int drawSize = parser.value(draw).toInt();
        if (drawSize < 1 || drawSize * 5 >= lotdraw::DrawState::kCapacity - 1) {
            parser.showHelp(2);
        }
        return pictureResults(window, drawSize, parser.positionalArguments().constFirst());
    }
    if (parser.isSet(enlarged)) {
        window.controls().showEnlargedList(kSampleNames);
    }
    if (parser.isSet(notice)) {
        window.controls().setExportNoticeVisible(true);
    }
    window.show();
    if (screenSize.isValid()) {
        // The offscreen screen has a size of its own; the window scales from its own size alone, so
        // give it the size that full screen on such a screen would.
        window.setMinimumSize(0, 0);
        window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        window.resize(screenSize);
    }
    QApplication::processEvents();

    const QString output = parser.positionalArguments().constFirst();
    if (!window.grab().save(output, "PNG")) {
        QTextStream(stderr) << "cannot write " << output << '\n';
        return 1;
    }
    return 0;
}

// Writes a PNG picture of the main window as it opens, for a look at the layout without a display:
//   QT_QPA_PLATFORM=offscreen window_screenshot shot.png [--enlarged] [--notice] [--full-screen WxH]
// --enlarged fills the pool list with sample names and opens the enlarged view on it;
// --notice shows the export notice;
// --full-screen WxH shows the window as full screen shows it on a screen of W x H pixels.

#include "app/main_window.h"
#include "namelist/program_folder.h"
#include "office/libreoffice_application.h"
#include "state/messages.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>

namespace {

class SilentMessages final : public lotdraw::Messages {
public:
    void show(const QString &text) override { QTextStream(stderr) << text << '\n'; }
};

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
    parser.addOption(enlarged);
    parser.addOption(notice);
    parser.addOption(fullScreen);
    parser.process(app);
    if (parser.positionalArguments().size() != 1) {
        parser.showHelp(2);
    }
    QSize screenSize;
    if (parser.isSet(fullScreen)) {
        const QStringList parts = parser.value(fullScreen).split(QLatin1Char('x'));
        if (parts.size() == 2) {
            screenSize = QSize(parts.at(0).toInt(), parts.at(1).toInt());
        }
        if (screenSize.isEmpty()) {
            parser.showHelp(2);
        }
    }

    SilentMessages messages;
    lotdraw::LibreOfficeApplication spreadsheet; // never started: nothing here clicks a button
    lotdraw::MainWindow window({messages, spreadsheet, lotdraw::nameListWorkbookPath()});
    if (parser.isSet(enlarged)) {
        const QStringList sample{QStringLiteral("张伟"), QStringLiteral("王芳"), QStringLiteral("李娜"),
                                 QStringLiteral("刘洋"), QStringLiteral("陈静"), QStringLiteral("杨磊"),
                                 QStringLiteral("赵敏"), QStringLiteral("黄强"), QStringLiteral("周杰"),
                                 QStringLiteral("吴霞"), QStringLiteral("徐涛"), QStringLiteral("孙丽")};
        for (const QString &name : sample) {
            window.enlargedList().append(name);
        }
        window.setEnlargedListVisible(true);
        window.setEnlargedCloseVisible(true);
    }
    if (parser.isSet(notice)) {
        window.setExportNoticeVisible(true);
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

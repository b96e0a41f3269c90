#include "app/main_window.h"
#include "app/message_box_messages.h"
#include "draw/random_generator.h"
#include "namelist/program_folder.h"
#include "office/libreoffice_application.h"
#include "recovery/event_recovery.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSessionManager>
#include <QTranslator>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lotdraw"));
    // No display name: the platform would append it to every caption, which would show the
    // program's name twice.
    // The desktop entry's name ties the running window to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("lotdraw"));

    // Qt's own texts (the number box's context menu and the like) in Chinese too.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }

    lotdraw::MessageBoxMessages messages;
    const lotdraw::SystemClock clock;
    lotdraw::Xoshiro256Generator random(clock);
    lotdraw::LibreOfficeApplication office;
    // The first start of the installed program makes its folder and copies the sample there; what
    // fails is told at the first command that needs the workbook, which tries again.
    lotdraw::ProgramFolder folder(lotdraw::systemProgramPlaces());
    static_cast<void>(folder.prepare());
    lotdraw::ProgramFolderSpreadsheet spreadsheet(office, folder);
    lotdraw::MainWindow window({messages, spreadsheet, folder.workbookPath(), random});
    messages.setParent(&window);
    // With the stage over the operator's screen, messages come up over the stage.
    QObject::connect(&window, &lotdraw::MainWindow::operatorWindowChanged, &window,
                     [&messages, &window] { messages.setParent(window.operatorWindow()); });

    // The event is kept on disk until the program closes normally. A logout ends it as a crash
    // does: the event comes back at the next start.
    lotdraw::EventRecovery recovery(window.event(), messages, lotdraw::recoveryFolder());
    bool sessionEnds = false;
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                     [&sessionEnds](QSessionManager &) { sessionEnds = true; });
    window.show();
    recovery.start();
    const int exitCode = QApplication::exec();
    if (!sessionEnds) {
        recovery.finish();
    }
    return exitCode;
}

#include "app/form1.h"
#include "app/message_box_messages.h"
#include "workbook/libreoffice_application.h"
#include "workbook/workbook_path.h"

#include <QApplication>
#include <csignal>

int main(int argc, char *argv[]) {
    // An office that dies in the middle of a call leaves its pipe broken; the next write to it
    // must come back as an error the handler reports, not end the program with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lotdraw"));
    QApplication::setApplicationDisplayName(QString::fromUtf16(lotdraw::kProgramName));

    lotdraw::MessageBoxMessages messages;
    lotdraw::LibreOfficeApplication spreadsheet;
    lotdraw::Form1 window({messages, spreadsheet, lotdraw::nameListWorkbookPath()});
    messages.setParent(&window);
    window.show();
    return QApplication::exec();
}

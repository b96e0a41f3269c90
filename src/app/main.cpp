#include "app/form1.h"
#include "app/message_box_messages.h"
#include "workbook/libreoffice_application.h"
#include "workbook/workbook_path.h"

#include <QApplication>

int main(int argc, char *argv[]) {
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

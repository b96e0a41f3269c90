#include "app/form1.h"
#include "app/message_box_messages.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lotdraw"));
    QApplication::setApplicationDisplayName(QString::fromUtf16(lotdraw::kProgramName));

    lotdraw::MessageBoxMessages messages;
    lotdraw::Form1 window({messages});
    messages.setParent(&window);
    window.show();
    return QApplication::exec();
}

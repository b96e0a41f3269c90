#include "app/message_box_messages.h"

#include <QMessageBox>

namespace lotdraw {

void MessageBoxMessages::show(const QString &text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf16(kProgramName), text, QMessageBox::Ok, m_parent);
    box.exec();
}

} // namespace lotdraw

#include "app/message_box_messages.h"

#include "build_info.h"

#include <QMessageBox>
#include <QPushButton>

namespace lotdraw {

void MessageBoxMessages::show(const QString &text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf16(build_info::kProgramName), text, QMessageBox::Ok, m_parent);
    // Every text the operator sees is Chinese, the button included, whatever translations are installed.
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.exec();
}

} // namespace lotdraw

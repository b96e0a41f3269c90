#include "app/message_box_messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// The real message box: modal, a single button reading "确定", no icon, the program's name as title.
class MessageBoxMessagesTest : public QObject {
    Q_OBJECT

private slots:
    void showsAModalChineseBoxAndReturnsWhenClosed();
};

void MessageBoxMessagesTest::showsAModalChineseBoxAndReturnsWhenClosed() {
    QWidget window;
    window.show();
    lotdraw::MessageBoxMessages messages(&window);

    QString title;
    QString text;
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::Warning;
    bool modal = false;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        modal = box->isModal();
        for (QAbstractButton *button : box->buttons()) {
            buttons.append(button->text());
        }
        box->button(QMessageBox::Ok)->click();
    });
    messages.show(QStringLiteral("抽签的人数必须小于被抽总人数！"));

    QCOMPARE(title, QStringLiteral("现场抽签"));
    QCOMPARE(text, QStringLiteral("抽签的人数必须小于被抽总人数！"));
    QCOMPARE(buttons, QStringList{QStringLiteral("确定")});
    QCOMPARE(icon, QMessageBox::NoIcon);
    QVERIFY(modal);
}

QTEST_MAIN(MessageBoxMessagesTest)
#include "message_box_messages_test.moc"

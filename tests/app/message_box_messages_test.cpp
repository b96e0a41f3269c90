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
    // Answers whatever box is up, so that a box unlike the one expected fails the checks below
    // instead of waiting for an answer that never comes.
    QTimer::singleShot(0, this, [&] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            if (box == nullptr || !box->isVisible()) {
                continue;
            }
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            modal = box->isModal() && QApplication::activeModalWidget() == box;
            for (QAbstractButton *button : box->buttons()) {
                buttons.append(button->text());
            }
            if (!box->buttons().isEmpty()) {
                box->buttons().constFirst()->click();
            }
            if (box->isVisible()) {
                box->done(0);
            }
        }
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

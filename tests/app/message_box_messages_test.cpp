#include "app/message_box_messages.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

namespace {

// A desktop whose dialogs put an icon on every button, as some platform themes do.
class IconsOnButtonsStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons) {
            return 1;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

// The real message box: modal, a single plain button reading "确定" or, for a question, "是" and "否",
// no icon, the program's name as title, in the face of the window's lists and centred on the window
// it belongs to. Neither Esc nor the window's close button answers a question.
class MessageBoxMessagesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setStyle(new IconsOnButtonsStyle); }
    void plainModalBoxInTheListsFaceCentredOnTheWindow_data();
    void plainModalBoxInTheListsFaceCentredOnTheWindow();
};

void MessageBoxMessagesTest::plainModalBoxInTheListsFaceCentredOnTheWindow_data() {
    QTest::addColumn<QSize>("windowSize");
    QTest::addColumn<qreal>("points");
    QTest::addColumn<QString>("answer"); // the button pressed; 确定 for a message
    // The lists' 12 points, grown with the form in full screen, never below 12.
    QTest::newRow("the normal window") << QSize(882, 448) << 12.0 << "确定";
    QTest::newRow("full screen") << QSize(1764, 896) << 24.0 << "确定";
    QTest::newRow("a small window") << QSize(441, 224) << 12.0 << "确定";
    QTest::newRow("a question answered 是") << QSize(882, 448) << 12.0 << "是";
    QTest::newRow("a question answered 否") << QSize(882, 448) << 12.0 << "否";
}

void MessageBoxMessagesTest::plainModalBoxInTheListsFaceCentredOnTheWindow() {
    QFETCH(QSize, windowSize);
    QFETCH(qreal, points);
    QFETCH(QString, answer);
    const bool question = answer != QStringLiteral("确定");
    // The window's skin is a style sheet, under which Qt's own parts of a box take no font from it.
    qApp->setStyleSheet(QStringLiteral("QPushButton { padding: 0px; }"));
    const auto plain = qScopeGuard([] { qApp->setStyleSheet(QString()); });
    QWidget window;
    window.setGeometry(QRect(QPoint(40, 30), windowSize));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    lotdraw::MessageBoxMessages messages(&window);

    QMessageBox *box = nullptr;
    QString title;
    QString text;
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::Warning;
    bool modal = false;
    QFont font;
    QFont buttonFont;
    QIcon buttonIcon;
    Qt::WindowFlags flags;
    QPoint centre;
    bool openAfterEsc = false;
    // Answers whatever box is up, so that a box unlike the one expected fails the checks below
    // instead of waiting for an answer that never comes.
    QTimer::singleShot(0, this, [&] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            box = qobject_cast<QMessageBox *>(widget);
            if (box == nullptr || !box->isVisible()) {
                continue;
            }
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            for (QAbstractButton *button : box->buttons()) {
                buttons.append(button->text());
            }
            font = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))->font();
            buttonFont = box->buttons().value(0)->font();
            buttonIcon = box->buttons().value(0)->icon();
            flags = box->windowFlags();
            centre = box->geometry().center();
            modal = box->isModal() && QApplication::activeModalWidget() == box;
            QTest::keyClick(box, Qt::Key_Escape);
            box->close();
            openAfterEsc = box->isVisible();
            for (QAbstractButton *button : box->buttons()) {
                if (button->text() == answer) {
                    button->click();
                }
            }
            return;
        }
    });
    const QString shown = question ? QStringLiteral("是否恢复？") : QStringLiteral("抽签的人数必须小于被抽总人数！");
    if (question) {
        QCOMPARE(messages.ask(shown), answer == QStringLiteral("是"));
    } else {
        messages.show(shown);
    }

    QVERIFY(box != nullptr);
    QCOMPARE(title, QStringLiteral("现场抽签"));
    QCOMPARE(text, shown);
    // In the order the platform puts them in.
    buttons.sort();
    QCOMPARE(buttons, question ? (QStringList{"否", "是"}) : QStringList{"确定"});
    QCOMPARE(openAfterEsc, question);
    QCOMPARE(icon, QMessageBox::NoIcon);
    QVERIFY(modal);
    QCOMPARE(font.family(), QStringLiteral("宋体"));
    QCOMPARE(font.pointSizeF(), points);
    QCOMPARE(buttonFont.family(), font.family());
    QCOMPARE(buttonFont.pointSizeF(), points);
    QVERIFY(buttonIcon.isNull());
    QVERIFY(flags.testFlag(Qt::Dialog));
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(flags.testFlag(Qt::WindowCloseButtonHint), !question);
    // Within the few pixels of a frame the platform may put around the box.
    const QPoint offCentre = centre - window.geometry().center();
    QVERIFY2(qAbs(offCentre.x()) <= 3 && qAbs(offCentre.y()) <= 3,
             qPrintable(QStringLiteral("%1,%2").arg(offCentre.x()).arg(offCentre.y())));
}

QTEST_MAIN(MessageBoxMessagesTest)
#include "message_box_messages_test.moc"

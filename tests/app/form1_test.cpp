#include "app/form1.h"
#include "support/fake_spreadsheet.h"
#include "support/recording_messages.h"

#include <QAbstractButton>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using lotdraw::Form1;

// The window as it opens: every control where it was laid out, with its text, font and state.
class Form1Test : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowFrame();
    void controlAtOpening_data();
    void controlAtOpening();
    void fontsRenderInAChineseFace_data();
    void fontsRenderInAChineseFace();
    void stateAtOpening();
    void startLiesInFrontOfStop();
    void enlargedViewCoversTheFrames();
    void exportNoticeLiesInFrontOfTheResults();
    void tabOrder();
    void optionsFormOneGroup();

private:
    QWidget *control(const QString &name) const {
        auto *widget = m_form->findChild<QWidget *>(name);
        if (widget == nullptr) {
            qFatal("no control %s", qPrintable(name));
        }
        return widget;
    }
    // The control that the operator would hit at a point of the window.
    QString controlAt(QPoint windowPoint) const {
        for (QWidget *hit = m_form->childAt(windowPoint); hit != nullptr; hit = hit->parentWidget()) {
            if (!hit->objectName().isEmpty() && !hit->objectName().startsWith(QLatin1String("qt_"))) {
                return hit->objectName();
            }
        }
        return {};
    }
    QPoint centreInWindow(const QString &name) const {
        QWidget *widget = control(name);
        return widget->mapTo(m_form.get(), widget->rect().center());
    }

    lotdraw::testing::RecordingMessages m_messages;
    lotdraw::testing::FakeSpreadsheetApplication m_spreadsheet;
    std::unique_ptr<Form1> m_form;
};

void Form1Test::init() {
    m_form = std::make_unique<Form1>(Form1::Dependencies{m_messages, m_spreadsheet, QString()});
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void Form1Test::cleanup() {
    m_form.reset();
}

void Form1Test::windowFrame() {
    QCOMPARE(m_form->windowTitle(), QStringLiteral("现场抽签V1.1"));
    QVERIFY(!m_form->windowIcon().isNull());
    QVERIFY(m_form->windowIcon().availableSizes().contains(QSize(32, 32)));
    // 13230 x 6720 twips at 15 twips a pixel, and the window cannot be resized.
    QCOMPARE(m_form->size(), QSize(882, 448));
    QCOMPARE(m_form->minimumSize(), m_form->maximumSize());
    QCOMPARE(m_form->drawState().skipTick, 0);
}

void Form1Test::controlAtOpening_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("family");
    QTest::addColumn<qreal>("points");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("shown");

    const QString song = QStringLiteral("宋体");
    const QString li = QStringLiteral("隶书");
    auto row = [](const char *name, const char *kind, const char *container, const QString &text, QRect twips,
                  const QString &family, qreal points, bool bold, bool shown) {
        QTest::newRow(name) << QString::fromLatin1(kind) << QString::fromLatin1(container) << text << twips << family
                            << points << bold << shown;
    };
    // name, kind, container, text, Left/Top/Width/Height in twips, font, points, bold, shown
    row("Command5_1", "QPushButton", "Form1", "关闭", {11640, 5760, 1215, 615}, song, 14.25, true, false);
    row("List2", "QListWidget", "Form1", "", {120, 120, 12975, 6540}, song, 36, false, false);
    row("Frame4", "QGroupBox", "Form1", "随机抽取显示窗口：", {8520, 120, 4575, 2175}, song, 12, true, true);
    row("Label2", "QLabel", "Frame4", "", {240, 600, 3735, 975}, song, 42, true, true);
    row("Frame3", "QGroupBox", "Form1", "抽取设置：", {3720, 120, 4695, 2175}, song, 12, true, true);
    row("Command3_0", "QPushButton", "Frame3", "开始", {3240, 720, 1095, 855}, song, 12, true, true);
    row("Option1_1", "QRadioButton", "Frame3", "否", {2160, 1320, 495, 375}, song, 12, true, true);
    row("Option1_0", "QRadioButton", "Frame3", "是", {1320, 1320, 495, 375}, song, 12, true, true);
    row("Command3_1", "QPushButton", "Frame3", "结束", {3240, 720, 1095, 855}, song, 12, true, true);
    row("Text1", "QLineEdit", "Frame3", "", {1560, 600, 975, 375}, song, 12, true, true);
    row("Label1_9", "QLabel", "Frame3", "", {2640, 660, 285, 255}, song, 12, false, true);
    row("Label1_8", "QLabel", "Frame3", "抽取值：", {120, 660, 1335, 255}, song, 12, false, true);
    row("Label1_7", "QLabel", "Frame3", "抽取后是否保留", {120, 1320, 975, 495}, song, 12, false, true);
    row("Frame2", "QGroupBox", "Form1", "抽签对象设置：", {120, 120, 3495, 2175}, song, 12, true, true);
    row("Command6_0", "QPushButton", "Frame2", "打开EXCEL", {1800, 1080, 1455, 495}, song, 12, true, true);
    row("Command1_1", "QPushButton", "Frame2", "确定", {1800, 360, 1455, 495}, song, 15, true, true);
    row("Label5", "QLabel", "Frame2", "编辑抽签对象", {120, 1200, 1695, 375}, song, 12, true, true);
    row("Label4", "QLabel", "Frame2", "导入抽签对象", {120, 480, 1695, 375}, song, 12, true, true);
    row("Frame1", "QGroupBox", "Form1", "抽签结果显示：", {120, 2400, 12975, 4215}, song, 12, true, true);
    row("Command4_1", "QPushButton", "Frame1", "导出到EXCEL结束！", {2040, 0, 8295, 1455}, li, 36, true, false);
    row("Command2_8", "QPushButton", "Frame1", "导出", {11520, 3600, 975, 375}, song, 12, true, true);
    row("Command2_7", "QPushButton", "Frame1", "导出", {9000, 3600, 975, 375}, song, 12, true, true);
    row("Command2_6", "QPushButton", "Frame1", "导出", {6480, 3600, 975, 375}, song, 12, true, true);
    row("Command2_5", "QPushButton", "Frame1", "导出", {3960, 3600, 975, 375}, song, 12, true, true);
    row("Command2_4", "QPushButton", "Frame1", "查看", {10200, 3600, 1095, 375}, song, 12, true, true);
    row("Command2_3", "QPushButton", "Frame1", "查看", {7680, 3600, 1095, 375}, song, 12, true, true);
    row("Command2_2", "QPushButton", "Frame1", "查看", {5160, 3600, 1095, 375}, song, 12, true, true);
    row("Command2_1", "QPushButton", "Frame1", "查看", {2640, 3600, 975, 375}, song, 12, true, true);
    row("Command2_0", "QPushButton", "Frame1", "详情", {1560, 3600, 855, 375}, song, 12, true, true);
    row("List1_0", "QListWidget", "Frame1", "", {120, 840, 2295, 2670}, song, 12, false, true);
    row("List1_1", "QListWidget", "Frame1", "", {2640, 840, 2295, 2670}, song, 12, false, true);
    row("List1_2", "QListWidget", "Frame1", "", {5160, 840, 2295, 2670}, song, 12, false, true);
    row("List1_3", "QListWidget", "Frame1", "", {7680, 840, 2295, 2670}, song, 12, false, true);
    row("List1_4", "QListWidget", "Frame1", "", {10200, 840, 2295, 2670}, song, 12, false, true);
    row("Label3", "QLabel", "Frame1", "", {120, 3675, 1455, 375}, song, 12, true, true);
    row("Label1_0", "QLabel", "Frame1", "被抽名单：", {120, 480, 2295, 375}, song, 12, true, true);
    row("Label1_1", "QLabel", "Frame1", "第1次抽中", {2640, 480, 2295, 375}, song, 12, true, true);
    row("Label1_2", "QLabel", "Frame1", "第2次抽中", {5160, 480, 2295, 375}, song, 12, true, true);
    row("Label1_3", "QLabel", "Frame1", "第3次抽中", {7680, 480, 2295, 375}, song, 12, true, true);
    row("Label1_4", "QLabel", "Frame1", "第4次抽中", {10200, 480, 2295, 375}, song, 12, true, true);
}

void Form1Test::controlAtOpening() {
    QFETCH(QString, kind);
    QFETCH(QString, container);
    QFETCH(QString, text);
    QFETCH(QRect, twips);
    QFETCH(QString, family);
    QFETCH(qreal, points);
    QFETCH(bool, bold);
    QFETCH(bool, shown);

    QWidget *widget = control(QString::fromLatin1(QTest::currentDataTag()));
    QCOMPARE(widget->metaObject()->className(), kind);
    QCOMPARE(widget->parentWidget()->objectName(), container);
    QCOMPARE(widget->geometry(), QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
    QCOMPARE(widget->font().family(), family);
    QCOMPARE(widget->font().pointSizeF(), points);
    QCOMPARE(widget->font().bold(), bold);
    QCOMPARE(widget->isVisibleTo(m_form.get()), shown);

    QString shownText;
    if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
        shownText = button->text();
    } else if (auto *label = qobject_cast<QLabel *>(widget)) {
        shownText = label->text();
    } else if (auto *box = qobject_cast<QGroupBox *>(widget)) {
        shownText = box->title();
    } else if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        shownText = edit->text();
    } else if (auto *list = qobject_cast<QListWidget *>(widget)) {
        QCOMPARE(list->count(), 0);
    }
    QCOMPARE(shownText, text);
}

void Form1Test::fontsRenderInAChineseFace_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("宋体 caption") << QStringLiteral("Label1_1");
    QTest::newRow("宋体 display") << QStringLiteral("Label2");
    QTest::newRow("隶书 notice") << QStringLiteral("Command4_1");
}

void Form1Test::fontsRenderInAChineseFace() {
    QFETCH(QString, name);
    // The Windows face names do not exist here: the face actually used must cover Chinese, or the
    // captions would show as empty boxes.
    const QFontInfo info(control(name)->font());
    QVERIFY2(QFontDatabase::writingSystems(info.family()).contains(QFontDatabase::SimplifiedChinese),
             qPrintable(info.family()));
    const QFontMetrics metrics(control(name)->font());
    QVERIFY(metrics.inFont(QChar(u'抽')));
}

void Form1Test::stateAtOpening() {
    QVERIFY(qobject_cast<QRadioButton *>(control(QStringLiteral("Option1_0")))->isChecked());
    QVERIFY(!qobject_cast<QRadioButton *>(control(QStringLiteral("Option1_1")))->isChecked());
    QVERIFY(!m_form->findChild<QTimer *>(QStringLiteral("Timer1"))->isActive());
    QVERIFY(control(QStringLiteral("Command6_0"))->isEnabled());
    QCOMPARE(qobject_cast<QLabel *>(control(QStringLiteral("Label2")))->alignment() & Qt::AlignHCenter,
             Qt::AlignHCenter);
    QCOMPARE(qobject_cast<QLabel *>(control(QStringLiteral("Label3")))->palette().color(QPalette::WindowText),
             QColor(255, 0, 0));
    const lotdraw::DrawState &state = m_form->drawState();
    QCOMPARE(state.poolCount, 0);
    QCOMPARE(state.drawNumber, 0);
    QCOMPARE(state.resultSlot, 0);
    QVERIFY(m_messages.shown().isEmpty());
}

void Form1Test::startLiesInFrontOfStop() {
    // Both are shown at opening, at the same place; only "开始" can be hit.
    QVERIFY(control(QStringLiteral("Command3_1"))->isVisible());
    QCOMPARE(controlAt(centreInWindow(QStringLiteral("Command3_1"))), QStringLiteral("Command3_0"));
    m_form->setStartVisible(false);
    QCOMPARE(controlAt(centreInWindow(QStringLiteral("Command3_1"))), QStringLiteral("Command3_1"));
}

void Form1Test::enlargedViewCoversTheFrames() {
    m_form->setEnlargedListVisible(true);
    m_form->setEnlargedCloseVisible(true);
    for (const char *name : {"Command1_1", "Command3_0", "Label2", "List1_0", "Command2_5", "Text1"}) {
        QCOMPARE(controlAt(centreInWindow(QString::fromLatin1(name))), QStringLiteral("List2"));
    }
    QCOMPARE(controlAt(centreInWindow(QStringLiteral("Command5_1"))), QStringLiteral("Command5_1"));

    m_form->setEnlargedListVisible(false);
    m_form->setEnlargedCloseVisible(false);
    QCOMPARE(controlAt(centreInWindow(QStringLiteral("Command1_1"))), QStringLiteral("Command1_1"));
}

void Form1Test::exportNoticeLiesInFrontOfTheResults() {
    m_form->setExportNoticeVisible(true);
    QWidget *notice = control(QStringLiteral("Command4_1"));
    // The heading of the second result list lies under the notice.
    QCOMPARE(controlAt(centreInWindow(QStringLiteral("Label1_2"))), QStringLiteral("Command4_1"));
    QVERIFY(notice->isVisible());
    // The buttons under the lists stay reachable.
    QCOMPARE(controlAt(centreInWindow(QStringLiteral("Command2_5"))), QStringLiteral("Command2_5"));
}

void Form1Test::tabOrder() {
    const QStringList expected{
        QStringLiteral("List1_4"),    QStringLiteral("List1_3"),    QStringLiteral("List1_2"),
        QStringLiteral("List1_1"),    QStringLiteral("List1_0"),    QStringLiteral("Command1_1"),
        QStringLiteral("Text1"),      QStringLiteral("Command2_0"), QStringLiteral("Command2_1"),
        QStringLiteral("Command2_2"), QStringLiteral("Command2_3"), QStringLiteral("Command2_4"),
        QStringLiteral("Command3_1"), QStringLiteral("Command2_5"), QStringLiteral("Command2_6"),
        QStringLiteral("Command2_7"), QStringLiteral("Command2_8"), QStringLiteral("Option1_0"),
        QStringLiteral("Option1_1"),  QStringLiteral("Command4_1"), QStringLiteral("List2"),
        QStringLiteral("Command5_1"), QStringLiteral("Command3_0"), QStringLiteral("Command6_0")};
    QStringList chain;
    QWidget *widget = control(expected.first());
    while (chain.size() < expected.size()) {
        chain.append(widget->objectName());
        do {
            widget = widget->nextInFocusChain();
        } while (widget->objectName().isEmpty() || !expected.contains(widget->objectName()));
    }
    QCOMPARE(chain, expected);
}

void Form1Test::optionsFormOneGroup() {
    auto *yes = qobject_cast<QRadioButton *>(control(QStringLiteral("Option1_0")));
    auto *no = qobject_cast<QRadioButton *>(control(QStringLiteral("Option1_1")));
    QTest::mouseClick(no, Qt::LeftButton);
    QVERIFY(no->isChecked());
    QVERIFY(!yes->isChecked());
    QTest::mouseClick(no, Qt::LeftButton); // choosing the chosen one again keeps it
    QVERIFY(no->isChecked());
    QTest::mouseClick(yes, Qt::LeftButton);
    QVERIFY(yes->isChecked());
    QVERIFY(!no->isChecked());
}

QTEST_MAIN(Form1Test)
#include "form1_test.moc"

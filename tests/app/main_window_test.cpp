#include "app/main_window.h"
#include "support/fake_spreadsheet.h"
#include "support/recording_messages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using lotdraw::MainWindow;

// The window as it opens: every control where it was laid out, with its text, font and state.
class MainWindowTest : public QObject {
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
    void keepOptionsFormOneGroup();
    void fullScreenScalesTheFormAndEscRestoresIt();
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
    void enlargedViewOpensAtItsStartAndHoldsTheKeys();
    void exportNoticeClosesOnItsKeys_data();
    void exportNoticeClosesOnItsKeys();

private:
    void activate() {
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    QWidget *control(const QString &name) const {
        auto *widget = m_window->findChild<QWidget *>(name);
        if (widget == nullptr) {
            qFatal("no control %s", qPrintable(name));
        }
        return widget;
    }
    // The control that the operator would hit at a point of the window.
    QString controlAt(QPoint windowPoint) const {
        for (QWidget *hit = m_window->childAt(windowPoint); hit != nullptr; hit = hit->parentWidget()) {
            if (!hit->objectName().isEmpty() && !hit->objectName().startsWith(QLatin1String("qt_"))) {
                return hit->objectName();
            }
        }
        return {};
    }
    QPoint centreInWindow(const QString &name) const {
        QWidget *widget = control(name);
        return widget->mapTo(m_window.get(), widget->rect().center());
    }

    lotdraw::testing::RecordingMessages m_messages;
    lotdraw::testing::FakeSpreadsheetApplication m_spreadsheet;
    std::unique_ptr<MainWindow> m_window;
};

void MainWindowTest::init() {
    m_window = std::make_unique<MainWindow>(MainWindow::Dependencies{m_messages, m_spreadsheet, QString()});
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void MainWindowTest::cleanup() {
    m_window.reset();
}

void MainWindowTest::windowFrame() {
    QCOMPARE(m_window->windowTitle(), QStringLiteral("现场抽签V1.1"));
    QVERIFY(!m_window->windowIcon().isNull());
    QVERIFY(m_window->windowIcon().availableSizes().contains(QSize(32, 32)));
    // 13230 x 6720 twips at 15 twips a pixel, and the window cannot be resized.
    QCOMPARE(m_window->size(), QSize(882, 448));
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
    QCOMPARE(m_window->drawState().skipTick, 0);
}

void MainWindowTest::controlAtOpening_data() {
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
    row("closeViewButton", "QPushButton", "mainWindow", "关闭", {11640, 5760, 1215, 615}, song, 14.25, true, false);
    row("enlargedList", "QListWidget", "mainWindow", "", {120, 120, 12975, 6540}, song, 36, false, false);
    row("displayFrame", "QGroupBox", "mainWindow", "随机抽取显示窗口：", {8520, 120, 4575, 2175}, song, 12, true, true);
    row("rollingDisplay", "QLabel", "displayFrame", "", {240, 600, 3735, 975}, song, 42, true, true);
    row("settingsFrame", "QGroupBox", "mainWindow", "抽取设置：", {3720, 120, 4695, 2175}, song, 12, true, true);
    row("startButton", "QPushButton", "settingsFrame", "开始", {3240, 720, 1095, 855}, song, 12, true, true);
    row("removeOption", "QRadioButton", "settingsFrame", "否", {2160, 1320, 495, 375}, song, 12, true, true);
    row("keepOption", "QRadioButton", "settingsFrame", "是", {1320, 1320, 495, 375}, song, 12, true, true);
    row("stopButton", "QPushButton", "settingsFrame", "结束", {3240, 720, 1095, 855}, song, 12, true, true);
    row("drawCountBox", "QLineEdit", "settingsFrame", "", {1560, 600, 975, 375}, song, 12, true, true);
    row("drawCountUnitLabel", "QLabel", "settingsFrame", "", {2640, 660, 285, 255}, song, 12, false, true);
    row("drawCountLabel", "QLabel", "settingsFrame", "抽取值：", {120, 660, 1335, 255}, song, 12, false, true);
    row("keepChoiceLabel", "QLabel", "settingsFrame", "抽取后是否保留", {120, 1320, 975, 495}, song, 12, false, true);
    row("poolSourceFrame", "QGroupBox", "mainWindow", "抽签对象设置：", {120, 120, 3495, 2175}, song, 12, true, true);
    row("editButton", "QPushButton", "poolSourceFrame", "打开EXCEL", {1800, 1080, 1455, 495}, song, 12, true, true);
    row("importButton", "QPushButton", "poolSourceFrame", "确定", {1800, 360, 1455, 495}, song, 15, true, true);
    row("editLabel", "QLabel", "poolSourceFrame", "编辑抽签对象", {120, 1200, 1695, 375}, song, 12, true, true);
    row("importLabel", "QLabel", "poolSourceFrame", "导入抽签对象", {120, 480, 1695, 375}, song, 12, true, true);
    row("resultsFrame", "QGroupBox", "mainWindow", "抽签结果显示：", {120, 2400, 12975, 4215}, song, 12, true, true);
    row("exportNotice", "QPushButton", "resultsFrame", "导出到EXCEL结束！", {2040, 0, 8295, 1455}, li, 36, true, false);
    row("exportButton4", "QPushButton", "resultsFrame", "导出", {11520, 3600, 975, 375}, song, 12, true, true);
    row("exportButton3", "QPushButton", "resultsFrame", "导出", {9000, 3600, 975, 375}, song, 12, true, true);
    row("exportButton2", "QPushButton", "resultsFrame", "导出", {6480, 3600, 975, 375}, song, 12, true, true);
    row("exportButton1", "QPushButton", "resultsFrame", "导出", {3960, 3600, 975, 375}, song, 12, true, true);
    row("viewButton4", "QPushButton", "resultsFrame", "查看", {10200, 3600, 1095, 375}, song, 12, true, true);
    row("viewButton3", "QPushButton", "resultsFrame", "查看", {7680, 3600, 1095, 375}, song, 12, true, true);
    row("viewButton2", "QPushButton", "resultsFrame", "查看", {5160, 3600, 1095, 375}, song, 12, true, true);
    row("viewButton1", "QPushButton", "resultsFrame", "查看", {2640, 3600, 975, 375}, song, 12, true, true);
    row("poolViewButton", "QPushButton", "resultsFrame", "详情", {1560, 3600, 855, 375}, song, 12, true, true);
    row("poolList", "QListWidget", "resultsFrame", "", {120, 840, 2295, 2670}, song, 12, false, true);
    row("resultList1", "QListWidget", "resultsFrame", "", {2640, 840, 2295, 2670}, song, 12, false, true);
    row("resultList2", "QListWidget", "resultsFrame", "", {5160, 840, 2295, 2670}, song, 12, false, true);
    row("resultList3", "QListWidget", "resultsFrame", "", {7680, 840, 2295, 2670}, song, 12, false, true);
    row("resultList4", "QListWidget", "resultsFrame", "", {10200, 840, 2295, 2670}, song, 12, false, true);
    row("poolCountLabel", "QLabel", "resultsFrame", "", {120, 3675, 1455, 375}, song, 12, true, true);
    row("poolHeading", "QLabel", "resultsFrame", "被抽名单：", {120, 480, 2295, 375}, song, 12, true, true);
    row("resultHeading1", "QLabel", "resultsFrame", "第1次抽中", {2640, 480, 2295, 375}, song, 12, true, true);
    row("resultHeading2", "QLabel", "resultsFrame", "第2次抽中", {5160, 480, 2295, 375}, song, 12, true, true);
    row("resultHeading3", "QLabel", "resultsFrame", "第3次抽中", {7680, 480, 2295, 375}, song, 12, true, true);
    row("resultHeading4", "QLabel", "resultsFrame", "第4次抽中", {10200, 480, 2295, 375}, song, 12, true, true);
}

void MainWindowTest::controlAtOpening() {
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
    QCOMPARE(widget->isVisibleTo(m_window.get()), shown);

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

void MainWindowTest::fontsRenderInAChineseFace_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("宋体 caption") << QStringLiteral("resultHeading1");
    QTest::newRow("宋体 display") << QStringLiteral("rollingDisplay");
    QTest::newRow("隶书 notice") << QStringLiteral("exportNotice");
}

void MainWindowTest::fontsRenderInAChineseFace() {
    QFETCH(QString, name);
    // The Windows face names do not exist here: the face actually used must cover Chinese, or the
    // captions would show as empty boxes.
    const QFontInfo info(control(name)->font());
    QVERIFY2(QFontDatabase::writingSystems(info.family()).contains(QFontDatabase::SimplifiedChinese),
             qPrintable(info.family()));
    const QFontMetrics metrics(control(name)->font());
    QVERIFY(metrics.inFont(QChar(u'抽')));
}

void MainWindowTest::stateAtOpening() {
    QVERIFY(qobject_cast<QRadioButton *>(control(QStringLiteral("keepOption")))->isChecked());
    QVERIFY(!qobject_cast<QRadioButton *>(control(QStringLiteral("removeOption")))->isChecked());
    QVERIFY(!m_window->findChild<QTimer *>(QStringLiteral("rollTimer"))->isActive());
    QVERIFY(control(QStringLiteral("editButton"))->isEnabled());
    QCOMPARE(qobject_cast<QLabel *>(control(QStringLiteral("rollingDisplay")))->alignment() & Qt::AlignHCenter,
             Qt::AlignHCenter);
    QCOMPARE(qobject_cast<QLabel *>(control(QStringLiteral("poolCountLabel")))->palette().color(QPalette::WindowText),
             QColor(255, 0, 0));
    const lotdraw::DrawState &state = m_window->drawState();
    QCOMPARE(state.poolCount, 0);
    QCOMPARE(state.drawNumber, 0);
    QCOMPARE(state.resultSlot, 0);
    QVERIFY(m_messages.shown().isEmpty());
}

void MainWindowTest::startLiesInFrontOfStop() {
    // Both are shown at opening, at the same place; only "开始" can be hit.
    QVERIFY(control(QStringLiteral("stopButton"))->isVisible());
    QCOMPARE(controlAt(centreInWindow(QStringLiteral("stopButton"))), QStringLiteral("startButton"));
    m_window->setStartVisible(false);
    QCOMPARE(controlAt(centreInWindow(QStringLiteral("stopButton"))), QStringLiteral("stopButton"));
}

void MainWindowTest::enlargedViewCoversTheFrames() {
    m_window->setEnlargedListVisible(true);
    m_window->setEnlargedCloseVisible(true);
    for (const char *name :
         {"importButton", "startButton", "rollingDisplay", "poolList", "exportButton1", "drawCountBox"}) {
        QCOMPARE(controlAt(centreInWindow(QString::fromLatin1(name))), QStringLiteral("enlargedList"));
    }
    QCOMPARE(controlAt(centreInWindow(QStringLiteral("closeViewButton"))), QStringLiteral("closeViewButton"));

    m_window->setEnlargedListVisible(false);
    m_window->setEnlargedCloseVisible(false);
    QCOMPARE(controlAt(centreInWindow(QStringLiteral("importButton"))), QStringLiteral("importButton"));
}

void MainWindowTest::exportNoticeLiesInFrontOfTheResults() {
    m_window->setExportNoticeVisible(true);
    QWidget *notice = control(QStringLiteral("exportNotice"));
    // The heading of the second result list lies under the notice.
    QCOMPARE(controlAt(centreInWindow(QStringLiteral("resultHeading2"))), QStringLiteral("exportNotice"));
    QVERIFY(notice->isVisible());
    // The buttons under the lists stay reachable.
    QCOMPARE(controlAt(centreInWindow(QStringLiteral("exportButton1"))), QStringLiteral("exportButton1"));
}

void MainWindowTest::tabOrder() {
    const QStringList expected{
        QStringLiteral("resultList4"),     QStringLiteral("resultList3"),    QStringLiteral("resultList2"),
        QStringLiteral("resultList1"),     QStringLiteral("poolList"),       QStringLiteral("importButton"),
        QStringLiteral("drawCountBox"),    QStringLiteral("poolViewButton"), QStringLiteral("viewButton1"),
        QStringLiteral("viewButton2"),     QStringLiteral("viewButton3"),    QStringLiteral("viewButton4"),
        QStringLiteral("stopButton"),      QStringLiteral("exportButton1"),  QStringLiteral("exportButton2"),
        QStringLiteral("exportButton3"),   QStringLiteral("exportButton4"),  QStringLiteral("keepOption"),
        QStringLiteral("removeOption"),    QStringLiteral("exportNotice"),   QStringLiteral("enlargedList"),
        QStringLiteral("closeViewButton"), QStringLiteral("startButton"),    QStringLiteral("editButton")};
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

void MainWindowTest::keepOptionsFormOneGroup() {
    auto *yes = qobject_cast<QRadioButton *>(control(QStringLiteral("keepOption")));
    auto *no = qobject_cast<QRadioButton *>(control(QStringLiteral("removeOption")));
    QTest::mouseClick(no, Qt::LeftButton);
    QVERIFY(no->isChecked());
    QVERIFY(!yes->isChecked());
    QTest::mouseClick(no, Qt::LeftButton); // choosing the chosen one again keeps it
    QVERIFY(no->isChecked());
    QTest::mouseClick(yes, Qt::LeftButton);
    QVERIFY(yes->isChecked());
    QVERIFY(!no->isChecked());
}

void MainWindowTest::fullScreenScalesTheFormAndEscRestoresIt() {
    QWidget *start = control(QStringLiteral("startButton"));
    QWidget *frame = control(QStringLiteral("settingsFrame"));
    QWidget *focused = control(QStringLiteral("poolList"));
    focused->setFocus();
    const QRect normal = m_window->geometry();

    // The test runs on a screen of 1280 x 800 pixels: the factor is 1280 / 882, the form 650 px high
    // with a margin of 75 px above it.
    QTest::keyClick(focused, Qt::Key_F11);
    QVERIFY(m_window->isFullScreen());
    // The platform gives the screen's size when it pleases; the form follows the size it gets.
    QTRY_COMPARE(m_window->size(), QSize(1280, 800));
    QCOMPARE(start->geometry(), QRect(313, 70, 106, 83));
    QCOMPARE(frame->geometry(), QRect(360, 75 + 12, 454, 210));
    QCOMPARE(control(QStringLiteral("enlargedList"))->geometry(), QRect(12, 75 + 12, 1255, 633));
    QVERIFY(qFuzzyCompare(start->font().pointSizeF(), 12 * 1280.0 / 882));
    QVERIFY(qFuzzyCompare(control(QStringLiteral("exportNotice"))->font().pointSizeF(), 36 * 1280.0 / 882));
    // The rolling name is drawn too large for Qt to thicken a face without a bold of its own.
    QCOMPARE(QFontInfo(control(QStringLiteral("rollingDisplay"))->font()).styleName(), QStringLiteral("Bold"));

    QTest::keyClick(focused, Qt::Key_Escape);
    QVERIFY(!m_window->isFullScreen());
    QCOMPARE(m_window->geometry(), normal);
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
    QCOMPARE(start->geometry(), QRect(216, 48, 73, 57));
    QCOMPARE(frame->geometry(), QRect(248, 8, 313, 145));
    QCOMPARE(start->font().pointSizeF(), 12.0);
}

void MainWindowTest::enterPressesTheFocusedButton_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("Return") << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::NoModifier);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier);
}

void MainWindowTest::enterPressesTheFocusedButton() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    activate();
    lotdraw::DrawState &state = m_window->drawState();
    for (std::size_t i = 1; i <= 3; ++i) {
        state.poolNames.at(i) = QStringLiteral("名%1").arg(i);
    }
    state.poolCount = 3;
    m_window->refillPoolList();
    QWidget *box = control(QStringLiteral("drawCountBox"));
    QWidget *start = control(QStringLiteral("startButton"));
    QWidget *stop = control(QStringLiteral("stopButton"));
    auto *timer = m_window->findChild<QTimer *>(QStringLiteral("rollTimer"));

    // In the number box Enter does nothing of its own.
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("1"));
    QTest::keyClick(box, Qt::Key(key), modifiers);
    QVERIFY(!timer->isActive());
    QCOMPARE(QApplication::focusWidget(), box);

    start->setFocus();
    QTest::keyClick(start, Qt::Key(key), modifiers);
    QVERIFY(timer->isActive());
    QCOMPARE(QApplication::focusWidget(), stop);
    QTest::keyClick(stop, Qt::Key(key), modifiers);
    QVERIFY(!timer->isActive());
    QCOMPARE(QApplication::focusWidget(), start);
    QCOMPARE(qobject_cast<QListWidget *>(control(QStringLiteral("resultList1")))->count(), 1);
    QVERIFY(m_messages.shown().isEmpty());
}

// Opened after a long list was scrolled to its end, the same list and a short one show their first
// name at the top left, the short one without a scroll bar. Tab goes between the list and "关闭"
// only, and Esc closes the view before it leaves full screen.
void MainWindowTest::enlargedViewOpensAtItsStartAndHoldsTheKeys() {
    activate();
    for (int i = 1; i <= 60; ++i) {
        m_window->list(0).append(QStringLiteral("池%1").arg(i));
    }
    for (int i = 1; i <= 20; ++i) {
        m_window->list(1).append(QStringLiteral("中%1").arg(i));
    }
    auto *enlarged = qobject_cast<QListWidget *>(control(QStringLiteral("enlargedList")));
    QWidget *close = control(QStringLiteral("closeViewButton"));
    QScrollBar *sideways = enlarged->horizontalScrollBar();
    QWidget *poolView = control(QStringLiteral("poolViewButton"));
    QTest::mouseClick(poolView, Qt::LeftButton);
    QTRY_VERIFY(sideways->isVisible());
    sideways->setValue(sideways->maximum());
    QVERIFY(sideways->value() > 0);
    QTest::mouseClick(close, Qt::LeftButton);
    QTest::mouseClick(poolView, Qt::LeftButton);
    QCOMPARE(enlarged->visualItemRect(enlarged->item(0)).topLeft(), QPoint(0, 0));
    QTest::mouseClick(close, Qt::LeftButton);

    QWidget *view = control(QStringLiteral("viewButton1"));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Space);
    QVERIFY(enlarged->isVisible());
    QTRY_VERIFY(!sideways->isVisible());
    QCOMPARE(enlarged->visualItemRect(enlarged->item(0)).topLeft(), QPoint(0, 0));
    QVERIFY(enlarged->viewport()->rect().contains(enlarged->visualItemRect(enlarged->item(19))));

    QCOMPARE(QApplication::focusWidget(), enlarged);
    QTest::keyClick(enlarged, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), close);
    QTest::keyClick(close, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), enlarged);
    QTest::keyClick(enlarged, Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), close);

    QTest::keyClick(close, Qt::Key_F11);
    QVERIFY(m_window->isFullScreen());
    QTest::keyClick(close, Qt::Key_Escape);
    QVERIFY(!enlarged->isVisible());
    QVERIFY(!close->isVisible());
    QVERIFY(m_window->isFullScreen());
    QCOMPARE(QApplication::focusWidget(), view);
    QTest::keyClick(view, Qt::Key_Escape);
    QVERIFY(!m_window->isFullScreen());
}

void MainWindowTest::exportNoticeClosesOnItsKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("Esc") << int(Qt::Key_Escape) << Qt::KeyboardModifiers(Qt::NoModifier);
    QTest::newRow("Return") << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::NoModifier);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier);
    QTest::newRow("Space") << int(Qt::Key_Space) << Qt::KeyboardModifiers(Qt::NoModifier);
}

void MainWindowTest::exportNoticeClosesOnItsKeys() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    activate();
    QWidget *notice = control(QStringLiteral("exportNotice"));
    QWidget *exportButton = control(QStringLiteral("exportButton1"));
    const auto edgeColour = [notice] { return notice->grab().toImage().pixelColor(1, notice->height() / 2); };
    // The buttons' focus colour.
    const QColor focusColour(0x25, 0x63, 0xeb);
    exportButton->setFocus();

    // The notice takes the focus as it shows, so the next key closes it instead of exporting again.
    m_window->setExportNoticeVisible(true);
    QCOMPARE(QApplication::focusWidget(), notice);
    QCOMPARE(edgeColour(), focusColour);
    exportButton->setFocus();
    QVERIFY(edgeColour() != focusColour);
    notice->setFocus();
    QTest::keyClick(notice, Qt::Key(key), modifiers);
    QVERIFY(!notice->isVisible());
    QCOMPARE(QApplication::focusWidget(), exportButton);
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"

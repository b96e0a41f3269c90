#include "app/form_layout.h"
#include "app/main_window.h"
#include "support/fake_spreadsheet.h"
#include "support/recording_messages.h"
#include "support/window_probe.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>

using lotdraw::FormEventView;
using lotdraw::MainWindow;
using lotdraw::testing::backgroundOf;
using lotdraw::testing::headingName;
using lotdraw::testing::linesOf;
using lotdraw::testing::listName;
using lotdraw::testing::numbered;
using lotdraw::testing::viewButtonName;

// The window as it opens: every control where it was laid out, with its text, font and state.
class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowFrame();
    void controlAtOpening_data();
    void controlAtOpening();
    void controlsLieInsideTheirFramesApart();
    void controlsOfARowLineUp();
    void fontsRenderInAChineseFace_data();
    void fontsRenderInAChineseFace();
    void stateAtOpening();
    void formShowsTheEvent();
    void startLiesInFrontOfStop();
    void enlargedViewCoversTheFrames();
    void exportNoticeLiesInFrontOfTheResults();
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
    template<typename Widget = QWidget>
    Widget *control(const QString &name) const {
        return lotdraw::testing::control<Widget>(*m_window, name);
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
    QVERIFY(!m_window->windowIcon().isNull());
    QVERIFY(m_window->windowIcon().availableSizes().contains(QSize(32, 32)));
    // 13230 x 6720 twips at 15 twips a pixel, and the window cannot be resized.
    QCOMPARE(m_window->size(), QSize(882, 448));
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
}

void MainWindowTest::controlAtOpening_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("shown");

    const auto row = [](const QString &name, const QString &text, bool shown) {
        QTest::newRow(qPrintable(name)) << text << shown;
    };
    // What the operator sees at opening; the enlarged view and the export notice wait hidden.
    row("closeViewButton", "关闭", false);
    row("enlargedList", "", false);
    row("exportNotice", "导出到EXCEL结束！", false);
    row("displayFrame", "随机抽取显示窗口：", true);
    row("rollingDisplay", "", true);
    row("settingsFrame", "抽取设置：", true);
    row("startButton", "开始", true);
    row("stopButton", "结束", true);
    row("keepOption", "是", true);
    row("removeOption", "否", true);
    row("drawCountBox", "", true);
    row("drawCountUnitLabel", "", true);
    row("drawCountLabel", "抽取值：", true);
    row("keepChoiceLabel", "抽取后是否保留", true);
    row("poolSourceFrame", "抽签对象设置：", true);
    row("editButton", "打开EXCEL", true);
    row("importButton", "确定", true);
    row("editLabel", "编辑抽签对象", true);
    row("importLabel", "导入抽签对象", true);
    row("resultsFrame", "抽签结果显示：", true);
    row("poolList", "", true);
    row("poolCountLabel", "", true);
    row("poolHeading", "被抽名单：", true);
    row("poolViewButton", "详情", true);
    for (int i = 1; i <= 4; ++i) {
        row(QStringLiteral("resultList%1").arg(i), "", true);
        row(QStringLiteral("resultHeading%1").arg(i), QStringLiteral("第%1次抽中").arg(i), true);
        row(QStringLiteral("viewButton%1").arg(i), "查看", true);
        row(QStringLiteral("exportButton%1").arg(i), "导出", true);
    }
}

void MainWindowTest::controlAtOpening() {
    QFETCH(QString, text);
    QFETCH(bool, shown);

    QWidget *widget = control(QString::fromLatin1(QTest::currentDataTag()));
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

void MainWindowTest::controlsLieInsideTheirFramesApart() {
    QStringList shown;
    for (const lotdraw::ControlPlace &place : lotdraw::formLayout()) {
        QWidget *widget = control(QString::fromLatin1(place.name));
        // Inside its frame (or the window), not cut off.
        QVERIFY2(widget->parentWidget()->rect().contains(widget->geometry()), place.name);
        if (widget->isVisibleTo(m_window.get())) {
            shown.append(widget->objectName());
        }
    }
    // No two controls shown side by side cover each other by more than the pixel where neighbours
    // meet; only "结束" lies behind "开始", the same size.
    for (const QString &first : shown) {
        for (const QString &second : shown) {
            const QRect overlap = control(first)->geometry() & control(second)->geometry();
            if (first < second && control(first)->parentWidget() == control(second)->parentWidget() &&
                first + second != QStringLiteral("startButtonstopButton")) {
                QVERIFY2(overlap.width() <= 1 || overlap.height() <= 1, qPrintable(first + u' ' + second));
            }
        }
    }
    QCOMPARE(control(QStringLiteral("stopButton"))->geometry(), control(QStringLiteral("startButton"))->geometry());
}

void MainWindowTest::controlsOfARowLineUp() {
    // The three frames on top, the number box with its label, the keep choice with its options, and
    // the five columns of results, evenly spaced.
    const auto rect = [this](const QString &name) { return control(name)->geometry(); };
    for (const char *frame : {"displayFrame", "settingsFrame"}) {
        QCOMPARE(rect(QLatin1String(frame)).top(), rect(QStringLiteral("poolSourceFrame")).top());
        QCOMPARE(rect(QLatin1String(frame)).height(), rect(QStringLiteral("poolSourceFrame")).height());
    }
    QCOMPARE(rect(QStringLiteral("drawCountLabel")).center().y(), rect(QStringLiteral("drawCountBox")).center().y());
    for (const char *option : {"keepOption", "removeOption"}) {
        QCOMPARE(rect(QLatin1String(option)).top(), rect(QStringLiteral("keepChoiceLabel")).top());
    }
    const int spacing = rect(QStringLiteral("resultList1")).left() - rect(QStringLiteral("poolList")).left();
    for (int i = 0; i <= 4; ++i) {
        const QRect list = rect(listName(i));
        const QRect heading = rect(headingName(i));
        const QRect view = rect(viewButtonName(i));
        QCOMPARE(list.left(), rect(QStringLiteral("poolList")).left() + i * spacing);
        QCOMPARE(list.size(), rect(QStringLiteral("poolList")).size());
        QCOMPARE(heading.left(), list.left());
        QCOMPARE(heading.width(), list.width());
        QCOMPARE(heading.top(), rect(QStringLiteral("poolHeading")).top());
        QCOMPARE(view.top(), rect(QStringLiteral("poolViewButton")).top());
        QVERIFY(view.top() > list.bottom());
        if (i > 0) {
            QCOMPARE(rect(QStringLiteral("exportButton%1").arg(i)).top(), view.top());
            QCOMPARE(view.left(), list.left());
        }
    }
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
    QVERIFY(m_messages.shown().isEmpty());
}

// The pool with its count, the result lists under their headings with the latest in the highlight
// colour, and the keep choice all follow the event; the operator's choice goes into it.
void MainWindowTest::formShowsTheEvent() {
    lotdraw::EventModel &event = m_window->event();
    const auto lines = [this](int list) { return linesOf(*m_window, list); };
    const auto heading = [this](int list) { return control<QLabel>(headingName(list))->text(); };
    const auto option = [this](const char *name) { return control<QRadioButton>(QString::fromLatin1(name)); };
    const auto colour = [this](int list) { return backgroundOf(control<QListWidget>(listName(list))); };
    const QColor plain = colour(1);
    QVERIFY(plain != FormEventView::kHighlightColour);
    event.restore({.pool = {"甲", "乙", "丙"},
                   .results = {QStringList{"五"}, QStringList{"六", "七"}, QStringList{"三"}, QStringList{"四"}},
                   .drawNumber = 6,
                   .choice = lotdraw::KeepChoice::Remove});

    QCOMPARE(lines(0), (QStringList{"甲", "乙", "丙"}));
    QCOMPARE(control<QLabel>(QStringLiteral("poolCountLabel"))->text(), QStringLiteral("3可抽值"));
    QCOMPARE(lines(2), (QStringList{"六", "七"}));
    QCOMPARE((QStringList{heading(1), heading(2), heading(3), heading(4)}),
             (QStringList{"第5次抽中", "第6次抽中", "第3次抽中", "第4次抽中"}));
    for (int list = 1; list <= 4; ++list) {
        QCOMPARE(colour(list), list == 2 ? FormEventView::kHighlightColour : plain);
    }
    QVERIFY(option("removeOption")->isChecked() && !option("keepOption")->isChecked());
    option("keepOption")->click();
    QCOMPARE(event.keepChoice(), lotdraw::KeepChoice::Keep);
    QVERIFY(!option("removeOption")->isChecked());

    // A new series: no choice, empty lists under their first headings; the pool and its count stay.
    event.startSeries();
    QVERIFY(!option("keepOption")->isChecked() && !option("removeOption")->isChecked());
    QCOMPARE(lines(2), QStringList{});
    QCOMPARE(heading(2), QStringLiteral("第2次抽中"));
    QCOMPARE(colour(2), plain);
    QCOMPARE(lines(0), (QStringList{"甲", "乙", "丙"}));
    QCOMPARE(control<QLabel>(QStringLiteral("poolCountLabel"))->text(), QStringLiteral("3可抽值"));
    // The pair still works as a pair afterwards.
    option("keepOption")->click();
    option("removeOption")->click();
    QVERIFY(!option("keepOption")->isChecked());
    QCOMPARE(event.keepChoice(), lotdraw::KeepChoice::Remove);
}

void MainWindowTest::startLiesInFrontOfStop() {
    // Both are shown at opening, at the same place; only "开始" can be hit.
    QVERIFY(control(QStringLiteral("stopButton"))->isVisible());
    QCOMPARE(controlAt(centreInWindow(QStringLiteral("stopButton"))), QStringLiteral("startButton"));
    m_window->controls().setStartVisible(false);
    QCOMPARE(controlAt(centreInWindow(QStringLiteral("stopButton"))), QStringLiteral("stopButton"));
}

void MainWindowTest::enlargedViewCoversTheFrames() {
    m_window->controls().showEnlargedList({});
    for (const char *name :
         {"importButton", "startButton", "rollingDisplay", "poolList", "exportButton1", "drawCountBox"}) {
        QCOMPARE(controlAt(centreInWindow(QString::fromLatin1(name))), QStringLiteral("enlargedList"));
    }
    QCOMPARE(controlAt(centreInWindow(QStringLiteral("closeViewButton"))), QStringLiteral("closeViewButton"));

    m_window->controls().closeEnlargedList();
    QCOMPARE(controlAt(centreInWindow(QStringLiteral("importButton"))), QStringLiteral("importButton"));
}

void MainWindowTest::exportNoticeLiesInFrontOfTheResults() {
    m_window->controls().setExportNoticeVisible(true);
    QWidget *notice = control(QStringLiteral("exportNotice"));
    // The heading of the second result list lies under the notice.
    QCOMPARE(controlAt(centreInWindow(QStringLiteral("resultHeading2"))), QStringLiteral("exportNotice"));
    QVERIFY(notice->isVisible());
    // The buttons under the lists stay reachable.
    QCOMPARE(controlAt(centreInWindow(QStringLiteral("exportButton1"))), QStringLiteral("exportButton1"));
}

void MainWindowTest::fullScreenScalesTheFormAndEscRestoresIt() {
    QWidget *focused = control(QStringLiteral("poolList"));
    focused->setFocus();
    const QRect normal = m_window->geometry();
    QMap<QString, std::pair<QRect, qreal>> before; // place in the window, font size
    for (const lotdraw::ControlPlace &place : lotdraw::formLayout()) {
        QWidget *widget = control(QString::fromLatin1(place.name));
        before.insert(widget->objectName(),
                      {QRect(widget->mapTo(m_window.get(), QPoint()), widget->size()), widget->font().pointSizeF()});
    }

    // The test runs on a screen of 1280 x 800 pixels.
    QTest::keyClick(focused, Qt::Key_F11);
    QVERIFY(m_window->isFullScreen());
    // The platform gives the screen's size when it pleases; the form follows the size it gets.
    QTRY_COMPARE(m_window->size(), QSize(1280, 800));
    // The whole form, scaled alike, as large as the screen allows and in its middle.
    const qreal factor = std::min(1280.0 / 882, 800.0 / 448);
    const QPoint origin((1280 - qRound(882 * factor)) / 2, (800 - qRound(448 * factor)) / 2);
    for (auto place = before.cbegin(); place != before.cend(); ++place) {
        QWidget *widget = control(place.key());
        const QRect now(widget->mapTo(m_window.get(), QPoint()), widget->size());
        const QRectF scaled(QPointF(place->first.topLeft()) * factor + origin, QSizeF(place->first.size()) * factor);
        QVERIFY2(std::abs(now.left() - scaled.left()) <= 1.5 && std::abs(now.top() - scaled.top()) <= 1.5 &&
                     std::abs(now.width() - scaled.width()) <= 1.5 && std::abs(now.height() - scaled.height()) <= 1.5,
                 qPrintable(place.key()));
        QVERIFY2(qFuzzyCompare(widget->font().pointSizeF(), place->second * factor), qPrintable(place.key()));
    }
    // The rolling name is drawn too large for Qt to thicken a face without a bold of its own.
    QCOMPARE(QFontInfo(control(QStringLiteral("rollingDisplay"))->font()).styleName(), QStringLiteral("Bold"));

    QTest::keyClick(focused, Qt::Key_Escape);
    QVERIFY(!m_window->isFullScreen());
    QCOMPARE(m_window->geometry(), normal);
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
    for (auto place = before.cbegin(); place != before.cend(); ++place) {
        QWidget *widget = control(place.key());
        QCOMPARE(QRect(widget->mapTo(m_window.get(), QPoint()), widget->size()), place->first);
        QCOMPARE(widget->font().pointSizeF(), place->second);
    }
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
    m_window->event().setPool(numbered(QStringLiteral("名"), 3));
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
    m_window->event().setPool(numbered(QStringLiteral("池"), 60));
    lotdraw::testing::fillResults(m_window->event(), 1, numbered(QStringLiteral("中"), 20));
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
    m_window->controls().setExportNoticeVisible(true);
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

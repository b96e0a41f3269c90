#include "app/main_window.h"
#include "app/message_box_messages.h"
#include "namelist/workbook_commands.h"
#include "support/fake_spreadsheet.h"
#include "support/operator_texts.h"
#include "support/recording_messages.h"
#include "support/window_probe.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <qpa/qplatformnativeinterface.h>

using namespace lotdraw;
using lotdraw::testing::FakeSpreadsheetApplication;
using lotdraw::testing::kNoKeepChoiceText;
using lotdraw::testing::kNothingDrawnText;
using lotdraw::testing::kNotPrintedText;
using lotdraw::testing::linesOf;
using lotdraw::testing::RecordingMessages;
using Operation = FakeSpreadsheetApplication::Operation;

namespace {

const QString kPath = QStringLiteral("/opt/lotdraw/导入名单.xls");

// The texts the stage shows in labels of that name, in their order, as a screen reader reads them.
QStringList onStage(const QWidget *stage, const char *role) {
    QStringList texts;
    for (const QLabel *label : stage->findChildren<QLabel *>(QString::fromLatin1(role))) {
        if (label->isVisible()) {
            texts.append(QAccessible::queryAccessibleInterface(const_cast<QLabel *>(label))->text(QAccessible::Name));
        }
    }
    return texts;
}

// The screen the stage belongs on: the only one, or the projector beside the laptop.
QScreen *stageScreen() {
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.size() == 1) {
        return screens.front();
    }
    for (QScreen *screen : screens) {
        if (screen->name() == QStringLiteral("projector")) {
            return screen;
        }
    }
    qFatal("no screen named projector");
}

// The offscreen platform's screens, read and changed as a projector is plugged in or pulled out;
// nothing where the tests run on another platform.
QJsonObject offscreenScreens() {
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    const auto read = reinterpret_cast<QJsonObject (*)(QPlatformNativeInterface *)>(
        native != nullptr ? native->nativeResourceForIntegration("configuration") : nullptr);
    return read != nullptr ? read(native) : QJsonObject();
}

void setOffscreenScreens(const QJsonObject &configuration) {
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    const auto write = reinterpret_cast<void (*)(const QJsonObject &, QPlatformNativeInterface *)>(
        native->nativeResourceForIntegration("setConfiguration"));
    write(configuration, native);
}

} // namespace

// The window's buttons reach the workbook and results commands.
class MainWindowCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void viewButtonsOpenAndCloseTheEnlargedList_data();
    void viewButtonsOpenAndCloseTheEnlargedList();
    void exportButtonsWriteTheirColumn_data();
    void exportButtonsWriteTheirColumn();
    void slowOfficeWorkShowsProgress_data();
    void slowOfficeWorkShowsProgress();
    void clicksQueuedDuringQuickWorkAreDropped();
    void remoteKeysStartAndStopTheDraw_data();
    void remoteKeysStartAndStopTheDraw();
    void stageKeysOpenAndCloseTheStage_data();
    void stageKeysOpenAndCloseTheStage();
    void printedRecordHoldsEveryDraw_data();
    void printedRecordHoldsEveryDraw();
    void stageFollowsTheDraw();
    void messageTakesTheKeysOverTheOperatorWindow();
    void stageComesBackWhenItsScreenGoesAway();

private:
    template<typename T>
    T *child(const char *name) {
        return lotdraw::testing::control<T>(*m_window, QString::fromLatin1(name));
    }
    // The pool (list 0) or a result list (1..4) holds these names.
    void fill(int list, const QStringList &names) { lotdraw::testing::fillList(m_window->event(), list, names); }
    // The pool imported, "是" (or "否") chosen and two names a draw.
    void readyToDraw(const char *choice = "keepOption") {
        QTest::mouseClick(child<QPushButton>("importButton"), Qt::LeftButton);
        QTest::mouseClick(child<QRadioButton>(choice), Qt::LeftButton);
        child<QLineEdit>("drawCountBox")->setText(QStringLiteral("2"));
    }
    void blankTheStageDuringARoll(QKeyCombination key);

    QDateTime m_now; // the window's clock
    RecordingMessages m_messages;
    lotdraw::MessageBoxMessages m_boxes;
    FakeSpreadsheetApplication m_spreadsheet;
    std::unique_ptr<MainWindow> m_window;
};

void MainWindowCommandsTest::init() {
    m_messages.clear();
    m_spreadsheet = {};
    m_spreadsheet.setWorkbookPath(kPath);
    m_spreadsheet.setSavedColumn(1, 3, {QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")});
    m_now = QDateTime(QDate(2026, 3, 5), QTime(14, 0));
    MainWindow::Dependencies dependencies{.messages = m_messages, .spreadsheet = m_spreadsheet, .workbookPath = kPath};
    dependencies.clock = [this] { return m_now; };
    m_window = std::make_unique<MainWindow>(dependencies);
    m_window->show();
}

void MainWindowCommandsTest::cleanup() {
    m_window.reset();
}

void MainWindowCommandsTest::viewButtonsOpenAndCloseTheEnlargedList_data() {
    QTest::addColumn<int>("index");
    QTest::newRow("pool") << 0;
    for (int i = 1; i <= 4; ++i) {
        QTest::addRow("result list %d", i) << i;
    }
}

void MainWindowCommandsTest::viewButtonsOpenAndCloseTheEnlargedList() {
    QFETCH(int, index);
    const QStringList lines{QStringLiteral("名%1").arg(index), QStringLiteral("又一名")};
    fill(index, lines);
    auto *enlarged = child<QListWidget>("enlargedList");
    auto *close = child<QPushButton>("closeViewButton");
    const QString button = lotdraw::testing::viewButtonName(index);

    QTest::mouseClick(child<QPushButton>(qPrintable(button)), Qt::LeftButton);
    QVERIFY(enlarged->isVisible());
    QVERIFY(close->isVisible());
    QCOMPARE(linesOf(enlarged), lines);
    // A snapshot: a line added to the source later shows only at the next opening.
    fill(index, lines + QStringList{QStringLiteral("后来")});
    QCOMPARE(linesOf(enlarged), lines);

    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(!enlarged->isVisible());
    QVERIFY(!close->isVisible());
}

void MainWindowCommandsTest::exportButtonsWriteTheirColumn_data() {
    QTest::addColumn<int>("index");
    for (int i = 1; i <= 4; ++i) {
        QTest::addRow("result list %d", i) << i;
    }
}

void MainWindowCommandsTest::exportButtonsWriteTheirColumn() {
    QFETCH(int, index);
    fill(index, {QStringLiteral("中签")});
    auto *notice = child<QPushButton>("exportNotice");

    QTest::mouseClick(child<QPushButton>(qPrintable(QStringLiteral("exportButton%1").arg(index))), Qt::LeftButton);
    QCOMPARE(m_spreadsheet.savedCell(3, index + 1), QStringLiteral("中签"));
    QVERIFY(notice->isVisible());
    QCOMPARE(notice->text(), QStringLiteral("导出到EXCEL结束！"));

    QTest::mouseClick(notice, Qt::LeftButton);
    QVERIFY(!notice->isVisible());
}

void MainWindowCommandsTest::slowOfficeWorkShowsProgress_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("operation");
    // How the operator answers the progress window: "wait" lets the office go on; "取消" stops it;
    // "late 取消" stops it just as the office call returns. Esc and the window's close button are
    // the progress layer's own (spreadsheet_progress_test).
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("text");

    const QString starting = QStringLiteral("正在启动电子表格程序……");
    const QString reading = QStringLiteral("正在读取名单……");
    const QString saving = QStringLiteral("正在保存名单工作簿……");
    QTest::newRow("slow start, then the import") << "importButton" << int(Operation::Create) << "wait" << starting;
    QTest::newRow("import cancelled while starting") << "importButton" << int(Operation::Create) << "取消" << starting;
    QTest::newRow("import cancelled while reading") << "importButton" << int(Operation::Read) << "取消" << reading;
    // The read has already come back: the names must not become the pool.
    QTest::newRow("import cancelled as the read returns")
        << "importButton" << int(Operation::Read) << "late 取消" << reading;
    QTest::newRow("slow save, then the export") << "exportButton1" << int(Operation::Save) << "wait" << saving;
    QTest::newRow("export cancelled while saving") << "exportButton1" << int(Operation::Save) << "取消" << saving;
    QTest::newRow("edit cancelled while the window opens") << "editButton" << int(Operation::Show) << "取消"
                                                           << "正在电子表格窗口中打开名单工作簿……";
}

void MainWindowCommandsTest::slowOfficeWorkShowsProgress() {
    QFETCH(QString, button);
    QFETCH(int, operation);
    QFETCH(QString, answer);
    QFETCH(QString, text);
    const bool cancel = answer != QStringLiteral("wait");
    // An earlier pool and result, to see what the command leaves of them.
    const QStringList oldPool{QStringLiteral("旧甲"), QStringLiteral("旧乙")};
    m_window->event().setPool(oldPool);
    fill(1, {QStringLiteral("中签")});
    const FakeSpreadsheetApplication::Cells savedBefore = m_spreadsheet.savedCells();
    m_spreadsheet.holdAt(static_cast<Operation>(operation));

    // A key the window has a shortcut for, as a presenter remote would send.
    int shortcutsFired = 0;
    const QShortcut shortcut(QKeySequence(Qt::Key_F5), m_window.get(), [&shortcutsFired] { ++shortcutsFired; });
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(m_window.get(), Qt::Key_F5);
    QCOMPARE(shortcutsFired, 1);

    // Plays the operator while the office is held: clicks the command again and presses the key
    // at once, waits for the progress window, then answers it.
    QElapsedTimer clock;
    qint64 shownAfter = -1;
    QString shownText;
    bool impatient = false;
    QTimer operatorAtTheWindow;
    operatorAtTheWindow.setInterval(20);
    connect(&operatorAtTheWindow, &QTimer::timeout, this, [&] {
        if (!m_spreadsheet.isHolding()) {
            return;
        }
        if (!impatient) {
            impatient = true;
            QTest::mouseClick(child<QPushButton>(qPrintable(button)), Qt::LeftButton);
            QTest::keyClick(m_window.get(), Qt::Key_F5);
        }
        auto *dialog = m_window->findChild<QDialog *>(QStringLiteral("progressDialog"));
        if (dialog == nullptr || !dialog->isVisible()) {
            return;
        }
        operatorAtTheWindow.stop();
        shownAfter = clock.elapsed();
        shownText = dialog->findChild<QLabel *>(QStringLiteral("progressText"))->text();
        auto *cancelButton = dialog->findChild<QPushButton *>(QStringLiteral("progressCancelButton"));
        if (answer == QStringLiteral("取消")) {
            QTest::mouseClick(cancelButton, Qt::LeftButton);
        } else {
            m_spreadsheet.release();
            while (answer == QStringLiteral("late 取消") && m_spreadsheet.isHolding()) {
                QThread::yieldCurrentThread();
            }
            if (answer == QStringLiteral("late 取消")) {
                QTest::mouseClick(cancelButton, Qt::LeftButton);
            }
        }
    });
    operatorAtTheWindow.start();
    clock.start();
    QTest::mouseClick(child<QPushButton>(qPrintable(button)), Qt::LeftButton);
    operatorAtTheWindow.stop();

    // The window came up only once the wait had lasted half a second, and said what for.
    QVERIFY2(shownAfter >= 500, qPrintable(QString::number(shownAfter)));
    QCOMPARE(shownText, text);
    // The second click and the key went nowhere, and the progress window went with the work.
    QCOMPARE(m_spreadsheet.log().count(button == QStringLiteral("editButton") ? QStringLiteral("probe")
                                                                              : QStringLiteral("create")),
             1);
    QCOMPARE(shortcutsFired, 1);
    QVERIFY(!m_window->findChild<QDialog *>(QStringLiteral("progressDialog"))->isVisible());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    // A cancel is no error to report; it ends the office like a failure at that step.
    QCOMPARE(m_messages.shown(), QStringList{});
    QCOMPARE(m_spreadsheet.log().contains(QStringLiteral("cancel")), cancel);
    QTRY_COMPARE(m_spreadsheet.liveInstances(), 0);

    const QStringList newPool{QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")};
    if (button == QStringLiteral("importButton")) {
        QCOMPARE(linesOf(child<QListWidget>("poolList")), cancel ? oldPool : newPool);
        QCOMPARE(child<QLabel>("poolCountLabel")->text(),
                 cancel ? QStringLiteral("2可抽值") : QStringLiteral("3可抽值"));
    } else if (button == QStringLiteral("exportButton1")) {
        if (cancel) {
            QCOMPARE(m_spreadsheet.savedCells(), savedBefore);
        } else {
            QCOMPARE(m_spreadsheet.savedCell(3, 2), QStringLiteral("中签"));
        }
        QCOMPARE(child<QPushButton>("exportNotice")->isVisible(), !cancel);
    } else {
        QCOMPARE(m_spreadsheet.isRunning(), !cancel);
    }
}

void MainWindowCommandsTest::clicksQueuedDuringQuickWorkAreDropped() {
    auto *import = child<QPushButton>("importButton");
    const QPointF centre = QRectF(import->rect()).center();
    const QPointF global = import->mapToGlobal(centre);
    // A double click: the second click comes in while the first one's import still runs.
    m_spreadsheet.whenCalled(Operation::Create, [import, centre, global] {
        QCoreApplication::postEvent(import, new QMouseEvent(QEvent::MouseButtonPress, centre, global, Qt::LeftButton,
                                                            Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(import, new QMouseEvent(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton,
                                                            Qt::NoButton, Qt::NoModifier));
    });

    QTest::mouseClick(import, Qt::LeftButton);
    QCoreApplication::processEvents();

    QCOMPARE(m_spreadsheet.log().count(QStringLiteral("create")), 1);
    QCOMPARE(linesOf(child<QListWidget>("poolList")), (QStringList{"甲", "乙", "丙"}));
    // Work this quick shows no progress window at all.
    QCOMPARE(m_window->findChild<QDialog *>(QStringLiteral("progressDialog")), nullptr);
}

void MainWindowCommandsTest::remoteKeysStartAndStopTheDraw_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("focus");
    QTest::newRow("Page Down, pool list focused") << int(Qt::Key_PageDown) << QStringLiteral("poolList");
    QTest::newRow("Page Up, number box focused") << int(Qt::Key_PageUp) << QStringLiteral("drawCountBox");
}

void MainWindowCommandsTest::remoteKeysStartAndStopTheDraw() {
    QFETCH(int, key);
    QFETCH(QString, focus);
    const auto remote = [&] {
        auto *focused = child<QWidget>(qPrintable(focus));
        focused->setFocus();
        QTest::keyClick(focused, Qt::Key(key));
    };
    // A held key's repeats, and the key with Shift, Ctrl or Alt, do nothing: a key held a moment too
    // long must neither stop the draw it started nor file one the hall never saw roll.
    const auto heldOrModified = [&] {
        auto *focused = child<QWidget>(qPrintable(focus));
        QKeyEvent repeat(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(focused, &repeat);
        for (const Qt::KeyboardModifier modifier : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
            QTest::keyClick(focused, Qt::Key(key), modifier);
        }
    };
    auto *start = child<QPushButton>("startButton");
    auto *stop = child<QPushButton>("stopButton");
    auto *timer = child<QTimer>("rollTimer");
    QTest::mouseClick(child<QPushButton>("importButton"), Qt::LeftButton);

    // After the import neither keep option is chosen: the same refusal as a click on "开始".
    remote();
    QCOMPARE(m_messages.shown(), QStringList{kNoKeepChoiceText});
    QVERIFY(!timer->isActive());

    QTest::mouseClick(child<QRadioButton>("keepOption"), Qt::LeftButton);
    child<QLineEdit>("drawCountBox")->setText(QStringLiteral("2"));
    remote();
    QVERIFY(timer->isActive());
    QVERIFY(stop->isVisible());
    QVERIFY(!start->isVisible());
    QTRY_VERIFY(!child<QLabel>("rollingDisplay")->text().isEmpty());
    heldOrModified();
    QVERIFY(timer->isActive());
    QCOMPARE(child<QListWidget>("resultList1")->count(), 0);

    remote();
    QVERIFY(!timer->isActive());
    QVERIFY(start->isVisible());
    QCOMPARE(child<QListWidget>("resultList1")->count(), 2);
    heldOrModified();
    QVERIFY(!timer->isActive());

    // Under the enlarged view "开始" cannot be clicked, and the remote does nothing either.
    QTest::mouseClick(child<QPushButton>("poolViewButton"), Qt::LeftButton);
    QTest::keyClick(child<QListWidget>("enlargedList"), Qt::Key(key));
    QVERIFY(!timer->isActive());
    QVERIFY(start->isVisible());
    QCOMPARE(m_messages.shown().size(), 1);
}

void MainWindowCommandsTest::stageKeysOpenAndCloseTheStage_data() {
    QTest::addColumn<QKeyCombination>("openKey");
    QTest::addColumn<QKeyCombination>("closeKey");
    QTest::addColumn<bool>("closeOnStage");
    QTest::addColumn<bool>("enlargedViewOpen");
    QTest::addColumn<QKeyCombination>("blankKey"); // pressed during a roll, Qt::Key_unknown for none
    const QKeyCombination f5(Qt::Key_F5);
    const QKeyCombination shiftF5(Qt::ShiftModifier, Qt::Key_F5);
    const QKeyCombination esc(Qt::Key_Escape);
    const QKeyCombination none;
    QTest::newRow("F5, then F5 on the form") << f5 << f5 << false << false << none;
    QTest::newRow("Shift+F5, then Shift+F5 on the stage") << shiftF5 << shiftF5 << true << false << none;
    QTest::newRow("F5, then Esc on the stage") << f5 << esc << true << false << none;
    // Esc closes the enlarged view first, then the stage.
    QTest::newRow("Esc with the enlarged view open") << f5 << esc << false << true << none;
    // A presenter remote's "black screen"; the stage closes black.
    QTest::newRow("B blanks the stage, then Esc on the stage")
        << f5 << esc << true << false << QKeyCombination(Qt::Key_B);
    QTest::newRow("the full stop blanks the stage, then F5 on the form")
        << f5 << f5 << false << false << QKeyCombination(Qt::Key_Period);
}

void MainWindowCommandsTest::stageKeysOpenAndCloseTheStage() {
    QFETCH(QKeyCombination, openKey);
    QFETCH(QKeyCombination, closeKey);
    QFETCH(bool, closeOnStage);
    QFETCH(bool, enlargedViewOpen);
    QFETCH(QKeyCombination, blankKey);
    const auto press = [](QWidget *widget, QKeyCombination key) {
        QTest::keyClick(widget, key.key(), key.keyboardModifiers());
    };
    auto *stage = child<QWidget>("stageWindow");
    auto *enlarged = child<QListWidget>("enlargedList");
    auto *focused = child<QWidget>("drawCountBox");
    focused->setFocus();
    const QRect form = m_window->geometry();
    const bool oneScreen = QGuiApplication::screens().size() == 1;
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));

    press(focused, openKey);
    QVERIFY(QTest::qWaitForWindowExposed(stage));
    // The keyboard goes to the stage only where it covers the form; beside it, it stays with the form.
    QTRY_COMPARE(QApplication::activeWindow(), oneScreen ? stage : m_window.get());
    QVERIFY(stage->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(stage->isFullScreen());
    QTRY_COMPARE(stage->geometry(), stageScreen()->geometry());
    // The form stays where it was; messages come up over the window the operator sees.
    QCOMPARE(m_window->geometry(), form);
    QVERIFY(!m_window->isFullScreen());
    QCOMPARE(m_window->operatorWindow(), oneScreen ? stage : static_cast<QWidget *>(m_window.get()));

    if (enlargedViewOpen) {
        QTest::mouseClick(child<QPushButton>("poolViewButton"), Qt::LeftButton);
        QVERIFY(enlarged->isVisible());
        press(closeOnStage ? stage : focused, closeKey);
        QVERIFY(!enlarged->isVisible());
        QVERIFY(stage->isVisible());
    }
    if (blankKey.key() != Qt::Key_unknown) {
        blankTheStageDuringARoll(blankKey);
    }
    press(closeOnStage ? stage : focused, closeKey);
    QVERIFY(!stage->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), m_window.get());
    QCOMPARE(m_window->geometry(), form);
    QVERIFY(!m_window->isFullScreen());
    QCOMPARE(m_window->operatorWindow(), static_cast<QWidget *>(m_window.get()));
    if (blankKey.key() != Qt::Key_unknown) {
        // A stage that opens again is not black.
        press(focused, openKey);
        QTRY_COMPARE(onStage(stage, "stageHeading"), QStringList{QStringLiteral("第1次抽中")});
        press(focused, Qt::Key_Escape);
    }
}

// With the stage open: the remote's "black screen" turns it black while the draw rolls on under it,
// a stop files the draw as usual, and the key again shows the stage as it stands now. In the number
// box the key is typing. Leaves the stage black.
void MainWindowCommandsTest::blankTheStageDuringARoll(QKeyCombination key) {
    auto *stage = child<QWidget>("stageWindow");
    auto *rolling = child<QLabel>("rollingDisplay");
    auto *box = child<QLineEdit>("drawCountBox");
    const auto black = [stage] {
        QImage shot = stage->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage taken = shot;
        shot.fill(Qt::black);
        return shot == taken;
    };
    readyToDraw();
    QWidget *keys = QGuiApplication::screens().size() == 1 ? stage : child<QWidget>("poolList");
    QTest::keyClick(keys, Qt::Key_PageDown);
    QTRY_VERIFY(!rolling->text().isEmpty());
    QVERIFY(!black());
    QTest::keyClick(keys, key.key());
    QVERIFY(black());
    const QString shown = rolling->text();
    QTRY_VERIFY(rolling->text() != shown);
    QTest::keyClick(keys, Qt::Key_PageDown);
    QCOMPARE(linesOf(*m_window, 1).size(), 2);
    QCoreApplication::processEvents();
    QVERIFY(black());
    QTest::keyClick(keys, key.key());
    QTRY_COMPARE(onStage(stage, "stageHeading"), QStringList{QStringLiteral("第1次抽中")});
    QCOMPARE(onStage(stage, "stageName"), linesOf(*m_window, 1));
    const QString typed = box->text() + (key.key() == Qt::Key_B ? u'b' : u'.');
    QTest::keyClick(box, key.key());
    QCOMPARE(box->text(), typed);
    QTest::keyClick(keys, key.key());
    QVERIFY(black());
}

void MainWindowCommandsTest::printedRecordHoldsEveryDraw_data() {
    QTest::addColumn<int>("draws");
    QTest::addColumn<bool>("importAgain"); // after the draws
    QTest::addColumn<QString>("pdfFile");  // in a temporary folder
    QTest::addColumn<bool>("fromMenu");    // a right click on a result list, or else Ctrl+P
    QTest::newRow("five draws, the fifth into the first list") << 5 << false << "record.pdf" << true;
    QTest::newRow("nothing drawn since the import") << 0 << false << "record.pdf" << true;
    QTest::newRow("a new import after five draws") << 5 << true << "record.pdf" << false;
    QTest::newRow("a PDF file that cannot be written") << 1 << false << "no such folder/record.pdf" << false;
}

// Ctrl+P, or the menu of a right click on the results frame (or a list in it), opens the print
// preview of the record. Printed from it into a PDF file, the record holds every draw since the
// import in turn, with the time of its stop and the names the list showed then, in their order, also
// those of the draw that a later one took off the screen. With nothing drawn since the import, a
// message says so and nothing opens; a message tells of a record that could not be printed.
void MainWindowCommandsTest::printedRecordHoldsEveryDraw() {
    QFETCH(int, draws);
    QFETCH(bool, importAgain);
    QFETCH(QString, pdfFile);
    QFETCH(bool, fromMenu);
    m_spreadsheet.setSavedColumn(
        1, 3, {"王芳", "李娜", "刘洋", "陈静", "杨磊", "赵敏", "黄强", "周杰", "吴霞", "徐涛", "孙丽", "高翔"});
    readyToDraw("removeOption");
    QStringList expected{QStringLiteral("日期：2026年3月5日"), QStringLiteral("名单文件：导入名单.xls"),
                         QStringLiteral("导入时名单人数：12人")};
    for (int draw = 1; draw <= draws; ++draw) {
        QTest::keyClick(m_window.get(), Qt::Key_PageDown);
        QTRY_VERIFY(!child<QLabel>("rollingDisplay")->text().isEmpty());
        m_now = m_now.addSecs(60 + draw * 7);
        QTest::keyClick(m_window.get(), Qt::Key_PageDown);
        const int list = (draw - 1) % 4 + 1;
        expected << QStringLiteral("第%1次抽中").arg(draw)
                 << QStringLiteral("时间") + m_now.toString(QStringLiteral("HH:mm:ss"))
                 << QStringLiteral("第%1个结果列表").arg(list) << QStringLiteral("不保留");
        const QStringList shown = linesOf(*m_window, list);
        for (int i = 0; i < shown.size(); ++i) {
            expected.append(QStringLiteral("%1.").arg(i + 1) + shown.at(i));
        }
    }
    if (importAgain) {
        QTest::mouseClick(child<QPushButton>("importButton"), Qt::LeftButton);
    }

    if (fromMenu) {
        QTimer::singleShot(0, this, [] {
            if (QWidget *menu = QApplication::activePopupWidget()) {
                menu->actions().constFirst()->trigger();
                menu->close();
            }
        });
        QWidget *list = child<QListWidget>("resultList1")->viewport();
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5), list->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(list, &rightClick);
    } else {
        QTest::keyClick(m_window.get(), Qt::Key_P, Qt::ControlModifier);
    }
    auto *preview = m_window->findChild<QPrintPreviewDialog *>(QStringLiteral("recordPreview"));
    if (draws == 0 || importAgain) {
        QCOMPARE(m_messages.shown(), QStringList{kNothingDrawnText});
        QCOMPARE(preview, nullptr);
        return;
    }
    QVERIFY(preview != nullptr && preview->isVisible());
    QCOMPARE(preview->windowTitle(), QStringLiteral("打印抽签记录"));
    QCOMPARE(QApplication::activeModalWidget(), preview);
    const QTemporaryDir folder;
    QPrinter *printer = preview->printer();
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(folder.filePath(pdfFile));
    preview->findChild<QPrintPreviewWidget *>()->print(); // what "打印" does once a printer is chosen
    preview->close();
    if (pdfFile.contains(u'/')) {
        QTRY_COMPARE(m_messages.shown(), QStringList{kNotPrintedText});
        return;
    }
    QCoreApplication::processEvents();
    QVERIFY(m_messages.shown().isEmpty());
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        QSKIP("pdftotext is not installed (Debian package poppler-utils)");
    }
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), printer->outputFileName(), "-"});
    QVERIFY(pdftotext.waitForFinished(60'000) && pdftotext.exitCode() == 0);
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput()).remove(QRegularExpression("\\s"));
    qsizetype from = 0;
    for (const QString &part : expected) {
        from = text.indexOf(part, from);
        QVERIFY2(from >= 0, qPrintable(part));
    }
}

void MainWindowCommandsTest::stageFollowsTheDraw() {
    auto *stage = child<QWidget>("stageWindow");
    auto *rolling = child<QLabel>("rollingDisplay");
    auto *timer = child<QTimer>("rollTimer");
    readyToDraw();
    // The keys reach the form through whichever window has them.
    QWidget *keys = QGuiApplication::screens().size() == 1 ? stage : child<QWidget>("poolList");

    // Before the first draw the hall sees the program's name, nothing of the form.
    QTest::keyClick(m_window.get(), Qt::Key_F5);
    QCOMPARE(onStage(stage, "stageProgramName"), QStringList{QStringLiteral("现场抽签")});
    QCOMPARE(onStage(stage, "stageName"), QStringList{});

    // Rolling: the name the form's display shows at that moment.
    QTest::keyClick(keys, Qt::Key_PageDown);
    QVERIFY(timer->isActive());
    QTRY_VERIFY(!rolling->text().isEmpty());
    QTRY_COMPARE(onStage(stage, "stageRollingName"), QStringList{rolling->text()});
    QCOMPARE(onStage(stage, "stageProgramName"), QStringList{});

    // Stopped: the heading and the names of the result list that took the draw, in its order.
    QTest::keyClick(keys, Qt::Key_PageDown);
    QVERIFY(!timer->isActive());
    QTRY_COMPARE(onStage(stage, "stageHeading"), QStringList{QStringLiteral("第1次抽中")});
    QCOMPARE(onStage(stage, "stageName"), linesOf(child<QListWidget>("resultList1")));
    QCOMPARE(onStage(stage, "stageName").size(), 2);
    QCOMPARE(onStage(stage, "stageRollingName"), QStringList{});

    // The next draw: the display's name from its start, then the next result list.
    QTest::keyClick(keys, Qt::Key_PageDown);
    QTRY_COMPARE(onStage(stage, "stageRollingName"), QStringList{rolling->text()});
    QCOMPARE(onStage(stage, "stageHeading"), QStringList{});
    QTest::keyClick(keys, Qt::Key_PageDown);
    QTRY_COMPARE(onStage(stage, "stageHeading"), QStringList{QStringLiteral("第2次抽中")});
    QCOMPARE(onStage(stage, "stageName"), linesOf(child<QListWidget>("resultList2")));

    // A refused draw: the stage keeps the name the form keeps, not the result before it.
    child<QLineEdit>("drawCountBox")->setText(QStringLiteral("3"));
    QTest::keyClick(keys, Qt::Key_PageDown);
    QTRY_COMPARE(m_messages.shown(), QStringList{SelectionPass::kTooManyMessage});
    QVERIFY(!timer->isActive());
    QTRY_COMPARE(onStage(stage, "stageRollingName"), QStringList{rolling->text()});
    QCOMPARE(onStage(stage, "stageHeading"), QStringList{});

    // A new import clears the form's display and results: the stage waits again.
    QTest::mouseClick(child<QPushButton>("importButton"), Qt::LeftButton);
    QTRY_COMPARE(onStage(stage, "stageProgramName"), QStringList{QStringLiteral("现场抽签")});
    QCOMPARE(onStage(stage, "stageRollingName"), QStringList{});

    QTest::keyClick(keys, Qt::Key_Escape);
    QVERIFY(!stage->isVisible());
}

// Messages as the program shows them: over the window the operator works in (the stage, where it
// covers the form), on its screen and with the keyboard. (Where the keyboard goes once a message is
// answered is the window manager's to say.)
void MainWindowCommandsTest::messageTakesTheKeysOverTheOperatorWindow() {
    m_window = std::make_unique<MainWindow>(MainWindow::Dependencies{m_boxes, m_spreadsheet, kPath});
    connect(m_window.get(), &MainWindow::operatorWindowChanged, this,
            [this] { m_boxes.setParent(m_window->operatorWindow()); });
    m_window->show();
    auto *stage = child<QWidget>("stageWindow");
    QTest::keyClick(m_window.get(), Qt::Key_F5);
    QVERIFY(QTest::qWaitForWindowExposed(stage));
    QWidget *const operatorWindow = QGuiApplication::screens().size() == 1 ? stage : m_window.get();

    // Without a keep choice the remote's start is refused with a message, which the operator answers.
    m_window->event().setKeepChoice(KeepChoice::None);
    bool boxHadTheKeys = false;
    const QWindow *boxOver = nullptr;
    QRect boxPlace;
    QTimer::singleShot(0, this, [&] {
        QWidget *box = QApplication::activeModalWidget();
        if (box != nullptr) {
            boxHadTheKeys = QTest::qWaitFor([box] { return QApplication::activeWindow() == box; });
            boxOver = box->windowHandle()->transientParent();
            boxPlace = box->geometry();
            QTest::keyClick(box, Qt::Key_Return);
        }
    });
    QTest::keyClick(operatorWindow, Qt::Key_PageDown);
    QVERIFY(boxHadTheKeys);
    QCOMPARE(boxOver, operatorWindow->windowHandle());
    QVERIFY(operatorWindow->geometry().contains(boxPlace));
    QVERIFY(stage->isVisible());
}

// A projector pulled out while the stage shows on it: the stage comes over the operator's screen,
// with the keyboard; the draw rolls on, no list loses a line, and the stop files the draw.
void MainWindowCommandsTest::stageComesBackWhenItsScreenGoesAway() {
    const QJsonObject screens = offscreenScreens();
    if (screens.isEmpty()) {
        QSKIP("needs Qt's offscreen platform, whose screens a test can plug in and pull out");
    }
    const auto restore = qScopeGuard([&screens] { setOffscreenScreens(screens); });
    const QJsonValue laptop = screens[QStringLiteral("screens")][0]; // the form's
    const QJsonObject projector{{"name", "projector"}, {"x", laptop["width"]}, {"width", 1920}, {"height", 1080}};
    setOffscreenScreens({{"screens", QJsonArray{laptop, projector}}});
    auto *stage = child<QWidget>("stageWindow");
    auto *rolling = child<QLabel>("rollingDisplay");
    auto *timer = child<QTimer>("rollTimer");
    readyToDraw();
    QTest::keyClick(m_window.get(), Qt::Key_PageDown);
    QTRY_VERIFY(!rolling->text().isEmpty());
    QTest::keyClick(m_window.get(), Qt::Key_PageDown);
    QTest::keyClick(m_window.get(), Qt::Key_PageDown);
    QTest::keyClick(m_window.get(), Qt::Key_F5);
    QTRY_COMPARE(stage->geometry(), stageScreen()->geometry());
    const QStringList pool = linesOf(*m_window, 0);
    const QStringList firstDraw = linesOf(*m_window, 1);

    setOffscreenScreens({{"screens", QJsonArray{laptop}}});

    QTRY_COMPARE(stage->geometry(), m_window->screen()->geometry());
    QVERIFY(stage->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), stage);
    const QString shown = rolling->text();
    QTRY_VERIFY(rolling->text() != shown);
    QCOMPARE(linesOf(*m_window, 0), pool);
    QCOMPARE(linesOf(*m_window, 1), firstDraw);
    QCOMPARE(firstDraw.size(), 2);
    QTest::keyClick(stage, Qt::Key_PageDown);
    QVERIFY(!timer->isActive());
    QTRY_COMPARE(onStage(stage, "stageName"), linesOf(*m_window, 2));
    QCOMPARE(onStage(stage, "stageName").size(), 2);
}

QTEST_MAIN(MainWindowCommandsTest)
#include "main_window_commands_test.moc"

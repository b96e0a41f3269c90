#include "app/main_window.h"
#include "support/fake_spreadsheet.h"
#include "support/recording_messages.h"
#include "workbook/workbook_commands.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using namespace lotdraw;
using lotdraw::testing::FakeSpreadsheetApplication;
using lotdraw::testing::RecordingMessages;

namespace {

const QString kPath = QStringLiteral("/opt/lotdraw/导入名单.xls");

QStringList linesOf(const QListWidget *list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) {
        lines.append(list->item(i)->text());
    }
    return lines;
}

} // namespace

// The window's buttons reach the workbook and results commands.
class MainWindowCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void importButtonFillsThePool();
    void editButtonOpensTheWorkbook();
    void viewButtonsOpenAndCloseTheEnlargedList_data();
    void viewButtonsOpenAndCloseTheEnlargedList();
    void exportButtonsWriteTheirColumn_data();
    void exportButtonsWriteTheirColumn();
    void remoteKeysStartAndStopTheDraw_data();
    void remoteKeysStartAndStopTheDraw();

private:
    template<typename T>
    T *child(const char *name) {
        auto *widget = m_window->findChild<T *>(QString::fromLatin1(name));
        if (widget == nullptr) {
            qFatal("no control %s", name);
        }
        return widget;
    }

    RecordingMessages m_messages;
    FakeSpreadsheetApplication m_spreadsheet;
    std::unique_ptr<MainWindow> m_window;
};

void MainWindowCommandsTest::init() {
    m_messages.clear();
    m_spreadsheet = {};
    m_spreadsheet.setWorkbookPath(kPath);
    m_spreadsheet.setSavedColumn(1, 3, {QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")});
    m_window = std::make_unique<MainWindow>(MainWindow::Dependencies{m_messages, m_spreadsheet, kPath});
    m_window->show();
}

void MainWindowCommandsTest::cleanup() {
    m_window.reset();
}

void MainWindowCommandsTest::importButtonFillsThePool() {
    QTest::mouseClick(child<QPushButton>("importButton"), Qt::LeftButton);

    QCOMPARE(linesOf(child<QListWidget>("poolList")), (QStringList{"甲", "乙", "丙"}));
    QCOMPARE(child<QLabel>("poolCountLabel")->text(), QStringLiteral("3可抽值"));
    QCOMPARE(m_window->drawState().poolCount, 3);
    QCOMPARE(m_messages.shown(), QStringList{});
    // The busy cursor is gone once the handler has ended.
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void MainWindowCommandsTest::editButtonOpensTheWorkbook() {
    QTest::mouseClick(child<QPushButton>("editButton"), Qt::LeftButton);
    QVERIFY(m_spreadsheet.log().contains(QStringLiteral("show")));

    QTest::mouseClick(child<QPushButton>("importButton"), Qt::LeftButton);
    QCOMPARE(m_messages.shown(), QStringList{QString::fromUtf16(kSpreadsheetRunningMessage)});
    QCOMPARE(child<QListWidget>("poolList")->count(), 0);
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
    m_window->list(index).append(lines.at(0));
    m_window->list(index).append(lines.at(1));
    auto *enlarged = child<QListWidget>("enlargedList");
    auto *close = child<QPushButton>("closeViewButton");
    const QString button = index == 0 ? QStringLiteral("poolViewButton") : QStringLiteral("viewButton%1").arg(index);

    QTest::mouseClick(child<QPushButton>(qPrintable(button)), Qt::LeftButton);
    QVERIFY(enlarged->isVisible());
    QVERIFY(close->isVisible());
    QCOMPARE(linesOf(enlarged), lines);
    // A snapshot: a line added to the source later shows only at the next opening.
    m_window->list(index).append(QStringLiteral("后来"));
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
    m_window->list(index).append(QStringLiteral("中签"));
    auto *notice = child<QPushButton>("exportNotice");

    QTest::mouseClick(child<QPushButton>(qPrintable(QStringLiteral("exportButton%1").arg(index))), Qt::LeftButton);
    QCOMPARE(m_spreadsheet.savedCell(3, index + 1), QStringLiteral("中签"));
    QVERIFY(notice->isVisible());
    QCOMPARE(notice->text(), QStringLiteral("导出到EXCEL结束！"));

    QTest::mouseClick(notice, Qt::LeftButton);
    QVERIFY(!notice->isVisible());
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
    auto *start = child<QPushButton>("startButton");
    auto *stop = child<QPushButton>("stopButton");
    auto *timer = m_window->findChild<QTimer *>(QStringLiteral("rollTimer"));
    QTest::mouseClick(child<QPushButton>("importButton"), Qt::LeftButton);

    // After the import neither keep option is chosen: the same refusal as a click on "开始".
    remote();
    QCOMPARE(m_messages.shown(), QStringList{DrawControl::kNoKeepChoiceMessage});
    QVERIFY(!timer->isActive());

    QTest::mouseClick(child<QRadioButton>("keepOption"), Qt::LeftButton);
    child<QLineEdit>("drawCountBox")->setText(QStringLiteral("2"));
    remote();
    QVERIFY(timer->isActive());
    QVERIFY(stop->isVisible());
    QVERIFY(!start->isVisible());
    QTRY_VERIFY(!child<QLabel>("rollingDisplay")->text().isEmpty());

    remote();
    QVERIFY(!timer->isActive());
    QVERIFY(start->isVisible());
    QCOMPARE(child<QListWidget>("resultList1")->count(), 2);

    // Under the enlarged view "开始" cannot be clicked, and the remote does nothing either.
    QTest::mouseClick(child<QPushButton>("poolViewButton"), Qt::LeftButton);
    QTest::keyClick(child<QListWidget>("enlargedList"), Qt::Key(key));
    QVERIFY(!timer->isActive());
    QVERIFY(start->isVisible());
    QCOMPARE(m_messages.shown().size(), 1);
}

QTEST_MAIN(MainWindowCommandsTest)
#include "main_window_commands_test.moc"

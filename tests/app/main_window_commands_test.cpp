#include "app/main_window.h"
#include "support/fake_spreadsheet.h"
#include "support/recording_messages.h"
#include "workbook/workbook_commands.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

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

QTEST_MAIN(MainWindowCommandsTest)
#include "main_window_commands_test.moc"

#include "app/form1.h"
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
class Form1CommandsTest : public QObject {
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
    std::unique_ptr<Form1> m_window;
};

void Form1CommandsTest::init() {
    m_messages.clear();
    m_spreadsheet = {};
    m_spreadsheet.setWorkbookPath(kPath);
    m_spreadsheet.setSavedColumn(1, 3, {QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")});
    m_window = std::make_unique<Form1>(Form1::Dependencies{m_messages, m_spreadsheet, kPath});
    m_window->show();
}

void Form1CommandsTest::cleanup() {
    m_window.reset();
}

void Form1CommandsTest::importButtonFillsThePool() {
    QTest::mouseClick(child<QPushButton>("Command1_1"), Qt::LeftButton);

    QCOMPARE(linesOf(child<QListWidget>("List1_0")), (QStringList{"甲", "乙", "丙"}));
    QCOMPARE(child<QLabel>("Label3")->text(), QStringLiteral("3可抽值"));
    QCOMPARE(m_window->drawState().poolCount, 3);
    QCOMPARE(m_messages.shown(), QStringList{});
    // The busy cursor is gone once the handler has ended.
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void Form1CommandsTest::editButtonOpensTheWorkbook() {
    QTest::mouseClick(child<QPushButton>("Command6_0"), Qt::LeftButton);
    QVERIFY(m_spreadsheet.log().contains(QStringLiteral("show")));

    QTest::mouseClick(child<QPushButton>("Command1_1"), Qt::LeftButton);
    QCOMPARE(m_messages.shown(), QStringList{QString::fromUtf16(kSpreadsheetRunningMessage)});
    QCOMPARE(child<QListWidget>("List1_0")->count(), 0);
}

void Form1CommandsTest::viewButtonsOpenAndCloseTheEnlargedList_data() {
    QTest::addColumn<int>("index");
    for (int i = 0; i <= 4; ++i) {
        QTest::addRow("Command2(%d)", i) << i;
    }
}

void Form1CommandsTest::viewButtonsOpenAndCloseTheEnlargedList() {
    QFETCH(int, index);
    const QStringList lines{QStringLiteral("名%1").arg(index), QStringLiteral("又一名")};
    m_window->list(index).append(lines.at(0));
    m_window->list(index).append(lines.at(1));
    auto *list2 = child<QListWidget>("List2");
    auto *close = child<QPushButton>("Command5_1");

    QTest::mouseClick(child<QPushButton>(qPrintable(QStringLiteral("Command2_%1").arg(index))), Qt::LeftButton);
    QVERIFY(list2->isVisible());
    QVERIFY(close->isVisible());
    QCOMPARE(linesOf(list2), lines);

    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(!list2->isVisible());
    QVERIFY(!close->isVisible());
}

void Form1CommandsTest::exportButtonsWriteTheirColumn_data() {
    QTest::addColumn<int>("index");
    for (int i = 5; i <= 8; ++i) {
        QTest::addRow("Command2(%d)", i) << i;
    }
}

void Form1CommandsTest::exportButtonsWriteTheirColumn() {
    QFETCH(int, index);
    m_window->list(index - 4).append(QStringLiteral("中签"));
    auto *notice = child<QPushButton>("Command4_1");

    QTest::mouseClick(child<QPushButton>(qPrintable(QStringLiteral("Command2_%1").arg(index))), Qt::LeftButton);
    QCOMPARE(m_spreadsheet.savedCell(3, index - 3), QStringLiteral("中签"));
    QVERIFY(notice->isVisible());
    QCOMPARE(notice->text(), QStringLiteral("导出到EXCEL结束！"));

    QTest::mouseClick(notice, Qt::LeftButton);
    QVERIFY(!notice->isVisible());
}

QTEST_MAIN(Form1CommandsTest)
#include "form1_commands_test.moc"

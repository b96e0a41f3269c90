#include "namelist/name_list_layout.h"
#include "namelist/name_list_workbook.h"
#include "spreadsheet/spreadsheet.h"

#include <QTest>
#include <map>

using namespace lotdraw;

namespace {

// Records what the writer asks of the application; can be told to fail at one call.
struct Journal {
    QStringList calls;
    std::map<std::pair<int, int>, QString> cells;
    QString failAt;
    int instancesAlive = 0;

    void record(const QString &call) {
        calls.append(call);
        if (call == failAt) {
            throw SpreadsheetError(QStringLiteral("injected failure at ") + call);
        }
    }
};

class RecordingInstance final : public SpreadsheetInstance {
public:
    explicit RecordingInstance(Journal &journal)
        : m_journal(journal) {
        ++m_journal.instancesAlive;
    }
    ~RecordingInstance() override { --m_journal.instancesAlive; }
    RecordingInstance(const RecordingInstance &) = delete;
    RecordingInstance &operator=(const RecordingInstance &) = delete;
    RecordingInstance(RecordingInstance &&) = delete;
    RecordingInstance &operator=(RecordingInstance &&) = delete;

    void openWorkbook(const QString &path) override { m_journal.record(QStringLiteral("open ") + path); }
    QString cell(int row, int column) override {
        m_journal.record(QStringLiteral("cell"));
        const auto found = m_journal.cells.find({row, column});
        return found == m_journal.cells.end() ? QString() : found->second;
    }
    void setCell(int row, int column, const QString &text) override {
        m_journal.record(QStringLiteral("setCell"));
        m_journal.cells[{row, column}] = text;
    }
    void saveActiveWorkbook() override { m_journal.record(QStringLiteral("save")); }
    void quit() override { m_journal.record(QStringLiteral("quit")); }
    void closeWorkbooks() override { m_journal.record(QStringLiteral("close")); }
    void setVisible(bool) override { m_journal.record(QStringLiteral("visible")); }
    void newWorkbook(const QString &path) override { m_journal.record(QStringLiteral("new ") + path); }

private:
    Journal &m_journal;
};

class RecordingApplication final : public SpreadsheetApplication {
public:
    explicit RecordingApplication(Journal &journal)
        : m_journal(journal) {}

    bool isRunning() override { return false; }
    std::unique_ptr<SpreadsheetInstance> create() override {
        m_journal.record(QStringLiteral("create"));
        return std::make_unique<RecordingInstance>(m_journal);
    }

private:
    Journal &m_journal;
};

} // namespace

class NameListWorkbookTest : public QObject {
    Q_OBJECT

private slots:
    void writesHeadingsAndNamesFromRowThree();
    void endsWithSaveQuitClose();
    void writesNamesAsGiven();
    void failureLetsGoOfTheInstance_data();
    void failureLetsGoOfTheInstance();
};

void NameListWorkbookTest::writesHeadingsAndNamesFromRowThree() {
    Journal journal;
    RecordingApplication app(journal);
    writeNameListWorkbook(app, QStringLiteral("/x/导入名单.xls"), {QStringLiteral("张伟"), QStringLiteral("王芳")});

    QCOMPARE(journal.calls.first(), QStringLiteral("create"));
    QCOMPARE(journal.calls.at(1), QStringLiteral("new /x/导入名单.xls"));
    QCOMPARE(journal.cells[std::pair(1, 1)], NameListLayout::title());
    const QStringList headings = NameListLayout::columnHeadings();
    QCOMPARE(headings.size(), 5);
    for (int column = 1; column <= 5; ++column) {
        QCOMPARE(journal.cells[std::pair(2, column)], headings.at(column - 1));
    }
    QCOMPARE(journal.cells[std::pair(3, 1)], QStringLiteral("张伟"));
    QCOMPARE(journal.cells[std::pair(4, 1)], QStringLiteral("王芳"));
    QVERIFY(!journal.cells.contains(std::pair(5, 1)));
    // Nothing beyond the headings outside column A.
    for (const auto &[position, text] : journal.cells) {
        QVERIFY2(position.first <= 2 || position.second == 1, qPrintable(text));
    }
}

void NameListWorkbookTest::endsWithSaveQuitClose() {
    Journal journal;
    RecordingApplication app(journal);
    writeNameListWorkbook(app, QStringLiteral("/x/a.xls"), {QStringLiteral("a")});
    QCOMPARE(journal.calls.mid(journal.calls.size() - 3),
             (QStringList{QStringLiteral("save"), QStringLiteral("quit"), QStringLiteral("close")}));
    QCOMPARE(journal.instancesAlive, 0);
}

void NameListWorkbookTest::writesNamesAsGiven() {
    Journal journal;
    RecordingApplication app(journal);
    const QStringList names{QStringLiteral("  空格  "), QStringLiteral("0012"), QStringLiteral("=1+1")};
    writeNameListWorkbook(app, QStringLiteral("/x/a.xls"), names);
    for (int index = 0; index < names.size(); ++index) {
        QCOMPARE(journal.cells[std::pair(3 + index, 1)], names.at(index));
    }
}

void NameListWorkbookTest::failureLetsGoOfTheInstance_data() {
    QTest::addColumn<QString>("failAt");
    QTest::newRow("create") << "create";
    QTest::newRow("new workbook") << "new /x/a.xls";
    QTest::newRow("cell") << "setCell";
    QTest::newRow("save") << "save";
    QTest::newRow("close") << "close";
}

void NameListWorkbookTest::failureLetsGoOfTheInstance() {
    QFETCH(QString, failAt);
    Journal journal;
    journal.failAt = failAt;
    RecordingApplication app(journal);
    QVERIFY_THROWS_EXCEPTION(SpreadsheetError,
                             writeNameListWorkbook(app, QStringLiteral("/x/a.xls"), {QStringLiteral("a")}));
    QCOMPARE(journal.calls.last(), failAt);
    QCOMPARE(journal.instancesAlive, 0);
}

QTEST_GUILESS_MAIN(NameListWorkbookTest)
#include "name_list_workbook_test.moc"

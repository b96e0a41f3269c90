#include "app/main_window.h"
#include "support/fake_spreadsheet.h"
#include "support/recording_messages.h"
#include "support/window_probe.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using lotdraw::DrawState;
using lotdraw::MainWindow;
using lotdraw::testing::backgroundOf;
using lotdraw::testing::linesOf;

// The reset and the pool-list refill, on the real window.
class DrawStateProceduresTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_window.reset(); }
    void resetAfterSevenStopsRestoresTheSeries();
    void resetStopsARollingDisplay();
    void resetLeavesThePoolAlone();
    void refill_data();
    void refill();

private:
    template<typename Widget>
    Widget *child(const char *name) const {
        return lotdraw::testing::control<Widget>(*m_window, QString::fromLatin1(name));
    }
    [[nodiscard]] DrawState &state() const { return m_window->drawState(); }

    lotdraw::testing::RecordingMessages m_messages;
    lotdraw::testing::FakeSpreadsheetApplication m_spreadsheet;
    std::unique_ptr<MainWindow> m_window;
};

void DrawStateProceduresTest::init() {
    m_window = std::make_unique<MainWindow>(MainWindow::Dependencies{m_messages, m_spreadsheet, QString()});
}

void DrawStateProceduresTest::resetAfterSevenStopsRestoresTheSeries() {
    // The state after seven stops: the third list was the latest, headings numbered up to 7.
    state().resultSlot = 3;
    state().drawNumber = 7;
    state().skipTick = 0;
    for (int i = 1; i <= 4; ++i) {
        m_window->setHeading(i, QStringLiteral("第%1次抽中").arg(i + 4));
        m_window->list(i).append(QStringLiteral("甲%1").arg(i));
    }
    m_window->setResultHighlighted(3, true);
    QCOMPARE(backgroundOf(child<QListWidget>("resultList3")), MainWindow::kHighlightColour);
    const QColor plain = backgroundOf(child<QListWidget>("resultList1"));
    QVERIFY(plain != MainWindow::kHighlightColour);

    m_window->resetForNewSeries();

    QCOMPARE(state().resultSlot, 0);
    QCOMPARE(state().drawNumber, 0);
    QCOMPARE(state().skipTick, 1);
    for (int i = 1; i <= 4; ++i) {
        const QString list = lotdraw::testing::listName(i);
        QCOMPARE(child<QLabel>(qPrintable(lotdraw::testing::headingName(i)))->text(),
                 QStringLiteral("第%1次抽中").arg(i));
        QCOMPARE(child<QListWidget>(qPrintable(list))->count(), 0);
        QCOMPARE(backgroundOf(child<QListWidget>(qPrintable(list))), plain);
    }
    QVERIFY(m_messages.shown().isEmpty());
}

void DrawStateProceduresTest::resetStopsARollingDisplay() {
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));

    // Rolling: stop button in view, timer running, a name on the display, settings filled in.
    child<QLineEdit>("drawCountBox")->setText(QStringLiteral("3"));
    child<QRadioButton>("removeOption")->setChecked(true);
    m_window->setStartVisible(false);
    m_window->setStopVisible(true);
    m_window->setTimerInterval(100);
    m_window->setRollingText(QStringLiteral("赵六"));

    m_window->resetForNewSeries();

    auto *start = child<QPushButton>("startButton");
    QVERIFY(!child<QTimer>("rollTimer")->isActive());
    QVERIFY(start->isVisible());
    QVERIFY(!child<QPushButton>("stopButton")->isVisible());
    QVERIFY(start->hasFocus());
    QCOMPARE(child<QLabel>("rollingDisplay")->text(), QString());
    QCOMPARE(child<QLineEdit>("drawCountBox")->text(), QString());
    // Neither keep option is chosen afterwards, so the operator has to choose again.
    QVERIFY(!child<QRadioButton>("keepOption")->isChecked());
    QVERIFY(!child<QRadioButton>("removeOption")->isChecked());
    QCOMPARE(state().skipTick, 1);

    // The pair still works as a pair afterwards.
    child<QRadioButton>("keepOption")->click();
    child<QRadioButton>("removeOption")->click();
    QVERIFY(!m_window->isKeepChosen());
    QVERIFY(m_window->isRemoveChosen());
}

void DrawStateProceduresTest::resetLeavesThePoolAlone() {
    lotdraw::testing::fillPool(state(), {QStringLiteral("甲"), QStringLiteral("乙")});
    state().drawSize = 1;
    state().picks[1] = 2;
    state().shownName = QStringLiteral("乙");
    m_window->refillPoolList();
    m_window->setPoolCountText(QStringLiteral("2可抽值"));
    m_window->setExportNoticeVisible(true);

    m_window->resetForNewSeries();

    QCOMPARE(state().poolCount, 2);
    QCOMPARE(state().poolNames[2], QStringLiteral("乙"));
    QCOMPARE(state().drawSize, 1);
    QCOMPARE(state().picks[1], 2);
    QCOMPARE(state().shownName, QStringLiteral("乙"));
    QCOMPARE(child<QListWidget>("poolList")->count(), 2);
    QCOMPARE(child<QLabel>("poolCountLabel")->text(), QStringLiteral("2可抽值"));
    QVERIFY(child<QPushButton>("exportNotice")->isVisibleTo(m_window.get()));
}

void DrawStateProceduresTest::refill_data() {
    QTest::addColumn<int>("poolCount");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("empty pool") << 0 << QStringList{QStringLiteral("旧")} << QStringList{};
    QTest::newRow("empty name inside the pool")
        << 3 << QStringList{QStringLiteral("甲"), QString(), QStringLiteral("丙"), QStringLiteral("丁")}
        << QStringList{QStringLiteral("甲"), QString(), QStringLiteral("丙")};
    QTest::newRow("names past the count stay out")
        << 2 << QStringList{QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")}
        << QStringList{QStringLiteral("甲"), QStringLiteral("乙")};
    QTest::newRow("negative count") << -5 << QStringList{QStringLiteral("甲")} << QStringList{};
    const QStringList full = lotdraw::testing::numbered(QStringLiteral("名"), DrawState::kCapacity);
    // Only stops after draws of a negative size could push the count past the capacity; even then
    // the refill lists the 100 positions there are and reads no further.
    QTest::newRow("count above the capacity") << 150 << full << full;
    QTest::newRow("spaces kept") << 1 << QStringList{QStringLiteral("  ")} << QStringList{QStringLiteral("  ")};
}

void DrawStateProceduresTest::refill() {
    QFETCH(int, poolCount);
    QFETCH(QStringList, names);
    QFETCH(QStringList, expected);
    auto *poolList = child<QListWidget>("poolList");
    poolList->addItem(QStringLiteral("earlier pool line"));
    lotdraw::testing::fillPool(state(), names);
    state().poolCount = static_cast<lotdraw::Int16>(poolCount);

    m_window->refillPoolList();

    QCOMPARE(linesOf(poolList), expected);
}

QTEST_MAIN(DrawStateProceduresTest)
#include "draw_state_procedures_test.moc"

#include "app/main_window.h"
#include "support/fake_spreadsheet.h"
#include "support/recording_messages.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using lotdraw::DrawState;
using lotdraw::MainWindow;

namespace {

QColor backgroundOf(QListWidget *list) {
    // What the audience sees: a pixel of the empty area below the lines.
    const QImage image = list->grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() - 10);
}

} // namespace

// The reset and the pool-list refill, on the real window.
class DrawStateProceduresTest : public QObject {
    Q_OBJECT

private slots:
    void resetAfterSevenStopsRestoresTheSeries();
    void resetStopsARollingDisplay();
    void resetLeavesThePoolAlone();
    void refill_data();
    void refill();

private:
    template<typename T>
    static T *child(MainWindow &window, const char *name) {
        auto *widget = window.findChild<T *>(QString::fromLatin1(name));
        if (widget == nullptr) {
            qFatal("no control %s", name);
        }
        return widget;
    }
};

void DrawStateProceduresTest::resetAfterSevenStopsRestoresTheSeries() {
    lotdraw::testing::RecordingMessages messages;
    lotdraw::testing::FakeSpreadsheetApplication spreadsheet;
    MainWindow window({messages, spreadsheet, QString()});
    DrawState &state = window.drawState();

    // The state after seven stops: the third list was the latest, headings numbered up to 7.
    state.resultSlot = 3;
    state.drawNumber = 7;
    state.skipTick = 0;
    for (int i = 1; i <= 4; ++i) {
        window.setHeading(i, QStringLiteral("第%1次抽中").arg(i + 4));
        window.list(i).append(QStringLiteral("甲%1").arg(i));
    }
    window.setResultHighlighted(3, true);
    QCOMPARE(backgroundOf(child<QListWidget>(window, "resultList3")), MainWindow::kHighlightColour);
    const QColor plain = backgroundOf(child<QListWidget>(window, "resultList1"));
    QVERIFY(plain != MainWindow::kHighlightColour);

    window.resetForNewSeries();

    QCOMPARE(state.resultSlot, 0);
    QCOMPARE(state.drawNumber, 0);
    QCOMPARE(state.skipTick, 1);
    for (int i = 1; i <= 4; ++i) {
        const QByteArray label = "resultHeading" + QByteArray::number(i);
        const QByteArray list = "resultList" + QByteArray::number(i);
        QCOMPARE(child<QLabel>(window, label.constData())->text(), QStringLiteral("第%1次抽中").arg(i));
        QCOMPARE(child<QListWidget>(window, list.constData())->count(), 0);
        QCOMPARE(backgroundOf(child<QListWidget>(window, list.constData())), plain);
    }
    QVERIFY(messages.shown().isEmpty());
}

void DrawStateProceduresTest::resetStopsARollingDisplay() {
    lotdraw::testing::RecordingMessages messages;
    lotdraw::testing::FakeSpreadsheetApplication spreadsheet;
    MainWindow window({messages, spreadsheet, QString()});
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    // Rolling: stop button in view, timer running, a name on the display, settings filled in.
    child<QLineEdit>(window, "drawCountBox")->setText(QStringLiteral("3"));
    child<QRadioButton>(window, "removeOption")->setChecked(true);
    window.setStartVisible(false);
    window.setStopVisible(true);
    window.setTimerInterval(100);
    window.setRollingText(QStringLiteral("赵六"));

    window.resetForNewSeries();

    auto *start = child<QPushButton>(window, "startButton");
    QCOMPARE(child<QTimer>(window, "rollTimer")->isActive(), false);
    QCOMPARE(window.timerInterval(), 0);
    QVERIFY(start->isVisible());
    QVERIFY(!child<QPushButton>(window, "stopButton")->isVisible());
    QVERIFY(start->hasFocus());
    QCOMPARE(child<QLabel>(window, "rollingDisplay")->text(), QString());
    QCOMPARE(child<QLineEdit>(window, "drawCountBox")->text(), QString());
    // Neither keep option is chosen afterwards, so the operator has to choose again.
    QVERIFY(!child<QRadioButton>(window, "keepOption")->isChecked());
    QVERIFY(!child<QRadioButton>(window, "removeOption")->isChecked());
    QCOMPARE(window.drawState().skipTick, 1);

    // The pair still works as a pair afterwards.
    child<QRadioButton>(window, "keepOption")->click();
    child<QRadioButton>(window, "removeOption")->click();
    QVERIFY(!window.isKeepChosen());
    QVERIFY(window.isRemoveChosen());
}

void DrawStateProceduresTest::resetLeavesThePoolAlone() {
    lotdraw::testing::RecordingMessages messages;
    lotdraw::testing::FakeSpreadsheetApplication spreadsheet;
    MainWindow window({messages, spreadsheet, QString()});
    DrawState &state = window.drawState();
    state.poolNames[1] = QStringLiteral("甲");
    state.poolNames[2] = QStringLiteral("乙");
    state.poolCount = 2;
    state.drawSize = 1;
    state.picks[1] = 2;
    state.shownName = QStringLiteral("乙");
    window.refillPoolList();
    window.setPoolCountText(QStringLiteral("2可抽值"));
    window.setExportNoticeVisible(true);

    window.resetForNewSeries();

    QCOMPARE(state.poolCount, 2);
    QCOMPARE(state.poolNames[2], QStringLiteral("乙"));
    QCOMPARE(state.drawSize, 1);
    QCOMPARE(state.picks[1], 2);
    QCOMPARE(state.shownName, QStringLiteral("乙"));
    QCOMPARE(child<QListWidget>(window, "poolList")->count(), 2);
    QCOMPARE(child<QLabel>(window, "poolCountLabel")->text(), QStringLiteral("2可抽值"));
    QVERIFY(child<QPushButton>(window, "exportNotice")->isVisibleTo(&window));
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
    QStringList full;
    for (int i = 1; i <= DrawState::kCapacity; ++i) {
        full.append(QStringLiteral("名%1").arg(i));
    }
    // Only stops after draws of a negative size could push the count past the capacity; even then
    // the refill lists the 100 positions there are and reads no further.
    QTest::newRow("count above the capacity") << 150 << full << full;
    QTest::newRow("spaces kept") << 1 << QStringList{QStringLiteral("  ")} << QStringList{QStringLiteral("  ")};
}

void DrawStateProceduresTest::refill() {
    QFETCH(int, poolCount);
    QFETCH(QStringList, names);
    QFETCH(QStringList, expected);

    lotdraw::testing::RecordingMessages messages;
    lotdraw::testing::FakeSpreadsheetApplication spreadsheet;
    MainWindow window({messages, spreadsheet, QString()});
    auto *poolList = child<QListWidget>(window, "poolList");
    poolList->addItem(QStringLiteral("earlier pool line"));
    DrawState &state = window.drawState();
    for (int i = 0; i < names.size(); ++i) {
        state.poolNames[static_cast<std::size_t>(i + 1)] = names.at(i);
    }
    state.poolCount = static_cast<lotdraw::Int16>(poolCount);

    window.refillPoolList();

    QStringList shown;
    for (int i = 0; i < poolList->count(); ++i) {
        shown.append(poolList->item(i)->text());
    }
    QCOMPARE(shown, expected);
}

QTEST_MAIN(DrawStateProceduresTest)
#include "draw_state_procedures_test.moc"

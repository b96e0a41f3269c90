#include "state/checked_int16.h"

#include <QTest>

using lotdraw::Int16;

class CheckedInt16Test : public QObject {
    Q_OBJECT

private slots:
    void addAndSubtract_data();
    void addAndSubtract();
    void toInt16Bounds_data();
    void toInt16Bounds();
};

void CheckedInt16Test::addAndSubtract_data() {
    QTest::addColumn<int>("a");
    QTest::addColumn<char>("operation");
    QTest::addColumn<int>("b");
    QTest::addColumn<bool>("overflows");
    QTest::addColumn<int>("result");
    QTest::newRow("small") << 3 << '+' << 4 << false << 7;
    QTest::newRow("up to the top") << 32766 << '+' << 1 << false << 32767;
    QTest::newRow("past the top") << 32767 << '+' << 1 << true << 0;
    QTest::newRow("down to the bottom") << -32767 << '+' << -1 << false << -32768;
    QTest::newRow("past the bottom") << -32768 << '+' << -1 << true << 0;
    QTest::newRow("opposite signs never overflow") << 32767 << '+' << -32768 << false << -1;
    QTest::newRow("pool minus draw") << 10 << '-' << 3 << false << 7;
    QTest::newRow("minus a negative raises") << 5 << '-' << -3 << false << 8;
    QTest::newRow("minus a negative past the top") << 32767 << '-' << -1 << true << 0;
    QTest::newRow("minus past the bottom") << -32768 << '-' << 1 << true << 0;
    QTest::newRow("zero minus the bottom") << 0 << '-' << -32768 << true << 0;
}

void CheckedInt16Test::addAndSubtract() {
    QFETCH(int, a);
    QFETCH(char, operation);
    QFETCH(int, b);
    QFETCH(bool, overflows);
    QFETCH(int, result);
    const auto apply = [&] {
        const auto left = static_cast<Int16>(a);
        const auto right = static_cast<Int16>(b);
        return operation == '+' ? lotdraw::checkedAdd(left, right) : lotdraw::checkedSub(left, right);
    };
    if (overflows) {
        QVERIFY_THROWS_EXCEPTION(lotdraw::Int16OverflowError, static_cast<void>(apply()));
    } else {
        QCOMPARE(apply(), result);
    }
}

void CheckedInt16Test::toInt16Bounds_data() {
    QTest::addColumn<qlonglong>("value");
    QTest::addColumn<bool>("fits");
    QTest::newRow("top") << 32767LL << true;
    QTest::newRow("bottom") << -32768LL << true;
    QTest::newRow("one above") << 32768LL << false;
    QTest::newRow("one below") << -32769LL << false;
    QTest::newRow("far above") << 70000LL << false;
}

void CheckedInt16Test::toInt16Bounds() {
    QFETCH(qlonglong, value);
    QFETCH(bool, fits);
    QCOMPARE(lotdraw::fitsInt16(value), fits);
    if (fits) {
        QCOMPARE(lotdraw::toInt16(value), value);
    } else {
        QVERIFY_THROWS_EXCEPTION(lotdraw::Int16OverflowError, static_cast<void>(lotdraw::toInt16(value)));
    }
}

QTEST_GUILESS_MAIN(CheckedInt16Test)
#include "checked_int16_test.moc"

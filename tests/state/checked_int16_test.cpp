#include "state/checked_int16.h"

#include <QTest>

class CheckedInt16Test : public QObject {
    Q_OBJECT

private slots:
    void toInt16Bounds_data();
    void toInt16Bounds();
};

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

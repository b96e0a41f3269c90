#include "office/cell_text.h"

#include <QTest>
#include <limits>

using namespace lotdraw;

class CellTextTest : public QObject {
    Q_OBJECT

private slots:
    void numbers_data();
    void numbers();
    void dates_data();
    void dates();
    void truthValues();
};

void CellTextTest::numbers_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("whole") << 12.0 << "12";
    QTest::newRow("negative whole") << -7.0 << "-7";
    QTest::newRow("large whole keeps every digit") << 123456789012345.0 << "123456789012345";
    QTest::newRow("fraction") << 1.5 << "1.5";
    QTest::newRow("fraction without binary form") << 0.1 << "0.1";
    QTest::newRow("fraction with digits to keep") << 1234.56 << "1234.56";
    QTest::newRow("beyond whole range") << 1e20 << "1e+20";
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "NaN";
    QTest::newRow("infinity") << -std::numeric_limits<double>::infinity() << "-inf";
}

void CellTextTest::numbers() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(numberText(value), text);
}

void CellTextTest::dates_data() {
    QTest::addColumn<double>("serial");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("dateTime");
    QTest::newRow("epoch") << 0.0 << "1899-12-30"
                           << "00:00:00"
                           << "1899-12-30 00:00:00";
    QTest::newRow("a day in 2024") << 45352.0 << "2024-03-01"
                                   << "00:00:00"
                                   << "2024-03-01 00:00:00";
    QTest::newRow("half past one") << 45352.5625 << "2024-03-01"
                                   << "13:30:00"
                                   << "2024-03-01 13:30:00";
    QTest::newRow("seconds round up to the next day") << 45352.999999999 << "2024-03-02"
                                                      << "00:00:00"
                                                      << "2024-03-02 00:00:00";
    QTest::newRow("before the epoch") << -1.25 << "1899-12-28"
                                      << "18:00:00"
                                      << "1899-12-28 18:00:00";
    QTest::newRow("out of range") << 1e9 << "1000000000"
                                  << "1000000000"
                                  << "1000000000";
}

void CellTextTest::dates() {
    QFETCH(double, serial);
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(QString, dateTime);
    QCOMPARE(dateText(serial), date);
    QCOMPARE(timeText(serial), time);
    QCOMPARE(dateTimeText(serial), dateTime);
}

void CellTextTest::truthValues() {
    QCOMPARE(truthText(1.0), QStringLiteral("TRUE"));
    QCOMPARE(truthText(-1.0), QStringLiteral("TRUE"));
    QCOMPARE(truthText(0.0), QStringLiteral("FALSE"));
}

QTEST_GUILESS_MAIN(CellTextTest)
#include "cell_text_test.moc"

#include "draw/number_box.h"

#include <QTest>

using lotdraw::NumberBox;

class NumberBoxTest : public QObject {
    Q_OBJECT

private slots:
    void roundedValue_data();
    void roundedValue();
};

void NumberBoxTest::roundedValue_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");

    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("plain") << QStringLiteral("3") << 3;
    QTest::newRow("blanks around") << QStringLiteral("  7  ") << 7;
    QTest::newRow("blanks inside") << QStringLiteral("1 2") << 12;
    QTest::newRow("tab and line feed") << QStringLiteral("\t1\n0") << 10;
    QTest::newRow("blank after sign") << QStringLiteral("- 4") << -4;
    QTest::newRow("plus sign") << QStringLiteral("+6") << 6;
    QTest::newRow("letters only") << QStringLiteral("abc") << 0;
    QTest::newRow("digits then letters") << QStringLiteral("3abc") << 3;
    QTest::newRow("letters then digits") << QStringLiteral("a3") << 0;
    QTest::newRow("second sign stops") << QStringLiteral("5-2") << 5;
    QTest::newRow("sign only") << QStringLiteral("-") << 0;
    QTest::newRow("point only") << QStringLiteral(".") << 0;
    QTest::newRow("carriage return stops") << QStringLiteral("\r5") << 0;
    QTest::newRow("full-width digit is not a digit") << QStringLiteral("３") << 0;
    QTest::newRow("second point stops") << QStringLiteral("1.2.9") << 1;

    QTest::newRow("2.5 to even 2") << QStringLiteral("2.5") << 2;
    QTest::newRow("3.5 to even 4") << QStringLiteral("3.5") << 4;
    QTest::newRow("0.5 to even 0") << QStringLiteral("0.5") << 0;
    QTest::newRow("-2.5 to even -2") << QStringLiteral("-2.5") << -2;
    QTest::newRow("-3.5 to even -4") << QStringLiteral("-3.5") << -4;
    QTest::newRow("just above half") << QStringLiteral("2.5000000000000000001") << 3;
    QTest::newRow("just below half") << QStringLiteral("2.4999999999999999999") << 2;
    QTest::newRow("2.6 up") << QStringLiteral("2.6") << 3;
    QTest::newRow("leading point") << QStringLiteral(".7") << 1;
    QTest::newRow("small fraction") << QStringLiteral("0.05") << 0;
    QTest::newRow("negative fraction to zero") << QStringLiteral("-0.4") << 0;
    QTest::newRow("trailing point") << QStringLiteral("9.") << 9;
    QTest::newRow("leading zeros") << QStringLiteral("007") << 7;

    QTest::newRow("exponent") << QStringLiteral("5e2") << 500;
    QTest::newRow("capital exponent with sign") << QStringLiteral("25E-1") << 2;
    QTest::newRow("exponent with blanks") << QStringLiteral("1 e 1") << 10;
    QTest::newRow("exponent without digits") << QStringLiteral("3e") << 3;
    QTest::newRow("exponent sign without digits") << QStringLiteral("3e+x") << 3;
    QTest::newRow("fraction and exponent") << QStringLiteral("1.25e1") << 12;
    QTest::newRow("zero with huge exponent") << QStringLiteral("0e999999999") << 0;
    QTest::newRow("tiny") << QStringLiteral("1e-999999999") << 0;

    QTest::newRow("16-bit top") << QStringLiteral("32767") << 32767;
    QTest::newRow("just past 16-bit") << QStringLiteral("32768") << 32768;
    QTest::newRow("half past top to even") << QStringLiteral("32767.5") << 32768;
    QTest::newRow("16-bit bottom") << QStringLiteral("-32768") << -32768;
    QTest::newRow("six digits") << QStringLiteral("999999.4") << 999999;
    QTest::newRow("six digits rounding up") << QStringLiteral("999999.5") << NumberBox::kSaturated;
    QTest::newRow("seven digits") << QStringLiteral("1234567") << NumberBox::kSaturated;
    QTest::newRow("huge exponent") << QStringLiteral("1e400") << NumberBox::kSaturated;
    QTest::newRow("huge negative") << QStringLiteral("-9e99") << -NumberBox::kSaturated;
}

void NumberBoxTest::roundedValue() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(NumberBox::roundedValue(text), expected);
}

QTEST_GUILESS_MAIN(NumberBoxTest)
#include "number_box_test.moc"

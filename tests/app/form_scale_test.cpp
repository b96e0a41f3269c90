#include "app/form_scale.h"

#include <QTest>

using lotdraw::FormScale;

// The window's form scaled into an area of the screen.
class FormScaleTest : public QObject {
    Q_OBJECT

private slots:
    void fitsTheArea_data();
    void fitsTheArea();
    void styleSheetLengths_data();
    void styleSheetLengths();
};

void FormScaleTest::fitsTheArea_data() {
    QTest::addColumn<QSize>("area");
    QTest::addColumn<qreal>("factor");
    QTest::addColumn<QPoint>("origin");
    QTest::addColumn<QRect>("startButton");   // 3240, 720, 1095, 855 twips in its frame
    QTest::addColumn<QRect>("settingsFrame"); // 3720, 120, 4695, 2175 twips in the window

    // The factor is the smaller of width / 882 and height / 448; each twips value times factor / 15,
    // rounded; the form centred, the margin split evenly.
    QTest::newRow("normal window") << QSize(882, 448) << 1.0 << QPoint(0, 0) << QRect(216, 48, 73, 57)
                                   << QRect(248, 8, 313, 145);
    QTest::newRow("1280 x 800, width decides")
        << QSize(1280, 800) << 1280.0 / 882 << QPoint(0, 75) << QRect(313, 70, 106, 83) << QRect(360, 12, 454, 210);
    QTest::newRow("1920 x 1080, width decides")
        << QSize(1920, 1080) << 1920.0 / 882 << QPoint(0, 52) << QRect(470, 104, 159, 124) << QRect(540, 17, 681, 316);
    QTest::newRow("2560 x 1080, height decides")
        << QSize(2560, 1080) << 1080.0 / 448 << QPoint(217, 0) << QRect(521, 116, 176, 137) << QRect(598, 19, 755, 350);
}

void FormScaleTest::fitsTheArea() {
    QFETCH(QSize, area);
    QFETCH(qreal, factor);
    QFETCH(QPoint, origin);
    QFETCH(QRect, startButton);
    QFETCH(QRect, settingsFrame);

    const FormScale scale = FormScale::fitting(area);
    QVERIFY2(qFuzzyCompare(scale.factor(), factor), qPrintable(QString::number(scale.factor())));
    QCOMPARE(scale.origin(), origin);
    QCOMPARE(scale.pixels(QRect(3240, 720, 1095, 855)), startButton);
    QCOMPARE(scale.pixels(QRect(3720, 120, 4695, 2175)), settingsFrame);
    // The form fills the area's limiting side exactly.
    const QSize form = scale.formSize();
    QVERIFY(form.width() == area.width() || form.height() == area.height());
    QVERIFY(form.width() <= area.width() && form.height() <= area.height());
}

void FormScaleTest::styleSheetLengths_data() {
    QTest::addColumn<QSize>("area");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QString>("scaled");

    QTest::newRow("a focus frame grows") << QSize(1920, 1080) << QStringLiteral("border: 2px solid #2563eb;")
                                         << QStringLiteral("border: 4px solid #2563eb;");
    QTest::newRow("zero, colours and gradients stay")
        << QSize(1920, 1080) << QStringLiteral("padding: 0 4px; color: #1d4ed8; x1:0, stop:1 #e3eaf5")
        << QStringLiteral("padding: 0 9px; color: #1d4ed8; x1:0, stop:1 #e3eaf5");
    // At a factor below one half, 1 px would round to nothing.
    QTest::newRow("a thin border never vanishes")
        << QSize(400, 200) << QStringLiteral("border: 1px solid; margin-top: 10px;")
        << QStringLiteral("border: 1px solid; margin-top: 4px;");
}

void FormScaleTest::styleSheetLengths() {
    QFETCH(QSize, area);
    QFETCH(QString, sheet);
    QFETCH(QString, scaled);

    QCOMPARE(FormScale::fitting(area).styleSheet(sheet), scaled);
}

QTEST_GUILESS_MAIN(FormScaleTest)
#include "form_scale_test.moc"

#include "results/enlarged_view.h"
#include "support/fake_form_controls.h"
#include "support/numbered_names.h"

#include <QTest>

using namespace lotdraw;
using lotdraw::testing::FakeFormControls;
using lotdraw::testing::fillList;

namespace {

QStringList numbered(int count) {
    return lotdraw::testing::numbered(QStringLiteral("名"), count);
}

} // namespace

class EnlargedViewTest : public QObject {
    Q_OBJECT

private slots:
    void openCopiesTheSource_data();
    void openCopiesTheSource();
    void openingAgainReplacesTheLinesAndCloseHides();
};

void EnlargedViewTest::openCopiesTheSource_data() {
    QTest::addColumn<int>("source");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("empty pool") << 0 << QStringList{} << QStringList{};
    QTest::newRow("pool") << 0 << numbered(7) << numbered(7);
    QTest::newRow("fourth result list") << 4 << numbered(3) << numbered(3);
    QTest::newRow("exactly 100 lines") << 1 << numbered(100) << numbered(100);
    QTest::newRow("more than 100 lines") << 2 << numbered(130) << numbered(100);
    QTest::newRow("an empty line inside") << 3 << QStringList{"甲", "乙", "", "丙"} << QStringList{"甲", "乙"};
    QTest::newRow("empty first line") << 1 << QStringList{"", "甲"} << QStringList{};
    QTest::newRow("spaces are a line") << 1 << QStringList{" ", "甲"} << QStringList{" ", "甲"};
}

void EnlargedViewTest::openCopiesTheSource() {
    QFETCH(int, source);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, expected);
    EventModel event;
    fillList(event, source, lines);
    FakeFormControls controls;
    EnlargedView view(event, controls);

    view.open(source);

    QVERIFY(controls.isEnlargedListOpen());
    QCOMPARE(controls.enlargedLines(), expected);
}

void EnlargedViewTest::openingAgainReplacesTheLinesAndCloseHides() {
    EventModel event;
    fillList(event, 0, numbered(50));
    fillList(event, 2, {QStringLiteral("甲")});
    FakeFormControls controls;
    EnlargedView view(event, controls);

    // Another list, then the same one again: its lines once.
    view.open(0);
    view.open(2);
    view.open(2);
    QCOMPARE(controls.enlargedLines(), QStringList{QStringLiteral("甲")});

    view.close();
    QVERIFY(!controls.isEnlargedListOpen());
}

QTEST_GUILESS_MAIN(EnlargedViewTest)
#include "enlarged_view_test.moc"

#include "app/list_widget_lines.h"
#include "state/list_lines.h"

#include <QListWidget>
#include <QTest>
#include <functional>
#include <memory>

using lotdraw::ListLines;

// Both the in-memory lines and the real list box must behave alike: the view and the export read
// past the end of a list and rely on getting the empty text back.
class ListLinesTest : public QObject {
    Q_OBJECT

private slots:
    void semantics_data();
    void semantics();

private:
    struct Subject {
        std::unique_ptr<QListWidget> widget;
        std::unique_ptr<ListLines> lines;
    };
    static Subject make(bool realWidget) {
        Subject subject;
        if (realWidget) {
            subject.widget = std::make_unique<QListWidget>();
            subject.lines = std::make_unique<lotdraw::ListWidgetLines>(*subject.widget);
        } else {
            subject.lines = std::make_unique<lotdraw::StringListLines>();
        }
        return subject;
    }
};

void ListLinesTest::semantics_data() {
    QTest::addColumn<bool>("realWidget");
    QTest::newRow("in memory") << false;
    QTest::newRow("list box") << true;
}

void ListLinesTest::semantics() {
    QFETCH(bool, realWidget);
    Subject subject = make(realWidget);
    ListLines &lines = *subject.lines;

    QCOMPARE(lines.count(), 0);
    QCOMPARE(lines.line(0), QString());

    lines.setLine(0, QStringLiteral("张三")); // line n of an n-line list appends
    lines.append(QStringLiteral("李四"));
    lines.setLine(2, QString());
    QCOMPARE(lines.count(), 3);
    QCOMPARE(lines.line(0), QStringLiteral("张三"));
    QCOMPARE(lines.line(1), QStringLiteral("李四"));
    QCOMPARE(lines.line(2), QString());
    QCOMPARE(lines.line(3), QString());
    QCOMPARE(lines.line(99), QString());

    lines.setLine(1, QStringLiteral("王五")); // an existing line is replaced, not inserted
    QCOMPARE(lines.count(), 3);
    QCOMPARE(lines.line(1), QStringLiteral("王五"));

    QVERIFY_THROWS_EXCEPTION(std::out_of_range, lines.setLine(5, QStringLiteral("gap")));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, static_cast<void>(lines.line(-1)));
    QCOMPARE(lines.count(), 3);

    lines.clear();
    QCOMPARE(lines.count(), 0);
    QCOMPARE(lines.line(0), QString());
    if (subject.widget) {
        QCOMPARE(subject.widget->count(), 0);
    }
}

QTEST_MAIN(ListLinesTest)
#include "list_lines_test.moc"

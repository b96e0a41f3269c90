#include "app/stage_layout.h"
#include "skin/fonts.h"
#include "support/numbered_names.h"

#include <QFontMetricsF>
#include <QTest>

using namespace lotdraw;
using Role = StageLine::Role;

namespace {

// The faces of the form's rolling display, headings and lists.
StageLook formLook() {
    QFont rolling(QStringLiteral("宋体"));
    rolling.setPointSizeF(42);
    rolling.setBold(true);
    QFont heading(QStringLiteral("宋体"));
    heading.setPointSizeF(12);
    heading.setBold(true);
    QFont name(QStringLiteral("宋体"));
    name.setPointSizeF(12);
    return {rolling, Qt::red, heading, Qt::black, name, Qt::black, Qt::white};
}

// The text's widest line, and its lines' heights with the face's gap between them.
QSizeF extentOf(const StageLine &line, int pixelSize) {
    const QFontMetricsF metrics(stageFont(formLook(), line.role, pixelSize));
    const QStringList parts = line.text.split(u'\n');
    qreal widest = 0;
    for (const QString &part : parts) {
        widest = std::max({widest, metrics.horizontalAdvance(part), metrics.boundingRect(part).width()});
    }
    return {widest, metrics.height() * parts.size() + std::max(0.0, metrics.leading()) * (parts.size() - 1)};
}

bool holds(const StageLine &line, int pixelSize) {
    const QSizeF extent = extentOf(line, pixelSize);
    return extent.width() <= line.box.width() && extent.height() <= line.box.height();
}

} // namespace

// Where the stage puts its texts and how large, and which screen it takes.
class StageLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void rollingNameFillsTheScreen_data();
    void rollingNameFillsTheScreen();
    void resultShowsEveryName_data();
    void resultShowsEveryName();
    void stageTakesAScreenAwayFromTheOperator_data();
    void stageTakesAScreenAwayFromTheOperator();
};

void StageLayoutTest::initTestCase() {
    installFontSubstitutes();
}

void StageLayoutTest::rollingNameFillsTheScreen_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("leastPixels");

    // Two to four characters stand at least a third of the screen's height tall.
    QTest::newRow("2 characters, 1280 x 800") << QSize(1280, 800) << "张伟" << 800 / 3;
    QTest::newRow("4 characters, 1280 x 800") << QSize(1280, 800) << "欧阳娜娜" << 800 / 3;
    QTest::newRow("3 characters, 1920 x 1080") << QSize(1920, 1080) << "李娜娜" << 1080 / 3;
    QTest::newRow("4 characters, 1920 x 1080") << QSize(1920, 1080) << "司马相如" << 1080 / 3;
    // A long name shrinks to the width, on one line, and keeps every character.
    QTest::newRow("latin name") << QSize(1280, 800) << "Wolfeschlegelsteinhausen-Bergerdorff" << 20;
    QTest::newRow("300 characters") << QSize(1920, 1080) << QString(300, u'赵') << 1;
}

void StageLayoutTest::rollingNameFillsTheScreen() {
    QFETCH(QSize, screen);
    QFETCH(QString, name);
    QFETCH(int, leastPixels);

    const std::vector<StageLine> lines = arrangeStage({StageScene::Kind::RollingName, name, {}}, formLook(), screen);
    QCOMPARE(lines.size(), std::size_t(1));
    const StageLine &line = lines.front();
    QCOMPARE(line.role, Role::RollingName);
    QCOMPARE(line.text, name);
    QVERIFY(QRect(QPoint(0, 0), screen).contains(line.box));
    QVERIFY2(line.box.width() < screen.width() && line.box.height() < screen.height(), "no margin");
    QVERIFY(holds(line, line.pixelSize));
    QVERIFY2(line.pixelSize >= leastPixels, qPrintable(QString::number(line.pixelSize)));
    // The largest size that fits: one pixel more would not.
    QVERIFY(!holds(line, line.pixelSize + 1));
}

void StageLayoutTest::resultShowsEveryName_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("leastPixels");
    QTest::addColumn<QStringList>("onTwoLines"); // as shown: the names too long for one line at their size

    QTest::newRow("one name") << QSize(1280, 800) << QStringList{"张伟"} << 400 << QStringList{};
    QTest::newRow("3 names") << QSize(1920, 1080) << QStringList{"张伟", "欧阳娜娜", "李娜"} << 200 << QStringList{};
    QTest::newRow("3 names read across, 1280 x 800")
        << QSize(1280, 800) << QStringList{"高翔", "唐亮", "郭强"} << 200 << QStringList{};
    QTest::newRow("4 names read across, 1920 x 1080")
        << QSize(1920, 1080) << QStringList{"高翔", "唐亮", "郭强", "林涛"} << 350 << QStringList{};
    QTest::newRow("30 names") << QSize(1920, 1080) << testing::numbered(QStringLiteral("王芳"), 30) << 100
                              << QStringList{};
    QTest::newRow("99 names") << QSize(1280, 800) << testing::numbered(QStringLiteral("王芳"), 99) << 40
                              << QStringList{};
    QTest::newRow("no name: a draw of 0") << QSize(1280, 800) << QStringList{} << 0 << QStringList{};
    const QString longName = QStringLiteral("阿卜杜热合曼·买买提明");
    QTest::newRow("a long name on two lines, broken after its dot")
        << QSize(1280, 800) << QStringList{longName} << 150 << QStringList{QStringLiteral("阿卜杜热合曼·\n买买提明")};
    const QString latinName = QStringLiteral("Wolfeschlegelsteinhausen-Bergerdorff");
    QTest::newRow("a latin name on two lines beside short ones")
        << QSize(1920, 1080) << QStringList{"张伟", latinName, "李娜"} << 110
        << QStringList{QStringLiteral("Wolfeschlegelsteinhausen-\nBergerdorff")};
    QStringList withLongName = testing::numbered(QStringLiteral("李"), 12);
    withLongName[5] = QString(300, u'赵');
    QTest::newRow("a name of 300 characters among short ones")
        << QSize(1920, 1080) << withLongName << 8 << QStringList{QString(150, u'赵') + u'\n' + QString(150, u'赵')};
}

void StageLayoutTest::resultShowsEveryName() {
    QFETCH(QSize, screen);
    QFETCH(QStringList, names);
    QFETCH(int, leastPixels);
    QFETCH(QStringList, onTwoLines);
    const QString heading = QStringLiteral("第12次抽中");

    const std::vector<StageLine> lines = arrangeStage({StageScene::Kind::Result, heading, names}, formLook(), screen);

    QCOMPARE(lines.size(), std::size_t(names.size() + 1));
    QCOMPARE(lines.front().role, Role::Heading);
    QCOMPARE(lines.front().text, heading);
    QVERIFY(holds(lines.front(), lines.front().pixelSize));
    QStringList shown;
    QStringList broken;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const StageLine &line = lines[i];
        QVERIFY(QRect(QPoint(0, 0), screen).contains(line.box));
        QVERIFY2(holds(line, line.pixelSize), qPrintable(line.text));
        for (std::size_t j = 0; j < i; ++j) {
            QVERIFY2(!line.box.intersects(lines[j].box), qPrintable(line.text + u'/' + lines[j].text));
        }
        if (i > 0) {
            QCOMPARE(line.role, Role::Name);
            // Every name of a draw alike: none smaller than another.
            QCOMPARE(line.pixelSize, lines[1].pixelSize);
            QVERIFY(line.box.top() >= lines.front().box.bottom());
            // Read across, row by row from the top, each name comes after the one before it.
            const QRect &before = lines[i - 1].box;
            QVERIFY(i == 1 || std::pair(line.box.top(), line.box.left()) > std::pair(before.top(), before.left()));
            QVERIFY2(line.text.count(u'\n') <= 1, qPrintable(line.text));
            // A break only adds a line feed; it is made where one line at this size would not
            // even fit the screen, so the name stands larger for it.
            const QString name = QString(line.text).remove(u'\n');
            if (name != line.text) {
                broken.append(line.text);
                QVERIFY(extentOf({Role::Name, name, {}, 0}, line.pixelSize).width() > screen.width());
            }
            shown.append(name);
        }
    }
    QCOMPARE(shown, names);
    QCOMPARE(broken, onTwoLines);
    if (!names.isEmpty()) {
        QVERIFY2(lines[1].pixelSize >= leastPixels, qPrintable(QString::number(lines[1].pixelSize)));
    }
}

void StageLayoutTest::stageTakesAScreenAwayFromTheOperator_data() {
    QTest::addColumn<QList<QRect>>("screens");
    QTest::addColumn<int>("operatorScreen");
    QTest::addColumn<int>("stageScreen");

    const QRect laptop(0, 0, 1280, 800);
    const QRect projector(1280, 0, 1920, 1080);
    const QRect monitor(3200, 0, 1024, 768);
    QTest::newRow("one screen") << QList<QRect>{laptop} << 0 << 0;
    QTest::newRow("laptop and projector") << QList<QRect>{laptop, projector} << 0 << 1;
    QTest::newRow("window on the projector") << QList<QRect>{laptop, projector} << 1 << 0;
    QTest::newRow("the largest of the others") << QList<QRect>{laptop, monitor, projector} << 0 << 2;
    QTest::newRow("equal screens: the first other")
        << QList<QRect>{laptop, laptop.translated(1280, 0), laptop.translated(2560, 0)} << 1 << 0;
    QTest::newRow("a mirror of the operator's screen") << QList<QRect>{projector, projector} << 0 << 0;
}

void StageLayoutTest::stageTakesAScreenAwayFromTheOperator() {
    QFETCH(QList<QRect>, screens);
    QFETCH(int, operatorScreen);
    QFETCH(int, stageScreen);
    QCOMPARE(stageScreenIndex(screens, operatorScreen), stageScreen);
}

QTEST_MAIN(StageLayoutTest)
#include "stage_layout_test.moc"

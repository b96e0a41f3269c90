#include "event/event_model.h"
#include "record/record_layout.h"
#include "record/record_pagination.h"
#include "record/record_printer.h"

#include <QFontMetricsF>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace lotdraw;

using Blocks = std::vector<BlockShape>;
using Places = std::vector<std::vector<LinePlace>>;
Q_DECLARE_METATYPE(BodyHeights)
Q_DECLARE_METATYPE(Blocks)
Q_DECLARE_METATYPE(Places)

namespace {

// Distinct names of two characters, none a part of another: "赵一", "赵二", ... "钱一", ...
QString nameAt(int index) {
    static const QString surnames = QStringLiteral("赵钱孙李周吴郑王冯陈褚卫蒋沈韩杨朱秦尤许");
    static const QString given = QStringLiteral("一二三四五六七八九十甲乙丙丁戊己庚辛壬癸");
    return QString(surnames.at(index / given.size() % surnames.size())) + given.at(index % given.size());
}

// A name far wider than a page, which must wrap within its place.
const QString kLongName = QString(70, u'龙') + QStringLiteral("终");

} // namespace

// The printed record: how its blocks fall on pages, where its texts stand, and what a PDF printed
// from it holds.
class RecordTest : public QObject {
    Q_OBJECT

private slots:
    void pagesHoldBlocksWhole_data();
    void pagesHoldBlocksWhole();
    void printsEveryNameWhole_data();
    void printsEveryNameWhole();

private:
    static EventRecord recordFromRow();
    static QString run(const QString &program, const QStringList &arguments);
};

void RecordTest::pagesHoldBlocksWhole_data() {
    QTest::addColumn<BodyHeights>("heights");
    QTest::addColumn<Blocks>("blocks");
    QTest::addColumn<Places>("places");

    const BodyHeights even{100, 100};
    QTest::newRow("blocks one under another, with the space between them")
        << even << Blocks{{0, {10, 10}, false}, {5, {10}, false}} << Places{{{0, 0}, {0, 10}}, {{0, 25}}};
    QTest::newRow("a block that does not fit the rest of a page goes whole to the next")
        << even << Blocks{{0, {50}, false}, {0, {30, 30}, false}} << Places{{{0, 0}}, {{1, 0}, {1, 30}}};
    QTest::newRow("no space at the top of a page")
        << even << Blocks{{0, {90}, false}, {8, {20}, false}} << Places{{{0, 0}}, {{1, 0}}};
    QTest::newRow("a heading goes with the block after it")
        << even << Blocks{{0, {85}, false}, {0, {10}, true}, {0, {10}, false}} << Places{{{0, 0}}, {{1, 0}}, {{1, 10}}};
    QTest::newRow("a block taller than a page breaks between lines, under its heading")
        << BodyHeights{100, 80} << Blocks{{0, {60}, false}, {0, {10}, true}, {0, {20, 20, 20, 20, 20}, false}}
        << Places{{{0, 0}}, {{0, 60}}, {{0, 70}, {1, 0}, {1, 20}, {1, 40}, {1, 60}}};
    QTest::newRow("later pages shorter than the first")
        << BodyHeights{100, 50} << Blocks{{0, {40}, false}, {0, {40}, false}, {0, {40}, false}, {0, {20}, false}}
        << Places{{{0, 0}}, {{0, 40}}, {{1, 0}}, {{2, 0}}};
}

void RecordTest::pagesHoldBlocksWhole() {
    QFETCH(BodyHeights, heights);
    QFETCH(Blocks, blocks);
    QFETCH(Places, places);
    QCOMPARE(paginate(blocks, heights), places);
}

// A record of the row's draws, each of names of its own, stopped a minute apart from 23:58, so the
// later ones fall on the next day.
EventRecord RecordTest::recordFromRow() {
    QFETCH(int, draws);
    QFETCH(int, names);
    QFETCH(bool, longName);
    const QDate day(2026, 3, 5);
    EventRecord record{QStringLiteral("导入名单.xls"), 99, day, {}};
    int next = 0;
    for (int number = 1; number <= draws; ++number) {
        QStringList drawn;
        for (int i = 0; i < names; ++i) {
            drawn.append(nameAt(next++));
        }
        if (longName) {
            drawn[names / 2] = kLongName;
        }
        const QDateTime stoppedAt(day, QTime(23, 58).addSecs(60 * (number - 1)));
        record.draws.append({number, stoppedAt, EventModel::resultListOf(number), number % 2 == 0, drawn});
    }
    return record;
}

void RecordTest::printsEveryNameWhole_data() {
    QTest::addColumn<int>("draws");
    QTest::addColumn<int>("names");
    QTest::addColumn<bool>("longName"); // the middle name of every draw far wider than a page
    QTest::addColumn<QPageSize::PageSizeId>("pageSize");
    QTest::addColumn<int>("leastPages");

    // Names stand in two columns at most: ten names take five rows, 99 names more than a page.
    QTest::newRow("30 draws of 10 names") << 30 << 10 << false << QPageSize::A4 << 4;
    QTest::newRow("99 names in one draw") << 1 << 99 << false << QPageSize::A4 << 2;
    QTest::newRow("99 names on A6") << 1 << 99 << false << QPageSize::A6 << 3;
    QTest::newRow("a long name in each of 12 draws") << 12 << 10 << true << QPageSize::A4 << 3;
    QTest::newRow("nothing drawn") << 0 << 0 << false << QPageSize::A4 << 1;
}

// Laid out, every text stands inside the margins on one line that holds it, apart from every other
// text; no heading is left at the foot of a page without its first name; every page ends with its
// number. Printed to a PDF file through a printer, as the print preview does, the file embeds its
// faces with their character maps, and its text holds, in order, the title, the facts of the
// import, every draw's heading and every name, whole, after its number, the lines to sign on and
// every page's number.
void RecordTest::printsEveryNameWhole() {
    QFETCH(QPageSize::PageSizeId, pageSize);
    QFETCH(int, leastPages);
    const EventRecord record = recordFromRow();
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(folder.filePath(QStringLiteral("record.pdf")));
    setUpRecordPage(printer);
    printer.setPageSize(QPageSize(pageSize));
    const RecordFonts fonts = RecordFonts::formFaces();

    const std::vector<RecordPage> pages = layOutRecord(record, fonts, printer);

    QVERIFY2(static_cast<int>(pages.size()) >= leastPages, qPrintable(QString::number(pages.size())));
    const QRectF area(0, 0, printer.width(), printer.height());
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const std::vector<RecordText> &texts = pages[p].texts;
        for (auto text = texts.begin(); text != texts.end(); ++text) {
            const QFontMetricsF metrics(fontFor(fonts, text->style), &printer);
            QVERIFY2(area.contains(text->box), qPrintable(text->text));
            QVERIFY2(metrics.horizontalAdvance(text->text) <= text->box.width() + 0.5, qPrintable(text->text));
            QVERIFY2(metrics.height() <= text->box.height(), qPrintable(text->text));
            for (auto other = texts.begin(); other != text; ++other) {
                // Boxes that touch may share an edge, up to the rounding of their sums.
                const QRectF overlap = text->box & other->box;
                QVERIFY2(overlap.width() < 0.01 || overlap.height() < 0.01,
                         qPrintable(text->text + u'/' + other->text));
            }
            const auto isFirst = [](const RecordText &number) { return number.text == QStringLiteral("1."); };
            QVERIFY2(!text->text.endsWith(QStringLiteral("次抽中")) || std::any_of(text, texts.end(), isFirst),
                     qPrintable(text->text));
        }
        QCOMPARE(texts.back().text, QStringLiteral("第%1页，共%2页").arg(p + 1).arg(pages.size()));
    }

    QVERIFY(printRecord(record, printer));
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("pdffonts")).isEmpty()) {
        QSKIP("pdftotext or pdffonts is not installed (Debian package poppler-utils)");
    }
    const QStringList faces =
        run(QStringLiteral("pdffonts"), {printer.outputFileName()}).split(u'\n', Qt::SkipEmptyParts).mid(2);
    QVERIFY2(!faces.isEmpty(), "no face in the PDF");
    for (const QString &face : faces) {
        const QStringList columns = face.split(u' ', Qt::SkipEmptyParts); // ... emb sub uni object generation
        QVERIFY2(columns.size() >= 7 && columns.at(columns.size() - 5) == QStringLiteral("yes") &&
                     columns.at(columns.size() - 3) == QStringLiteral("yes"),
                 qPrintable(face));
    }
    QStringList expected{QStringLiteral("现场抽签"), QStringLiteral("抽签记录"), QStringLiteral("日期：2026年3月5日"),
                         QStringLiteral("名单文件：导入名单.xls"), QStringLiteral("导入时名单人数：99人")};
    for (const RecordedDraw &draw : record.draws) {
        const QString day = draw.stoppedAt.date() == record.date ? QString() : QStringLiteral("2026年3月6日");
        expected << QStringLiteral("第%1次抽中").arg(draw.number)
                 << QStringLiteral("时间%1%2").arg(day, draw.stoppedAt.toString(QStringLiteral("HH:mm:ss")))
                 << QStringLiteral("第%1个结果列表").arg(draw.resultList)
                 << (draw.kept ? QStringLiteral("保留") : QStringLiteral("不保留"));
        for (int i = 0; i < draw.names.size(); ++i) {
            expected.append(QStringLiteral("%1.").arg(i + 1) + draw.names.at(i));
        }
    }
    expected << QStringLiteral("操作员签名") << QStringLiteral("见证人签名");
    for (std::size_t page = 1; page <= pages.size(); ++page) {
        expected.append(QStringLiteral("第%1页，共%2页").arg(page).arg(pages.size()));
    }
    const QString text = run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), printer.outputFileName(), "-"})
                             .remove(QRegularExpression(QStringLiteral("\\s")));
    qsizetype from = 0;
    for (const QString &part : expected) {
        // Page numbers stand between the draws; they are looked for from the start.
        const qsizetype at = text.indexOf(part, part.endsWith(u'页') ? 0 : from);
        QVERIFY2(at >= 0, qPrintable(part));
        from = part.endsWith(u'页') ? from : at;
    }
}

QString RecordTest::run(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60'000) || process.exitCode() != 0) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

QTEST_MAIN(RecordTest)
#include "record_test.moc"

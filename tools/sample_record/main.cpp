// Prints a sample record of an event to a PDF file, for a look at its pages without a printer:
//   QT_QPA_PLATFORM=offscreen sample_record record.pdf [--draws N] [--names M] [--long]
// --draws N draws (30 unless given) of --names M names each (10 unless given), taken in turn from
// a pool of sample names, every third one kept in the pool; --long makes one name of each draw long
// enough to wrap. `pdftoppm -png record.pdf page` turns the pages into pictures.

#include "event/event_model.h"
#include "record/record_printer.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPrinter>
#include <QTextStream>

namespace {

const QStringList kSampleNames{
    QStringLiteral("张伟"), QStringLiteral("王芳"),     QStringLiteral("李娜"), QStringLiteral("刘洋"),
    QStringLiteral("陈静"), QStringLiteral("欧阳娜娜"), QStringLiteral("赵敏"), QStringLiteral("黄强"),
    QStringLiteral("周杰"), QStringLiteral("吴霞"),     QStringLiteral("徐涛"), QStringLiteral("孙丽"),
    QStringLiteral("高翔"), QStringLiteral("唐亮"),     QStringLiteral("郭强"), QStringLiteral("司马相如")};
const QString kLongName =
    QStringLiteral("阿卜杜热合曼·买买提明·艾合买提江·吐尔逊托合提·阿不都热依木·司马相如·欧阳娜娜·诸葛孔明·上官婉儿");

lotdraw::EventRecord sampleRecord(int draws, int names, bool withLongNames) {
    const QDate day(2026, 3, 5);
    lotdraw::EventRecord record{QStringLiteral("导入名单.xls"), 99, day, {}};
    QDateTime stoppedAt(day, QTime(14, 0));
    int next = 0;
    for (int number = 1; number <= draws; ++number) {
        stoppedAt = stoppedAt.addSecs(47 + number % 5 * 13);
        QStringList drawn;
        for (int i = 0; i < names; ++i, ++next) {
            const int round = next / static_cast<int>(kSampleNames.size());
            const QString &name = kSampleNames.at(next % kSampleNames.size());
            drawn.append(round == 0 ? name : name + QString::number(round + 1));
        }
        if (withLongNames && !drawn.isEmpty()) {
            drawn[drawn.size() / 2] = kLongName;
        }
        record.draws.append({number, stoppedAt, lotdraw::EventModel::resultListOf(number), number % 3 == 0, drawn});
    }
    return record;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("output"), QStringLiteral("PDF file to write"));
    const QCommandLineOption draws(QStringLiteral("draws"), QStringLiteral("Draws in the record"), QStringLiteral("N"),
                                   QStringLiteral("30"));
    const QCommandLineOption names(QStringLiteral("names"), QStringLiteral("Names per draw"), QStringLiteral("M"),
                                   QStringLiteral("10"));
    const QCommandLineOption longNames(QStringLiteral("long"), QStringLiteral("Give each draw a long name"));
    parser.addOptions({draws, names, longNames});
    parser.process(app);
    const int drawCount = parser.value(draws).toInt();
    const int nameCount = parser.value(names).toInt();
    if (parser.positionalArguments().size() != 1 || drawCount < 0 || nameCount < 0) {
        parser.showHelp(2);
    }

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(parser.positionalArguments().constFirst());
    lotdraw::setUpRecordPage(printer);
    if (!lotdraw::printRecord(sampleRecord(drawCount, nameCount, parser.isSet(longNames)), printer)) {
        QTextStream(stderr) << "cannot write " << printer.outputFileName() << '\n';
        return 1;
    }
    return 0;
}

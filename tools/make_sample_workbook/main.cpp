// make_sample_workbook <names.txt> <out.xls>
//
// Writes a name-list workbook: headings in rows 1 and 2, the names of the UTF-8 text file (one a
// line, blank lines skipped) from row 3 of column A. An existing file is never overwritten.

#include "namelist/name_list_workbook.h"
#include "office/libreoffice_application.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>

namespace {

int fail(const QString &message) {
    QTextStream(stderr) << message << '\n';
    return 1;
}

} // namespace

int main(int argc, char *argv[]) {
    const QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        return fail(QStringLiteral("usage: make_sample_workbook <names.txt> <out.xls>"));
    }
    const QString namesPath = arguments.at(1);
    const QString outPath = arguments.at(2);
    if (QFileInfo::exists(outPath)) {
        return fail(QStringLiteral("%1 exists already; it is left as it is").arg(outPath));
    }
    QFile namesFile(namesPath);
    if (!namesFile.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return fail(QStringLiteral("cannot read %1: %2").arg(namesPath, namesFile.errorString()));
    }
    QStringList names;
    const QStringList lines = QString::fromUtf8(namesFile.readAll()).split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
        if (!line.trimmed().isEmpty()) {
            names.append(line);
        }
    }
    try {
        lotdraw::LibreOfficeApplication office;
        lotdraw::writeNameListWorkbook(office, outPath, names);
    } catch (const lotdraw::SpreadsheetError &error) {
        return fail(error.userMessage());
    }
    QTextStream(stdout) << QStringLiteral("%1: %2 names\n").arg(outPath).arg(names.size());
    return 0;
}

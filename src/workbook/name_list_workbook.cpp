#include "workbook/name_list_workbook.h"

#include "workbook/spreadsheet.h"

namespace lotdraw {

namespace {

constexpr int kFirstNameRow = 3;

} // namespace

QString nameListTitle() {
    return QStringLiteral("抽签名单");
}

QStringList nameListColumnHeadings() {
    return {QStringLiteral("被抽名单"), QStringLiteral("第一组结果"), QStringLiteral("第二组结果"),
            QStringLiteral("第三组结果"), QStringLiteral("第四组结果")};
}

void writeNameListWorkbook(SpreadsheetApplication &app, const QString &path, const QStringList &names) {
    const std::unique_ptr<SpreadsheetInstance> instance = app.create();
    instance->newWorkbook(path);
    instance->setCell(1, 1, nameListTitle());
    const QStringList headings = nameListColumnHeadings();
    for (int column = 1; column <= headings.size(); ++column) {
        instance->setCell(2, column, headings.at(column - 1));
    }
    for (int index = 0; index < names.size(); ++index) {
        instance->setCell(kFirstNameRow + index, 1, names.at(index));
    }
    instance->saveActiveWorkbook();
    instance->quit();
    instance->closeWorkbooks();
}

} // namespace lotdraw

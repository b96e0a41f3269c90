#pragma once

#include <QString>
#include <QStringList>

namespace lotdraw {

// Where things stand in the name-list workbook, rows and columns counted from 1, for everything
// that reads or writes it: the import, the export and the writer of new name lists.
//
//   row 1         a title over the pool
//   row 2         one heading per column
//   column A      the pool: one name per row from row 3, at most 99 (rows 3..101); the first empty
//                 cell ends it
//   columns B..E  result lists 1..4: one name per row, rows 3..102 belong to the export
//
// Nothing else of the workbook is read or written.
struct NameListLayout final {
    static constexpr int kTitleRow = 1;
    static constexpr int kHeadingRow = 2;
    // The first name of the pool and the first line of every result list.
    static constexpr int kFirstRow = 3;
    static constexpr int kPoolColumn = 1;
    static constexpr int kPoolLastRow = 101;
    static constexpr int kPoolRows = kPoolLastRow - kFirstRow + 1;
    // The rows of a result list's column that an export clears and fills.
    static constexpr int kResultRows = 100;

    // Result list 1..4 has column B..E.
    [[nodiscard]] static constexpr int resultColumn(int resultList) { return kPoolColumn + resultList; }

    // The title and the column headings a new name list is given (the pool in A, the result lists
    // in B to E); existing workbooks may have any.
    [[nodiscard]] static QString title() { return QStringLiteral("抽签名单"); }
    [[nodiscard]] static QStringList columnHeadings() {
        return {QStringLiteral("被抽名单"), QStringLiteral("第一组结果"), QStringLiteral("第二组结果"),
                QStringLiteral("第三组结果"), QStringLiteral("第四组结果")};
    }
};

} // namespace lotdraw

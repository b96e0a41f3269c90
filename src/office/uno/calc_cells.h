#pragma once

#include <QString>
#include <QStringList>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <optional>

namespace lotdraw {

class OfficeConnection;

// A column of a sheet's cells, read as texts from the cells' values and written as texts, each in
// one call to the office where it can be. Cell errors throw SpreadsheetError with the cell named.
class CalcCells final {
public:
    CalcCells(OfficeConnection &office, css::uno::Reference<css::sheet::XSpreadsheet> sheet,
              css::uno::Reference<css::util::XNumberFormats> formats)
        : m_office(office)
        , m_sheet(std::move(sheet))
        , m_formats(std::move(formats)) {}

    // The texts of `column` from `firstRow` down to the first empty cell, at most `maxRows`.
    [[nodiscard]] QStringList readColumn(int column, int firstRow, int maxRows);
    // `rowCount` rows of `column` from `firstRow`: the texts, then empty cells.
    void writeColumn(int column, int firstRow, const QStringList &texts, int rowCount);

private:
    // The values of the rows in one call; nothing when some cell refuses to be read so (errors).
    [[nodiscard]] std::optional<css::uno::Sequence<css::uno::Sequence<css::uno::Any>>>
    readValues(int column, int firstRow, int rowCount);
    // The rows in one call; false when the range refuses them.
    [[nodiscard]] bool writeValues(int column, int firstRow, const QStringList &texts, int rowCount);
    // One cell on its own: numbers, dates, truth values and errors need its type and format.
    [[nodiscard]] QString readCell(int row, int column);
    [[nodiscard]] QString formulaText(const css::uno::Reference<css::table::XCell> &cell);
    [[nodiscard]] QString valueText(const css::uno::Reference<css::table::XCell> &cell, double value);

    OfficeConnection &m_office;
    css::uno::Reference<css::sheet::XSpreadsheet> m_sheet;
    css::uno::Reference<css::util::XNumberFormats> m_formats;
};

// Lets the office learn, while it loads a workbook, what it needs to tell a number from a text:
// the first text written into a cell otherwise waits for it (the currency names of every locale the
// office has, and the like), which takes about as long as the load itself.
void prepareTextCells(OfficeConnection &office);

} // namespace lotdraw

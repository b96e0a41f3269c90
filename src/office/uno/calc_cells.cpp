#include "office/uno/calc_cells.h"

#include "office/cell_text.h"
#include "office/office_messages.h"
#include "office/uno/office_connection.h"
#include "office/uno/uno_support.h"
#include "spreadsheet/spreadsheet_error.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/NotNumericException.hpp>
#include <com/sun/star/util/NumberFormat.hpp>
#include <com/sun/star/util/NumberFormatsSupplier.hpp>
#include <com/sun/star/util/NumberFormatter.hpp>

namespace lotdraw {

namespace {

using css::uno::Reference;
using css::uno::UNO_QUERY_THROW;
using Rows = css::uno::Sequence<css::uno::Sequence<css::uno::Any>>;

// Calc's limits; the xls format allows less, which the office itself refuses.
constexpr int kMaxRow = 1048576;
constexpr int kMaxColumn = 16384;

// The text a cell shows: a text as it stands, an error value as the sheet names it ("#DIV/0!").
QString shownText(const Reference<css::table::XCell> &cell) {
    return uno::toQString(Reference<css::text::XText>(cell, UNO_QUERY_THROW)->getString());
}

// Refuses a column range outside the sheet with a message naming its first cell.
void checkColumnRange(int column, int firstRow, int rowCount) {
    if (column < 1 || column > kMaxColumn || firstRow < 1 || rowCount < 0 || rowCount > kMaxRow - firstRow + 1) {
        throw SpreadsheetError(office_messages::badCell(firstRow, column));
    }
}

} // namespace

void prepareTextCells(OfficeConnection &office) {
    office.runAlongside([context = office.context()] {
        // A text is told from a number in the document's language, which the office's C locale
        // makes US English; a Latin and a Chinese name each need their own part of it.
        const auto formatter = css::util::NumberFormatter::create(context);
        formatter->attachNumberFormatsSupplier(
            css::util::NumberFormatsSupplier::createWithLocale(context, css::lang::Locale("en", "US", "")));
        for (const QString &text : {QStringLiteral("name1"), QStringLiteral("名字1")}) {
            try {
                static_cast<void>(formatter->detectNumberFormat(0, uno::toOUString(text)));
            } catch (const css::util::NotNumericException &) {
                // What it says of a name.
            }
        }
    });
}

QStringList CalcCells::readColumn(int column, int firstRow, int maxRows) {
    checkColumnRange(column, firstRow, maxRows);
    const std::optional<Rows> values = maxRows > 0 ? readValues(column, firstRow, maxRows) : std::nullopt;
    QStringList texts;
    for (int i = 0; i < maxRows; ++i) {
        rtl::OUString plain;
        const bool isText =
            values && i < values->getLength() && (*values)[i].getLength() > 0 && ((*values)[i][0] >>= plain);
        QString text = isText ? uno::toQString(plain) : readCell(firstRow + i, column);
        if (text.isEmpty()) {
            break;
        }
        texts.append(std::move(text));
    }
    return texts;
}

std::optional<Rows> CalcCells::readValues(int column, int firstRow, int rowCount) {
    try {
        return m_office.call(m_office.options().callTimeout, [&] {
            const Reference<css::sheet::XCellRangeData> range(
                m_sheet->getCellRangeByPosition(column - 1, firstRow - 1, column - 1, firstRow + rowCount - 2),
                UNO_QUERY_THROW);
            return range->getDataArray();
        });
    } catch (const css::uno::Exception &) {
        // Some cell kinds (errors) refuse to be read in bulk; the cells are read on their own.
        return std::nullopt;
    }
}

QString CalcCells::readCell(int row, int column) {
    try {
        return m_office.call(m_office.options().callTimeout, [&]() -> QString {
            const Reference<css::table::XCell> cell = m_sheet->getCellByPosition(column - 1, row - 1);
            switch (cell->getType()) {
                case css::table::CellContentType_EMPTY:
                    return {};
                case css::table::CellContentType_VALUE:
                    return valueText(cell, cell->getValue());
                case css::table::CellContentType_FORMULA:
                    return formulaText(cell);
                case css::table::CellContentType_TEXT:
                default:
                    return shownText(cell);
            }
        });
    } catch (const css::uno::Exception &exception) {
        throw SpreadsheetError(office_messages::cellFailed(row, column, uno::describe(exception)));
    }
}

QString CalcCells::formulaText(const Reference<css::table::XCell> &cell) {
    if (cell->getError() != 0) {
        return shownText(cell);
    }
    const Reference<css::beans::XPropertySet> properties(cell, UNO_QUERY_THROW);
    sal_Int32 resultType = 0;
    properties->getPropertyValue(rtl::OUString("FormulaResultType2")) >>= resultType;
    if (resultType != css::sheet::FormulaResult::VALUE) {
        // A text result.
        return shownText(cell);
    }
    // A truth value from an xls file arrives as =TRUE() or =FALSE(); its cell format stays
    // General, only the shown text tells it apart. The office runs in the C locale, so the words
    // are English.
    const double value = cell->getValue();
    const QString shown = shownText(cell);
    if ((value == 0.0 || value == 1.0) && (shown == QStringLiteral("TRUE") || shown == QStringLiteral("FALSE"))) {
        return shown;
    }
    return valueText(cell, value);
}

QString CalcCells::valueText(const Reference<css::table::XCell> &cell, double value) {
    const Reference<css::beans::XPropertySet> properties(cell, UNO_QUERY_THROW);
    sal_Int32 key = 0;
    properties->getPropertyValue(rtl::OUString("NumberFormat")) >>= key;
    sal_Int16 type = css::util::NumberFormat::NUMBER;
    try {
        m_formats->getByKey(key)->getPropertyValue(rtl::OUString("Type")) >>= type;
    } catch (const css::uno::RuntimeException &) {
        throw;
    } catch (const css::uno::Exception &) {
        // An unknown format key: read it as a plain number.
    }
    if ((type & css::util::NumberFormat::LOGICAL) != 0) {
        return truthText(value);
    }
    if ((type & css::util::NumberFormat::DATETIME) == css::util::NumberFormat::DATETIME) {
        return dateTimeText(value);
    }
    if ((type & css::util::NumberFormat::DATE) != 0) {
        return dateText(value);
    }
    if ((type & css::util::NumberFormat::TIME) != 0) {
        return timeText(value);
    }
    return numberText(value);
}

void CalcCells::writeColumn(int column, int firstRow, const QStringList &texts, int rowCount) {
    checkColumnRange(column, firstRow, rowCount);
    if (rowCount == 0 || writeValues(column, firstRow, texts, rowCount)) {
        return;
    }
    // A document opened read-only refuses a range, while each of its cells still takes a text (the
    // save then refuses); cell by cell, a failure names its cell.
    for (int i = 0; i < rowCount; ++i) {
        const int row = firstRow + i;
        try {
            m_office.call(m_office.options().callTimeout, [&] {
                const Reference<css::text::XText> cell(m_sheet->getCellByPosition(column - 1, row - 1),
                                                       UNO_QUERY_THROW);
                cell->setString(uno::toOUString(i < texts.size() ? texts.at(i) : QString()));
            });
        } catch (const css::uno::Exception &exception) {
            throw SpreadsheetError(office_messages::cellFailed(row, column, uno::describe(exception)));
        }
    }
}

bool CalcCells::writeValues(int column, int firstRow, const QStringList &texts, int rowCount) {
    Rows rows(rowCount);
    css::uno::Sequence<css::uno::Any> *row = rows.getArray();
    for (int i = 0; i < rowCount; ++i) {
        const css::uno::Any text(i < texts.size() ? uno::toOUString(texts.at(i)) : rtl::OUString());
        row[i] = css::uno::Sequence<css::uno::Any>(&text, 1);
    }
    try {
        m_office.call(m_office.options().callTimeout, [&] {
            // The range stores strings as they are, as a cell's setString does: "0012" and "=1+1"
            // stay text, and the empty text empties the cell.
            const Reference<css::sheet::XCellRangeData> range(
                m_sheet->getCellRangeByPosition(column - 1, firstRow - 1, column - 1, firstRow + rowCount - 2),
                UNO_QUERY_THROW);
            range->setDataArray(rows);
        });
        return true;
    } catch (const css::uno::Exception &) {
        return false;
    }
}

} // namespace lotdraw

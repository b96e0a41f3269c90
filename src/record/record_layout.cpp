#include "record/record_layout.h"

#include "record/record_pagination.h"
#include "record/record_texts.h"
#include "skin/fonts.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QTextLayout>
#include <algorithm>

namespace lotdraw {
namespace {

namespace texts = record_texts;

// Lines of text stand this many times their face's line spacing apart, for a sheet that is easy to
// read and to mark by hand.
constexpr qreal kLineSpacing = 1.3;
// Names of one draw stand in at most this many columns, so that the sheet reads down the page like
// the result lists and every name has room to stand whole.
constexpr int kMostNameColumns = 2;
// Gaps, in widths of a Chinese character of the body face.
constexpr qreal kColumnGap = 1.5;      // between two columns of names
constexpr qreal kNumberGap = 0.4;      // between a name's number and the name
constexpr qreal kHeadingGap = 2;       // between a draw's heading and its details
constexpr qreal kShortestRule = 5;     // the shortest line to sign on
constexpr qreal kSignatureShare = 0.6; // the share of the width up to the end of the signature's line

// A text, or a line to sign on, within one line of a block: where it starts and how wide it is.
struct LineItem {
    RecordStyle style = RecordStyle::Body;
    QString text;
    qreal x = 0;
    qreal width = 0;
    Qt::Alignment alignment = Qt::AlignLeft;
    bool rule = false;
};

struct ComposedLine {
    qreal height = 0;
    std::vector<LineItem> items;
};

struct ComposedBlock {
    qreal spaceBefore = 0;
    std::vector<ComposedLine> lines;
    bool keepWithNext = false;
};

QString withoutTrailingSpace(QString text) {
    while (!text.isEmpty() && text.back().isSpace()) {
        text.chop(1);
    }
    return text;
}

// Turns the record into blocks of lines measured on the device, then into pages.
class RecordComposer {
public:
    RecordComposer(const RecordFonts &fonts, const QPaintDevice &device)
        : m_fonts(fonts)
        , m_device(device)
        , m_width(device.width())
        , m_height(device.height())
        , m_em(widthOf(RecordStyle::Body, QStringLiteral("中"))) {}

    [[nodiscard]] std::vector<ComposedBlock> blocks(const EventRecord &record) const;
    [[nodiscard]] std::vector<RecordPage> pages(const EventRecord &record,
                                                const std::vector<ComposedBlock> &blocks) const;

private:
    struct NameGrid {
        int columns = 1;
        qreal numberWidth = 0;
        qreal cellWidth = 0;
    };

    [[nodiscard]] QFontMetricsF metrics(RecordStyle style) const {
        return QFontMetricsF(fontFor(m_fonts, style), &m_device);
    }
    [[nodiscard]] qreal lineHeight(RecordStyle style) const { return metrics(style).lineSpacing() * kLineSpacing; }
    [[nodiscard]] qreal widthOf(RecordStyle style, const QString &text) const {
        return metrics(style).horizontalAdvance(text);
    }
    [[nodiscard]] QStringList wrapped(RecordStyle style, const QString &text, qreal width) const;
    void appendWrapped(ComposedBlock &block, RecordStyle style, const QString &text, Qt::Alignment alignment) const;
    void placeInLine(ComposedBlock &block, std::size_t line, const LineItem &item) const;
    [[nodiscard]] ComposedBlock openingBlock(const EventRecord &record) const;
    [[nodiscard]] ComposedBlock headingBlock(const RecordedDraw &draw, QDate eventDate) const;
    [[nodiscard]] NameGrid nameGrid(const QStringList &names) const;
    [[nodiscard]] std::vector<ComposedBlock> nameRows(const QStringList &names) const;
    [[nodiscard]] ComposedBlock closingBlock(const EventRecord &record) const;
    void appendSignature(ComposedBlock &block, const QString &label) const;
    [[nodiscard]] ComposedBlock continuedHeader(const EventRecord &record) const;
    void paint(RecordPage &page, const ComposedLine &line, qreal top) const;

    const RecordFonts &m_fonts;
    const QPaintDevice &m_device;
    qreal m_width;
    qreal m_height;
    qreal m_em;
};

// The text broken into lines no wider than `width`: between words, between Chinese characters,
// and inside a word only where the word alone is wider than a line.
QStringList RecordComposer::wrapped(RecordStyle style, const QString &text, qreal width) const {
    QTextLayout layout(text, fontFor(m_fonts, style), &m_device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines.append(withoutTrailingSpace(text.mid(line.textStart(), line.textLength())));
    }
    layout.endLayout();
    if (lines.isEmpty()) {
        lines.append(QString());
    }
    return lines;
}

void RecordComposer::appendWrapped(ComposedBlock &block, RecordStyle style, const QString &text,
                                   Qt::Alignment alignment) const {
    for (const QString &line : wrapped(style, text, m_width)) {
        block.lines.push_back({lineHeight(style), {{style, line, 0, m_width, alignment}}});
    }
}

void RecordComposer::placeInLine(ComposedBlock &block, std::size_t line, const LineItem &item) const {
    while (block.lines.size() <= line) {
        block.lines.push_back({lineHeight(RecordStyle::Body), {}});
    }
    block.lines[line].items.push_back(item);
}

ComposedBlock RecordComposer::openingBlock(const EventRecord &record) const {
    ComposedBlock block;
    appendWrapped(block, RecordStyle::Title, texts::title(), Qt::AlignHCenter);
    block.lines.push_back({lineHeight(RecordStyle::Body) * 0.5, {}});
    for (const QString &fact : {texts::dateLine(record.date), texts::workbookLine(record.workbookFileName),
                                texts::poolCountLine(record.poolCountAtImport)}) {
        appendWrapped(block, RecordStyle::Body, fact, Qt::AlignLeft);
    }
    appendWrapped(block, RecordStyle::Note, texts::keepLegend(), Qt::AlignLeft);
    return block;
}

// The heading and the details on one line where they fit, otherwise one under the other.
ComposedBlock RecordComposer::headingBlock(const RecordedDraw &draw, QDate eventDate) const {
    const QString heading = texts::drawHeading(draw.number);
    const QString details = texts::drawDetails(draw, eventDate);
    ComposedBlock block{lineHeight(RecordStyle::Body) * 0.6, {}, true};
    const qreal headingWidth = widthOf(RecordStyle::Heading, heading);
    const qreal detailsX = headingWidth + m_em * kHeadingGap;
    if (detailsX + widthOf(RecordStyle::Body, details) <= m_width) {
        const qreal height = std::max(lineHeight(RecordStyle::Heading), lineHeight(RecordStyle::Body));
        block.lines.push_back({height,
                               {{RecordStyle::Heading, heading, 0, headingWidth},
                                {RecordStyle::Body, details, detailsX, m_width - detailsX}}});
    } else {
        appendWrapped(block, RecordStyle::Heading, heading, Qt::AlignLeft);
        appendWrapped(block, RecordStyle::Body, details, Qt::AlignLeft);
    }
    return block;
}

// The most columns in which every name of the draw stands on one line; one column where even the
// widest is too wide for that, whose long names then wrap.
RecordComposer::NameGrid RecordComposer::nameGrid(const QStringList &names) const {
    NameGrid grid{1, 0, m_width};
    qreal widest = 0;
    for (int i = 0; i < names.size(); ++i) {
        grid.numberWidth = std::max(grid.numberWidth, widthOf(RecordStyle::Body, texts::nameNumber(i + 1)));
        widest = std::max(widest, widthOf(RecordStyle::Body, names.at(i)));
    }
    for (int columns = kMostNameColumns; columns > 1; --columns) {
        const qreal cellWidth = (m_width - m_em * kColumnGap * (columns - 1)) / columns;
        if (grid.numberWidth + m_em * kNumberGap + widest <= cellWidth) {
            return {columns, grid.numberWidth, cellWidth};
        }
    }
    return grid;
}

// The names row by row, left to right, each after its number; a row is one block, so no name is
// ever split between pages.
std::vector<ComposedBlock> RecordComposer::nameRows(const QStringList &names) const {
    const NameGrid grid = nameGrid(names);
    const qreal nameX = grid.numberWidth + m_em * kNumberGap;
    std::vector<ComposedBlock> rows;
    for (qsizetype first = 0; first < names.size(); first += grid.columns) {
        ComposedBlock row;
        for (qsizetype i = first; i < std::min(first + grid.columns, names.size()); ++i) {
            const qreal x = static_cast<qreal>(i - first) * (grid.cellWidth + m_em * kColumnGap);
            const auto number = static_cast<int>(i) + 1;
            placeInLine(row, 0, {RecordStyle::Body, texts::nameNumber(number), x, grid.numberWidth, Qt::AlignRight});
            const QStringList lines = wrapped(RecordStyle::Body, names.at(i), grid.cellWidth - nameX);
            for (qsizetype k = 0; k < lines.size(); ++k) {
                placeInLine(row, static_cast<std::size_t>(k),
                            {RecordStyle::Body, lines.at(k), x + nameX, grid.cellWidth - nameX, Qt::AlignLeft});
            }
        }
        rows.push_back(row);
    }
    return rows;
}

// A label with a line to sign on after it, and the date with its own line beside it where the
// width allows, else under it.
void RecordComposer::appendSignature(ComposedBlock &block, const QString &label) const {
    const qreal height = lineHeight(RecordStyle::Body);
    block.lines.push_back({height * 1.5, {}}); // room for the signature above its line
    const auto ruled = [&](const QString &text, qreal x, qreal end) {
        const qreal textWidth = widthOf(RecordStyle::Body, text);
        return std::vector<LineItem>{{RecordStyle::Body, text, x, textWidth},
                                     {RecordStyle::Body, {}, x + textWidth, end - x - textWidth, {}, true}};
    };
    const QString date = texts::signatureDate();
    const qreal split = std::max(m_width * kSignatureShare, widthOf(RecordStyle::Body, label) + m_em * kShortestRule);
    const qreal dateX = split + m_em * kHeadingGap;
    if (dateX + widthOf(RecordStyle::Body, date) + m_em * kShortestRule <= m_width) {
        std::vector<LineItem> items = ruled(label, 0, split);
        const std::vector<LineItem> dateItems = ruled(date, dateX, m_width);
        items.insert(items.end(), dateItems.begin(), dateItems.end());
        block.lines.push_back({height, items});
    } else {
        block.lines.push_back({height, ruled(label, 0, m_width)});
        block.lines.push_back({height, ruled(date, 0, m_width)});
    }
}

ComposedBlock RecordComposer::closingBlock(const EventRecord &record) const {
    qsizetype names = 0;
    for (const RecordedDraw &draw : record.draws) {
        names += draw.names.size();
    }
    ComposedBlock block{lineHeight(RecordStyle::Body) * 1.5, {}, false};
    appendWrapped(block, RecordStyle::Body,
                  texts::summary(static_cast<int>(record.draws.size()), static_cast<int>(names)), Qt::AlignLeft);
    appendSignature(block, texts::operatorSignature());
    appendSignature(block, texts::witnessSignature());
    return block;
}

std::vector<ComposedBlock> RecordComposer::blocks(const EventRecord &record) const {
    std::vector<ComposedBlock> blocks{openingBlock(record)};
    for (const RecordedDraw &draw : record.draws) {
        blocks.push_back(headingBlock(draw, record.date));
        const std::vector<ComposedBlock> rows = nameRows(draw.names);
        blocks.insert(blocks.end(), rows.begin(), rows.end());
    }
    blocks.push_back(closingBlock(record));
    return blocks;
}

// The top of every page after the first: what the sheet is and the event's day.
ComposedBlock RecordComposer::continuedHeader(const EventRecord &record) const {
    ComposedBlock header;
    appendWrapped(header, RecordStyle::Note, texts::continuedTitle(record.date), Qt::AlignLeft);
    header.lines.push_back({lineHeight(RecordStyle::Note) * 0.5, {}});
    return header;
}

void RecordComposer::paint(RecordPage &page, const ComposedLine &line, qreal top) const {
    for (const LineItem &item : line.items) {
        const QRectF box(item.x, top, item.width, line.height);
        if (!item.rule) {
            page.texts.push_back({item.style, item.text, box, item.alignment | Qt::AlignVCenter});
            continue;
        }
        // On the baseline of the line's texts, a little below it.
        const QFontMetricsF body = metrics(RecordStyle::Body);
        const qreal y = box.center().y() + (body.ascent() - body.descent()) / 2 + body.descent() / 2;
        page.rules.emplace_back(box.left(), y, box.right(), y);
    }
}

qreal heightOf(const ComposedBlock &block) {
    qreal height = 0;
    for (const ComposedLine &line : block.lines) {
        height += line.height;
    }
    return height;
}

std::vector<BlockShape> shapesOf(const std::vector<ComposedBlock> &blocks) {
    std::vector<BlockShape> shapes;
    for (const ComposedBlock &block : blocks) {
        BlockShape shape{block.spaceBefore, {}, block.keepWithNext};
        for (const ComposedLine &line : block.lines) {
            shape.lineHeights.push_back(line.height);
        }
        shapes.push_back(shape);
    }
    return shapes;
}

// The blocks on as many pages as they need, below the continued header on every page after the
// first, with the page number at the foot of each.
std::vector<RecordPage> RecordComposer::pages(const EventRecord &record,
                                              const std::vector<ComposedBlock> &blocks) const {
    const ComposedBlock header = continuedHeader(record);
    const qreal headerHeight = heightOf(header);
    const qreal footerHeight = lineHeight(RecordStyle::Note) * 1.5;
    const auto places = paginate(shapesOf(blocks), {m_height - footerHeight, m_height - headerHeight - footerHeight});
    int lastPage = 0;
    for (const std::vector<LinePlace> &block : places) {
        lastPage = block.empty() ? lastPage : std::max(lastPage, block.back().page);
    }
    std::vector<RecordPage> pages(static_cast<std::size_t>(lastPage) + 1);
    for (std::size_t i = 1; i < pages.size(); ++i) {
        qreal top = 0;
        for (const ComposedLine &line : header.lines) {
            paint(pages[i], line, top);
            top += line.height;
        }
    }
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        for (std::size_t l = 0; l < blocks[b].lines.size(); ++l) {
            const LinePlace place = places[b][l];
            paint(pages[static_cast<std::size_t>(place.page)], blocks[b].lines[l],
                  place.top + (place.page > 0 ? headerHeight : 0));
        }
    }
    const qreal footerLine = lineHeight(RecordStyle::Note);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const QString number = texts::pageNumber(static_cast<int>(i) + 1, static_cast<int>(pages.size()));
        paint(pages[i], {footerLine, {{RecordStyle::Note, number, 0, m_width, Qt::AlignHCenter}}},
              m_height - footerLine);
    }
    return pages;
}

} // namespace

RecordFonts RecordFonts::formFaces() {
    installFontSubstitutes();
    const auto song = [](qreal points, bool bold) {
        QFont font(QStringLiteral("宋体"));
        font.setPointSizeF(points);
        font.setBold(bold);
        return font;
    };
    return {song(18, true), song(12, true), song(12, false), song(9, false)};
}

const QFont &fontFor(const RecordFonts &fonts, RecordStyle style) {
    switch (style) {
        case RecordStyle::Title:
            return fonts.title;
        case RecordStyle::Heading:
            return fonts.heading;
        case RecordStyle::Note:
            return fonts.note;
        case RecordStyle::Body:
            break;
    }
    return fonts.body;
}

std::vector<RecordPage> layOutRecord(const EventRecord &record, const RecordFonts &fonts, const QPaintDevice &device) {
    const RecordComposer composer(fonts, device);
    return composer.pages(record, composer.blocks(record));
}

} // namespace lotdraw

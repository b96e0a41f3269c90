#include "record/record_pagination.h"

#include <numeric>

namespace lotdraw {
namespace {

qreal heightOf(const BlockShape &block) {
    return std::accumulate(block.lineHeights.begin(), block.lineHeights.end(), qreal(0));
}

// What must fit below a block that is kept with `next`: all of it where it fits a page at all,
// otherwise its first line.
qreal keptPart(const BlockShape &next, qreal pageHeight) {
    const qreal height = heightOf(next);
    if (height <= pageHeight || next.lineHeights.empty()) {
        return next.spaceBefore + height;
    }
    return next.spaceBefore + next.lineHeights.front();
}

// Fills pages from the top, one block at a time.
class PageFiller {
public:
    explicit PageFiller(BodyHeights heights)
        : m_heights(heights) {}

    // A block that fits a page starts on a page that holds all of it and what it is kept with; a
    // taller one starts wherever its first line fits and goes on from page to page.
    std::vector<LinePlace> place(const BlockShape &block, qreal keptBelow) {
        const qreal height = heightOf(block);
        const qreal firstLine = block.lineHeights.empty() ? 0 : block.lineHeights.front();
        const qreal needed = height <= m_heights.laterPages ? height + keptBelow : firstLine;
        qreal space = m_top > 0 ? block.spaceBefore : 0;
        if (m_top > 0 && m_top + space + needed > pageHeight()) {
            newPage();
            space = 0;
        }
        m_top += space;
        std::vector<LinePlace> places;
        for (const qreal line : block.lineHeights) {
            if (m_top > 0 && m_top + line > pageHeight()) {
                newPage();
            }
            places.push_back({m_page, m_top});
            m_top += line;
        }
        return places;
    }

    [[nodiscard]] qreal laterPageHeight() const { return m_heights.laterPages; }

private:
    [[nodiscard]] qreal pageHeight() const { return m_page == 0 ? m_heights.firstPage : m_heights.laterPages; }

    void newPage() {
        ++m_page;
        m_top = 0;
    }

    BodyHeights m_heights;
    int m_page = 0;
    qreal m_top = 0;
};

} // namespace

std::vector<std::vector<LinePlace>> paginate(const std::vector<BlockShape> &blocks, BodyHeights heights) {
    PageFiller filler(heights);
    std::vector<std::vector<LinePlace>> places;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const bool kept = blocks[i].keepWithNext && i + 1 < blocks.size();
        places.push_back(filler.place(blocks[i], kept ? keptPart(blocks[i + 1], filler.laterPageHeight()) : 0));
    }
    return places;
}

} // namespace lotdraw

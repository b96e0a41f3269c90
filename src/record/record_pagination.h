#pragma once

#include <QtGlobal>
#include <vector>

namespace lotdraw {

// A block of the record as the pagination sees it: the heights of its lines, the space above it
// (dropped at the top of a page), and whether it must stand on the same page as the block after it
// (a draw's heading with its first row of names).
struct BlockShape {
    qreal spaceBefore = 0;
    std::vector<qreal> lineHeights;
    bool keepWithNext = false;
};

// Where one line lands: its page, counted from 0, and its top within that page's body.
struct LinePlace {
    int page = 0;
    qreal top = 0;

    friend bool operator==(const LinePlace &, const LinePlace &) = default;
};

// The height a page has for the record's blocks: the first page, and every page after it.
struct BodyHeights {
    qreal firstPage = 0;
    qreal laterPages = 0;
};

// Places the blocks one after another down pages of these heights. A block that does not fit the
// rest of a page (together with what it is kept with) goes whole to the next page; only a block
// taller than a whole page is broken, between two of its lines. A line is never broken. Returns
// the places of each block's lines, block by block.
[[nodiscard]] std::vector<std::vector<LinePlace>> paginate(const std::vector<BlockShape> &blocks, BodyHeights heights);

} // namespace lotdraw

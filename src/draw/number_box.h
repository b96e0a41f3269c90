#pragma once

#include <QString>

namespace lotdraw {

// Reads the number that a text box holds, the way the draw settings take their count of names:
// blanks, tabs and line feeds are skipped wherever they stand; then an optional sign, digits, an
// optional decimal point with more digits and an optional exponent ("e" or "E", optional sign,
// digits) are read, and reading stops at the first character that cannot continue the number. A
// text that does not begin with a number gives 0.
//
// The value is rounded to the nearest integer, a value exactly halfway going to the even neighbour
// (2.5 gives 2, 3.5 gives 4). The decimal digits are rounded exactly, without a detour through
// binary floating point. Magnitudes of a million or more come back as plus or minus kSaturated, so
// every answer fits comfortably in an int and a caller only has to check its own range.
class NumberBox final {
public:
    static constexpr int kSaturated = 1'000'000;

    [[nodiscard]] static int roundedValue(const QString &text);
};

} // namespace lotdraw

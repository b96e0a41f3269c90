#pragma once

#include <QString>

namespace lotdraw {

// How a cell's value becomes text. A cell is read by its value, never by its displayed form, so
// the same workbook gives the same names whatever number formats or locale the sheet has.

// A number as text: a whole number (below 10^15 in size) as its decimal digits ("12", "0", "-7");
// any other number in the shortest form that reads back to the same value ("1.5", "0.1",
// "1e+20"); not-a-number and infinities as "NaN", "inf", "-inf".
[[nodiscard]] QString numberText(double value);

// A date, time or date-and-time value (a day count from 1899-12-30, the fraction being the time
// of day) as ISO text: "2024-03-01", "13:30:00" or "2024-03-01 13:30:00". Seconds are rounded.
// A value outside the years 1..9999 falls back to numberText().
[[nodiscard]] QString dateText(double serial);
[[nodiscard]] QString timeText(double serial);
[[nodiscard]] QString dateTimeText(double serial);

// A truth value: "TRUE" for any non-zero number, "FALSE" for zero.
[[nodiscard]] QString truthText(double value);

} // namespace lotdraw

#pragma once

#include <cstdint>
#include <stdexcept>

namespace lotdraw {

// The counters of a draw are 16-bit signed numbers. Sums and differences that leave -32768..32767
// are an error, never a silent wrap-around.
class Int16OverflowError : public std::overflow_error {
public:
    Int16OverflowError()
        : std::overflow_error("16-bit arithmetic overflow") {}
};

using Int16 = std::int16_t;

[[nodiscard]] constexpr bool fitsInt16(long long value) noexcept {
    return value >= INT16_MIN && value <= INT16_MAX;
}

[[nodiscard]] constexpr Int16 toInt16(long long value) {
    if (!fitsInt16(value)) {
        throw Int16OverflowError();
    }
    return static_cast<Int16>(value);
}

[[nodiscard]] constexpr Int16 checkedAdd(Int16 a, Int16 b) {
    return toInt16(static_cast<long long>(a) + b);
}

[[nodiscard]] constexpr Int16 checkedSub(Int16 a, Int16 b) {
    return toInt16(static_cast<long long>(a) - b);
}

} // namespace lotdraw

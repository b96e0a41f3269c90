#pragma once

#include <cstdint>
#include <stdexcept>

namespace lotdraw {

// The draw's size and the pool positions it picks are 16-bit signed numbers. A value that leaves
// -32768..32767 is an error, never a silent wrap-around.
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

} // namespace lotdraw

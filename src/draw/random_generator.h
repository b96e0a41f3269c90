#pragma once

#include <array>
#include <cstdint>

namespace lotdraw {

// A clock whose reading feeds the generator's reseeds. Only its changes matter, not its unit.
class Clock {
public:
    virtual ~Clock() = default;
    [[nodiscard]] virtual std::uint64_t reading() const = 0;

protected:
    Clock() = default;
};

// The wall clock in nanoseconds.
class SystemClock final : public Clock {
public:
    [[nodiscard]] std::uint64_t reading() const override;
};

// The random source of a selection pass: reseed from the clock, then draw values u with 0 <= u < 1.
class RandomGenerator {
public:
    virtual ~RandomGenerator() = default;
    virtual void reseedFromClock() = 0;
    [[nodiscard]] virtual float nextUnit() = 0;

protected:
    RandomGenerator() = default;
};

// xoshiro256** (Blackman and Vigna), seeded from the operating system's entropy.
//
// A reseed mixes the clock reading, together with a count of reseeds, into the running state: it
// never replaces the state with a function of the clock. So a thousand reseeds within one clock
// tick still give fresh values, and two generators that read the same clock stay independent.
class Xoshiro256Generator final : public RandomGenerator {
public:
    using State = std::array<std::uint64_t, 4>;

    // Seeded from the operating system's entropy source.
    explicit Xoshiro256Generator(const Clock &clock);
    // Seeded from a fixed value, for runs that must repeat exactly.
    Xoshiro256Generator(const Clock &clock, std::uint64_t seed);

    void reseedFromClock() override;
    // 24 random bits over 2^24: every value is exact in single precision and lies in [0, 1).
    [[nodiscard]] float nextUnit() override;
    // The raw 64-bit output of the algorithm.
    [[nodiscard]] std::uint64_t next64() noexcept;

    [[nodiscard]] const State &state() const { return m_state; }
    // Replaces the whole state; an all-zero state (from which the algorithm never leaves) is refused.
    void setState(const State &state);

private:
    void seedFrom(std::uint64_t seed) noexcept;

    const Clock &m_clock;
    State m_state{};
    std::uint64_t m_reseeds = 0;
};

// One generator for the whole program, seeded from the system's entropy and reseeded from the wall
// clock; made on first use.
[[nodiscard]] RandomGenerator &systemRandomGenerator();

} // namespace lotdraw

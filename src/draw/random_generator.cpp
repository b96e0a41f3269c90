#include "draw/random_generator.h"

#include <QRandomGenerator>
#include <chrono>
#include <stdexcept>

namespace lotdraw {
namespace {

constexpr std::uint64_t rotl(std::uint64_t x, int k) noexcept {
    return (x << k) | (x >> (64 - k));
}

// splitmix64: spreads one 64-bit value over a sequence of well-mixed words. The usual way to fill
// the state of an xoshiro generator from a single number.
constexpr std::uint64_t splitmix64(std::uint64_t &x) noexcept {
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

constexpr bool isZero(const Xoshiro256Generator::State &state) noexcept {
    return state[0] == 0 && state[1] == 0 && state[2] == 0 && state[3] == 0;
}

} // namespace

std::uint64_t SystemClock::reading() const {
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(since).count());
}

Xoshiro256Generator::Xoshiro256Generator(const Clock &clock)
    : m_clock(clock) {
    QRandomGenerator *entropy = QRandomGenerator::system();
    do {
        for (std::uint64_t &word : m_state) {
            word = entropy->generate64();
        }
    } while (isZero(m_state));
}

Xoshiro256Generator::Xoshiro256Generator(const Clock &clock, std::uint64_t seed)
    : m_clock(clock) {
    seedFrom(seed);
}

void Xoshiro256Generator::seedFrom(std::uint64_t seed) noexcept {
    for (std::uint64_t &word : m_state) {
        word = splitmix64(seed);
    }
    // splitmix64 is a bijection of its counter, so four consecutive outputs are never all zero.
}

void Xoshiro256Generator::setState(const State &state) {
    if (isZero(state)) {
        throw std::invalid_argument("xoshiro256** cannot run from an all-zero state");
    }
    m_state = state;
}

std::uint64_t Xoshiro256Generator::next64() noexcept {
    const std::uint64_t result = rotl(m_state[1] * 5, 7) * 9;
    const std::uint64_t t = m_state[1] << 17;
    m_state[2] ^= m_state[0];
    m_state[3] ^= m_state[1];
    m_state[1] ^= m_state[2];
    m_state[0] ^= m_state[3];
    m_state[2] ^= t;
    m_state[3] = rotl(m_state[3], 45);
    return result;
}

void Xoshiro256Generator::reseedFromClock() {
    // The reading and the running count of reseeds go through splitmix64, and its words are added
    // into the state; then the generator takes one step so the new bits reach every word. Nothing of
    // the old state is thrown away, so equal readings never lead back to an equal state.
    ++m_reseeds;
    std::uint64_t mix = m_clock.reading() ^ rotl(m_reseeds, 32);
    for (std::uint64_t &word : m_state) {
        word += splitmix64(mix);
    }
    if (isZero(m_state)) {
        seedFrom(mix);
    }
    static_cast<void>(next64());
}

RandomGenerator &systemRandomGenerator() {
    static const SystemClock clock;
    static Xoshiro256Generator generator(clock);
    return generator;
}

float Xoshiro256Generator::nextUnit() {
    constexpr float kUnit = 1.0F / 16777216.0F; // 2^-24
    return static_cast<float>(next64() >> 40) * kUnit;
}

} // namespace lotdraw

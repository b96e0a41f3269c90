#pragma once

#include "draw/random_generator.h"

#include <QList>
#include <cstdint>
#include <stdexcept>

namespace lotdraw::testing {

// A clock that reads whatever the test sets; it stays frozen until told otherwise.
class ManualClock final : public Clock {
public:
    explicit ManualClock(std::uint64_t reading = 0)
        : m_reading(reading) {}
    [[nodiscard]] std::uint64_t reading() const override { return m_reading; }
    void set(std::uint64_t reading) { m_reading = reading; }

private:
    std::uint64_t m_reading;
};

// Plays back a fixed list of values u and counts the reseeds, so a test can check exact sequences.
// Running out of values is a fault of the test and throws.
class ScriptedGenerator final : public RandomGenerator {
public:
    explicit ScriptedGenerator(QList<float> values = {})
        : m_values(std::move(values)) {}

    void reseedFromClock() override { ++m_reseeds; }
    [[nodiscard]] float nextUnit() override {
        if (m_next >= m_values.size()) {
            throw std::logic_error("scripted generator ran out of values");
        }
        return m_values.at(m_next++);
    }

    void append(const QList<float> &values) { m_values.append(values); }
    [[nodiscard]] int reseeds() const { return m_reseeds; }
    [[nodiscard]] qsizetype drawn() const { return m_next; }
    [[nodiscard]] qsizetype remaining() const { return m_values.size() - m_next; }

private:
    QList<float> m_values;
    qsizetype m_next = 0;
    int m_reseeds = 0;
};

// The value u that makes a pass pick a given position of a pool: the middle of its interval.
[[nodiscard]] inline float unitFor(int position, int poolCount) {
    return (static_cast<float>(position) - 0.5F) / static_cast<float>(poolCount);
}

} // namespace lotdraw::testing

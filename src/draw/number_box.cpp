#include "draw/number_box.h"

#include <algorithm>
#include <string>

namespace lotdraw {
namespace {

// Walks the text, passing over the blanks that may stand anywhere in it.
class Reader {
public:
    explicit Reader(const QString &text)
        : m_text(text) {}

    [[nodiscard]] QChar peek() {
        skipBlanks();
        return m_at < m_text.size() ? m_text.at(m_at) : QChar();
    }
    void take() { ++m_at; }
    [[nodiscard]] bool takeIf(char wanted) {
        if (peek() == QLatin1Char(wanted)) {
            take();
            return true;
        }
        return false;
    }
    [[nodiscard]] bool peekDigit() {
        const QChar c = peek();
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    }
    [[nodiscard]] int takeDigit() {
        const int digit = peek().unicode() - u'0';
        take();
        return digit;
    }

private:
    void skipBlanks() {
        while (m_at < m_text.size() && (m_text.at(m_at) == QLatin1Char(' ') || m_text.at(m_at) == QLatin1Char('\t') ||
                                        m_text.at(m_at) == QLatin1Char('\n'))) {
            ++m_at;
        }
    }

    const QString &m_text;
    qsizetype m_at = 0;
};

// Exponents beyond this only ever mean "far too large" or "zero"; clamping keeps the sums small.
constexpr long long kExponentClamp = 100'000;

} // namespace

int NumberBox::roundedValue(const QString &text) {
    Reader reader(text);
    bool negative = false;
    if (reader.takeIf('-')) {
        negative = true;
    } else {
        static_cast<void>(reader.takeIf('+'));
    }

    // All mantissa digits without leading zeros, and how many of them stood after the point.
    std::string digits;
    long long fractionDigits = 0;
    bool sawDigit = false;
    while (reader.peekDigit()) {
        sawDigit = true;
        const int digit = reader.takeDigit();
        if (!digits.empty() || digit != 0) {
            digits.push_back(static_cast<char>('0' + digit));
        }
    }
    if (reader.takeIf('.')) {
        while (reader.peekDigit()) {
            sawDigit = true;
            const int digit = reader.takeDigit();
            ++fractionDigits;
            if (!digits.empty() || digit != 0) {
                digits.push_back(static_cast<char>('0' + digit));
            }
        }
    }
    if (!sawDigit) {
        return 0;
    }

    long long exponent = 0;
    const QChar marker = reader.peek();
    if (marker == QLatin1Char('e') || marker == QLatin1Char('E')) {
        // The exponent only counts when at least one digit follows; "3e" and "3e+" read as 3.
        Reader look = reader;
        look.take();
        bool exponentNegative = false;
        if (look.takeIf('-')) {
            exponentNegative = true;
        } else {
            static_cast<void>(look.takeIf('+'));
        }
        if (look.peekDigit()) {
            while (look.peekDigit()) {
                exponent = std::min(exponent * 10 + look.takeDigit(), kExponentClamp);
            }
            if (exponentNegative) {
                exponent = -exponent;
            }
        }
    }
    if (digits.empty()) {
        return 0;
    }

    // The value is digits x 10^scale. Split it into the integer part and the fraction digits.
    const long long scale = exponent - fractionDigits;
    const auto count = static_cast<long long>(digits.size());
    const long long integerDigits = count + scale;
    if (integerDigits > 6) {
        return negative ? -kSaturated : kSaturated;
    }

    long long magnitude = 0;
    for (long long i = 0; i < integerDigits; ++i) {
        magnitude = magnitude * 10 + (i < count ? digits[static_cast<std::size_t>(i)] - '0' : 0);
    }
    // The first fraction digit decides, unless it is a 5: then any later non-zero digit rounds up,
    // and an exact half goes to the even neighbour.
    const long long firstFraction = std::max<long long>(integerDigits, 0);
    const bool fractionStartsLate = integerDigits < 0; // zeros stand between the point and the digits
    if (!fractionStartsLate && firstFraction < count) {
        const int first = digits[static_cast<std::size_t>(firstFraction)] - '0';
        bool roundUp = first > 5;
        if (first == 5) {
            const bool moreAfterHalf = std::any_of(digits.begin() + static_cast<std::ptrdiff_t>(firstFraction) + 1,
                                                   digits.end(), [](char c) { return c != '0'; });
            roundUp = moreAfterHalf || magnitude % 2 == 1;
        }
        if (roundUp) {
            ++magnitude;
        }
    }
    const int value = static_cast<int>(std::min<long long>(magnitude, kSaturated));
    return negative ? -value : value;
}

} // namespace lotdraw

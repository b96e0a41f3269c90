#include "draw/number_box.h"

#include <algorithm>
#include <optional>
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

// A number read from a text, held exactly: its value is digits x 10^scale.
struct Decimal {
    bool negative = false;
    std::string digits; // without leading zeros; empty for zero
    long long scale = 0;
};

// The mantissa: digits with an optional decimal point. Nothing when no digit stands there.
std::optional<Decimal> readMantissa(Reader &reader) {
    Decimal number;
    bool sawDigit = false;
    const auto takeDigits = [&](bool fraction) {
        while (reader.peekDigit()) {
            sawDigit = true;
            const int digit = reader.takeDigit();
            if (fraction) {
                --number.scale;
            }
            if (!number.digits.empty() || digit != 0) {
                number.digits.push_back(static_cast<char>('0' + digit));
            }
        }
    };
    takeDigits(false);
    if (reader.takeIf('.')) {
        takeDigits(true);
    }
    if (!sawDigit) {
        return std::nullopt;
    }
    return number;
}

// The exponent after the mantissa; it only counts when at least one digit follows the "e", so
// "3e" and "3e+" read as 3.
long long readExponent(Reader reader) {
    const QChar marker = reader.peek();
    if (marker != QLatin1Char('e') && marker != QLatin1Char('E')) {
        return 0;
    }
    reader.take();
    bool negative = false;
    if (reader.takeIf('-')) {
        negative = true;
    } else {
        static_cast<void>(reader.takeIf('+'));
    }
    long long exponent = 0;
    while (reader.peekDigit()) {
        exponent = std::min(exponent * 10 + reader.takeDigit(), kExponentClamp);
    }
    return negative ? -exponent : exponent;
}

// The whole number nearest to `number`, a half going to the even neighbour, saturated.
int roundHalfToEven(const Decimal &number) {
    const auto count = static_cast<long long>(number.digits.size());
    const long long integerDigits = count + number.scale;
    if (integerDigits > 6) {
        return number.negative ? -NumberBox::kSaturated : NumberBox::kSaturated;
    }
    long long magnitude = 0;
    for (long long i = 0; i < integerDigits; ++i) {
        magnitude = magnitude * 10 + (i < count ? number.digits[static_cast<std::size_t>(i)] - '0' : 0);
    }
    // The first fraction digit decides, unless it is a 5: then any later non-zero digit rounds up,
    // and an exact half goes to the even neighbour. When zeros stand between the point and the
    // digits, the fraction is below a half.
    if (integerDigits >= 0 && integerDigits < count) {
        const auto first = number.digits.begin() + static_cast<std::ptrdiff_t>(integerDigits);
        const int digit = *first - '0';
        const bool moreAfterHalf = std::any_of(first + 1, number.digits.end(), [](char c) { return c != '0'; });
        if (digit > 5 || (digit == 5 && (moreAfterHalf || magnitude % 2 == 1))) {
            ++magnitude;
        }
    }
    const int value = static_cast<int>(std::min<long long>(magnitude, NumberBox::kSaturated));
    return number.negative ? -value : value;
}

} // namespace

int NumberBox::roundedValue(const QString &text) {
    Reader reader(text);
    bool negative = false;
    if (reader.takeIf('-')) {
        negative = true;
    } else {
        static_cast<void>(reader.takeIf('+'));
    }
    std::optional<Decimal> number = readMantissa(reader);
    if (!number || number->digits.empty()) {
        return 0;
    }
    number->negative = negative;
    number->scale += readExponent(reader);
    return roundHalfToEven(*number);
}

} // namespace lotdraw

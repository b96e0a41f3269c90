#include "office/cell_text.h"

#include <QDate>
#include <QTime>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <utility>

namespace lotdraw {

namespace {

constexpr double kWholeNumberLimit = 1e15;
constexpr qint64 kSecondsPerDay = 86400;

// Splits a serial into a date and a time of day, the seconds rounded; nothing when out of range.
std::optional<std::pair<QDate, QTime>> fromSerial(double serial) {
    if (!std::isfinite(serial) || std::fabs(serial) > 3e6) {
        return std::nullopt;
    }
    const auto totalSeconds = static_cast<qint64>(std::llround(serial * static_cast<double>(kSecondsPerDay)));
    // Floor division, so that a negative serial counts back from the epoch day.
    qint64 days = totalSeconds / kSecondsPerDay;
    qint64 seconds = totalSeconds % kSecondsPerDay;
    if (seconds < 0) {
        seconds += kSecondsPerDay;
        --days;
    }
    const QDate date = QDate(1899, 12, 30).addDays(days);
    if (!date.isValid() || date.year() < 1 || date.year() > 9999) {
        return std::nullopt;
    }
    return std::pair{date, QTime(0, 0).addSecs(static_cast<int>(seconds))};
}

} // namespace

QString numberText(double value) {
    if (std::isnan(value)) {
        return QStringLiteral("NaN");
    }
    if (std::isinf(value)) {
        return value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    }
    if (value == std::trunc(value) && std::fabs(value) < kWholeNumberLimit) {
        // Also turns -0 into "0".
        return QString::number(static_cast<qint64>(value));
    }
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return QString::fromLatin1(buffer.data(), static_cast<qsizetype>(result.ptr - buffer.data()));
}

QString dateText(double serial) {
    const auto dateTime = fromSerial(serial);
    return dateTime ? dateTime->first.toString(Qt::ISODate) : numberText(serial);
}

QString timeText(double serial) {
    const auto dateTime = fromSerial(serial);
    return dateTime ? dateTime->second.toString(QStringLiteral("HH:mm:ss")) : numberText(serial);
}

QString dateTimeText(double serial) {
    const auto dateTime = fromSerial(serial);
    return dateTime
               ? dateTime->first.toString(Qt::ISODate) + u' ' + dateTime->second.toString(QStringLiteral("HH:mm:ss"))
               : numberText(serial);
}

QString truthText(double value) {
    return value != 0.0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

} // namespace lotdraw

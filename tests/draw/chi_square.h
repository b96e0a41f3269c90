#pragma once

#include <cmath>
#include <vector>

namespace lotdraw::testing {

// Upper tail Q(a, x) of the regularized incomplete gamma function: a series below a + 1, a
// continued fraction (modified Lentz) above.
inline double upperIncompleteGamma(double a, double x) {
    if (x <= 0.0) {
        return 1.0;
    }
    const double logPrefix = a * std::log(x) - x - std::lgamma(a);
    if (x < a + 1.0) {
        double term = 1.0 / a;
        double sum = term;
        for (int n = 1; n < 10000 && std::abs(term) > std::abs(sum) * 1e-15; ++n) {
            term *= x / (a + n);
            sum += term;
        }
        return 1.0 - sum * std::exp(logPrefix);
    }
    constexpr double kTiny = 1e-300;
    double b = x + 1.0 - a;
    double c = 1.0 / kTiny;
    double d = 1.0 / b;
    double h = d;
    for (int n = 1; n < 10000; ++n) {
        const double an = -n * (n - a);
        b += 2.0;
        d = an * d + b;
        d = std::abs(d) < kTiny ? kTiny : d;
        c = b + an / c;
        c = std::abs(c) < kTiny ? kTiny : c;
        d = 1.0 / d;
        const double step = d * c;
        h *= step;
        if (std::abs(step - 1.0) < 1e-15) {
            break;
        }
    }
    return std::exp(logPrefix) * h;
}

// The probability that a chi-square variable with the given degrees of freedom reaches x.
inline double chiSquareTail(double x, int degreesOfFreedom) {
    return upperIncompleteGamma(degreesOfFreedom / 2.0, x / 2.0);
}

// Pearson's statistic of observed counts against equal expected counts.
inline double chiSquareAgainstUniform(const std::vector<long long> &counts) {
    long long total = 0;
    for (const long long count : counts) {
        total += count;
    }
    const double expected = static_cast<double>(total) / static_cast<double>(counts.size());
    double statistic = 0.0;
    for (const long long count : counts) {
        const double difference = static_cast<double>(count) - expected;
        statistic += difference * difference / expected;
    }
    return statistic;
}

} // namespace lotdraw::testing

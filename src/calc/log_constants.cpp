// ln 2 and ln 10 from three fast arctanh series, kept for later calls.
#include <cmath>
#include <mutex>
#include <optional>

#include "function_kernels.h"
#include "series.h"

namespace kestrum::calc {

namespace {

// atanh(1/n) = (1/n) * sum (1/n^2)^k / (2k + 1), whose ratio (2j - 1) / ((2j + 1) n^2) stays
// below 1/n^2.
Fixed atanhOfReciprocal(std::int64_t n, std::int64_t scale) {
    const BigInt nSquared(n * n);
    const RatioSeries series{
        [](std::int64_t j) { return BigInt(2 * j - 1); },
        [&nSquared](std::int64_t j) { return BigInt(2 * j + 1) * nSquared; },
        0,
        [n](std::int64_t) { return -2 * std::log10(static_cast<double>(n)); },
    };
    const Fixed sum = sumSeries(series, scale);
    const auto divisor = static_cast<std::uint64_t>(n);
    return {sum.value.dividedByWord(divisor), scale,
            roundedUp(sum.error / static_cast<double>(n) + 1)};
}

struct LogConstants {
    Fixed ln2;
    Fixed ln10;
};

// ln 2 = 14 a + 10 b + 6 c and ln 10 = 46 a + 34 b + 20 c for a, b, c = atanh(1/31),
// atanh(1/49), atanh(1/161).
LogConstants computeLogConstants(std::int64_t scale) {
    const Fixed a = atanhOfReciprocal(31, scale);
    const Fixed b = atanhOfReciprocal(49, scale);
    const Fixed c = atanhOfReciprocal(161, scale);
    const auto combine = [&](std::int64_t ka, std::int64_t kb, std::int64_t kc) {
        return add(add(timesWhole(a, ka), timesWhole(b, kb)), timesWhole(c, kc));
    };
    return {combine(14, 10, 6), combine(46, 34, 20)};
}

LogConstants logConstants(std::int64_t scale) {
    static std::mutex mutex;
    static std::optional<LogConstants> cached;
    const std::lock_guard lock(mutex);
    if (!cached || cached->ln2.scale < scale) {
        cached = computeLogConstants(scale + 8);
    }
    return {rescaled(cached->ln2, scale), rescaled(cached->ln10, scale)};
}

}  // namespace

Fixed ln2Fixed(std::int64_t scale) {
    return logConstants(scale).ln2;
}

Fixed ln10Fixed(std::int64_t scale) {
    return logConstants(scale).ln10;
}

}  // namespace kestrum::calc

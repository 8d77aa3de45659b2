// sin, cos and tan on balls. Arguments beyond a short or small one lose a multiple of pi/2 (pi to
// as many more digits as the argument has before the point); the rest is cut into digit chunks
// whose sines come from their series and cosines from sqrt(1 - sin^2), joined by the addition
// theorems.
#include <cmath>
#include <stdexcept>

#include "ball.h"
#include "function_kernels.h"
#include "series.h"

namespace kestrum::calc {

namespace {

constexpr std::int64_t kTrigFirstChunk = 6;

// Chunks up to this size get their cosine from their sine: cos >= 0.69 keeps that well
// conditioned.
constexpr double kCosineFromSineLimit = 0.8;

// The series of sin (odd) or cos (even) of u / 10^position: ratios -x^2 / ((2j)(2j + 1)) and
// -x^2 / ((2j - 1)(2j)).
Fixed trigSeries(const DigitChunk& chunk, std::int64_t scale, bool sine) {
    const BigInt square = -(chunk.digits * chunk.digits);
    const double log10X = log10Abs(chunk.digits) - static_cast<double>(chunk.position);
    const RatioSeries series{
        [&square](std::int64_t) { return square; },
        [sine](std::int64_t j) {
            return sine ? BigInt(2 * j) * BigInt(2 * j + 1) : BigInt(2 * j - 1) * BigInt(2 * j);
        },
        2 * chunk.position,
        [=](std::int64_t j) {
            const auto k = static_cast<double>(j);
            return 2 * log10X - std::log10(sine ? 2 * k * (2 * k + 1) : (2 * k - 1) * 2 * k);
        },
    };
    Fixed sum = sumSeries(series, scale);
    if (!sine) {
        return sum;
    }
    // sin x = x * sum, |x| <= 2
    return {(sum.value * chunk.digits).shiftedDown(static_cast<std::size_t>(chunk.position)), scale,
            roundedUp(2 * sum.error + 1)};
}

// cos = sqrt(1 - sin^2) for |x| <= 0.8, where |sin| / cos <= 1.05.
Fixed cosineFromSine(const Fixed& s) {
    const BigInt one = BigInt::powerOfTen(static_cast<std::size_t>(2 * s.scale));
    return {(one - s.value * s.value).isqrt(), s.scale, roundedUp(1.05 * s.error + 1)};
}

double chunkSize(const DigitChunk& chunk) {
    return std::pow(10.0, log10Abs(chunk.digits) - static_cast<double>(chunk.position));
}

SinCos chunkSinCos(const DigitChunk& chunk, std::int64_t scale) {
    Fixed s = trigSeries(chunk, scale, true);
    if (chunkSize(chunk) <= kCosineFromSineLimit) {
        Fixed c = cosineFromSine(s);
        return {std::move(s), std::move(c)};
    }
    return {std::move(s), trigSeries(chunk, scale, false)};
}

// The argument less k pi/2, with k mod 4.
struct Reduced {
    Fixed rest;
    int quarter = 0;
};

bool isShort(const Decimal& m) {
    return m.normalized().exponent >= -kTrigFirstChunk;
}

double approximateAbs(const Decimal& m) {
    return m.isZero() ? 0
                      : std::pow(10.0, log10Abs(m.coefficient) + static_cast<double>(m.exponent));
}

Reduced reduced(const Decimal& m, std::int64_t scale) {
    const double size = approximateAbs(m);
    if (size <= kCosineFromSineLimit || (size <= 2 && isShort(m))) {
        return {fixedFromDecimal(m, scale), 0};
    }
    // k = floor(2m / pi + 1/2) from 20 digits beyond the point.
    const std::int64_t lead = std::max<std::int64_t>(0, *m.magnitude());
    const std::int64_t rough = lead + 20;
    const Fixed piRough = piFixed(rough);
    const BigInt mRough = toFixedPoint(m, rough);
    const BigInt k =
        BigInt::floorDiv(mRough * BigInt(4) + piRough.value, piRough.value * BigInt(2));
    const auto kDigits = static_cast<std::int64_t>(k.digitCount()) + 1;
    const std::int64_t wide = scale + kDigits;
    Fixed halfPi = piFixed(wide + 1);
    halfPi = {halfPi.value.dividedByWord(2), wide + 1, roundedUp(halfPi.error / 2 + 1)};
    halfPi = rescaled(halfPi, wide);
    // |k| < 10^(kDigits - 1): k times halfPi's error is below a tenth of a unit at the scale.
    const BigInt rest = toFixedPoint(m, wide) - halfPi.value * k;
    Fixed restAtScale{rest.shiftedDown(static_cast<std::size_t>(kDigits)), scale,
                      roundedUp(halfPi.error / 10 + 1.1)};
    std::uint64_t remainder = 0;
    (void)k.dividedByWord(4, &remainder);
    const int quarter =
        k.isNegative() ? static_cast<int>((4 - remainder) % 4) : static_cast<int>(remainder);
    return {std::move(restAtScale), quarter};
}

// sin (or cos) of the exact decimal at the scale, x = k pi/2 + r.
Fixed sinOrCos(const Decimal& m, std::int64_t scale, bool sine) {
    const Reduced r = reduced(m, scale);
    const int quarter = (r.quarter + (sine ? 0 : 1)) % 4;  // cos x = sin(x + pi/2)
    const bool fromSine = quarter % 2 == 0;
    const SinCos sc =
        sinCosFixed(r.rest.value, r.rest.scale, fromSine ? Wanted::kSin : Wanted::kCos);
    Fixed value = fromSine ? sc.sin : sc.cos;
    value.error = roundedUp(value.error + r.rest.error);
    return quarter >= 2 ? negated(value) : value;
}

// Digits to add to the scale so that a result this small keeps its significant digits.
std::int64_t missingDigits(const Fixed& value, std::int64_t digits) {
    const auto length = static_cast<std::int64_t>(value.value.digitCount());
    return length + 3 >= digits ? 0 : digits - length + 2;  // the guard digits cover a few
}

// A result near zero keeps its relative precision: computed again with the digits it lacks.
Fixed sinOrCosSettled(const Decimal& m, std::int64_t digits, bool sine) {
    const std::int64_t tiny = sine ? std::max<std::int64_t>(0, -*m.magnitude()) : 0;
    std::int64_t scale = digits + kFunctionGuardDigits + tiny;
    Fixed value = sinOrCos(m, scale, sine);
    for (int retry = 0; retry < 3; ++retry) {
        const std::int64_t more = missingDigits(value, digits + kFunctionGuardDigits);
        if (more == 0) {
            break;
        }
        scale += more;
        value = sinOrCos(m, scale, sine);
    }
    return value;
}

Ball trigBall(const Ball& a, Precision p, bool sine) {
    if (a.mid().isZero() && a.isExact()) {
        return Ball::fromInteger(sine ? 0 : 1);
    }
    if (a.radius().magnitude() > 1) {
        return Ball(Decimal{}, Radius{1, 0});
    }
    // Both are 1-Lipschitz, so the ball's radius carries over as it is.
    if (a.mid().isZero()) {
        return widened(Ball::fromInteger(sine ? 0 : 1), a.radius(), p);
    }
    return widened(fixedBall(sinOrCosSettled(a.mid(), p.digits, sine), p), a.radius(), p);
}

}  // namespace

Fixed piFixed(std::int64_t scale) {
    const Ball ball = pi(Precision{scale + 4});
    Fixed result = fixedFromDecimal(ball.mid(), scale);
    const Radius& radius = ball.radius();
    const double units = static_cast<double>(radius.mantissa) *
                         std::pow(10.0, static_cast<double>(radius.exponent + scale));
    result.error = roundedUp(result.error + units);
    return result;
}

SinCos sinCosFixed(const BigInt& x, std::int64_t scale, Wanted wanted) {
    const std::vector<DigitChunk> chunks = digitChunks(x, scale, kTrigFirstChunk);
    if (chunks.empty()) {
        return {wholeFixed(BigInt(0), scale), wholeFixed(BigInt(1), scale)};
    }
    if (chunks.size() == 1 && wanted != Wanted::kBoth) {
        const bool sine = wanted == Wanted::kSin;
        Fixed value = trigSeries(chunks[0], scale, sine);
        return sine ? SinCos{std::move(value), {}} : SinCos{{}, std::move(value)};
    }
    SinCos total = chunkSinCos(chunks[0], scale);
    for (std::size_t i = 1; i < chunks.size(); ++i) {
        const SinCos piece = chunkSinCos(chunks[i], scale);
        Fixed s = add(multiply(total.sin, piece.cos), multiply(total.cos, piece.sin));
        Fixed c = subtract(multiply(total.cos, piece.cos), multiply(total.sin, piece.sin));
        total = {std::move(s), std::move(c)};
    }
    return total;
}

Ball sin(const Ball& a, Precision p) {
    return trigBall(a, p, true);
}

Ball cos(const Ball& a, Precision p) {
    return trigBall(a, p, false);
}

Ball tan(const Ball& a, Precision p) {
    if (a.mid().isZero() && a.isExact()) {
        return Ball::fromInteger(0);
    }
    const Precision inner{p.digits + 2};
    const Ball s =
        widened(fixedBall(sinOrCosSettled(a.mid(), inner.digits, true), inner), a.radius(), inner);
    const Ball c =
        widened(fixedBall(sinOrCosSettled(a.mid(), inner.digits, false), inner), a.radius(), inner);
    const std::optional<int> cosSign = c.sign();
    if (!cosSign || *cosSign == 0) {
        throw std::domain_error("tan where cos may be 0");
    }
    return div(s, c, p);
}

}  // namespace kestrum::calc

// sin, cos and tan on balls. Arguments beyond a short or small one lose a multiple of pi/2 (pi to
// as many more digits as the argument has before the point); the rest is cut into digit chunks
// whose cos - 1 and sin come together from one series of exp(i x), joined by the addition
// theorems.
#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>
#include <utility>
#include <vector>

#include "ball.h"
#include "function_kernels.h"
#include "interrupt.h"
#include "series.h"

namespace kestrum::calc {

namespace {

constexpr std::int64_t kTrigFirstChunk = 12;

// Arguments up to this size are summed as they are, without taking out multiples of pi/2.
constexpr double kUnreducedLimit = 0.8;

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

// A number a + b i with fixed-point parts.
struct FixedComplex {
    Fixed re;
    Fixed im;
};

// z * i^n.
FixedComplex turnedByQuarters(FixedComplex z, std::int64_t n) {
    switch (n % 4) {
        case 1:
            return {negated(std::move(z.im)), std::move(z.re)};
        case 2:
            return {negated(std::move(z.re)), negated(std::move(z.im))};
        case 3:
            return {std::move(z.im), negated(std::move(z.re))};
        default:
            return z;
    }
}

// The powers u^k the splitting asks for: its halves have at most two lengths per level, so
// each power is made once from two smaller ones (the map keeps references stable).
class PowerCache {
  public:
    explicit PowerCache(const BigInt& u) : u_(u) {}

    const BigInt& power(std::int64_t k) {
        const auto found = powers_.find(k);
        if (found != powers_.end()) {
            return found->second;
        }
        BigInt value = k == 1 ? u_ : power(k / 2) * power(k - k / 2);
        return powers_.emplace(k, std::move(value)).first->second;
    }

  private:
    const BigInt& u_;
    std::map<std::int64_t, BigInt> powers_;
};

// Products over the terms j in [a, b) of exp's series at i u / 10^shift, whose ratios are
// i u / (j 10^shift), so that their product is i^(b - a) u^(b - a) / (Q 10^(shift (b - a))):
// Q = a (a + 1) ... (b - 1), and re + i im = T with T / (Q 10^(shift (b - a))) = the sum over k
// in [a, b) of the ratios' products from a to k.
struct TurnSplit {
    BigInt q;
    BigInt re;
    BigInt im;
};

TurnSplit turnSplit(PowerCache& u, std::int64_t shift, std::int64_t a, std::int64_t b) {
    if (b - a == 1) {
        return {BigInt(a), BigInt(0), u.power(1)};
    }
    if (b - a == 2) {
        // i u / (a 10^shift) + (i u)^2 / (a (a + 1) 10^(2 shift))
        return {BigInt(a * (a + 1)), -u.power(2),
                u.power(1)
                    .timesWord(static_cast<std::uint64_t>(a + 1))
                    .shiftedUp(static_cast<std::size_t>(shift))};
    }
    const std::int64_t m = a + (b - a) / 2;
    TurnSplit left = turnSplit(u, shift, a, m);
    TurnSplit right = turnSplit(u, shift, m, b);
    const auto zeros = static_cast<std::size_t>(shift * (b - m));
    BigInt re = (left.re * right.q).shiftedUp(zeros);
    BigInt im = (left.im * right.q).shiftedUp(zeros);
    // + i^(m - a) P_left T_right
    const BigInt& leftPower = u.power(m - a);
    BigInt pRe = leftPower * right.re;
    BigInt pIm = leftPower * right.im;
    switch ((m - a) % 4) {
        case 1:
            re -= pIm;
            im += pRe;
            break;
        case 2:
            re -= pRe;
            im -= pIm;
            break;
        case 3:
            re += pIm;
            im -= pRe;
            break;
        default:
            re += pRe;
            im += pIm;
    }
    return {left.q * right.q, std::move(re), std::move(im)};
}

// exp(i x) - 1 = (cos x - 1) + i sin x for x = u / 10^position, |x| <= 2, by one binary splitting
// of exp's series at i x. The terms are summed up to the first one below a tenth of a unit
// after which every ratio is at most 1/2, so the terms left out stay below a fifth of a unit in
// each part. The terms come in blocks whose products stay about twice the working length, each
// block's sum and ratio divided out at the scale (one unit each) and the blocks chained from the
// last by Fixed products, which carry the bounds.
FixedComplex turnOfChunk(const DigitChunk& chunk, std::int64_t scale) {
    const double log10X = log10Abs(chunk.digits) - static_cast<double>(chunk.position);
    std::int64_t count = 1;  // terms 1 .. count - 1 are summed
    for (double log10Term = 0;; ++count) {
        log10Term += log10X - std::log10(static_cast<double>(count)) + 1e-12;
        if (log10Term <= -static_cast<double>(scale) - 1 &&
            log10X - std::log10(static_cast<double>(count + 1)) <= std::log10(0.5)) {
            break;
        }
    }
    const double budget = std::max<double>(2.0 * static_cast<double>(scale), 4000.0);
    const double perTerm = log10Abs(chunk.digits) + std::log10(static_cast<double>(count)) +
                           static_cast<double>(chunk.position) + 2;
    const auto length = static_cast<std::int64_t>(std::max(8.0, budget / perTerm));
    struct Block {
        FixedComplex sum;
        Fixed ratio;  // times i^quarters
        std::int64_t quarters = 0;
    };
    std::vector<Block> blocks;
    PowerCache powers(chunk.digits);
    for (std::int64_t a = 1; a < count;) {
        stopIfInterrupted();
        const std::int64_t b = std::min(count, a + length);
        const TurnSplit split = turnSplit(powers, chunk.position, a, b);
        const std::int64_t shift = chunk.position * (b - a);
        Block block{{quotientFixed(split.re, split.q, shift, scale),
                     quotientFixed(split.im, split.q, shift, scale)},
                    {},
                    b - a};
        if (b < count) {
            block.ratio = quotientFixed(powers.power(b - a), split.q, shift, scale);
        }
        blocks.push_back(std::move(block));
        a = b;
    }
    FixedComplex total{wholeFixed(BigInt(0), scale), wholeFixed(BigInt(0), scale)};
    for (auto block = blocks.rbegin(); block != blocks.rend(); ++block) {
        if (block == blocks.rbegin()) {
            total = block->sum;
            continue;
        }
        FixedComplex later = turnedByQuarters(
            {multiply(block->ratio, total.re), multiply(block->ratio, total.im)}, block->quarters);
        total = {add(block->sum.re, later.re), add(block->sum.im, later.im)};
    }
    total.re.error = roundedUp(total.re.error + 0.2);  // the terms left out
    total.im.error = roundedUp(total.im.error + 0.2);
    return total;
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
    if (size <= kUnreducedLimit || (size <= 2 && isShort(m))) {
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

// sin and cos of the exact decimal at the scale together, from one reduction and one series.
SinCos sinAndCos(const Decimal& m, std::int64_t scale) {
    const Reduced r = reduced(m, scale);
    SinCos rest = sinCosFixed(r.rest.value, r.rest.scale, Wanted::kBoth);
    // Both are 1-Lipschitz: the reduced argument's error carries over as it is.
    rest.sin.error = roundedUp(rest.sin.error + r.rest.error);
    rest.cos.error = roundedUp(rest.cos.error + r.rest.error);
    switch (r.quarter) {
        case 1:  // sin(r + pi/2) = cos r, cos(r + pi/2) = -sin r
            return {std::move(rest.cos), negated(std::move(rest.sin))};
        case 2:
            return {negated(std::move(rest.sin)), negated(std::move(rest.cos))};
        case 3:
            return {negated(std::move(rest.cos)), std::move(rest.sin)};
        default:
            return rest;
    }
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

// sin and cos, each keeping its relative precision when near zero (as sinOrCosSettled).
SinCos sinAndCosSettled(const Decimal& m, std::int64_t digits) {
    std::int64_t scale = digits + kFunctionGuardDigits + std::max<std::int64_t>(0, -*m.magnitude());
    SinCos value = sinAndCos(m, scale);
    for (int retry = 0; retry < 3; ++retry) {
        const std::int64_t more = std::max(missingDigits(value.sin, digits + kFunctionGuardDigits),
                                           missingDigits(value.cos, digits + kFunctionGuardDigits));
        if (more == 0) {
            break;
        }
        scale += more;
        value = sinAndCos(m, scale);
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
    // Each chunk turns the point (cos, sin) by its angle: with c = cos - 1 and s = sin of the
    // chunk, cos' = cos + (cos c - sin s) and sin' = sin + (sin c + cos s), where c and s are short
    // numbers at the scale for the later chunks, which makes their products cheap.
    FixedComplex first = turnOfChunk(chunks[0], scale);
    SinCos total{std::move(first.im), add(wholeFixed(BigInt(1), scale), first.re)};
    for (std::size_t i = 1; i < chunks.size(); ++i) {
        const FixedComplex turn = turnOfChunk(chunks[i], scale);
        Fixed s = add(total.sin, add(multiply(total.sin, turn.re), multiply(total.cos, turn.im)));
        Fixed c =
            add(total.cos, subtract(multiply(total.cos, turn.re), multiply(total.sin, turn.im)));
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
    const SinCos sc = sinAndCosSettled(a.mid(), inner.digits);
    const Ball s = widened(fixedBall(sc.sin, inner), a.radius(), inner);
    const Ball c = widened(fixedBall(sc.cos, inner), a.radius(), inner);
    const std::optional<int> cosSign = c.sign();
    if (!cosSign || *cosSign == 0) {
        throw std::domain_error("tan where cos may be 0");
    }
    return div(s, c, p);
}

}  // namespace kestrum::calc

// Square roots by Newton's iteration for the reciprocal root, which needs products only, and
// n-th roots by Newton's iteration checked by powers of the bounds.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <ranges>
#include <stdexcept>
#include <vector>

#include "ball.h"

namespace kestrum::calc {

namespace {

// Digits of a double's reciprocal square root that start the iteration.
constexpr std::int64_t kStartDigits = 14;

// Newton's iteration leaves the root a few units off; bounds a hundred times wider each time are
// tried this often before the failure is reported as a fault.
constexpr int kBoundAttempts = 4;

// The fixed-point square root lies within this many units of its last digit.
constexpr std::uint64_t kSquareRootErrorUnits = 100;

std::int64_t floorDivide(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// v * 10^-from written at scale 10^-to, truncated.
BigInt rescaled(const BigInt& v, std::int64_t from, std::int64_t to) {
    return to >= from ? v.shiftedUp(static_cast<std::size_t>(to - from))
                      : v.shiftedDown(static_cast<std::size_t>(from - to));
}

// sqrt(u) * 10^w for u = big * 10^-w in [1, 100) and w >= 10, within kSquareRootErrorUnits.
//
// r approximates 1/sqrt(u) at scale 10^-precision and each step r += r (1 - u r^2) / 2 takes it
// from `precision` to 2 precision - 6 digits: an error of up to 100 units before a step leaves
// 0.015 units of the next scale, and the truncations of the step a few units. From r at about
// w/2 + 5 digits, s = u r and s + r (u - s^2) / 2 give the root to w digits (the second-order
// error is again far below a unit).
BigInt fixedPointSquareRoot(const BigInt& big, std::int64_t w) {
    const std::int64_t finalPrecision = w / 2 + 5;
    std::vector<std::int64_t> steps;
    std::int64_t precision = finalPrecision;
    while (precision > kStartDigits) {
        steps.push_back(precision);
        precision = (precision + 7) / 2;
    }
    const double u = static_cast<double>(rescaled(big, w, 16).toInt64()) * 1e-16;
    BigInt r(std::llround(std::pow(10.0, static_cast<double>(precision)) / std::sqrt(u)));
    for (const std::int64_t next : std::views::reverse(steps)) {
        const BigInt square = (r * r).shiftedDown(static_cast<std::size_t>(2 * precision - next));
        const BigInt defect = (BigInt::powerOfTen(static_cast<std::size_t>(2 * next)) -
                               rescaled(big, w, next) * square)
                                  .shiftedDown(static_cast<std::size_t>(next));
        r = r.shiftedUp(static_cast<std::size_t>(next - precision)) +
            (r * defect).shiftedDown(static_cast<std::size_t>(precision)).dividedByWord(2);
        precision = next;
    }
    const auto p = static_cast<std::size_t>(precision);
    const BigInt s = (rescaled(big, w, precision) * r).shiftedDown(p);
    const BigInt residual = big - (s * s).shiftedDown(static_cast<std::size_t>(2 * precision - w));
    return s.shiftedUp(static_cast<std::size_t>(w - precision)) +
           (r * residual).shiftedDown(p).dividedByWord(2);
}

struct Approximation {
    Decimal value;
    Radius error;
};

// sqrt(m) for m > 0 to about `digits` significant digits: m = u * 10^(2q) with u in [1, 100).
Approximation squareRootNear(const Decimal& m, std::int64_t digits) {
    const std::int64_t q = floorDivide(*m.magnitude() - 1, 2);
    const std::int64_t w = std::max<std::int64_t>(digits + 4, 12);
    // Truncating u below 10^-w moves its root by less than half a unit.
    const BigInt big = rescaled(m.coefficient, -(m.exponent - 2 * q), w);
    return {Decimal{fixedPointSquareRoot(big, w), q - w},
            Radius::above(kSquareRootErrorUnits + 1, q - w)};
}

// The root of an exact m when it has at most p.digits digits. A square's normalised form has an
// even exponent and ends in 1, 4, 5, 6 or 9, and the approximation must sit on the candidate
// before the candidate is squared.
std::optional<Decimal> exactSquareRoot(const Decimal& m, const Approximation& root, Precision p) {
    const Decimal normal = m.normalized();
    const int last = normal.coefficient.digitAt(0);
    if (normal.exponent % 2 != 0 ||
        !(last == 1 || last == 4 || last == 5 || last == 6 || last == 9) ||
        static_cast<std::int64_t>(normal.coefficient.digitCount()) > 2 * p.digits) {
        return std::nullopt;
    }
    const Decimal candidate = roundToDigits(root.value, p.digits).value;
    if (abs(candidate - root.value) > root.error.toDecimal() || !(candidate * candidate == m)) {
        return std::nullopt;
    }
    return candidate.normalized();
}

// The digits a ball carries: those of its midpoint above its radius, a few more, and at least
// a few.
std::int64_t digitsWorthComputing(const Ball& a, std::int64_t digits) {
    if (a.isExact() || a.mid().isZero()) {
        return digits;
    }
    return std::clamp<std::int64_t>(*a.mid().magnitude() - a.radius().magnitude() + 3, 3, digits);
}

// The n-th root of m > 0 for n >= 3: Newton's iteration x += (m / x^(n-1) - x) / n at doubling
// precision from a double's estimate, then bounds x -+ eps whose n-th powers bracket m.
Ball positiveRoot(const Decimal& m, std::int64_t n, Precision p) {
    const std::int64_t digits = p.digits + 4;
    const auto length = static_cast<std::int64_t>(m.coefficient.digitCount());
    const std::int64_t dropped = std::max<std::int64_t>(length - 17, 0);
    const double top =
        static_cast<double>(m.coefficient.shiftedDown(static_cast<std::size_t>(dropped)).toInt64());
    const double logarithm =
        (std::log10(top) + static_cast<double>(m.exponent + dropped)) / static_cast<double>(n);
    const double whole = std::floor(logarithm);
    Decimal x{BigInt(std::llround(std::pow(10.0, logarithm - whole) * 1e14)),
              static_cast<std::int64_t>(whole) - 14};
    const Ball target(m);
    const Ball count = Ball::fromInteger(n);
    const Ball previous = Ball::fromInteger(n - 1);
    std::vector<std::int64_t> steps{digits + 2, digits + 2};
    while (steps.back() > 12) {
        steps.push_back(steps.back() / 2 + 2);
    }
    for (const std::int64_t step : std::views::reverse(steps)) {
        const Precision working{step};
        const Ball power = powInteger(Ball(x), n - 1, working);
        const Ball sum = add(mul(previous, Ball(x), working), div(target, power, working), working);
        x = div(sum, count, working).mid();
    }
    const Precision check{digits + 6};
    Radius eps = Radius::above(1, *x.magnitude() - digits + 2);
    for (int attempt = 0; !(powInteger(Ball(x - eps.toDecimal()), n, check).compareTo(m) == -1 &&
                            powInteger(Ball(x + eps.toDecimal()), n, check).compareTo(m) == 1);
         ++attempt) {
        if (attempt == kBoundAttempts) {
            throw std::logic_error("root: no bounds bracket the argument");
        }
        eps = eps * Radius{100, 0};
    }
    const Decimal candidate = roundToDigits(x, p.digits).value.normalized();
    if (abs(candidate - x) <= eps.toDecimal() &&
        static_cast<std::int64_t>(candidate.coefficient.digitCount()) * n <= length + n) {
        const Precision exact{static_cast<std::int64_t>(candidate.coefficient.digitCount()) * n +
                              1};
        const Ball power = powInteger(Ball(candidate), n, exact);
        if (power.isExact() && power.mid() == m) {
            return Ball(candidate);
        }
    }
    return roundedBall(x, eps, p);
}

// The real n-th root of an exact value (n odd for a negative one).
Ball exactRoot(const Decimal& m, std::int64_t n, Precision p) {
    if (m.isZero()) {
        return Ball();
    }
    return m.sign() > 0 ? positiveRoot(m, n, p) : neg(positiveRoot(-m, n, p));
}

// The ball from the lower bound of one ball to the upper bound of another.
Ball hull(const Ball& low, const Ball& high, Precision p) {
    const Decimal lowest = low.lower();
    const Decimal highest = high.upper();
    const Decimal half{BigInt(5), -1};
    return roundedBall((lowest + highest) * half, Radius::above((highest - lowest) * half), p);
}

}  // namespace

// Over a ball, |sqrt(x) - sqrt(m)| = |x - m| / (sqrt(x) + sqrt(m)) <= r / sqrt(m); sqrt(m) is
// at least the nine-digit bound below its approximation less one unit, far more than its error.
Ball sqrt(const Ball& a, Precision p) {
    if (a.sign() != 1) {
        if (a.isExact()) {
            return Ball();
        }
        const Decimal top = a.upper();
        if (top.sign() <= 0) {
            return Ball();
        }
        const Approximation root = squareRootNear(Radius::above(top).toDecimal(), 12);
        return Ball(Decimal{}, Radius::above(root.value) + root.error);
    }
    const Approximation root = squareRootNear(a.mid(), digitsWorthComputing(a, p.digits + 2));
    if (a.isExact()) {
        if (std::optional<Decimal> exact = exactSquareRoot(a.mid(), root, p)) {
            return Ball(std::move(*exact));
        }
        return roundedBall(root.value, root.error, p);
    }
    Radius below = Radius::below(root.value);
    below.mantissa -= 1;
    return roundedBall(root.value, root.error + quotientAbove(a.radius(), below), p);
}

// Roots grow with their argument, so over a ball they run from the root of its lower bound to
// that of its upper bound (from 0 for an even n whose ball reaches below zero).
Ball root(const Ball& a, std::int64_t n, Precision p) {
    if (n == 1) {
        return roundedBall(a.mid(), a.radius(), p);
    }
    if (n == 2) {
        return sqrt(a, p);
    }
    if (a.isExact()) {
        return exactRoot(a.mid(), n, p);
    }
    const Ball trimmed = roundedBall(a.mid(), a.radius(), Precision{p.digits + 5});
    const Decimal lower = trimmed.lower();
    const Ball low = lower.sign() < 0 && n % 2 == 0 ? Ball() : exactRoot(lower, n, p);
    return hull(low, exactRoot(trimmed.upper(), n, p), p);
}

}  // namespace kestrum::calc

// pi and e by binary splitting of their series, kept from call to call: a request for no more
// digits than the kept value has is rounded from it.
#include <cmath>
#include <cstdint>
#include <mutex>
#include <optional>

#include "ball.h"

namespace kestrum::calc {

namespace {

// Digits computed beyond those asked for, so that the rounding of a kept value stays tight.
constexpr std::int64_t kGuardDigits = 10;

// Products and sums of a range of terms: the series' partial sum over the range is t / q (with
// p carried along for the range's right neighbour).
struct Split {
    BigInt p;
    BigInt q;
    BigInt t;
};

// Chudnovsky's series, pi = 426880 sqrt(10005) / sum_k t_k with
// t_k = (-1)^k (6k)! (13591409 + 545140134 k) / ((3k)! (k!)^3 640320^(3k)), over k in [a, b).
Split chudnovsky(std::int64_t a, std::int64_t b, bool needP) {
    if (b - a == 1) {
        if (a == 0) {
            return {BigInt(1), BigInt(1), BigInt(13'591'409)};
        }
        // 640320^3 / 24: the 24 cancels against (6k)! / (3k)! taken term by term.
        const BigInt p = BigInt(6 * a - 5) * BigInt((2 * a - 1) * (6 * a - 1));
        const BigInt q = BigInt(a * a) * BigInt(a) * BigInt(10'939'058'860'032'000);
        BigInt t = p * BigInt(13'591'409 + 545'140'134 * a);
        return {p, q, a % 2 == 0 ? t : -t};
    }
    const std::int64_t middle = (a + b) / 2;
    const Split left = chudnovsky(a, middle, true);
    const Split right = chudnovsky(middle, b, needP);
    return {needP ? left.p * right.p : BigInt{}, left.q * right.q,
            left.t * right.q + left.p * right.t};
}

// sum over k in (a, b] of 1 / ((a+1)(a+2)...k) = t / q with q = (a+1)...b.
Split factorialReciprocals(std::int64_t a, std::int64_t b) {
    if (b - a == 1) {
        return {BigInt{}, BigInt(b), BigInt(1)};
    }
    const std::int64_t middle = (a + b) / 2;
    const Split left = factorialReciprocals(a, middle);
    const Split right = factorialReciprocals(middle, b);
    return {BigInt{}, left.q * right.q, left.t * right.q + right.t};
}

// The exact whole number v * 10^-shift as a ball rounded to the working precision. The sums'
// numerators and denominators pass 10^kMaxMagnitude from about 50000 digits on; their quotient
// stays small, so both are taken down by the same power of ten first.
Ball rounded(const BigInt& v, std::size_t shift, Precision p) {
    return roundedBall(Decimal{v, -static_cast<std::int64_t>(shift)}, Radius{}, p);
}

// Each term of Chudnovsky's series is below the one before it by a factor of more than 10^14
// (the ratio of their sizes is below 1728 / 640320^3), so 3 terms beyond digits / 14 leave a
// tail far below 10^-(digits + 20) of the sum.
Ball computePi(std::int64_t digits) {
    const Precision p{digits};
    const Split sum = chudnovsky(0, digits / 14 + 3, false);
    const Ball scale = mul(Ball::fromInteger(426'880), sqrt(Ball::fromInteger(10'005), p), p);
    const std::size_t shift = sum.t.digitCount();
    const Ball pi = div(mul(scale, rounded(sum.q, shift, p), p), rounded(sum.t, shift, p), p);
    return Ball(pi.mid(), pi.radius() + Radius{1, -(digits + 20)});
}

// e = 1 + sum_{k=1}^{n} 1/k! + a tail below 2 / (n + 1)!, with n! > 10^(digits + 20).
Ball computeE(std::int64_t digits) {
    const Precision p{digits};
    std::int64_t n = 1;
    for (double logFactorial = 0; logFactorial < static_cast<double>(digits + 20); ++n) {
        logFactorial += std::log10(static_cast<double>(n + 1));
    }
    const Split sum = factorialReciprocals(0, n);
    const std::size_t shift = sum.q.digitCount();
    const Ball e =
        add(Ball::fromInteger(1), div(rounded(sum.t, shift, p), rounded(sum.q, shift, p), p), p);
    return Ball(e.mid(), e.radius() + Radius{2, -(digits + 20)});
}

// A constant kept at the largest precision asked for so far; safe to share between threads.
class KeptConstant {
  public:
    explicit KeptConstant(Ball (*compute)(std::int64_t digits)) : compute_(compute) {}

    Ball at(Precision p) {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!value_ || digits_ < p.digits + kGuardDigits) {
            digits_ = p.digits + kGuardDigits;
            value_ = compute_(digits_);
        }
        return roundedBall(value_->mid(), value_->radius(), p);
    }

  private:
    Ball (*compute_)(std::int64_t digits);
    std::mutex mutex_;
    std::optional<Ball> value_;
    std::int64_t digits_ = 0;
};

}  // namespace

Ball pi(Precision p) {
    static KeptConstant kept(computePi);
    return kept.at(p);
}

Ball e(Precision p) {
    static KeptConstant kept(computeE);
    return kept.at(p);
}

}  // namespace kestrum::calc

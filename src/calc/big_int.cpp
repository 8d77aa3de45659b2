#include "big_int.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "kernel/digits.h"
#include "kernel/divide.h"
#include "kernel/limb.h"
#include "kernel/limb_buffer.h"
#include "kernel/limb_ops.h"
#include "kernel/multiply.h"

namespace kestrum::calc {

namespace {

namespace kd = aserv::kernel::detail;
using kd::kBase;
using kd::kLimbDigits;
using kd::Limb;
using Limbs = std::vector<Limb>;

constexpr std::array<Limb, kLimbDigits> kPowersOfTen = [] {
    std::array<Limb, kLimbDigits> powers{};
    Limb p = 1;
    for (auto& power : powers) {
        power = p;
        p *= 10;
    }
    return powers;
}();

void dropHighZeros(Limbs& v) {
    while (!v.empty() && v.back() == 0) {
        v.pop_back();
    }
}

int compareMagnitude(const Limbs& a, const Limbs& b) {
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    return kd::compareLimbs(a.data(), b.data(), a.size());
}

Limbs addMagnitude(const Limbs& a, const Limbs& b) {
    const Limbs& longer = a.size() >= b.size() ? a : b;
    const Limbs& shorter = a.size() >= b.size() ? b : a;
    if (shorter.empty()) {
        return longer;
    }
    Limbs sum(longer.size() + 1);
    sum.back() =
        kd::addLimbs(sum.data(), longer.data(), longer.size(), shorter.data(), shorter.size());
    dropHighZeros(sum);
    return sum;
}

// a - b for |a| >= |b|.
Limbs subMagnitude(const Limbs& a, const Limbs& b) {
    if (b.empty()) {
        return a;
    }
    Limbs difference(a.size());
    kd::subLimbs(difference.data(), a.data(), a.size(), b.data(), b.size());
    dropHighZeros(difference);
    return difference;
}

Limbs mulMagnitude(const Limbs& a, const Limbs& b) {
    if (a.empty() || b.empty()) {
        return {};
    }
    const Limbs& longer = a.size() >= b.size() ? a : b;
    const Limbs& shorter = a.size() >= b.size() ? b : a;
    Limbs product(longer.size() + shorter.size());
    if (shorter.size() == 1) {
        product.back() = kd::mulLimb(product.data(), longer.data(), longer.size(), shorter.front());
    } else {
        kd::LimbBuffer scratch(kd::multiplyScratch(longer.size(), shorter.size()));
        kd::multiplyLimbs(product.data(), longer.data(), longer.size(), shorter.data(),
                          shorter.size(), scratch.data());
    }
    dropHighZeros(product);
    return product;
}

// |a| / m for 0 < m < 10^18; the remainder goes to `remainder`.
Limbs divMagnitudeByWord(const Limbs& a, Limb m, Limb& remainder) {
    Limbs quotient(a.size());
    remainder = kd::divLimb(quotient.data(), a.data(), a.size(), kd::Divisor(m));
    dropHighZeros(quotient);
    return quotient;
}

void writeNineDigits(std::uint32_t v, char* out) {
    for (int i = 8; i >= 0; --i) {
        out[i] = static_cast<char>('0' + v % 10);
        v /= 10;
    }
}

// The 18 digits of a limb, leading zeros included (cut into halves so that 32-bit builds divide
// 32-bit words only).
void writeLimb(Limb v, char* out) {
    const kd::LimbHalves halves = kd::cutHalves(v);
    writeNineDigits(halves.high, out);
    writeNineDigits(halves.low, out + kd::kLimbDigits / 2);
}

// floor(sqrt(v)) for v < 10^18.
Limb wordSqrt(Limb v) {
    auto root = static_cast<Limb>(std::sqrt(static_cast<double>(v)));
    while (root * root > v) {
        --root;
    }
    while ((root + 1) * (root + 1) <= v) {
        ++root;
    }
    return root;
}

}  // namespace

BigInt::BigInt(std::int64_t v) : negative_(v < 0) {
    // The magnitude of the most negative value does not fit the signed type.
    Limb magnitude = v < 0 ? Limb{0} - static_cast<Limb>(v) : static_cast<Limb>(v);
    while (magnitude != 0) {
        limbs_.push_back(magnitude % kBase);
        magnitude /= kBase;
    }
}

BigInt BigInt::fromLimbs(std::vector<std::uint64_t> limbs, bool negative) {
    BigInt result;
    result.limbs_ = std::move(limbs);
    dropHighZeros(result.limbs_);
    result.negative_ = negative && !result.limbs_.empty();
    return result;
}

BigInt BigInt::fromDigits(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) {
        text.remove_prefix(1);
    }
    Limbs limbs;
    limbs.reserve(text.size() / kLimbDigits + 1);
    for (std::size_t end = text.size(); end > 0;) {
        const std::size_t begin = end > kLimbDigits ? end - kLimbDigits : 0;
        Limb limb = 0;
        for (std::size_t i = begin; i < end; ++i) {
            limb = limb * 10 + static_cast<Limb>(text[i] - '0');
        }
        limbs.push_back(limb);
        end = begin;
    }
    return fromLimbs(std::move(limbs), negative);
}

std::string BigInt::toString() const {
    if (isZero()) {
        return "0";
    }
    std::array<char, kLimbDigits> top{};
    writeLimb(limbs_.back(), top.data());
    const std::size_t topDigits = kd::wordDigits(limbs_.back());
    std::string text;
    text.resize((negative_ ? 1 : 0) + topDigits + (limbs_.size() - 1) * kLimbDigits);
    char* out = text.data();
    if (negative_) {
        *out++ = '-';
    }
    out = std::copy(top.end() - static_cast<std::ptrdiff_t>(topDigits), top.end(), out);
    for (std::size_t i = limbs_.size() - 1; i-- != 0;) {
        writeLimb(limbs_[i], out);
        out += kLimbDigits;
    }
    return text;
}

bool BigInt::isOdd() const {
    return !isZero() && (limbs_.front() & 1U) != 0;
}

std::size_t BigInt::digitCount() const {
    return kd::digitCount(limbs_.data(), limbs_.size());
}

std::int64_t BigInt::toInt64() const {
    Limb magnitude = 0;
    for (std::size_t i = limbs_.size(); i-- != 0;) {
        magnitude = magnitude * kBase + limbs_[i];
    }
    return negative_ ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
}

BigInt BigInt::operator-() const {
    BigInt result = *this;
    result.negative_ = !negative_ && !isZero();
    return result;
}

BigInt BigInt::abs() const {
    BigInt result = *this;
    result.negative_ = false;
    return result;
}

BigInt operator+(const BigInt& a, const BigInt& b) {
    if (a.negative_ == b.negative_) {
        return BigInt::fromLimbs(addMagnitude(a.limbs_, b.limbs_), a.negative_);
    }
    const int order = compareMagnitude(a.limbs_, b.limbs_);
    if (order == 0) {
        return {};
    }
    return order > 0 ? BigInt::fromLimbs(subMagnitude(a.limbs_, b.limbs_), a.negative_)
                     : BigInt::fromLimbs(subMagnitude(b.limbs_, a.limbs_), b.negative_);
}

BigInt operator-(const BigInt& a, const BigInt& b) {
    return a + (-b);
}

BigInt operator*(const BigInt& a, const BigInt& b) {
    return BigInt::fromLimbs(mulMagnitude(a.limbs_, b.limbs_), a.negative_ != b.negative_);
}

BigInt& BigInt::operator+=(const BigInt& b) {
    return *this = *this + b;
}

BigInt& BigInt::operator-=(const BigInt& b) {
    return *this = *this - b;
}

BigInt& BigInt::operator*=(const BigInt& b) {
    return *this = *this * b;
}

std::strong_ordering operator<=>(const BigInt& a, const BigInt& b) {
    if (a.sign() != b.sign()) {
        return a.sign() <=> b.sign();
    }
    const int order = compareMagnitude(a.limbs_, b.limbs_);
    return (a.negative_ ? -order : order) <=> 0;
}

BigInt::DivMod BigInt::divMod(const BigInt& a, const BigInt& b) {
    const bool quotientNegative = a.negative_ != b.negative_;
    if (compareMagnitude(a.limbs_, b.limbs_) < 0) {
        return {BigInt{}, a};
    }
    if (b.limbs_.size() == 1) {
        Limb remainder = 0;
        Limbs quotient = divMagnitudeByWord(a.limbs_, b.limbs_.front(), remainder);
        return {fromLimbs(std::move(quotient), quotientNegative),
                fromLimbs(Limbs{remainder}, a.negative_)};
    }
    kd::LimbQuotient division =
        kd::divideLimbs(a.limbs_.data(), a.limbs_.size(), b.limbs_.data(), b.limbs_.size());
    return {fromLimbs(Limbs(division.quotient.begin(), division.quotient.end()), quotientNegative),
            fromLimbs(Limbs(division.remainder.begin(), division.remainder.end()), a.negative_)};
}

BigInt BigInt::floorDiv(const BigInt& a, const BigInt& b) {
    DivMod division = divMod(a, b);
    if (!division.remainder.isZero() && a.negative_ != b.negative_) {
        division.quotient -= 1;
    }
    return division.quotient;
}

BigInt BigInt::powerOfTen(std::size_t k) {
    Limbs limbs(k / kLimbDigits + 1);
    limbs.back() = kPowersOfTen[k % kLimbDigits];
    return fromLimbs(std::move(limbs));
}

BigInt BigInt::shiftedUp(std::size_t k) const {
    if (isZero()) {
        return {};
    }
    Limbs limbs(k / kLimbDigits + limbs_.size() + 1);
    Limb* body = limbs.data() + k / kLimbDigits;
    body[limbs_.size()] =
        kd::mulLimb(body, limbs_.data(), limbs_.size(), kPowersOfTen[k % kLimbDigits]);
    return fromLimbs(std::move(limbs), negative_);
}

BigInt BigInt::shiftedDown(std::size_t k, bool* inexact) const {
    const std::size_t wholeLimbs = k / kLimbDigits;
    if (wholeLimbs >= limbs_.size()) {
        if (inexact != nullptr) {
            *inexact = !isZero();
        }
        return {};
    }
    const auto cut = limbs_.begin() + static_cast<std::ptrdiff_t>(wholeLimbs);
    Limbs kept(cut, limbs_.end());
    Limb remainder = 0;
    if (k % kLimbDigits != 0) {
        kept = divMagnitudeByWord(kept, kPowersOfTen[k % kLimbDigits], remainder);
    }
    if (inexact != nullptr) {
        *inexact =
            remainder != 0 || std::any_of(limbs_.begin(), cut, [](Limb v) { return v != 0; });
    }
    return fromLimbs(std::move(kept), negative_);
}

BigInt BigInt::floorShiftedDown(std::size_t k) const {
    bool inexact = false;
    BigInt quotient = shiftedDown(k, &inexact);
    if (inexact && negative_) {
        quotient -= 1;
    }
    return quotient;
}

BigInt BigInt::timesWord(std::uint64_t m) const {
    Limbs product(limbs_.size() + 1);
    product.back() = kd::mulLimb(product.data(), limbs_.data(), limbs_.size(), m);
    return fromLimbs(std::move(product), negative_);
}

BigInt BigInt::dividedByWord(std::uint64_t m, std::uint64_t* remainder) const {
    Limb rest = 0;
    BigInt quotient = fromLimbs(divMagnitudeByWord(limbs_, m, rest), negative_);
    if (remainder != nullptr) {
        *remainder = rest;
    }
    return quotient;
}

int BigInt::digitAt(std::size_t k) const {
    if (k / kLimbDigits >= limbs_.size()) {
        return 0;
    }
    const Limb limb = limbs_[k / kLimbDigits] / kPowersOfTen[k % kLimbDigits];
    return static_cast<int>(limb % 10);
}

std::size_t BigInt::trailingZeros() const {
    std::size_t zeros = 0;
    for (const Limb limb : limbs_) {
        if (limb != 0) {
            std::size_t inLimb = 0;
            while (inLimb + 1 < kLimbDigits && limb % kPowersOfTen[inLimb + 1] == 0) {
                ++inLimb;
            }
            return zeros + inLimb;
        }
        zeros += kLimbDigits;
    }
    return 0;
}

// Each level takes the root of the top half of the digits, which starts Newton's iteration from
// above close enough that one step leaves it at most a few units over floor(sqrt(value)); the
// rest is taken off by the remainder.
BigInt BigInt::isqrt() const {
    if (limbs_.size() <= 1) {
        return BigInt{static_cast<std::int64_t>(wordSqrt(isZero() ? 0 : limbs_.front()))};
    }
    const std::size_t half = digitCount() / 4;
    const BigInt start = (shiftedDown(2 * half).isqrt() + 1).shiftedUp(half);
    BigInt root = (start + divMod(*this, start).quotient).dividedByWord(2);
    BigInt rest = *this - root * root;
    while (rest.isNegative()) {
        rest += root + root - 1;
        root -= 1;
    }
    return root;
}

}  // namespace kestrum::calc

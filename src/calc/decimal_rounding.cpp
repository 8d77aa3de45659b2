#include "decimal_rounding.h"

namespace kestrum::calc {
namespace {

// The whole number q with value rounded = q * 10^-places.
BigInt scaledRounding(const Decimal& value, std::int64_t places, RoundingMode mode) {
    const BigInt& coefficient = value.coefficient;
    if (value.exponent >= -places) {
        return coefficient.shiftedUp(static_cast<std::size_t>(value.exponent + places));
    }
    const auto dropped = static_cast<std::size_t>(-places - value.exponent);
    bool belowFirstDroppedInexact = false;
    const BigInt withFirstDropped = coefficient.shiftedDown(dropped - 1, &belowFirstDroppedInexact);
    BigInt kept = withFirstDropped.shiftedDown(1);
    const std::int64_t firstDropped = (withFirstDropped.abs() - kept.abs().shiftedUp(1)).toInt64();
    if (firstDropped == 0 && !belowFirstDroppedInexact) {
        return kept;
    }
    // Against half a unit of the last kept digit: -1 below, 0 at, 1 above.
    const int againstHalf =
        firstDropped != 5 ? (firstDropped > 5 ? 1 : -1) : (belowFirstDroppedInexact ? 1 : 0);
    const int sign = coefficient.sign();
    bool awayFromZero = false;
    switch (mode) {
        case RoundingMode::kUp:
            awayFromZero = true;
            break;
        case RoundingMode::kDown:
            awayFromZero = false;
            break;
        case RoundingMode::kCeiling:
            awayFromZero = sign > 0;
            break;
        case RoundingMode::kFloor:
            awayFromZero = sign < 0;
            break;
        case RoundingMode::kHalfUp:
            awayFromZero = againstHalf >= 0;
            break;
        case RoundingMode::kHalfDown:
            awayFromZero = againstHalf > 0;
            break;
        case RoundingMode::kHalfEven:
            awayFromZero = againstHalf > 0 || (againstHalf == 0 && kept.isOdd());
            break;
    }
    if (awayFromZero) {
        kept += BigInt(sign);
    }
    return kept;
}

bool isHalfMode(RoundingMode mode) {
    return mode == RoundingMode::kHalfUp || mode == RoundingMode::kHalfEven ||
           mode == RoundingMode::kHalfDown;
}

}  // namespace

Decimal roundToPlaces(const Decimal& value, std::int64_t places, RoundingMode mode) {
    if (value.exponent >= -places) {
        return value;
    }
    return Decimal{scaledRounding(value, places, mode), -places};
}

Decimal nearestBoundary(const Ball& ball, std::int64_t places, RoundingMode mode) {
    if (!isHalfMode(mode)) {
        return Decimal{scaledRounding(ball.mid(), places, RoundingMode::kHalfEven), -places};
    }
    const BigInt below = scaledRounding(ball.mid(), places, RoundingMode::kFloor);
    return Decimal{below.shiftedUp(1) + BigInt(5), -places - 1};
}

std::optional<Decimal> roundBall(const Ball& ball, std::int64_t places, RoundingMode mode,
                                 bool takeBoundary) {
    Decimal lower = roundToPlaces(ball.lower(), places, mode);
    if (ball.isExact() || lower == roundToPlaces(ball.upper(), places, mode)) {
        return lower;
    }
    if (!takeBoundary) {
        return std::nullopt;
    }
    return roundToPlaces(nearestBoundary(ball, places, mode), places, mode);
}

}  // namespace kestrum::calc

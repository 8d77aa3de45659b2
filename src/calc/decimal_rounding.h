// Rounding exact decimals to a number of fraction digits, and the rounding boundaries a ball may
// straddle.
#pragma once

#include <cstdint>

#include "ball.h"
#include "calculator.h"

namespace kestrum::calc {

// value rounded to `places` fraction digits in the mode; a negative `places` rounds to a
// multiple of 10^-places (-2: to hundreds).
Decimal roundToPlaces(const Decimal& value, std::int64_t places, RoundingMode mode);

// The rounding boundary nearest the ball's midpoint: a multiple of 10^-places for UP, DOWN,
// CEILING and FLOOR, a midpoint between two such multiples for the HALF modes. When the ends of
// the ball round differently in the mode, it lies within the ball.
Decimal nearestBoundary(const Ball& ball, std::int64_t places, RoundingMode mode);

// The rounded value of every point of the ball when they all round alike; else, when
// `takeBoundary`, the rounded value of the boundary nearest the midpoint; else nothing.
std::optional<Decimal> roundBall(const Ball& ball, std::int64_t places, RoundingMode mode,
                                 bool takeBoundary);

}  // namespace kestrum::calc

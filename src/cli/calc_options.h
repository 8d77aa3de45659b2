// The command line of `kestrum calc`: options first, then the expressions.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "calculator.h"

namespace kestrum::cli {

struct CalcOptions {
    std::int64_t places = calc::Calculator::kDefaultPlaces;
    calc::RoundingMode mode = calc::RoundingMode::kHalfUp;
    bool help = false;
    std::vector<std::string> expressions;  // none: the lines of standard input are read
};

struct CalcUsageError {
    std::string message;
};

// Reads -p N, --places N, -m MODE, --mode MODE (also -pN, --places=N, -mMODE, --mode=MODE) and
// -h, --help. The options end at `--` or at the first argument that is not "-" and a letter or
// "--" and a letter, so an expression such as -2+3 needs no `--`, while -pi does.
std::variant<CalcOptions, CalcUsageError> parseCalcArguments(std::span<const std::string> args);

// A number of places written in decimal digits, from 0 to Calculator::kMaxPlaces; nothing for
// any other text.
std::optional<std::int64_t> parsePlaces(std::string_view text);

// The messages for a number of places or a mode that parsePlaces or parseRoundingMode refused.
std::string badPlacesMessage(std::string_view text);
std::string badModeMessage(std::string_view text);

}  // namespace kestrum::cli

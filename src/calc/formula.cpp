#include "formula.h"

#include <array>
#include <cctype>

namespace kestrum::calc {
namespace {

constexpr std::array<FunctionInfo, 21> kFunctions{{
    {"sqrt", Function::kSqrt, 1, 1},   {"root", Function::kRoot, 2, 2},
    {"ln", Function::kLn, 1, 1},       {"log10", Function::kLog10, 1, 1},
    {"log", Function::kLog, 2, 2},     {"exp", Function::kExp, 1, 1},
    {"sin", Function::kSin, 1, 1},     {"cos", Function::kCos, 1, 1},
    {"tan", Function::kTan, 1, 1},     {"asin", Function::kAsin, 1, 1},
    {"acos", Function::kAcos, 1, 1},   {"atan", Function::kAtan, 1, 1},
    {"atan2", Function::kAtan2, 2, 2}, {"abs", Function::kAbs, 1, 1},
    {"fact", Function::kFact, 1, 1},   {"binom", Function::kBinom, 2, 2},
    {"gcd", Function::kGcd, 2, 2},     {"lcm", Function::kLcm, 2, 2},
    {"quot", Function::kQuot, 2, 2},   {"mod", Function::kMod, 2, 2},
    {"round", Function::kRound, 2, 3},
}};

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<FunctionInfo> findFunction(std::string_view name) {
    for (const FunctionInfo& info : kFunctions) {
        if (equalIgnoringCase(info.name, name)) {
            return info;
        }
    }
    return std::nullopt;
}

std::string_view functionName(Function function) {
    for (const FunctionInfo& info : kFunctions) {
        if (info.function == function) {
            return info.name;
        }
    }
    return {};
}

}  // namespace kestrum::calc

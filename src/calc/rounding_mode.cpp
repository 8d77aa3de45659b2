#include <array>
#include <cctype>

#include "calculator.h"

namespace kestrum::calc {
namespace {

struct ModeName {
    RoundingMode mode;
    std::string_view name;
};

constexpr std::array<ModeName, 7> kModeNames{{
    {RoundingMode::kHalfUp, "HALF_UP"},
    {RoundingMode::kHalfEven, "HALF_EVEN"},
    {RoundingMode::kHalfDown, "HALF_DOWN"},
    {RoundingMode::kUp, "UP"},
    {RoundingMode::kDown, "DOWN"},
    {RoundingMode::kCeiling, "CEILING"},
    {RoundingMode::kFloor, "FLOOR"},
}};

bool equalsUpperCase(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) != upper[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<RoundingMode> parseRoundingMode(std::string_view name) {
    for (const ModeName& entry : kModeNames) {
        if (equalsUpperCase(name, entry.name)) {
            return entry.mode;
        }
    }
    return std::nullopt;
}

std::string_view roundingModeName(RoundingMode mode) {
    for (const ModeName& entry : kModeNames) {
        if (entry.mode == mode) {
            return entry.name;
        }
    }
    return {};
}

}  // namespace kestrum::calc

#include "calc_options.h"

#include <cctype>
#include <charconv>

namespace kestrum::cli {

namespace {

using calc::Calculator;

bool isLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// An option is "-" and a letter or "--" and a letter; "-2+3" and "-(1)" are expressions.
bool isOption(std::string_view arg) {
    if (arg.starts_with("--")) {
        return arg.size() > 2 && isLetter(arg[2]);
    }
    return arg.size() > 1 && arg[0] == '-' && isLetter(arg[1]);
}

// An option split into its name and the value written into the same argument, if any:
// "--places=5" is --places and 5, "-p5" is -p and 5.
struct SplitOption {
    std::string_view name;
    std::optional<std::string_view> value;
};

SplitOption splitOption(std::string_view arg) {
    if (arg.starts_with("--")) {
        const std::size_t equals = arg.find('=');
        if (equals == std::string_view::npos) {
            return {arg, std::nullopt};
        }
        return {arg.substr(0, equals), arg.substr(equals + 1)};
    }
    if (arg.size() > 2) {
        return {arg.substr(0, 2), arg.substr(2)};
    }
    return {arg, std::nullopt};
}

}  // namespace

std::optional<std::int64_t> parsePlaces(std::string_view text) {
    if (text.empty() || !isDigit(text[0])) {
        return std::nullopt;
    }
    std::int64_t places = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), places);
    if (error != std::errc{} || end != text.data() + text.size() ||
        places > Calculator::kMaxPlaces) {
        return std::nullopt;
    }
    return places;
}

std::string badPlacesMessage(std::string_view text) {
    return "places must be a whole number from 0 to " + std::to_string(Calculator::kMaxPlaces) +
           ", not '" + std::string(text) + "'";
}

std::string badModeMessage(std::string_view text) {
    return "unknown rounding mode '" + std::string(text) +
           "' (HALF_UP HALF_EVEN HALF_DOWN UP DOWN CEILING FLOOR)";
}

std::variant<CalcOptions, CalcUsageError> parseCalcArguments(std::span<const std::string> args) {
    CalcOptions options;
    std::size_t next = 0;
    while (next < args.size() && isOption(args[next])) {
        const std::string_view arg = args[next++];
        if (arg == "-h" || arg == "--help") {
            options.help = true;
            continue;
        }
        const SplitOption option = splitOption(arg);
        const bool places = option.name == "-p" || option.name == "--places";
        const bool mode = option.name == "-m" || option.name == "--mode";
        if (!places && !mode) {
            return CalcUsageError{"unknown option '" + std::string(arg) +
                                  "' (write -- before an expression that begins with -)"};
        }
        std::string_view value;
        if (option.value) {
            value = *option.value;
        } else if (next < args.size()) {
            value = args[next++];
        } else {
            return CalcUsageError{"option " + std::string(option.name) + " needs a value"};
        }
        if (places) {
            const std::optional<std::int64_t> parsed = parsePlaces(value);
            if (!parsed) {
                return CalcUsageError{badPlacesMessage(value)};
            }
            options.places = *parsed;
        } else {
            const std::optional<calc::RoundingMode> parsed = calc::parseRoundingMode(value);
            if (!parsed) {
                return CalcUsageError{badModeMessage(value)};
            }
            options.mode = *parsed;
        }
    }
    if (next < args.size() && args[next] == "--") {
        ++next;
    }
    options.expressions.assign(args.begin() + static_cast<std::ptrdiff_t>(next), args.end());
    return options;
}

}  // namespace kestrum::cli

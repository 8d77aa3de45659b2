#include "calc_session.h"

#include <new>
#include <vector>

#include "calc_help.h"
#include "calc_options.h"

namespace kestrum::cli {

namespace {

constexpr std::string_view kBlanks = " \t";

std::vector<std::string_view> splitAtBlanks(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t start = text.find_first_not_of(kBlanks);
    while (start != std::string_view::npos) {
        const std::size_t end = std::min(text.find_first_of(kBlanks, start), text.size());
        words.push_back(text.substr(start, end - start));
        start = text.find_first_not_of(kBlanks, end);
    }
    return words;
}

LineOutcome failed(std::string message) {
    return {{}, LineFailure{0, std::move(message)}};
}

// The calculator's message without the " at column N" it ends in, since the column is
// reported in front of it.
LineFailure failureOf(const calc::CalcError& error) {
    std::string_view message = error.what();
    if (error.column() != 0) {
        const std::string suffix = " at column " + std::to_string(error.column());
        if (message.ends_with(suffix)) {
            message.remove_suffix(suffix.size());
        }
    }
    return {error.column(), std::string(message)};
}

}  // namespace

std::string describeFailure(std::string_view where, const LineFailure& failure) {
    std::string text = "kestrum calc: ";
    text += where;
    if (failure.column != 0) {
        text += where.empty() ? "column " : ", column ";
        text += std::to_string(failure.column);
    }
    if (!where.empty() || failure.column != 0) {
        text += ": ";
    }
    return text + failure.message;
}

LineOutcome CalcSession::handle(std::string_view line) {
    const std::size_t start = line.find_first_not_of(kBlanks);
    if (start == std::string_view::npos || line[start] == '#') {
        return {};
    }
    if (line[start] == ':') {
        return runCommand(line.substr(start));
    }
    try {
        const std::optional<std::string> value = calculator_.evaluateLine(line);
        return {value ? *value + '\n' : std::string(), std::nullopt};
    } catch (const calc::CalcError& error) {
        return {{}, failureOf(error)};
    } catch (const std::bad_alloc&) {
        return failed("out of memory");
    }
}

LineOutcome CalcSession::runCommand(std::string_view command) {
    const std::vector<std::string_view> words = splitAtBlanks(command);
    const std::string_view name = words.front();
    if (words.size() > 2 || (name == ":help" && words.size() > 1)) {
        return failed(std::string(name) + ": too many arguments");
    }
    const std::optional<std::string_view> argument =
        words.size() == 2 ? std::optional(words[1]) : std::nullopt;
    if (name == ":places") {
        if (!argument) {
            return {std::to_string(calculator_.places()) + '\n', std::nullopt};
        }
        const std::optional<std::int64_t> places = parsePlaces(*argument);
        if (!places) {
            return failed(badPlacesMessage(*argument));
        }
        calculator_.setPlaces(*places);
        return {};
    }
    if (name == ":mode") {
        if (!argument) {
            return {std::string(calc::roundingModeName(calculator_.mode())) + '\n', std::nullopt};
        }
        const std::optional<calc::RoundingMode> mode = calc::parseRoundingMode(*argument);
        if (!mode) {
            return failed(badModeMessage(*argument));
        }
        calculator_.setMode(*mode);
        return {};
    }
    if (name == ":help") {
        return {std::string(kCalcLanguageHelp), std::nullopt};
    }
    return failed("unknown command '" + std::string(name) + "' (:places N, :mode MODE, :help)");
}

}  // namespace kestrum::cli

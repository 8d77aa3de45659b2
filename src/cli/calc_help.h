// The texts of `kestrum calc --help` and of :help at the prompt.
#pragma once

#include <string_view>

namespace kestrum::cli {

inline constexpr std::string_view kCalcUsage =
    "usage: kestrum calc [-p N | --places N] [-m MODE | --mode MODE] [--] [EXPR...]";

inline constexpr std::string_view kCalcOptionsHelp =
    "Prints the value of each EXPR on its own line; without EXPR reads lines from standard\n"
    "input, or, at a terminal, shows a prompt with line editing and history.\n"
    "\n"
    "  -p, --places N   fraction digits of each value, 0 to 100000 (default 20)\n"
    "  -m, --mode MODE  rounding mode (default HALF_UP)\n"
    "  --               ends the options, for an expression such as -pi\n"
    "\n"
    "Exit status: 0 success, 1 some expression failed, 2 usage error.\n";

inline constexpr std::string_view kCalcLanguageHelp =
    "Expressions: numbers such as 12, 0.5, .5; + - * / ^ (right-associative, above unary minus:\n"
    "  -2^2 = -4), parentheses. Each value is the exact value rounded once to the places.\n"
    "Constants: pi e    Functions (any letter case): sqrt(a) root(a, n) ln(a) log10(a)\n"
    "  log(a, base) exp(a) sin cos tan asin acos atan atan2(y, x) abs(a) fact(n) binom(n, k)\n"
    "  gcd(a, b) lcm(a, b) quot(a, b) mod(a, b) round(a, places) round(a, places, MODE)\n"
    "Variables: name = EXPR assigns; ans is the last value.\n"
    "Rounding modes: HALF_UP HALF_EVEN HALF_DOWN UP DOWN CEILING FLOOR\n"
    "Commands: :places [N]  :mode [MODE]  :help    Lines beginning with # are skipped.\n"
    "At the prompt: arrow keys edit and recall lines, Ctrl-C drops the line or stops the\n"
    "  evaluation under way, Ctrl-D leaves.\n";

}  // namespace kestrum::cli

#include "kestrum_cli.h"

#include <new>
#include <optional>
#include <ostream>
#include <string_view>

#include "arithm.h"
#include "calc_command.h"
#include "operation.h"
#include "result_codes.h"
#include "utf8.h"

namespace kestrum::cli {

namespace {

using api::ResultCode;

constexpr std::string_view kVersion = "kestrum 1.0.0";
constexpr std::string_view kUsage =
    "usage: kestrum OP A1 A2   (OP: iadd isub imult idiv radd rsub rmult icomp)\n"
    "       kestrum -          (lines OP<TAB>A1<TAB>A2 or OP A1 A2 on standard input)\n"
    "       kestrum calc [-p N] [-m MODE] [EXPR...]   (formulas: sqrt(2), 1/3, pi*2^10, ...)";
constexpr std::string_view kHelp =
    "Arbitrary-length decimal arithmetic on numbers written as text.\n"
    "\n"
    "  kestrum iadd A1 A2    integer sum\n"
    "  kestrum isub A1 A2    integer difference A1 - A2\n"
    "  kestrum imult A1 A2   integer product\n"
    "  kestrum idiv A1 A2    quotient, remainder and division-by-zero flag, one per line\n"
    "  kestrum icomp A1 A2   -1, 0 or 1 as A1 is smaller than, equal to or larger than A2\n"
    "  kestrum radd A1 A2    sum of numbers with a decimal point\n"
    "  kestrum rsub A1 A2    difference of numbers with a decimal point\n"
    "  kestrum rmult A1 A2   product of numbers with a decimal point\n"
    "  kestrum -             batch mode: reads lines OP<TAB>A1<TAB>A2 from standard input (or,\n"
    "                        on a line without a tab, OP A1 A2 separated by blanks) and\n"
    "                        writes one line for each (idiv: quotient<TAB>remainder<TAB>flag;\n"
    "                        error N or error usage for a line that fails)\n"
    "  kestrum calc EXPR...  the value of each formula, rounded to 20 fraction digits (-p N)\n"
    "                        in a rounding mode (-m MODE); without EXPR it reads formulas\n"
    "                        from standard input or, at a terminal, shows a prompt;\n"
    "                        kestrum calc --help tells more\n"
    "  kestrum --help | --version\n"
    "\n"
    "Operands may hold blanks and begin with - or +; \"\" is the empty operand.\n"
    "Exit status: 0 success, 1 arithmetic error, 2 usage error (batch mode: a malformed line).\n"
    "The manual page kestrum(1) tells more: man kestrum\n";

int reportFailure(ResultCode code, std::ostream& err) {
    err << "kestrum: " << describeFailure(code) << '\n';
    return kExitFailure;
}

}  // namespace

int runKestrum(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    if (args.size() == 1 && args[0] == "--help") {
        out << kUsage << "\n\n" << kHelp;
        return kExitSuccess;
    }
    if (!args.empty() && args[0] == "calc") {
        return runCalcCommand(args.subspan(1), out, err);
    }
    if (args.size() == 1 && args[0] == "--version") {
        out << kVersion << '\n';
        return kExitSuccess;
    }
    const std::optional<Operation> operation =
        args.size() == 3 ? Operation::find(args[0]) : std::nullopt;
    if (!operation) {
        err << kUsage << '\n';
        return kExitUsage;
    }
    const std::optional<std::u16string> a1 = utf8ToUtf16(args[1]);
    const std::optional<std::u16string> a2 = utf8ToUtf16(args[2]);
    if (!a1 || !a2) {
        err << "kestrum: operand " << (a1 ? 2 : 1) << " is not valid UTF-8\n";
        return kExitUsage;
    }
    try {
        const api::Arithm arithm;
        std::string result;
        const ResultCode code = operation->run(arithm, *a1, *a2, '\n', result);
        if (code != api::kSuccess) {
            return reportFailure(code, err);
        }
        out << result << '\n';
        return kExitSuccess;
    } catch (const std::bad_alloc&) {
        return reportFailure(api::kOutOfMemory, err);
    }
}

}  // namespace kestrum::cli

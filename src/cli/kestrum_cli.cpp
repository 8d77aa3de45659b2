#include "kestrum_cli.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string_view>

#include "arithm.h"
#include "automation_string.h"
#include "result_codes.h"
#include "utf8.h"

namespace kestrum::cli {

namespace {

using api::Arithm;
using api::AutoString;
using api::AutoStringHolder;
using api::ResultCode;

constexpr std::string_view kVersion = "kestrum 1.0.0";
constexpr std::string_view kUsage =
    "usage: kestrum OP A1 A2   (OP: iadd isub imult idiv radd rsub rmult icomp)";
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
    "  kestrum --help | --version\n"
    "\n"
    "Operands may hold blanks and begin with - or +; \"\" is the empty operand.\n"
    "Exit status: 0 success, 1 arithmetic error, 2 usage error.\n";

using StringMethod = ResultCode (Arithm::*)(AutoString*, AutoString*, AutoString*) const noexcept;

struct StringOperation {
    std::string_view name;
    StringMethod method;
};

constexpr std::array<StringOperation, 6> kStringOperations{{
    {"iadd", &Arithm::iadd},
    {"isub", &Arithm::isub},
    {"imult", &Arithm::imult},
    {"radd", &Arithm::radd},
    {"rsub", &Arithm::rsub},
    {"rmult", &Arithm::rmult},
}};

std::string hexCode(ResultCode code) {
    std::array<char, 16> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "0x%08X", static_cast<std::uint32_t>(code));
    return buffer.data();
}

int reportFailure(ResultCode code, std::ostream& err) {
    err << "kestrum: error ";
    if (const int number = api::runTimeErrorNumber(code); number != 0) {
        err << number << ' ';
    }
    err << '(' << hexCode(code) << "): " << utf16ToUtf8(api::describeResult(code)) << '\n';
    return kExitFailure;
}

AutoStringHolder holdText(std::u16string_view text) {
    AutoStringHolder holder(api::autoStringAlloc(text));
    if (!holder) {
        throw std::bad_alloc();
    }
    return holder;
}

void printText(AutoString text, std::ostream& out) {
    out << utf16ToUtf8(api::autoStringView(text)) << '\n';
}

int runOperation(std::string_view name, AutoString a1, AutoString a2, std::ostream& out,
                 std::ostream& err) {
    const Arithm arithm;
    for (const auto& operation : kStringOperations) {
        if (operation.name == name) {
            AutoString result = nullptr;
            const ResultCode code = (arithm.*operation.method)(&a1, &a2, &result);
            const AutoStringHolder owned(result);
            if (code != api::kSuccess) {
                return reportFailure(code, err);
            }
            printText(result, out);
            return kExitSuccess;
        }
    }
    if (name == "icomp") {
        std::int16_t order = 0;
        const ResultCode code = arithm.icomp(&a1, &a2, &order);
        if (code != api::kSuccess) {
            return reportFailure(code, err);
        }
        out << order << '\n';
        return kExitSuccess;
    }
    // idiv: m and r start empty, er starts at 0.
    AutoString m = nullptr;
    AutoString r = nullptr;
    std::int16_t er = 0;
    const ResultCode code = arithm.idiv(&a1, &a2, &m, &r, &er);
    const AutoStringHolder ownedM(m);
    const AutoStringHolder ownedR(r);
    if (code != api::kSuccess) {
        return reportFailure(code, err);
    }
    printText(m, out);
    printText(r, out);
    out << er << '\n';
    return kExitSuccess;
}

bool isOperation(std::string_view name) {
    for (const auto& operation : kStringOperations) {
        if (operation.name == name) {
            return true;
        }
    }
    return name == "icomp" || name == "idiv";
}

}  // namespace

int runKestrum(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    if (args.size() == 1 && args[0] == "--help") {
        out << kUsage << "\n\n" << kHelp;
        return kExitSuccess;
    }
    if (args.size() == 1 && args[0] == "--version") {
        out << kVersion << '\n';
        return kExitSuccess;
    }
    if (args.size() != 3 || !isOperation(args[0])) {
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
        const AutoStringHolder first = holdText(*a1);
        const AutoStringHolder second = holdText(*a2);
        return runOperation(args[0], first.get(), second.get(), out, err);
    } catch (const std::bad_alloc&) {
        return reportFailure(api::kOutOfMemory, err);
    }
}

}  // namespace kestrum::cli

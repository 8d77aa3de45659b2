// libFuzzer target: every operation on arbitrary UTF-16 operands, through the entry points (or
// class Arithm) and through the step-by-step path, which must agree on every result, every error
// number and every value left in the output variables. The sanitizers watch both.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "arithm.h"
#include "aserv.h"
#include "automation_string.h"
#include "fuzz_input.h"
#include "general/int_add_sub.h"
#include "general/int_comp.h"
#include "general/int_div.h"
#include "general/int_mult.h"
#include "general/real_add_sub.h"
#include "general/real_mult.h"
#include "result_codes.h"
#include "text/int16.h"

namespace kestrum::fuzz {

namespace {

using api::AutoString;
using api::AutoStringHolder;
using aserv::Text;
using aserv::TextView;

// The step-by-step path is quadratic in the operand length for multiplication and division;
// beyond this length it is left out of the comparison for those operations (the entry points
// still run on the whole input).
constexpr std::size_t kStepByStepLengthCap = 400;

// Everything a call leaves behind.
struct Outcome {
    int error = 0;  // the run-time error number, 0 for none
    Text first;     // the result, or the quotient
    Text second;    // the remainder
    std::int16_t number = 0;
    bool operator==(const Outcome&) const = default;
};

template <class Call>
int errorOf(Call&& call) {
    try {
        call();
        return 0;
    } catch (const aserv::AServError& error) {
        return error.number();
    }
}

using StringProcedure = void (*)(TextView, TextView, Text&);
using CompProcedure = void (*)(TextView, TextView, std::int16_t&);
using DivProcedure = void (*)(TextView, TextView, Text&, Text&, std::int16_t&);

struct Path {
    std::array<StringProcedure, 6> strings;  // in the order of Op up to kRealMult
    CompProcedure comp;
    DivProcedure div;
};

constexpr Path kEntryPoints = {
    {aserv::intAdd, aserv::intSub, aserv::intMult, aserv::realAdd, aserv::realSub, aserv::realMult},
    aserv::intComp,
    aserv::intDiv};
constexpr Path kStepByStep = {
    {aserv::general::intAdd, aserv::general::intSub, aserv::general::intMult,
     aserv::general::realAdd, aserv::general::realSub, aserv::general::realMult},
    aserv::general::intComp,
    aserv::general::intDiv};

bool isStringOp(Op op) {
    return op != Op::kComp && op != Op::kDiv;
}

// One call along `path`. The outputs start as the input says, or as the operands themselves when
// aliased; those that the operation does not have stay empty.
Outcome run(const Path& path, const FuzzInput& in, bool aliased) {
    Outcome out;
    if (in.op == Op::kDiv) {
        out.number = in.flag;
        out.first = aliased ? in.a1 : in.first;
        out.second = aliased ? in.a2 : in.second;
        if (aliased) {
            out.error = errorOf(
                [&] { path.div(out.first, out.second, out.first, out.second, out.number); });
        } else {
            out.error = errorOf([&] { path.div(in.a1, in.a2, out.first, out.second, out.number); });
        }
    } else if (in.op == Op::kComp) {
        out.number = in.flag;
        out.error = errorOf([&] { path.comp(in.a1, in.a2, out.number); });
    } else {
        const StringProcedure procedure = path.strings[static_cast<std::size_t>(in.op)];
        out.first = aliased ? in.a1 : in.first;
        out.error = aliased ? errorOf([&] { procedure(out.first, in.a2, out.first); })
                            : errorOf([&] { procedure(in.a1, in.a2, out.first); });
    }
    return out;
}

// What a method of class Arithm shows for the same call: string methods give no result on
// failure, the comparison gives 0, the division leaves the client's variables as written.
Outcome asArithmShowsIt(Outcome out, Op op) {
    if (out.error != 0 && isStringOp(op)) {
        out.first.clear();
    }
    if (out.error != 0 && op == Op::kComp) {
        out.number = 0;
    }
    return out;
}

TextView viewOf(const AutoStringHolder& text) {
    return api::autoStringView(text.get());
}

// An automation string for `text`, or null (which reads as empty) when `null` is set and the
// text is empty.
AutoStringHolder autoString(const Text& text, bool null) {
    if (null && text.empty()) {
        return AutoStringHolder{};
    }
    AutoStringHolder held(api::autoStringAlloc(text));
    if (!held) {
        std::abort();
    }
    return held;
}

// The outcome through class Arithm; any failure other than a run-time error is a finding.
Outcome runArithm(const FuzzInput& in, bool nullStrings) {
    const api::Arithm arithm;
    AutoStringHolder a1 = autoString(in.a1, nullStrings && (in.nulls & 1) != 0);
    AutoStringHolder a2 = autoString(in.a2, nullStrings && (in.nulls & 2) != 0);
    AutoString x = a1.get();
    AutoString y = a2.get();
    AutoString first = nullptr;
    Outcome out;
    api::ResultCode code = api::kSuccess;
    switch (in.op) {
        case Op::kAdd:
            code = arithm.iadd(&x, &y, &first);
            break;
        case Op::kSub:
            code = arithm.isub(&x, &y, &first);
            break;
        case Op::kMult:
            code = arithm.imult(&x, &y, &first);
            break;
        case Op::kRealAdd:
            code = arithm.radd(&x, &y, &first);
            break;
        case Op::kRealSub:
            code = arithm.rsub(&x, &y, &first);
            break;
        case Op::kRealMult:
            code = arithm.rmult(&x, &y, &first);
            break;
        case Op::kComp:
            code = arithm.icomp(&x, &y, &out.number);
            break;
        case Op::kDiv: {
            AutoStringHolder m = autoString(in.first, nullStrings && (in.nulls & 4) != 0);
            AutoStringHolder r = autoString(in.second, nullStrings && (in.nulls & 8) != 0);
            AutoString mp = m.release();
            AutoString rp = r.release();
            out.number = in.flag;
            code = arithm.idiv(&x, &y, &mp, &rp, &out.number);
            m.reset(mp);
            r.reset(rp);
            out.first = viewOf(m);
            out.second = viewOf(r);
            break;
        }
    }
    const AutoStringHolder result(first);
    if (x != a1.get() || y != a2.get()) {
        std::abort();  // an operand variable was changed
    }
    out.error = api::runTimeErrorNumber(code);
    if (code != api::kSuccess && out.error == 0) {
        std::abort();  // out of memory or unexpected
    }
    if (isStringOp(in.op)) {
        if ((code == api::kSuccess) != static_cast<bool>(result)) {
            std::abort();  // a failure with a result, or a success without one
        }
        out.first = viewOf(result);
    }
    return out;
}

// Every method refuses a null address with E_POINTER and writes nothing.
void checkNullAddresses(const FuzzInput& in) {
    const api::Arithm arithm;
    AutoStringHolder a1 = autoString(in.a1, true);
    AutoString x = a1.get();
    AutoString result = nullptr;
    std::int16_t number = in.flag;
    const std::array<api::ResultCode, 12> codes = {
        arithm.iadd(nullptr, &x, &result),
        arithm.isub(&x, nullptr, &result),
        arithm.imult(&x, &x, nullptr),
        arithm.radd(&x, nullptr, &result),
        arithm.rsub(nullptr, &x, &result),
        arithm.rmult(&x, &x, nullptr),
        arithm.icomp(nullptr, &x, &number),
        arithm.icomp(&x, &x, nullptr),
        arithm.idiv(nullptr, &x, &x, &x, &number),
        arithm.idiv(&x, &x, nullptr, &x, &number),
        arithm.idiv(&x, &x, &x, nullptr, &number),
        arithm.idiv(&x, &x, &x, &x, nullptr),
    };
    for (const api::ResultCode code : codes) {
        if (code != api::kNullPointer) {
            std::abort();
        }
    }
    if (result != nullptr || x != a1.get() || number != in.flag) {
        std::abort();
    }
}

bool stepByStepAffordable(const FuzzInput& in) {
    if (in.op != Op::kMult && in.op != Op::kRealMult && in.op != Op::kDiv) {
        return true;
    }
    const auto tooLong = [](const Text& text) { return text.size() > aserv::kMaxOperandLength; };
    const bool bothShort =
        in.a1.size() <= kStepByStepLengthCap && in.a2.size() <= kStepByStepLengthCap;
    return bothShort || tooLong(in.a1) || tooLong(in.a2);
}

// The first units of a text, with anything outside printable ASCII as '?'.
std::string excerpt(const Text& text) {
    std::string out;
    for (const char16_t c : text.substr(0, 60)) {
        out.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
    }
    return text.size() > 60 ? out + "... (" + std::to_string(text.size()) + " units)" : out;
}

[[noreturn]] void report(const char* what, const Outcome& got, const Outcome& expected) {
    std::fprintf(stderr, "%s:\n  got      error %d, number %d, \"%s\", \"%s\"\n", what, got.error,
                 got.number, excerpt(got.first).c_str(), excerpt(got.second).c_str());
    std::fprintf(stderr, "  expected error %d, number %d, \"%s\", \"%s\"\n", expected.error,
                 expected.number, excerpt(expected.first).c_str(),
                 excerpt(expected.second).c_str());
    std::abort();
}

}  // namespace

}  // namespace kestrum::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrum::fuzz;
    const FuzzInput in = readInput(data, size);
    const bool arithmMode = in.mode == Mode::kArithm || in.mode == Mode::kArithmNull;
    if (in.mode == Mode::kArithmNull) {
        checkNullAddresses(in);
    }
    const Outcome got = arithmMode ? runArithm(in, in.mode == Mode::kArithmNull)
                                   : run(kEntryPoints, in, in.mode == Mode::kAliased);
    if (!stepByStepAffordable(in)) {
        return 0;
    }
    Outcome expected = run(kStepByStep, in, in.mode == Mode::kAliased);
    if (arithmMode) {
        expected = asArithmShowsIt(std::move(expected), in.op);
    }
    if (!(got == expected)) {
        report(arithmMode ? "Arithm vs step-by-step" : "entry point vs step-by-step", got,
               expected);
    }
    return 0;
}

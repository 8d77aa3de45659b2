// The entry points may compute operands made of digits their own way; on every text, odd ones
// included, they must give exactly what the general path gives: the same results, or the same
// error with the outputs in the same state.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <random>

#include "aserv.h"
#include "general/int_add_sub.h"
#include "general/int_comp.h"
#include "general/int_div.h"
#include "general/int_mult.h"
#include "general/real_add_sub.h"
#include "general/real_mult.h"
#include "test_support.h"

namespace kestrum::aserv {
namespace {

using support::run;

// Short texts over the characters that matter: digits (zeros often), signs, point, blank, letter.
Text randomText(std::mt19937& rng) {
    static constexpr char16_t kAlphabet[] = u"000123456789-+-+. a";
    constexpr std::size_t kAlphabetSize = sizeof(kAlphabet) / sizeof(kAlphabet[0]) - 1;
    Text text;
    const std::size_t length = support::randomSize(rng, 0, 7);
    for (std::size_t i = 0; i < length; ++i) {
        text.push_back(kAlphabet[support::randomSize(rng, 0, kAlphabetSize - 1)]);
    }
    return text;
}

struct Twin {
    const char* name;
    support::BinaryOp entry;
    support::BinaryOp general;
};

int compareOutcome(void (*comp)(TextView, TextView, std::int16_t&), TextView a1, TextView a2) {
    std::int16_t result = 9;
    try {
        comp(a1, a2, result);
    } catch (const AServError& error) {
        return 100 + error.number();
    }
    return result;
}

struct DivState {
    Text m = u"m";
    Text r = u"r";
    std::int16_t er = 5;
    int error = 0;
    bool operator==(const DivState&) const = default;
};

void PrintTo(const DivState& s, std::ostream* os) {
    *os << support::narrow(s.m) << " | " << support::narrow(s.r) << " | " << s.er << " | "
        << s.error;
}

DivState divideWith(void (*div)(TextView, TextView, Text&, Text&, std::int16_t&), TextView a1,
                    TextView a2) {
    DivState state;
    try {
        div(a1, a2, state.m, state.r, state.er);
    } catch (const AServError& error) {
        state.error = error.number();
    }
    return state;
}

TEST(EntryPointsAgreeWithGeneralPath, OnOddTexts) {
    const Twin twins[] = {
        {"intAdd", intAdd, general::intAdd},    {"intSub", intSub, general::intSub},
        {"intMult", intMult, general::intMult}, {"realAdd", realAdd, general::realAdd},
        {"realSub", realSub, general::realSub}, {"realMult", realMult, general::realMult}};
    std::mt19937 rng(8086);
    for (int i = 0; i < 4000; ++i) {
        const Text a1 = randomText(rng);
        const Text a2 = randomText(rng);
        SCOPED_TRACE("\"" + support::narrow(a1) + "\" and \"" + support::narrow(a2) + "\"");
        for (const Twin& twin : twins) {
            ASSERT_EQ(run(twin.entry, a1, a2), run(twin.general, a1, a2)) << twin.name;
        }
        ASSERT_EQ(compareOutcome(intComp, a1, a2), compareOutcome(general::intComp, a1, a2));
        ASSERT_EQ(divideWith(intDiv, a1, a2), divideWith(general::intDiv, a1, a2));
    }
}

}  // namespace
}  // namespace kestrum::aserv

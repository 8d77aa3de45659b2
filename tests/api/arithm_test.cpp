#include "arithm.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "automation_string.h"
#include "result_codes.h"
#include "variable.h"

namespace kestrum::api {
namespace {

using testing_support::Variable;

using StringMethod = ResultCode (Arithm::*)(AutoString*, AutoString*, AutoString*) const noexcept;

struct StringCall {
    const char* name;
    StringMethod method;
    std::u16string a1;
    std::u16string a2;
    ResultCode code;
    std::u16string result;  // expected result on success
};

class StringMethodTest : public testing::TestWithParam<StringCall> {};

TEST_P(StringMethodTest, DeliversResultOrNullWithCodeAndKeepsOperands) {
    const auto& call = GetParam();
    Variable a1(call.a1);
    Variable a2(call.a2);
    const AutoString a1Before = a1.raw();
    Variable result(u"stale");  // the method must not free or read it: it is set to null first
    AutoString stale = result.raw();
    const Arithm arithm;
    const ResultCode code = (arithm.*call.method)(a1.address(), a2.address(), result.address());
    EXPECT_EQ(code, call.code) << call.name;
    if (call.code == kSuccess) {
        EXPECT_EQ(result.text(), call.result) << call.name;
        EXPECT_NE(result.raw(), nullptr);
    } else {
        EXPECT_EQ(result.raw(), nullptr) << call.name;
    }
    EXPECT_EQ(a1.raw(), a1Before);
    EXPECT_EQ(a1.text(), call.a1);
    EXPECT_EQ(a2.text(), call.a2);
    autoStringFree(stale);
}

INSTANTIATE_TEST_SUITE_P(
    Methods, StringMethodTest,
    testing::Values(StringCall{"iadd", &Arithm::iadd, u"12 345", u"-45", kSuccess, u"12300"},
                    StringCall{"iadd", &Arithm::iadd, u"1a", u"1", runTimeErrorCode(102), u""},
                    StringCall{"isub", &Arithm::isub, u"12a", u"5", runTimeErrorCode(103), u""},
                    StringCall{"isub", &Arithm::isub, u"007", u"0", kSuccess, u"007"},
                    StringCall{"imult", &Arithm::imult, u"-5", u"0", kSuccess, u"-0"},
                    StringCall{"imult", &Arithm::imult, u"a", u"2", runTimeErrorCode(102), u""},
                    StringCall{"radd", &Arithm::radd, u"0.1", u"0.2", kSuccess, u".3"},
                    StringCall{"rsub", &Arithm::rsub, u"0.5", u"0.7", kSuccess, u"-.2"},
                    StringCall{"rmult", &Arithm::rmult, u"1.5", u"2", kSuccess, u"3."},
                    StringCall{"radd", &Arithm::radd, std::u16string(32767, u'1'), u"1",
                               runTimeErrorCode(6), u""},
                    StringCall{"iadd", &Arithm::iadd, u"", u"", kSuccess, u"0"}));

TEST(ArithmNullStrings, NullOperandReadsAsEmpty) {
    const Arithm arithm;
    AutoString nullOperand = nullptr;
    Variable five(u"5");
    Variable result;
    ASSERT_EQ(arithm.isub(&nullOperand, five.address(), result.address()), kSuccess);
    EXPECT_EQ(result.text(), u"-5");
    std::int16_t order = 7;
    ASSERT_EQ(arithm.icomp(&nullOperand, &nullOperand, &order), kSuccess);
    EXPECT_EQ(order, 0);
}

TEST(ArithmNullAddresses, ReportPointerError) {
    const Arithm arithm;
    Variable a(u"1");
    Variable result;
    std::int16_t order = 0;
    EXPECT_EQ(arithm.iadd(nullptr, a.address(), result.address()), kNullPointer);
    EXPECT_EQ(arithm.rmult(a.address(), a.address(), nullptr), kNullPointer);
    EXPECT_EQ(arithm.icomp(a.address(), nullptr, &order), kNullPointer);
    EXPECT_EQ(arithm.idiv(a.address(), a.address(), nullptr, result.address(), &order),
              kNullPointer);
}

TEST(ArithmIcomp, WritesZeroOnFailure) {
    const Arithm arithm;
    Variable big(std::u16string(32767, u'9'));
    Variable one(u"1");
    std::int16_t order = 1;
    EXPECT_EQ(arithm.icomp(big.address(), one.address(), &order), runTimeErrorCode(6));
    EXPECT_EQ(order, 0);
    EXPECT_EQ(arithm.icomp(big.address(), big.address(), &order), kSuccess);
    EXPECT_EQ(order, 0);
    EXPECT_EQ(arithm.icomp(one.address(), big.address(), &order), runTimeErrorCode(6));
}

struct DivisionCall {
    std::u16string a1;
    std::u16string a2;
    std::u16string mBefore;
    std::u16string rBefore;
    std::int16_t erBefore;
    ResultCode code;
    std::u16string m;
    std::u16string r;
    std::int16_t er;
};

class IdivTest : public testing::TestWithParam<DivisionCall> {};

TEST_P(IdivTest, WritesQuotientRemainderAndFlagInPlace) {
    const auto& call = GetParam();
    Variable a1(call.a1);
    Variable a2(call.a2);
    Variable m(call.mBefore);
    Variable r(call.rBefore);
    std::int16_t er = call.erBefore;
    const Arithm arithm;
    EXPECT_EQ(arithm.idiv(a1.address(), a2.address(), m.address(), r.address(), &er), call.code);
    EXPECT_EQ(m.text(), call.m);
    EXPECT_EQ(r.text(), call.r);
    EXPECT_EQ(er, call.er);
    EXPECT_EQ(a1.text(), call.a1);
    EXPECT_EQ(a2.text(), call.a2);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IdivTest,
    testing::Values(DivisionCall{u"100", u"7", u"", u"", 0, kSuccess, u"14", u"2", 0},
                    DivisionCall{u"-7", u"2", u"x", u"y", 0, kSuccess, u"-3", u"-1", 0},
                    DivisionCall{u"5", u"0", u"x", u"y", 0, kSuccess, u"0", u"0", 1},
                    // the flag is never cleared by a later division
                    DivisionCall{u"100", u"7", u"", u"", 1, kSuccess, u"14", u"2", 1},
                    // an error in the long division leaves the digits so far in m and r empty
                    DivisionCall{u"50a", u"7", u"x", u"y", 3, runTimeErrorCode(103), u"7", u"", 3},
                    // an operand that is too long fails before m and r change
                    DivisionCall{std::u16string(32767, u'1'), u"7", u"x", u"y", 3,
                                 runTimeErrorCode(6), u"x", u"y", 3}));

TEST(ArithmIdiv, OperandMayBeTheSameVariableAsQuotient) {
    const Arithm arithm;
    Variable shared(u"100");
    Variable divisor(u"7");
    Variable r;
    std::int16_t er = 0;
    ASSERT_EQ(arithm.idiv(shared.address(), divisor.address(), shared.address(), r.address(), &er),
              kSuccess);
    EXPECT_EQ(shared.text(), u"14");
    EXPECT_EQ(r.text(), u"2");
}

TEST(ArithmObjects, RepeatedCallsAndSeparateObjectsAgree) {
    Variable a(u"123456789123456789");
    Variable b(u"-987654321");
    Variable first;
    Variable second;
    const Arithm one;
    const Arithm other;
    ASSERT_EQ(one.imult(a.address(), b.address(), first.address()), kSuccess);
    ASSERT_EQ(other.imult(a.address(), b.address(), second.address()), kSuccess);
    EXPECT_EQ(first.text(), u"-121932631234567900112635269");
    EXPECT_EQ(first.text(), second.text());
}

// A call's result code and text ("" on failure).
struct Outcome {
    ResultCode code;
    std::u16string text;
    bool operator==(const Outcome&) const = default;
};

Outcome callOn(const Arithm& arithm, StringMethod method, std::u16string_view a1,
               std::u16string_view a2) {
    Variable x(a1);
    Variable y(a2);
    Variable result;
    const ResultCode code = (arithm.*method)(x.address(), y.address(), result.address());
    return {code, result.raw() != nullptr ? result.text() : u""};
}

// The text of a successful call on an object of its own.
std::u16string freshResult(StringMethod method, std::u16string_view a1, std::u16string_view a2) {
    const Outcome outcome = callOn(Arithm(), method, a1, a2);
    EXPECT_EQ(outcome.code, kSuccess);
    return outcome.text;
}

TEST(ArithmObjects, OneObjectServesEveryResultLengthAndConcurrentCallers) {
    const std::u16string longer(3000, u'9');
    const std::vector<std::pair<std::u16string, std::u16string>> operands = {
        {longer, u"1"}, {u"12", u"-12"},     {u"-5", u"3"},    {longer, longer},
        {u"7", u"0"},   {u"12.5", u"-0.75"}, {u"-.5", u".25"}, {longer + u".5", u"2.5"}};
    const Arithm shared;
    for (const auto& [a, b] : operands) {
        for (StringMethod method : {&Arithm::iadd, &Arithm::isub, &Arithm::imult, &Arithm::radd,
                                    &Arithm::rsub, &Arithm::rmult}) {
            EXPECT_EQ(callOn(shared, method, a, b), callOn(Arithm(), method, a, b));
        }
    }

    // Two threads on the same object, both with operands long enough for buffers from the kept
    // call storage: each result must be its own call's.
    const std::u16string medium(500, u'8');
    const std::u16string other(600, u'7');
    const std::u16string shortProduct = freshResult(&Arithm::imult, medium, u"-31");
    const std::u16string longProduct = freshResult(&Arithm::imult, medium, other);
    std::atomic<int> mismatches{0};
    auto caller = [&](StringMethod method, std::u16string_view a, std::u16string_view b,
                      const std::u16string& expected) {
        Variable x(a);
        Variable y(b);
        for (int i = 0; i < 10000; ++i) {
            Variable result;
            if ((shared.*method)(x.address(), y.address(), result.address()) != kSuccess ||
                result.text() != expected) {
                ++mismatches;
            }
        }
    };
    std::thread first(caller, &Arithm::imult, medium, u"-31", std::cref(shortProduct));
    std::thread second(caller, &Arithm::imult, medium, other, std::cref(longProduct));
    first.join();
    second.join();
    EXPECT_EQ(mismatches.load(), 0);
}

TEST(ResultCodes, RunTimeErrorsMapToControlFacility) {
    EXPECT_EQ(static_cast<std::uint32_t>(runTimeErrorCode(102)), 0x800A0066U);
    EXPECT_EQ(runTimeErrorNumber(runTimeErrorCode(6)), 6);
    EXPECT_EQ(runTimeErrorNumber(kOutOfMemory), 0);
    for (const int number : {5, 6, 102, 103}) {
        EXPECT_NE(describeResult(runTimeErrorCode(number)), describeResult(kUnexpected));
    }
}

TEST(AutomationStrings, KeepLengthAndEmbeddedNulls) {
    const std::u16string text(u"a\0b", 3);
    Variable v(text);
    EXPECT_EQ(autoStringView(v.raw()).size(), 3U);
    EXPECT_EQ(v.text(), text);
    EXPECT_TRUE(autoStringView(nullptr).empty());
}

}  // namespace
}  // namespace kestrum::api

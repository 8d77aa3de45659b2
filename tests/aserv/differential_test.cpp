// The entry points against the step-by-step path: on random and hand-built operands (every sign
// form, blanks, leading zeros, runs of 9s and 0s, points, non-digits, lengths at the limit) both
// must give the same result, the same error and leave the same values in the output variables.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "aserv.h"
#include "general/int_add_sub.h"
#include "general/int_comp.h"
#include "general/int_div.h"
#include "general/int_mult.h"
#include "general/real_add_sub.h"
#include "general/real_mult.h"
#include "text/int16.h"

namespace kestrum::aserv {
namespace {

enum class Op { kAdd, kSub, kMult, kRealAdd, kRealSub, kRealMult, kComp, kDiv };

constexpr std::array<Op, 8> kAllOps = {Op::kAdd,     Op::kSub,      Op::kMult, Op::kRealAdd,
                                       Op::kRealSub, Op::kRealMult, Op::kComp, Op::kDiv};
// The operations whose step-by-step path stays linear in the operand length.
constexpr std::array<Op, 5> kLinearOps = {Op::kAdd, Op::kSub, Op::kRealAdd, Op::kRealSub,
                                          Op::kComp};

const char* nameOf(Op op) {
    constexpr std::array<const char*, 8> kNames = {"intAdd",  "intSub",   "intMult", "realAdd",
                                                   "realSub", "realMult", "intComp", "intDiv"};
    return kNames[static_cast<std::size_t>(op)];
}

// A text for messages: non-ASCII units as \uXXXX, long texts cut in the middle.
std::string printable(TextView text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.size() > 60 && i == 25) {
            out += "...(" + std::to_string(text.size()) + " units)...";
            i = text.size() - 25;
        }
        const char16_t c = text[i];
        if (c >= 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
            out += escaped;
        }
    }
    return out;
}

// Everything a call leaves behind.
struct Outcome {
    int error = 0;  // the run-time error number, 0 for none
    Text first;     // the result, or the quotient
    Text second;    // the remainder
    std::int16_t number = 0;
    bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& outcome, std::ostream* out) {
    *out << "{error " << outcome.error << ", \"" << printable(outcome.first) << "\", \""
         << printable(outcome.second) << "\", " << outcome.number << "}";
}

template <class Call>
int errorOf(Call&& call) {
    try {
        call();
        return 0;
    } catch (const AServError& error) {
        return error.number();
    }
}

using StringProcedure = void (*)(TextView, TextView, Text&);

struct Path {
    std::array<StringProcedure, 6> strings;  // in the order of Op up to kRealMult
    void (*comp)(TextView, TextView, std::int16_t&);
    void (*div)(TextView, TextView, Text&, Text&, std::int16_t&);
};

constexpr Path kEntryPoints = {
    {intAdd, intSub, intMult, realAdd, realSub, realMult}, intComp, intDiv};
constexpr Path kStepByStep = {{general::intAdd, general::intSub, general::intMult, general::realAdd,
                               general::realSub, general::realMult},
                              general::intComp,
                              general::intDiv};

// The output variables before a call.
struct Start {
    Text first = u"stale";
    Text second = u"-0 0";
    std::int16_t number = 7;
};

Outcome run(const Path& path, Op op, TextView a1, TextView a2, const Start& start) {
    Outcome out{0, start.first, start.second, start.number};
    if (op == Op::kDiv) {
        out.error = errorOf([&] { path.div(a1, a2, out.first, out.second, out.number); });
    } else if (op == Op::kComp) {
        out.error = errorOf([&] { path.comp(a1, a2, out.number); });
    } else {
        out.error = errorOf([&] { path.strings[static_cast<std::size_t>(op)](a1, a2, out.first); });
    }
    return out;
}

// The same call with the operands held in the output variables themselves.
Outcome runAliased(const Path& path, Op op, TextView a1, TextView a2) {
    Outcome out{0, Text(a1), Text(a2), 3};
    if (op == Op::kDiv) {
        out.error =
            errorOf([&] { path.div(out.first, out.second, out.first, out.second, out.number); });
    } else if (op == Op::kComp) {
        out.error = errorOf([&] { path.comp(out.first, out.second, out.number); });
    } else {
        out.error = errorOf(
            [&] { path.strings[static_cast<std::size_t>(op)](out.first, out.second, out.first); });
    }
    return out;
}

void expectSame(Op op, TextView a1, TextView a2, const Start& start = {}) {
    EXPECT_EQ(run(kEntryPoints, op, a1, a2, start), run(kStepByStep, op, a1, a2, start))
        << nameOf(op) << "(\"" << printable(a1) << "\", \"" << printable(a2) << "\")";
}

// Random operands in every form the operations meet.
class OperandMaker {
  public:
    explicit OperandMaker(std::uint64_t seed) : rng_(seed) {}

    std::size_t below(std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(rng_);
    }
    bool chance(std::size_t oneIn) { return below(oneIn) == 0; }

    Text digits(std::size_t count) {
        Text out;
        const std::size_t style = below(6);
        for (std::size_t i = 0; i < count; ++i) {
            switch (style) {
                case 0:
                    out.push_back(u'9');
                    break;
                case 1:
                    out.push_back(i == 0 ? u'1' : u'0');
                    break;
                case 2:
                    out.push_back(i + 1 == count ? u'1' : u'9');
                    break;
                default:
                    out.push_back(static_cast<char16_t>(u'0' + below(10)));
                    break;
            }
        }
        return out;
    }

    // An operand of `minLength` to `maxLength` digits: sign forms, leading zeros, points,
    // blanks and stray characters each now and then.
    Text operand(std::size_t maxLength, std::size_t minLength = 1) {
        static const std::array<TextView, 10> kZeroLike = {u"",  u"-",  u"+",  u".",   u"-0",
                                                           u"0", u"-.", u"+.", u"-00", u" "};
        static const std::array<TextView, 9> kSigns = {u"",   u"",   u"",   u"-", u"+",
                                                       u"-+", u"+-", u"--", u"++"};
        static const std::array<char16_t, 10> kStray = {u'a', u'x',  u'.',   u':',   u'/',
                                                        u'-', u'\t', 0x0663, 0x00A0, 0x0139};
        if (chance(16)) {
            return Text(kZeroLike[below(kZeroLike.size())]);
        }
        Text out(kSigns[below(kSigns.size())]);
        if (chance(4)) {
            out.append(1 + below(5), u'0');
        }
        out += digits(minLength + below(maxLength - minLength + 1));
        if (chance(2)) {
            out.insert(below(out.size() + 1), 1, u'.');
        }
        if (chance(16)) {
            out.insert(below(out.size() + 1), 1, u'.');
        }
        if (chance(12)) {
            out[below(out.size())] = kStray[below(kStray.size())];
        }
        for (std::size_t blanks = chance(4) ? 1 + below(4) : 0; blanks > 0; --blanks) {
            out.insert(below(out.size() + 1), 1, u' ');
        }
        return out;
    }

  private:
    std::mt19937_64 rng_;
};

// A number written as plain digits: a sign, integer digits, perhaps a point and fraction digits.
struct PlainNumber {
    TextView sign;
    Text integer;
    bool point = true;
    Text fraction;

    [[nodiscard]] Text text() const {
        return Text(sign) + integer + (point ? u"." : u"") + fraction;
    }
};

TextView randomSign(OperandMaker& maker) {
    static const std::array<TextView, 4> kSigns = {u"", u"", u"-", u"+"};
    return kSigns[maker.below(kSigns.size())];
}

// Any part may be missing or carry extra zeros: "-", "007", ".", "12.", ".50", "+0.0".
PlainNumber randomPlain(OperandMaker& maker, std::size_t maxDigits) {
    PlainNumber x;
    x.sign = randomSign(maker);
    if (!maker.chance(5)) {
        x.integer = maker.digits(1 + maker.below(maxDigits));
    }
    if (maker.chance(4)) {
        x.integer.insert(0, 1 + maker.below(3), u'0');
    }
    x.point = !maker.chance(6);
    if (x.point && !maker.chance(5)) {
        x.fraction = maker.digits(1 + maker.below(maxDigits));
    }
    if (x.point && maker.chance(4)) {
        x.fraction.append(1 + maker.below(3), u'0');
    }
    return x;
}

// The digits that sum to 9 with the given ones, place by place.
Text nineComplement(TextView digits) {
    Text out;
    for (const char16_t d : digits) {
        out.push_back(static_cast<char16_t>(u'9' - (d - u'0')));
    }
    return out;
}

// A second operand for x that drives the operations to their edges: the same value (perhaps
// with more zeros), a value one unit away in one place, or digit sums of 9 in every place
// (perhaps one more in the last), so that carries, borrows and cancellations run through the
// whole number and across the point.
PlainNumber partnerOf(OperandMaker& maker, const PlainNumber& x, std::size_t maxDigits) {
    PlainNumber y = x;
    y.sign = randomSign(maker);
    switch (maker.below(4)) {
        case 0:
            return randomPlain(maker, maxDigits);
        case 1:
            y.integer.insert(0, maker.below(2), u'0');
            y.fraction.append(y.point ? maker.below(2) : 0, u'0');
            break;
        case 2: {
            Text& part = y.integer.empty() || (!y.fraction.empty() && maker.chance(2)) ? y.fraction
                                                                                       : y.integer;
            if (!part.empty()) {
                char16_t& d = part[maker.below(part.size())];
                d = static_cast<char16_t>(d == u'9' || (d != u'0' && maker.chance(2)) ? d - 1
                                                                                      : d + 1);
            }
            break;
        }
        default:
            y.integer = nineComplement(x.integer);
            y.fraction = nineComplement(x.fraction);
            if (!y.fraction.empty() && y.fraction.back() != u'9' && maker.chance(2)) {
                ++y.fraction.back();
            }
            break;
    }
    return y;
}

void expectSameSumAndDifferences(const Text& a, const Text& b) {
    // The result variable starts out longer than any result, holding digits: a slot that the
    // result leaves unwritten would show.
    const Start start{Text(a.size() + b.size() + 8, u'7')};
    expectSame(Op::kRealAdd, a, b, start);
    expectSame(Op::kRealSub, a, b, start);
    expectSame(Op::kRealSub, b, a, start);
}

TEST(Differential, PlainPointNumbers) {
    OperandMaker maker(0x5eed0008);
    for (int i = 0; i < 3000; ++i) {
        const std::size_t maxDigits = i % 8 == 0 ? 90 : 12;
        const PlainNumber x = randomPlain(maker, maxDigits);
        expectSameSumAndDifferences(x.text(), partnerOf(maker, x, maxDigits).text());
    }
}

TEST(Differential, PlainPointNumbersNearTheLengthLimit) {
    OperandMaker maker(0x5eed0009);
    for (int i = 0; i < 24; ++i) {
        // Texts of 32764 to 32767 units, and partners whose fraction takes the first one's
        // scaled length to the limit or one past it.
        PlainNumber x;
        x.sign = randomSign(maker);
        const std::size_t digits = kMaxOperandLength - 3 + maker.below(4) - x.sign.size();
        x.integer = maker.digits(1 + maker.below(digits - 1));
        x.fraction = maker.digits(digits - x.integer.size());
        PlainNumber y = partnerOf(maker, x, 8);
        if (i % 2 == 1) {
            y.integer = maker.digits(maker.below(3));
            y.point = true;
            y.fraction = maker.digits(kMaxOperandLength - 1 - x.sign.size() - x.integer.size() +
                                      maker.below(3));
        }
        expectSameSumAndDifferences(x.text(), y.text());
    }
    // An integer of full length is scaled by one place as soon as the other operand has a point.
    const Text nines(kMaxOperandLength, u'9');
    for (const TextView other : {u"1.", u"-.5", u"+0.", u"1", u"-1"}) {
        expectSameSumAndDifferences(nines, Text(other));
    }
    expectSameSumAndDifferences(u"-" + nines.substr(2) + u".9", u".1");
}

// Integer addition, subtraction and comparison of plain integers ([sign][zeros]digits) work
// straight on the text in blocks of 16 and 32 digits: lengths on both sides of those widths,
// partners that make carries and borrows run through the whole text or cancel at the top, and
// leading zeros on either side.
void expectSameIntegerOps(const Text& a, const Text& b) {
    // As for the point operations: a result variable longer than the result, full of digits.
    const Start start{Text(a.size() + b.size() + 8, u'7')};
    expectSame(Op::kAdd, a, b, start);
    expectSame(Op::kSub, a, b, start);
    expectSame(Op::kSub, b, a, start);
    expectSame(Op::kComp, a, b);
}

PlainNumber plainInteger(OperandMaker& maker, std::size_t length) {
    PlainNumber x;
    x.sign = randomSign(maker);
    x.point = false;
    x.integer = maker.digits(length);
    if (maker.chance(5)) {
        x.integer.insert(0, 1 + maker.below(20), u'0');
    }
    return x;
}

TEST(Differential, PlainIntegersAroundTheBlockWidths) {
    constexpr std::array<std::size_t, 16> kLengths = {1,  2,  15, 16, 17, 31, 32,  33,
                                                      34, 47, 48, 63, 64, 65, 100, 999};
    OperandMaker maker(0x5eed000a);
    for (int i = 0; i < 1500; ++i) {
        const PlainNumber x = plainInteger(maker, kLengths[maker.below(kLengths.size())]);
        PlainNumber y = partnerOf(maker, x, 70);
        y.point = false;
        y.fraction.clear();
        if (maker.chance(3)) {
            y.integer = maker.digits(kLengths[maker.below(kLengths.size())]);
        }
        expectSameIntegerOps(x.text(), y.text());
    }
}

TEST(Differential, PlainIntegersEdgeForms) {
    const Text nines(64, u'9');
    const Text power = u"1" + Text(64, u'0');
    const std::array<std::array<Text, 2>, 20> kPairs = {{
        {u"007", u"0"},   {u"-0", u"0"},     {u"0", u"-0"},         {u"-0", u"-0"},
        {u"-000", u"+0"}, {u"", u"-"},       {u"-", u"5"},          {u"+", u"-007"},
        {u"-007", u"0"},  {u"0", u"-007"},   {u"-0", u"007"},       {u"+5", u"0"},
        {u"+5", u"-"},    {u"1000", u"999"}, {u"-1000", u"-1"},     {nines, u"1"},
        {power, u"1"},    {power, nines},    {u"-" + nines, u"-1"}, {u"0" + power, u"-" + nines},
    }};
    for (const auto& [a, b] : kPairs) {
        expectSameIntegerOps(a, b);
    }
}

// A unit that is no digit (a blank among them), before, at or after the first difference, in
// texts whose digits are checked in blocks: units above 0xFF and at or above 0x8000 saturate
// when packed to bytes.
TEST(Differential, StrayUnitsAnywhereInPlainIntegers) {
    constexpr std::array<char16_t, 8> kStray = {u' ',   u'a',   u'/',   u':',
                                                0x0130, 0x0135, 0x8030, 0xFF10};
    OperandMaker maker(0x5eed000c);
    for (int i = 0; i < 600; ++i) {
        const std::size_t length = 14 + maker.below(40);
        Text a = maker.digits(length);
        Text b = a;
        const std::size_t differs = maker.below(length);
        b[differs] = b[differs] == u'9' ? u'8' : static_cast<char16_t>(b[differs] + 1);
        Text& target = maker.chance(2) ? b : a;
        target[maker.below(length)] = kStray[maker.below(kStray.size())];
        const Text sign = Text(randomSign(maker));
        expectSameIntegerOps(sign + a, sign + b);
    }
}

TEST(Differential, PlainIntegersAtTheLengthLimit) {
    OperandMaker maker(0x5eed000b);
    const Text nines(kMaxOperandLength - 1, u'9');
    const Text power = u"1" + Text(kMaxOperandLength - 1, u'0');
    for (const TextView sign : {u"", u"-", u"+"}) {
        const Text signedNines = Text(sign) + nines;
        expectSameIntegerOps(signedNines, u"1");
        expectSameIntegerOps(signedNines, u"-" + nineComplement(signedNines.substr(sign.size())));
        expectSameIntegerOps(Text(sign) + power, u"1");  // one unit over the limit with a sign
        expectSameIntegerOps(Text(sign) + power.substr(1), u"-1");
    }
    for (int i = 0; i < 6; ++i) {
        const PlainNumber x = plainInteger(maker, kMaxOperandLength - 1 - maker.below(3));
        PlainNumber y = partnerOf(maker, x, 8);
        y.point = false;
        y.fraction.clear();
        expectSameIntegerOps(x.text(), y.text());
    }
}

TEST(Differential, ShortOperandsInEveryForm) {
    OperandMaker maker(0x5eed0001);
    for (int i = 0; i < 800; ++i) {
        const Text a1 = maker.operand(20);
        const Text a2 = maker.operand(20);
        for (const Op op : kAllOps) {
            expectSame(op, a1, a2);
        }
    }
}

TEST(Differential, MediumOperandsInEveryForm) {
    OperandMaker maker(0x5eed0002);
    for (int i = 0; i < 60; ++i) {
        const Text a1 = maker.operand(300);
        const Text a2 = maker.operand(i % 3 == 0 ? 300 : 30);
        for (const Op op : kAllOps) {
            expectSame(op, a1, a2);
        }
    }
}

TEST(Differential, AdditionSubtractionAndComparisonAtTheLengthLimit) {
    OperandMaker maker(0x5eed0003);
    for (int i = 0; i < 40; ++i) {
        // Lengths from a few under the limit to one over it, with their sign and blanks.
        Text a1 = maker.operand(kMaxOperandLength, kMaxOperandLength - 6);
        Text a2 =
            i % 2 == 0 ? maker.operand(kMaxOperandLength, kMaxOperandLength - 6) : maker.operand(3);
        a1.resize(std::min(a1.size(), kMaxOperandLength + 1));
        for (const Op op : kLinearOps) {
            expectSame(op, a1, a2);
        }
    }
    const Text nines(kMaxOperandLength, u'9');
    expectSame(Op::kAdd, nines, nines);
    expectSame(Op::kAdd, nines, u"1");
    expectSame(Op::kSub, u"-" + nines.substr(1), nines.substr(1));
    expectSame(Op::kComp, nines, nines.substr(1) + u"8");
    expectSame(Op::kRealAdd, nines.substr(2) + u".9", u".1");
}

TEST(Differential, MultiplicationWhereTheProductReachesTheLengthLimit) {
    constexpr std::array<std::size_t, 5> kLongLengths = {32700, 32760, 32764, 32765, 32766};
    for (const std::size_t longLength : kLongLengths) {
        for (const TextView factor : {u"9", u"99", u"10", u"999", u"-2", u"+01", u"0"}) {
            const Text nines(longLength, u'9');
            const Text ones(longLength, u'1');
            expectSame(Op::kMult, nines, factor);
            expectSame(Op::kMult, factor, ones);
            expectSame(Op::kRealMult, nines.substr(1) + u".9", factor);
        }
    }
    OperandMaker maker(0x5eed0004);
    const Text a = maker.digits(1000);
    expectSame(Op::kMult, a, maker.digits(1000));
    expectSame(Op::kRealMult, u"-" + a + u".5", u"." + maker.digits(900));
}

TEST(Differential, DivisionWithLongDividends) {
    OperandMaker maker(0x5eed0005);
    const Text nines(kMaxOperandLength, u'9');
    for (const TextView divisor : {u"1", u"7", u"-10", u"0007", u"99", u"-0", u"-00", u"+0"}) {
        expectSame(Op::kDiv, nines, divisor);
    }
    expectSame(Op::kDiv, nines, nines.substr(5));
    expectSame(Op::kDiv, maker.digits(32000), maker.digits(31995));
    expectSame(Op::kDiv, maker.digits(32000), u"-" + maker.digits(31996));
    expectSame(Op::kDiv, u"1" + Text(kMaxOperandLength - 1, u'0'), u"0" + nines.substr(3));
}

TEST(Differential, DivisionLeavesTheOutputVariablesAlike) {
    OperandMaker maker(0x5eed0006);
    for (int i = 0; i < 120; ++i) {
        const Text a1 = maker.operand(30);
        const Text a2 = maker.operand(8);
        const Start start{maker.operand(5), maker.operand(5),
                          static_cast<std::int16_t>(maker.below(5))};
        expectSame(Op::kDiv, a1, a2, start);
    }
}

TEST(Differential, OperandsMayBeTheOutputVariables) {
    OperandMaker maker(0x5eed0007);
    for (int i = 0; i < 120; ++i) {
        const Text a1 = maker.operand(25);
        const Text a2 = maker.operand(25);
        for (const Op op : kAllOps) {
            EXPECT_EQ(runAliased(kEntryPoints, op, a1, a2), runAliased(kStepByStep, op, a1, a2))
                << nameOf(op) << " in place (\"" << printable(a1) << "\", \"" << printable(a2)
                << "\")";
        }
    }
}

}  // namespace
}  // namespace kestrum::aserv

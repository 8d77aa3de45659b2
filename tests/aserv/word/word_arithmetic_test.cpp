// The word paths against the step-by-step path: on operands around every bound they check (the
// digit count of a word operand, sign forms, zero forms, points, forms they must decline), each
// word operation either declines and writes nothing, or gives exactly what the general path
// gives. The entry points, which try the word paths first, are compared the same way on random
// short operands.
#include "word/word_arithmetic.h"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
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
#include "test_support.h"

namespace kestrum::aserv {
namespace {

using support::narrow;

// Everything a call leaves behind; `handled` is false when a word path declined.
struct Outcome {
    bool handled = true;
    int error = 0;
    Text first = u"first";
    Text second = u"second";
    std::int16_t number = 7;
    bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& o, std::ostream* os) {
    *os << (o.handled ? "" : "declined ") << "error " << o.error << " \"" << narrow(o.first)
        << "\" \"" << narrow(o.second) << "\" " << o.number;
}

template <class Call>
Outcome outcomeOf(Call&& call) {
    Outcome out;
    try {
        out.handled = call(out);
    } catch (const AServError& error) {
        out.error = error.number();
    }
    return out;
}

using WordString = bool (*)(TextView, TextView, Text&);
using GeneralString = void (*)(TextView, TextView, Text&);

struct StringOp {
    const char* name;
    WordString word;
    GeneralString entry;
    GeneralString general;
};

const std::array<StringOp, 4> kStringOps = {{
    {"intAdd", addWords, intAdd, general::intAdd},
    {"intSub", subtractWords, intSub, general::intSub},
    {"intMult", multiplyWords, intMult, general::intMult},
    {"realMult", multiplyPointWords, realMult, general::realMult},
}};

Outcome generalString(GeneralString op, TextView a1, TextView a2) {
    return outcomeOf([&](Outcome& o) {
        op(a1, a2, o.first);
        return true;
    });
}

Outcome generalCompare(TextView a1, TextView a2) {
    return outcomeOf([&](Outcome& o) {
        general::intComp(a1, a2, o.number);
        return true;
    });
}

Outcome generalDivide(TextView a1, TextView a2) {
    return outcomeOf([&](Outcome& o) {
        general::intDiv(a1, a2, o.first, o.second, o.number);
        return true;
    });
}

// Counts how many calls each word path answered, so that a path that declines everything fails.
struct Answered {
    std::array<std::size_t, 6> counts{};
};

// Checks every word operation on one pair: declined with nothing written, or the general result.
void checkWordPaths(TextView a1, TextView a2, Answered& answered) {
    const Outcome untouched;
    for (std::size_t i = 0; i < kStringOps.size(); ++i) {
        const StringOp& op = kStringOps[i];
        const Outcome word = outcomeOf([&](Outcome& o) { return op.word(a1, a2, o.first); });
        if (!word.handled) {
            EXPECT_EQ(word.first, untouched.first) << op.name << " declined but wrote";
            continue;
        }
        ++answered.counts[i];
        EXPECT_EQ(word, generalString(op.general, a1, a2))
            << op.name << "(\"" << narrow(a1) << "\", \"" << narrow(a2) << "\")";
    }
    const Outcome compare = outcomeOf([&](Outcome& o) { return compareWords(a1, a2, o.number); });
    if (compare.handled) {
        ++answered.counts[4];
        EXPECT_EQ(compare, generalCompare(a1, a2))
            << "intComp(\"" << narrow(a1) << "\", \"" << narrow(a2) << "\")";
    } else {
        EXPECT_EQ(compare.number, untouched.number);
    }
    const Outcome divide =
        outcomeOf([&](Outcome& o) { return divideWords(a1, a2, o.first, o.second, o.number); });
    if (divide.handled) {
        ++answered.counts[5];
        EXPECT_EQ(divide, generalDivide(a1, a2))
            << "intDiv(\"" << narrow(a1) << "\", \"" << narrow(a2) << "\")";
    } else {
        EXPECT_EQ(divide, (Outcome{false}));
    }
}

// Operands at the bounds the word paths check, and forms they must leave to the general path;
// the last ones hold distinct digits either side of the nine-digit groups that 32-bit builds
// read in one word.
const std::vector<Text> kEdgeOperands = {u"0",
                                         u"-0",
                                         u"+0",
                                         u"00",
                                         u"-00",
                                         u"-+0",
                                         u"007",
                                         u"-007",
                                         u"+007",
                                         u"-+7",
                                         u"+-7",
                                         u"--7",
                                         u"++7",
                                         u"9",
                                         u"10",
                                         u"-10",
                                         u"999999999",
                                         u"1000000000",
                                         u"-9999999999",
                                         u"4294967295",
                                         u"4294967296",
                                         u"99999999999999999",
                                         u"999999999999999999",
                                         u"-999999999999999999",
                                         u"000000000000000001",
                                         u"1000000000000000000",
                                         u"0000000000000000000",
                                         u"18446744073709551615",
                                         u"18446744073709551616",
                                         u"",
                                         u"-",
                                         u"+",
                                         u".",
                                         u"-.",
                                         u"+.",
                                         u"1 2",
                                         u" 5",
                                         u"1a",
                                         u"a",
                                         u"1.5",
                                         u".5",
                                         u"5.",
                                         u"-.5",
                                         u"+.5",
                                         u"-0.0",
                                         u"0.00",
                                         u"0.0",
                                         u"-5.",
                                         u"12345.67890",
                                         u"-12345.67890",
                                         u"0.000000000000000001",
                                         u".000000000000000001",
                                         u"99999999.99999999",
                                         u"9999999999999999.9",
                                         u"99999999999999999.9",
                                         u"999999999999999999.",
                                         u"0.5",
                                         u"-0.5",
                                         u"1.2.3",
                                         u"1.a",
                                         u"0.25",
                                         u"0.2",
                                         u"-0.07",
                                         u"0.05",
                                         u"100",
                                         u"0.01",
                                         u"7.500",
                                         u"123456789",
                                         u"1234567891",
                                         u"12345678912345678",
                                         u"-123456789123456789",
                                         u"12345.6789",
                                         u"1234567.89123",
                                         u"123456789.123456789",
                                         u"8765432109876543.21"};

TEST(WordPaths, AgreeWithGeneralPathOnEdgeOperands) {
    Answered answered;
    for (const Text& a1 : kEdgeOperands) {
        for (const Text& a2 : kEdgeOperands) {
            checkWordPaths(a1, a2, answered);
        }
    }
    for (std::size_t i = 0; i < answered.counts.size(); ++i) {
        EXPECT_GT(answered.counts[i], 100U) << "word path " << i << " answered too few calls";
    }
}

TEST(WordPaths, ZeroDivisorEndsBeforeTheDividendIsRead) {
    const Text longDividend(40000, u'7');
    for (const TextView dividend : {TextView(u"abc"), TextView(longDividend), TextView(u"")}) {
        for (const TextView divisor : {u"0", u"-0", u"000", u"-+0"}) {
            Outcome word = outcomeOf([&](Outcome& o) {
                return divideWords(dividend, divisor, o.first, o.second, o.number);
            });
            EXPECT_EQ(word, generalDivide(dividend, divisor)) << narrow(divisor);
            EXPECT_EQ(word, (Outcome{true, 0, u"0", u"0", 1}));
        }
    }
}

// A random short operand: digit counts around the word bound, sign forms, leading zeros,
// sometimes a point, a blank or a letter.
Text randomOperand(std::mt19937_64& rng) {
    const auto below = [&rng](std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(rng);
    };
    static const std::array<TextView, 7> kSigns = {u"", u"", u"", u"-", u"+", u"-+", u"+-"};
    Text text(kSigns[below(kSigns.size())]);
    const std::size_t digits = below(21);
    const std::size_t zeros = below(4) == 0 ? below(4) : 0;
    text.append(zeros, u'0');
    for (std::size_t i = zeros; i < digits; ++i) {
        text.push_back(static_cast<char16_t>(u'0' + (below(3) == 0 ? 9 : below(10))));
    }
    if (below(2) == 0) {
        text.insert(below(text.size() + 1), 1, u'.');
    }
    if (below(30) == 0) {
        text.insert(below(text.size() + 1), 1, below(2) == 0 ? u' ' : u'x');
    }
    return text;
}

TEST(WordPaths, EntryPointsAgreeWithGeneralPathOnRandomShortOperands) {
    std::mt19937_64 rng(12);
    Answered answered;
    for (int i = 0; i < 10000; ++i) {
        const Text a1 = randomOperand(rng);
        const Text a2 = randomOperand(rng);
        checkWordPaths(a1, a2, answered);
        for (const StringOp& op : kStringOps) {
            EXPECT_EQ(generalString(op.entry, a1, a2), generalString(op.general, a1, a2))
                << op.name << "(\"" << narrow(a1) << "\", \"" << narrow(a2) << "\")";
        }
        const Outcome compare = outcomeOf([&](Outcome& o) {
            intComp(a1, a2, o.number);
            return true;
        });
        EXPECT_EQ(compare, generalCompare(a1, a2));
        const Outcome divide = outcomeOf([&](Outcome& o) {
            intDiv(a1, a2, o.first, o.second, o.number);
            return true;
        });
        EXPECT_EQ(divide, generalDivide(a1, a2)) << narrow(a1) << " / " << narrow(a2);
    }
    for (std::size_t i = 0; i < answered.counts.size(); ++i) {
        EXPECT_GT(answered.counts[i], 500U) << "word path " << i << " answered too few calls";
    }
}

// The result may be the same variable as an operand: the word paths read both first.
TEST(WordPaths, ResultMayHoldAnOperand) {
    for (const StringOp& op : kStringOps) {
        const bool point = op.name[0] == 'r';
        for (const TextView pair : {u"-125|4", u"12|-0", u"-007|0", u"999999999999999999|2",
                                    point ? u"-1.5|.25" : u"+6|-3"}) {
            const std::size_t bar = pair.find(u'|');
            const Text a1(pair.substr(0, bar));
            const Text a2(pair.substr(bar + 1));
            Text expected;
            op.general(a1, a2, expected);
            Text first = a1;
            op.entry(first, a2, first);
            EXPECT_EQ(first, expected) << op.name << " " << narrow(pair);
            Text second = a2;
            op.entry(a1, second, second);
            EXPECT_EQ(second, expected) << op.name << " " << narrow(pair);
        }
    }
}

}  // namespace
}  // namespace kestrum::aserv

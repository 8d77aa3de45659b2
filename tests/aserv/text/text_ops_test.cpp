#include "text/text_ops.h"

#include <gtest/gtest.h>

#include <cstddef>

#include "text/aserv_error.h"

namespace kestrum::aserv {
namespace {

// The block scan must find the first point wherever it falls relative to its 64-unit blocks.
TEST(FindUnit, FindsTheFirstPointAtEveryBlockBoundary) {
    for (const std::size_t length : {0U, 1U, 63U, 64U, 65U, 128U, 200U}) {
        const Text digits(length, u'7');
        EXPECT_EQ(findUnit(digits, kPoint), TextView::npos) << length;
        for (std::size_t at = 0; at < length; ++at) {
            Text text = digits;
            text[at] = kPoint;
            if (at + 70 < length) {
                text[at + 70] = kPoint;  // a later point does not count
            }
            ASSERT_EQ(findUnit(text, kPoint), at) << length;
            ASSERT_EQ(pointPosition(text), static_cast<long>(at) + 1);
        }
    }
}

// Negative counts are error 5; counts past the end give the whole text.
TEST(StringOperations, FirstAndLastCharactersFollowTheirEdgeRules) {
    EXPECT_EQ(firstChars(u"12345", 0), u"");
    EXPECT_EQ(firstChars(u"12345", 9), u"12345");
    EXPECT_EQ(lastChars(u"12345", 2), u"45");
    EXPECT_EQ(lastChars(u"12345", 9), u"12345");
    EXPECT_EQ(zeros(3), u"000");
    for (const long bad : {-1L, -32768L}) {
        EXPECT_THROW((void)firstChars(u"1", bad), AServError);
        EXPECT_THROW((void)lastChars(u"1", bad), AServError);
        EXPECT_THROW((void)zeros(bad), AServError);
    }
    EXPECT_THROW((void)charForCode(256), AServError);
    EXPECT_EQ(charForCode(57), u'9');
}

TEST(StringOperations, CharactersOutsideAsciiAreNeverDigits) {
    // U+0135 has the low byte of "5"; U+FF15 is a fullwidth "5".
    for (const char16_t c : {u'\u0135', u'\uFF15', u'\u0660'}) {
        EXPECT_FALSE(isDigit(c));
        EXPECT_GT(digitValue(c), 9);
    }
    EXPECT_EQ(digitValue(u'7'), 7);
}

}  // namespace
}  // namespace kestrum::aserv

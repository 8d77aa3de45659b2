#include "text/no_spaces.h"

#include <gtest/gtest.h>

#include "text/aserv_error.h"

namespace kestrum::aserv {
namespace {

struct NoSpacesCase {
    Text source;
    Text expected;
};

class NoSpacesTest : public testing::TestWithParam<NoSpacesCase> {};

TEST_P(NoSpacesTest, RemovesOnlyBlanks) {
    EXPECT_EQ(noSpaces(GetParam().source), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, NoSpacesTest,
                         testing::Values(NoSpacesCase{u"", u""}, NoSpacesCase{u"   ", u""},
                                         NoSpacesCase{u" 1 2 ", u"12"}, NoSpacesCase{u"- 5", u"-5"},
                                         NoSpacesCase{u"1\t2", u"1\t2"},
                                         NoSpacesCase{u"1\u00A02", u"1\u00A02"},
                                         NoSpacesCase{u"1\n2", u"1\n2"}));

int errorOf(const Text& source) {
    try {
        (void)noSpaces(source);
    } catch (const AServError& error) {
        return error.number();
    }
    return 0;
}

TEST(NoSpacesLimit, AcceptsUpTo32766CharactersBlanksIncluded) {
    Text longest(32766, u'7');
    longest[100] = u' ';
    EXPECT_EQ(noSpaces(longest).size(), 32765U);
    EXPECT_EQ(errorOf(Text(32767, u'7')), kOverflow);
    EXPECT_EQ(errorOf(Text(32767, u' ')), kOverflow);
    EXPECT_EQ(errorOf(Text(40000, u'1')), kOverflow);
}

}  // namespace
}  // namespace kestrum::aserv

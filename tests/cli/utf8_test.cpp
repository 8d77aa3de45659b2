#include "utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrum::cli {
namespace {

TEST(Utf8, RoundTripsEveryPlane) {
    const std::string text = "12 a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // ASCII, é, €, emoji
    const auto utf16 = utf8ToUtf16(text);
    ASSERT_TRUE(utf16.has_value());
    EXPECT_EQ(*utf16, u"12 a\u00E9\u20AC\U0001F600");
    EXPECT_EQ(utf16ToUtf8(*utf16), text);
}

TEST(Utf8, RejectsMalformedInput) {
    for (const std::string bad :
         {"\x80", "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF", "1\xE2\x82"}) {
        EXPECT_FALSE(utf8ToUtf16(bad).has_value()) << testing::PrintToString(bad);
    }
}

TEST(Utf8, UnpairedSurrogateBecomesReplacementCharacter) {
    EXPECT_EQ(utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace kestrum::cli

#include "platform/text.h"

#include <gtest/gtest.h>

namespace keldra::text {
namespace {

TEST(Text, Utf8AndUtf16RoundTripEveryKindOfCharacter) {
    const std::string samples[] = {"", "plain ASCII", "Grüße €", "日本語", "\xF0\x9F\x94\x91 key"};
    for (const auto& s : samples) {
        EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(s)), s);
    }
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x94\x91"), std::u16string(u"\U0001F511"));
    EXPECT_EQ(Utf8ToUtf16("é"), std::u16string(u"\u00E9"));
}

TEST(Text, UnpairedSurrogatesSurviveTheRoundTrip) {
    // Windows names may hold them; a replacement character would name another key.
    const std::u16string lone{u'a', static_cast<char16_t>(0xD800), u'b',
                              static_cast<char16_t>(0xDC01)};
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(lone)), lone);
}

TEST(Text, MalformedUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b"),
              (std::u16string{u'a', 0xFFFD, u'b'}));
    EXPECT_EQ(Utf8ToUtf16("\xC3"), (std::u16string{0xFFFD}));              // cut short
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), (std::u16string{0xFFFD, 0xFFFD}));  // overlong '/'
}

TEST(Text, CaseFoldingCoversLatinGreekAndCyrillic) {
    EXPECT_TRUE(EqualNoCase(u"Software\\Classes", u"SOFTWARE\\classes"));
    EXPECT_TRUE(EqualNoCase(u"Ärger", u"äRGER"));
    EXPECT_TRUE(EqualNoCase(u"Ключ", u"КЛЮЧ"));
    EXPECT_TRUE(EqualNoCase(u"Łódź", u"ŁÓDŹ"));
    EXPECT_TRUE(EqualNoCase(u"αβγ", u"ΑΒΓ"));
    EXPECT_FALSE(EqualNoCase(u"a", u"b"));
    EXPECT_FALSE(EqualNoCase(u"ab", u"abc"));
    EXPECT_LT(CompareNoCase(u"_x", u"Abc"), 0) << "lower-case order puts '_' before letters";
    EXPECT_LT(CompareNoCase(u"Zed", u"ä"), 0);
    for (char16_t u = 0; u < 0x500; ++u) {
        // Upper and lower case meet in one place, whichever side a name starts from.
        EXPECT_EQ(DowncaseUnit(UpcaseUnit(u)), DowncaseUnit(UpcaseUnit(DowncaseUnit(u))))
            << static_cast<int>(u);
    }
    EXPECT_LT(CompareNoCase(u"ab", u"abc"), 0);
}

TEST(Text, Utf16LeBytesIgnoreATrailingOddByte) {
    const std::vector<std::uint8_t> bytes{'a', 0, 'b', 0, 'c'};
    EXPECT_EQ(FromUtf16LeBytes(bytes), u"ab");
    EXPECT_EQ(ToUtf16LeBytes(u"é"), (std::vector<std::uint8_t>{0xE9, 0x00}));
}

}  // namespace
}  // namespace keldra::text

// The registry-editor entries of values of every type, as golden texts, and the values the
// format cannot carry exactly, which get no entry.
#include "registry/regedit4.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sim/sim_text_file.h"
#include "platform/text.h"

namespace keldra::regedit4 {
namespace {

namespace reg_root = platform::reg_root;
namespace reg_type = platform::reg_type;
using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

Bytes Utf16(std::u16string_view text) {
    return text::ToUtf16LeBytes(text);
}
// String data as programs store it, with the terminating NUL.
Bytes Sz(std::u16string_view text) {
    Bytes b = Utf16(text);
    b.insert(b.end(), {0, 0});
    return b;
}
Bytes Counting(std::size_t count) {
    Bytes b(count);
    for (std::size_t i = 0; i < count; ++i) {
        b[i] = static_cast<std::uint8_t>(i);
    }
    return b;
}

class Regedit4 : public ::testing::Test {
  protected:
    std::optional<Lines> Of(std::string_view name, std::uint32_t type, const Bytes& data,
                            std::string_view path = "Software\\Keldra") {
        return Entry(reg_root::kCurrentUser, path, name, type, data, ansi_);
    }
    // The value line(s) of an entry under the usual key.
    Lines Value(std::string_view name, std::uint32_t type, const Bytes& data) {
        const auto entry = Of(name, type, data);
        if (!entry) {
            ADD_FAILURE() << "no entry for " << name;
            return {};
        }
        EXPECT_EQ(entry->front(), "[HKEY_CURRENT_USER\\Software\\Keldra]");
        EXPECT_EQ(entry->back(), "") << "an entry ends with an empty line";
        return Lines(entry->begin() + 1, entry->end() - 1);
    }

    platform::sim::Windows1252 ansi_;
};

TEST_F(Regedit4, StringsAreQuotedWithBackslashesAndQuotesEscaped) {
    EXPECT_EQ(Value("Path", reg_type::kSz, Sz(u"C:\\Program Files\\App\\app.exe")),
              Lines{"\"Path\"=\"C:\\\\Program Files\\\\App\\\\app.exe\""});
    EXPECT_EQ(Value("a\\b\"c", reg_type::kSz, Sz(u"say \"hi\"")),
              Lines{"\"a\\\\b\\\"c\"=\"say \\\"hi\\\"\""});
    EXPECT_EQ(Value("Empty", reg_type::kSz, Sz(u"")), Lines{"\"Empty\"=\"\""});
    EXPECT_EQ(Value("caf\xC3\xA9", reg_type::kSz, Sz(u"\u00E9t\u00E9 \u20AC")),
              Lines{"\"caf\xE9\"=\"\xE9t\xE9 \x80\""})
        << "8-bit text in the code page";
    EXPECT_EQ(Value("semi;colon = [x]", reg_type::kSz, Sz(u"; not a comment")),
              Lines{"\"semi;colon = [x]\"=\"; not a comment\""});
}

TEST_F(Regedit4, TheDefaultValueIsWrittenAsAnAt) {
    EXPECT_EQ(Value("", reg_type::kSz, Sz(u"x")), Lines{"@=\"x\""});
    EXPECT_EQ(Value("", reg_type::kDword, Bytes{1, 0, 0, 0}), Lines{"@=dword:00000001"});
    EXPECT_EQ(Value("", reg_type::kBinary, Bytes{0xAB}), Lines{"@=hex:ab"});
    EXPECT_EQ(Value("@", reg_type::kSz, Sz(u"x")), Lines{"\"@\"=\"x\""}) << "a value named @";
}

TEST_F(Regedit4, DwordsOfFourBytesAreEightLowerCaseDigitsOtherSizesHex) {
    EXPECT_EQ(Value("D", reg_type::kDword, Bytes{0xCD, 0xAB, 0, 0}), Lines{"\"D\"=dword:0000abcd"});
    EXPECT_EQ(Value("D", reg_type::kDword, Bytes{0xFF, 0xFF, 0xFF, 0xFF}),
              Lines{"\"D\"=dword:ffffffff"});
    EXPECT_EQ(Value("D", reg_type::kDword, Bytes{1, 2, 3}), Lines{"\"D\"=hex(4):01,02,03"});
    EXPECT_EQ(Value("D", reg_type::kDword, Bytes{}), Lines{"\"D\"=hex(4):"});
    EXPECT_EQ(Value("D", reg_type::kDword, Bytes{1, 0, 0, 0, 0}),
              Lines{"\"D\"=hex(4):01,00,00,00,00"});
}

TEST_F(Regedit4, BinaryAndEveryOtherTypeAreHexBytes) {
    EXPECT_EQ(Value("B", reg_type::kBinary, Bytes{0x00, 0xAB, 0xFF}), Lines{"\"B\"=hex:00,ab,ff"});
    EXPECT_EQ(Value("B", reg_type::kBinary, Bytes{}), Lines{"\"B\"=hex:"});
    EXPECT_EQ(Value("N", reg_type::kNone, Bytes{0x01, 0x0A}), Lines{"\"N\"=hex(0):01,0a"});
    EXPECT_EQ(Value("N", reg_type::kNone, Bytes{}), Lines{"\"N\"=hex(0):"});
    EXPECT_EQ(Value("Q", reg_type::kQword, Bytes{1, 0, 0, 0, 0, 0, 0, 0x80}),
              Lines{"\"Q\"=hex(b):01,00,00,00,00,00,00,80"});
    EXPECT_EQ(Value("L", reg_type::kLink, Utf16(u"\\R")), Lines{"\"L\"=hex(6):5c,00,52,00"});
    EXPECT_EQ(Value("Big", reg_type::kDwordBigEndian, Bytes{0, 0, 0, 1}),
              Lines{"\"Big\"=hex(5):00,00,00,01"});
    EXPECT_EQ(Value("X", 0x20000, Bytes{7}), Lines{"\"X\"=hex(20000):07"});
    EXPECT_EQ(Value("S", reg_type::kSz + 0x100, Bytes{7}), Lines{"\"S\"=hex(101):07"});
}

TEST_F(Regedit4, ExpandableAndMultipleStringsAreTheir8BitBytesWithTheNuls) {
    EXPECT_EQ(Value("E", reg_type::kExpandSz, Sz(u"%TEMP%\\x")),
              Lines{"\"E\"=hex(2):25,54,45,4d,50,25,5c,78,00"});
    EXPECT_EQ(Value("M", reg_type::kMultiSz, Sz(std::u16string(u"a\0b\u00E9\0", 5))),
              Lines{"\"M\"=hex(7):61,00,62,e9,00,00"});
    EXPECT_EQ(Value("M", reg_type::kMultiSz, Bytes{}), Lines{"\"M\"=hex(7):"});
    EXPECT_EQ(Value("E", reg_type::kExpandSz, Bytes{}), Lines{"\"E\"=hex(2):"});
}

TEST_F(Regedit4, LongHexDataIsWrappedAsTheRegistryEditorWrapsIt) {
    // "bin"=hex: is ten characters; after 23 bytes the line has 79 and is ended.
    EXPECT_EQ(Value("bin", reg_type::kBinary, Counting(30)),
              (Lines{"\"bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,"
                     "14,15,16,\\",
                     "  17,18,19,1a,1b,1c,1d"}));
    // @=hex: is six characters: 24 bytes fit on the first line.
    EXPECT_EQ(Value("", reg_type::kBinary, Counting(25)),
              (Lines{"@=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,"
                     "16,17,\\",
                     "  18"}));

    const Lines hundred = Value("bin", reg_type::kBinary, Counting(100));
    ASSERT_EQ(hundred.size(), 5u) << "23, then 25, 25 and 25, then 2 bytes";
    for (std::size_t i = 1; i < hundred.size(); ++i) {
        EXPECT_EQ(hundred[i].substr(0, 2), "  ") << i;
    }
    for (std::size_t i = 0; i + 1 < hundred.size(); ++i) {
        EXPECT_LE(hundred[i].size(), 80u) << i;
        EXPECT_EQ(hundred[i].substr(hundred[i].size() - 2), ",\\") << i;
    }
    EXPECT_EQ(hundred[1].size(), 78u) << "two blanks, 25 bytes and the backslash";
    EXPECT_EQ(hundred[4], "  62,63");

    // A name longer than the line: the first byte already ends it.
    const std::string longName(90, 'n');
    const Lines wide = Value(longName, reg_type::kNone, Bytes{1, 2});
    EXPECT_EQ(wide, (Lines{"\"" + longName + "\"=hex(0):01,\\", "  02"}));
    // Multiple strings wrap on their 8-bit bytes: 41 of them, 22 after "M"=hex(7):.
    const Lines multi = Value("M", reg_type::kMultiSz, Sz(std::u16string(40, u'x')));
    ASSERT_EQ(multi.size(), 2u);
    EXPECT_EQ(multi[0].size(), 11u + 22 * 3 + 1);
    EXPECT_EQ(multi[1], "  78,78,78,78,78,78,78,78,78,78,78,78,78,78,78,78,78,78,00");
}

TEST_F(Regedit4, TheKeyLineNamesTheRootAsTheEditorKnowsIt) {
    const Bytes x = Sz(u"x");
    EXPECT_EQ(Entry(reg_root::kLocalMachine, "Software\\A", "v", reg_type::kSz, x, ansi_),
              (Lines{"[HKEY_LOCAL_MACHINE\\Software\\A]", "\"v\"=\"x\"", ""}));
    EXPECT_EQ(Entry(reg_root::kClassesRoot, ".txt", "", reg_type::kSz, x, ansi_)->front(),
              "[HKEY_CLASSES_ROOT\\.txt]");
    EXPECT_EQ(Entry(reg_root::kUsers, ".DEFAULT\\x", "v", reg_type::kSz, x, ansi_)->front(),
              "[HKEY_USERS\\.DEFAULT\\x]");
    EXPECT_EQ(Entry(reg_root::kCurrentConfig, "S", "v", reg_type::kSz, x, ansi_)->front(),
              "[HKEY_CURRENT_CONFIG\\S]");
    EXPECT_EQ(Entry(reg_root::kDynData, "S", "v", reg_type::kSz, x, ansi_)->front(),
              "[HKEY_DYN_DATA\\S]");
    EXPECT_EQ(Entry(reg_root::kCurrentUser, "", "v", reg_type::kSz, x, ansi_)->front(),
              "[HKEY_CURRENT_USER]")
        << "a value of the root itself";
    EXPECT_EQ(
        Entry(reg_root::kCurrentUser, "Software\\\\A\\", "v", reg_type::kSz, x, ansi_)->front(),
        "[HKEY_CURRENT_USER\\Software\\A]")
        << "empty parts, which the registry skips, are left out";
    EXPECT_EQ(Entry(reg_root::kCurrentUser, "Soft[ware]\\caf\xC3\xA9", "v", reg_type::kSz, x, ansi_)
                  ->front(),
              "[HKEY_CURRENT_USER\\Soft[ware]\\caf\xE9]");
}

TEST_F(Regedit4, AValueTheEditorCouldNotRestoreExactlyGetsNoEntry) {
    struct Case {
        const char* what;
        platform::RegKey root;
        std::string path;
        std::string name;
        std::uint32_t type;
        Bytes data;
    };
    const platform::RegKey hkcu = reg_root::kCurrentUser;
    const std::vector<Case> cases{
        {"a root the editor does not import", reg_root::kPerformanceData, "S", "v", reg_type::kSz,
         Sz(u"x")},
        {"no root", 0, "S", "v", reg_type::kSz, Sz(u"x")},
        {"a key path with a line break", hkcu, "S\nT", "v", reg_type::kSz, Sz(u"x")},
        {"a key path outside the code page", hkcu, "S\\\xE4\xB8\x80", "v", reg_type::kSz, Sz(u"x")},
        {"a name with a line feed", hkcu, "S", "a\nb", reg_type::kSz, Sz(u"x")},
        {"a name with a carriage return", hkcu, "S", "a\rb", reg_type::kDword, Bytes{1, 0, 0, 0}},
        {"a name outside the code page", hkcu, "S", "\xE4\xB8\x80", reg_type::kBinary, Bytes{1}},
        {"a name with an unpaired surrogate", hkcu, "S", "\xED\xA0\x80", reg_type::kBinary,
         Bytes{1}},
        {"a string with a line feed", hkcu, "S", "v", reg_type::kSz, Sz(u"a\nb")},
        {"a string with a carriage return", hkcu, "S", "v", reg_type::kSz, Sz(u"a\rb")},
        {"a string with a NUL inside", hkcu, "S", "v", reg_type::kSz,
         Sz(std::u16string(u"a\0b", 3))},
        {"a string without its NUL", hkcu, "S", "v", reg_type::kSz, Utf16(u"abc")},
        {"a string of no bytes", hkcu, "S", "v", reg_type::kSz, Bytes{}},
        {"a string of an odd byte count", hkcu, "S", "v", reg_type::kSz, Bytes{'a', 0, 0}},
        {"a string outside the code page", hkcu, "S", "v", reg_type::kSz, Sz(u"\u4E00")},
        {"an expandable string outside the code page", hkcu, "S", "v", reg_type::kExpandSz,
         Sz(u"%A%\u0100")},
        {"an expandable string without its NUL", hkcu, "S", "v", reg_type::kExpandSz,
         Utf16(u"%A%")},
        {"an expandable string of an odd byte count", hkcu, "S", "v", reg_type::kExpandSz,
         Bytes{'a', 0, 0}},
        {"a multiple string outside the code page", hkcu, "S", "v", reg_type::kMultiSz,
         Sz(std::u16string(u"a\0\u4E00\0", 4))},
        {"a multiple string without its final NUL", hkcu, "S", "v", reg_type::kMultiSz,
         Utf16(std::u16string(u"a\0b", 3))},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Entry(c.root, c.path, c.name, c.type, c.data, ansi_), std::nullopt) << c.what;
    }
    // Odd sizes and any bytes are fine where the bytes are written as they are.
    EXPECT_TRUE(Entry(hkcu, "S", "v", reg_type::kBinary, Bytes{'\r', '\n', 0}, ansi_));
    EXPECT_TRUE(Entry(hkcu, "S", "v", reg_type::kNone, Bytes{0xFF}, ansi_));
}

}  // namespace
}  // namespace keldra::regedit4

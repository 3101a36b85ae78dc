// Reading REGEDIT4 files back: every entry the writer makes gives back its value exactly,
// the forms the registry editor knows are read as it reads them, and anything else makes
// the whole file unreadable.
#include "registry/regedit4_read.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sim/sim_text_file.h"
#include "platform/text.h"
#include "registry/regedit4.h"

namespace keldra::regedit4 {
namespace {

namespace reg_root = platform::reg_root;
namespace reg_type = platform::reg_type;
using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

Bytes Sz(std::u16string_view text) {
    Bytes b = text::ToUtf16LeBytes(text);
    b.insert(b.end(), {0, 0});
    return b;
}

class Regedit4Read : public ::testing::Test {
  protected:
    ReadFile Of(Lines lines) {
        lines.insert(lines.begin(), std::string(kHeader));
        return Read(lines, ansi_);
    }
    platform::sim::Windows1252 ansi_;
};

TEST_F(Regedit4Read, EveryEntryTheWriterMakesGivesItsValueBack) {
    struct Case {
        platform::RegKey root;
        std::string path;
        std::string name;
        std::uint32_t type;
        Bytes data;
    };
    Bytes counting(300);
    for (std::size_t i = 0; i < counting.size(); ++i) {
        counting[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    const std::vector<Case> cases{
        {reg_root::kCurrentUser, "Software\\Keldra", "Plain", reg_type::kSz, Sz(u"C:\\a b\\x.exe")},
        {reg_root::kLocalMachine, "Software\\Keldra", "Quoted \\ \"name\"", reg_type::kSz,
         Sz(u"\"C:\\gone\\app.exe\" /x \\\"y\\\" caf\u00E9")},
        {reg_root::kLocalMachine, "Software\\Keldra", "", reg_type::kSz, Sz(u"default")},
        {reg_root::kClassesRoot, "CLSID\\{x}", "Empty", reg_type::kSz, Sz(u"")},
        {reg_root::kUsers, ".DEFAULT\\K", "Expand", reg_type::kExpandSz,
         Sz(u"%SystemRoot%\\gone.dll")},
        {reg_root::kCurrentUser, "K", "Multi", reg_type::kMultiSz,
         text::ToUtf16LeBytes(std::u16string(u"a.dll\0second\0caf\u00E9\0\0", 20))},
        {reg_root::kCurrentUser, "K", "Multi empty", reg_type::kMultiSz, Bytes{}},
        {reg_root::kCurrentUser, "K", "Dword", reg_type::kDword, Bytes{0x78, 0x56, 0x34, 0x12}},
        {reg_root::kCurrentUser, "K", "Dword max", reg_type::kDword, Bytes{0xFF, 0xFF, 0xFF, 0xFF}},
        {reg_root::kCurrentUser, "K", "Short dword", reg_type::kDword, Bytes{1, 2}},
        {reg_root::kCurrentUser, "K", "Big endian", reg_type::kDwordBigEndian, Bytes{0, 0, 0, 9}},
        {reg_root::kCurrentUser, "K", "Qword", reg_type::kQword, Bytes{1, 2, 3, 4, 5, 6, 7, 8}},
        {reg_root::kCurrentUser, "K", "Binary long", reg_type::kBinary, counting},
        {reg_root::kCurrentUser, "K", "Binary empty", reg_type::kBinary, Bytes{}},
        {reg_root::kCurrentUser, "K", "None", reg_type::kNone, Bytes{1, 0, 0x0D, 0x0A}},
        {reg_root::kCurrentUser, "K", "Link", reg_type::kLink, Bytes{0x41, 0, 0x42, 0}},
        {reg_root::kCurrentUser, "K", "Own type", 0x12345, Bytes{9, 8, 7}},
        {reg_root::kCurrentConfig, "", "At the root", reg_type::kSz, Sz(u"r")},
        {reg_root::kCurrentUser, "Software\\A very long key name to make the hex lines wrap early",
         "A long value name as well, so the first line is full", reg_type::kBinary, counting},
    };
    Lines file;
    for (const Case& c : cases) {
        const auto entry = Entry(c.root, c.path, c.name, c.type, c.data, ansi_);
        ASSERT_TRUE(entry.has_value()) << c.name;
        file.insert(file.end(), entry->begin(), entry->end());
    }
    const ReadFile read = Of(file);
    ASSERT_TRUE(read.ok) << "line " << read.badLine << ": " << file[read.badLine - 1];
    ASSERT_EQ(read.values.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const ReadValue& v = read.values[i];
        EXPECT_EQ(v.root, c.root) << c.name;
        EXPECT_EQ(v.keyPath, c.path) << c.name;
        EXPECT_EQ(v.name, c.name);
        EXPECT_EQ(v.type, c.type) << c.name;
        EXPECT_EQ(v.data, c.data) << c.name;
    }
}

TEST_F(Regedit4Read, FormsOfTheRegistryEditorItselfAreReadAsItReadsThem) {
    const ReadFile read =
        Of({"", "; a comment", "[HKEY_CURRENT_USER\\K]  ", "  \"A\" = \"x\"  ", "\"B\"=dword:1f",
            "\"C\"=hex:01,  02,\\", "    03", "\"D\"=hex(2):41,42", "@=\"d\""});
    ASSERT_TRUE(read.ok) << read.badLine;
    ASSERT_EQ(read.values.size(), 5u);
    EXPECT_EQ(read.values[0].data, Sz(u"x"));
    EXPECT_EQ(read.values[1].data, (Bytes{0x1f, 0, 0, 0}));
    EXPECT_EQ(read.values[2].data, (Bytes{1, 2, 3}));
    EXPECT_EQ(read.values[3].data, Sz(u"AB")) << "the NUL the text lacks is added";
    EXPECT_EQ(read.values[4].name, "");
    ASSERT_EQ(read.comments.size(), 1u);
    EXPECT_EQ(read.comments[0].line, 2u);
    EXPECT_EQ(read.values[2].line, 6u);
}

TEST_F(Regedit4Read, AnythingElseMakesTheWholeFileUnreadable) {
    const std::vector<std::pair<Lines, std::size_t>> cases{
        {{"\"A\"=\"x\""}, 1},  // a value before any key
        {{"[HKEY_CURRENT_USER\\K]", "\"A\"=\"x"}, 2},
        {{"[HKEY_CURRENT_USER\\K]", "\"A\"=\"x\" trailing"}, 2},
        {{"[HKEY_CURRENT_USER\\K]", "\"A\"=\"a\\nb\""}, 2},  // no such escape in this format
        {{"[HKEY_CURRENT_USER\\K]", "\"A\"=-"}, 2},          // would delete the value
        {{"[-HKEY_CURRENT_USER\\K]"}, 1},                    // would delete the key
        {{"[HKCU\\K]"}, 1},
        {{"[HKEY_PERFORMANCE_DATA\\K]"}, 1},
        {{"[HKEY_CURRENT_USER\\K"}, 1},
        {{"[HKEY_CURRENT_USER\\K]", "\"A\"=dword:123456789"}, 2},
        {{"[HKEY_CURRENT_USER\\K]", "\"A\"=dword:"}, 2},
        {{"[HKEY_CURRENT_USER\\K]", "\"A\"=hex:1,2,zz"}, 2},
        {{"[HKEY_CURRENT_USER\\K]", "\"A\"=hex:123"}, 2},
        {{"[HKEY_CURRENT_USER\\K]", "\"A\"=hex(x):01"}, 2},
        {{"[HKEY_CURRENT_USER\\K]", "\"A\"=hex:01,\\"}, 2},  // the continuation is missing
        {{"[HKEY_CURRENT_USER\\K]", "\"A\"=hex:01,\\", "  zz"}, 3},
        {{"[HKEY_CURRENT_USER\\K]", "A=\"x\""}, 2},
        {{"[HKEY_CURRENT_USER\\K]", "\"A\"\"x\""}, 2},
        {{"[HKEY_CURRENT_USER\\K]", "\"A\"=str:x"}, 2},
    };
    for (const auto& [lines, badLine] : cases) {
        const ReadFile read = Of(lines);
        EXPECT_FALSE(read.ok) << lines.back();
        EXPECT_EQ(read.badLine, badLine) << lines.back();
        EXPECT_TRUE(read.values.empty());
    }
    EXPECT_FALSE(Read(Lines{"REGEDIT5", "[HKEY_CURRENT_USER\\K]"}, ansi_).ok);
    EXPECT_FALSE(Read(Lines{"Windows Registry Editor Version 5.00"}, ansi_).ok);
    EXPECT_FALSE(Read(Lines{}, ansi_).ok);
}

}  // namespace
}  // namespace keldra::regedit4

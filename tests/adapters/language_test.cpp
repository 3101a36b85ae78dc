// The language port over lang.dll: a stand-in library with the real export is copied in as
// lang.dll where a case wants one.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/win32/win32_language.h"
#include "support.h"

namespace keldra::testing {
namespace {

using platform::LanguagePort;
using platform::win32::Win32Language;

constexpr char kUntouched = '\x7F';

LanguagePort::Buffer FreshBuffer() {
    LanguagePort::Buffer buffer;
    buffer.fill(kUntouched);
    return buffer;
}

bool Untouched(const LanguagePort::Buffer& buffer) {
    return std::all_of(buffer.begin(), buffer.end(), [](char c) { return c == kUntouched; });
}

void PutLibrary(const std::filesystem::path& folder, std::wstring_view from) {
    std::filesystem::copy_file(BesideProgram(from), folder / L"lang.dll");
}

TEST(Win32Language, TextsComeFromTheLibraryInTheCurrentDirectoryByteForByte) {
    const CurrentDirectoryGuard restore;
    const TempFolder folder(L"lang");
    PutLibrary(folder.Path(), L"keldra_stub_lang.dll");
    ASSERT_TRUE(SetCurrentDirectoryW(folder.Path().c_str()));
    {
        Win32Language language;

        auto buffer = FreshBuffer();
        ASSERT_TRUE(language.GetValueForID("OCM_FB", buffer));
        EXPECT_STREQ(buffer.data(), "Fix problems");

        buffer = FreshBuffer();
        ASSERT_TRUE(language.GetValueForID("SOME_ID", buffer));
        EXPECT_STREQ(buffer.data(), "id=SOME_ID reserved=0") << "identifier and third argument";

        // The caller's buffer itself goes to the library: all 255 text bytes arrive, and the
        // last byte, which the library left alone, is still the caller's.
        buffer = FreshBuffer();
        ASSERT_TRUE(language.GetValueForID("FULL", buffer));
        EXPECT_EQ(std::count(buffer.begin(), buffer.begin() + 255, 'x'), 255);
        EXPECT_EQ(buffer[255], kUntouched);

        // Code page bytes stay as they are: the caller converts them.
        buffer = FreshBuffer();
        ASSERT_TRUE(language.GetValueForID("ANSI", buffer));
        EXPECT_STREQ(buffer.data(),
                     "Gr\xFC\xDF"
                     "e");

        EXPECT_NE(GetModuleHandleW(L"lang.dll"), nullptr) << "the library stays loaded";
    }
    EXPECT_EQ(GetModuleHandleW(L"lang.dll"), nullptr) << "and goes with the adapter";
}

TEST(Win32Language, TextIsDecodedInTheSystemsAnsiCodePage) {
    const Win32Language language(std::vector<std::string>{});
    // What MultiByteToWideChar makes of the bytes in the system's code page, whichever
    // that is; on the Western one of the test prefix these are German letters.
    const std::string bytes = "Gr\xFC\xDF\x65 \x80";
    wchar_t expected[16] = {};
    ASSERT_GT(
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), expected, 16),
        0);
    EXPECT_EQ(language.AnsiToUtf16(bytes),
              std::u16string(expected, expected + std::char_traits<wchar_t>::length(expected)));
    if (GetACP() == 1252) {
        EXPECT_EQ(language.AnsiToUtf16(bytes), u"Grüße €");
    }
    EXPECT_EQ(language.AnsiToUtf16(""), u"");
}

TEST(Win32Language, WithoutTheLibraryNothingIsWrittenAndALaterCallLooksAgain) {
    const TempFolder folder(L"nolang");
    Win32Language language({folder.Utf8()});
    auto buffer = FreshBuffer();
    EXPECT_FALSE(language.GetValueForID("OCM_FB", buffer));
    EXPECT_TRUE(Untouched(buffer));

    PutLibrary(folder.Path(), L"keldra_stub_lang.dll");
    EXPECT_TRUE(language.GetValueForID("OCM_FB", buffer));
    EXPECT_STREQ(buffer.data(), "Fix problems");
}

TEST(Win32Language, ALibraryWithoutTheFunctionCountsAsMissingAndIsNotKept) {
    const TempFolder folder(L"nofunc");
    PutLibrary(folder.Path(), L"keldra_stub_icons.dll");
    Win32Language language({folder.Utf8()});
    auto buffer = FreshBuffer();
    EXPECT_FALSE(language.GetValueForID("OCM_FB", buffer));
    EXPECT_TRUE(Untouched(buffer));
    EXPECT_EQ(GetModuleHandleW(L"lang.dll"), nullptr);
}

TEST(Win32Language, FoldersAreTriedInTurn) {
    const TempFolder empty(L"first");
    const TempFolder withLibrary(L"second");
    PutLibrary(withLibrary.Path(), L"keldra_stub_lang.dll");
    Win32Language language({empty.Utf8(), withLibrary.Utf8()});
    auto buffer = FreshBuffer();
    EXPECT_TRUE(language.GetValueForID("OCM_FB", buffer));
    EXPECT_STREQ(buffer.data(), "Fix problems");
}

TEST(Win32Language, DefaultLooksInTheCurrentDirectoryThenTheProgramFolder) {
    // The program folder holds the stand-in only under its own name, so from an empty
    // current directory nothing is found.
    const CurrentDirectoryGuard restore;
    const TempFolder folder(L"elsewhere");
    ASSERT_TRUE(SetCurrentDirectoryW(folder.Path().c_str()));
    Win32Language language;
    auto buffer = FreshBuffer();
    EXPECT_FALSE(language.GetValueForID("OCM_FB", buffer));
    EXPECT_TRUE(Untouched(buffer));
}

TEST(Win32Language, DefaultFindsTheLibraryBesideTheProgram) {
    const TempFolder programFolder(L"program");
    const TempFolder elsewhere(L"cwd");
    const auto helper = programFolder.Path() / L"keldra_adapter_helper.exe";
    std::filesystem::copy_file(BesideProgram(L"keldra_adapter_helper.exe"), helper);
    EXPECT_EQ(RunAndWait(helper, L"--lang", elsewhere.Path()), 1) << "no library anywhere yet";
    PutLibrary(programFolder.Path(), L"keldra_stub_lang.dll");
    EXPECT_EQ(RunAndWait(helper, L"--lang", elsewhere.Path()), 0);
}

}  // namespace
}  // namespace keldra::testing

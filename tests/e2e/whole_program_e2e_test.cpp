// The program as a user meets it, across its windows: the results windows close and open
// again with the same rows, and "Cancel" in the middle of the registry stage ends the
// program at once without removing anything.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "automation.h"
#include "e2e_support.h"

namespace keldra::e2e {
namespace {

using platform::win32::UniqueFileHandle;

constexpr const wchar_t* kSeedKey = L"Software\\KeldraWhole";
constexpr const wchar_t* kJunk = L"D:\\keldra-whole\\left.tmp";

void SeedRegistry(int keys) {
    for (int k = 0; k < keys; ++k) {
        const std::wstring path = std::wstring(kSeedKey) + L"\\Key" + std::to_wstring(k);
        UniqueHKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        const std::wstring data = L"C:\\keldra-whole\\gone" + std::to_wstring(k) + L".exe";
        RegSetValueExW(key.get(), L"Dead", 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    }
}

bool ValuePresent(int k) {
    const std::wstring path = std::wstring(kSeedKey) + L"\\Key" + std::to_wstring(k);
    return RegGetValueW(HKEY_CURRENT_USER, path.c_str(), L"Dead", RRF_RT_REG_SZ, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS;
}

void SeedJunk() {
    CreateDirectoryW(L"D:\\keldra-whole", nullptr);
    const UniqueFileHandle file(
        CreateFileW(kJunk, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_NE(file.get(), INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file.get(), "junk", 4, &written, nullptr);
}

class WholeProgramEndToEnd : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        DeleteFileW(L"C:\\sysbackup.reg");
    }
    void TearDown() override {
        ProgramTest::TearDown();
        RegDeleteTreeW(HKEY_CURRENT_USER, kSeedKey);
        DeleteFileW(kJunk);
        RemoveDirectoryW(L"D:\\keldra-whole");
    }

    // Starts the program and waits for its main window.
    HWND Start(Program& keldra) {
        HWND main = nullptr;
        EXPECT_TRUE(WaitUntil(
            [&] { return (main = ProgramWindowWith(keldra.Id(), Lang("OCM_FB"))) != nullptr; },
            30));
        return main;
    }
};

// Opens a results window through its row and reads its list.
std::vector<std::vector<std::wstring>> OpenAndRead(DWORD id, HWND row, const char* heading,
                                                   int columns, HWND& window) {
    ClickLabel(row);
    window = nullptr;
    EXPECT_TRUE(WaitUntil(
        [&] {
            window = ProgramWindowWith(id, Lang(heading));
            return window != nullptr && IsWindowVisible(window) != FALSE;
        },
        10))
        << heading;
    if (window == nullptr) {
        return {};
    }
    return ListViewRows(ChildOfClass(window, L"SysListView32"), columns);
}

TEST_F(WholeProgramEndToEnd, ResultsWindowsCloseAndOpenAgainWithTheSameRows) {
    SeedRegistry(3);
    SeedJunk();
    Program keldra(Command());
    ASSERT_TRUE(keldra.Started());
    HWND main = MainWindowAfterPass(keldra);
    ASSERT_NE(main, nullptr) << "the pass ends";
    ASSERT_TRUE(ClickTrayIcon(keldra.Id()));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 10));
    Sleep(300);
    Screenshot(main, L"main-after-pass.bmp");

    HWND registryRow = ChildEndingWith(main, Lang("OCM_PStat"));
    ASSERT_NE(registryRow, nullptr);
    HWND diskRow = ChildEndingWith(main, Lang("OCM_MStat"));
    ASSERT_NE(diskRow, nullptr);
    for (const auto& [row, heading, columns] :
         {std::tuple{registryRow, "OCM_RRes", 6}, std::tuple{diskRow, "OCM_DRes", 2}}) {
        HWND window = nullptr;
        const auto first = OpenAndRead(keldra.Id(), row, heading, columns, window);
        ASSERT_NE(window, nullptr);
        EXPECT_FALSE(first.empty()) << heading;
        // "Close" hides it; the close box too.
        Click(ChildWithText(window, Lang("OCM_Close")));
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(window) == FALSE; }, 10)) << heading;
        HWND again = nullptr;
        EXPECT_EQ(OpenAndRead(keldra.Id(), row, heading, columns, again), first) << heading;
        EXPECT_EQ(again, window) << "the same window, not a new one";
        PostMessageW(window, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(window) == FALSE; }, 10)) << heading;
        EXPECT_TRUE(IsWindow(window)) << "the close box only hides it";
        EXPECT_EQ(OpenAndRead(keldra.Id(), row, heading, columns, again), first) << heading;
        Click(ChildWithText(window, Lang("OCM_Close")));
    }
    Click(ChildWithText(main, Lang("OSM_SE")));
    EXPECT_EQ(keldra.ExitCode(10), 0);
}

TEST_F(WholeProgramEndToEnd, CancelDuringTheRegistryStageEndsAtOnceAndRemovesNothing) {
    // Enough keys that the registry stage lasts several seconds.
    constexpr int kKeys = 4000;
    SeedRegistry(kKeys);
    SeedJunk();
    StoreSetting(L"AutoFix", L"1");
    Program keldra(Command());
    ASSERT_TRUE(keldra.Started());
    HWND main = Start(keldra);
    ASSERT_NE(main, nullptr);
    HWND memoryRow = ChildWithText(main, Lang("OCM_DoneStat"));
    HWND registryRow = ChildWithText(main, Lang("OCM_PStat"));
    ASSERT_NE(memoryRow, nullptr);
    ASSERT_NE(registryRow, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return HasVisibleStyle(memoryRow); }, 60)) << "the memory row";
    // The two-second pause after the memory stage, then the registry stage runs.
    Sleep(2500);
    ASSERT_FALSE(HasVisibleStyle(registryRow)) << "the registry stage ended too soon";
    ASSERT_TRUE(ClickTrayIcon(keldra.Id()));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 10));
    const auto clicked = GetTickCount64();
    Click(ChildWithText(main, Lang("OSM_SE")));
    EXPECT_EQ(keldra.ExitCode(10), 0);
    std::printf("cancel ended the program after %llu ms\n", GetTickCount64() - clicked);

    for (int k = 0; k < kKeys; k += 97) {
        EXPECT_TRUE(ValuePresent(k)) << k;
    }
    EXPECT_NE(GetFileAttributesW(kJunk), INVALID_FILE_ATTRIBUTES) << "the junk file stays";
    EXPECT_EQ(GetFileAttributesW(L"C:\\sysbackup.reg"), INVALID_FILE_ATTRIBUTES) << "no repair ran";
}

}  // namespace
}  // namespace keldra::e2e

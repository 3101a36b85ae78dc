// The program driven from the keyboard alone: the tray icon selected with the keyboard
// brings the window back, Tab walks its controls from top to bottom, Enter on the registry
// row opens its results, Esc closes them, Esc sends the main window to the tray, and Enter
// on "Fix problems" fixes and ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation.h"
#include "e2e_support.h"

namespace keldra::e2e {
namespace {

using platform::win32::UniqueFileHandle;

constexpr const wchar_t* kSeedKey = L"Software\\KeldraKeys";
constexpr const wchar_t* kJunkFolder = L"D:\\keldra-keys";
constexpr const wchar_t* kJunk = L"D:\\keldra-keys\\left.tmp";

bool DeadValuePresent() {
    return RegGetValueW(HKEY_CURRENT_USER, kSeedKey, L"Dead", RRF_RT_REG_SZ, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS;
}

class KeyboardEndToEnd : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        DeleteFileW(L"C:\\sysbackup.reg");
        UniqueHKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSeedKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        const std::wstring data = L"C:\\keldra-keys\\gone.exe";
        RegSetValueExW(key.get(), L"Dead", 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        CreateDirectoryW(kJunkFolder, nullptr);
        const UniqueFileHandle file(
            CreateFileW(kJunk, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_NE(file.get(), INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file.get(), "junk", 4, &written, nullptr);
    }
    void TearDown() override {
        ProgramTest::TearDown();
        RegDeleteTreeW(HKEY_CURRENT_USER, kSeedKey);
        DeleteFileW(kJunk);
        RemoveDirectoryW(kJunkFolder);
    }
};

// Presses `key` and waits until the focus is on `expected`.
bool PressAndFocus(HWND anyWindow, UINT key, HWND expected) {
    return PressKey(anyWindow, key) &&
           WaitUntil([&] { return GuiOf(anyWindow).hwndFocus == expected; }, 5);
}

TEST_F(KeyboardEndToEnd, TheWholeWayFromTheTrayToFixingWithoutAMouse) {
    Program keldra(Command());
    ASSERT_TRUE(keldra.Started());
    HWND main = MainWindowAfterPass(keldra);
    ASSERT_NE(main, nullptr) << "the pass ends";
    ASSERT_TRUE(KeySelectTrayIcon(keldra.Id()));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 10))
        << "the keyboard's selection of the tray icon brought nothing back";
    ASSERT_TRUE(WaitUntil([&] { return GuiOf(main).hwndActive == main; }, 10));

    HWND registryRow = ChildEndingWith(main, Lang("OCM_PStat"));
    HWND diskRow = ChildEndingWith(main, Lang("OCM_MStat"));
    HWND autoFix = ChildWithText(main, Lang("OCM_FA"));
    HWND cancel = ChildWithText(main, Lang("OSM_SE"));
    HWND scheduler = ChildWithText(main, Lang("OCM_Sched"));
    HWND fix = ChildWithText(main, Lang("OCM_FB"));
    for (HWND control : {registryRow, diskRow, autoFix, cancel, scheduler, fix}) {
        ASSERT_NE(control, nullptr);
    }
    ASSERT_NE(TextOf(registryRow), Lang("OCM_DoneNP")) << "the scan found the dead value";
    // From top to bottom, then round to the first again.
    int stop = 0;
    for (HWND expected : {registryRow, diskRow, autoFix, cancel, scheduler, fix, registryRow}) {
        EXPECT_TRUE(PressAndFocus(main, VK_TAB, expected))
            << "stop " << stop << ": the focus is on \"" << TextOf(GuiOf(main).hwndFocus) << "\"";
        ++stop;
    }
    ASSERT_EQ(GuiOf(main).hwndFocus, registryRow);
    Sleep(300);
    Screenshot(main, L"main-keyboard-focus.bmp");

    ASSERT_TRUE(PressKey(main, VK_RETURN));
    HWND results = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            results = ProgramWindowWith(keldra.Id(), Lang("OCM_RRes"));
            return results != nullptr && IsWindowVisible(results) != FALSE &&
                   GuiOf(main).hwndActive == results;
        },
        10))
        << "Enter on the registry row opened no results window";
    EXPECT_TRUE(keldra.Running()) << "Enter on the row must not fix";
    ASSERT_TRUE(PressKey(results, VK_ESCAPE));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(results) == FALSE; }, 10))
        << "Esc left the results window open";
    ASSERT_TRUE(WaitUntil([&] { return GuiOf(main).hwndActive == main; }, 10));
    EXPECT_TRUE(WaitUntil([&] { return GuiOf(main).hwndFocus == registryRow; }, 5))
        << "the focus came back elsewhere";
    EXPECT_TRUE(DeadValuePresent()) << "nothing fixed yet";

    for (HWND expected : {diskRow, autoFix, cancel, scheduler, fix}) {
        ASSERT_TRUE(PressAndFocus(main, VK_TAB, expected)) << TextOf(expected);
    }

    // Esc sends the main window to the tray; the program keeps running, and the keyboard
    // brings it back with the focus where it was.
    ASSERT_TRUE(PressKey(main, VK_ESCAPE));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) == FALSE; }, 10))
        << "Esc left the main window shown";
    Sleep(500);
    ASSERT_TRUE(keldra.Running()) << "Esc ended the program";
    ASSERT_TRUE(KeySelectTrayIcon(keldra.Id()));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 10));
    ASSERT_TRUE(WaitUntil([&] { return GuiOf(main).hwndActive == main; }, 10));
    EXPECT_TRUE(WaitUntil([&] { return GuiOf(main).hwndFocus == fix; }, 5))
        << "the focus is on \"" << TextOf(GuiOf(main).hwndFocus) << "\"";
    ASSERT_TRUE(PressKey(main, VK_RETURN));
    EXPECT_EQ(keldra.ExitCode(60), 0) << "Enter on \"Fix problems\" fixes and ends";
    EXPECT_FALSE(DeadValuePresent());
    EXPECT_EQ(GetFileAttributesW(kJunk), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(L"C:\\sysbackup.reg"), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace keldra::e2e

// The real program on a screen of 144 DPI, as the sandbox's LogPixels sets it for every
// program started after it: every window laid out at that scale, and its picture among
// the test artifacts for a person to look at.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e_support.h"

namespace keldra::e2e {
namespace {

constexpr const wchar_t* kDesktop = L"Control Panel\\Desktop";
constexpr const wchar_t* kSeedKey = L"Software\\KeldraDpiSeed";
constexpr const wchar_t* kSeedFolder = L"C:\\keldra-dpi";
constexpr const wchar_t* kJunk = L"C:\\keldra-dpi\\a.tmp";

class DpiEndToEnd : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        // Wine 8 reads the user's LogPixels first, then the machine's (under Hardware
        // Profiles, Current, Software, Fonts), when a program starts.
        platform::win32::UniqueHKey desktop;
        ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, kDesktop, desktop.put()), ERROR_SUCCESS);
        const DWORD dpi = 144;
        RegSetValueExW(desktop.get(), L"LogPixels", 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
        // One dead reference and one junk file, so that both result rows lead somewhere.
        platform::win32::UniqueHKey seed;
        ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, kSeedKey, seed.put()), ERROR_SUCCESS);
        const std::wstring gone = L"C:\\keldra-dpi\\gone.exe";
        RegSetValueExW(seed.get(), L"Dead", 0, REG_SZ, reinterpret_cast<const BYTE*>(gone.c_str()),
                       static_cast<DWORD>((gone.size() + 1) * sizeof(wchar_t)));
        CreateDirectoryW(kSeedFolder, nullptr);
        const platform::win32::UniqueFileHandle file(
            CreateFileW(kJunk, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(file);
        DWORD written = 0;
        WriteFile(file.get(), "junk", 4, &written, nullptr);
    }
    void TearDown() override {
        platform::win32::UniqueHKey desktop;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kDesktop, 0, KEY_SET_VALUE, desktop.put()) == 0) {
            RegDeleteValueW(desktop.get(), L"LogPixels");
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, kSeedKey);
        DeleteFileW(kJunk);
        RemoveDirectoryW(kSeedFolder);
        ProgramTest::TearDown();
    }

    // Centred on the sandbox's screen, the whole window shows: its picture is all of it.
    static void ExpectOnScreen(HWND window) {
        RECT frame{};
        GetWindowRect(window, &frame);
        const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        EXPECT_TRUE(frame.left >= screen.left && frame.top >= screen.top &&
                    frame.right <= screen.right && frame.bottom <= screen.bottom)
            << "window (" << frame.left << ", " << frame.top << ")-(" << frame.right << ", "
            << frame.bottom << "), screen " << screen.right << "x" << screen.bottom;
    }

    static int ClientWidth(HWND window) {
        RECT client{};
        GetClientRect(window, &client);
        return client.right;
    }

    // The results window a row leads to, shown and pictured, then closed again.
    static void OpenAndPicture(const Program& keldra, HWND row, const char* caption,
                               const wchar_t* picture) {
        ASSERT_NE(row, nullptr);
        ClickLabel(row);
        HWND results = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                results = ProgramWindowWith(keldra.Id(), Lang(caption));
                return results != nullptr && IsWindowVisible(results);
            },
            10))
            << picture;
        ExpectOnScreen(results);
        Sleep(500);  // let it paint
        Screenshot(results, picture);
        PostMessageW(results, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(results) == FALSE; }, 10));
    }
};

TEST_F(DpiEndToEnd, EveryWindowIsLaidOutAt144Dpi) {
    StoreSetting(L"WelcScreen", L"0");
    Program keldra(Command());
    ASSERT_TRUE(keldra.Started());

    HWND welcome = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (welcome = ProgramWindowWith(keldra.Id(), Lang("OWM_3"))) != nullptr; }, 20));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(welcome) != FALSE; }, 5));
    EXPECT_EQ(ClientWidth(welcome), MulDiv(5085, 144, 1440)) << "twips at 144 DPI";
    ExpectOnScreen(welcome);
    Sleep(500);
    Screenshot(welcome, L"welcome-144dpi.bmp");
    PostMessageW(welcome, WM_CLOSE, 0, 0);

    HWND main = MainWindowAfterPass(keldra);
    ASSERT_NE(main, nullptr) << "the pass ends";
    ASSERT_TRUE(ClickTrayIcon(keldra.Id()));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 10));
    EXPECT_EQ(ClientWidth(main), MulDiv(6225, 144, 1440));
    ExpectOnScreen(main);
    Sleep(500);
    Screenshot(main, L"main-144dpi.bmp");

    OpenAndPicture(keldra, ChildEndingWith(main, Lang("OCM_PStat")), "OCM_RRes",
                   L"registry-results-144dpi.bmp");
    OpenAndPicture(keldra, ChildEndingWith(main, Lang("OCM_MStat")), "OCM_DRes",
                   L"disk-results-144dpi.bmp");

    Click(ChildWithText(main, Lang("OCM_Sched")));
    HWND scheduler = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            scheduler = ProgramWindowWith(keldra.Id(), Lang("OCM_ESM"));
            return scheduler != nullptr && IsWindowVisible(scheduler);
        },
        10));
    EXPECT_EQ(ClientWidth(scheduler), MulDiv(5505, 144, 1440));
    ExpectOnScreen(scheduler);
    Sleep(500);
    Screenshot(scheduler, L"scheduler-144dpi.bmp");
    PostMessageW(scheduler, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(scheduler) == FALSE; }, 10));

    Click(ChildWithText(main, Lang("OSM_SE")));
    EXPECT_EQ(keldra.ExitCode(10), 0) << "Cancel ends and removes nothing";
    EXPECT_NE(GetFileAttributesW(kJunk), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace keldra::e2e

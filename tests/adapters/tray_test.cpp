// The tray port over Shell_NotifyIconW, with Wine's taskbar on the virtual desktop as the
// shell. The shell's answers are not looked at, so the cases look at the host window and
// at what reaches the handler.
#include <windows.h>

#include <gtest/gtest.h>
#include <shellapi.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/win32_tray.h"
#include "support.h"

namespace keldra::testing {
namespace {

using platform::win32::UniqueHModule;
using Tray = platform::win32::Win32Tray;

UniqueHModule LoadResourcesOf(std::wstring_view name) {
    return UniqueHModule(LoadLibraryExW(BesideProgram(name).c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

class Win32Tray : public ::testing::Test {
  protected:
    void SetUp() override { KELDRA_REQUIRE_DISPLAY(); }
};

TEST_F(Win32Tray, HostIsAHiddenTopLevelWindowWithThePicturesFirstChoice) {
    const Tray tray;
    ASSERT_TRUE(tray.HasHost());
    const HWND host = tray.HostWindow();
    EXPECT_FALSE(IsWindowVisible(host));
    // A message-only window's parent is HWND_MESSAGE, which broadcasts never reach.
    EXPECT_EQ(GetAncestor(host, GA_PARENT), GetDesktopWindow());
    EXPECT_EQ(tray.IconName(), L"TRAY") << "the program file has TRAY and AAA";

    const UniqueHModule onlyAaa = LoadResourcesOf(L"keldra_stub_icons.dll");
    ASSERT_TRUE(onlyAaa);
    const Tray second(onlyAaa.get());
    EXPECT_TRUE(second.HasHost());
    EXPECT_EQ(second.IconName(), L"AAA");

    const UniqueHModule none = LoadResourcesOf(L"keldra_stub_lang.dll");
    ASSERT_TRUE(none);
    const Tray third(none.get());
    EXPECT_TRUE(third.HasHost()) << "the system's picture will do";
    EXPECT_EQ(third.IconName(), L"");
}

TEST_F(Win32Tray, RecordOperationsReachTheShellAsOneRecord) {
    Tray tray;
    tray.Modify("not added yet");
    EXPECT_FALSE(tray.LastShellAnswer()) << "the shell knew a record before it was added";
    tray.Add("Keldra Maintenance");
    EXPECT_TRUE(tray.LastShellAnswer());
    tray.Modify("Keldra – Prüfung läuft ✓");
    EXPECT_TRUE(tray.LastShellAnswer());
    // Longer than the field: cut, never written past it.
    tray.Modify(std::string(300, 'x'));
    EXPECT_TRUE(tray.LastShellAnswer());
    tray.Modify(std::string(127, 'y') + "\xF0\x9F\x94\x91");  // a pair across the end
    EXPECT_TRUE(tray.LastShellAnswer());
    tray.Delete();
    EXPECT_TRUE(tray.LastShellAnswer());
    tray.Delete();
    EXPECT_FALSE(tray.LastShellAnswer()) << "deleted twice: the first did not reach the record";
}

TEST_F(Win32Tray, TheIconsMouseMessagesReachOnMessage) {
    Tray tray;
    std::vector<int> seen;
    tray.OnMessage = [&](int message) { seen.push_back(message); };
    tray.Add("Keldra");
    const HWND host = tray.HostWindow();
    SendMessageW(host, Tray::kCallbackMessage, Tray::kIconId, WM_LBUTTONUP);
    SendMessageW(host, Tray::kCallbackMessage, Tray::kIconId, WM_RBUTTONDBLCLK);
    // Posted, as the shell does it, and delivered by the program's loop.
    PostMessageW(host, Tray::kCallbackMessage, Tray::kIconId, WM_LBUTTONDOWN);
    EXPECT_TRUE(PumpUntil([&] { return seen.size() == 3; }, 2000));
    EXPECT_EQ(seen, (std::vector<int>{514, 518, 513}));

    // A failing handler stays inside the window procedure.
    tray.OnMessage = [](int) { throw std::runtime_error("handler failed"); };
    SendMessageW(host, Tray::kCallbackMessage, Tray::kIconId, WM_LBUTTONUP);
    tray.Delete();
}

TEST_F(Win32Tray, TheKeyboardsSelectionIsALeftButtonUpAndAClickStaysOne) {
    Tray tray;
    std::vector<int> seen;
    tray.OnMessage = [&](int message) { seen.push_back(message); };
    tray.Add("Keldra");
    EXPECT_EQ(tray.ShellVersion(), static_cast<UINT>(NOTIFYICON_VERSION_4))
        << "the shell kept the legacy messages, which have no keyboard selection";
    const HWND host = tray.HostWindow();
    // As version 4 sends them: the event in the low word, the icon in the high word.
    const auto send = [&](UINT event) {
        SendMessageW(host, Tray::kCallbackMessage, 0, MAKELPARAM(event, Tray::kIconId));
    };
    send(NIN_KEYSELECT);  // Enter or Space on the focused icon
    send(WM_LBUTTONDOWN);
    send(WM_LBUTTONUP);
    send(WM_MOUSEMOVE);
    send(NIN_SELECT);  // follows the click's button-up: the same click
    send(NIN_SELECT);  // on its own: a selection
    send(WM_RBUTTONUP);
    EXPECT_EQ(seen, (std::vector<int>{WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE,
                                      WM_LBUTTONUP, WM_RBUTTONUP}));
    tray.Delete();
}

TEST_F(Win32Tray, ARestartedShellGetsTheIconAgainIfItWasAdded) {
    Tray tray;
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    const HWND host = tray.HostWindow();
    SendMessageW(host, taskbarCreated, 0, 0);
    EXPECT_EQ(tray.ReAddCount(), 0) << "nothing to add again";

    tray.Add("Keldra");
    SendMessageW(host, taskbarCreated, 0, 0);
    EXPECT_EQ(tray.ReAddCount(), 1);

    // As the shell sends it: to every top-level window.
    PostMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return tray.ReAddCount() >= 2; }, 3000))
        << "the broadcast did not reach the host window";

    tray.Delete();
    const int afterDelete = tray.ReAddCount();
    SendMessageW(host, taskbarCreated, 0, 0);
    EXPECT_EQ(tray.ReAddCount(), afterDelete);
}

}  // namespace
}  // namespace keldra::testing

// The window port over USER32 and the common controls, on Wine's virtual desktop under
// Xvfb: windows, their sizes and fonts, unloading, the event loop, the keyboard, modal
// windows. Clicks come as the messages Windows itself sends (BM_CLICK, WM_LBUTTONDOWN/UP,
// WM_CLOSE), so the cases go through the same window procedure a user's click does.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

#include "platform/win32/win32_ui.h"
#include "support.h"
#include "window_support.h"

namespace keldra::testing {
namespace {

TEST_F(Win32Ui, WindowAndControlsHaveTheirClassesStylesAndUtf8Texts) {
    auto window = NewWindow();
    const HWND handle = HandleOf(*window);
    const LONG_PTR style = StyleOf(handle);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0) << "not resizable";
    EXPECT_FALSE(window->Visible()) << "hidden until shown";

    window->SetCaption("Keldra – Wartung ✓ 日本");
    EXPECT_EQ(window->Caption(), "Keldra – Wartung ✓ 日本");

    const ui::Twips where{120, 120, 3000, 450};
    auto& label = window->AddControl(ui::ControlKind::Label, "lbl", where, "Größe & Maß", {});
    auto& button = window->AddControl(ui::ControlKind::Button, "cmd", where, "&Beenden", {});
    auto& check = window->AddControl(ui::ControlKind::CheckBox, "chk", where, "Ïmmer ✓", {});
    auto& picture = window->AddControl(ui::ControlKind::Picture, "pic", where, "BANNER", {});
    auto& animation = window->AddControl(ui::ControlKind::Animation, "ani", where, "", {});
    auto& line = window->AddControl(ui::ControlKind::Line, "lin", where, "", {});

    EXPECT_EQ(label.Kind(), ui::ControlKind::Label);
    EXPECT_EQ(label.Text(), "Größe & Maß");
    EXPECT_EQ(button.Text(), "&Beenden");
    EXPECT_EQ(check.Text(), "Ïmmer ✓");
    label.SetText("Ωμέγα — €");
    EXPECT_EQ(label.Text(), "Ωμέγα — €");

    EXPECT_EQ(ClassOf(HandleOf(label)), L"Static");
    // "&" is shown as it is, clicks reach the window, the text wraps.
    EXPECT_EQ(StyleOf(HandleOf(label)) & (SS_NOPREFIX | SS_NOTIFY), SS_NOPREFIX | SS_NOTIFY);
    EXPECT_EQ(StyleOf(HandleOf(label)) & SS_TYPEMASK, SS_LEFT);
    EXPECT_EQ(ClassOf(HandleOf(button)), L"Button");
    EXPECT_EQ(StyleOf(HandleOf(button)) & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_EQ(StyleOf(HandleOf(check)) & BS_TYPEMASK, BS_3STATE) << "three states, not automatic";
    EXPECT_EQ(StyleOf(HandleOf(picture)) & SS_TYPEMASK, SS_BITMAP);
    EXPECT_EQ(ClassOf(HandleOf(animation)), L"SysAnimate32");
    EXPECT_NE(StyleOf(HandleOf(animation)) & ACS_TRANSPARENT, 0);
    EXPECT_EQ(StyleOf(HandleOf(line)) & SS_TYPEMASK, SS_ETCHEDHORZ);

    EXPECT_TRUE(label.Visible()) << "a control on a hidden window is still visible itself";
    label.SetVisible(false);
    EXPECT_FALSE(label.Visible());
    EXPECT_FALSE(IsWindowVisible(HandleOf(label)));
    label.SetVisible(true);
    EXPECT_TRUE(label.Visible());
    label.SetEnabled(false);
    EXPECT_FALSE(label.Enabled());
    EXPECT_TRUE(IsWindowEnabled(HandleOf(label))) << "drawn in its own colour, not greyed";
    button.SetEnabled(false);
    EXPECT_FALSE(button.Enabled());
    EXPECT_FALSE(IsWindowEnabled(HandleOf(button)));
}

TEST_F(Win32Ui, TwipsBecomePixelsThroughTheScreenDpi) {
    const platform::win32::UniqueScreenDc screen(GetDC(nullptr));
    const int dpiX = GetDeviceCaps(screen.get(), LOGPIXELSX);
    const int dpiY = GetDeviceCaps(screen.get(), LOGPIXELSY);
    EXPECT_EQ(ui_.ScreenDpi().x, dpiX);
    EXPECT_EQ(ui_.ScreenDpi().y, dpiY);

    auto window = NewWindow();
    const HWND handle = HandleOf(*window);
    window->SetClientSize(6225, 7575);
    RECT client{};
    GetClientRect(handle, &client);
    EXPECT_EQ(client.right, MulDiv(6225, dpiX, 1440));
    EXPECT_EQ(client.bottom, MulDiv(7575, dpiY, 1440));
    if (dpiX == 96 && dpiY == 96) {
        EXPECT_EQ(client.right, 415);
        EXPECT_EQ(client.bottom, 505);
    }

    window->MoveTo(1500, 900);
    RECT outer{};
    GetWindowRect(handle, &outer);
    const ui::Twips bounds = window->Bounds();
    EXPECT_EQ(outer.left, MulDiv(1500, dpiX, 1440));
    EXPECT_EQ(outer.top, MulDiv(900, dpiY, 1440));
    EXPECT_EQ(bounds.left, 1500);
    EXPECT_EQ(bounds.top, 900);
    EXPECT_EQ(bounds.width, MulDiv(outer.right - outer.left, 1440, dpiX));
    EXPECT_GT(bounds.width, 6225) << "the outer size includes the frame";
    EXPECT_GT(bounds.height, 7575);

    auto& label = window->AddControl(ui::ControlKind::Label, "lbl", {150, 300, 1500, 450}, "x", {});
    EXPECT_EQ(label.Position(), (ui::Twips{150, 300, 1500, 450}));
    RECT child{};
    GetWindowRect(HandleOf(label), &child);
    EXPECT_EQ(child.right - child.left, MulDiv(1500, dpiX, 1440));
    label.Move({600, 750, 3000, 300});
    EXPECT_EQ(label.Position(), (ui::Twips{600, 750, 3000, 300}));

    EXPECT_EQ(ui_.ScreenWidthTwips(), MulDiv(GetSystemMetrics(SM_CXSCREEN), 1440, dpiX));
    EXPECT_EQ(ui_.ScreenHeightTwips(), MulDiv(GetSystemMetrics(SM_CYSCREEN), 1440, dpiY));
}

TEST_F(Win32Ui, FontsFollowPointsAndDpiAndAreShared) {
    auto window = NewWindow();
    const ui::Twips where{0, 0, 1500, 300};
    auto& plain = window->AddControl(ui::ControlKind::Label, "a", where, "a", {});
    auto& bold =
        window->AddControl(ui::ControlKind::Label, "b", where, "b", {"Tahoma", 8.25, true});
    auto& big =
        window->AddControl(ui::ControlKind::Label, "c", where, "c", {"Arial", 12, false, true});
    auto& again = window->AddControl(ui::ControlKind::Button, "d", where, "d", {});
    const auto font = [](ui::Control& control) {
        return reinterpret_cast<HFONT>(SendMessageW(HandleOf(control), WM_GETFONT, 0, 0));
    };
    const auto logFont = [&](ui::Control& control) {
        LOGFONTW result{};
        GetObjectW(font(control), sizeof result, &result);
        return result;
    };
    const int dpi = ui_.ScreenDpi().y;
    EXPECT_EQ(logFont(plain).lfHeight, -MulDiv(83, dpi, 720));
    if (dpi == 96) {
        EXPECT_EQ(logFont(plain).lfHeight, -11);
        EXPECT_EQ(logFont(big).lfHeight, -16);
    }
    EXPECT_STREQ(logFont(plain).lfFaceName, L"Tahoma");
    EXPECT_EQ(logFont(plain).lfWeight, FW_NORMAL);
    EXPECT_EQ(logFont(bold).lfWeight, FW_BOLD);
    EXPECT_FALSE(logFont(bold).lfUnderline);
    EXPECT_TRUE(logFont(big).lfUnderline);
    EXPECT_STREQ(logFont(big).lfFaceName, L"Arial");
    EXPECT_EQ(font(again), font(plain)) << "one font object per kind of font";
    EXPECT_NE(font(bold), font(plain));
}

TEST_F(Win32Ui, UnloadAndTheCloseBoxAskOnUnloadAndDestroyUnlessCancelled) {
    auto window = NewWindow();
    auto& label = window->AddControl(ui::ControlKind::Label, "lbl", {0, 0, 1500, 300}, "x", {});
    window->Show();
    ui_.DoEvents();
    const HWND handle = HandleOf(*window);
    int asked = 0;
    int answer = 1;
    window->OnUnload = [&](int& cancel) {
        ++asked;
        cancel = answer;
    };
    window->Unload();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(window->Loaded());
    SendMessageW(handle, WM_CLOSE, 0, 0);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(window->Loaded());
    EXPECT_TRUE(IsWindow(handle));

    answer = 0;
    SendMessageW(handle, WM_CLOSE, 0, 0);
    EXPECT_EQ(asked, 3);
    EXPECT_FALSE(window->Loaded());
    EXPECT_FALSE(IsWindow(handle));
    MSG message{};
    EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE))
        << "closing a window must not end the message loop";
    // What is left of an unloaded window answers harmlessly.
    EXPECT_EQ(HandleOf(label), nullptr);
    label.SetText("y");
    EXPECT_EQ(label.Text(), "");
    window->Show();
    EXPECT_FALSE(window->Visible());

    auto other = NewWindow();
    other->Unload();
    EXPECT_FALSE(other->Loaded()) << "without a handler nothing cancels";
}

TEST_F(Win32Ui, MinimisingRaisesOnResizeAndAHiddenWindowStaysHidden) {
    auto window = NewWindow();
    window->Show();
    ui_.DoEvents();
    int resized = 0;
    window->OnResize = [&] { ++resized; };
    window->SetState(ui::WindowState::Minimized);
    EXPECT_TRUE(Loop([&] { return resized > 0; }));
    EXPECT_EQ(window->State(), ui::WindowState::Minimized);
    EXPECT_TRUE(IsIconic(HandleOf(*window)));
    const int afterMinimise = resized;
    window->SetState(ui::WindowState::Normal);
    EXPECT_TRUE(Loop([&] { return resized > afterMinimise; }));
    EXPECT_EQ(window->State(), ui::WindowState::Normal);

    // Minimised, then hidden (to the tray), then brought back.
    window->SetState(ui::WindowState::Minimized);
    window->Hide();
    EXPECT_EQ(window->State(), ui::WindowState::Minimized) << "hiding does not restore";
    window->SetState(ui::WindowState::Normal);
    EXPECT_FALSE(window->Visible());
    EXPECT_EQ(window->State(), ui::WindowState::Normal);
    window->Show();
    EXPECT_FALSE(IsIconic(HandleOf(*window)));
    EXPECT_EQ(window->State(), ui::WindowState::Normal);

    auto hidden = NewWindow();
    hidden->SetState(ui::WindowState::Minimized);
    EXPECT_FALSE(hidden->Visible()) << "minimising showed a hidden window";
    EXPECT_EQ(hidden->State(), ui::WindowState::Minimized);
    hidden->Show();
    EXPECT_TRUE(IsIconic(HandleOf(*hidden)));
    EXPECT_EQ(hidden->State(), ui::WindowState::Minimized);
}

TEST_F(Win32Ui, WaitForEventSleepsWithoutProcessorTimeAndWakesForAnEvent) {
    // Nothing of earlier cases may be left to wake it.
    ASSERT_TRUE(Loop([] { return HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0; }, 1000));
    const auto cpu = [] {
        FILETIME created{}, exited{}, kernel{}, user{};
        GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
        const auto value = [](const FILETIME& t) {
            return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
        };
        return (value(kernel) + value(user)) / 10'000;  // milliseconds
    };
    // Waited as the program's pauses wait: Wine's X11 driver may end a wait early for an
    // X event that leaves no message behind, so a wait may come back before its time, but
    // not again and again, and never costing processor time.
    const auto cpuBefore = cpu();
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - start)
            .count();
    };
    int waits = 0;
    while (elapsed() < 300 && waits < 100) {
        ui_.WaitForEvent(static_cast<std::uint32_t>(300 - elapsed()));
        ui_.DoEvents();
        ++waits;
    }
    EXPECT_LT(waits, 10) << "the wait came back at once, again and again";
    EXPECT_LT(elapsed(), 2000);
    EXPECT_LT(cpu() - cpuBefore, 50u) << "the wait used the processor";

    PostThreadMessageW(GetCurrentThreadId(), WM_APP + 7, 0, 0);
    const auto posted = std::chrono::steady_clock::now();
    ui_.WaitForEvent(5000);
    EXPECT_LT(std::chrono::steady_clock::now() - posted, std::chrono::milliseconds(1000));
    ui_.DoEvents();
}

TEST_F(Win32Ui, DoEventsSkipsRepeatedLooksButNeverWhatMustRunNext) {
    // With an hour between looks, only what asks for a look gets one.
    platform::win32::Win32Ui ui(std::chrono::hours(1));
    auto window = ui.NewWindow("frmThrottled", {});
    auto& label = window->AddControl(ui::ControlKind::Label, "lbl", {0, 0, 1500, 300}, "x", {});
    int clicks = 0;
    label.OnClick = [&] { ++clicks; };
    const auto postClick = [&] {
        PostMessageW(HandleOf(*window), WM_COMMAND,
                     MAKEWPARAM(GetDlgCtrlID(HandleOf(label)), STN_CLICKED),
                     reinterpret_cast<LPARAM>(HandleOf(label)));
    };
    ui.DoEvents();
    postClick();
    ui.DoEvents();
    EXPECT_EQ(clicks, 0) << "a repeated look was not skipped";
    // After a wait the next DoEvents looks, whatever the time.
    ui.WaitForEvent(0);
    ui.DoEvents();
    EXPECT_EQ(clicks, 1);
    // The activation the adapter posts itself is delivered by the very next DoEvents.
    int activations = 0;
    window->OnActivate = [&] { ++activations; };
    window->Show();
    ui.DoEvents();
    EXPECT_EQ(activations, 1);
}

TEST_F(Win32Ui, DoEventsLooksAgainAfterTheIntervalAndCostsLittleMeanwhile) {
    auto window = NewWindow();
    auto& label = window->AddControl(ui::ControlKind::Label, "lbl", {0, 0, 1500, 300}, "x", {});
    int clicks = 0;
    label.OnClick = [&] { ++clicks; };
    ui_.DoEvents();
    PostMessageW(HandleOf(*window), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(HandleOf(label)), STN_CLICKED),
                 reinterpret_cast<LPARAM>(HandleOf(label)));
    const auto posted = std::chrono::steady_clock::now();
    while (clicks == 0 &&
           std::chrono::steady_clock::now() - posted < std::chrono::milliseconds(200)) {
        ui_.DoEvents();
    }
    EXPECT_EQ(clicks, 1);
    EXPECT_LT(std::chrono::steady_clock::now() - posted,
              platform::win32::Win32Ui::kPumpInterval + std::chrono::milliseconds(30));

    // A scan calls it for every item: twenty thousand calls on an empty queue must cost
    // little (a full look each would take about a second under Wine).
    ASSERT_TRUE(Loop([] { return HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0; }, 1000));
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 20000; ++i) {
        ui_.DoEvents();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
}

// The controls of the keyboard case: a link, a plain label, a check box and two buttons,
// the last one the default, each counting its clicks, and the window its cancels.
struct KeyStops {
    explicit KeyStops(ui::Window& window)
        : link(window.AddControl(ui::ControlKind::Label, "lnk", {0, 0, 1500, 300}, "3 found", {})),
          plain(window.AddControl(ui::ControlKind::Label, "pln", {0, 300, 1500, 300}, "plain", {})),
          box(window.AddControl(ui::ControlKind::CheckBox, "chk", {0, 600, 1500, 300}, "b", {})),
          other(window.AddControl(ui::ControlKind::Button, "oth", {0, 900, 1400, 375}, "O", {})),
          fix(window.AddControl(ui::ControlKind::Button, "fix", {1500, 900, 1400, 375}, "F", {})) {
        link.SetFocusable(true);
        link.OnClick = [this] { ++linkClicks; };
        box.OnClick = [this] { ++boxClicks; };
        other.OnClick = [this] { ++otherClicks; };
        fix.OnClick = [this] { ++fixClicks; };
        window.OnCancel = [this] { ++cancels; };
        window.SetDefaultButton(&fix);
    }
    KeyStops(const KeyStops&) = delete;
    KeyStops& operator=(const KeyStops&) = delete;

    ui::Control& link;
    ui::Control& plain;
    ui::Control& box;
    ui::Control& other;
    ui::Control& fix;
    int linkClicks = 0;
    int boxClicks = 0;
    int otherClicks = 0;
    int fixClicks = 0;
    int cancels = 0;
};

using PressKey = std::function<void(UINT)>;

// Tab goes round the controls that take the focus, in the order they were made.
void TabGoesRoundTheStops(const PressKey& press, KeyStops& stops) {
    press(VK_TAB);
    EXPECT_EQ(GetFocus(), HandleOf(stops.link));
    press(VK_TAB);
    EXPECT_EQ(GetFocus(), HandleOf(stops.box)) << "a plain label is no stop";
    press(VK_TAB);
    EXPECT_EQ(GetFocus(), HandleOf(stops.other));
    press(VK_TAB);
    EXPECT_EQ(GetFocus(), HandleOf(stops.fix));
    press(VK_TAB);
    EXPECT_EQ(GetFocus(), HandleOf(stops.link)) << "round to the first again";
}

// Enter and Space press the focused control; Enter elsewhere the default button.
void KeysPressTheFocusedOrTheDefault(const PressKey& press, KeyStops& stops) {
    press(VK_RETURN);
    press(VK_SPACE);
    EXPECT_EQ(stops.linkClicks, 2) << "Enter and Space follow the link";
    EXPECT_EQ(stops.fixClicks, 0);
    press(VK_TAB);
    press(VK_SPACE);
    EXPECT_EQ(stops.boxClicks, 1);
    EXPECT_EQ(stops.box.Value(), ui::kChecked);
    press(VK_RETURN);
    EXPECT_EQ(stops.fixClicks, 1) << "Enter elsewhere presses the default button";
    press(VK_TAB);
    press(VK_RETURN);
    EXPECT_EQ(stops.otherClicks, 1) << "Enter on a button presses that one";
    EXPECT_EQ(stops.fixClicks, 1);
}

// Disabled controls take no keys and are no stops; Escape cancels.
void DisabledOnesTakeNoKeysAndEscapeCancels(const PressKey& press, KeyStops& stops) {
    stops.fix.SetEnabled(false);
    SetFocus(HandleOf(stops.box));
    press(VK_RETURN);
    EXPECT_EQ(stops.fixClicks, 1) << "a disabled default takes no Enter";
    stops.link.SetEnabled(false);
    EXPECT_EQ(StyleOf(HandleOf(stops.link)) & WS_TABSTOP, 0) << "a disabled link is no stop";
    press(VK_ESCAPE);
    EXPECT_EQ(stops.cancels, 1);
    EXPECT_EQ(stops.linkClicks, 2);
}

TEST_F(Win32Ui, TheKeyboardMovesTheFocusPressesTheDefaultAndCancels) {
    auto window = NewWindow();
    KeyStops stops(*window);
    EXPECT_EQ(StyleOf(HandleOf(stops.fix)) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    window->Show();
    ui_.DoEvents();
    ASSERT_EQ(GetActiveWindow(), HandleOf(*window));

    // As the keyboard sends them: to the focused control, else to the window.
    const PressKey press = [&](UINT key) {
        const HWND target = GetFocus() != nullptr ? GetFocus() : HandleOf(*window);
        PostMessageW(target, WM_KEYDOWN, key, 1);
        PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
        LoopFor(60);
    };
    TabGoesRoundTheStops(press, stops);
    KeysPressTheFocusedOrTheDefault(press, stops);
    DisabledOnesTakeNoKeysAndEscapeCancels(press, stops);

    // Back from another window, the focus is where it was.
    auto second = NewWindow("frmSecond");
    second->Show();
    ui_.DoEvents();
    SetForegroundWindow(HandleOf(*window));
    EXPECT_TRUE(Loop([&] { return GetActiveWindow() == HandleOf(*window); }));
    EXPECT_EQ(GetFocus(), HandleOf(stops.box));
    // And after it was minimised and hidden, as the main window goes to the tray.
    window->SetState(ui::WindowState::Minimized);
    window->Hide();
    LoopFor(100);
    window->SetState(ui::WindowState::Normal);
    window->Show();
    EXPECT_TRUE(Loop([&] { return GetActiveWindow() == HandleOf(*window); }));
    EXPECT_TRUE(Loop([&] { return GetFocus() == HandleOf(stops.box); }));
}

TEST_F(Win32Ui, ShowModalDisablesTheOtherWindowsUntilItIsHiddenOrClosed) {
    auto main = NewWindow("frmMain");
    main->Show();
    ui_.DoEvents();
    const HWND mainHandle = HandleOf(*main);
    auto dialog = NewWindow("frmDialog");
    auto& timer = dialog->AddTimer("tmr");
    bool mainEnabledMeanwhile = true;
    bool dialogShownMeanwhile = false;
    timer.OnTimer = [&] {
        mainEnabledMeanwhile = IsWindowEnabled(mainHandle) != FALSE;
        dialogShownMeanwhile = dialog->Visible();
        timer.SetEnabled(false);
        dialog->Hide();
    };
    timer.SetInterval(100);
    timer.SetEnabled(true);
    const DWORD start = GetTickCount();
    dialog->ShowModal();
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_TRUE(dialogShownMeanwhile);
    EXPECT_FALSE(mainEnabledMeanwhile) << "the other window took input during the modal loop";
    EXPECT_FALSE(dialog->Visible());
    EXPECT_TRUE(IsWindowEnabled(mainHandle));

    // The close box ends it as well.
    timer.OnTimer = [&] {
        timer.SetEnabled(false);
        PostMessageW(HandleOf(*dialog), WM_CLOSE, 0, 0);
    };
    timer.SetEnabled(true);
    dialog->ShowModal();
    EXPECT_FALSE(dialog->Loaded());
    EXPECT_TRUE(IsWindowEnabled(mainHandle));
}

TEST_F(Win32Ui, AFailingHandlerStaysInTheWindowProcedureButProcessExitEndsTheProcess) {
    auto window = NewWindow();
    window->Show();
    ui_.DoEvents();
    auto& button = window->AddControl(ui::ControlKind::Button, "cmd", {0, 0, 1500, 375}, "OK", {});
    button.OnClick = [] { throw std::runtime_error("handler failed"); };
    SendMessageW(HandleOf(button), BM_CLICK, 0, 0);
    EXPECT_TRUE(window->Loaded());
    int clicks = 0;
    button.OnClick = [&] { ++clicks; };
    SendMessageW(HandleOf(button), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);

    const TempFolder folder(L"exit");
    EXPECT_EQ(RunAndWait(BesideProgram(L"keldra_adapter_helper.exe"), L"--handler-exit 23",
                         folder.Path()),
              23);
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "atexit-ran.txt"));
}

}  // namespace
}  // namespace keldra::testing

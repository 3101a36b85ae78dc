#include "platform/win32/win32_ui.h"

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_ui_shared.h"

namespace keldra::platform::win32 {

using namespace ui_shared;

Win32Ui::Win32Ui(std::chrono::milliseconds pumpInterval) : pumpInterval_(pumpInterval) {
    const UniqueScreenDc screen(GetDC(nullptr));
    if (screen) {
        const int x = GetDeviceCaps(screen.get(), LOGPIXELSX);
        const int y = GetDeviceCaps(screen.get(), LOGPIXELSY);
        dpi_.x = x > 0 ? x : 96;
        dpi_.y = y > 0 ? y : 96;
    }
}

std::unique_ptr<ui::Window> Win32Ui::NewWindow(std::string_view name, const ui::Font& font) {
    return std::make_unique<Win32Window>(name, font, dpi_);
}

void Win32Ui::DoEvents() {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    if (!g_pumpRequested && lastPump_ != Clock::time_point{} && start - lastPump_ < pumpInterval_) {
        return;
    }
    g_pumpRequested = false;
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));  // left for whoever waits for it
            break;
        }
        if (!Win32Window::TranslateKeys(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (Clock::now() - start >= kPumpLimit) {
            g_pumpRequested = true;  // more may wait: the next call looks at once
            break;
        }
    }
    lastPump_ = Clock::now();
}

void Win32Ui::WaitForEvent(std::uint32_t timeoutMilliseconds) {
    MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMilliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    // Whatever woke the wait is to be handled by the DoEvents that follows.
    g_pumpRequested = true;
}

void Win32Ui::ShowMessage(std::string_view text, std::string_view title) {
    MessageBoxW(GetActiveWindow(), Wide(text).c_str(), Wide(title).c_str(),
                MB_OK | MB_ICONINFORMATION);
}

void Win32Ui::SetScreenPointer(ui::Pointer pointer) {
    SetCursor(LoadCursorW(nullptr, pointer == ui::Pointer::Hourglass ? IDC_WAIT : IDC_ARROW));
}

int Win32Ui::ScreenWidthTwips() const {
    return MulDiv(GetSystemMetrics(SM_CXSCREEN), kTwipsPerInch, dpi_.x);
}

int Win32Ui::ScreenHeightTwips() const {
    return MulDiv(GetSystemMetrics(SM_CYSCREEN), kTwipsPerInch, dpi_.y);
}

void Win32Ui::InitCommonControls() {
    EnsureCommonControls(ICC_STANDARD_CLASSES | ICC_ANIMATE_CLASS | ICC_LISTVIEW_CLASSES |
                         ICC_UPDOWN_CLASS | ICC_WIN95_CLASSES);
}

}  // namespace keldra::platform::win32

#include "platform/win32/win32_timer.h"

#include "platform/win32/win32_modal.h"
#include "platform/win32/win32_ui_shared.h"
#include "platform/win32/win32_window.h"

namespace keldra::platform::win32 {

using namespace ui_shared;

// ---------------------------------------------------------------------------------------
// Timers

void Win32Timer::Apply() {
    const HWND window = owner_.window_.get();
    if (window == nullptr) {
        return;
    }
    if (enabled_ && interval_ > 0) {
        SetTimer(window, id_, interval_, nullptr);  // restarts the count of one that runs
    } else {
        KillTimer(window, id_);
    }
}

void Win32Timer::SetInterval(std::uint32_t milliseconds) {
    interval_ = milliseconds;
    Apply();
}

void Win32Timer::SetEnabled(bool enabled) {
    if (enabled != enabled_) {
        enabled_ = enabled;
        Apply();
    }
}

// ---------------------------------------------------------------------------------------
// The modal loop

void Win32Window::ShowModal() {
    if (!window_) {
        return;
    }
    const HWND self = window_.get();
    const HWND previous = GetActiveWindow();
    const std::weak_ptr<int> alive = life_;
    {
        ModalScope scope(*this);
        Show();
        MSG message{};
        while (!alive.expired() && IsWindow(self) && IsWindowVisible(self)) {
            const BOOL got = GetMessageW(&message, nullptr, 0, 0);
            if (got == 0) {
                // Not ours to take: the loop that waits for it should see it.
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            if (got == -1) {
                break;
            }
            if (TranslateKeys(message)) {
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    // Hide and Unload gave the others back before the window went, so Windows activated
    // one of them; if it found none, the previous window comes back.
    if (GetActiveWindow() == nullptr && previous != nullptr && previous != self &&
        IsWindow(previous) && IsWindowVisible(previous)) {
        SetForegroundWindow(previous);
    }
}

}  // namespace keldra::platform::win32

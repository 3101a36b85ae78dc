#include "platform/win32/win32_window.h"

#include <string_view>

#include "platform/scope_exit.h"
#include "platform/win32/win32_modal.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_ui_shared.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace keldra::platform::win32 {

using namespace ui_shared;

// The window procedure, the keyboard of the message loops and the focus that comes back
// with the activation.

void Win32Window::SetDefaultButton(ui::Control* button) {
    Win32Control* chosen = nullptr;
    for (const auto& control : controls_) {
        if (control.get() == button && control->kind_ == ui::ControlKind::Button) {
            chosen = control.get();
        }
    }
    // The default button wears the thicker border, as in every dialog.
    if (defaultButton_ != nullptr && defaultButton_ != chosen && defaultButton_->handle_) {
        SendMessageW(defaultButton_->handle_.get(), BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    }
    if (chosen != nullptr && chosen->handle_) {
        SendMessageW(chosen->handle_.get(), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    }
    defaultButton_ = chosen;
}

bool Win32Window::TranslateKeys(MSG& message) {
    const HWND active = GetActiveWindow();
    if (active == nullptr || (message.hwnd != active && !IsChild(active, message.hwnd))) {
        return false;
    }
    wchar_t className[32] = {};
    GetClassNameW(active, className, 32);
    if (std::wstring_view(className) != kWindowClass) {
        return false;
    }
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(active, GWLP_USERDATA));
    if (self == nullptr) {
        return false;
    }
    if (message.message == WM_KEYDOWN) {
        bool handled = false;
        // A handler may delete the window: nothing of it is used after this.
        RunHandler([&] { handled = self->KeyDown(message); });
        if (handled) {
            return true;
        }
    }
    return IsWindow(active) && IsDialogMessageW(active, &message) != FALSE;
}

bool Win32Window::KeyDown(const MSG& message) {
    const auto key = message.wParam;
    if (key != VK_RETURN && key != VK_ESCAPE && key != VK_SPACE) {
        return false;
    }
    const HWND focus = GetFocus();
    if (focus != nullptr && focus != window_.get()) {
        // An open drop-down list closes on Enter and Esc itself.
        const auto code =
            SendMessageW(focus, WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(&message));
        if ((code & (DLGC_WANTMESSAGE | DLGC_WANTALLKEYS)) != 0) {
            return false;
        }
    }
    Win32Control* const focused = FindControl(focus);
    const bool link =
        focused != nullptr && focused->kind_ == ui::ControlKind::Label && focused->focusable_;
    if (key == VK_SPACE) {
        if (!link) {
            return false;  // buttons and check boxes take Space themselves
        }
        focused->Clicked();
        return true;
    }
    if (key == VK_RETURN) {
        Win32Control* const target =
            link || (focused != nullptr && focused->kind_ == ui::ControlKind::Button)
                ? focused
                : defaultButton_;
        if (target != nullptr) {
            target->Clicked();  // takes no click unless it takes input
        }
        return true;
    }
    const auto handler = OnCancel;  // a copy: the handler may unload the window
    Raise(handler);
    return true;
}

void Win32Window::RememberFocus() {
    const HWND focus = GetFocus();
    if (window_ && focus != nullptr && IsChild(window_.get(), focus)) {
        lastFocus_ = focus;
    }
}

void Win32Window::RestoreFocus() {
    const HWND back = lastFocus_;
    if (back != nullptr && IsWindow(back) && IsChild(window_.get(), back) &&
        IsWindowVisible(back) && IsWindowEnabled(back) &&
        (GetWindowLongPtrW(back, GWL_STYLE) & WS_TABSTOP) != 0) {
        SetFocus(back);
    } else {
        SetFocus(window_.get());
    }
}

void Win32Window::Activated(WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        RememberFocus();
        return;
    }
    // Activated while still minimised: the focus follows once it is restored (WM_SIZE).
    if (HIWORD(wParam) == 0) {
        RestoreFocus();
    }
}

void Win32Window::Deactivated() {
    if (g_lastActive == window_.get()) {
        g_lastActive = nullptr;
    }
    if (modal_ != nullptr) {
        modal_->End();
    }
}

LRESULT CALLBACK Win32Window::Procedure(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) noexcept {
    auto* self = WindowObject<Win32Window>(window, message, lParam);
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->Destroyed();
        return DefWindowProcW(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    bool handled = false;
    RunHandler([&] { handled = self->Handle(window, message, wParam, lParam, result); });
    // `self` may be gone here: a handler may have deleted the window object.
    return handled ? result : DefWindowProcW(window, message, wParam, lParam);
}

bool Win32Window::Notified(const NMHDR& header, LPARAM lParam, LRESULT& result) {
    if (header.code == LVN_GETDISPINFOW) {
        Win32ListView* list = FindList(header.hwndFrom);
        if (list == nullptr) {
            return false;
        }
        result = 0;
        list->GetDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
        return true;
    }
    if (header.code == NM_CLICK || header.code == LVN_KEYDOWN) {
        Win32ListView* list = FindList(header.hwndFrom);
        if (list != nullptr && list->CheckNotify(header)) {
            result = 0;
            return true;
        }
        return false;
    }
    if (header.code == LVN_ODFINDITEMW && FindList(header.hwndFrom) != nullptr) {
        result = -1;  // no search by the typed letters
        return true;
    }
    if (header.code == UDN_DELTAPOS) {
        Win32Control* control = FindControl(header.hwndFrom);
        if (control == nullptr || control->kind_ != ui::ControlKind::SpinBar) {
            return false;
        }
        result = control->DeltaPos(*reinterpret_cast<const NMUPDOWN*>(lParam));
        return true;
    }
    return false;
}

bool Win32Window::StaticPainting(HDC dc, HWND control, LRESULT& result) const {
    const Win32Control* found = FindControl(control);
    if (found != nullptr && found->kind_ == ui::ControlKind::TextBox) {
        return false;  // a disabled text box paints as Windows does
    }
    SetTextColor(dc, found != nullptr ? found->TextColor() : GetSysColor(COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    return true;
}

bool Win32Window::CursorSet(HWND control, WORD hitTest, LRESULT& result) const {
    const Win32Control* found = FindControl(control);
    const HCURSOR shape = found != nullptr ? found->Cursor() : nullptr;
    if (shape == nullptr || hitTest != HTCLIENT) {
        return false;
    }
    SetCursor(shape);
    result = TRUE;
    return true;
}

bool Win32Window::TimerTicked(WPARAM id, LRESULT& result) {
    for (const auto& timer : timers_) {
        if (timer->id_ != id) {
            continue;
        }
        result = 0;
        // A tick already queued when the timer stopped, or one that comes while the
        // handler runs (it called DoEvents), is dropped.
        if (timer->running_ || !timer->enabled_ || timer->interval_ == 0) {
            return true;
        }
        Win32Timer* const running = timer.get();
        const std::weak_ptr<int> alive = life_;
        const auto handler = running->OnTimer;
        running->running_ = true;
        const ScopeExit finished([&] {
            if (!alive.expired()) {
                running->running_ = false;  // timers live as long as their window
            }
        });
        RunHandler([&] { Raise(handler); });
        return true;
    }
    return false;
}

void Win32Window::Activating(HWND window, WPARAM wParam) {
    if (LOWORD(wParam) != WA_INACTIVE && g_lastActive != window) {
        g_lastActive = window;
        if (!activationPosted_ && PostMessageW(window, kActivateMessage, 0, 0)) {
            activationPosted_ = true;
            g_pumpRequested = true;
        }
    }
    Activated(wParam);
}

void Win32Window::Resized(HWND window, WPARAM wParam) {
    if (wParam == SIZE_MINIMIZED) {
        RememberFocus();  // minimising takes the focus away before deactivating
    } else if (GetActiveWindow() == window) {
        const HWND focus = GetFocus();
        if (focus == nullptr || focus == window) {
            RestoreFocus();
        }
    }
    const auto handler = OnResize;
    RunHandler([&] { Raise(handler); });
}

bool Win32Window::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // Every branch that runs a handler returns right after it: the object may be gone.
    switch (message) {
        case WM_COMMAND: {
            Win32Control* control = FindControl(reinterpret_cast<HWND>(lParam));
            if (control == nullptr) {
                return false;
            }
            result = 0;
            control->Command(HIWORD(wParam));
            return true;
        }
        case WM_NOTIFY:
            return lParam != 0 && Notified(*reinterpret_cast<const NMHDR*>(lParam), lParam, result);
        case WM_VSCROLL: {
            Win32Control* control = FindControl(reinterpret_cast<HWND>(lParam));
            if (control == nullptr || control->kind_ != ui::ControlKind::SpinBar) {
                return false;
            }
            result = 0;
            control->Scrolled();
            return true;
        }
        case WM_CTLCOLORSTATIC:
            return StaticPainting(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                                  result);
        case WM_SETCURSOR:
            return CursorSet(reinterpret_cast<HWND>(wParam), LOWORD(lParam), result);
        case WM_TIMER:
            return TimerTicked(wParam, result);
        case WM_ACTIVATE:
            Activating(window, wParam);
            result = 0;
            return true;
        case kActivateMessage: {
            activationPosted_ = false;
            result = 0;
            if (!IsWindowVisible(window)) {
                return true;  // hidden again before it got here
            }
            const auto handler = OnActivate;
            RunHandler([&] { Raise(handler); });
            return true;
        }
        case WM_SIZE:
            result = 0;
            Resized(window, wParam);
            return true;
        case WM_CLOSE:
            // The close box: the logic decides; DefWindowProc would destroy the window.
            result = 0;
            RunHandler([&] { Unload(); });
            return true;
        case WM_DPICHANGED:
            // Moved to a monitor of another scale, or the scale changed: per-monitor
            // awareness leaves the new layout to the program.
            ChangeDpi(Dpi{LOWORD(wParam), HIWORD(wParam)}, reinterpret_cast<const RECT*>(lParam));
            result = 0;
            return true;
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
            // A theme switched on or off while the window exists: its colours are read again.
            RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            return false;
        case WM_DESTROY:
            if (g_lastActive == window) {
                g_lastActive = nullptr;
            }
            return false;
        default:
            return false;
    }
}

}  // namespace keldra::platform::win32

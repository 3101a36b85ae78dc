// Labels the keyboard can follow (the result rows): a tab stop while enabled, a focus
// rectangle around their text, and what a screen reader is told of every label.
#include "platform/win32/win32_control.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "platform/win32/win32_accessible.h"
#include "platform/win32/win32_window.h"

namespace keldra::platform::win32 {

void Win32Control::SetFocusable(bool focusable) {
    if (kind_ != ui::ControlKind::Label || !handle_) {
        return;
    }
    focusable_ = focusable;
    if (!subclassed_) {
        subclassed_ = SetWindowSubclass(handle_.get(), &Win32Control::LinkProcedure, 1,
                                        reinterpret_cast<DWORD_PTR>(this)) != FALSE;
    }
    ApplyTabStop();
}

void Win32Control::ApplyTabStop() {
    if (kind_ != ui::ControlKind::Label || !handle_) {
        return;
    }
    // The dialog manager looks at the window's style; a label is never disabled on the
    // screen (it would grey its colour), so the style follows the logic's flag.
    const HWND label = handle_.get();
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(label, GWL_STYLE));
    const DWORD wanted = focusable_ && enabled_ ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
    if (wanted != style) {
        SetWindowLongPtrW(label, GWL_STYLE, static_cast<LONG_PTR>(wanted));
    }
    if (!(focusable_ && enabled_) && GetFocus() == label) {
        SetFocus(owner_.window_.get());  // no longer a link: the keys go to the window
    }
}

LRESULT CALLBACK Win32Control::LinkProcedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam, UINT_PTR id, DWORD_PTR) noexcept {
    switch (message) {
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(window, nullptr, TRUE);
            break;
        case WM_PAINT: {
            const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
            if (GetFocus() != window) {
                return result;
            }
            // The focus rectangle goes around the text as the label wraps it.
            const HDC dc = GetDC(window);
            if (dc == nullptr) {
                return result;
            }
            RECT client{};
            GetClientRect(window, &client);
            const auto font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
            const HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
            const int length = GetWindowTextLengthW(window);
            std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
            text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
            RECT extent = client;
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &extent,
                      DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_LEFT);
            extent.right = std::min(extent.right + 1, client.right);
            extent.bottom = std::min(extent.bottom + 1, client.bottom);
            DrawFocusRect(dc, &extent);
            if (old != nullptr) {
                SelectObject(dc, old);
            }
            ReleaseDC(window, dc);
            return result;
        }
        case WM_GETOBJECT: {
            // A screen reader may keep the object longer than the label lives: it asks
            // the window, not the control object.
            const LRESULT object = LinkAccessibleObject(
                window, wParam, lParam,
                [window] {
                    return IsWindow(window) != FALSE &&
                           (GetWindowLongPtrW(window, GWL_STYLE) & WS_TABSTOP) != 0;
                },
                [window] {
                    // As a click reports itself: later, from the window's own queue.
                    PostMessageW(GetParent(window), WM_COMMAND,
                                 MAKEWPARAM(GetDlgCtrlID(window), STN_CLICKED),
                                 reinterpret_cast<LPARAM>(window));
                });
            if (object != 0) {
                return object;
            }
            break;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(window, &Win32Control::LinkProcedure, id);
            break;
        default:
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace keldra::platform::win32

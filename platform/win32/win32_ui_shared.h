#pragma once
// What the files of the window adapter share, and nothing outside platform/win32 uses:
// the window class, the twips scale and the two pieces of thread-wide state that the
// window procedure and the message loops hand each other.

#include <string>

#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"

namespace keldra::platform::win32::ui_shared {

inline constexpr const wchar_t* kWindowClass = L"KeldraWindow";
inline constexpr int kTwipsPerInch = 1440;

// The program's window that was active last: activation raises OnActivate only when it
// moves to another of them (or to one hidden in between), not when the user comes back
// from another program. All windows live on the one UI thread.
inline HWND g_lastActive = nullptr;

// Set when something is known to wait in the queue, so that the next DoEvents looks
// even if it looked a moment ago.
inline bool g_pumpRequested = false;

inline bool RegisterWindowClass(WNDPROC procedure) {
    static const bool registered = [procedure] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

inline std::string WindowText(HWND window) {
    if (window == nullptr) {
        return {};
    }
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return Narrow(text);
}

template <typename Handler>
void Raise(const Handler& handler) {
    if (handler) {
        handler();
    }
}

inline void EnsureCommonControls(DWORD classes) {
    INITCOMMONCONTROLSEX init{};
    init.dwSize = sizeof init;
    init.dwICC = classes;
    InitCommonControlsEx(&init);
}

}  // namespace keldra::platform::win32::ui_shared

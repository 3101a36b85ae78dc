#include "platform/win32/win32_tray.h"

#include <shellapi.h>

#include <algorithm>
#include <iterator>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_process.h"

namespace keldra::platform::win32 {
namespace {

constexpr const wchar_t* kHostClass = L"KeldraTrayHost";

bool RegisterHostClass(WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kHostClass;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Loads an owned copy of an icon resource at the notification area's size.
HICON LoadTrayIcon(HMODULE module, const wchar_t* name) {
    return static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

}  // namespace

Win32Tray::Win32Tray(HMODULE resources) {
    const HMODULE module = resources != nullptr ? resources : GetModuleHandleW(nullptr);
    for (const wchar_t* name : {L"TRAY", L"AAA"}) {
        icon_.reset(LoadTrayIcon(module, name));
        if (icon_) {
            iconName_ = name;
            break;
        }
    }
    if (!icon_) {
        // The system's picture is shared; a copy of it can be owned like the others.
        icon_.reset(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
    }
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    if (RegisterHostClass(&Win32Tray::HostProc)) {
        host_.reset(CreateWindowExW(WS_EX_TOOLWINDOW, kHostClass, L"Keldra Maintenance tray",
                                    WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                    GetModuleHandleW(nullptr), this));
    }
}

void Win32Tray::Notify(DWORD operation) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = host_.get();
    data.uID = kIconId;
    // Under version 4 the shell shows the tooltip only when asked to.
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = icon_.get();
    // The caller cuts the tip to fit; a longer one is still cut here, never past the field
    // and never between the halves of a surrogate pair.
    std::size_t length = std::min(tip_.size(), std::size(data.szTip) - 1);
    if (length > 0 && length < tip_.size() && tip_[length - 1] >= 0xD800 &&
        tip_[length - 1] <= 0xDBFF) {
        --length;
    }
    std::copy_n(tip_.begin(), length, data.szTip);
    data.szTip[length] = L'\0';
    lastAnswer_ = Shell_NotifyIconW(operation, &data) != FALSE;
    if (operation == NIM_ADD && lastAnswer_) {
        // Version 4, asked for again on every add: Enter or Space on the focused icon
        // (Win+B, then the arrows) reaches the host as NIN_KEYSELECT.
        NOTIFYICONDATAW version{};
        version.cbSize = sizeof version;
        version.hWnd = host_.get();
        version.uID = kIconId;
        version.uVersion = NOTIFYICON_VERSION_4;
        shellVersion_ =
            Shell_NotifyIconW(NIM_SETVERSION, &version) != FALSE ? NOTIFYICON_VERSION_4 : 0;
    }
}

void Win32Tray::Add(std::string_view tip) {
    tip_ = Wide(tip);
    added_ = true;
    Notify(NIM_ADD);
}

void Win32Tray::Modify(std::string_view tip) {
    tip_ = Wide(tip);
    Notify(NIM_MODIFY);
}

void Win32Tray::Delete() {
    added_ = false;
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = host_.get();
    data.uID = kIconId;
    lastAnswer_ = Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
}

LRESULT CALLBACK Win32Tray::HostProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept {
    auto* tray = WindowObject<Win32Tray>(window, message, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    }
    if (tray == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return tray->Handle(window, message, wParam, lParam);
}

LRESULT Win32Tray::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCallbackMessage) {  // one icon: its id is not looked at
        // The event is the low word under every version (version 4 puts the icon's id in
        // the high word). A selection stands for the left button-up: NIN_KEYSELECT always,
        // NIN_SELECT only when no button-up came with it (after a mouse click both come).
        const UINT event = LOWORD(lParam);
        int mouseMessage = static_cast<int>(event);
        if (event == NIN_SELECT || event == NIN_KEYSELECT) {
            const bool sameClick = event == NIN_SELECT && afterButtonUp_;
            afterButtonUp_ = false;
            if (sameClick) {
                return 0;
            }
            mouseMessage = WM_LBUTTONUP;
        } else if (event != WM_MOUSEMOVE) {
            afterButtonUp_ = event == WM_LBUTTONUP;
        }
        RunHandler([&] {
            const auto handler = OnMessage;  // a copy: the handler may replace itself
            if (handler) {
                handler(mouseMessage);
            }
        });
        return 0;
    }
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        if (added_) {
            ++reAddCount_;
            RunHandler([&] { Notify(NIM_ADD); });
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace keldra::platform::win32

// Real windows on Wine's virtual desktop under Xvfb. The user's actions come as the
// messages Windows itself sends the controls (BM_CLICK, WM_LBUTTONDOWN/UP, WM_CHAR,
// WM_KEYDOWN, WM_CLOSE), so they go through the same window procedure a user's do.
#include <windows.h>

#include <commctrl.h>

#include "contract/ui_backend.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_ui.h"

namespace keldra::testing {
namespace {

namespace ui = platform::ui;
using platform::win32::Narrow;
using platform::win32::Wide;
using platform::win32::Win32Control;
using platform::win32::Win32ListView;
using platform::win32::Win32Window;

HWND HandleOf(ui::Control& control) {
    return dynamic_cast<Win32Control&>(control).Handle();
}

HWND HandleOf(ui::Window& window) {
    return dynamic_cast<Win32Window&>(window).Handle();
}

// A user reaches only what is on the screen: a control that is hidden, or in a hidden
// frame, or of a hidden window, takes nothing.
bool OnScreen(HWND control) {
    return control != nullptr && IsWindowVisible(control) != FALSE;
}

void MouseClick(HWND target, int x, int y) {
    SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

class Win32UiBackend final : public UiBackend {
  public:
    ui::UiPort& Port() override { return ui_; }
    bool Available() const override {
        wchar_t value[256];
        return GetEnvironmentVariableW(L"DISPLAY", value, 256) > 0;
    }

    void Click(ui::Control& control) override {
        const HWND handle = HandleOf(control);
        if (!OnScreen(handle)) {
            return;
        }
        wchar_t name[32] = {};
        GetClassNameW(handle, name, 32);
        if (std::wstring_view(name) == L"Button") {
            // Disabled buttons and check boxes ignore it, as they ignore the mouse.
            SendMessageW(handle, BM_CLICK, 0, 0);
        } else {
            MouseClick(handle, 2, 2);
        }
    }

    void Type(ui::Control& box, std::string_view chars) override {
        const HWND handle = HandleOf(box);
        if (!OnScreen(handle) || !IsWindowEnabled(handle)) {
            return;
        }
        for (const wchar_t key : Wide(chars)) {
            const auto end = static_cast<WPARAM>(GetWindowTextLengthW(handle));
            SendMessageW(handle, EM_SETSEL, end, static_cast<LPARAM>(end));
            SendMessageW(handle, WM_CHAR, key, 1);
        }
    }

    void SpinUp(ui::Control& spin) override { Arrow(spin, true); }
    void SpinDown(ui::Control& spin) override { Arrow(spin, false); }

    void Choose(ui::Control& list, int index) override {
        const HWND handle = HandleOf(list);
        if (!OnScreen(handle) || !IsWindowEnabled(handle)) {
            return;
        }
        // What the open list does when the user picks an item: select it, then tell the
        // window.
        const LRESULT before = SendMessageW(handle, CB_GETCURSEL, 0, 0);
        if (SendMessageW(handle, CB_SETCURSEL, static_cast<WPARAM>(index), 0) == CB_ERR) {
            SendMessageW(handle, CB_SETCURSEL, static_cast<WPARAM>(before), 0);
            return;
        }
        SendMessageW(GetParent(handle), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(handle), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(handle));
    }

    void CloseBox(ui::Window& window) override { SendMessageW(HandleOf(window), WM_CLOSE, 0, 0); }

    void Press(ui::Window& window, UserKey key) override {
        UINT code = VK_TAB;
        bool shift = false;
        switch (key) {
            case UserKey::Tab:
                break;
            case UserKey::ShiftTab:
                shift = true;
                break;
            case UserKey::Enter:
                code = VK_RETURN;
                break;
            case UserKey::Space:
                code = VK_SPACE;
                break;
            case UserKey::Escape:
                code = VK_ESCAPE;
                break;
        }
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        const BYTE shiftBefore = keys[VK_SHIFT];
        if (shift) {
            keys[VK_SHIFT] = 0x80;
            SetKeyboardState(keys);
        }
        // Keys go to the active window: a window of another test program that ran
        // meanwhile on the same desktop may have taken the activation, as another
        // program would from a user, who clicks the window first.
        const HWND self = HandleOf(window);
        if (GetActiveWindow() != self) {
            SetForegroundWindow(self);
            const DWORD start = GetTickCount();
            while (GetActiveWindow() != self && GetTickCount() - start < 1000) {
                Let(20);
            }
        }
        // As the keyboard sends them: to the focused control, else to the window.
        const HWND focus = GetFocus();
        const HWND target = focus != nullptr ? focus : self;
        PostMessageW(target, WM_KEYDOWN, code, 1);
        PostMessageW(target, WM_KEYUP, code, static_cast<LPARAM>(0xC0000001));
        Let(60);
        if (shift) {
            keys[VK_SHIFT] = shiftBefore;
            SetKeyboardState(keys);
        }
    }

    bool HasFocus(ui::Window&, ui::Control& control) override {
        return GetFocus() != nullptr && GetFocus() == HandleOf(control);
    }

    std::string ShownCell(ui::ListView& list, std::size_t row, std::size_t column) override {
        const HWND handle = dynamic_cast<Win32ListView&>(list).Handle();
        const auto rows = static_cast<std::size_t>(SendMessageW(handle, LVM_GETITEMCOUNT, 0, 0));
        const HWND header = reinterpret_cast<HWND>(SendMessageW(handle, LVM_GETHEADER, 0, 0));
        const auto columns = static_cast<std::size_t>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
        if (row >= rows || column >= columns) {
            return {};
        }
        std::wstring text(1024, L'\0');
        LVITEMW item{};
        item.iSubItem = static_cast<int>(column);
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(text.size());
        const auto length =
            SendMessageW(handle, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
        return Narrow(text);
    }

    // Activation travels through the window system (under Wine, the X server and the
    // desktop's process): on a loaded machine it may come later than a fixed pause, so the
    // pump goes on until nothing has come for a while.
    void Settle() override {
        const DWORD start = GetTickCount();
        DWORD lastActivity = start;
        while (GetTickCount() - lastActivity < 60 && GetTickCount() - start < 2000) {
            ui_.WaitForEvent(10);
            if (HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0) {
                lastActivity = GetTickCount();
            }
            ui_.DoEvents();
        }
    }

    void Let(std::uint32_t milliseconds) override {
        const DWORD start = GetTickCount();
        do {
            ui_.WaitForEvent(10);
            ui_.DoEvents();
        } while (GetTickCount() - start < milliseconds);
    }

  private:
    void Arrow(ui::Control& spin, bool upper) {
        const HWND handle = HandleOf(spin);
        if (!OnScreen(handle)) {
            return;
        }
        RECT client{};
        GetClientRect(handle, &client);
        MouseClick(handle, client.right / 2, upper ? client.bottom / 4 : client.bottom * 3 / 4);
    }

    // The loop waits no longer than asked: the cases count the looks themselves.
    platform::win32::Win32Ui ui_{std::chrono::milliseconds(0)};
};

}  // namespace

std::unique_ptr<UiBackend> MakeWin32UiBackend() {
    return std::make_unique<Win32UiBackend>();
}

}  // namespace keldra::testing

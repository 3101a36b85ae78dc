// keldra.exe: the platform's real adapters under the main window, and the event loop
// the whole program runs in. The process ends only through the main window (closing,
// "Cancel", fixing), which terminates it.
#include <windows.h>

#include "app/frm_main.h"
#include "app/win32_machine.h"
#include "platform/win32/wide_text.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace keldra;
    app::Win32Machine machine;
    platform::win32::Win32Ui& ui = machine.ui;
    app::Program program(machine.ports());
    // Long work lets window events run at most this often: often enough to repaint and
    // to hear "Cancel" at once, seldom enough not to slow the walks down.
    program.eventInterval = 10;
    app::FrmMain frmMain(program);
    // The pointer stays as set until a window asks for its own at the next mouse move,
    // which the work it stands for does not let happen.
    frmMain.SetScreenPointer = [](platform::ui::Pointer pointer) {
        SetCursor(LoadCursorW(nullptr,
                              pointer == platform::ui::Pointer::Hourglass ? IDC_WAIT : IDC_ARROW));
    };
    // The megabyte texts group digits as the user's regional settings do.
    frmMain.GroupSeparator = [] {
        wchar_t separator[8] = {};
        const int length =
            GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8);
        return length > 1 ? platform::win32::Narrow(std::wstring_view(separator, length - 1))
                          : std::string(",");
    };
    frmMain.Start();
    for (;;) {
        ui.WaitForEvent(INFINITE);
        ui.DoEvents();
    }
}

// keldra.exe: the platform's real adapters under the main window, and the event loop
// the whole program runs in. The process ends only through the main window (closing,
// "Cancel", fixing), which terminates it.
#include <windows.h>

#include "app/frm_main.h"
#include "app/win32_machine.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace keldra;
    app::Win32Machine machine;
    platform::win32::Win32Ui& ui = machine.ui;
    app::Program program(machine.ports());
    // Long work lets window events run at most this often: often enough to repaint and
    // to hear "Cancel" at once, seldom enough not to slow the walks down.
    program.eventInterval = 10;
    app::FrmMain frmMain(program);
    frmMain.Start();
    for (;;) {
        ui.WaitForEvent(INFINITE);
        ui.DoEvents();
    }
}

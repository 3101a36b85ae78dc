// keldra.exe: the platform's real adapters under the main window, and the event loop
// the whole program runs in. The process ends only through the main window (closing,
// "Cancel", fixing), which terminates it.
#include <windows.h>

#include "app/frm_main.h"
#include "platform/registry_settings.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_language.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_text_file.h"
#include "platform/win32/win32_tray.h"
#include "platform/win32/win32_ui.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace keldra;
    platform::win32::Win32Registry registry;
    platform::RegistrySettings settings(registry);
    platform::win32::Win32Process process;
    platform::win32::Win32Language language;
    platform::win32::Win32Ui ui;
    platform::win32::Win32Tray tray;
    platform::win32::Win32FileSystem files;
    platform::win32::Win32TextFiles textFiles;
    app::Program program(
        app::Ports{ui, process, settings, language, tray, registry, files, textFiles});
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
    frmMain.Start();
    for (;;) {
        ui.WaitForEvent(INFINITE);
        ui.DoEvents();
    }
}

// What a user feels of the windows: the time to open the registry results window holding
// 100,000 rows, and the processor time of the run sequencer's two-second pauses.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/frm_main.h"
#include "app/win32_machine.h"
#include "disk/frm_disk_scan_details.h"
#include "platform/win32/win32_ui.h"
#include "registry/frm_reg_scan_details.h"

namespace {

using namespace keldra;

double ProcessorSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto seconds = [](FILETIME t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               1e7;
    };
    return seconds(kernel) + seconds(user);
}

// Runs the window's messages until none is left, paints included.
void Settle(platform::win32::Win32Ui& ui) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        ui.DoEvents();
    }
}

}  // namespace

int WindowBench(int argc, wchar_t** argv) {
    const std::size_t rows = argc > 2 ? static_cast<std::size_t>(_wtoi(argv[2])) : 100000;
    platform::win32::Win32Ui ui;
    ui.InitCommonControls();
    registry::ProblemList problems;
    for (std::size_t i = 0; i < rows; ++i) {
        problems.rows.push_back(
            {"HKEY_LOCAL_MACHINE\\Software\\Vendor\\Product\\Key" + std::to_string(i),
             "Value" + std::to_string(i % 7),
             "C:\\Program Files\\Vendor\\gone" + std::to_string(i) + ".dll",
             "File or folder not found", "1", "", 0x80000002});
    }
    const bool allEnd = false;
    registry::FrmRegScanDetails window(ui, nullptr, problems, allEnd);
    const auto start = std::chrono::steady_clock::now();
    window.Show();
    Settle(ui);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("window: the registry results window opened with %zu rows in %.3f s\n",
                window.lvInvalidLoc().ShownRowCount(), seconds);

    // The disk results window reads the junk list itself: ten times the rows.
    disk::JunkList junk;
    junk.JunkFiles.reserve(rows * 10);
    for (std::size_t i = 0; i < rows * 10; ++i) {
        junk.JunkFiles.push_back(
            {"C:\\Users\\Ann\\AppData\\Local\\Temp\\f" + std::to_string(i) + ".tmp",
             true,
             3,
             static_cast<std::int64_t>(i % 4096),
             {}});
    }
    junk.JunkCount = static_cast<std::int64_t>(junk.JunkFiles.size());
    disk::FrmDiskScanDetails diskWindow(ui, nullptr, junk, allEnd);
    const auto diskStart = std::chrono::steady_clock::now();
    diskWindow.Show();
    Settle(ui);
    const double diskSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - diskStart).count();
    std::printf("window: the disk results window opened with %zu rows in %.3f s\n",
                diskWindow.lvCFiles().ShownRowCount(), diskSeconds);
    return 0;
}

int PausesBench(int, wchar_t**) {
    app::Win32Machine machine;
    app::Program program(machine.ports());
    app::FrmMain frmMain(program);
    const double before = ProcessorSeconds();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 3; ++i) {
        frmMain.Wait(2);
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("pauses: three pauses of 2 s took %.2f s and %.3f s of processor time\n", wall,
                ProcessorSeconds() - before);
    return 0;
}

// The program's windows with the captions of the lang.dll beside the test, moved to
// monitors of 144 and 192 DPI and back to 96 (WM_DPICHANGED, as per-monitor awareness
// delivers it): no single-line text is cut and no control overlaps another. It measures
// whatever captions the library holds, so a translated lang.dll is checked the same way.
// Everything but the windows and the captions is simulated: nothing runs a pass.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "app/frm_welc.h"
#include "app/mod_lang.h"
#include "disk/frm_disk_scan_details.h"
#include "platform/registry_settings.h"
#include "platform/sim/sim_file_system.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_system_info.h"
#include "platform/sim/sim_text_file.h"
#include "platform/win32/win32_language.h"
#include "platform/win32/win32_ui.h"
#include "registry/frm_reg_scan_details.h"
#include "schedule/frm_schedule.h"
#include "win32/beside.h"
#include "win32_adapters/layout_check.h"

namespace keldra::testing {
namespace {

namespace ui = platform::ui;

class WindowLayout : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t display[256];
        if (GetEnvironmentVariableW(L"DISPLAY", display, 256) == 0) {
            GTEST_SKIP() << "needs a display (with-sandbox.sh --display)";
        }
        ASSERT_NE(GetFileAttributesW(BesideTestProgram(L"lang.dll").c_str()),
                  INVALID_FILE_ATTRIBUTES);
        settings.SaveSetting("Keldra Maintenance", "Options", "WelcScreen", "1");
    }

    std::string Text(std::string_view id) { return app::GetLangText(program.ports, id); }

    // The window at each DPI in turn, then back at the one it started at.
    void Check(ui::Window& window, const char* name) {
        const HWND handle = dynamic_cast<platform::win32::Win32Window&>(window).Handle();
        ASSERT_NE(handle, nullptr);
        ShowWindow(handle, SW_SHOWNOACTIVATE);
        for (const int dpi : {96, 144, 192, 96}) {
            SCOPED_TRACE(std::string(name) + " at " + std::to_string(dpi) + " DPI");
            RECT now{};
            GetWindowRect(handle, &now);
            const int from = ui_.ScreenDpi().x;
            const RECT suggested{now.left, now.top,
                                 now.left + MulDiv(now.right - now.left, dpi, from),
                                 now.top + MulDiv(now.bottom - now.top, dpi, from)};
            SendMessageW(handle, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                         reinterpret_cast<LPARAM>(&suggested));
            const std::vector<std::string> problems = LayoutProblems(handle, dpi);
            for (const std::string& problem : problems) {
                ADD_FAILURE() << problem;
            }
            // The window is new at every DPI: its size comes back with it.
            SendMessageW(handle, WM_DPICHANGED, MAKEWPARAM(from, from),
                         reinterpret_cast<LPARAM>(&now));
        }
    }

    platform::win32::Win32Ui ui_;
    platform::win32::Win32Language language_;
    platform::sim::SimPlatform sim;
    platform::sim::SimRegistry registry;
    platform::RegistrySettings settings{registry};
    platform::sim::SimFileSystem files;
    platform::sim::SimTextFiles textFiles;
    platform::sim::SimSystemInfo systemInfo{files};
    app::Program program{app::Ports{ui_, sim.process, settings, language_, sim.tray, registry,
                                    files, textFiles, files, files, systemInfo}};
};

TEST_F(WindowLayout, WelcomeWindow) {
    app::FrmWelc welcome(program);
    welcome.Load();
    Check(welcome.Window(), "welcome window");
}

TEST_F(WindowLayout, Scheduler) {
    schedule::FrmSchedule scheduler(program, [this](std::string_view id) { return Text(id); });
    scheduler.Load();
    Check(scheduler.Window(), "scheduler");
}

TEST_F(WindowLayout, MainWindowBeforeAPass) {
    app::FrmMain main(program);
    // Shown, but the message that would start the pass is never handled here.
    main.Start();
    Check(main.Window(), "main window");
}

TEST_F(WindowLayout, ResultsWindows) {
    const bool allEnd = false;
    registry::FrmRegScanDetails registryResults(
        ui_, [this](std::string_view id) { return Text(id); }, program.problems, allEnd);
    registryResults.Load();
    Check(registryResults.Window(), "registry results");
    disk::FrmDiskScanDetails diskResults(
        ui_, [this](std::string_view id) { return Text(id); }, program.junk, allEnd);
    diskResults.Load();
    Check(diskResults.Window(), "disk results");
}

}  // namespace
}  // namespace keldra::testing

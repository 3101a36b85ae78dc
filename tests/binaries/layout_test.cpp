// The program's windows with the captions of the lang.dll beside the test, moved to
// monitors of 144 and 192 DPI and back to 96 (WM_DPICHANGED, as per-monitor awareness
// delivers it): no text is cut, on one line or wrapped at its control's width, and no
// control overlaps another. It measures whatever captions the library holds, so the ctest
// entries that start Wine as a German, French, Spanish, Polish and Russian user check the
// translations the same way. Everything but the windows and the captions is simulated: the pass the
// main window shows afterwards finds the rows a test hands it, on no real machine.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "adapters/layout_check.h"
#include "app/frm_main.h"
#include "app/frm_welc.h"
#include "app/mod_lang.h"
#include "binaries/beside.h"
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

namespace keldra::testing {
namespace {

namespace ui = platform::ui;

// The simulated process, whose clock moves on a minute whenever it is read: the pauses
// between the stages of a pass end at once.
class HurriedProcess final : public platform::ProcessPort {
  public:
    HurriedProcess(platform::sim::SimProcess& process, platform::sim::SimClock& clock)
        : process_(process), clock_(clock) {}
    std::string CommandLine() const override { return process_.CommandLine(); }
    std::string ProgramFolder() const override { return process_.ProgramFolder(); }
    std::string ProgramName() const override { return process_.ProgramName(); }
    bool Start(std::string_view path, platform::StartWindow window) override {
        return process_.Start(path, window);
    }
    bool PreviousInstance() const override { return process_.PreviousInstance(); }
    bool SetCurrentDirectory(std::string_view path) override {
        return process_.SetCurrentDirectory(path);
    }
    std::string CurrentDirectory() const override { return process_.CurrentDirectory(); }
    [[noreturn]] void EndNow(int exitCode) override { process_.EndNow(exitCode); }
    void SetExitErrorMode() override { process_.SetExitErrorMode(); }
    std::uint32_t TickCount() const override {
        clock_.Advance(60'000);
        return clock_.Ticks();
    }
    platform::DateTime Now() const override { return process_.Now(); }
    platform::DateFormats UserDateFormats() const override { return process_.UserDateFormats(); }
    std::string UserGroupSeparator() const override { return process_.UserGroupSeparator(); }

  private:
    platform::sim::SimProcess& process_;
    platform::sim::SimClock& clock_;
};

// The language a ctest entry started Wine for (KELDRA_LAYOUT_LANGUAGE), so that a run
// which fell back to English does not pass for a translation checked.
struct UserLanguage {
    const wchar_t* code;
    LANGID primary;
};
constexpr UserLanguage kUserLanguages[] = {{L"de", LANG_GERMAN},
                                           {L"fr", LANG_FRENCH},
                                           {L"es", LANG_SPANISH},
                                           {L"pl", LANG_POLISH},
                                           {L"ru", LANG_RUSSIAN}};

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
        settings.SaveSetting("Keldra Maintenance", "Options", "AutoFix", "0");
        wchar_t wanted[8] = {};
        if (GetEnvironmentVariableW(L"KELDRA_LAYOUT_LANGUAGE", wanted, 8) != 0) {
            const UserLanguage* language = nullptr;
            for (const UserLanguage& l : kUserLanguages) {
                language = std::wstring_view(wanted) == l.code ? &l : language;
            }
            ASSERT_NE(language, nullptr) << platform::win32::Narrow(wanted);
            ASSERT_EQ(PRIMARYLANGID(GetUserDefaultUILanguage()), language->primary);
            // The main window's own caption of its button: the library did not translate.
            ASSERT_NE(Text("OCM_FB"), "Fix problems") << "code page " << GetACP();
        }
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
    HurriedProcess process{sim.process, sim.clock};
    platform::sim::SimRegistry registry;
    platform::RegistrySettings settings{registry};
    platform::sim::SimFileSystem files;
    platform::sim::SimTextFiles textFiles;
    platform::sim::SimSystemInfo systemInfo{files};
    app::Program program{app::Ports{ui_, process, settings, language_, sim.tray, registry, files,
                                    textFiles, files, files, systemInfo}};
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

TEST_F(WindowLayout, MainWindowWaitingForAScheduledStart) {
    // Daily at 10:21, and the simulated clock says 9:00: the countdown and "Scan Now".
    for (const auto& [key, value] : {std::pair{"AutoMaint", "1"}, std::pair{"Type", "0"},
                                     std::pair{"Hour", "10"}, std::pair{"Min", "21"}}) {
        settings.SaveSetting("Keldra Maintenance", "Options", key, value);
    }
    app::FrmMain main(program);
    main.Start();
    ASSERT_TRUE(main.SchedWaiting);
    Check(main.Window(), "main window waiting");
}

// The main window as a pass leaves it: every row's result shown, the counts in the texts.
void CheckAfterPass(app::FrmMain& main, ui::UiPort& ui,
                    const std::function<void(ui::Window&)>& check) {
    main.Start();
    // The activation that starts the pass, here or, where the desktop gave the window
    // none, by hand.
    ui.DoEvents();
    if (!main.RunStarted) {
        main.Form_Activate();
    }
    ASSERT_TRUE(main.RunStarted);
    for (int row = 0; row < 4; ++row) {
        EXPECT_TRUE(main.lblStatus(row).Visible()) << "row " << row;
    }
    check(main.Window());
}

TEST_F(WindowLayout, MainWindowAfterAPassThatFoundProblemsAndJunk) {
    app::FrmMain main(program);
    main.ScanRegistry = [this] {
        program.problems.Clear();
        for (int i = 0; i < 7; ++i) {
            program.problems.Append({"HKEY_CURRENT_USER\\Software\\Gone",
                                     "Value" + std::to_string(i), "C:\\gone.exe", "", "1", ""});
        }
    };
    // 1,234 MB: the megabytes of a drive that has not been cleaned in years.
    main.SearchJunk = [this] { program.junk.Append("C:\\TEMP\\big.tmp", 0, 1234LL << 20); };
    CheckAfterPass(main, ui_, [this](ui::Window& w) { Check(w, "main window after a pass"); });
    EXPECT_EQ(main.lblStatus(1).Text(), "7" + Text("OCM_PStat"));
    EXPECT_EQ(main.lblStatus(3).Text(), "1234" + Text("OCM_MStat"));
}

TEST_F(WindowLayout, MainWindowAfterAPassThatFoundNothing) {
    app::FrmMain main(program);
    main.ScanRegistry = [this] { program.problems.Clear(); };
    main.SearchJunk = [] {};
    CheckAfterPass(main, ui_,
                   [this](ui::Window& w) { Check(w, "main window after a clean pass"); });
    EXPECT_EQ(main.lblStatus(1).Text(), Text("OCM_DoneNP"));
    EXPECT_EQ(main.lblStatus(3).Text(), Text("OCM_DoneNS"));
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

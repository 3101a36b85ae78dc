// The main window on the simulated machine: start-up, the pass, the rows, fixing,
// cancelling and closing.
#include <string>

#include "app/mod_lang.h"
#include "console_fixture.h"

namespace keldra::app::testing {
namespace {

using platform::ui::kChecked;
using platform::ui::Pointer;

class FrmMainTest : public ConsoleTest {
  protected:
    // Keeps the pass waiting for the user after it (no automatic fixing).
    void NoAutoFix() { settings.SaveSetting("Keldra Maintenance", "Options", "AutoFix", "0"); }
    void SeenWelcome() { settings.SaveSetting("Keldra Maintenance", "Options", "WelcScreen", "1"); }
    // Fakes for the stages' work.
    void FindProblems(int count) {
        Main().ScanRegistry = [this, count] {
            for (int i = 0; i < count; ++i) {
                program.problems.rows.push_back({});
            }
        };
    }
    void FindJunk(std::int64_t count, std::int64_t bytes) {
        Main().SearchJunk = [this, count, bytes] {
            program.junk.JunkCount = count;
            program.junk.JunkBytes = bytes;
        };
    }
};

TEST_F(FrmMainTest, AFirstStartShowsWelcomeHidesAndRunsTheWholePass) {
    NoAutoFix();
    EXPECT_EQ(Run(), std::nullopt);

    EXPECT_TRUE(sim.ui.commonControls);
    EXPECT_EQ(MainWindow().Caption(), "Keldra Maintenance");
    EXPECT_EQ(Proc(1).Text(), "Processing registry problems...");
    EXPECT_EQ(Control("cmdCorrectProblems").Text(), "Fix problems");
    EXPECT_EQ(MainWindow().Icons(), "AAA (with owner)");
    // Centred: the window is 6315 twips wide on a 15360-twip screen.
    EXPECT_EQ(MainWindow().Bounds().left, (15360 - MainWindow().Bounds().width) / 2);
    ASSERT_EQ(sim.process.started.size(), 4u);
    EXPECT_EQ(sim.process.started[0].path, std::string(kFolder) + "\\Tolvan.exe");
    EXPECT_EQ(sim.process.started[0].window, platform::StartWindow::NormalFocus);
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(sim.process.started[i].path, std::string(kFolder) + "\\freemem.exe");
        EXPECT_EQ(sim.process.started[i].window, platform::StartWindow::Hidden);
    }

    SimWindow& welcome = sim.ui.Find("frmWelc");
    EXPECT_EQ(welcome.ShowCount(), 1);
    EXPECT_EQ(welcome.Get("Label1").Text(), "First half, second half.");
    EXPECT_EQ(Setting("WelcScreen"), "1");

    EXPECT_FALSE(MainWindow().Visible());
    EXPECT_TRUE(sim.tray.shown);
    EXPECT_EQ(sim.tray.tip, "Keldra Maintenance");
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(Status(i).Visible()) << i;
    }
    EXPECT_EQ(Status(0).Text(), "Done");
    EXPECT_EQ(Status(2).Text(), "Done");
    EXPECT_EQ(Status(1).Text(), "Done, no problems found");
    EXPECT_EQ(Status(1).ForeColor(), FrmMain::kGreen);
    EXPECT_FALSE(Status(1).Enabled());
    EXPECT_EQ(Status(3).Text(), "Done, nothing to clean");
    EXPECT_EQ(Status(3).ForeColor(), FrmMain::kGreen);
    EXPECT_TRUE(Control("cmdCorrectProblems").Enabled());
    EXPECT_EQ(sim.ui.WaitedMilliseconds(), 6000u) << "three pauses of two seconds";
    EXPECT_EQ(Control("Anim").Position().top, 1590 + 3 * 900);
    EXPECT_FALSE(Control("Anim").Playing());
}

TEST_F(FrmMainTest, TheWelcomeWindowShowsUntilTheUserKeepsTheBoxTicked) {
    NoAutoFix();
    // The user clears the box before closing: it comes back next time.
    sim.ui.onModal = [](SimWindow& w) {
        EXPECT_EQ(w.Get("chkNotShow").Value(), kChecked);
        w.Get("chkNotShow").Click();
    };
    Run();
    EXPECT_EQ(Setting("WelcScreen"), "0");
}

TEST_F(FrmMainTest, AStoredWelcomeChoiceSkipsTheWindow) {
    NoAutoFix();
    SeenWelcome();
    Run();
    EXPECT_EQ(sim.ui.Find("frmWelc").ShowCount(), 0);
    EXPECT_TRUE(sim.ui.Find("frmWelc").Loaded());
}

TEST_F(FrmMainTest, ResultRowsShowWhatTheStagesFound) {
    NoAutoFix();
    SeenWelcome();
    FindProblems(7);
    FindJunk(3, 1'572'864);
    Run();
    EXPECT_EQ(Status(1).Text(), "7 problems found");
    EXPECT_TRUE(Status(1).Enabled());
    EXPECT_TRUE(Proc(1).Enabled());
    EXPECT_EQ(Status(1).MousePointer(), Pointer::Custom);
    EXPECT_EQ(Status(3).Text(), "1 MB recovered") << "1.5 MB is cut, not rounded";
    EXPECT_TRUE(Status(3).Enabled());
}

TEST_F(FrmMainTest, LessThanAMegabyteOfJunkReadsZeroAndStillOpens) {
    NoAutoFix();
    SeenWelcome();
    FindJunk(1, 1'048'575);
    int diskOpened = 0;
    Main().ShowDiskResults = [&] { ++diskOpened; };
    Run();
    EXPECT_EQ(Status(3).Text(), "0 MB recovered");
    Status(3).Click();
    Proc(3).Click();
    EXPECT_EQ(diskOpened, 2);
}

TEST_F(FrmMainTest, OnlyRowsThatFoundSomethingOpenTheirWindow) {
    NoAutoFix();
    SeenWelcome();
    FindProblems(3);
    int registryOpened = 0;
    int diskOpened = 0;
    Main().ShowRegistryResults = [&] { ++registryOpened; };
    Main().ShowDiskResults = [&] { ++diskOpened; };
    Run();
    for (int row : {0, 2, 3}) {
        Status(row).Click();
        Proc(row).Click();
    }
    EXPECT_EQ(diskOpened, 0);
    Proc(1).Click();
    Status(1).Click();
    EXPECT_EQ(registryOpened, 2);
}

TEST_F(FrmMainTest, TheAutoFixBoxStoresItsValue) {
    NoAutoFix();
    SeenWelcome();
    Run();
    Control("chkAutoFix").Click();
    EXPECT_EQ(Setting("AutoFix"), "1");
    Control("chkAutoFix").Click();
    EXPECT_EQ(Setting("AutoFix"), "0");
}

TEST_F(FrmMainTest, AutomaticFixingRemovesEverythingAndEnds) {
    SeenWelcome();  // "AutoFix" absent: ticked
    std::string order;
    Main().DestroyJunk = [&] { order += "junk "; };
    Main().Remove = [&] { order += "registry"; };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(order, "junk registry");
    EXPECT_TRUE(Status(3).Visible());
}

TEST_F(FrmMainTest, FixProblemsAfterThePassRemovesAndEnds) {
    NoAutoFix();
    SeenWelcome();
    std::string order;
    Main().DestroyJunk = [&] { order += "junk "; };
    Main().Remove = [&] { order += "registry"; };
    ASSERT_EQ(Run(), std::nullopt);
    EXPECT_EQ(order, "");
    sim.ui.Post([&] { Control("cmdCorrectProblems").Click(); });
    EXPECT_EQ(Pump(), 0);
    EXPECT_EQ(order, "junk registry");
}

TEST_F(FrmMainTest, TheCompactionStageSetsTheOptimiseLineBetweenScanAndJunkSearch) {
    NoAutoFix();
    SeenWelcome();
    const std::string ini = files.WindowsDirectory() + "\\scanreg.ini";
    textFiles.PutFile(ini, "[ScanReg]\r\nOptimize=0\r\n");
    std::vector<std::string> seen;
    Main().ScanRegistry = [&] { seen.push_back(*textFiles.FileBytes(ini)); };
    Main().SearchJunk = [&] { seen.push_back(*textFiles.FileBytes(ini)); };
    EXPECT_EQ(Run(), std::nullopt);
    const std::vector<Pointer>& pointers = sim.ui.screenPointers;
    EXPECT_EQ(seen, (std::vector<std::string>{"[ScanReg]\r\nOptimize=0\r\n",
                                              "[ScanReg]\r\nOptimize=1\r\n"}));
    ASSERT_FALSE(pointers.empty());
    EXPECT_EQ(pointers.front(), Pointer::Hourglass);
    EXPECT_EQ(pointers.back(), Pointer::Default);
    EXPECT_TRUE(Status(2).Visible());
    EXPECT_EQ(Status(2).Text(), "Done");
}

TEST_F(FrmMainTest, AMissingConfigurationIsCreatedWhereTheWindowsFolderTakesIt) {
    NoAutoFix();
    SeenWelcome();
    textFiles.AddFolder(files.WindowsDirectory());
    EXPECT_EQ(Run(), std::nullopt);
    EXPECT_EQ(textFiles.FileBytes(files.WindowsDirectory() + "\\scanreg.ini"), "");
}

TEST_F(FrmMainTest, AWindowsFolderThatTakesNoFileStopsNothing) {
    NoAutoFix();
    SeenWelcome();
    textFiles.AddFolder(files.WindowsDirectory());
    textFiles.SetWritable(files.WindowsDirectory(), false);
    EXPECT_EQ(Run(), std::nullopt);
    EXPECT_FALSE(textFiles.FileExists(files.WindowsDirectory() + "\\scanreg.ini"));
    EXPECT_TRUE(Status(2).Visible());
    EXPECT_TRUE(Status(3).Visible()) << "the run goes on";
}

TEST_F(FrmMainTest, FixingRepairsTheListedRegistryValuesAfterBackingThemUp) {
    SeenWelcome();  // automatic fixing
    platform::RegKey key = 0;
    ASSERT_EQ(registry.CreateKey(platform::reg_root::kCurrentUser, "Software\\Keldra Fix", key), 0);
    const std::vector<std::uint8_t> data{'x', 0, 0, 0};
    ASSERT_EQ(registry.SetValue(key, "Gone", platform::reg_type::kSz, data), 0);
    registry.CloseKey(key);
    Main().ScanRegistry = [this] {
        for (const char* name : {"Gone", "Never there"}) {
            registry::Problem row;
            row.location = "HKEY_CURRENT_USER\\Software\\Keldra Fix";
            row.valueName = name;
            program.problems.rows.push_back(row);
        }
    };
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(program.problems.Count(), 1u);
    EXPECT_EQ(program.problems.rows[0].valueName, "Never there");
    platform::RegValueInfo info;
    ASSERT_EQ(registry.OpenKey(platform::reg_root::kCurrentUser, "Software\\Keldra Fix", key), 0);
    EXPECT_EQ(registry.QueryValue(key, "Gone", std::nullopt, info),
              platform::reg_status::kFileNotFound);
    registry.CloseKey(key);
    const auto backup = textFiles.FileBytes("C:\\sysbackup.reg");
    ASSERT_TRUE(backup);
    EXPECT_NE(backup->find("[HKEY_CURRENT_USER\\Software\\Keldra Fix]\r\n\"Gone\"=\"x\"\r\n"),
              std::string::npos)
        << *backup;
}

TEST_F(FrmMainTest, AFailingRemovalLeavesTheProgramRunning) {
    SeenWelcome();
    Main().DestroyJunk = [] { throw std::runtime_error("disk gone"); };
    bool repaired = false;
    Main().Remove = [&] { repaired = true; };
    EXPECT_EQ(Run(), std::nullopt);
    EXPECT_FALSE(repaired);
    EXPECT_TRUE(Control("cmdCorrectProblems").Enabled());
}

TEST_F(FrmMainTest, CancelInTheRegistryStageStopsAfterIt) {
    NoAutoFix();
    SeenWelcome();
    Main().ScanRegistry = [this] { program.ScanCancelled = true; };
    bool searched = false;
    Main().SearchJunk = [&] { searched = true; };
    EXPECT_EQ(Run(), std::nullopt);
    EXPECT_TRUE(Status(0).Visible());
    for (int i = 1; i < 4; ++i) {
        EXPECT_FALSE(Status(i).Visible()) << i;
    }
    EXPECT_EQ(Control("Anim").Position().top, 1590 + 900) << "beside row 1";
    EXPECT_FALSE(searched);
    EXPECT_EQ(sim.ui.WaitedMilliseconds(), 2000u);
}

TEST_F(FrmMainTest, TheCancelButtonDuringARunRemovesTheIconAndEnds) {
    SeenWelcome();
    bool searched = false;
    Main().SearchJunk = [&] { searched = true; };
    Main().ScanRegistry = [this] { Control("cmdCancel").Click(); };
    EXPECT_EQ(Run(), 0);
    EXPECT_FALSE(sim.tray.shown);
    EXPECT_FALSE(searched);
    EXPECT_FALSE(Status(1).Visible());
}

TEST_F(FrmMainTest, ClosingTheWindowDuringARunEndsWithNoStageContinuing) {
    SeenWelcome();
    bool searched = false;
    Main().SearchJunk = [&] { searched = true; };
    Main().ScanRegistry = [this] { MainWindow().Close(); };
    EXPECT_EQ(Run(), 0);
    EXPECT_FALSE(searched);
    EXPECT_TRUE(Main().AllEnd);
    EXPECT_FALSE(sim.ui.Find("frmWelc").Loaded());
}

TEST_F(FrmMainTest, BringingTheWindowBackDuringARunStartsNoSecondRun) {
    NoAutoFix();
    SeenWelcome();
    Main().ScanRegistry = [this] {
        sim.tray.Send(platform::tray_message::kLButtonUp);
        sim.ui.DoEvents();  // the activation that follows
    };
    Run();
    EXPECT_TRUE(MainWindow().Visible());
    EXPECT_EQ(MainWindow().State(), platform::ui::WindowState::Normal);
    EXPECT_TRUE(sim.ui.messages.empty()) << "not a second instance";
    EXPECT_EQ(sim.process.started.size(), 4u) << "freemem three times, once";
}

TEST_F(FrmMainTest, ASecondInstanceReportsTheFirstAndEnds) {
    sim.process.previousInstance = true;
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(sim.ui.messages.size(), 1u);
    EXPECT_EQ(sim.ui.messages[0].text, "Keldra Maintenance is already running.");
    EXPECT_EQ(sim.ui.messages[0].title, "Keldra Maintenance");
    EXPECT_EQ(sim.process.started.size(), 1u) << "only the companion program";
    EXPECT_FALSE(sim.tray.shown);
}

TEST_F(FrmMainTest, MinimisingHidesTheWindowAndTheTrayBringsItBack) {
    NoAutoFix();
    SeenWelcome();
    Run();
    MainWindow().Show();
    MainWindow().SetState(platform::ui::WindowState::Minimized);
    EXPECT_FALSE(MainWindow().Visible());
    sim.tray.Send(platform::tray_message::kRButtonUp);
    sim.tray.Send(platform::tray_message::kLButtonDblClk);
    EXPECT_FALSE(MainWindow().Visible());
    sim.tray.Send(platform::tray_message::kLButtonUp);
    EXPECT_TRUE(MainWindow().Visible());
    EXPECT_EQ(MainWindow().State(), platform::ui::WindowState::Normal);
}

TEST_F(FrmMainTest, WithoutTheLanguageLibraryCaptionsAreEmptyAndTheRunCompletes) {
    sim.language.present = false;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(MainWindow().Caption(), "");
    EXPECT_EQ(Proc(0).Text(), "");
    EXPECT_EQ(Status(3).Text(), "");
    EXPECT_TRUE(Status(3).Visible());
}

TEST_F(FrmMainTest, MissingHelperProgramsAndClipDoNotStopTheRun) {
    NoAutoFix();
    SeenWelcome();
    sim.process.programs.clear();
    sim.ui.playableClips.clear();
    EXPECT_EQ(Run(), std::nullopt);
    EXPECT_TRUE(sim.process.started.empty());
    EXPECT_TRUE(Status(0).Visible());
    EXPECT_TRUE(Status(3).Visible());
}

TEST_F(FrmMainTest, StopScanProcResetsTheDisplay) {
    NoAutoFix();
    SeenWelcome();
    FindProblems(2);
    FindJunk(1, 5);
    Run();
    Main().StopScanProc();
    EXPECT_TRUE(program.ScanCancelled);
    EXPECT_EQ(program.problems.Count(), 0u);
    EXPECT_EQ(program.junk.JunkCount, 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(Status(i).Visible()) << i;
    }
    EXPECT_FALSE(Status(1).Enabled());
    EXPECT_FALSE(Proc(3).Enabled());
    EXPECT_EQ(Status(1).Text(), "2 problems found") << "captions stay";
    EXPECT_EQ(Control("Anim").Position().top, 1590);
    EXPECT_FALSE(Control("cmdCorrectProblems").Enabled());
}

TEST_F(FrmMainTest, RowsOneAndThreeShowTheHandOnlyWhileTheyCanBeClicked) {
    NoAutoFix();
    SeenWelcome();
    const auto pointers = [this] {
        std::string seen;
        for (int row : {1, 3}) {
            for (SimControl* label : {&Proc(row), &Status(row)}) {
                seen += label->Enabled() ? "on:" : "off:";
                seen += label->MousePointer() == Pointer::Custom ? "hand " : "arrow ";
            }
        }
        return seen;
    };
    const std::string disabled = "off:arrow off:arrow off:arrow off:arrow ";
    std::string beforePass;
    std::string duringPass;
    sim.ui.AtDoEvents(1, [&] { beforePass = pointers(); });
    Main().ScanRegistry = [&] { duringPass = pointers(); };
    Run();
    EXPECT_EQ(beforePass, disabled);
    EXPECT_EQ(duringPass, disabled);
    EXPECT_EQ(pointers(), disabled) << "nothing found: green rows that cannot be clicked";

    FindProblems(2);
    Main().StopScanProc();
    program.ScanCancelled = false;
    Main().RunMaintenance();
    EXPECT_EQ(pointers(), "on:hand on:hand off:arrow off:arrow ");
    Main().StopScanProc();
    EXPECT_EQ(pointers(), disabled);
}

TEST_F(FrmMainTest, ANumberBeyondThirtyTwoBitsLeavesTheBoxesAsTheirDefaultsSay) {
    EXPECT_EQ(Val("4294967296"), 4'294'967'296LL);
    EXPECT_EQ(Val(" -4294967297x"), -4'294'967'297LL);
    EXPECT_EQ(Val("2abc"), 2);
    EXPECT_EQ(Val("x1"), 0);

    // Read as 0 it would clear "Fix all problems automatically"; as 1, skip the welcome.
    settings.SaveSetting("Keldra Maintenance", "Options", "AutoFix", "4294967296");
    settings.SaveSetting("Keldra Maintenance", "Options", "WelcScreen", "4294967297");
    std::string fixed;
    Main().DestroyJunk = [&] { fixed += "junk "; };
    Main().Remove = [&] { fixed += "registry"; };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(fixed, "junk registry");
    EXPECT_EQ(Control("chkAutoFix").Value(), kChecked);
    EXPECT_EQ(sim.ui.Find("frmWelc").ShowCount(), 1);
    EXPECT_EQ(Setting("WelcScreen"), "1");
    EXPECT_EQ(Setting("AutoFix"), "4294967296") << "an unchanged box stores nothing";
}

TEST_F(FrmMainTest, CaptionsAreReadInTheSystemsCodePage) {
    NoAutoFix();
    SeenWelcome();
    sim.language.codePage = 1251;
    sim.language.texts["OCM_MCap"] = "\xCE\xE1\xF1\xEB\xF3\xE6\xE8\xE2\xE0\xED\xE8\xE5 Keldra";
    sim.language.texts["OCM_lblProc0"] =
        "\xCE\xEF\xF2\xE8\xEC\xE8\xE7\xE0\xF6\xE8\xFF \xEF\xE0\xEC\xFF\xF2\xE8...";
    sim.language.texts["OSM_SE"] = "\xCE\xF2\xEC\xE5\xED\xE0";
    sim.language.texts["OSM_KLT"] = "\xCE\xE1\xF1\xEB\xF3\xE6\xE8\xE2\xE0\xED\xE8\xE5";
    EXPECT_EQ(Run(), std::nullopt);
    EXPECT_EQ(MainWindow().Caption(), "Обслуживание Keldra");
    EXPECT_EQ(Proc(0).Text(), "Оптимизация памяти...");
    EXPECT_EQ(Control("cmdCancel").Text(), "Отмена");
    EXPECT_EQ(sim.tray.tip, "Обслуживание");
}

TEST_F(FrmMainTest, WaitSleepsInsteadOfSpinningAndSurvivesTheTickWrap) {
    sim.clock.SetTicks(0xFFFFFFFFu - 500);
    const int before = sim.ui.DoEventsCalls();
    Main().Wait(2);
    EXPECT_EQ(sim.ui.WaitedMilliseconds(), 2000u);
    EXPECT_LE(sim.ui.DoEventsCalls() - before, 2);
}

TEST(CTray, TheTooltipFieldKeepsItsNulAndTheIconNeedsAHost) {
    platform::sim::SimTray tray;
    CTray icon(tray);
    icon.SetTipText(std::string(70, 'x'));
    EXPECT_EQ(tray.tip, std::string(63, 'x'));
    EXPECT_EQ(icon.TipText().size(), 64u);
    EXPECT_EQ(icon.TipText()[63], '\0');
    icon.SetTipText("short");
    EXPECT_EQ(icon.TipText(), std::string("short") + '\0' + std::string(58, ' '));

    tray.hasHost = false;
    EXPECT_FALSE(icon.ShowIcon());
    EXPECT_EQ(tray.addCount, 0);
    tray.hasHost = true;
    EXPECT_TRUE(icon.ShowIcon());
    EXPECT_EQ(tray.tip, "short");
}

TEST(CTray, AMessageArrivingDuringAnEventIsDropped) {
    platform::sim::SimTray tray;
    CTray icon(tray);
    int ups = 0;
    icon.LButtonUp = [&] {
        ++ups;
        tray.Send(platform::tray_message::kLButtonUp);  // re-entered while handling
    };
    tray.Send(platform::tray_message::kLButtonUp);
    tray.Send(512);  // a real mouse move raises nothing
    EXPECT_EQ(ups, 1);
}

TEST(ModLang, LooksUpInTheProgramFolderAndConvertsAnsi) {
    platform::sim::SimPlatform sim;
    platform::sim::SimRegistry registry;
    platform::RegistrySettings settings{registry};
    platform::sim::SimFileSystem files;
    platform::sim::SimTextFiles textFiles;
    platform::sim::SimSystemInfo systemInfo{files};
    const Ports ports{sim.ui, sim.process, settings, sim.language, sim.tray,  registry,
                      files,  textFiles,   files,    files,        systemInfo};
    sim.language.texts = {{"full", std::string(255, 'a')},
                          {"latin", "Caf\xE9 \x80 5"},
                          {"cut", std::string("before\0after", 12)}};
    sim.process.currentDirectory = "D:\\elsewhere";
    EXPECT_EQ(GetLangText(ports, "full"), std::string(255, 'a'));
    EXPECT_EQ(sim.process.currentDirectory, sim.process.programFolder);
    EXPECT_EQ(GetLangText(ports, "latin"), "Café € 5");
    EXPECT_EQ(GetLangText(ports, "cut"), "before");
    EXPECT_EQ(GetLangText(ports, "unknown"), "");
    sim.language.present = false;
    EXPECT_EQ(GetLangText(ports, "full"), "");
}

TEST(ModLang, ReadsTheLibrarysBytesInTheSystemsAnsiCodePage) {
    platform::sim::SimPlatform sim;
    platform::sim::SimRegistry registry;
    platform::RegistrySettings settings{registry};
    platform::sim::SimFileSystem files;
    platform::sim::SimTextFiles textFiles;
    platform::sim::SimSystemInfo systemInfo{files};
    const Ports ports{sim.ui, sim.process, settings, sim.language, sim.tray,  registry,
                      files,  textFiles,   files,    files,        systemInfo};
    sim.language.texts = {{"cyrillic", "\xD1\xEA\xE0\xED\xE8\xF0\xEE\xE2\xE0\xF2\xFC \xA8\xB8"},
                          {"polish", "\xAF\xF3\xB3\xE6 g\xEA\x9Cl\xB9"},
                          {"unassigned", "\x98"}};
    sim.language.codePage = 1251;
    EXPECT_EQ(GetLangText(ports, "cyrillic"), "Сканировать Ёё");
    EXPECT_EQ(GetLangText(ports, "unassigned"), "\u0098");
    sim.language.codePage = 1250;
    EXPECT_EQ(GetLangText(ports, "polish"), "Żółć gęślą");
    sim.language.codePage = 1252;
    EXPECT_EQ(GetLangText(ports, "polish"), "¯ó³æ gêœl¹");
}

}  // namespace
}  // namespace keldra::app::testing

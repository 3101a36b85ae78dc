// The program's windows driven from the keyboard alone: the tab order, the links of the
// result rows, the default buttons and Esc.
#include <string>
#include <vector>

#include "tests/unit/app/console_fixture.h"

namespace keldra::app::testing {
namespace {

using platform::sim::SimKey;
using platform::ui::kChecked;
using platform::ui::kUnchecked;

class KeyboardTest : public ConsoleTest {
  protected:
    KeyboardTest() {
        settings.SaveSetting("Keldra Maintenance", "Options", "AutoFix", "0");
        settings.SaveSetting("Keldra Maintenance", "Options", "WelcScreen", "1");
        Main().DestroyJunk = [this] { fixed += "junk "; };
        Main().Remove = [this] { fixed += "registry"; };
    }
    // A pass that finds registry problems and junk, and the window brought back after it.
    void PassThatFindsBoth() {
        Main().ScanRegistry = [this] { program.problems.rows.push_back({}); };
        Main().SearchJunk = [this] {
            program.junk.JunkCount = 1;
            program.junk.JunkBytes = 3 * 1024 * 1024;
        };
        ASSERT_EQ(Run(), std::nullopt);
        sim.tray.Send(platform::tray_message::kLButtonUp);
        ASSERT_TRUE(MainWindow().Visible());
    }
    // A key, and the exit code if the program ended on it.
    std::optional<int> Press(SimWindow& window, SimKey key) {
        try {
            window.Press(key);
        } catch (const platform::ProcessExit& exit) {
            return exit.exitCode;
        }
        return std::nullopt;
    }
    std::vector<std::string> TabRound(SimWindow& window, int presses) {
        std::vector<std::string> names;
        for (int i = 0; i < presses; ++i) {
            window.Press(SimKey::Tab);
            names.push_back(window.FocusedName());
        }
        return names;
    }
    std::string fixed;
};

TEST_F(KeyboardTest, TabGoesThroughTheMainWindowFromTopToBottomAndRoundAgain) {
    PassThatFindsBoth();
    EXPECT_EQ(MainWindow().FocusedName(), "");
    // "Scan Now" is hidden; the labels that lead nowhere are no stops.
    EXPECT_EQ(TabRound(MainWindow(), 7),
              (std::vector<std::string>{"lblStatus(1)", "lblStatus(3)", "chkAutoFix", "cmdCancel",
                                        "cmdScheduler", "cmdCorrectProblems", "lblStatus(1)"}));
    MainWindow().Press(SimKey::ShiftTab);
    EXPECT_EQ(MainWindow().FocusedName(), "cmdCorrectProblems");
}

TEST_F(KeyboardTest, RowsThatFoundNothingAreNoStops) {
    ASSERT_EQ(Run(), std::nullopt);
    sim.tray.Send(platform::tray_message::kLButtonUp);
    MainWindow().Press(SimKey::Tab);
    EXPECT_EQ(MainWindow().FocusedName(), "chkAutoFix");
}

TEST_F(KeyboardTest, EnterOrSpaceOnARowOpensItsResultsWindowWhichEnterAndEscClose) {
    PassThatFindsBoth();
    MainWindow().Press(SimKey::Tab);
    ASSERT_EQ(MainWindow().FocusedName(), "lblStatus(1)");
    ASSERT_EQ(Press(MainWindow(), SimKey::Enter), std::nullopt);
    Pump();
    SimWindow& registryResults = sim.ui.Find("frmRegScanDetails");
    ASSERT_TRUE(registryResults.Visible());
    EXPECT_EQ(fixed, "") << "Enter on the row opens it, it does not fix";
    EXPECT_EQ(TabRound(registryResults, 2), (std::vector<std::string>{"lvInvalidLoc", "cmdClose"}));
    registryResults.Press(SimKey::Escape);
    EXPECT_FALSE(registryResults.Visible());
    EXPECT_TRUE(registryResults.Loaded()) << "hidden, as by its close button";

    MainWindow().Press(SimKey::Tab);
    ASSERT_EQ(MainWindow().FocusedName(), "lblStatus(3)");
    MainWindow().Press(SimKey::Space);
    Pump();
    SimWindow& diskResults = sim.ui.Find("frmDiskScanDetails");
    ASSERT_TRUE(diskResults.Visible());
    diskResults.Press(SimKey::Tab);  // on the list, Enter presses "Close"
    diskResults.Press(SimKey::Enter);
    EXPECT_FALSE(diskResults.Visible());
    EXPECT_EQ(fixed, "");
}

TEST_F(KeyboardTest, EnterPressesFixProblemsOnceEnabledUnlessTheFocusIsOnAnotherButton) {
    PassThatFindsBoth();
    // Where the focus is on a button, Enter presses that one.
    MainWindow().Press(SimKey::ShiftTab);
    MainWindow().Press(SimKey::ShiftTab);
    ASSERT_EQ(MainWindow().FocusedName(), "cmdScheduler");
    ASSERT_EQ(Press(MainWindow(), SimKey::Enter), std::nullopt);
    Pump();
    EXPECT_TRUE(sim.ui.Find("frmSchedule").Visible());
    EXPECT_EQ(fixed, "");

    // Disabled, the default button takes no Enter.
    Main().StopScanProc();
    MainWindow().Press(SimKey::Tab);  // past the disabled button and rows
    ASSERT_EQ(MainWindow().FocusedName(), "chkAutoFix");
    EXPECT_EQ(Press(MainWindow(), SimKey::Enter), std::nullopt);
    EXPECT_EQ(fixed, "");

    Control("cmdCorrectProblems").SetEnabled(true);
    EXPECT_EQ(Press(MainWindow(), SimKey::Enter), 0);
    EXPECT_EQ(fixed, "junk registry");
}

TEST_F(KeyboardTest, SpaceTogglesTheFocusedBox) {
    PassThatFindsBoth();
    for (int i = 0; i < 3; ++i) {
        MainWindow().Press(SimKey::Tab);
    }
    ASSERT_EQ(MainWindow().FocusedName(), "chkAutoFix");
    ASSERT_EQ(Control("chkAutoFix").Value(), kUnchecked);
    MainWindow().Press(SimKey::Space);
    EXPECT_EQ(Control("chkAutoFix").Value(), kChecked);
    EXPECT_EQ(Setting("AutoFix"), "1");
    EXPECT_EQ(fixed, "");
}

TEST_F(KeyboardTest, EscSendsTheMainWindowToTheTrayAndNeverEndsTheProgram) {
    PassThatFindsBoth();
    EXPECT_EQ(Press(MainWindow(), SimKey::Escape), std::nullopt);
    EXPECT_EQ(Pump(), std::nullopt);
    EXPECT_FALSE(MainWindow().Visible());
    EXPECT_TRUE(MainWindow().Loaded());
    EXPECT_TRUE(sim.tray.shown);
    sim.tray.Send(platform::tray_message::kLButtonUp);
    EXPECT_TRUE(MainWindow().Visible());
    EXPECT_EQ(MainWindow().State(), platform::ui::WindowState::Normal);
    EXPECT_EQ(fixed, "");
}

TEST_F(KeyboardTest, EscClosesTheSchedulerAndTheWelcomeWindow) {
    PassThatFindsBoth();
    Main().cmdScheduler_Click();
    SimWindow& scheduler = sim.ui.Find("frmSchedule");
    ASSERT_TRUE(scheduler.Visible());
    EXPECT_EQ(TabRound(scheduler, 1), std::vector<std::string>{"chkEnable"});
    scheduler.Press(SimKey::Escape);
    EXPECT_FALSE(scheduler.Visible());
    EXPECT_TRUE(MainWindow().Visible());

    bool closedByEsc = false;
    sim.ui.onModal = [&](SimWindow& welcome) {
        welcome.Press(SimKey::Escape);
        closedByEsc = !welcome.Visible();
    };
    Main().frmWelc().Load();
    Main().frmWelc().ShowModal();
    EXPECT_TRUE(closedByEsc);
}

}  // namespace
}  // namespace keldra::app::testing

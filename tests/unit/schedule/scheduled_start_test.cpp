// The main window's side of the schedule: the due-time check that arms and disarms the
// scheduled start, the start at logon, the start itself, "Scan Now", the countdown, and
// the scheduler window opened, closed and cancelled around a pass.
#include <cstdint>
#include <ostream>
#include <string>

#include "schedule_fixture.h"

namespace keldra::app::testing {
namespace {

using platform::ui::kGrayed;

class ScheduledStartTest : public ScheduleTest {
  protected:
    // Records what fixing removes.
    void WatchFixing() {
        Main().DestroyJunk = [this] { fixed += "junk "; };
        Main().Remove = [this] { fixed += "registry"; };
    }
    bool Armed() {
        return Main().SchedWaiting && Timer("tmrAMaint").Enabled() && Timer("tmrUpd").Enabled() &&
               Control("cmdScnN").Visible();
    }
    bool Disarmed() {
        return !Main().SchedWaiting && !Main().ScheduledRun && !Timer("tmrAMaint").Enabled() &&
               !Timer("tmrUpd").Enabled() && !Control("cmdScnN").Visible() &&
               Control("lblSchedStart").Text().empty();
    }
    // Lets the clock run on to the next event, as the real event loop waits, and handles
    // it; the exit code if the program ended.
    std::optional<int> WaitAndPump(std::uint32_t milliseconds) {
        sim.ui.WaitForEvent(milliseconds);
        return Pump();
    }
    // The event loop for `milliseconds` of waiting at most; the exit code if the program
    // ended.
    std::optional<int> RunFor(std::uint64_t milliseconds) {
        const std::uint64_t until = sim.ui.WaitedMilliseconds() + milliseconds;
        while (sim.ui.WaitedMilliseconds() < until) {
            if (const auto code =
                    WaitAndPump(static_cast<std::uint32_t>(until - sim.ui.WaitedMilliseconds()))) {
                return code;
            }
        }
        return std::nullopt;
    }
    // The memory optimiser was started after the companion program: a pass ran.
    bool PassRan() { return sim.process.started.size() > 1; }

    // A program waiting for a start at 09:30 is brought back from the tray at 09:10:45:
    // the window stays, counts down, and its buttons work until "Cancel" ends it.
    void BringBackTheWaitingWindow() {
        ASSERT_TRUE(Armed());
        ASSERT_FALSE(MainWindow().Visible()) << "hidden into the tray at the start";
        sim.tray.Send(platform::tray_message::kLButtonUp);
        ASSERT_EQ(Pump(), std::nullopt);  // the activation that follows
        EXPECT_TRUE(MainWindow().Visible());
        EXPECT_EQ(MainWindow().State(), platform::ui::WindowState::Normal);
        EXPECT_TRUE(Control("cmdScnN").Visible());
        EXPECT_EQ(Control("lblSchedStart").Text(), "Starts in 0 h 21 min");
        ASSERT_EQ(RunFor(60'000), std::nullopt);
        EXPECT_TRUE(MainWindow().Visible()) << "still shown a minute later";
        EXPECT_EQ(Control("lblSchedStart").Text(), "Starts in 0 h 20 min");
        EXPECT_TRUE(Armed());
        EXPECT_FALSE(PassRan());

        // The scheduler opens and closes without hiding the window or starting a pass.
        Control("cmdScheduler").Click();
        EXPECT_TRUE(Scheduler().Visible());
        Scheduler().Close();
        ASSERT_EQ(Pump(), std::nullopt);
        EXPECT_TRUE(MainWindow().Visible());
        EXPECT_TRUE(Armed());

        // Minimising hides it as always; the tray brings it back again.
        MainWindow().SetState(platform::ui::WindowState::Minimized);
        EXPECT_FALSE(MainWindow().Visible());
        sim.tray.Send(platform::tray_message::kLButtonUp);
        ASSERT_EQ(Pump(), std::nullopt);
        EXPECT_TRUE(MainWindow().Visible());

        sim.ui.Post([this] { Control("cmdCancel").Click(); });
        EXPECT_EQ(Pump(), 0);
        EXPECT_FALSE(PassRan());
        EXPECT_FALSE(sim.tray.shown);
    }

    // During the first pass the user opens the scheduler, switches on a daily start at
    // 09:30 and closes it: the pass stops, and the program waits for that start.
    void ScheduleDuringThePass() {
        Main().SearchJunk = [this] { searched = true; };
        Main().ScanRegistry = [this] {
            Main().ScanRegistry = nullptr;  // the user does this once, in the first pass
            Control("cmdScheduler").Click();
            Sched("chkEnable").Click();
            Sched("txtHour").SetText("9");
            Sched("txtMin").SetText("30");
            Scheduler().Close();
        };
        ASSERT_EQ(Run(), std::nullopt) << "still running";
        EXPECT_FALSE(searched) << "the pass stopped at its next test";
        for (int i = 0; i < 4; ++i) {
            EXPECT_FALSE(Status(i).Visible()) << i;
        }
        EXPECT_TRUE(Armed());
        EXPECT_EQ(Timer("tmrAMaint").Interval(), 1'200'000u) << "armed at 09:10:47";
        EXPECT_FALSE(Control("cmdCorrectProblems").Enabled()) << "nothing to fix yet";
        EXPECT_EQ(fixed, "");
        EXPECT_EQ(sim.tray.tip, Control("lblSchedStart").Text());

        // At the start minute the second pass runs and fixes, and the program ends.
        EXPECT_EQ(RunFor(3'600'000), 0);
        EXPECT_EQ(fixed, "junk registry");
        EXPECT_TRUE(searched);
        EXPECT_EQ(Setting("LastRun"), "2026-12-08 09:30:47");
    }

    std::string fixed;
    bool searched = false;
};

TEST_F(ScheduledStartTest, ADueStartLaterTodayIsArmedAndTheWindowWaitsInTheTray) {
    QuietStart();
    StoreSchedule(0, 9, 30, true, "2026-12-07 09:30:00");
    ASSERT_EQ(Run(), std::nullopt);
    EXPECT_TRUE(Armed());
    EXPECT_EQ(Timer("tmrAMaint").Interval(), 1'200'000u) << "09:10:45 to 09:30:45";
    EXPECT_EQ(Timer("tmrUpd").Interval(), 1000u);
    EXPECT_EQ(Control("lblSchedStart").Text(), "Starts in 0 h 21 min");
    EXPECT_FALSE(MainWindow().Visible());
    EXPECT_TRUE(sim.tray.shown);
    EXPECT_FALSE(Main().RunStarted) << "no pass yet";
    EXPECT_EQ(sim.process.started.size(), 1u) << "only the companion program";
    EXPECT_EQ(Setting("LastRun"), "2026-12-07 09:30:00");
}

TEST_F(ScheduledStartTest, TheCountdownFollowsTheClockEverySecond) {
    QuietStart();
    SetNow({2026, 12, 8, 6, 40, 0});
    StoreSchedule(0, 8, 15, true, "2026-12-07 08:15:00");
    ASSERT_EQ(Run(), std::nullopt);
    EXPECT_EQ(Timer("tmrAMaint").Interval(), 5'700'000u);
    EXPECT_EQ(Control("lblSchedStart").Text(), "Starts in 1 h 36 min");
    // One minute and a second later the countdown has moved on by one minute.
    for (int second = 0; second < 61; ++second) {
        ASSERT_EQ(WaitAndPump(60'000), std::nullopt);
    }
    EXPECT_EQ(sim.ui.WaitedMilliseconds(), 61'000u) << "woken every second by the countdown";
    EXPECT_EQ(Control("lblSchedStart").Text(), "Starts in 1 h 35 min");
    // From 1 hour 20 minutes ahead.
    SetNow({2026, 12, 8, 6, 55, 10});
    ASSERT_EQ(WaitAndPump(60'000), std::nullopt);
    EXPECT_EQ(Control("lblSchedStart").Text(), "Starts in 1 h 21 min");
}

TEST_F(ScheduledStartTest, AtTheStartMinuteThePassRunsAndFixesWhateverTheBoxSays) {
    QuietStart();  // "Fix all problems automatically" is off
    StoreSchedule(0, 9, 30, true, "2026-12-07 09:30:00");
    WatchFixing();
    ASSERT_EQ(Run(), std::nullopt);
    sim.clock.Advance(1'200'000 - 1);
    ASSERT_EQ(Pump(), std::nullopt) << "a millisecond early";
    EXPECT_FALSE(Main().RunStarted);
    sim.clock.Advance(1);
    EXPECT_EQ(Pump(), 0);
    EXPECT_EQ(fixed, "junk registry");
    EXPECT_EQ(Setting("LastRun"), "2026-12-08 09:30:45") << "the start of this pass";
    EXPECT_TRUE(Main().ScheduledRun);
    EXPECT_FALSE(Main().SchedWaiting);
    EXPECT_EQ(Control("chkAutoFix").Value(), 0) << "loaded back from the store for the pass";
    EXPECT_FALSE(Control("chkAutoFix").Enabled());
    EXPECT_EQ(Setting("AutoFix"), "0");
    EXPECT_TRUE(Status(3).Visible()) << "the whole pass ran";
    EXPECT_FALSE(Timer("tmrAMaint").Enabled());
    EXPECT_FALSE(Control("cmdScnN").Visible());
}

TEST_F(ScheduledStartTest, TheScheduledStartGraysTheBoxWithoutStoringIt) {
    QuietStart();
    StoreSchedule(0, 9, 30, true, "2026-12-07 09:30:00");
    ASSERT_EQ(Run(), std::nullopt);
    // What the store holds right after the start grays the box, before the pass loads
    // the stored value back into it.
    std::string storedWhenGrayed = "<not grayed>";
    Control("chkAutoFix").OnClick = [&, previous = Control("chkAutoFix").OnClick] {
        previous();
        if (Control("chkAutoFix").Value() == kGrayed) {
            storedWhenGrayed = Setting("AutoFix");
        }
    };
    EXPECT_EQ(RunFor(3'600'000), 0);
    EXPECT_EQ(storedWhenGrayed, "0");
}

TEST_F(ScheduledStartTest, ScanNowStartsThePassAtOnce) {
    QuietStart();
    StoreSchedule(0, 9, 30, true, "2026-12-07 09:30:00");
    WatchFixing();
    ASSERT_EQ(Run(), std::nullopt);
    SetNow({2026, 12, 8, 9, 12, 3});
    sim.ui.Post([this] { Control("cmdScnN").Click(); });
    EXPECT_EQ(Pump(), 0);
    EXPECT_EQ(fixed, "junk registry");
    EXPECT_EQ(Setting("LastRun"), "2026-12-08 09:12:03");
    EXPECT_TRUE(PassRan());
}

TEST_F(ScheduledStartTest, TheCurrentStartMinuteStartsAtOnce) {
    QuietStart();
    SetNow({2026, 12, 8, 9, 30, 50});
    StoreSchedule(0, 9, 30, true, "2026-12-07 09:30:00");
    WatchFixing();
    ASSERT_EQ(Run(), std::nullopt);
    EXPECT_TRUE(Armed());
    EXPECT_EQ(Control("lblSchedStart").Text(), "Starts in 0 h 1 min");
    EXPECT_EQ(WaitAndPump(60'000), 0);
    EXPECT_EQ(fixed, "junk registry");
    EXPECT_EQ(sim.ui.WaitedMilliseconds(), 1u + 6'000u) << "a millisecond, then the pass's pauses";
}

TEST_F(ScheduledStartTest, APassedStartMinuteArmsNothingAndThePassRunsNow) {
    QuietStart();
    SetNow({2026, 12, 8, 9, 31, 0});
    StoreSchedule(0, 9, 30, true, "2026-12-07 09:30:00");
    ASSERT_EQ(Run(), std::nullopt);
    EXPECT_TRUE(Disarmed());
    EXPECT_TRUE(PassRan());
    EXPECT_TRUE(Status(3).Visible());
}

TEST_F(ScheduledStartTest, APassedStartMinuteLeavesWhateverIsArmed) {
    QuietStart();
    StoreSchedule(0, 9, 40, true, "2026-12-07 09:30:00");
    ASSERT_EQ(Run(), std::nullopt);
    ASSERT_TRUE(Armed());
    program.ScanCancelled = false;
    Store("Min", "5");  // 09:05: passed
    Main().AMaintCheck();
    EXPECT_TRUE(Armed());
    EXPECT_EQ(Timer("tmrAMaint").Interval(), 30u * 60'000u);
    EXPECT_EQ(Control("lblSchedStart").Text(), "Starts in 0 h 31 min");
    EXPECT_FALSE(program.ScanCancelled) << "nothing stopped";
}

TEST_F(ScheduledStartTest, SwitchingTheScheduleOffDisarms) {
    QuietStart();
    StoreSchedule(0, 9, 30, true, "2026-12-07 09:30:00");
    ASSERT_EQ(Run(), std::nullopt);
    ASSERT_TRUE(Armed());
    for (int type : {0, 1, 2}) {
        StoreSchedule(type, 9, 30, false, "2026-11-01 09:30:00");
        Main().AMaintCheck();
        EXPECT_TRUE(Disarmed()) << type;
        EXPECT_FALSE(program.ScanCancelled);
    }
    EXPECT_TRUE(sim.tray.shown) << "the icon stays";
}

// One due-time case: the stored frequency and last run, and whether a check at
// 2026-12-08 09:10:45 arms the start at 09:30.
struct DueCase {
    const char* name;
    int type;
    const char* lastRun;
    bool due;
};

void PrintTo(const DueCase& c, std::ostream* os) {
    *os << c.name;
}

class DueTimeCheck : public ScheduledStartTest, public ::testing::WithParamInterface<DueCase> {};

TEST_P(DueTimeCheck, ArmsOnlyWhatIsDue) {
    const DueCase& c = GetParam();
    QuietStart();
    ASSERT_EQ(Run(), std::nullopt);  // nothing stored: the pass runs and waits
    ASSERT_TRUE(PassRan());
    SetNow({2026, 12, 8, 9, 10, 45});
    StoreSchedule(c.type, 9, 30, true, c.lastRun);
    Main().AMaintCheck();
    if (c.due) {
        EXPECT_TRUE(Armed());
        EXPECT_EQ(Timer("tmrAMaint").Interval(), 1'200'000u);
        // Arming stops what was there and empties the display.
        EXPECT_TRUE(program.ScanCancelled);
        EXPECT_FALSE(Status(0).Visible());
        EXPECT_FALSE(Control("cmdCorrectProblems").Enabled());
    } else {
        EXPECT_TRUE(Disarmed());
        EXPECT_FALSE(program.ScanCancelled);
        EXPECT_TRUE(Status(0).Visible());
    }
}

INSTANTIATE_TEST_SUITE_P(
    ScheduledStartTest, DueTimeCheck,
    ::testing::Values(DueCase{"EveryThreeDaysTwoDaysBack", 1, "2026-12-06 00:00:00", false},
                      DueCase{"EveryThreeDaysThreeDaysBackLateAtNight", 1, "2026-12-05 23:59:00",
                              true},
                      DueCase{"WeeklySixDaysBack", 2, "2026-12-02 08:00:00", false},
                      DueCase{"WeeklySevenDaysBack", 2, "2026-12-01 23:00:00", true},
                      DueCase{"DailyRunEarlierToday", 0, "2026-12-08 06:00:00", true},
                      DueCase{"DailyLastRunInTheFuture", 0, "2027-01-01 00:00:00", true},
                      DueCase{"EveryThreeDaysLastRunInTheFuture", 1, "2027-01-01 00:00:00", false},
                      DueCase{"WeeklyLastRunInTheFuture", 2, "2027-01-01 00:00:00", false},
                      DueCase{"UnknownFrequency", 3, "2020-01-01 00:00:00", false},
                      // The last run loaded at start-up (absent: then) stays.
                      DueCase{"WeeklyLastRunUnreadableLater", 2, "31/31/2020", false}),
    [](const ::testing::TestParamInfo<DueCase>& param) { return std::string(param.param.name); });

TEST_F(ScheduledStartTest, ALogonStartWithTheScheduleOffEndsUnseen) {
    sim.process.commandLine = "-AuTo";
    StoreSchedule(0, 9, 30, false, "2026-12-07 09:30:00");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(MainWindow().ShowCount(), 0);
    EXPECT_EQ(sim.tray.addCount, 0);
    EXPECT_FALSE(sim.ui.Exists("frmWelc")) << "no welcome either";
    ASSERT_EQ(sim.process.started.size(), 1u) << "the companion program still starts";
    EXPECT_EQ(Proc(0).Text(), "Optimizing memory...") << "the captions are set";
}

TEST_F(ScheduledStartTest, ALogonStartWhoseStartMinutePassedEndsUnseen) {
    sim.process.commandLine = "/auto";
    SetNow({2026, 12, 8, 9, 31, 0});
    StoreSchedule(0, 9, 30, true, "2026-12-07 09:30:00");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(MainWindow().ShowCount(), 0);
    EXPECT_EQ(sim.tray.addCount, 0);
}

TEST_F(ScheduledStartTest, ALogonStartWithNothingDueTodayEndsUnseen) {
    sim.process.commandLine = "x AUTOMATIC";
    StoreSchedule(2, 9, 30, true, "2026-12-02 08:00:00");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(MainWindow().ShowCount(), 0);
}

TEST_F(ScheduledStartTest, ALogonStartWithAStartLaterTodayWaitsInTheTray) {
    sim.process.commandLine = "-AUTO";
    Store("AutoFix", "0");
    StoreSchedule(0, 9, 30, true, "2026-12-07 09:30:00");
    WatchFixing();
    ASSERT_EQ(Run(), std::nullopt);
    EXPECT_TRUE(Armed());
    EXPECT_EQ(Timer("tmrAMaint").Interval(), 1'200'000u);
    EXPECT_EQ(Control("lblSchedStart").Text(), "Starts in 0 h 21 min");
    EXPECT_FALSE(MainWindow().Visible());
    EXPECT_TRUE(sim.tray.shown);
    EXPECT_FALSE(sim.ui.Exists("frmWelc")) << "not yet";
    EXPECT_EQ(RunFor(3'600'000), 0);
    EXPECT_EQ(sim.ui.WaitedMilliseconds(), 1'200'000u + 6'000u);
    EXPECT_EQ(fixed, "junk registry");
    EXPECT_EQ(Setting("LastRun"), "2026-12-08 09:30:45");
}

TEST_F(ScheduledStartTest, WithoutTheWordAutoTheStartIsNormal) {
    sim.process.commandLine = "-aut o";
    QuietStart();
    ASSERT_EQ(Run(), std::nullopt);
    EXPECT_TRUE(PassRan());
}

TEST_F(ScheduledStartTest, ClosingTheSchedulerDuringAPassWaitsForTheArmedStart) {
    QuietStart();
    WatchFixing();
    ScheduleDuringThePass();
}

TEST_F(ScheduledStartTest, WithAutomaticFixingTooAStartArmedDuringAPassIsWaitedFor) {
    Store("WelcScreen", "1");  // "AutoFix" absent: ticked
    WatchFixing();
    ScheduleDuringThePass();
}

TEST_F(ScheduledStartTest, TheTrayBringsBackAWindowThatWaitsForALogonStart) {
    sim.process.commandLine = "-auto";
    QuietStart();
    StoreSchedule(0, 9, 30, true, "2026-12-07 09:30:00");
    ASSERT_EQ(Run(), std::nullopt);
    BringBackTheWaitingWindow();
}

TEST_F(ScheduledStartTest, TheTrayBringsBackAWindowThatWaitsAfterANormalStart) {
    QuietStart();
    StoreSchedule(0, 9, 30, true, "2026-12-07 09:30:00");
    ASSERT_EQ(Run(), std::nullopt);
    BringBackTheWaitingWindow();
}

TEST_F(ScheduledStartTest, ATrayClickBeforeTheFirstActivationAlsoKeepsTheWindowShown) {
    sim.process.commandLine = "-auto";
    QuietStart();
    StoreSchedule(0, 9, 30, true, "2026-12-07 09:30:00");
    try {
        Main().Start();
    } catch (const platform::ProcessExit&) {
        FAIL() << "a start is due later today";
    }
    sim.tray.Send(platform::tray_message::kLButtonUp);  // before any event ran
    ASSERT_EQ(Pump(), std::nullopt);
    ASSERT_EQ(Pump(), std::nullopt);
    EXPECT_TRUE(MainWindow().Visible());
    EXPECT_TRUE(Armed());
}

TEST_F(ScheduledStartTest, AWaitingWindowShownFromOutsideStaysAndScanNowRunsThePass) {
    QuietStart();
    StoreSchedule(0, 9, 30, true, "2026-12-07 09:30:00");
    WatchFixing();
    ASSERT_EQ(Run(), std::nullopt);
    MainWindow().Show();
    ASSERT_EQ(Pump(), std::nullopt);
    EXPECT_TRUE(MainWindow().Visible());
    sim.ui.Post([this] { Control("cmdScnN").Click(); });
    EXPECT_EQ(Pump(), 0);
    EXPECT_EQ(fixed, "junk registry");
}

TEST_F(ScheduledStartTest, WhileAStartWaitsTheTooltipIsTheCountdown) {
    QuietStart();
    StoreSchedule(0, 9, 30, true, "2026-12-07 09:30:00");
    ASSERT_EQ(Run(), std::nullopt);
    EXPECT_EQ(sim.tray.tip, "Starts in 0 h 21 min");
    ASSERT_EQ(RunFor(60'000), std::nullopt);
    EXPECT_EQ(sim.tray.tip, "Starts in 0 h 20 min") << "refreshed with the label";

    // During the scheduled pass and after it, the tooltip names the program again.
    std::string tipDuringPass;
    Main().ScanRegistry = [&] { tipDuringPass = sim.tray.tip; };
    Main().DestroyJunk = [] { throw std::runtime_error("drive gone"); };  // keeps it running
    ASSERT_EQ(RunFor(3'600'000), std::nullopt);
    EXPECT_EQ(tipDuringPass, "Keldra Maintenance");
    EXPECT_EQ(sim.tray.tip, "Keldra Maintenance");

    // Armed again and then switched off: no stale countdown stays in the tooltip.
    SetNow({2026, 12, 8, 9, 40, 0});
    Store("Min", "50");
    Main().AMaintCheck();
    EXPECT_EQ(sim.tray.tip, "Starts in 0 h 11 min");
    Store("AutoMaint", "0");
    Main().AMaintCheck();
    EXPECT_EQ(sim.tray.tip, "Keldra Maintenance");
}

TEST_F(ScheduledStartTest, AnUnreadableLastRunMakesAWeeklyScheduleDueAndItsRunStoresItAgain) {
    sim.process.commandLine = "-auto";
    Store("AutoFix", "0");
    StoreSchedule(2, 9, 30, true, "31/31/2020");
    WatchFixing();
    ASSERT_EQ(Run(), std::nullopt) << "due: the logon start waits";
    EXPECT_TRUE(Armed());
    EXPECT_EQ(Setting("LastRun"), "31/31/2020") << "not rewritten by waiting";
    EXPECT_EQ(RunFor(3'600'000), 0);
    EXPECT_EQ(fixed, "junk registry");
    EXPECT_EQ(Setting("LastRun"), "2026-12-08 09:30:45");
}

TEST_F(ScheduledStartTest, CancelWithTheSchedulerOpenEndsWithoutTheIconComingBack) {
    QuietStart();
    ASSERT_EQ(Run(), std::nullopt);
    Control("cmdScheduler").Click();
    Sched("chkEnable").Click();
    Sched("txtHour").SetText("9");
    Sched("txtMin").SetText("30");
    const int added = sim.tray.addCount;
    const int events = sim.ui.DoEventsCalls();
    sim.ui.Post([this] { Control("cmdCancel").Click(); });
    EXPECT_EQ(Pump(), 0);
    EXPECT_FALSE(sim.tray.shown);
    EXPECT_EQ(sim.tray.addCount, added);
    EXPECT_EQ(sim.ui.DoEventsCalls(), events + 1) << "no events run while ending";
    EXPECT_FALSE(Main().frmSchedule().Loaded());
    EXPECT_FALSE(Main().SchedWaiting);
}

TEST_F(ScheduledStartTest, ClosingTheMainWindowUnloadsTheSchedulerWithoutACheck) {
    QuietStart();
    StoreSchedule(0, 9, 30, false, "2026-12-07 09:30:00");
    ASSERT_EQ(Run(), std::nullopt);
    Control("cmdScheduler").Click();
    Store("AutoMaint", "1");  // a check now would arm
    sim.ui.Post([this] { MainWindow().Close(); });
    EXPECT_EQ(Pump(), 0);
    EXPECT_FALSE(Main().frmSchedule().Loaded());
    EXPECT_FALSE(Main().SchedWaiting);
}

}  // namespace
}  // namespace keldra::app::testing

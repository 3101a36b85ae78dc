// The scheduler window on the simulated machine: its controls, the stored schedule it
// loads and saves, the hour and minute boxes, and the logon start it registers.
#include <string>

#include "schedule_fixture.h"

namespace keldra::app::testing {
namespace {

using platform::ui::ControlKind;
using platform::ui::kChecked;
using platform::ui::kUnchecked;
namespace reg_root = platform::reg_root;

class FrmScheduleTest : public ScheduleTest {
  protected:
    // A normal start whose pass has finished, then "Scheduler...".
    void OpenScheduler() {
        QuietStart();
        ASSERT_EQ(Run(), std::nullopt);
        Control("cmdScheduler").Click();
        ASSERT_TRUE(Scheduler().Visible());
    }
    // What the user does to set a box to a value: select all, type over it.
    void Enter(SimControl& box, const std::string& text) {
        box.SetText(text.substr(0, 1));
        box.Type(text.substr(1));
    }
    const schedule::modAMaintvars& Values() { return program.AMaint; }
};

TEST_F(FrmScheduleTest, AFirstStartLoadsTheDefaultsHiddenAndStoresNothing) {
    QuietStart();
    ASSERT_EQ(Run(), std::nullopt);
    EXPECT_TRUE(Main().frmSchedule().Loaded()) << "loaded by the due-time check";
    EXPECT_FALSE(Scheduler().Visible());
    EXPECT_EQ(Values().AMaintType, 0);
    EXPECT_EQ(Values().AMaintHour, 0);
    EXPECT_EQ(Values().AMaintMin, 0);
    EXPECT_FALSE(Values().AMaintOn);
    EXPECT_EQ(Values().AMaintLastRun, (DateTime{2026, 12, 8, 9, 10, 45})) << "absent: now";
    for (const char* key : {"Type", "Hour", "Min", "AutoMaint", "LastRun", "AutoSchedule"}) {
        EXPECT_EQ(Setting(key), "<absent>") << key;
    }

    // Opening it shows the same window: it is not loaded again, so nothing is saved.
    Control("cmdScheduler").Click();
    EXPECT_TRUE(Scheduler().Visible());
    EXPECT_EQ(Setting("LastRun"), "<absent>");
    EXPECT_EQ(Sched("cmdTimeSet").Value(), 0);
    EXPECT_EQ(Sched("cmdTimeSet").Text(), "Daily");
    EXPECT_EQ(Sched("txtHour").Text(), "0");
    EXPECT_EQ(Sched("txtMin").Text(), "0");
    EXPECT_EQ(Sched("HS").Value(), 0);
    EXPECT_EQ(Sched("chkEnable").Value(), kUnchecked);
    EXPECT_FALSE(Sched("frmSM").Enabled());
    EXPECT_FALSE(Sched("txtHour").TakesInput()) << "the frame is disabled";
    EXPECT_EQ(RunEntry(reg_root::kLocalMachine), "<absent>");
}

TEST_F(FrmScheduleTest, EveryControlHasItsPlaceAndItsTextFromTheLanguageLibrary) {
    OpenScheduler();
    SimWindow& w = Scheduler();
    EXPECT_EQ(w.Caption(), "Keldra Scheduler");
    EXPECT_EQ(w.Icons(), "AAA (with owner)");
    EXPECT_EQ(w.Bounds().left, (15360 - w.Bounds().width) / 2);
    EXPECT_EQ(w.Bounds().top, (11520 - w.Bounds().height) / 2);
    EXPECT_EQ(w.Bounds().width, 5505 + 90) << "client area 5505 wide";
    struct Expected {
        const char* name;
        ControlKind kind;
        platform::ui::Twips position;
        const char* text;
        bool inFrame;
    };
    const Expected controls[] = {
        {"Label1",
         ControlKind::Label,
         {285, 1320, 4830, 975},
         "You can schedule Maintenance.",
         false},
        {"chkEnable",
         ControlKind::CheckBox,
         {285, 2340, 4800, 375},
         "Enable Scheduled Maintenance",
         false},
        {"frmSM", ControlKind::Frame, {285, 2940, 4875, 1485}, "Scheduled Maintenance", false},
        {"Label2", ControlKind::Label, {180, 375, 1680, 195}, "Run Maintenance", true},
        {"cmdTimeSet", ControlKind::ComboBox, {1920, 315, 1905, 315}, nullptr, true},
        {"Label3", ControlKind::Label, {180, 885, 390, 195}, "at", true},
        {"txtHour", ControlKind::TextBox, {645, 840, 390, 360}, "0", true},
        {"HS", ControlKind::SpinBar, {1020, 840, 255, 375}, nullptr, true},
        {"Label4", ControlKind::Label, {1365, 900, 705, 195}, "hours", true},
        {"txtMin", ControlKind::TextBox, {2115, 855, 435, 360}, "0", true},
        {"MS", ControlKind::SpinBar, {2535, 855, 255, 375}, nullptr, true},
        {"Label5", ControlKind::Label, {2910, 900, 1200, 195}, "minutes", true},
    };
    for (const Expected& e : controls) {
        SimControl& c = Sched(e.name);
        EXPECT_EQ(c.Kind(), e.kind) << e.name;
        EXPECT_EQ(c.Position(), e.position) << e.name;
        EXPECT_EQ(c.Frame() == &Sched("frmSM"), e.inFrame) << e.name;
        EXPECT_EQ(c.GetFont().face, "Tahoma") << e.name;
        EXPECT_EQ(c.GetFont().points, 8.25) << e.name;
        if (e.text != nullptr) {
            EXPECT_EQ(c.Text(), e.text) << e.name;
        }
    }
    SimControl& list = Sched("cmdTimeSet");
    ASSERT_EQ(list.ItemCount(), 3);
    EXPECT_EQ(list.ItemText(0), "Daily");
    EXPECT_EQ(list.ItemText(1), "Every 3 days");
    EXPECT_EQ(list.ItemText(2), "Weekly");
    // The upper arrows raise the values.
    EXPECT_EQ(Sched("HS").RangeBottom(), 0);
    EXPECT_EQ(Sched("HS").RangeTop(), 23);
    EXPECT_EQ(Sched("MS").RangeBottom(), 0);
    EXPECT_EQ(Sched("MS").RangeTop(), 59);
}

TEST_F(FrmScheduleTest, TickingRegistersTheLogonStartAndUntickingRemovesIt) {
    OpenScheduler();
    SetNow({2026, 12, 8, 10, 0, 0});
    Sched("chkEnable").Click();
    EXPECT_EQ(Setting("AutoSchedule"), "1");
    EXPECT_EQ(Setting("AutoMaint"), "1");
    EXPECT_EQ(Setting("LastRun"), "2026-12-08 10:00:00");
    EXPECT_TRUE(Values().AMaintOn);
    EXPECT_TRUE(Sched("frmSM").Enabled());
    EXPECT_TRUE(Sched("txtHour").TakesInput());
    EXPECT_EQ(RunEntry(reg_root::kLocalMachine), kCommand);
    EXPECT_EQ(RunEntry(reg_root::kCurrentUser), "<absent>");

    Sched("chkEnable").Click();
    EXPECT_EQ(Setting("AutoSchedule"), "0");
    EXPECT_EQ(Setting("AutoMaint"), "0");
    EXPECT_FALSE(Values().AMaintOn);
    EXPECT_FALSE(Sched("frmSM").Enabled());
    EXPECT_EQ(RunEntry(reg_root::kLocalMachine), "<absent>");
}

TEST_F(FrmScheduleTest, TheEntryNamesTheProgramFileWhereverItIs) {
    sim.process.programFolder = "D:\\Tools\\Kéldra";
    sim.process.programName = "keldra2";
    sim.process.programs = {"D:\\Tools\\Kéldra\\freemem.exe"};
    OpenScheduler();
    Sched("chkEnable").Click();
    EXPECT_EQ(RunEntry(reg_root::kLocalMachine), "\"D:\\Tools\\Kéldra\\keldra2.exe\" -auto");
}

TEST_F(FrmScheduleTest, AnOrdinaryUserGetsTheLogonStartInTheirOwnKey) {
    MachineRunKeyReadOnly();
    OpenScheduler();
    Sched("chkEnable").Click();
    EXPECT_EQ(RunEntry(reg_root::kLocalMachine), "<absent>");
    EXPECT_EQ(RunEntry(reg_root::kCurrentUser), kCommand);
    EXPECT_EQ(Setting("AutoMaint"), "1") << "the settings are stored all the same";

    Sched("chkEnable").Click();
    EXPECT_EQ(RunEntry(reg_root::kCurrentUser), "<absent>");
}

TEST_F(FrmScheduleTest, OnlyOneLogonEntryIsLeftSoThatTheProgramStartsOnce) {
    // A user entry left from a time without rights goes once the machine entry is written.
    mdlRegistry::SetStringValue(registry, reg_root::kCurrentUser, schedule::kRunKey,
                                schedule::kRunValueName, kCommand);
    OpenScheduler();
    Sched("chkEnable").Click();
    EXPECT_EQ(RunEntry(reg_root::kLocalMachine), kCommand);
    EXPECT_EQ(RunEntry(reg_root::kCurrentUser), "<absent>");
    Sched("chkEnable").Click();

    // A machine entry an administrator wrote serves an ordinary user as it is.
    mdlRegistry::SetStringValue(registry, reg_root::kLocalMachine, schedule::kRunKey,
                                schedule::kRunValueName, kCommand);
    MachineRunKeyReadOnly();
    Sched("chkEnable").Click();
    EXPECT_EQ(RunEntry(reg_root::kLocalMachine), kCommand);
    EXPECT_EQ(RunEntry(reg_root::kCurrentUser), "<absent>");
}

TEST_F(FrmScheduleTest, AMachineEntryTheUserCannotChangeIsTheOnlyOneWhateverItsSpelling) {
    const std::string shortPath = "\"C:\\PROGRA~1\\KELDRA~1\\keldra.exe\" -auto";
    mdlRegistry::SetStringValue(registry, reg_root::kLocalMachine, schedule::kRunKey,
                                schedule::kRunValueName, shortPath);
    MachineRunKeyReadOnly();
    OpenScheduler();
    Sched("chkEnable").Click();
    EXPECT_EQ(RunEntry(reg_root::kLocalMachine), shortPath);
    EXPECT_EQ(RunEntry(reg_root::kCurrentUser), "<absent>") << "no second copy at logon";
    // Switching off removes what the user may remove; the machine's entry stays.
    Sched("chkEnable").Click();
    EXPECT_EQ(RunEntry(reg_root::kCurrentUser), "<absent>");
    EXPECT_EQ(RunEntry(reg_root::kLocalMachine), shortPath);

    // Another folder, another letter case, no quotes: still one entry.
    for (const char* other : {"\"D:\\Old\\keldra.exe\" -auto",
                              "\"c:\\program files\\keldra maintenance\\KELDRA.EXE\" -AUTO",
                              "C:\\Program Files\\Keldra Maintenance\\keldra.exe -auto"}) {
        platform::sim::SimRegistry machine;
        platform::RegKey key = 0;
        ASSERT_EQ(machine.CreateKey(reg_root::kLocalMachine, schedule::kRunKey, key), 0);
        machine.CloseKey(key);
        ASSERT_TRUE(mdlRegistry::SetStringValue(machine, reg_root::kLocalMachine, schedule::kRunKey,
                                                schedule::kRunValueName, other));
        ASSERT_TRUE(machine.DenyAccess(reg_root::kLocalMachine, schedule::kRunKey, false, true));
        EXPECT_TRUE(schedule::RegisterLogonStart(machine, kCommand)) << other;
        EXPECT_EQ(mdlRegistry::GetStringValue(machine, reg_root::kCurrentUser, schedule::kRunKey,
                                              schedule::kRunValueName, "<absent>"),
                  "<absent>")
            << other;
    }
}

TEST_F(FrmScheduleTest, TheHourBoxKeepsDigitsWithinItsRangeAndEachChangeSaves) {
    OpenScheduler();
    Sched("chkEnable").Click();
    SimControl& hour = Sched("txtHour");

    SetNow({2026, 12, 8, 11, 0, 0});
    Enter(hour, "1a5");
    EXPECT_EQ(hour.Text(), "15");
    EXPECT_EQ(Sched("HS").Value(), 15);
    EXPECT_EQ(Setting("Hour"), "15");
    EXPECT_EQ(Values().AMaintHour, 15);
    EXPECT_EQ(Setting("LastRun"), "2026-12-08 11:00:00");

    SetNow({2026, 12, 8, 11, 1, 0});
    Enter(hour, "24");
    EXPECT_EQ(hour.Text(), "0") << "not 23";
    EXPECT_EQ(Sched("HS").Value(), 0);
    EXPECT_EQ(Setting("Hour"), "0");
    EXPECT_EQ(Setting("LastRun"), "2026-12-08 11:01:00");

    Enter(hour, "7");
    hour.SetText("");  // the user clears the box
    EXPECT_EQ(hour.Text(), "0");
    EXPECT_EQ(Setting("Hour"), "0");

    // Leading zeros stay in the box and the store and read back as the number.
    Enter(hour, "007");
    EXPECT_EQ(hour.Text(), "007");
    EXPECT_EQ(Setting("Hour"), "007");
    EXPECT_EQ(Values().AMaintHour, 7);
    EXPECT_EQ(Sched("HS").Value(), 7);

    SimControl& minute = Sched("txtMin");
    Enter(minute, "60");
    EXPECT_EQ(minute.Text(), "0");
    Enter(minute, "5x-9");
    EXPECT_EQ(minute.Text(), "59");
    EXPECT_EQ(Sched("MS").Value(), 59);
    EXPECT_EQ(Setting("Min"), "59");
    EXPECT_EQ(Values().AMaintMin, 59);
}

TEST_F(FrmScheduleTest, TheUpperArrowRaisesTheHourAndStopsAtTheTop) {
    OpenScheduler();
    Sched("chkEnable").Click();
    Enter(Sched("txtHour"), "22");
    SetNow({2026, 12, 8, 12, 0, 0});
    Sched("HS").SpinUp();
    EXPECT_EQ(Sched("txtHour").Text(), "23");
    EXPECT_EQ(Sched("HS").Value(), 23);
    EXPECT_EQ(Setting("Hour"), "23");
    EXPECT_EQ(Setting("LastRun"), "2026-12-08 12:00:00");
    Sched("HS").SpinUp();
    EXPECT_EQ(Sched("txtHour").Text(), "23");

    Sched("MS").SpinDown();
    EXPECT_EQ(Sched("txtMin").Text(), "0") << "already at the bottom";
    Sched("MS").SpinUp();
    EXPECT_EQ(Sched("txtMin").Text(), "1");
    EXPECT_EQ(Setting("Min"), "1");
}

TEST_F(FrmScheduleTest, ChangingTheFrequencyAloneStartsTheDayCountAfresh) {
    StoreSchedule(0, 8, 0, true, "2026-12-01 08:00:00");
    OpenScheduler();
    EXPECT_EQ(Values().AMaintLastRun, (DateTime{2026, 12, 1, 8, 0, 0}));
    EXPECT_EQ(Sched("chkEnable").Value(), kChecked);
    SetNow({2026, 12, 8, 10, 0, 0});
    Sched("cmdTimeSet").Choose(2);
    EXPECT_EQ(Setting("Type"), "2");
    EXPECT_EQ(Values().AMaintType, 2);
    EXPECT_EQ(Setting("LastRun"), "2026-12-08 10:00:00");
    EXPECT_EQ(Values().AMaintLastRun, Now());
    EXPECT_EQ(Setting("Hour"), "8") << "the rest as it was";
}

TEST_F(FrmScheduleTest, LoadingAgainAfterClosingSavesWhatItShows) {
    StoreSchedule(1, 8, 5, true, "2026-12-01 08:00:00");
    OpenScheduler();
    Scheduler().Close();
    EXPECT_FALSE(Main().frmSchedule().Loaded());
    EXPECT_EQ(Setting("LastRun"), "2026-12-01 08:00:00") << "closing saves nothing";
    ASSERT_TRUE(registry.DeleteTree(reg_root::kLocalMachine, schedule::kRunKey));

    SetNow({2026, 12, 8, 13, 0, 0});
    Control("cmdScheduler").Click();
    EXPECT_TRUE(Scheduler().Visible());
    EXPECT_EQ(Sched("cmdTimeSet").Value(), 1);
    EXPECT_EQ(Sched("txtMin").Text(), "5");
    EXPECT_EQ(Setting("LastRun"), "2026-12-08 13:00:00");
    EXPECT_EQ(Setting("AutoSchedule"), "1");
    EXPECT_EQ(Setting("Type"), "1");
    EXPECT_EQ(RunEntry(reg_root::kLocalMachine), kCommand) << "registered again";
}

TEST_F(FrmScheduleTest, StoredValuesThatCannotBeReadKeepWhatTheProgramHolds) {
    schedule::FrmSchedule& window = Main().frmSchedule();
    program.AMaint.AMaintType = 2;
    program.AMaint.AMaintHour = 6;
    program.AMaint.AMaintMin = 7;
    program.AMaint.AMaintOn = true;
    Store("Type", "weekly");
    Store("Hour", "");
    Store("Min", "99999");
    Store("AutoMaint", "yes");
    window.LoadAutoMaintData();
    EXPECT_EQ(Values().AMaintType, 2);
    EXPECT_EQ(Values().AMaintHour, 6);
    EXPECT_EQ(Values().AMaintMin, 7);
    EXPECT_TRUE(Values().AMaintOn);
    EXPECT_EQ(Sched("txtHour").Text(), "6");
    EXPECT_EQ(Sched("cmdTimeSet").Value(), 2);

    // Numbers as such values are read: blanks, a sign, a fraction rounded to even.
    Store("Type", " 1 ");
    Store("Hour", "7.5");
    Store("Min", "-0");
    Store("AutoMaint", "True");
    window.LoadAutoMaintData();
    EXPECT_EQ(Values().AMaintType, 1);
    EXPECT_EQ(Values().AMaintHour, 8);
    EXPECT_EQ(Values().AMaintMin, 0);
    EXPECT_TRUE(Values().AMaintOn);

    // A position the list does not have is kept in the value but not chosen.
    Store("Type", "5");
    window.LoadAutoMaintData();
    EXPECT_EQ(Values().AMaintType, 5);
    EXPECT_EQ(Sched("cmdTimeSet").Value(), 1);
}

TEST_F(FrmScheduleTest, TheLastRunIsReadInTheOlderRegionalFormAndOtherwiseKeepsItsValue) {
    schedule::FrmSchedule& window = Main().frmSchedule();
    // Unreadable from the start: the earliest date, so that a schedule is due.
    Store("LastRun", "damaged");
    window.LoadAutoMaintData();
    EXPECT_EQ(Values().AMaintLastRun, DateTime{});
    Store("LastRun", "12/1/2026 8:00:00 PM");
    window.LoadAutoMaintData();
    EXPECT_EQ(Values().AMaintLastRun, (DateTime{2026, 12, 1, 20, 0, 0}));

    // The user changed the regional format since: the text is no date any more.
    sim.process.dateFormats = {"dd.MM.yyyy", "HH:mm:ss", "", ""};
    window.LoadAutoMaintData();
    EXPECT_EQ(Values().AMaintLastRun, (DateTime{2026, 12, 1, 20, 0, 0}));
    Store("LastRun", "02.12.2026 20:00:00");
    window.LoadAutoMaintData();
    EXPECT_EQ(Values().AMaintLastRun, (DateTime{2026, 12, 2, 20, 0, 0}));
    Store("LastRun", "damaged");
    window.LoadAutoMaintData();
    EXPECT_EQ(Values().AMaintLastRun, (DateTime{2026, 12, 2, 20, 0, 0}));
    EXPECT_EQ(Setting("LastRun"), "damaged") << "loading stores nothing";
}

TEST_F(FrmScheduleTest, LoadingStoresNothingButAChangedCheckBoxStillRegisters) {
    StoreSchedule(0, 8, 5, true, "2026-12-01 08:00:00");
    Main().frmSchedule().LoadAutoMaintData();
    EXPECT_EQ(Setting("LastRun"), "2026-12-01 08:00:00");
    EXPECT_EQ(Setting("AutoSchedule"), "1") << "the check box's click handler ran";
    EXPECT_EQ(RunEntry(reg_root::kLocalMachine), kCommand);
    EXPECT_FALSE(Main().frmSchedule().Updating);
}

}  // namespace
}  // namespace keldra::app::testing

#pragma once
// The program on a simulated machine with the scheduler's texts, a stored schedule a
// test writes, and the logon entries it reads.

#include <string>

#include "registry/mdl_registry.h"
#include "schedule/logon_start.h"
#include "unit/app/console_fixture.h"

namespace keldra::app::testing {

using platform::DateTime;

class ScheduleTest : public ConsoleTest {
  protected:
    static constexpr const char* kCommand =
        "\"C:\\Program Files\\Keldra Maintenance\\keldra.exe\" -auto";

    ScheduleTest() {
        sim.language.texts.insert({{"OCM_SMC", "Starts in "},
                                   {"OCM_SMH", " h "},
                                   {"OCM_SMM", " min"},
                                   {"OSM_SCap", "Keldra Scheduler"},
                                   {"OCM_ShC", "You can schedule Maintenance."},
                                   {"OCM_ShL1", "Run Maintenance"},
                                   {"OCM_ShL2", "at"},
                                   {"OCM_ShL3", "hours"},
                                   {"OCM_ShL4", "minutes"},
                                   {"OCM_ESM", "Enable Scheduled Maintenance"},
                                   {"OCM_FSM", "Scheduled Maintenance"},
                                   {"OSM_AML1", "Daily"},
                                   {"OSM_AML2", "Every 3 days"},
                                   {"OSM_AML3", "Weekly"}});
        SetNow({2026, 12, 8, 9, 10, 45});
    }

    void SetNow(const DateTime& now) { sim.clock.SetNow(now); }
    DateTime Now() const { return sim.clock.Now(); }

    void Store(const std::string& key, const std::string& value) {
        settings.SaveSetting("Keldra Maintenance", "Options", key, value);
    }
    // A stored schedule as the scheduler window writes it.
    void StoreSchedule(int type, int hour, int minute, bool on, const std::string& lastRun) {
        Store("Type", std::to_string(type));
        Store("Hour", std::to_string(hour));
        Store("Min", std::to_string(minute));
        Store("AutoMaint", on ? "1" : "0");
        Store("LastRun", lastRun);
    }
    // Keeps the pass waiting for the user after it, and the welcome window away.
    void QuietStart() {
        Store("AutoFix", "0");
        Store("WelcScreen", "1");
    }

    // The logon entry under a root; "<absent>" when there is none.
    std::string RunEntry(platform::RegKey root) {
        return mdlRegistry::GetStringValue(registry, root, schedule::kRunKey,
                                           schedule::kRunValueName, "<absent>");
    }
    // An ordinary user: the machine-wide logon entries cannot be written.
    void MachineRunKeyReadOnly() {
        platform::RegKey key = 0;
        ASSERT_EQ(registry.CreateKey(platform::reg_root::kLocalMachine, schedule::kRunKey, key), 0);
        registry.CloseKey(key);
        ASSERT_TRUE(
            registry.DenyAccess(platform::reg_root::kLocalMachine, schedule::kRunKey, false, true));
    }

    SimWindow& Scheduler() { return sim.ui.Find("frmSchedule"); }
    SimControl& Sched(const std::string& name) { return Scheduler().Get(name); }
    platform::sim::SimTimer& Timer(const std::string& name) { return MainWindow().GetTimer(name); }
};

}  // namespace keldra::app::testing

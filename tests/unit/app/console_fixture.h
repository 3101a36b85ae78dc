#pragma once
// The program on a simulated machine with English texts, ready to start.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/frm_main.h"
#include "platform/registry_settings.h"
#include "platform/sim/sim_file_system.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_system_info.h"
#include "platform/sim/sim_text_file.h"

namespace keldra::app::testing {

using platform::sim::SimControl;
using platform::sim::SimWindow;

inline const std::map<std::string, std::string, std::less<>>& EnglishTexts() {
    static const std::map<std::string, std::string, std::less<>> texts{
        {"OCM_MCap", "Keldra Maintenance"},
        {"OCM_lblProc0", "Optimizing memory..."},
        {"OCM_lblProc1", "Processing registry problems..."},
        {"OCM_lblProc2", "Compacting registry..."},
        {"OCM_lblProc3", "Clearing junk and temporary files..."},
        {"OCM_lblDesc0", "Optimizes memory."},
        {"OCM_lblDesc1", "Searches the registry."},
        {"OCM_lblDesc2", "Compacts the registry."},
        {"OCM_lblDesc3", "Cleans your hard drive."},
        {"OCM_FA", "Fix all problems automatically"},
        {"OCM_FB", "Fix problems"},
        {"OCM_Sched", "Scheduler..."},
        {"OSM_SE", "Cancel"},
        {"OSM_SN", "Scan Now"},
        {"OCM_DoneStat", "Done"},
        {"OCM_PStat", " problems found"},
        {"OCM_MStat", " MB recovered"},
        {"OCM_DoneNP", "Done, no problems found"},
        {"OCM_DoneNS", "Done, nothing to clean"},
        {"OSM_PrevInst", "Keldra Maintenance is already running."},
        {"OSM_KLT", "Keldra Maintenance"},
        {"OWM_1", "Welcome!"},
        {"OWM_2a", "First half, "},
        {"OWM_2b", "second half."},
        {"OWM_3", "Do not show this again."},
    };
    return texts;
}

class ConsoleTest : public ::testing::Test {
  protected:
    static constexpr const char* kFolder = "C:\\Program Files\\Keldra Maintenance";

    ConsoleTest() {
        sim.language.texts = EnglishTexts();
        sim.process.programs = {std::string(kFolder) + "\\freemem.exe",
                                std::string(kFolder) + "\\Tolvan.exe"};
        sim.ui.playableClips = {std::string(kFolder) + "\\cpuscan.avi"};
    }

    FrmMain& Main() {
        if (!main_) {
            main_ = std::make_unique<FrmMain>(program);
        }
        return *main_;
    }

    // Starts the program and runs its event loop until it ends or has nothing left to do;
    // the exit code when it ended.
    std::optional<int> Run() {
        try {
            Main().Start();
            for (int i = 0; i < 20; ++i) {
                sim.ui.DoEvents();
            }
        } catch (const platform::ProcessExit& exit) {
            return exit.exitCode;
        }
        return std::nullopt;
    }
    // Runs one more round of events (a click, a tray message...).
    std::optional<int> Pump() {
        try {
            sim.ui.DoEvents();
        } catch (const platform::ProcessExit& exit) {
            return exit.exitCode;
        }
        return std::nullopt;
    }

    std::string Setting(const std::string& key) {
        return settings.GetSetting("Keldra Maintenance", "Options", key, "<absent>");
    }
    SimWindow& MainWindow() { return sim.ui.Find("frmMain"); }
    SimControl& Control(const std::string& name) { return MainWindow().Get(name); }
    SimControl& Status(int i) { return Control("lblStatus(" + std::to_string(i) + ")"); }
    SimControl& Proc(int i) { return Control("lblProc(" + std::to_string(i) + ")"); }

    platform::sim::SimPlatform sim;
    platform::sim::SimRegistry registry;
    platform::RegistrySettings settings{registry};
    platform::sim::SimFileSystem files;
    platform::sim::SimTextFiles textFiles;
    platform::sim::SimSystemInfo systemInfo{files};
    Program program{Ports{sim.ui, sim.process, settings, sim.language, sim.tray, registry, files,
                          textFiles, files, files, systemInfo}};

  private:
    std::unique_ptr<FrmMain> main_;
};

}  // namespace keldra::app::testing

#pragma once
// What the windows of the program share: the platform, and the process-wide values
// (the cancel flag, the result lists and the schedule). Tests build a fresh one per case.

#include <string_view>

#include "disk/junk_files.h"
#include "platform/language_port.h"
#include "platform/process_port.h"
#include "platform/registry_port.h"
#include "platform/settings_port.h"
#include "platform/tray_port.h"
#include "platform/ui_port.h"
#include "registry/problem_list.h"
#include "schedule/mod_amaintvars.h"

namespace keldra::app {

inline constexpr std::string_view kAppName = "Keldra Maintenance";
inline constexpr std::string_view kOptions = "Options";

struct Ports {
    platform::ui::UiPort& ui;
    platform::ProcessPort& process;
    platform::SettingsPort& settings;
    platform::LanguagePort& language;
    platform::TrayPort& tray;
    platform::RegistryPort& registry;
};

struct Program {
    explicit Program(const Ports& p) : ports(p) {}
    Ports ports;
    // Set to stop a pass at its next test.
    bool ScanCancelled = false;
    registry::ProblemList problems;
    disk::JunkList junk;
    schedule::modAMaintvars AMaint;
};

}  // namespace keldra::app

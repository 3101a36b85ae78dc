#pragma once
// What the windows of the program share: the platform, and the process-wide values
// (the cancel flag, the result lists and the schedule). Tests build a fresh one per case.

#include <cstdint>
#include <string_view>

#include "disk/junk_files.h"
#include "platform/file_port.h"
#include "platform/file_system_port.h"
#include "platform/language_port.h"
#include "platform/process_port.h"
#include "platform/registry_port.h"
#include "platform/settings_port.h"
#include "platform/system_info_port.h"
#include "platform/text_file_port.h"
#include "platform/tray_port.h"
#include "platform/ui_port.h"
#include "platform/volume_port.h"
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
    platform::FileSystemPort& files;
    // The registry backup and the registry checker's configuration.
    platform::TextFilePort& textFiles;
    // The disk cleaner's: listing, emptying and deleting files; drives and volumes; the
    // machine facts of the system-information class.
    platform::FilePort& fileOps;
    platform::VolumePort& volumes;
    platform::SystemInfoPort& systemInfo;
};

struct Program {
    explicit Program(const Ports& p) : ports(p) {}
    Ports ports;
    // Set to stop a pass at its next test.
    bool ScanCancelled = false;
    // How often long work lets window events run, in milliseconds; 0 is at every item.
    std::uint32_t eventInterval = 0;
    registry::ProblemList problems;
    disk::JunkList junk;
    schedule::modAMaintvars AMaint;
};

}  // namespace keldra::app

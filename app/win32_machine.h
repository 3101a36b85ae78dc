#pragma once
// The real machine: every Win32 adapter the program's ports stand for, in one place, for
// keldra.exe and for the benchmarks that run the program's windows.
#include "app/program.h"
#include "platform/registry_settings.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_language.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system_info.h"
#include "platform/win32/win32_text_file.h"
#include "platform/win32/win32_tray.h"
#include "platform/win32/win32_ui.h"
#include "platform/win32/win32_volumes.h"

namespace keldra::app {

struct Win32Machine {
    platform::win32::Win32Registry registry;
    platform::RegistrySettings settings{registry};
    platform::win32::Win32Process process;
    platform::win32::Win32Language language;
    platform::win32::Win32Ui ui;
    platform::win32::Win32Tray tray;
    platform::win32::Win32FileSystem fileSystem;
    platform::win32::Win32TextFiles textFiles;
    platform::win32::Win32Files files;
    platform::win32::Win32Volumes volumes;
    platform::win32::Win32SystemInfo systemInfo;

    Ports ports() {
        return Ports{ui,         process,   settings, language, tray,      registry,
                     fileSystem, textFiles, files,    volumes,  systemInfo};
    }
};

}  // namespace keldra::app

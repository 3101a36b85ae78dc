#pragma once
// The "Run" entry that starts the program at logon with the word "auto", so that it can
// wait in the tray for the scheduled pass.

#include <string>
#include <string_view>

#include "platform/registry_port.h"

namespace keldra::schedule {

inline constexpr std::string_view kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr std::string_view kRunValueName = "Keldra Maintenance";

// The quoted program path followed by " -auto".
std::string LogonCommandLine(std::string_view programFolder, std::string_view programName);

// Registers the start for every user of the machine; where that cannot be written (an
// ordinary user), for the current user, so that an enabled schedule really starts the
// program. A machine entry of the same name that this user cannot change counts as
// written, whatever path it names. Only one of the two entries is left, so that the
// program never starts twice.
// False when neither could be written.
bool RegisterLogonStart(platform::RegistryPort& reg, std::string_view commandLine);

// Removes the entry from both places; a missing one is no failure.
void UnregisterLogonStart(platform::RegistryPort& reg);

}  // namespace keldra::schedule

#pragma once
// The simulated machine as a standard user of Windows 10/11 sees it, the program running
// as the one who started it: the machine's keys (and with them the classes that
// HKEY_CLASSES_ROOT shows) and the default user's keys can be read but not changed, and
// neither the root of drive C: nor the Windows folder takes a new or changed file. The
// user's own keys and folders stay as they were.

#include <string_view>

#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_text_file.h"

namespace keldra::platform::sim {

// Applies the profile to what the machine holds now; call it once the machine is seeded.
void ApplyStandardUser(SimRegistry& registry, SimTextFiles& files, std::string_view windowsFolder);

}  // namespace keldra::platform::sim

#include "platform/sim/standard_user.h"

namespace keldra::platform::sim {

void ApplyStandardUser(SimRegistry& registry, SimTextFiles& files, std::string_view windowsFolder) {
    registry.DenyWritesBelow(reg_root::kLocalMachine, "");
    registry.DenyWritesBelow(reg_root::kUsers, ".Default");
    files.SetWritable("C:\\", false);
    files.AddFolder(windowsFolder);
    files.SetWritable(windowsFolder, false);
}

}  // namespace keldra::platform::sim

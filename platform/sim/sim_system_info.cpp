#include "platform/sim/sim_system_info.h"

namespace keldra::platform::sim {

bool SimSystemInfo::Memory(MemoryStatus& status) {
    if (!memory) {
        return false;
    }
    status = *memory;
    return true;
}

int SimSystemInfo::KeyboardType(int which) {
    return which >= 0 && which < static_cast<int>(keyboard.size()) ? keyboard[which] : 0;
}

bool SimSystemInfo::Version(OsVersion& out) {
    if (!version) {
        return false;
    }
    out = *version;
    return true;
}

}  // namespace keldra::platform::sim

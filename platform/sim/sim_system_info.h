#pragma once
// The simulated machine's facts, as plain values a test sets. The Windows folder is the
// one of the machine's file system, so the two never disagree.

#include <array>
#include <optional>
#include <string>

#include "platform/sim/sim_file_system.h"
#include "platform/system_info_port.h"

namespace keldra::platform::sim {

class SimSystemInfo final : public SystemInfoPort {
  public:
    explicit SimSystemInfo(SimFileSystem& files) : files_(files) {}

    bool Memory(MemoryStatus& status) override;
    ProcessorInfo Processor() override { return processor; }
    int KeyboardType(int which) override;
    bool Version(OsVersion& version) override;
    std::string ComputerName() override { return computerName; }
    std::string UserName() override { return userName; }
    std::string TempPath() override { return tempPath; }
    std::string SystemDirectory() override { return systemDirectory; }
    std::string WindowsDirectory() override { return files_.WindowsDirectory(); }

    // Empty: the query fails.
    std::optional<MemoryStatus> memory = MemoryStatus{
        25, 8ULL << 30, 6ULL << 30, 9ULL << 30, 7ULL << 30, 128ULL << 40, 127ULL << 40};
    ProcessorInfo processor{8664, 2, 0x3};
    // GetKeyboardType(0), (1), (2): an enhanced 101/102-key keyboard with 12 function keys.
    std::array<int, 3> keyboard{4, 0, 12};
    std::optional<OsVersion> version = OsVersion{10, 0, 19045, 2, ""};
    std::string computerName = "KELDRA-PC";
    std::string userName = "keldra";
    std::string tempPath = "C:\\users\\keldra\\Temp\\";
    std::string systemDirectory = "C:\\windows\\system32";

  private:
    SimFileSystem& files_;
};

}  // namespace keldra::platform::sim

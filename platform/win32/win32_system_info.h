#pragma once
// The system-information port over the Win32 system queries.

#include "platform/system_info_port.h"

namespace keldra::platform::win32 {

class Win32SystemInfo final : public SystemInfoPort {
  public:
    bool Memory(MemoryStatus& status) override;
    ProcessorInfo Processor() override;
    int KeyboardType(int which) override;
    bool Version(OsVersion& version) override;
    std::string ComputerName() override;
    std::string UserName() override;
    std::string TempPath() override;
    std::string SystemDirectory() override;
    std::string WindowsDirectory() override;
};

}  // namespace keldra::platform::win32

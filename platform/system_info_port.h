#pragma once
// The machine facts the system-information class reports: memory, processor, keyboard,
// Windows version, computer and user name, and the temporary, system and Windows
// folders. Values come whole, as the platform gives them; the class applies its own
// buffer sizes, texts and fallbacks.

#include <cstdint>
#include <string>

namespace keldra::platform {

// GlobalMemoryStatusEx.
struct MemoryStatus {
    std::uint32_t memoryLoadPercent = 0;
    std::uint64_t totalPhysicalBytes = 0;
    std::uint64_t availablePhysicalBytes = 0;
    std::uint64_t totalPageFileBytes = 0;
    std::uint64_t availablePageFileBytes = 0;
    std::uint64_t totalVirtualBytes = 0;
    std::uint64_t availableVirtualBytes = 0;
};

// GetSystemInfo.
struct ProcessorInfo {
    std::uint32_t processorType = 0;  // 386, 486, 586, 8664 (x64), ...
    std::uint32_t processorCount = 0;
    std::uint64_t activeProcessorMask = 0;
};

// GetVersionEx.
struct OsVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::uint32_t platformId = 0;  // 2 for the Windows NT family
    std::string servicePack;
};

class SystemInfoPort {
  public:
    virtual ~SystemInfoPort() = default;

    // `status` is written only when the query succeeds.
    virtual bool Memory(MemoryStatus& status) = 0;
    virtual ProcessorInfo Processor() = 0;
    // GetKeyboardType: 0 the type, 1 the subtype, 2 the number of function keys; 0 when
    // the platform cannot tell.
    virtual int KeyboardType(int which) = 0;
    // `version` is written only when the query succeeds.
    virtual bool Version(OsVersion& version) = 0;
    // Empty when the query fails.
    virtual std::string ComputerName() = 0;
    virtual std::string UserName() = 0;
    // The folders as the platform writes them: the temporary folder with its trailing
    // backslash, the others without. Empty when the query fails.
    virtual std::string TempPath() = 0;
    virtual std::string SystemDirectory() = 0;
    virtual std::string WindowsDirectory() = 0;
};

}  // namespace keldra::platform

#pragma once
// The system-information class: drives and their types, labels, serial numbers and space,
// memory, keyboard, processor, the standard folders, the computer and user names and the
// Windows version, each as a thin wrapper around one platform query that writes the
// answer in a fixed form and falls back to a fixed value when the query fails.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/process_port.h"
#include "platform/system_info_port.h"
#include "platform/volume_port.h"

namespace keldra::sysinfo {

// The root paths of the drives (C:\ and so on), in the platform's order: the drive strings are
// read into a buffer of 10 characters, grown to the size the platform asks for, and split
// into entries of four characters. Empty when they cannot be read.
std::vector<std::string> LogicalDriveRoots(platform::VolumePort& volumes);

class System {
  public:
    struct Services {
        platform::VolumePort& volumes;
        platform::SystemInfoPort& machine;
        platform::ProcessPort& process;
    };

    explicit System(Services services) : services_(std::move(services)) {}

    // The drive's total and free bytes from its cluster geometry, at most 2^31 - 1 each;
    // both 0 when the query fails.
    void DriveInfo(std::string_view strRoot, std::int32_t& lngTotalSpace,
                   std::int32_t& lngFreeSpace);
    // Adds 1 to the counter of each drive's type; the counters are not cleared first.
    void Drives(std::int16_t& intRemovable, std::int16_t& intNotRemovable, std::int16_t& intCD,
                std::int16_t& intRAM, std::int16_t& intNetwork);
    // "Removable drive", "Fixed drive", "dskNetwork drive", "CD-ROM drive", "RAM-disk" or
    // empty.
    std::string DriveType(std::string_view strRoot);
    static std::string PutPoints(std::int32_t lngNumber);
    // Free bytes of the drive of `strRoot`, asked of the current drive after making that
    // drive current (the current directory is restored); at most 2^31 - 1; 0 on failure.
    std::int32_t FastDiskSpace(std::string_view strRoot);
    // Memory load in percent, total and available physical memory in kilobytes; the
    // arguments stay as they were when the query fails.
    void FreeMemory(std::uint8_t& btePercentUsed, std::int64_t& lngTotalRam,
                    std::int64_t& lngFreeRam);
    std::uint8_t FunctionKeys();
    std::string KeyboardType();
    // `strProcessor` stays as passed for processor types other than 386, 486 and 586.
    void SystemInfo(std::string& strProcessor, std::int64_t& lngNumOfProcessors,
                    std::int64_t& lngActiveProcessor);
    // With a final backslash; empty when the query fails.
    std::string TempDir();
    std::string SystemDir();
    std::string WinDir();
    // Empty when the query fails.
    std::string ComputerName();
    std::string UserName();
    // "1234-ABCD"; "0000-0000" when the query fails.
    std::string SerialNumber(std::string_view strRoot);
    // The volume's label; "Hard disk" when it has none; empty when the query fails.
    std::string VolumeLabel(std::string_view strRoot);
    // 0, 0 and empty when the query fails; `strPlatform` stays as passed for platform
    // codes other than 0, 1 and 2.
    void WinVer(std::int16_t& intMajor, std::int16_t& intMinor, std::string& strPlatform);
    // "<total bytes> / <free bytes>", grouped in thousands; " / " when the query fails.
    std::string EspacioLibreEx(std::string_view lpRootPathName);

    std::string GroupSeparator() const;

  private:
    Services services_;
};

}  // namespace keldra::sysinfo

#pragma once
// What the drive list and the system-information class ask of drives and volumes: the
// drive strings, a drive's type, its label, serial number and file system, its space and
// its cluster geometry. Roots are written like "C:\"; type codes (drive_code) and
// statuses (file_status) are the platform's own, so the logic can reproduce the exact
// texts and fallbacks that depend on them.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_status.h"
#include "platform/file_system_port.h"

namespace keldra::platform {

struct VolumeInfo {
    std::string name;  // the volume label; empty when the volume has none
    std::uint32_t serialNumber = 0;
    std::uint32_t maxComponentLength = 0;
    std::uint32_t flags = 0;  // FILE_CASE_SENSITIVE_SEARCH and the like
    std::string fileSystem;   // "NTFS", "CDFS", ...
};

// GetDiskFreeSpaceEx's three counts.
struct DiskSpace {
    std::uint64_t availableToCallerBytes = 0;  // what the user's quota leaves
    std::uint64_t totalBytes = 0;
    std::uint64_t totalFreeBytes = 0;
};

// GetDiskFreeSpace's cluster geometry.
struct ClusterGeometry {
    std::uint32_t sectorsPerCluster = 0;
    std::uint32_t bytesPerSector = 0;
    std::uint32_t freeClusters = 0;
    std::uint32_t totalClusters = 0;
};

class VolumePort {
  public:
    virtual ~VolumePort() = default;

    // GetLogicalDriveStrings with room for `capacity` characters. When the strings fit,
    // `buffer` receives them as the platform writes them, each root followed by a NUL
    // ("C:\<NUL>D:\<NUL>"), and the result is their length (the final extra NUL not
    // counted). When they do not fit, `buffer` is left alone and the result is the room
    // needed, which is larger than `capacity`. 0 on failure.
    virtual std::uint32_t LogicalDriveStrings(std::uint32_t capacity, std::string& buffer) = 0;
    // GetDriveType of a root ("C:\"); the empty text asks for the current drive.
    virtual std::uint32_t DriveType(std::string_view root) = 0;
    // GetVolumeInformation of a root; `info` is written only on success.
    virtual FileStatus VolumeInformation(std::string_view root, VolumeInfo& info) = 0;
    // GetDiskFreeSpaceEx of a folder on the drive (usually its root); `space` is written
    // only on success.
    virtual FileStatus DiskFreeSpaceEx(std::string_view folder, DiskSpace& space) = 0;
    // The same for the drive of the current directory.
    virtual FileStatus CurrentDriveFreeSpace(DiskSpace& space) = 0;
    // GetDiskFreeSpace of a root; `geometry` is written only on success.
    virtual FileStatus DiskFreeSpace(std::string_view root, ClusterGeometry& geometry) = 0;
};

}  // namespace keldra::platform

#pragma once
// The volume port over the wide Win32 drive and volume functions.

#include "platform/volume_port.h"

namespace keldra::platform::win32 {

class Win32Volumes final : public VolumePort {
  public:
    std::uint32_t LogicalDriveStrings(std::uint32_t capacity, std::string& buffer) override;
    std::uint32_t DriveType(std::string_view root) override;
    FileStatus VolumeInformation(std::string_view root, VolumeInfo& info) override;
    FileStatus DiskFreeSpaceEx(std::string_view folder, DiskSpace& space) override;
    FileStatus CurrentDriveFreeSpace(DiskSpace& space) override;
    FileStatus DiskFreeSpace(std::string_view root, ClusterGeometry& geometry) override;
};

}  // namespace keldra::platform::win32

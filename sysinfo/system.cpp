#include "sysinfo/system.h"

#include <algorithm>
#include <limits>

#include "sysinfo/system_texts.h"

namespace keldra::sysinfo {

namespace {

constexpr std::uint64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

std::int32_t Saturated(std::uint64_t value) {
    return static_cast<std::int32_t>(std::min(value, kInt32Max));
}

}  // namespace

std::vector<std::string> LogicalDriveRoots(platform::VolumePort& volumes) {
    std::uint32_t size = 10;
    std::string buffer(size, ' ');
    std::uint32_t length = volumes.LogicalDriveStrings(size, buffer);
    // A drive may appear between two queries; a few rounds always catch up with it.
    for (int round = 0; length > size && round < 8; ++round) {
        size = length;
        buffer.assign(size, ' ');
        length = volumes.LogicalDriveStrings(size, buffer);
    }
    std::vector<std::string> roots;
    if (length > size) {
        return roots;
    }
    const std::size_t n = std::min<std::size_t>(length, buffer.size());
    for (std::size_t p = 0; p + 3 <= n; p += 4) {
        roots.push_back(buffer.substr(p, 3));
    }
    return roots;
}

std::string System::GroupSeparator() const {
    return services_.process.UserGroupSeparator();
}

void System::DriveInfo(std::string_view strRoot, std::int32_t& lngTotalSpace,
                       std::int32_t& lngFreeSpace) {
    platform::ClusterGeometry geometry;
    if (services_.volumes.DiskFreeSpace(strRoot, geometry) != platform::file_status::kSuccess) {
        lngTotalSpace = 0;
        lngFreeSpace = 0;
        return;
    }
    const std::uint64_t cluster =
        static_cast<std::uint64_t>(geometry.sectorsPerCluster) * geometry.bytesPerSector;
    lngTotalSpace = Saturated(cluster * geometry.totalClusters);
    lngFreeSpace = Saturated(cluster * geometry.freeClusters);
}

void System::Drives(std::int16_t& intRemovable, std::int16_t& intNotRemovable, std::int16_t& intCD,
                    std::int16_t& intRAM, std::int16_t& intNetwork) {
    for (const std::string& root : LogicalDriveRoots(services_.volumes)) {
        const std::string type = DriveType(root);
        if (type == "Removable drive") {
            ++intRemovable;
        } else if (type == "Fixed drive") {
            ++intNotRemovable;
        } else if (type == "dskNetwork drive") {
            ++intNetwork;
        } else if (type == "CD-ROM drive") {
            ++intCD;
        } else if (type == "RAM-disk") {
            ++intRAM;
        }
    }
}

std::string System::DriveType(std::string_view strRoot) {
    return DriveTypeText(services_.volumes.DriveType(strRoot));
}

std::string System::PutPoints(std::int32_t lngNumber) {
    return sysinfo::PutPoints(lngNumber);
}

std::int32_t System::FastDiskSpace(std::string_view strRoot) {
    auto& process = services_.process;
    const std::string remembered = process.CurrentDirectory();
    std::int32_t result = 0;
    platform::DiskSpace space;
    if (strRoot.size() >= 2 && strRoot[1] == ':' &&
        process.SetCurrentDirectory(std::string(strRoot.substr(0, 2)) + "\\") &&
        services_.volumes.CurrentDriveFreeSpace(space) == platform::file_status::kSuccess) {
        result = Saturated(space.totalFreeBytes);
    }
    // Back to the remembered drive, then to the remembered folder on it.
    if (remembered.size() >= 2) {
        process.SetCurrentDirectory(remembered.substr(0, 2) + "\\");
    }
    process.SetCurrentDirectory(remembered);
    return result;
}

void System::FreeMemory(std::uint8_t& btePercentUsed, std::int64_t& lngTotalRam,
                        std::int64_t& lngFreeRam) {
    platform::MemoryStatus status;
    if (!services_.machine.Memory(status)) {
        return;
    }
    btePercentUsed =
        static_cast<std::uint8_t>(std::min<std::uint32_t>(status.memoryLoadPercent, 255));
    lngTotalRam = static_cast<std::int64_t>(KilobytesRoundedEven(status.totalPhysicalBytes));
    lngFreeRam = static_cast<std::int64_t>(KilobytesRoundedEven(status.availablePhysicalBytes));
}

std::uint8_t System::FunctionKeys() {
    const int keys = services_.machine.KeyboardType(2);
    return keys < 0 || keys > 255 ? 0 : static_cast<std::uint8_t>(keys);
}

std::string System::KeyboardType() {
    return KeyboardTypeText(services_.machine.KeyboardType(0));
}

void System::SystemInfo(std::string& strProcessor, std::int64_t& lngNumOfProcessors,
                        std::int64_t& lngActiveProcessor) {
    const platform::ProcessorInfo info = services_.machine.Processor();
    lngActiveProcessor = static_cast<std::int64_t>(info.activeProcessorMask);
    lngNumOfProcessors = info.processorCount;
    strProcessor = ProcessorText(info.processorType, std::move(strProcessor));
}

std::string System::TempDir() {
    return DirectoryText(services_.machine.TempPath());
}

std::string System::SystemDir() {
    return DirectoryText(services_.machine.SystemDirectory());
}

std::string System::WinDir() {
    return DirectoryText(services_.machine.WindowsDirectory());
}

std::string System::ComputerName() {
    return NameText(services_.machine.ComputerName());
}

std::string System::UserName() {
    return NameText(services_.machine.UserName());
}

std::string System::SerialNumber(std::string_view strRoot) {
    platform::VolumeInfo info;
    if (services_.volumes.VolumeInformation(strRoot, info) != platform::file_status::kSuccess) {
        return SerialNumberText(std::nullopt);
    }
    return SerialNumberText(info.serialNumber);
}

std::string System::VolumeLabel(std::string_view strRoot) {
    platform::VolumeInfo info;
    if (services_.volumes.VolumeInformation(strRoot, info) != platform::file_status::kSuccess) {
        return {};
    }
    const std::string label = CutAtNull(info.name);
    return label.empty() ? std::string("Hard disk") : label;
}

void System::WinVer(std::int16_t& intMajor, std::int16_t& intMinor, std::string& strPlatform) {
    platform::OsVersion version;
    if (!services_.machine.Version(version)) {
        intMajor = 0;
        intMinor = 0;
        strPlatform.clear();
        return;
    }
    intMajor = static_cast<std::int16_t>(version.major);
    intMinor = static_cast<std::int16_t>(version.minor);
    strPlatform = PlatformText(version.platformId, intMajor, intMinor, std::move(strPlatform));
}

std::string System::EspacioLibreEx(std::string_view lpRootPathName) {
    platform::DiskSpace space;
    if (services_.volumes.DiskFreeSpaceEx(lpRootPathName, space) !=
        platform::file_status::kSuccess) {
        space = {};
    }
    return SpaceText(space.totalBytes, space.totalFreeBytes, GroupSeparator());
}

}  // namespace keldra::sysinfo

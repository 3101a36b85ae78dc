#include "platform/win32/win32_volumes.h"

#include <windows.h>

#include "platform/win32/quiet_errors.h"
#include "platform/win32/wide_text.h"

namespace keldra::platform::win32 {
namespace {

FileStatus FreeSpace(const wchar_t* folder, DiskSpace& space) {
    const QuietErrors quiet;
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    ULARGE_INTEGER free{};
    if (!GetDiskFreeSpaceExW(folder, &available, &total, &free)) {
        return GetLastError();
    }
    space = {available.QuadPart, total.QuadPart, free.QuadPart};
    return file_status::kSuccess;
}

}  // namespace

std::uint32_t Win32Volumes::LogicalDriveStrings(std::uint32_t capacity, std::string& buffer) {
    std::wstring strings(capacity, L'\0');
    const DWORD length = GetLogicalDriveStringsW(capacity, strings.data());
    if (length == 0 || length > capacity) {
        return length;
    }
    buffer = Narrow(std::wstring_view(strings.data(), length));
    return length;
}

std::uint32_t Win32Volumes::DriveType(std::string_view root) {
    if (root.empty()) {
        return GetDriveTypeW(nullptr);
    }
    return GetDriveTypeW(Wide(root).c_str());
}

FileStatus Win32Volumes::VolumeInformation(std::string_view root, VolumeInfo& info) {
    const QuietErrors quiet;
    wchar_t name[MAX_PATH + 1] = {};
    wchar_t fileSystem[MAX_PATH + 1] = {};
    DWORD serial = 0;
    DWORD maxComponent = 0;
    DWORD flags = 0;
    if (!GetVolumeInformationW(Wide(root).c_str(), name, MAX_PATH + 1, &serial, &maxComponent,
                               &flags, fileSystem, MAX_PATH + 1)) {
        return GetLastError();
    }
    info.name = Narrow(name);
    info.serialNumber = serial;
    info.maxComponentLength = maxComponent;
    info.flags = flags;
    info.fileSystem = Narrow(fileSystem);
    return file_status::kSuccess;
}

FileStatus Win32Volumes::DiskFreeSpaceEx(std::string_view folder, DiskSpace& space) {
    return FreeSpace(Wide(folder).c_str(), space);
}

FileStatus Win32Volumes::CurrentDriveFreeSpace(DiskSpace& space) {
    return FreeSpace(nullptr, space);
}

FileStatus Win32Volumes::DiskFreeSpace(std::string_view root, ClusterGeometry& geometry) {
    const QuietErrors quiet;
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    if (!GetDiskFreeSpaceW(Wide(root).c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                           &totalClusters)) {
        return GetLastError();
    }
    geometry = {sectorsPerCluster, bytesPerSector, freeClusters, totalClusters};
    return file_status::kSuccess;
}

}  // namespace keldra::platform::win32

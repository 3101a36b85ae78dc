#pragma once
// What the registry checks ask of the file system and the shell: does a file or folder
// exist, where are the Windows folder and the special folders, which drives are there.
// Paths are UTF-8 text here and wide text at the platform.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace keldra::platform {

// Drive types as the program numbers them (not the platform's GetDriveType codes).
namespace drive_type {
inline constexpr int kUnknown = 0;
inline constexpr int kRemovable = 1;
inline constexpr int kFixed = 2;
inline constexpr int kNetwork = 3;
inline constexpr int kCdRom = 4;
inline constexpr int kRamDisk = 5;
}  // namespace drive_type

// The platform's own drive type codes (GetDriveType).
namespace drive_code {
inline constexpr std::uint32_t kUnknown = 0;
inline constexpr std::uint32_t kNoRootDir = 1;
inline constexpr std::uint32_t kRemovable = 2;
inline constexpr std::uint32_t kFixed = 3;
inline constexpr std::uint32_t kRemote = 4;
inline constexpr std::uint32_t kCdRom = 5;
inline constexpr std::uint32_t kRamDisk = 6;
}  // namespace drive_code

// The program's number for a platform drive type code; anything unknown is kUnknown.
inline constexpr int DriveTypeFromCode(std::uint32_t code) {
    switch (code) {
        case drive_code::kRemovable:
            return drive_type::kRemovable;
        case drive_code::kFixed:
            return drive_type::kFixed;
        case drive_code::kRemote:
            return drive_type::kNetwork;
        case drive_code::kCdRom:
            return drive_type::kCdRom;
        case drive_code::kRamDisk:
            return drive_type::kRamDisk;
        default:
            return drive_type::kUnknown;
    }
}

struct DriveEntry {
    char letter = 'C';  // upper case
    int type = drive_type::kUnknown;
    friend bool operator==(const DriveEntry&, const DriveEntry&) = default;
};

// Special folder numbers the program asks for.
namespace csidl {
inline constexpr int kInternetCache = 32;
inline constexpr int kFonts = 20;
inline constexpr int kCreateFlag = 0x8000;
}  // namespace csidl

class FileSystemPort {
  public:
    virtual ~FileSystemPort() = default;

    // True when `path` names an existing file (not a folder).
    virtual bool FileExists(std::string_view path) = 0;
    // False only where the path is surely not a folder: it names an existing file, or the
    // platform reports file not found, path not found, an invalid name or a bad path name.
    // Any other failure (access denied, device not ready, network errors) and the empty
    // text answer true.
    virtual bool FolderExists(std::string_view path) = 0;
    // The Windows folder as the platform gives it (no trailing backslash unless a root).
    virtual std::string WindowsDirectory() = 0;
    // The special folder `csidlWithFlags` (a folder number, possibly with the create flag);
    // empty on any failure.
    virtual std::string SpecialFolderPath(int csidlWithFlags) = 0;
    // The drives in letter order, with their types.
    virtual std::vector<DriveEntry> Drives() = 0;
    // False when the drive `letter` (upper case) is there but not ready: no medium, or a
    // volume that cannot be read now. A platform that cannot tell answers true.
    virtual bool DriveReady(char letter) {
        static_cast<void>(letter);
        return true;
    }
};

}  // namespace keldra::platform

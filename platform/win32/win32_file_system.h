#pragma once
// The file-system port over the wide Win32 file and shell functions.

#include "platform/file_system_port.h"

namespace keldra::platform::win32 {

class Win32FileSystem final : public FileSystemPort {
  public:
    bool FileExists(std::string_view path) override;
    bool FolderExists(std::string_view path) override;
    std::string WindowsDirectory() override;
    std::string SpecialFolderPath(int csidlWithFlags) override;
    std::vector<DriveEntry> Drives() override;
    bool DriveReady(char letter) override;
};

}  // namespace keldra::platform::win32

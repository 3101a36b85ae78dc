#pragma once
// The one answer of the file-system port that compaction needs, the Windows folder; the
// simulated file system replaces this once it exists.

#include <string>
#include <utility>
#include <vector>

#include "platform/file_system_port.h"

namespace keldra::testing {

class FakeWindowsFolder final : public platform::FileSystemPort {
  public:
    explicit FakeWindowsFolder(std::string windows = "C:\\Windows") : windows_(std::move(windows)) {}
    bool FileExists(std::string_view) override { return false; }
    bool FolderExists(std::string_view) override { return true; }
    std::string WindowsDirectory() override { return windows_; }
    std::string SpecialFolderPath(int) override { return {}; }
    std::vector<platform::DriveEntry> Drives() override { return {}; }

  private:
    std::string windows_;
};

}  // namespace keldra::testing

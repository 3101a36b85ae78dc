#pragma once
// The file port over the wide Win32 file functions.

#include "platform/file_port.h"

namespace keldra::platform::win32 {

class Win32Files final : public FilePort {
  public:
    FileStatus ListFolder(std::string_view folder, std::vector<FolderEntry>& entries) override;
    FileStatus GetAttributes(std::string_view path, std::uint32_t& attributes) override;
    FileStatus SetAttributes(std::string_view path, std::uint32_t attributes) override;
    FileStatus TruncateFile(std::string_view path) override;
    FileStatus FileSize(std::string_view path, std::uint64_t& bytes) override;
    FileStatus HardLinkCount(std::string_view path, std::uint32_t& links) override;
    FileStatus RenameFile(std::string_view from, std::string_view to) override;
    FileStatus RemoveFile(std::string_view path) override;
};

}  // namespace keldra::platform::win32

#pragma once
// The file port over the wide Win32 file functions.

#include <vector>

#include "platform/file_port.h"

namespace keldra::platform::win32 {

class Win32Files final : public FilePort {
  public:
    Win32Files();

    FileStatus ListFolder(std::string_view folder, std::vector<FolderEntry>& entries) override;
    FileStatus ListFolderNoFollow(std::string_view folder,
                                  std::vector<FolderEntry>& entries) override;
    FileStatus GetAttributes(std::string_view path, std::uint32_t& attributes) override;
    FileStatus SetAttributes(std::string_view path, std::uint32_t attributes) override;
    FileStatus TruncateFile(std::string_view path) override;
    FileStatus FileSize(std::string_view path, std::uint64_t& bytes) override;
    FileStatus HardLinkCount(std::string_view path, std::uint32_t& links) override;
    FileStatus RenameFile(std::string_view from, std::string_view to) override;
    FileStatus RemoveFile(std::string_view path) override;
    FileStatus Inspect(std::string_view path, OpenedFacts& facts) override;
    FileStatus ResolvedPath(std::string_view path, std::string& finalPath) override;
    FileStatus OpenForRemoval(std::string_view path, OpenedFacts& facts,
                              std::unique_ptr<OpenedFile>& file) override;
    bool ListingsShowFileLinks() const override { return !onWine_; }
    // The walk's folders keep their handles, and share this port's listing buffer: the
    // port must outlive them.
    FileStatus OpenWalkedFolder(std::string_view folder,
                                std::unique_ptr<WalkedFolder>& opened) override;

  private:
    bool onWine_ = false;
    std::vector<unsigned char> listingBuffer_;
};

// The wide path the platform is given: from MAX_PATH characters on, an absolute path
// "X:\..." gets the "\\?\" prefix, which lifts the limit (the paths come from listings,
// so they need none of the normalising the prefix turns off).
std::wstring PlatformPath(std::string_view utf8);

}  // namespace keldra::platform::win32

#pragma once
// The file operations of the junk walk and of junk removal: list one folder, read and
// change attributes, empty a file through a write-through open, read its size and its
// number of hard links, rename and delete it. Every operation answers the platform's
// status (0 on success) and writes its outputs only on success, unless it says otherwise.
// The local time for dated names is the process port's `Now`.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_status.h"

namespace keldra::platform {

struct FolderEntry {
    std::string name;              // the long name, as stored
    std::uint32_t attributes = 0;  // file_attribute bits
    std::uint64_t sizeBytes = 0;   // 0 for a folder
    bool reparsePoint = false;     // junction, symbolic link, mount point: never entered
    bool IsFolder() const { return (attributes & file_attribute::kDirectory) != 0; }
    friend bool operator==(const FolderEntry&, const FolderEntry&) = default;
};

class FilePort {
  public:
    virtual ~FilePort() = default;

    // Every entry of one folder, hidden and system ones included, from one search of the
    // platform (FindFirstFileEx, basic information, large fetch). "." and ".." are never
    // given. The order is the platform's, not a sorted one. An existing empty folder
    // answers success with no entries. A failure part-way answers that failure with the
    // entries read so far in `entries`.
    virtual FileStatus ListFolder(std::string_view folder, std::vector<FolderEntry>& entries) = 0;
    // GetFileAttributes / SetFileAttributes.
    virtual FileStatus GetAttributes(std::string_view path, std::uint32_t& attributes) = 0;
    virtual FileStatus SetAttributes(std::string_view path, std::uint32_t attributes) = 0;
    // Opens the file for writing, sharing write access only, with write-through and no
    // buffering, truncating it to nothing (TRUNCATE_EXISTING), then flushes and closes it.
    // The status is the open's: a file that is read-only, in use or missing is left alone.
    virtual FileStatus TruncateFile(std::string_view path) = 0;
    // The size in bytes (a folder: 0), read without opening the file.
    virtual FileStatus FileSize(std::string_view path, std::uint64_t& bytes) = 0;
    // How many names the file has (GetFileInformationByHandle's link count); the file is
    // opened without asking for read or write access, so a file in use still answers.
    virtual FileStatus HardLinkCount(std::string_view path, std::uint32_t& links) = 0;
    // MoveFile: renames or moves a file or folder; an existing name is never replaced.
    virtual FileStatus RenameFile(std::string_view from, std::string_view to) = 0;
    // DeleteFile: a read-only file, a file in use and a folder are not deleted.
    virtual FileStatus RemoveFile(std::string_view path) = 0;
};

}  // namespace keldra::platform

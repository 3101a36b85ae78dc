#pragma once
// The file operations of the junk walk and of junk removal: list one folder, read and
// change attributes, empty a file through a write-through open, read its size and its
// number of hard links, rename and delete it. Every operation answers the platform's
// status (0 on success) and writes its outputs only on success, unless it says otherwise.
// The local time for dated names is the process port's `Now`.

#include <cstdint>
#include <memory>
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
    // The file's number on its volume, as the folder's own handle reports it; 0 when the
    // platform gives none.
    std::uint64_t fileId = 0;
    // When the file's data and its entry last changed (100-ns ticks); 0 when not known.
    std::uint64_t lastWriteTime = 0;
    std::uint64_t changeTime = 0;
    bool IsFolder() const { return (attributes & file_attribute::kDirectory) != 0; }
    // The same entry as a listing shows it; the number differs from machine to machine.
    friend bool operator==(const FolderEntry& a, const FolderEntry& b) {
        return a.name == b.name && a.attributes == b.attributes && a.sizeBytes == b.sizeBytes &&
               a.reparsePoint == b.reparsePoint;
    }
};

// Which file a name led to: its volume's serial number and its number on that volume.
// Hard links share one identity; a file put in another's place has another.
struct FileIdentity {
    std::uint32_t volumeSerial = 0;
    std::uint64_t fileId = 0;
    // A number alone is not enough: Linux hands a freed inode number to the next new file,
    // so under Wine a file deleted and written again may come back with the number of the
    // one listed. Its times tell them apart (a new file is written and changed anew).
    std::uint64_t lastWriteTime = 0;
    std::uint64_t changeTime = 0;
    bool Known() const { return fileId != 0; }
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// What an open handle says about the object it names.
struct OpenedFacts {
    std::uint32_t attributes = 0;  // file_attribute bits, the reparse bit included
    std::uint32_t links = 0;       // names of the file
    FileIdentity identity;
    // The full path the handle resolves to, every junction and link on the way followed,
    // in long names and without any "\\?\" prefix ("C:\Users\Ann\x.tmp").
    std::string finalPath;
};

// A file opened for removal. Every step acts on the object that was opened, whatever its
// name leads to by now. Closing the handle ends a deletion that Delete started.
class OpenedFile {
  public:
    virtual ~OpenedFile() = default;
    // Sets the end of the file to 0 and flushes it.
    virtual FileStatus Truncate() = 0;
    virtual FileStatus Size(std::uint64_t& bytes) = 0;
    // Gives the file a new full path on its volume; an existing name is never replaced.
    virtual FileStatus MoveTo(std::string_view path) = 0;
    // Deletes the file under the name it has now (the file goes when the handle closes).
    virtual FileStatus Delete() = 0;
};

// A folder the junk walk lists and enters, opened once: its listing, the checks of its
// files and the opening of its subfolders all start from the folder itself, so no name
// above it is looked up again while it is walked.
class WalkedFolder {
  public:
    virtual ~WalkedFolder() = default;
    // Every entry, as ListFolder gives them.
    virtual FileStatus List(std::vector<FolderEntry>& entries) = 0;
    // Opens this folder's subfolder `name` (one name, as the listing gave it) to walk it,
    // without following a link at its end. kStoppedOnLink when it is a reparse point or
    // does not resolve to this folder's path joined with the name; `listedId` is the
    // number the listing gave it (0: none), which lets a platform that shows every link on
    // the handle skip asking where it resolves.
    [[nodiscard]] virtual FileStatus OpenSubfolder(std::string_view name, std::uint64_t listedId,
                                                   std::unique_ptr<WalkedFolder>& subfolder) = 0;
    // Whether this folder's entry `name` resolves to this folder's path joined with the
    // name, as ResolvedPath tells: false for a link to a file elsewhere.
    [[nodiscard]] virtual FileStatus ResolvesInPlace(std::string_view name, bool& inPlace) = 0;
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
    // The same, but only for a folder reached through no link: a folder that is a reparse
    // point, or whose resolved path is not the path given (a junction or link on the
    // way), answers kStoppedOnLink with no entries.
    virtual FileStatus ListFolderNoFollow(std::string_view folder,
                                          std::vector<FolderEntry>& entries) = 0;
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

    // Opens a file or folder without following a link or junction at its end, with
    // attribute access only and sharing everything, and reads what the handle names.
    [[nodiscard]] virtual FileStatus Inspect(std::string_view path, OpenedFacts& facts) = 0;
    // Only the path the object resolves to, as Inspect gives it, at the least cost.
    [[nodiscard]] virtual FileStatus ResolvedPath(std::string_view path,
                                                  std::string& finalPath) = 0;
    // Opens a file for removal the same way, with write and delete access, sharing write
    // access only (a file another program holds is left alone), and reads its facts.
    [[nodiscard]] virtual FileStatus OpenForRemoval(std::string_view path, OpenedFacts& facts,
                                                    std::unique_ptr<OpenedFile>& file) = 0;
    // False where a folder listing may show a link to a file as a plain file (Wine shows
    // a Unix symbolic link to a file with its target's attributes and number): then an
    // entry is trusted only after Inspect.
    virtual bool ListingsShowFileLinks() const = 0;
    // Opens a start folder of the walk, judged as ListFolderNoFollow judges it. The
    // default works through the calls above, by path.
    virtual FileStatus OpenWalkedFolder(std::string_view folder,
                                        std::unique_ptr<WalkedFolder>& opened);
};

}  // namespace keldra::platform

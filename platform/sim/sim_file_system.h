#pragma once
// The simulated machine's drives, folders and files. It answers like Windows as Wine shows
// it where the two were compared: names without regard to case with their case kept,
// paths normalised as the Win32 path functions do (either separator, doubled separators,
// "." and "..", trailing dots), and Win32 error codes. Tests build the machine with the
// set-up functions and can make any path fail for any operation.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_status.h"
#include "platform/file_system_port.h"

namespace keldra::platform::sim {

// What a test can make fail on one path.
enum class SimOp {
    Query,          // attribute queries: FileExists, FolderExists, attributes, size
    SetAttributes,  // attribute changes
    List,           // listing a folder's entries
    Open,           // opening the file: truncation, hard-link count
    Move,           // renaming or moving, as the source
    Delete,         // deleting
};

// One drive of the machine.
struct SimDrive {
    std::uint32_t typeCode = drive_code::kFixed;  // as GetDriveType reports it
    // False for a removable or CD-ROM drive without a medium: everything on it answers
    // "not ready".
    bool ready = true;
};

class SimFileSystem final : public FileSystemPort {
  public:
    SimFileSystem();
    ~SimFileSystem() override;
    SimFileSystem(const SimFileSystem&) = delete;
    SimFileSystem& operator=(const SimFileSystem&) = delete;

    bool FileExists(std::string_view path) override;
    bool FolderExists(std::string_view path) override;
    std::string WindowsDirectory() override { return windowsDirectory_; }
    std::string SpecialFolderPath(int csidlWithFlags) override;
    std::vector<DriveEntry> Drives() override;

    // Machine set-up. A new machine has no drives, the Windows folder C:\windows (which
    // it does not create) and no special folders.
    // Adds a drive (or replaces one, emptying it) and returns it for further set-up.
    SimDrive& AddDrive(char letter, std::uint32_t typeCode);
    // An existing drive; the letter must have been added.
    SimDrive& Drive(char letter);
    void RemoveDrive(char letter);
    // Create a folder or a file with every missing folder above it. False when the path
    // is not a valid absolute name on an existing drive or a file or folder is in the way.
    // A new file has the archive attribute, as Windows gives new files; writing an
    // existing file replaces its contents.
    bool AddFolder(std::string_view path);
    bool AddFile(std::string_view path, std::string_view contents = {});
    // Removes a file, or a folder with everything below it (a junction goes, not what it
    // leads to); false when there is none.
    bool RemoveTree(std::string_view path);
    void SetWindowsDirectory(std::string path) { windowsDirectory_ = std::move(path); }
    // Where a special folder lies. Asked without the create flag it is found only when the
    // folder exists; with the flag it is created.
    void SetSpecialFolder(int csidl, std::string path);
    // The special-folder query answers `result` (an HRESULT such as S_FALSE or E_FAIL)
    // for this folder number.
    void FailSpecialFolder(int csidl, std::int32_t result);
    // `op` on exactly this path fails with `error` (5 access denied, 21 not ready, ...),
    // before anything else is looked at.
    void FailOn(std::string_view path, SimOp op, FileStatus error);
    void ClearFailures() { failures_.clear(); }
    // The folder that relative paths start from (C:\ unless set).
    void SetCurrentDirectory(std::string path) { currentDirectory_ = std::move(path); }
    // What a UNC path (\\server\share\...) answers: the simulated machine has no network.
    void SetNetworkError(FileStatus error) { networkError_ = error; }

    // Reading the machine back.
    bool IsFile(std::string_view path) const;
    bool IsFolder(std::string_view path) const;
    std::optional<std::string> Contents(std::string_view path) const;

  private:
    struct FileData;
    struct Node;
    struct Parsed;
    struct Found {
        FileStatus status = file_status::kSuccess;
        Node* node = nullptr;
    };

    Parsed Parse(std::string_view path) const;
    // The node a path names, or why there is none. `op` selects the injected failures;
    // without one (the test's own look at the machine) none apply.
    Found Find(std::string_view path, std::optional<SimOp> op) const;
    Found FindParsed(const Parsed& parsed, std::optional<SimOp> op) const;
    // The folder a reparse point leads to (the node itself otherwise); nullptr when it
    // leads nowhere.
    Node* Through(Node* node) const;
    // Creates the folders of `parsed` (all parts, or all but the last); nullptr when
    // something is in the way.
    Node* MakeFolders(const Parsed& parsed, bool includeLast);
    // Takes a node out of its folder, counting the names its files lose.
    static void Unlink(Node& node);

    std::map<char, SimDrive> drives_;
    std::map<char, std::unique_ptr<Node>> roots_;
    std::string windowsDirectory_ = "C:\\windows";
    std::map<int, std::string> specialFolders_;
    std::map<int, std::int32_t> specialFolderFailures_;
    // By the upper-case canonical path.
    std::map<std::u16string, std::map<SimOp, FileStatus>> failures_;
    std::string currentDirectory_ = "C:\\";
    FileStatus networkError_ = file_status::kBadNetPath;
};

}  // namespace keldra::platform::sim

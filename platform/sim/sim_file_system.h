#pragma once
// The simulated machine's drives, volumes, folders and files, behind the file-system,
// volume and file ports. It answers like Windows (docs/wine-file-system.md says where Wine
// differs): names without regard to case with their case kept, paths normalised as the
// Win32 path functions do (either separator, doubled separators, "." and "..", trailing
// dots), attributes, read-only files, files in use by another program, hard links,
// junctions, and Win32 error codes. Tests build the machine with the set-up functions and
// can make any path fail for any operation.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_port.h"
#include "platform/file_status.h"
#include "platform/file_system_port.h"
#include "platform/process_port.h"
#include "platform/volume_port.h"

namespace keldra::platform::sim {

// What a test can make fail on one path.
enum class SimOp {
    Query,          // attribute queries: FileExists, FolderExists, attributes, size
    SetAttributes,  // attribute changes
    List,           // listing a folder's entries
    Open,           // opening the file: truncation, hard-link count
    Move,           // renaming or moving, as the source
    Delete,         // deleting
    Volume,         // volume information and free space, on the root path "X:\"
};

// One drive of the machine.
struct SimDrive {
    std::uint32_t typeCode = drive_code::kFixed;  // as GetDriveType reports it
    // False for a removable or CD-ROM drive without a medium: everything on it but its
    // type answers "not ready".
    bool ready = true;
    VolumeInfo volume{"", 0, 255, 0, "NTFS"};
    std::uint64_t totalBytes = 100ULL << 30;
    std::uint64_t freeBytes = 40ULL << 30;
    std::uint64_t availableBytes = 40ULL << 30;  // the user's quota may leave less
    std::uint32_t bytesPerSector = 512;
    std::uint32_t sectorsPerCluster = 8;
};

class SimFileSystem final : public FileSystemPort, public VolumePort, public FilePort {
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
    bool DriveReady(char letter) override;

    std::uint32_t LogicalDriveStrings(std::uint32_t capacity, std::string& buffer) override;
    std::uint32_t DriveType(std::string_view root) override;
    FileStatus VolumeInformation(std::string_view root, VolumeInfo& info) override;
    FileStatus DiskFreeSpaceEx(std::string_view folder, DiskSpace& space) override;
    FileStatus CurrentDriveFreeSpace(DiskSpace& space) override;
    FileStatus DiskFreeSpace(std::string_view root, ClusterGeometry& geometry) override;

    FileStatus ListFolder(std::string_view folder, std::vector<FolderEntry>& entries) override;
    FileStatus GetAttributes(std::string_view path, std::uint32_t& attributes) override;
    FileStatus SetAttributes(std::string_view path, std::uint32_t attributes) override;
    FileStatus TruncateFile(std::string_view path) override;
    FileStatus FileSize(std::string_view path, std::uint64_t& bytes) override;
    FileStatus HardLinkCount(std::string_view path, std::uint32_t& links) override;
    FileStatus RenameFile(std::string_view from, std::string_view to) override;
    FileStatus RemoveFile(std::string_view path) override;
    FileStatus ListFolderNoFollow(std::string_view folder,
                                  std::vector<FolderEntry>& entries) override;
    FileStatus Inspect(std::string_view path, OpenedFacts& facts) override;
    FileStatus ResolvedPath(std::string_view path, std::string& finalPath) override;
    FileStatus OpenForRemoval(std::string_view path, OpenedFacts& facts,
                              std::unique_ptr<OpenedFile>& file) override;
    bool ListingsShowFileLinks() const override { return listingsShowFileLinks_; }

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
    // A file of that size whose contents are not kept (sizes past 4 GB cost nothing).
    bool AddFileOfSize(std::string_view path, std::uint64_t sizeBytes);
    // Gives the file or folder these attributes directly (the directory bit is kept as it
    // is; 0 reads back as normal for a file).
    bool SetAttributesOf(std::string_view path, std::uint32_t attributes);
    // One more name for an existing file, on the same drive (Windows links only there).
    bool AddHardLink(std::string_view newPath, std::string_view existingPath);
    // A junction at `path` (which must not exist yet) that leads to the folder `target`;
    // a target that does not exist leaves it dangling.
    bool AddJunction(std::string_view path, std::string_view target);
    // A Unix symbolic link at `path` (a new name) to `target`, as Wine shows one: to a
    // folder it shows as a reparse point, to a file as that file itself (its attributes,
    // size and number, no reparse bit). Opening it reaches the target even when asked not
    // to follow links; renaming or deleting it by name acts on the link.
    bool AddUnixLink(std::string_view path, std::string_view target);
    // Whether the listings claim to show every link (Windows) or not (Wine).
    void SetListingsShowFileLinks(bool show) { listingsShowFileLinks_ = show; }
    // Marks an existing file or folder as a reparse point (a symbolic link or a cloud
    // placeholder) without changing what it holds.
    bool MarkReparsePoint(std::string_view path);
    // Another program holds the file open without sharing: opening it for writing,
    // renaming it and deleting it fail with a sharing violation until it is unlocked.
    // Locks count; the lock belongs to the file, so all its names are locked.
    bool Lock(std::string_view path);
    // A deleted file's number goes to the next new file, as Linux does with inode numbers
    // (Wine's file numbers): only the times tell the new file from the old.
    void ReuseFileNumbers(bool reuse) { reuseNumbers_ = reuse; }
    bool Unlock(std::string_view path);
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
    // The folder that relative paths and the current drive start from (C:\ unless set).
    void SetCurrentDirectory(std::string path) { currentDirectory_ = std::move(path); }
    // Takes the current directory from the process from now on, as Windows has one per
    // process; the process must outlive this machine.
    void UseCurrentDirectoryOf(const ProcessPort& process) { process_ = &process; }
    // Lists every folder in reverse name order: a platform whose order is not NTFS's.
    void SetReverseListings(bool reverse) { reverseListings_ = reverse; }
    // What a UNC path (\\server\share\...) answers: the simulated machine has no network.
    void SetNetworkError(FileStatus error) { networkError_ = error; }

    // Reading the machine back.
    bool IsFile(std::string_view path) const;
    bool IsFolder(std::string_view path) const;
    std::optional<std::string> Contents(std::string_view path) const;
    // Attributes as a query would report them; kInvalid when there is nothing.
    std::uint32_t AttributesOf(std::string_view path) const;
    std::string CurrentDirectory() const;

  private:
    struct FileData;
    struct Node;
    struct Parsed;
    struct Found {
        FileStatus status = file_status::kSuccess;
        Node* node = nullptr;
    };
    class OpenedSimFile;

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
    // A new entry at `path` that stands for `target` (a junction or a link); null when the
    // path is taken or its folder cannot be made. The caller says which kind it is.
    Node* AddLinkNode(std::string_view path, std::string_view target);
    // Takes a node out of its folder, counting the names its files lose.
    void Unlink(Node& node);
    std::uint32_t Reported(const Node& node) const;
    // What a Unix link leads to (the node itself otherwise); nullptr when nothing.
    Node* Resolved(Node* node) const;
    // The full path of a node in its own folder ("C:\Users\x"), links not followed.
    static std::string PathOf(const Node& node);
    FileIdentity IdentityOf(const Node& node) const;
    FileStatus Facts(Node* node, OpenedFacts& facts) const;
    FileStatus RenameNode(Node* node, std::string_view to);
    // The failure a test set for `op` on the node's present path, or success.
    FileStatus Injected(const Node& node, SimOp op) const;
    std::uint64_t NewId();
    // Marks a file's data or entry as changed now.
    void Touched(FileData& data);
    // The drive of a root path ("X:\" or "X:"; empty: the current drive), or why not.
    FileStatus RootDrive(std::string_view root, char& letter, bool rootOnly) const;

    std::map<char, SimDrive> drives_;
    std::map<char, std::unique_ptr<Node>> roots_;
    std::string windowsDirectory_ = "C:\\windows";
    std::map<int, std::string> specialFolders_;
    std::map<int, std::int32_t> specialFolderFailures_;
    // By the upper-case canonical path.
    std::map<std::u16string, std::map<SimOp, FileStatus>> failures_;
    std::string currentDirectory_ = "C:\\";
    const ProcessPort* process_ = nullptr;
    FileStatus networkError_ = file_status::kBadNetPath;
    bool reverseListings_ = false;
    bool listingsShowFileLinks_ = true;
    std::uint64_t lastId_ = 0;
    std::uint64_t changes_ = 0;
    // Numbers of deleted files, handed out again first when ReuseFileNumbers is on.
    bool reuseNumbers_ = false;
    std::vector<std::uint64_t> freedNumbers_;
};

}  // namespace keldra::platform::sim

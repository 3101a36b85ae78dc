#pragma once
// The junk search and junk removal: the rules walk the folder trees of the listed fixed
// drives and of the Internet cache, appending what they select to the junk-file list;
// removal works through that list once, when the user fixes the problems.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "disk/drive_list.h"
#include "disk/junk_files.h"
#include "disk/junk_rules.h"
#include "disk/mod_destroy_file.h"
#include "platform/file_port.h"
#include "platform/file_system_port.h"
#include "platform/process_port.h"
#include "sysinfo/user_control1.h"

namespace keldra::disk {

class ModDiskClean {
  public:
    struct Services {
        platform::FileSystemPort& fileSystem;  // the Windows and profile folders
        platform::FilePort& files;
        const platform::ProcessPort& process;  // the clock of the dated names
        const sysinfo::UserControl1& SHD;      // the Internet cache folder
        // Lets pending window events run (an event point of the walk and the removal).
        std::function<void()> events;
        // The caption lookup.
        std::function<std::string(std::string_view)> text;
        // A message box with an OK button: text, title.
        std::function<void(std::string_view, std::string_view)> message;
        // Shows the folder in progress (the main window's lblSchedStart).
        std::function<void(std::string_view)> progress;
        // Loads the results window, hidden, before a row is added to it.
        std::function<void()> loadResults;
    };

    ModDiskClean(Services services, const bool& scanCancelled, JunkList& junk);

    // The junk search of a disk clean: SearchJunk for every row of the drive list, in row
    // order. The Internet-cache rule runs with the first drive only.
    void SearchListedDrives(const DriveList& drives);
    // The same for drives given by their designations ("C:").
    void SearchDrives(const std::vector<std::string>& designations);
    // The rules for `CurrentDrive`.
    void SearchJunk();
    // Ends one walk.
    void EndScan();

    // Removes every listed file, in list order; nothing in the list changes.
    void DestroyJunk();
    void DestroyEntry(const JunkFile& entry);

    ModDestroyFile& Destroy() { return destroy_; }

    std::string CurrentDrive;  // "C:"
    int CurrentRule = 0;
    bool ScanActive = false;

  private:
    struct Found {
        std::string path;
        std::int64_t bytes = 0;
        platform::FileIdentity identity;
    };
    struct WalkRule {
        int number;
        MaskList masks;
        std::vector<Found> later;  // what the rule found while an earlier one walks
    };
    struct Walk {
        std::vector<WalkRule>& rules;  // the first is appended as found
        std::string windowsFolder;
        std::uint32_t volumeSerial = 0;  // of the start folder: the walk never leaves it
        // Out of memory, or ended by an event: the later rules are walked on their own.
        bool disturbed = false;
    };
    struct IdentityHash {
        std::size_t operator()(const platform::FileIdentity& id) const {
            return std::hash<std::uint64_t>{}(id.fileId ^ (std::uint64_t{id.volumeSerial} << 40));
        }
    };

    // Walks the tree below `startFolder` once for all `rules`; the first rule's files
    // are listed as they are found, the others' after the walk, rule by rule, as if each
    // rule had walked on its own.
    void SearchRules(std::string_view startFolder, std::vector<WalkRule>& rules);
    // Appends what the later rules found; false when memory ran out (what the failing
    // rule appended is taken back, and it and the rules after it walk again on their own).
    bool AppendLater(std::vector<WalkRule>& rules, std::size_t& failedAt);
    // One folder's entries with their folded names, and the order to take them in.
    struct Listing {
        std::vector<platform::FolderEntry> entries;
        std::vector<std::u32string> folded;
        std::vector<std::size_t> order;
    };
    // One folder and its subtree: the start folder (no `parent`), or the subfolder
    // `listed` of the open folder `parent`. True when the walk must stop (out of memory,
    // or ended by an event); false otherwise, including a cancel and a folder that cannot
    // be read.
    bool ScanFolder(const std::string& folder, platform::WalkedFolder* parent,
                    const platform::FolderEntry* listed, Walk& walk);
    static void SortListing(Listing& listing);
    // The subtrees of a folder's subfolders; true when the folder's own files are not to
    // be taken (a cancel, or a subtree that stopped the walk).
    bool ScanSubfolders(const std::string& folder, const std::string& prefix,
                        platform::WalkedFolder& opened, const Listing& listing, Walk& walk);
    void TakeFiles(const std::string& prefix, platform::WalkedFolder& opened,
                   const Listing& listing, Walk& walk);
    void Take(std::size_t rule, std::string path, const platform::FolderEntry& entry,
              platform::WalkedFolder& folder, Walk& walk);
    // Whether the file may be listed, and which file it is: a plain file reached through
    // no link. False for anything else.
    [[nodiscard]] bool Identify(const platform::FolderEntry& entry, platform::WalkedFolder& folder,
                                const Walk& walk, platform::FileIdentity& identity);
    // The start folder as it may be walked: a folder that is no link and lies behind none.
    bool StartFolderIsPlain(const std::string& folder, std::uint32_t& volumeSerial);
    // The Internet cache folder the first rule may sweep, or the empty text.
    std::string CacheStartFolder();
    bool AlreadyListed(const platform::FileIdentity& identity, const std::string& path) const;
    void Append(std::string path, int rule, std::int64_t bytes, platform::FileIdentity identity);
    // The checks removal repeats: the same file, reached through no link.
    [[nodiscard]] bool IsListedObject(const JunkFile& entry,
                                      const platform::OpenedFacts& facts) const;
    [[nodiscard]] bool NoLinkOnTheWay(std::string_view path);
    std::string Text(std::string_view id) const;
    void Events() const;
    std::string WindowsFolder() const;

    Services services_;
    const bool& cancelled_;
    JunkList& junk_;
    ModDestroyFile destroy_;
    // The pass: whether the Internet-cache rule has run, and which files it and the
    // other rules listed, so that no file is listed twice whatever path reached it.
    bool cacheSearched_ = false;
    std::unordered_set<platform::FileIdentity, IdentityHash> listed_;
    // Files the platform gave no number for, by their folded paths.
    std::unordered_set<std::u32string> listedPaths_;
};

}  // namespace keldra::disk

#include "disk/mod_disk_clean.h"

#include <algorithm>
#include <new>
#include <numeric>

namespace keldra::disk {

using platform::file_status::kSuccess;
namespace attr = platform::file_attribute;

namespace {

// The user's profile folder (CSIDL_PROFILE), which the Internet-cache rule never sweeps.
constexpr int kProfileFolder = 40;

// Folders a walk does not enter and files it does not list.
constexpr std::uint32_t kSkipped = attr::kHidden | attr::kSystem;

// The path of a folder as the walk reports it: no final backslash, except at a root.
std::string FolderPath(std::string_view path) {
    while (path.size() > 3 && path.back() == '\\') {
        path.remove_suffix(1);
    }
    return std::string(path);
}

// What a folder's entries are joined to: a root already ends in its backslash.
std::string Prefix(const std::string& folder) {
    return folder.size() <= 3 ? folder : folder + "\\";
}

// Texts compared as Windows compares paths: folded, without trailing backslashes (a
// root keeps its own).
std::u32string Comparable(std::string_view path) {
    while (path.size() > 3 && path.back() == '\\') {
        path.remove_suffix(1);
    }
    return FoldCase(path);
}

std::string TrimBlanks(std::string text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

ModDiskClean::ModDiskClean(Services services, const bool& scanCancelled, JunkList& junk)
    : services_(std::move(services)),
      cancelled_(scanCancelled),
      junk_(junk),
      destroy_(services_.files, services_.process) {}

std::string ModDiskClean::Text(std::string_view id) const {
    return services_.text ? services_.text(id) : std::string();
}

void ModDiskClean::Events() const {
    if (services_.events) {
        services_.events();
    }
}

std::string ModDiskClean::WindowsFolder() const {
    return TrimBlanks(services_.fileSystem.WindowsDirectory());
}

void ModDiskClean::SearchListedDrives(const DriveList& drives) {
    // The rows as they are now: a cancel in the middle of the search empties the list.
    std::vector<std::string> letters;
    for (const DriveRow& row : drives.Rows()) {
        letters.push_back(row.Unidad);
    }
    SearchDrives(letters);
}

void ModDiskClean::SearchDrives(const std::vector<std::string>& designations) {
    cacheSearched_ = false;
    listed_.clear();
    listedPaths_.clear();
    for (const std::string& drive : designations) {
        CurrentDrive = drive;
        SearchJunk();
    }
    listed_ = {};
    listedPaths_ = {};
}

std::string ModDiskClean::CacheStartFolder() {
    const std::string start = services_.SHD.SpecialFolderPath(platform::csidl::kInternetCache);
    const std::string profile = services_.fileSystem.SpecialFolderPath(kProfileFolder);
    // A profile that cannot be asked guards nothing: then nothing is swept.
    if (profile.empty() || !CacheFolderIsSafe(start, profile, WindowsFolder()) ||
        IsDoubtfulSpelling(start) || IsDoubtfulSpelling(profile)) {
        return {};
    }
    // Judged by where the folders really are: the spelling must be the folder's own
    // (no junction, link, short name or dropped dot on the way), and the folder must lie
    // strictly inside the resolved profile.
    platform::OpenedFacts cache;
    platform::OpenedFacts home;
    if (services_.files.Inspect(start, cache) != kSuccess ||
        services_.files.Inspect(profile, home) != kSuccess) {
        return {};
    }
    const auto isPlainFolder = [](const platform::OpenedFacts& facts) {
        return (facts.attributes & attr::kDirectory) != 0 &&
               (facts.attributes & attr::kReparsePoint) == 0;
    };
    if (!isPlainFolder(cache) || !isPlainFolder(home) ||
        Comparable(cache.finalPath) != Comparable(start) ||
        !CacheFolderIsSafe(cache.finalPath, home.finalPath, WindowsFolder())) {
        return {};
    }
    const std::u32string inside = Comparable(cache.finalPath);
    std::u32string above = Comparable(home.finalPath);
    if (above.empty() || above.back() != U'\\') {
        above += U'\\';
    }
    if (inside.size() <= above.size() || inside.compare(0, above.size(), above) != 0) {
        return {};
    }
    return FolderPath(start);
}

void ModDiskClean::SearchJunk() {
    std::vector<WalkRule> cacheRule;
    std::vector<WalkRule> driveRules;
    for (const JunkRule& rule : kJunkRules) {
        auto& into = rule.number == kInternetCacheRule ? cacheRule : driveRules;
        into.push_back({rule.number, MaskList(rule.masks), {}});
    }

    if (!cacheSearched_) {
        cacheSearched_ = true;
        const std::string start = CacheStartFolder();
        if (!start.empty()) {
            SearchRules(start, cacheRule);
        }
    }

    std::string root = CurrentDrive;
    root += '\\';
    SearchRules(root, driveRules);
}

bool ModDiskClean::StartFolderIsPlain(const std::string& folder, std::uint32_t& volumeSerial) {
    platform::OpenedFacts facts;
    if (services_.files.Inspect(folder, facts) != kSuccess ||
        (facts.attributes & attr::kDirectory) == 0 ||
        (facts.attributes & attr::kReparsePoint) != 0 ||
        Comparable(facts.finalPath) != Comparable(folder)) {
        return false;
    }
    volumeSerial = facts.identity.volumeSerial;
    return true;
}

void ModDiskClean::SearchRules(std::string_view startFolder, std::vector<WalkRule>& rules) {
    const std::string start = FolderPath(startFolder);
    Walk walk{rules, WindowsFolder()};
    CurrentRule = rules.front().number;
    // A start folder that is a link, or lies behind one, is not walked at all.
    if (StartFolderIsPlain(start, walk.volumeSerial)) {
        ScanFolder(start, nullptr, nullptr, walk);
    }
    EndScan();
    if (cancelled_) {
        // The rules after the first would have ended at their first test.
        return;
    }
    std::size_t again = rules.size();
    if (walk.disturbed) {
        // What the later rules collected is not what their own walks would find.
        again = 1;
    } else if (!AppendLater(rules, again)) {
        if (services_.message) {
            services_.message(Text("DCmain_MsgMemError"), Text("msg_OverError"));
        }
    }
    for (std::size_t i = 1; i < rules.size(); ++i) {
        rules[i].later = {};
    }
    for (std::size_t i = again; i < rules.size(); ++i) {
        std::vector<WalkRule> alone;
        alone.push_back({rules[i].number, rules[i].masks, {}});
        SearchRules(start, alone);
        if (cancelled_) {
            return;
        }
    }
}

bool ModDiskClean::AppendLater(std::vector<WalkRule>& rules, std::size_t& failedAt) {
    for (std::size_t i = 1; i < rules.size(); ++i) {
        const std::int64_t before = junk_.JunkCount;
        std::vector<platform::FileIdentity> added;
        try {
            CurrentRule = rules[i].number;
            added.reserve(rules[i].later.size());
            for (Found& found : rules[i].later) {
                if (AlreadyListed(found.identity, found.path)) {
                    continue;
                }
                added.push_back(found.identity);
                Append(std::move(found.path), CurrentRule, found.bytes, found.identity);
            }
        } catch (const std::bad_alloc&) {
            junk_.Truncate(before);
            for (const auto& identity : added) {
                listed_.erase(identity);
            }
            failedAt = i;
            return false;
        }
        rules[i].later = {};
    }
    return true;
}

void ModDiskClean::EndScan() {
    ScanActive = false;
}

bool ModDiskClean::ScanFolder(const std::string& folder, platform::WalkedFolder* parent,
                              const platform::FolderEntry* listed, Walk& walk) {
    ScanActive = true;
    Events();
    if (cancelled_) {
        return false;
    }
    if (!ScanActive) {
        walk.disturbed = true;
        return true;
    }
    try {
        if (IsExcluded(folder, walk.windowsFolder)) {
            // Its files are excluded by the same test: nothing below it is touched.
            return false;
        }
        // A folder that has become a link since its parent was listed is not entered; a
        // subfolder is opened from its parent's own handle.
        std::unique_ptr<platform::WalkedFolder> opened;
        const platform::FileStatus status =
            parent == nullptr ? services_.files.OpenWalkedFolder(folder, opened)
                              : parent->OpenSubfolder(listed->name, listed->fileId, opened);
        Listing listing;
        if (status != kSuccess || !opened || opened->List(listing.entries) != kSuccess) {
            // A folder that cannot be read skips its own subtree only.
            return false;
        }
        SortListing(listing);
        const std::string prefix = Prefix(folder);
        if (ScanSubfolders(folder, prefix, *opened, listing, walk)) {
            return false;
        }
        // The folder's own files, after its subfolders.
        TakeFiles(prefix, *opened, listing, walk);
    } catch (const std::bad_alloc&) {
        walk.disturbed = true;
        if (services_.message) {
            services_.message(Text("DCmain_MsgMemError"), Text("msg_OverError"));
        }
        return true;
    }
    return false;
}

void ModDiskClean::SortListing(Listing& listing) {
    // NTFS's order, whatever order the platform gives: by name without regard to case.
    listing.folded.reserve(listing.entries.size());
    for (const auto& entry : listing.entries) {
        listing.folded.push_back(FoldCase(entry.name));
    }
    listing.order.resize(listing.entries.size());
    std::iota(listing.order.begin(), listing.order.end(), std::size_t{0});
    std::sort(listing.order.begin(), listing.order.end(),
              [&](std::size_t a, std::size_t b) { return listing.folded[a] < listing.folded[b]; });
}

bool ModDiskClean::ScanSubfolders(const std::string& folder, const std::string& prefix,
                                  platform::WalkedFolder& opened, const Listing& listing,
                                  Walk& walk) {
    std::vector<std::size_t> subfolders;
    for (const std::size_t i : listing.order) {
        const auto& entry = listing.entries[i];
        // Junctions and links may lead off the drive, round in a loop or into a protected
        // folder: never entered.
        if (entry.IsFolder() && !entry.reparsePoint &&
            (entry.attributes & (kSkipped | attr::kReparsePoint)) == 0) {
            subfolders.push_back(i);
        }
    }
    if (subfolders.empty()) {
        return false;
    }
    const std::string progress = Text("OCM_SIn") + folder;
    // From the last to the first, each subtree whole.
    for (std::size_t n = subfolders.size(); n > 0 && ScanActive; --n) {
        if (cancelled_) {
            return true;
        }
        if (services_.progress) {
            services_.progress(progress);
        }
        const auto& entry = listing.entries[subfolders[n - 1]];
        if (ScanFolder(prefix + entry.name, &opened, &entry, walk)) {
            return true;
        }
    }
    return false;
}

void ModDiskClean::TakeFiles(const std::string& prefix, platform::WalkedFolder& opened,
                             const Listing& listing, Walk& walk) {
    const FolderExclusion exclusion(prefix, walk.windowsFolder);
    for (const std::size_t i : listing.order) {
        const auto& entry = listing.entries[i];
        if (entry.IsFolder() || entry.reparsePoint ||
            (entry.attributes & (kSkipped | attr::kReparsePoint)) != 0) {
            continue;
        }
        for (std::size_t rule = 0; rule < walk.rules.size(); ++rule) {
            if (!walk.rules[rule].masks.MatchesFolded(listing.folded[i])) {
                continue;
            }
            // A name goes to the first rule that selects it, and only once.
            if (!exclusion.Excludes(listing.folded[i])) {
                Take(rule, prefix + entry.name, entry, opened, walk);
            }
            break;
        }
    }
}

bool ModDiskClean::Identify(const platform::FolderEntry& entry, platform::WalkedFolder& folder,
                            const Walk& walk, platform::FileIdentity& identity) {
    // Where a link to a file may look like the file it leads to, the file is opened and
    // must resolve to its own path; then the listing's number is its own. Elsewhere the
    // listing came through the folder's own handle, which was checked.
    if (!services_.files.ListingsShowFileLinks()) {
        bool inPlace = false;
        if (folder.ResolvesInPlace(entry.name, inPlace) != kSuccess || !inPlace) {
            return false;
        }
    }
    identity = {walk.volumeSerial, entry.fileId, entry.lastWriteTime, entry.changeTime};
    return true;
}

bool ModDiskClean::AlreadyListed(const platform::FileIdentity& identity,
                                 const std::string& path) const {
    return identity.Known() ? listed_.count(identity) != 0
                            : listedPaths_.count(FoldCase(path)) != 0;
}

void ModDiskClean::Take(std::size_t rule, std::string path, const platform::FolderEntry& entry,
                        platform::WalkedFolder& folder, Walk& walk) {
    platform::FileIdentity identity;
    if (!Identify(entry, folder, walk, identity)) {
        return;
    }
    const auto bytes = static_cast<std::int64_t>(entry.sizeBytes);
    if (rule == 0) {
        if (!AlreadyListed(identity, path)) {
            Append(std::move(path), walk.rules.front().number, bytes, identity);
        }
    } else {
        walk.rules[rule].later.push_back({std::move(path), bytes, identity});
    }
}

void ModDiskClean::Append(std::string path, int rule, std::int64_t bytes,
                          platform::FileIdentity identity) {
    if (services_.loadResults) {
        services_.loadResults();
    }
    if (identity.Known()) {
        listed_.insert(identity);
    } else {
        listedPaths_.insert(FoldCase(path));
    }
    junk_.Append(std::move(path), rule, bytes, identity);
}

void ModDiskClean::DestroyJunk() {
    if (junk_.JunkCount == 0) {
        return;
    }
    Events();
    const auto count = static_cast<std::size_t>(junk_.JunkCount);
    // An event may empty the list (a cancel): what is gone is not visited.
    for (std::size_t i = 0; i < count && i < junk_.JunkFiles.size(); ++i) {
        // A file the user unticked stays as it is.
        if (!junk_.JunkFiles[i].Marked) {
            continue;
        }
        DestroyEntry(junk_.JunkFiles[i]);
        Events();
    }
}

bool ModDiskClean::NoLinkOnTheWay(std::string_view path) {
    // Every folder from the drive's root down to the file's own.
    for (std::size_t at = path.find('\\', 3); at != std::string_view::npos;
         at = path.find('\\', at + 1)) {
        std::uint32_t attributes = 0;
        if (services_.files.GetAttributes(path.substr(0, at), attributes) != kSuccess ||
            (attributes & attr::kDirectory) == 0 || (attributes & attr::kReparsePoint) != 0) {
            return false;
        }
    }
    return true;
}

bool ModDiskClean::IsListedObject(const JunkFile& entry, const platform::OpenedFacts& facts) const {
    return entry.Identity.Known() && facts.identity == entry.Identity &&
           (facts.attributes & (attr::kDirectory | attr::kReparsePoint)) == 0 &&
           Comparable(facts.finalPath) == Comparable(entry.Path);
}

void ModDiskClean::DestroyEntry(const JunkFile& entry) {
    const std::string& path = entry.Path;
    // Only the very file that was listed, reached through no link, is touched; anything
    // else is left alone, and stays listed.
    if (path.size() < 4 || path[1] != ':' || path[2] != '\\' || !NoLinkOnTheWay(path)) {
        return;
    }
    // From here on every step goes through one handle, which names the object it opened
    // whatever the path leads to meanwhile.
    platform::OpenedFacts facts;
    std::unique_ptr<platform::OpenedFile> file;
    if (services_.files.OpenForRemoval(path, facts, file) != kSuccess || !file) {
        // A read-only file cannot be opened for writing: looked at without writing, it
        // may still be the listed one, whose attributes are then reset.
        file.reset();
        if (services_.files.Inspect(path, facts) == kSuccess && IsListedObject(entry, facts) &&
            !ModDestroyFile::IsPlain(facts.attributes)) {
            destroy_.ResetAttributes(path);
        }
        return;
    }
    if (!IsListedObject(entry, facts)) {
        return;
    }
    if (!ModDestroyFile::IsPlain(facts.attributes)) {
        file.reset();
        destroy_.ResetAttributes(path);
        return;
    }
    // Emptying a file with other names would empty them too: only this name goes.
    if (facts.links > 1) {
        file->Delete();
        return;
    }
    std::uint64_t bytes = 1;
    if (file->Truncate() != kSuccess || file->Size(bytes) != kSuccess || bytes != 0) {
        return;
    }
    // Moved under the dated name into the drive's root, then deleted there; a file that
    // cannot move is deleted where it is. An existing dated name is never replaced.
    file->MoveTo(ModDestroyFile::DatedName(path.substr(0, 3), services_.process.Now()));
    file->Delete();
}

}  // namespace keldra::disk

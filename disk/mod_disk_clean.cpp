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
    cacheFiles_.clear();
    for (const std::string& drive : designations) {
        CurrentDrive = drive;
        SearchJunk();
    }
    cacheFiles_.clear();
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
        const std::string start = services_.SHD.SpecialFolderPath(platform::csidl::kInternetCache);
        const std::string profile = services_.fileSystem.SpecialFolderPath(kProfileFolder);
        if (CacheFolderIsSafe(start, profile, WindowsFolder())) {
            const std::int64_t before = junk_.JunkCount;
            SearchRules(start, cacheRule);
            for (std::size_t i = static_cast<std::size_t>(before); i < junk_.JunkFiles.size();
                 ++i) {
                cacheFiles_.insert(FoldCase(junk_.JunkFiles[i].Path));
            }
        }
    }

    std::string root = CurrentDrive;
    root += '\\';
    SearchRules(root, driveRules);
}

void ModDiskClean::SearchRules(std::string_view startFolder, std::vector<WalkRule>& rules) {
    Walk walk{rules, WindowsFolder()};
    CurrentRule = rules.front().number;
    ScanFolder(FolderPath(startFolder), walk);
    EndScan();
    if (cancelled_) {
        // The rules after the first would have ended at their first test.
        return;
    }
    for (std::size_t i = 1; i < rules.size(); ++i) {
        CurrentRule = rules[i].number;
        for (Found& found : rules[i].later) {
            Append(std::move(found.path), CurrentRule, found.bytes);
        }
        rules[i].later.clear();
        rules[i].later.shrink_to_fit();
    }
}

void ModDiskClean::EndScan() {
    ScanActive = false;
}

bool ModDiskClean::ScanFolder(const std::string& folder, Walk& walk) {
    ScanActive = true;
    Events();
    if (cancelled_) {
        return false;
    }
    if (!ScanActive) {
        return true;
    }
    try {
        if (IsExcluded(folder, walk.windowsFolder)) {
            // Its files are excluded by the same test: nothing below it is touched.
            return false;
        }
        std::vector<platform::FolderEntry> entries;
        if (services_.files.ListFolder(folder, entries) != kSuccess) {
            // A folder that cannot be read skips its own subtree only.
            return false;
        }
        // NTFS's order, whatever order the platform gives: by name without regard to case.
        std::vector<std::u32string> folded;
        folded.reserve(entries.size());
        for (const auto& entry : entries) {
            folded.push_back(FoldCase(entry.name));
        }
        std::vector<std::size_t> order(entries.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::sort(order.begin(), order.end(),
                  [&](std::size_t a, std::size_t b) { return folded[a] < folded[b]; });

        const std::string prefix = Prefix(folder);
        std::vector<std::size_t> subfolders;
        for (const std::size_t i : order) {
            const auto& entry = entries[i];
            // Junctions and links may lead off the drive, round in a loop or into a
            // protected folder: never entered.
            if (entry.IsFolder() && !entry.reparsePoint && (entry.attributes & kSkipped) == 0) {
                subfolders.push_back(i);
            }
        }
        if (!subfolders.empty()) {
            const std::string progress = Text("OCM_SIn") + folder;
            // From the last to the first, each subtree whole.
            for (std::size_t n = subfolders.size(); n > 0 && ScanActive; --n) {
                if (cancelled_) {
                    return false;
                }
                if (services_.progress) {
                    services_.progress(progress);
                }
                if (ScanFolder(prefix + entries[subfolders[n - 1]].name, walk)) {
                    return false;
                }
            }
        }

        // The folder's own files, after its subfolders.
        for (const std::size_t i : order) {
            const auto& entry = entries[i];
            if (entry.IsFolder() || entry.reparsePoint || (entry.attributes & kSkipped) != 0) {
                continue;
            }
            for (std::size_t rule = 0; rule < walk.rules.size(); ++rule) {
                if (!walk.rules[rule].masks.MatchesFolded(folded[i])) {
                    continue;
                }
                // A name goes to the first rule that selects it, and only once.
                std::string path = prefix + entry.name;
                if (!IsExcluded(path, walk.windowsFolder)) {
                    Take(rule, std::move(path), static_cast<std::int64_t>(entry.sizeBytes), walk);
                }
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        if (services_.message) {
            services_.message(Text("DCmain_MsgMemError"), Text("msg_OverError"));
        }
        return true;
    }
    return false;
}

void ModDiskClean::Take(std::size_t rule, std::string path, std::int64_t bytes, Walk& walk) {
    if (!cacheFiles_.empty() && cacheFiles_.count(FoldCase(path)) != 0) {
        return;
    }
    if (rule == 0) {
        Append(std::move(path), walk.rules.front().number, bytes);
    } else {
        walk.rules[rule].later.push_back({std::move(path), bytes});
    }
}

void ModDiskClean::Append(std::string path, int rule, std::int64_t bytes) {
    if (services_.loadResults) {
        services_.loadResults();
    }
    junk_.Append(std::move(path), rule, bytes);
}

void ModDiskClean::DestroyJunk() {
    if (junk_.JunkCount == 0) {
        return;
    }
    Events();
    const auto count = static_cast<std::size_t>(junk_.JunkCount);
    // An event may empty the list (a cancel): what is gone is not visited.
    for (std::size_t i = 0; i < count && i < junk_.JunkFiles.size(); ++i) {
        DestroyEntry(junk_.JunkFiles[i]);
        Events();
    }
}

void ModDiskClean::DestroyEntry(const JunkFile& entry) {
    const std::string& path = entry.Path;
    if (!destroy_.IsPlainFile(path)) {
        destroy_.ResetAttributes(path);
        return;
    }
    // Emptying a file with other names would empty them too: only this name goes.
    std::uint32_t links = 0;
    if (services_.files.HardLinkCount(path, links) != kSuccess) {
        return;
    }
    if (links > 1) {
        services_.files.RemoveFile(path);
        return;
    }
    if (!destroy_.TruncateFile(path)) {
        return;
    }
    destroy_.RenameAndKill(path);
}

}  // namespace keldra::disk

#include "platform/sim/sim_file_system.h"

#include <algorithm>
#include <utility>

#include "platform/text.h"

namespace keldra::platform::sim {
namespace {

constexpr int kSpecialFolderMask = 0x00FF;
// Junctions that lead to junctions are followed this deep, as a loop must end somewhere.
constexpr int kMaxReparseDepth = 32;
// What SetFileAttributes can change; the normal bit only stands for "none of them".
constexpr std::uint32_t kSettableAttributes = file_attribute::kReadOnly | file_attribute::kHidden |
                                              file_attribute::kSystem | file_attribute::kArchive |
                                              file_attribute::kTemporary | 0x1000 /* offline */ |
                                              0x2000 /* not content indexed */;

std::u16string Upper(std::u16string_view name) {
    std::u16string out(name);
    for (char16_t& unit : out) {
        unit = text::UpcaseUnit(unit);
    }
    return out;
}

bool IsInvalidUnit(char16_t unit) {
    return unit < 0x20 || unit == u'"' || unit == u'*' || unit == u'?' || unit == u'<' ||
           unit == u'>' || unit == u'|';
}

bool IsAsciiLetter(char16_t unit) {
    return (unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z');
}

char UpperLetter(char letter) {
    return (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 'a' + 'A') : letter;
}

bool AllDots(std::u16string_view segment) {
    return segment.find_first_not_of(u'.') == std::u16string_view::npos;
}

}  // namespace

struct SimFileSystem::FileData {
    std::uint32_t attributes = file_attribute::kArchive;
    std::string contents;
    std::uint64_t sizeBytes = 0;
    std::uint32_t links = 1;  // names that lead to this data
    int locks = 0;            // other programs holding it open without sharing
    std::uint64_t id = 0;     // its number on the volume
};

struct SimFileSystem::Node {
    std::u16string name;
    Node* parent = nullptr;
    // A folder's own attributes, without the directory bit.
    std::uint32_t attributes = 0;
    // A file's data, shared by its hard links; null for a folder.
    std::shared_ptr<FileData> file;
    // Non-empty for a junction: the folder it leads to.
    std::string junctionTarget;
    // A symbolic link or the like: reported as a reparse point, entered as it is.
    bool reparse = false;
    // Non-empty for a Unix symbolic link as Wine shows it: the file or folder it leads to.
    std::string unixLink;
    // A folder's number on the volume (a file's is in its data).
    std::uint64_t id = 0;
    // By upper-case name, which is also the order NTFS lists them in.
    std::map<std::u16string, std::unique_ptr<Node>> children;
};

struct SimFileSystem::Parsed {
    FileStatus status = file_status::kSuccess;
    char drive = 0;
    std::vector<std::u16string> parts;
    bool trailingSeparator = false;

    // The upper-case canonical path, the key of injected failures.
    std::u16string Key() const {
        std::u16string key{static_cast<char16_t>(drive), u':', u'\\'};
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (i != 0) {
                key += u'\\';
            }
            key += Upper(parts[i]);
        }
        return key;
    }
};

SimFileSystem::SimFileSystem() = default;
SimFileSystem::~SimFileSystem() = default;

namespace {

// A path's units as Win32 reads them: "/" as a backslash, the long-path prefix dropped; the
// failure of a share or an invalid character.
FileStatus Normalise(std::u16string& path, FileStatus networkError) {
    if (path.empty()) {
        return file_status::kPathNotFound;
    }
    for (char16_t& unit : path) {
        if (unit == u'/') {
            unit = u'\\';
        }
    }
    if (path.starts_with(u"\\\\?\\")) {
        path.erase(0, 4);  // the long-path prefix: the rest is taken as it is
    } else if (path.starts_with(u"\\\\")) {
        return networkError;
    }
    for (const char16_t unit : path) {
        if (IsInvalidUnit(unit)) {
            return file_status::kInvalidName;
        }
    }
    return file_status::kSuccess;
}

// Appends the names of `rest` to `parts`, as Win32 reads them: "." and empty names
// skipped, ".." going up, the last name without its trailing dots and blanks, a name in
// the middle without one trailing dot.
void AppendNames(std::u16string_view rest, std::vector<std::u16string>& parts) {
    std::vector<std::u16string_view> segments;
    std::size_t start = 0;
    while (start <= rest.size()) {
        const std::size_t end = std::min(rest.find(u'\\', start), rest.size());
        segments.push_back(rest.substr(start, end - start));
        start = end + 1;
    }
    for (std::size_t i = 0; i < segments.size(); ++i) {
        std::u16string segment(segments[i]);
        if (segment.empty() || segment == u".") {
            continue;
        }
        if (segment == u"..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
            continue;
        }
        if (i + 1 == segments.size()) {
            while (!segment.empty() && (segment.back() == u'.' || segment.back() == u' ')) {
                segment.pop_back();
            }
            if (segment.empty()) {
                continue;
            }
        } else if (segment.back() == u'.' && !AllDots(segment)) {
            segment.pop_back();
        }
        parts.push_back(std::move(segment));
    }
}

}  // namespace

SimFileSystem::Parsed SimFileSystem::Parse(std::string_view utf8) const {
    Parsed parsed;
    std::u16string path = text::Utf8ToUtf16(utf8);
    parsed.status = Normalise(path, networkError_);
    if (parsed.status != file_status::kSuccess) {
        return parsed;
    }

    std::u16string_view rest = path;
    bool fromRoot = false;
    if (path.size() >= 2 && path[1] == u':' && IsAsciiLetter(path[0])) {
        parsed.drive = UpperLetter(static_cast<char>(path[0]));
        rest.remove_prefix(2);
        fromRoot = !rest.empty() && rest.front() == u'\\';
    } else {
        fromRoot = rest.front() == u'\\';
    }
    // A relative path, or one without a drive, starts from the current directory; "D:x"
    // with the current directory on another drive starts from that drive's root.
    if (!fromRoot || parsed.drive == 0) {
        const std::string currentUtf8 = CurrentDirectory();
        const std::u16string current = text::Utf8ToUtf16(currentUtf8);
        const bool currentIsAbsolute = current.size() >= 3 && IsAsciiLetter(current[0]) &&
                                       current[1] == u':' &&
                                       (current[2] == u'\\' || current[2] == u'/');
        if (!currentIsAbsolute) {
            parsed.status = file_status::kPathNotFound;
            return parsed;
        }
        const char currentDrive = UpperLetter(static_cast<char>(current[0]));
        if (parsed.drive == 0) {
            parsed.drive = currentDrive;
        }
        if (!fromRoot && parsed.drive == currentDrive) {
            Parsed base = Parse(currentUtf8);
            if (base.status != file_status::kSuccess) {
                parsed.status = base.status;
                return parsed;
            }
            parsed.parts = std::move(base.parts);
        }
    }
    parsed.trailingSeparator = !rest.empty() && rest.back() == u'\\';
    AppendNames(rest, parsed.parts);
    return parsed;
}

SimFileSystem::Found SimFileSystem::Find(std::string_view path, std::optional<SimOp> op) const {
    const Parsed parsed = Parse(path);
    if (parsed.status != file_status::kSuccess) {
        return {parsed.status, nullptr};
    }
    return FindParsed(parsed, op);
}

SimFileSystem::Found SimFileSystem::FindParsed(const Parsed& parsed,
                                               std::optional<SimOp> op) const {
    if (const auto failed = failures_.find(parsed.Key()); op && failed != failures_.end()) {
        if (const auto it = failed->second.find(*op); it != failed->second.end()) {
            return {it->second, nullptr};
        }
    }
    const auto drive = drives_.find(parsed.drive);
    if (drive == drives_.end()) {
        return {file_status::kPathNotFound, nullptr};
    }
    if (!drive->second.ready) {
        return {file_status::kNotReady, nullptr};
    }
    Node* node = roots_.at(parsed.drive).get();
    for (std::size_t i = 0; i < parsed.parts.size(); ++i) {
        Node* folder = Through(node);
        if (folder == nullptr || folder->file) {
            return {file_status::kPathNotFound, nullptr};
        }
        const auto child = folder->children.find(Upper(parsed.parts[i]));
        if (child == folder->children.end()) {
            return {i + 1 == parsed.parts.size() ? file_status::kFileNotFound
                                                 : file_status::kPathNotFound,
                    nullptr};
        }
        node = child->second.get();
    }
    if (parsed.trailingSeparator && node->file) {
        return {file_status::kPathNotFound, nullptr};
    }
    return {file_status::kSuccess, node};
}

SimFileSystem::Node* SimFileSystem::Through(Node* node) const {
    for (int depth = 0;
         node != nullptr && (!node->junctionTarget.empty() || !node->unixLink.empty()); ++depth) {
        if (depth == kMaxReparseDepth) {
            return nullptr;
        }
        const Parsed target =
            Parse(node->junctionTarget.empty() ? node->unixLink : node->junctionTarget);
        if (target.status != file_status::kSuccess) {
            return nullptr;
        }
        node = FindParsed(target, std::nullopt).node;
    }
    return node;
}

SimFileSystem::Node* SimFileSystem::MakeFolders(const Parsed& parsed, bool includeLast) {
    const auto root = roots_.find(parsed.drive);
    if (root == roots_.end() || !drives_.at(parsed.drive).ready) {
        return nullptr;
    }
    Node* folder = root->second.get();
    const std::size_t count = includeLast ? parsed.parts.size() : parsed.parts.size() - 1;
    for (std::size_t i = 0; i < count; ++i) {
        const std::u16string& name = parsed.parts[i];
        if (name.find(u':') != std::u16string::npos) {
            return nullptr;
        }
        auto& slot = folder->children[Upper(name)];
        if (!slot) {
            slot = std::make_unique<Node>();
            slot->name = name;
            slot->parent = folder;
            slot->id = NewId();
        }
        folder = Through(slot.get());
        if (folder == nullptr || folder->file) {
            return nullptr;
        }
    }
    return folder;
}

bool SimFileSystem::FileExists(std::string_view path) {
    const Found found = Find(path, SimOp::Query);
    return found.node != nullptr && found.node->file;
}

bool SimFileSystem::FolderExists(std::string_view path) {
    if (path.empty()) {
        return true;
    }
    const Found found = Find(path, SimOp::Query);
    if (found.node != nullptr) {
        return !found.node->file;
    }
    switch (found.status) {
        case file_status::kFileNotFound:
        case file_status::kPathNotFound:
        case file_status::kInvalidName:
        case file_status::kBadPathname:
            return false;
        default:
            return true;
    }
}

std::string SimFileSystem::SpecialFolderPath(int csidlWithFlags) {
    const int folder = csidlWithFlags & kSpecialFolderMask;
    if (specialFolderFailures_.count(folder) != 0) {
        return {};
    }
    const auto it = specialFolders_.find(folder);
    if (it == specialFolders_.end()) {
        return {};  // E_INVALIDARG: a number the shell does not know
    }
    if (IsFolder(it->second)) {
        return it->second;
    }
    if ((csidlWithFlags & csidl::kCreateFlag) != 0 && AddFolder(it->second)) {
        return it->second;
    }
    return {};  // the folder is missing and was not to be created
}

std::vector<DriveEntry> SimFileSystem::Drives() {
    std::vector<DriveEntry> drives;
    for (const auto& [letter, drive] : drives_) {
        drives.push_back({letter, DriveTypeFromCode(drive.typeCode)});
    }
    return drives;
}

bool SimFileSystem::DriveReady(char letter) {
    const auto drive = drives_.find(UpperLetter(letter));
    return drive == drives_.end() || drive->second.ready;
}

SimDrive& SimFileSystem::AddDrive(char letter, std::uint32_t typeCode) {
    letter = UpperLetter(letter);
    auto root = std::make_unique<Node>();
    root->name = {static_cast<char16_t>(letter), u':'};
    root->id = NewId();
    roots_[letter] = std::move(root);
    SimDrive& drive = drives_[letter];
    drive = SimDrive{};
    drive.typeCode = typeCode;
    return drive;
}

SimDrive& SimFileSystem::Drive(char letter) {
    return drives_.at(UpperLetter(letter));
}

void SimFileSystem::RemoveDrive(char letter) {
    drives_.erase(UpperLetter(letter));
    roots_.erase(UpperLetter(letter));
}

bool SimFileSystem::AddFolder(std::string_view path) {
    const Parsed parsed = Parse(path);
    return parsed.status == file_status::kSuccess && MakeFolders(parsed, true) != nullptr;
}

bool SimFileSystem::AddFile(std::string_view path, std::string_view contents) {
    const Parsed parsed = Parse(path);
    if (parsed.status != file_status::kSuccess || parsed.parts.empty() ||
        parsed.trailingSeparator || parsed.parts.back().find(u':') != std::u16string::npos) {
        return false;
    }
    Node* folder = MakeFolders(parsed, false);
    if (folder == nullptr) {
        return false;
    }
    auto& slot = folder->children[Upper(parsed.parts.back())];
    if (!slot) {
        slot = std::make_unique<Node>();
        slot->name = parsed.parts.back();
        slot->parent = folder;
        slot->file = std::make_shared<FileData>();
        slot->file->id = NewId();
    } else if (!slot->file) {
        return false;
    }
    slot->file->contents = contents;
    slot->file->sizeBytes = contents.size();
    return true;
}

void SimFileSystem::Unlink(Node& node) {
    std::vector<Node*> pending{&node};
    while (!pending.empty()) {
        Node* next = pending.back();
        pending.pop_back();
        if (next->file) {
            --next->file->links;
        } else if (next->junctionTarget.empty()) {
            for (auto& [key, child] : next->children) {
                pending.push_back(child.get());
            }
        }
    }
    node.parent->children.erase(Upper(node.name));
}

bool SimFileSystem::RemoveTree(std::string_view path) {
    const Parsed parsed = Parse(path);
    if (parsed.status != file_status::kSuccess || parsed.parts.empty()) {
        return false;
    }
    const Found found = FindParsed(parsed, std::nullopt);
    if (found.node == nullptr) {
        return false;
    }
    Unlink(*found.node);
    return true;
}

void SimFileSystem::SetSpecialFolder(int csidl, std::string path) {
    specialFolders_[csidl & kSpecialFolderMask] = std::move(path);
    specialFolderFailures_.erase(csidl & kSpecialFolderMask);
}

void SimFileSystem::FailSpecialFolder(int csidl, std::int32_t result) {
    specialFolderFailures_[csidl & kSpecialFolderMask] = result;
}

void SimFileSystem::FailOn(std::string_view path, SimOp op, FileStatus error) {
    const Parsed parsed = Parse(path);
    if (parsed.status == file_status::kSuccess) {
        failures_[parsed.Key()][op] = error;
    }
}

bool SimFileSystem::IsFile(std::string_view path) const {
    const Parsed parsed = Parse(path);
    if (parsed.status != file_status::kSuccess) {
        return false;
    }
    const Found found = FindParsed(parsed, std::nullopt);
    return found.node != nullptr && found.node->file;
}

bool SimFileSystem::IsFolder(std::string_view path) const {
    const Parsed parsed = Parse(path);
    if (parsed.status != file_status::kSuccess) {
        return false;
    }
    const Found found = FindParsed(parsed, std::nullopt);
    return found.node != nullptr && !found.node->file;
}

std::optional<std::string> SimFileSystem::Contents(std::string_view path) const {
    const Parsed parsed = Parse(path);
    if (parsed.status != file_status::kSuccess) {
        return std::nullopt;
    }
    const Found found = FindParsed(parsed, std::nullopt);
    if (found.node == nullptr || !found.node->file) {
        return std::nullopt;
    }
    return found.node->file->contents;
}

std::string SimFileSystem::CurrentDirectory() const {
    return process_ != nullptr ? process_->CurrentDirectory() : currentDirectory_;
}

std::uint32_t SimFileSystem::Reported(const Node& node) const {
    if (!node.unixLink.empty()) {
        // Wine shows the target; a link to a folder also carries the reparse bit.
        const Node* target = Through(const_cast<Node*>(&node));
        if (target == nullptr) {
            return file_attribute::kInvalid;
        }
        const std::uint32_t attributes = Reported(*target);
        return target->file ? attributes : attributes | file_attribute::kReparsePoint;
    }
    if (node.file) {
        std::uint32_t attributes = node.file->attributes;
        if (node.reparse) {
            attributes |= file_attribute::kReparsePoint;
        }
        return attributes == 0 ? file_attribute::kNormal : attributes;
    }
    std::uint32_t attributes = file_attribute::kDirectory | node.attributes;
    if (node.reparse || !node.junctionTarget.empty()) {
        attributes |= file_attribute::kReparsePoint;
    }
    return attributes;
}

std::uint32_t SimFileSystem::AttributesOf(std::string_view path) const {
    const Found found = Find(path, std::nullopt);
    return found.node != nullptr ? Reported(*found.node) : file_attribute::kInvalid;
}

// ---- Volumes ----

FileStatus SimFileSystem::RootDrive(std::string_view root, char& letter, bool rootOnly) const {
    std::u16string text = text::Utf8ToUtf16(root);
    if (text.empty()) {
        const std::string current = CurrentDirectory();
        if (current.size() < 2 || current[1] != ':') {
            return file_status::kPathNotFound;
        }
        letter = UpperLetter(current[0]);
    } else if (text.starts_with(u"\\") || text.starts_with(u"//")) {
        return networkError_;
    } else if (text.size() >= 2 && text[1] == u':' && IsAsciiLetter(text[0])) {
        letter = UpperLetter(static_cast<char>(text[0]));
        const bool isRoot =
            text.size() == 2 || (text.size() == 3 && (text[2] == u'\\' || text[2] == u'/'));
        if (!isRoot && rootOnly) {
            return file_status::kDirNotRoot;
        }
    } else {
        return file_status::kInvalidName;
    }
    const auto drive = drives_.find(letter);
    if (drive == drives_.end()) {
        return file_status::kPathNotFound;
    }
    const Parsed rootPath{file_status::kSuccess, letter, {}, false};
    if (const auto failed = failures_.find(rootPath.Key()); failed != failures_.end()) {
        if (const auto it = failed->second.find(SimOp::Volume); it != failed->second.end()) {
            return it->second;
        }
    }
    return drive->second.ready ? file_status::kSuccess : file_status::kNotReady;
}

std::uint32_t SimFileSystem::LogicalDriveStrings(std::uint32_t capacity, std::string& buffer) {
    std::string strings;
    for (const auto& [letter, drive] : drives_) {
        strings += letter;
        strings += ":\\";
        strings += '\0';
    }
    const auto length = static_cast<std::uint32_t>(strings.size());
    if (length + 1 > capacity) {
        return length + 1;  // the room needed, the final NUL included
    }
    buffer = std::move(strings);
    return length;
}

std::uint32_t SimFileSystem::DriveType(std::string_view root) {
    std::u16string text = text::Utf8ToUtf16(root);
    char letter = 0;
    if (text.empty()) {
        const std::string current = CurrentDirectory();
        letter = current.size() >= 2 && current[1] == ':' ? UpperLetter(current[0]) : 0;
    } else if (text.size() >= 2 && text.size() <= 3 && text[1] == u':' && IsAsciiLetter(text[0]) &&
               (text.size() == 2 || text[2] == u'\\' || text[2] == u'/')) {
        letter = UpperLetter(static_cast<char>(text[0]));
    }
    const auto drive = drives_.find(letter);
    return drive == drives_.end() ? drive_code::kNoRootDir : drive->second.typeCode;
}

FileStatus SimFileSystem::VolumeInformation(std::string_view root, VolumeInfo& info) {
    char letter = 0;
    const FileStatus status = RootDrive(root, letter, true);
    if (status == file_status::kSuccess) {
        info = drives_.at(letter).volume;
    }
    return status;
}

FileStatus SimFileSystem::DiskFreeSpaceEx(std::string_view folder, DiskSpace& space) {
    char letter = 0;
    FileStatus status = RootDrive(folder, letter, false);
    if (status == file_status::kSuccess && !folder.empty()) {
        const Found found = Find(folder, SimOp::Query);
        status = found.node == nullptr ? found.status
                 : found.node->file    ? file_status::kDirectory
                                       : file_status::kSuccess;
    }
    if (status == file_status::kSuccess) {
        const SimDrive& drive = drives_.at(letter);
        space = {drive.availableBytes, drive.totalBytes, drive.freeBytes};
    }
    return status;
}

FileStatus SimFileSystem::CurrentDriveFreeSpace(DiskSpace& space) {
    return DiskFreeSpaceEx({}, space);
}

FileStatus SimFileSystem::DiskFreeSpace(std::string_view root, ClusterGeometry& geometry) {
    DiskSpace space;
    const FileStatus status = DiskFreeSpaceEx(root, space);
    if (status != file_status::kSuccess) {
        return status;
    }
    char letter = 0;
    RootDrive(root, letter, false);
    const SimDrive& drive = drives_.at(letter);
    const std::uint64_t clusterBytes =
        std::max<std::uint64_t>(1, std::uint64_t{drive.bytesPerSector} * drive.sectorsPerCluster);
    const auto clusters = [&](std::uint64_t bytes) {
        return static_cast<std::uint32_t>(
            std::min<std::uint64_t>(bytes / clusterBytes, 0xFFFFFFFF));
    };
    geometry = {drive.sectorsPerCluster, drive.bytesPerSector,
                clusters(space.availableToCallerBytes), clusters(space.totalBytes)};
    return status;
}

// ---- Files ----

FileStatus SimFileSystem::ListFolder(std::string_view folder, std::vector<FolderEntry>& entries) {
    entries.clear();
    const Found found = Find(folder, SimOp::List);
    if (found.node == nullptr) {
        // The search names the folder's entries, so a missing folder is a missing path.
        return found.status == file_status::kFileNotFound ? file_status::kPathNotFound
                                                          : found.status;
    }
    const Node* inside = Through(found.node);
    if (inside == nullptr) {
        return file_status::kPathNotFound;
    }
    if (inside->file) {
        return file_status::kInvalidName;  // what Wine answers for a file searched as a folder
    }
    for (const auto& [key, child] : inside->children) {
        FolderEntry entry;
        entry.name = text::Utf16ToUtf8(child->name);
        entry.attributes = Reported(*child);
        if (entry.attributes == file_attribute::kInvalid) {
            continue;  // a dangling Unix link: Wine leaves it out
        }
        const Node* shown = Resolved(child.get());
        entry.sizeBytes = shown->file ? shown->file->sizeBytes : 0;
        entry.fileId = IdentityOf(*shown).fileId;
        entry.reparsePoint = (entry.attributes & file_attribute::kReparsePoint) != 0;
        entries.push_back(std::move(entry));
    }
    if (reverseListings_) {
        std::reverse(entries.begin(), entries.end());
    }
    return file_status::kSuccess;
}

FileStatus SimFileSystem::GetAttributes(std::string_view path, std::uint32_t& attributes) {
    const Found found = Find(path, SimOp::Query);
    if (found.node != nullptr) {
        const std::uint32_t reported = Reported(*found.node);
        if (reported == file_attribute::kInvalid) {
            return file_status::kFileNotFound;
        }
        attributes = reported;
    }
    return found.status;
}

FileStatus SimFileSystem::SetAttributes(std::string_view path, std::uint32_t attributes) {
    const Found found = Find(path, SimOp::SetAttributes);
    if (found.node != nullptr) {
        Node* node = Resolved(found.node);  // Wine changes what a Unix link leads to
        if (node == nullptr) {
            return file_status::kFileNotFound;
        }
        (node->file ? node->file->attributes : node->attributes) = attributes & kSettableAttributes;
    }
    return found.status;
}

FileStatus SimFileSystem::TruncateFile(std::string_view path) {
    const Found found = Find(path, SimOp::Open);
    if (found.node == nullptr) {
        return found.status;
    }
    const Node* node = Resolved(found.node);
    if (node == nullptr) {
        return file_status::kFileNotFound;
    }
    if (!node->file) {
        return file_status::kAccessDenied;
    }
    FileData& data = *node->file;
    if (data.locks > 0) {
        return file_status::kSharingViolation;
    }
    // Windows refuses to write a read-only file, and to overwrite a hidden or system file
    // unless the caller asks for those attributes again (this open asks for none).
    if ((data.attributes &
         (file_attribute::kReadOnly | file_attribute::kHidden | file_attribute::kSystem)) != 0) {
        return file_status::kAccessDenied;
    }
    data.contents.clear();
    data.sizeBytes = 0;
    return file_status::kSuccess;
}

FileStatus SimFileSystem::FileSize(std::string_view path, std::uint64_t& bytes) {
    const Found found = Find(path, SimOp::Query);
    if (found.node != nullptr) {
        const Node* node = Resolved(found.node);
        if (node == nullptr) {
            return file_status::kFileNotFound;
        }
        bytes = node->file ? node->file->sizeBytes : 0;
    }
    return found.status;
}

FileStatus SimFileSystem::HardLinkCount(std::string_view path, std::uint32_t& links) {
    const Found found = Find(path, SimOp::Open);
    if (found.node != nullptr) {
        const Node* node = Resolved(found.node);
        if (node == nullptr) {
            return file_status::kFileNotFound;
        }
        links = node->file ? node->file->links : 1;
    }
    return found.status;
}

FileStatus SimFileSystem::RenameFile(std::string_view from, std::string_view to) {
    const Found source = Find(from, SimOp::Move);
    if (source.node == nullptr) {
        return source.status;
    }
    return RenameNode(source.node, to);
}

FileStatus SimFileSystem::RenameNode(Node* node, std::string_view to) {
    Parsed target = Parse(to);
    if (target.status != file_status::kSuccess) {
        return target.status;
    }
    if (node->parent == nullptr || target.parts.empty()) {
        return file_status::kAccessDenied;  // a drive's root is neither moved nor replaced
    }
    const std::u16string name = target.parts.back();
    if (name.find(u':') != std::u16string::npos) {
        return file_status::kInvalidName;
    }
    Parsed parentPath = target;
    parentPath.parts.pop_back();
    parentPath.trailingSeparator = false;
    const Found parent = FindParsed(parentPath, std::nullopt);
    Node* folder = parent.node == nullptr ? nullptr : Through(parent.node);
    if (parent.node == nullptr) {
        return parent.status == file_status::kFileNotFound ? file_status::kPathNotFound
                                                           : parent.status;
    }
    if (folder == nullptr || folder->file) {
        return file_status::kPathNotFound;
    }
    const auto existing = folder->children.find(Upper(name));
    if (existing != folder->children.end() && existing->second.get() != node) {
        return file_status::kAlreadyExists;
    }
    if (node->file && node->file->locks > 0) {
        return file_status::kSharingViolation;
    }
    for (const Node* above = folder; above != nullptr; above = above->parent) {
        if (above == node) {
            return file_status::kAccessDenied;  // a folder into itself
        }
    }

    Node* sourceFolder = node->parent;
    const Node* root = node;
    while (root->parent != nullptr) {
        root = root->parent;
    }
    if (static_cast<char>(root->name[0]) != target.drive) {
        // MoveFile copies a file to another drive and deletes it here; a folder it refuses.
        if (!node->file) {
            return file_status::kNotSameDevice;
        }
        auto copy = std::make_unique<Node>();
        copy->name = name;
        copy->parent = folder;
        copy->file = std::make_shared<FileData>(*node->file);
        copy->file->links = 1;
        copy->file->locks = 0;
        copy->file->id = NewId();
        Unlink(*node);
        folder->children[Upper(name)] = std::move(copy);
        return file_status::kSuccess;
    }
    auto moved = std::move(sourceFolder->children.at(Upper(node->name)));
    sourceFolder->children.erase(Upper(node->name));
    moved->name = name;
    moved->parent = folder;
    folder->children[Upper(name)] = std::move(moved);
    return file_status::kSuccess;
}

FileStatus SimFileSystem::RemoveFile(std::string_view path) {
    const Found found = Find(path, SimOp::Delete);
    if (found.node == nullptr) {
        return found.status;
    }
    const Node& node = *found.node;
    if (!node.unixLink.empty()) {
        Unlink(*found.node);  // the link goes, not what it leads to
        return file_status::kSuccess;
    }
    if (!node.file || (node.file->attributes & file_attribute::kReadOnly) != 0) {
        return file_status::kAccessDenied;
    }
    if (node.file->locks > 0) {
        return file_status::kSharingViolation;
    }
    Unlink(*found.node);
    return file_status::kSuccess;
}

// ---- Set-up ----

bool SimFileSystem::AddFileOfSize(std::string_view path, std::uint64_t sizeBytes) {
    if (!AddFile(path)) {
        return false;
    }
    Find(path, std::nullopt).node->file->sizeBytes = sizeBytes;
    return true;
}

bool SimFileSystem::SetAttributesOf(std::string_view path, std::uint32_t attributes) {
    const Found found = Find(path, std::nullopt);
    if (found.node == nullptr) {
        return false;
    }
    attributes &= ~(file_attribute::kDirectory | file_attribute::kReparsePoint);
    (found.node->file ? found.node->file->attributes : found.node->attributes) = attributes;
    return true;
}

bool SimFileSystem::AddHardLink(std::string_view newPath, std::string_view existingPath) {
    const Found existing = Find(existingPath, std::nullopt);
    const Parsed parsed = Parse(newPath);
    if (existing.node == nullptr || !existing.node->file ||
        parsed.status != file_status::kSuccess || parsed.parts.empty() ||
        parsed.drive != Parse(existingPath).drive || Find(newPath, std::nullopt).node != nullptr) {
        return false;
    }
    Node* folder = MakeFolders(parsed, false);
    if (folder == nullptr) {
        return false;
    }
    auto link = std::make_unique<Node>();
    link->name = parsed.parts.back();
    link->parent = folder;
    link->file = existing.node->file;
    ++link->file->links;
    folder->children[Upper(link->name)] = std::move(link);
    return true;
}

SimFileSystem::Node* SimFileSystem::AddLinkNode(std::string_view path, std::string_view target) {
    const Parsed parsed = Parse(path);
    if (parsed.status != file_status::kSuccess || parsed.parts.empty() || target.empty() ||
        Find(path, std::nullopt).node != nullptr) {
        return nullptr;
    }
    Node* folder = MakeFolders(parsed, false);
    if (folder == nullptr) {
        return nullptr;
    }
    auto link = std::make_unique<Node>();
    link->name = parsed.parts.back();
    link->parent = folder;
    link->id = NewId();
    Node* added = link.get();
    folder->children[Upper(link->name)] = std::move(link);
    return added;
}

bool SimFileSystem::AddJunction(std::string_view path, std::string_view target) {
    Node* junction = AddLinkNode(path, target);
    if (junction != nullptr) {
        junction->junctionTarget = target;
    }
    return junction != nullptr;
}

bool SimFileSystem::MarkReparsePoint(std::string_view path) {
    const Found found = Find(path, std::nullopt);
    if (found.node == nullptr || found.node->parent == nullptr) {
        return false;
    }
    found.node->reparse = true;
    return true;
}

bool SimFileSystem::Lock(std::string_view path) {
    const Found found = Find(path, std::nullopt);
    if (found.node == nullptr || !found.node->file) {
        return false;
    }
    ++found.node->file->locks;
    return true;
}

bool SimFileSystem::Unlock(std::string_view path) {
    const Found found = Find(path, std::nullopt);
    if (found.node == nullptr || !found.node->file || found.node->file->locks == 0) {
        return false;
    }
    --found.node->file->locks;
    return true;
}

}  // namespace keldra::platform::sim

namespace keldra::platform::sim {

// ---- Links, identities and removal through one handle ----

SimFileSystem::Node* SimFileSystem::Resolved(Node* node) const {
    return node != nullptr && !node->unixLink.empty() ? Through(node) : node;
}

std::string SimFileSystem::PathOf(const Node& node) {
    std::vector<const Node*> chain;
    for (const Node* at = &node; at != nullptr; at = at->parent) {
        chain.push_back(at);
    }
    std::u16string path = chain.back()->name + u"\\";
    for (std::size_t i = chain.size() - 1; i-- > 0;) {
        path += chain[i]->name;
        if (i != 0) {
            path += u'\\';
        }
    }
    return text::Utf16ToUtf8(path);
}

FileIdentity SimFileSystem::IdentityOf(const Node& node) const {
    const Node* root = &node;
    while (root->parent != nullptr) {
        root = root->parent;
    }
    const auto drive = drives_.find(static_cast<char>(root->name[0]));
    return {drive == drives_.end() ? 0 : drive->second.volume.serialNumber,
            node.file ? node.file->id : node.id};
}

FileStatus SimFileSystem::Facts(Node* node, OpenedFacts& facts) const {
    // Wine opens what a Unix link leads to even when told not to follow it; a junction at
    // the end is opened itself.
    node = Resolved(node);
    if (node == nullptr) {
        return file_status::kFileNotFound;
    }
    facts.attributes = Reported(*node);
    facts.links = node->file ? node->file->links : 1;
    facts.identity = IdentityOf(*node);
    facts.finalPath = PathOf(*node);
    return file_status::kSuccess;
}

FileStatus SimFileSystem::ListFolderNoFollow(std::string_view folder,
                                             std::vector<FolderEntry>& entries) {
    entries.clear();
    const Found found = Find(folder, SimOp::List);
    if (found.node == nullptr) {
        return found.status == file_status::kFileNotFound ? file_status::kPathNotFound
                                                          : found.status;
    }
    if (found.node->reparse || !found.node->junctionTarget.empty() ||
        !found.node->unixLink.empty()) {
        return file_status::kStoppedOnLink;
    }
    std::string given(folder);
    while (given.size() > 3 && given.back() == '\\') {
        given.pop_back();
    }
    if (Upper(text::Utf8ToUtf16(PathOf(*found.node))) != Upper(text::Utf8ToUtf16(given))) {
        return file_status::kStoppedOnLink;  // a junction or link on the way
    }
    return ListFolder(folder, entries);
}

FileStatus SimFileSystem::Inspect(std::string_view path, OpenedFacts& facts) {
    const Found found = Find(path, SimOp::Open);
    if (found.node == nullptr) {
        return found.status;
    }
    return Facts(found.node, facts);
}

FileStatus SimFileSystem::ResolvedPath(std::string_view path, std::string& finalPath) {
    OpenedFacts facts;
    const FileStatus status = Inspect(path, facts);
    if (status == file_status::kSuccess) {
        finalPath = std::move(facts.finalPath);
    }
    return status;
}

class SimFileSystem::OpenedSimFile final : public OpenedFile {
  public:
    OpenedSimFile(SimFileSystem& machine, Node* node) : machine_(machine), node_(node) {}

    FileStatus Truncate() override {
        if (node_ == nullptr) {
            return file_status::kAccessDenied;
        }
        node_->file->contents.clear();
        node_->file->sizeBytes = 0;
        return file_status::kSuccess;
    }
    FileStatus Size(std::uint64_t& bytes) override {
        if (node_ == nullptr) {
            return file_status::kAccessDenied;
        }
        bytes = node_->file->sizeBytes;
        return file_status::kSuccess;
    }
    FileStatus MoveTo(std::string_view path) override {
        if (node_ == nullptr) {
            return file_status::kAccessDenied;
        }
        if (const FileStatus failed = machine_.Injected(*node_, SimOp::Move);
            failed != file_status::kSuccess) {
            return failed;
        }
        // A handle's rename stays on its volume, as the native call does.
        if (path.size() < 2 || path[1] != ':' ||
            UpperLetter(path[0]) != UpperLetter(PathOf(*node_)[0])) {
            return file_status::kNotSameDevice;
        }
        return machine_.RenameNode(node_, path);
    }
    FileStatus Delete() override {
        if (node_ == nullptr) {
            return file_status::kAccessDenied;
        }
        if (const FileStatus failed = machine_.Injected(*node_, SimOp::Delete);
            failed != file_status::kSuccess) {
            return failed;
        }
        if ((node_->file->attributes & file_attribute::kReadOnly) != 0) {
            return file_status::kAccessDenied;
        }
        Unlink(*node_);
        node_ = nullptr;
        return file_status::kSuccess;
    }

  private:
    SimFileSystem& machine_;
    Node* node_;
};

FileStatus SimFileSystem::Injected(const Node& node, SimOp op) const {
    const Parsed parsed = Parse(PathOf(node));
    if (const auto failed = failures_.find(parsed.Key()); failed != failures_.end()) {
        if (const auto it = failed->second.find(op); it != failed->second.end()) {
            return it->second;
        }
    }
    return file_status::kSuccess;
}

FileStatus SimFileSystem::OpenForRemoval(std::string_view path, OpenedFacts& facts,
                                         std::unique_ptr<OpenedFile>& file) {
    const Found found = Find(path, SimOp::Open);
    if (found.node == nullptr) {
        return found.status;
    }
    Node* node = Resolved(found.node);
    if (node == nullptr) {
        return file_status::kFileNotFound;
    }
    if (!node->file || (node->file->attributes & file_attribute::kReadOnly) != 0) {
        return file_status::kAccessDenied;  // a folder, or a file that may not be written
    }
    if (node->file->locks > 0) {
        return file_status::kSharingViolation;
    }
    if (const FileStatus status = Facts(node, facts); status != file_status::kSuccess) {
        return status;
    }
    file = std::make_unique<OpenedSimFile>(*this, node);
    return file_status::kSuccess;
}

bool SimFileSystem::AddUnixLink(std::string_view path, std::string_view target) {
    Node* link = AddLinkNode(path, target);
    if (link != nullptr) {
        link->unixLink = target;
    }
    return link != nullptr;
}

}  // namespace keldra::platform::sim

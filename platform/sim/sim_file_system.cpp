#include "platform/sim/sim_file_system.h"

#include <algorithm>
#include <utility>

#include "platform/sim/sim_file_nodes.h"
#include "platform/text.h"

namespace keldra::platform::sim {

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

std::uint64_t SimFileSystem::NewId() {
    if (reuseNumbers_ && !freedNumbers_.empty()) {
        const std::uint64_t id = freedNumbers_.back();
        freedNumbers_.pop_back();
        return id;
    }
    return ++lastId_;
}

void SimFileSystem::Touched(FileData& data) {
    data.changed = ++changes_;
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
    Touched(*slot->file);
    return true;
}

void SimFileSystem::Unlink(Node& node) {
    std::vector<Node*> pending{&node};
    while (!pending.empty()) {
        Node* next = pending.back();
        pending.pop_back();
        if (next->file) {
            if (--next->file->links == 0) {
                freedNumbers_.push_back(next->file->id);
            }
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

}  // namespace keldra::platform::sim

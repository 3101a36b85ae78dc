// The simulated files as the file port sees them: listings, attributes, truncation,
// renaming and removal, removal through one opened file, and the links, hard links and
// locks a test sets up.
#include <algorithm>
#include <utility>

#include "platform/sim/sim_file_nodes.h"
#include "platform/text.h"

namespace keldra::platform::sim {

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
        const FileIdentity identity = IdentityOf(*shown);
        entry.fileId = identity.fileId;
        entry.lastWriteTime = identity.lastWriteTime;
        entry.changeTime = identity.changeTime;
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
        if (node->file) {
            Touched(*node->file);
        }
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
    Touched(data);
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
    FileData& data = *Find(path, std::nullopt).node->file;
    data.sizeBytes = sizeBytes;
    Touched(data);
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
    Touched(*link->file);
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
    const std::uint64_t changed = node.file ? node.file->changed : 0;
    return {drive == drives_.end() ? 0 : drive->second.volume.serialNumber,
            node.file ? node.file->id : node.id, changed, changed};
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
        machine_.Touched(*node_->file);
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
        machine_.Unlink(*node_);
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

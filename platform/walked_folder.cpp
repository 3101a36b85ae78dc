// The walk's folders by path, for a file port that has no handles to keep: every call
// judges the folder or the entry again by where its path resolves.
#include "platform/file_port.h"
#include "platform/text.h"

namespace keldra::platform {
namespace {

std::string Joined(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (path.size() > 3) {
        path += '\\';
    }
    path += name;
    return path;
}

bool SamePath(std::string_view a, std::string_view b) {
    return text::EqualNoCase(text::Utf8ToUtf16(a), text::Utf8ToUtf16(b));
}

// One name of a listing: a separator or a dot step would lead elsewhere.
bool IsOneName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("\\/") == std::string_view::npos;
}

class PathWalkedFolder final : public WalkedFolder {
  public:
    PathWalkedFolder(FilePort& files, std::string path) : files_(files), path_(std::move(path)) {}

    FileStatus List(std::vector<FolderEntry>& entries) override {
        return files_.ListFolderNoFollow(path_, entries);
    }

    FileStatus OpenSubfolder(std::string_view name, std::uint64_t,
                             std::unique_ptr<WalkedFolder>& subfolder) override {
        if (!IsOneName(name)) {
            return file_status::kInvalidName;
        }
        std::string path = Joined(path_, name);
        OpenedFacts facts;
        if (const FileStatus status = files_.Inspect(path, facts);
            status != file_status::kSuccess) {
            return status;
        }
        if ((facts.attributes & file_attribute::kDirectory) == 0) {
            return file_status::kInvalidName;
        }
        if ((facts.attributes & file_attribute::kReparsePoint) != 0 ||
            !SamePath(facts.finalPath, path)) {
            return file_status::kStoppedOnLink;
        }
        subfolder = std::make_unique<PathWalkedFolder>(files_, std::move(path));
        return file_status::kSuccess;
    }

    FileStatus ResolvesInPlace(std::string_view name, bool& inPlace) override {
        if (!IsOneName(name)) {
            return file_status::kInvalidName;
        }
        const std::string path = Joined(path_, name);
        std::string resolved;
        if (const FileStatus status = files_.ResolvedPath(path, resolved);
            status != file_status::kSuccess) {
            return status;
        }
        inPlace = SamePath(resolved, path);
        return file_status::kSuccess;
    }

  private:
    FilePort& files_;
    std::string path_;
};

}  // namespace

FileStatus FilePort::OpenWalkedFolder(std::string_view folder,
                                      std::unique_ptr<WalkedFolder>& opened) {
    std::string path(folder);
    while (path.size() > 3 && path.back() == '\\') {
        path.pop_back();
    }
    OpenedFacts facts;
    if (path.empty()) {
        return file_status::kPathNotFound;
    }
    if (const FileStatus status = Inspect(path, facts); status != file_status::kSuccess) {
        return status == file_status::kFileNotFound ? file_status::kPathNotFound : status;
    }
    if ((facts.attributes & file_attribute::kDirectory) == 0) {
        return file_status::kInvalidName;
    }
    if ((facts.attributes & file_attribute::kReparsePoint) != 0 ||
        !SamePath(facts.finalPath, path)) {
        return file_status::kStoppedOnLink;
    }
    opened = std::make_unique<PathWalkedFolder>(*this, std::move(path));
    return file_status::kSuccess;
}

}  // namespace keldra::platform

// The simulated volumes: drive strings and types, labels and serials, free space.
#include <algorithm>
#include <utility>

#include "platform/sim/sim_file_nodes.h"
#include "platform/text.h"

namespace keldra::platform::sim {

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

}  // namespace keldra::platform::sim

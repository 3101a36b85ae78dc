#pragma once
// The simulated file system's own data, shared by the files that implement it: the tree of
// nodes, a parsed path, and the small helpers both use. Only platform/sim includes this.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/sim_file_system.h"
#include "platform/text.h"

namespace keldra::platform::sim::nodes {

inline constexpr int kSpecialFolderMask = 0x00FF;
// Junctions that lead to junctions are followed this deep, as a loop must end somewhere.
inline constexpr int kMaxReparseDepth = 32;
// What SetFileAttributes can change; the normal bit only stands for "none of them".
inline constexpr std::uint32_t kSettableAttributes =
    file_attribute::kReadOnly | file_attribute::kHidden | file_attribute::kSystem |
    file_attribute::kArchive | file_attribute::kTemporary | 0x1000 /* offline */ |
    0x2000 /* not content indexed */;

inline std::u16string Upper(std::u16string_view name) {
    std::u16string out(name);
    for (char16_t& unit : out) {
        unit = text::UpcaseUnit(unit);
    }
    return out;
}

inline bool IsInvalidUnit(char16_t unit) {
    return unit < 0x20 || unit == u'"' || unit == u'*' || unit == u'?' || unit == u'<' ||
           unit == u'>' || unit == u'|';
}

inline bool IsAsciiLetter(char16_t unit) {
    return (unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z');
}

inline char UpperLetter(char letter) {
    return (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 'a' + 'A') : letter;
}

inline bool AllDots(std::u16string_view segment) {
    return segment.find_first_not_of(u'.') == std::u16string_view::npos;
}

}  // namespace keldra::platform::sim::nodes

namespace keldra::platform::sim {

using namespace nodes;

struct SimFileSystem::FileData {
    std::uint32_t attributes = file_attribute::kArchive;
    std::string contents;
    std::uint64_t sizeBytes = 0;
    std::uint32_t links = 1;  // names that lead to this data
    int locks = 0;            // other programs holding it open without sharing
    std::uint64_t id = 0;     // its number on the volume
    // When the data or the entry last changed, on the simulated machine's own count.
    std::uint64_t changed = 0;
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

}  // namespace keldra::platform::sim

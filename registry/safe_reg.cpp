#include "registry/safe_reg.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "platform/owned_key.h"
#include "registry/regedit4.h"

namespace keldra::registry {
namespace {

using platform::RegKey;
namespace reg_status = platform::reg_status;

struct StoredValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

// The type and bytes of a value as stored now, through the same kind of opening that the
// deletion uses.
std::optional<StoredValue> ReadStored(platform::RegistryPort& registry, RegKey root,
                                      std::string_view keyPath, std::string_view valueName) {
    RegKey key = 0;
    if (registry.OpenKey(root, keyPath, key) != reg_status::kSuccess) {
        return std::nullopt;
    }
    const platform::OwnedKey closer(registry, key, root);

    platform::RegValueInfo size;
    if (registry.QueryValue(key, valueName, std::nullopt, size) != reg_status::kSuccess) {
        return std::nullopt;
    }
    // The value may grow between the two reads; a few tries with the size it reports then.
    std::uint32_t capacity = size.dataBytes;
    for (int attempt = 0; attempt < 4; ++attempt) {
        platform::RegValueInfo value;
        const platform::RegStatus status = registry.QueryValue(key, valueName, capacity, value);
        if (status == reg_status::kSuccess) {
            return StoredValue{value.type, std::move(value.data)};
        }
        if (status != reg_status::kMoreData || value.dataBytes <= capacity) {
            return std::nullopt;
        }
        capacity = value.dataBytes;
    }
    return std::nullopt;
}

}  // namespace

std::string RepairComment(const platform::DateTime& when) {
    char text[80];
    std::snprintf(text, sizeof text, "%.*s%04d-%02d-%02d %02d:%02d:%02d",
                  static_cast<int>(kRepairCommentStart.size()), kRepairCommentStart.data(),
                  when.year, when.month, when.day, when.hour, when.minute, when.second);
    return text;
}

std::vector<std::string> BackupFileCandidates(platform::TextFilePort& files) {
    std::vector<std::string> paths;
    for (int n = 1; n <= kBackupFileVariants; ++n) {
        paths.push_back(BackupFileVariant(kBackupFile, n));
    }
    const std::string base = files.LocalAppDataFolder();
    if (!base.empty()) {
        const std::string user =
            base + "\\" + std::string(kUserFolderName) + "\\" + std::string(kUserBackupFileName);
        for (int n = 1; n <= kBackupFileVariants; ++n) {
            paths.push_back(BackupFileVariant(user, n));
        }
    }
    return paths;
}

bool SafeReg::Backup(RegKey root, std::string_view keyPath, std::string_view valueName) {
    const std::optional<StoredValue> value = ReadStored(registry_, root, keyPath, valueName);
    if (!value) {
        return false;
    }
    const auto entry =
        regedit4::Entry(root, keyPath, valueName, value->type, value->data, files_.CodePage());
    return entry && Write(*entry);
}

std::string BackupFileVariant(std::string_view path, int n) {
    if (n <= 1) {
        return std::string(path);
    }
    const std::string suffix = "-" + std::to_string(n);
    const std::size_t slash = path.find_last_of('\\');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
        return std::string(path) + suffix;
    }
    return std::string(path.substr(0, dot)) + suffix + std::string(path.substr(dot));
}

bool SafeReg::Write(const std::vector<std::string>& entry) {
    if (!file_.empty()) {
        return files_.AppendLines(file_, entry);
    }
    file_ = WriteFirstIn(std::string(kBackupFile), entry);
    if (file_.empty()) {
        const std::string user = UserFile();
        if (!user.empty()) {
            file_ = WriteFirstIn(user, entry);
        }
    }
    return !file_.empty();
}

std::string SafeReg::WriteFirstIn(const std::string& path, const std::vector<std::string>& entry) {
    for (int n = 1; n <= kBackupFileVariants; ++n) {
        const std::string variant = BackupFileVariant(path, n);
        bool foreign = false;
        if (WriteFirst(variant, entry, foreign)) {
            return variant;
        }
        // A file that could not be written means a folder or a file the user may not
        // change: the next folder is tried, not the next name.
        if (!foreign) {
            return {};
        }
    }
    return {};
}

bool SafeReg::WriteFirst(const std::string& path, const std::vector<std::string>& entry,
                         bool& foreign) {
    std::vector<std::string> lines;
    if (!files_.FileExists(path)) {
        lines.emplace_back(regedit4::kHeader);
        lines.emplace_back();
    } else {
        std::string head;
        std::string tail;
        if (!files_.ReadEnds(path, regedit4::kHeader.size() + 2, head, tail)) {
            return false;
        }
        // The registry editor imports nothing from a file whose first line is not the
        // header; entries appended to it would be no backup.
        const std::string_view rest =
            std::string_view(head).substr(std::min(head.size(), regedit4::kHeader.size()));
        if (!head.starts_with(regedit4::kHeader) ||
            !(rest.empty() || rest.front() == '\r' || rest.front() == '\n')) {
            foreign = true;
            return false;
        }
        // A file cut short in its last line: the new entries must not run on in it.
        if (!tail.ends_with('\n')) {
            lines.emplace_back();
        }
    }
    lines.push_back(RepairComment(process_.Now()));
    lines.insert(lines.end(), entry.begin(), entry.end());
    return files_.AppendLines(path, lines);
}

std::string SafeReg::UserFile() {
    const std::string base = files_.LocalAppDataFolder();
    if (base.empty()) {
        return {};
    }
    const std::string folder = base + "\\" + std::string(kUserFolderName);
    if (!files_.CreateFolder(folder)) {
        return {};
    }
    return folder + "\\" + std::string(kUserBackupFileName);
}

}  // namespace keldra::registry

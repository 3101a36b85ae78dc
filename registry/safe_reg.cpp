#include "registry/safe_reg.h"

#include <cstdio>
#include <optional>

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
    struct Closer {
        platform::RegistryPort& registry;
        RegKey key;
        RegKey root;
        ~Closer() {
            if (key != root) {
                registry.CloseKey(key);
            }
        }
    } closer{registry, key, root};

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
    std::snprintf(text, sizeof text, "; Keldra Maintenance repair of %04d-%02d-%02d %02d:%02d:%02d",
                  when.year, when.month, when.day, when.hour, when.minute, when.second);
    return text;
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

bool SafeReg::Write(const std::vector<std::string>& entry) {
    if (!file_.empty()) {
        return files_.AppendLines(file_, entry);
    }
    const std::string system(kBackupFile);
    if (WriteFirst(system, entry)) {
        file_ = system;
        return true;
    }
    const std::string user = UserFile();
    if (!user.empty() && WriteFirst(user, entry)) {
        file_ = user;
        return true;
    }
    return false;
}

bool SafeReg::WriteFirst(const std::string& path, const std::vector<std::string>& entry) {
    std::vector<std::string> lines;
    if (!files_.FileExists(path)) {
        lines.emplace_back(regedit4::kHeader);
        lines.emplace_back();
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

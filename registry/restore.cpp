#include "registry/restore.h"

#include <optional>
#include <string_view>

#include "platform/owned_key.h"
#include "registry/regedit4.h"
#include "registry/regedit4_read.h"
#include "registry/safe_reg.h"

namespace keldra::registry {
namespace {

namespace reg_status = platform::reg_status;
using platform::RegKey;

// The date and time of the last repair comment among the lines, as written ("2026-12-09
// 05:31:07" sorts as it reads); nothing when there is none.
std::optional<std::string> LastRepairStamp(const std::vector<std::string>& lines) {
    std::optional<std::string> stamp;
    for (const std::string& line : lines) {
        if (line.starts_with(kRepairCommentStart)) {
            stamp = line.substr(kRepairCommentStart.size());
        }
    }
    return stamp;
}

bool Exists(platform::RegistryPort& registry, const regedit4::ReadValue& value) {
    RegKey key = 0;
    if (registry.OpenKey(value.root, value.keyPath, key) != reg_status::kSuccess) {
        return false;
    }
    const platform::OwnedKey closer(registry, key, value.root);
    platform::RegValueInfo info;
    return registry.QueryValue(key, value.name, std::nullopt, info) == reg_status::kSuccess;
}

platform::RegStatus Write(platform::RegistryPort& registry, const regedit4::ReadValue& value) {
    RegKey key = 0;
    const platform::RegStatus opened = registry.CreateKey(value.root, value.keyPath, key);
    if (opened != reg_status::kSuccess) {
        return opened;
    }
    const platform::OwnedKey closer(registry, key, value.root);
    return registry.SetValue(key, value.name, value.type, value.data);
}

}  // namespace

RestoreOutcome RestoreLatestRepair(platform::RegistryPort& registry,
                                   platform::TextFilePort& files) {
    RestoreOutcome outcome;
    std::vector<std::string> chosen;
    std::string latest;
    for (const std::string& path : BackupFileCandidates(files)) {
        if (!files.FileExists(path)) {
            continue;
        }
        std::vector<std::string> lines;
        if (!files.ReadLines(path, lines) || lines.empty() || lines[0] != regedit4::kHeader) {
            continue;  // no file a repair appends to
        }
        const auto stamp = LastRepairStamp(lines);
        // The first file wins a tie, as a repair tries the files in this order.
        if (stamp && (outcome.file.empty() || *stamp > latest)) {
            latest = *stamp;
            outcome.file = path;
            chosen = std::move(lines);
        }
    }
    if (outcome.file.empty()) {
        outcome.result = RestoreOutcome::Result::NoBackup;
        return outcome;
    }

    const regedit4::ReadFile read = regedit4::Read(chosen, files.CodePage());
    if (!read.ok) {
        outcome.result = RestoreOutcome::Result::Unreadable;
        outcome.badLine = read.badLine + 1;
        return outcome;
    }
    std::size_t start = 0;
    for (const regedit4::ReadComment& comment : read.comments) {
        if (comment.text.starts_with(kRepairCommentStart)) {
            start = comment.line;
        }
    }
    outcome.result = RestoreOutcome::Result::Done;
    for (const regedit4::ReadValue& value : read.values) {
        if (value.line < start) {
            continue;
        }
        ++outcome.total;
        RestoreOutcome::Value shown{std::string(regedit4::RootName(value.root)) +
                                        (value.keyPath.empty() ? "" : "\\" + value.keyPath),
                                    value.name, reg_status::kSuccess};
        if (Exists(registry, value)) {
            outcome.existing.push_back(std::move(shown));
            continue;
        }
        shown.status = Write(registry, value);
        if (shown.status == reg_status::kSuccess) {
            ++outcome.restored;
        } else {
            outcome.failed.push_back(std::move(shown));
        }
    }
    return outcome;
}

}  // namespace keldra::registry

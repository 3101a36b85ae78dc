#include "registry/remove.h"

#include <array>
#include <utility>

#include "registry/mdl_registry.h"
#include "registry/safe_reg.h"

namespace keldra::registry {
namespace {

namespace reg_root = platform::reg_root;

constexpr std::array<std::pair<std::string_view, platform::RegKey>, 7> kRoots{{
    {"HKEY_CLASSES_ROOT", reg_root::kClassesRoot},
    {"HKEY_CURRENT_USER", reg_root::kCurrentUser},
    {"HKEY_LOCAL_MACHINE", reg_root::kLocalMachine},
    {"HKEY_USERS", reg_root::kUsers},
    {"HKEY_PERFORMANCE_DATA", reg_root::kPerformanceData},
    {"HKEY_CURRENT_CONFIG", reg_root::kCurrentConfig},
    {"HKEY_DYN_DATA", reg_root::kDynData},
}};

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

platform::RegKey StripHkey(std::string_view strkey) {
    const std::size_t slash = strkey.find('\\');
    if (slash == std::string_view::npos) {
        return 0;
    }
    const std::string_view name = TrimBlanks(strkey.substr(0, slash));
    for (const auto& [rootName, handle] : kRoots) {
        if (name == rootName) {
            return handle;
        }
    }
    return 0;
}

std::string SplitSubKey(std::string_view strkey) {
    const std::size_t slash = strkey.find('\\');
    return std::string(slash == std::string_view::npos ? strkey : strkey.substr(slash + 1));
}

void Remove(ProblemList& problems, const RepairPorts& ports) {
    SafeReg safeReg(ports.registry, ports.files, ports.process);
    std::size_t i = 0;
    // The count is read on every pass: rows leave the list on the way, and the events run
    // between rows may empty it.
    while (i < problems.Count()) {
        // A row the user unticked is neither backed up nor deleted.
        if (!problems.rows[i].marked) {
            ++i;
            continue;
        }
        const Problem row = problems.rows[i];
        const platform::RegKey root = StripHkey(row.location);
        const std::string keyPath = SplitSubKey(row.location);
        if (safeReg.Backup(root, keyPath, row.valueName) &&
            mdlRegistry::DeleteValue(ports.registry, root, keyPath, row.valueName) ==
                platform::reg_status::kSuccess) {
            problems.RemoveAt(i);
        } else {
            ++i;
        }
        ports.ui.DoEvents();
    }
}

}  // namespace keldra::registry

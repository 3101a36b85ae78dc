#include "schedule/logon_start.h"

#include "platform/owned_key.h"
#include "registry/mdl_registry.h"

namespace keldra::schedule {

namespace reg_root = platform::reg_root;

namespace {

// Whether the machine's "Run" key holds an entry of this name, whatever its text.
bool MachineEntryExists(platform::RegistryPort& reg) {
    platform::RegKey key = 0;
    if (reg.OpenKeyEx(reg_root::kLocalMachine, kRunKey, platform::reg_access::kQueryValue, key) !=
        platform::reg_status::kSuccess) {
        return false;
    }
    const platform::OwnedKey opened(reg, key);
    platform::RegValueInfo info;
    return reg.QueryValue(key, kRunValueName, std::nullopt, info) == platform::reg_status::kSuccess;
}

}  // namespace

std::string LogonCommandLine(std::string_view programFolder, std::string_view programName) {
    return "\"" + std::string(programFolder) + "\\" + std::string(programName) + ".exe\" -auto";
}

bool RegisterLogonStart(platform::RegistryPort& reg, std::string_view commandLine) {
    // An entry for the machine that an administrator wrote earlier already starts the
    // program at logon, though this user cannot write it again and it may spell the path
    // otherwise: a second entry for the user would start a second copy.
    if (mdlRegistry::SetStringValue(reg, reg_root::kLocalMachine, kRunKey, kRunValueName,
                                    commandLine) ||
        MachineEntryExists(reg)) {
        mdlRegistry::DeleteValue(reg, reg_root::kCurrentUser, kRunKey, kRunValueName);
        return true;
    }
    return mdlRegistry::SetStringValue(reg, reg_root::kCurrentUser, kRunKey, kRunValueName,
                                       commandLine);
}

void UnregisterLogonStart(platform::RegistryPort& reg) {
    mdlRegistry::DeleteValue(reg, reg_root::kLocalMachine, kRunKey, kRunValueName);
    mdlRegistry::DeleteValue(reg, reg_root::kCurrentUser, kRunKey, kRunValueName);
}

}  // namespace keldra::schedule

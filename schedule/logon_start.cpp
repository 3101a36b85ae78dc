#include "schedule/logon_start.h"

#include "registry/mdl_registry.h"

namespace keldra::schedule {

namespace reg_root = platform::reg_root;

std::string LogonCommandLine(std::string_view programFolder, std::string_view programName) {
    return "\"" + std::string(programFolder) + "\\" + std::string(programName) + ".exe\" -auto";
}

bool RegisterLogonStart(platform::RegistryPort& reg, std::string_view commandLine) {
    // An entry for the machine that an administrator wrote earlier serves as well, though
    // this user cannot write it again.
    if (mdlRegistry::SetStringValue(reg, reg_root::kLocalMachine, kRunKey, kRunValueName,
                                    commandLine) ||
        mdlRegistry::GetStringValue(reg, reg_root::kLocalMachine, kRunKey, kRunValueName, "") ==
            commandLine) {
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

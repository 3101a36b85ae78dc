#include "registry/problem_list.h"

#include <array>

namespace keldra::registry {

std::string HkeyText(platform::RegKey sRootKey) {
    static constexpr std::array<std::string_view, 7> kNames{
        "HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
        "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};
    const std::uint32_t index = sRootKey - platform::reg_root::kClassesRoot;
    if (sRootKey < platform::reg_root::kClassesRoot || index >= kNames.size()) {
        return {};
    }
    return std::string(kNames[index]);
}

std::string DriveRootOf(std::string_view text) {
    if (text.size() >= 3 && static_cast<unsigned char>(text[0]) < 0x80 && text[1] == ':' &&
        text[2] == '\\') {
        return std::string(text.substr(0, 3));
    }
    return {};
}

int DriveTypeOf(platform::FileSystemPort& files, std::string_view root) {
    return DriveTypeOf(files.Drives(), root);
}

int DriveTypeOf(const std::vector<platform::DriveEntry>& drives, std::string_view root) {
    if (root.size() != 3 || root[1] != ':' || root[2] != '\\') {
        return platform::drive_type::kUnknown;
    }
    // Windows paths ignore case: "e:\" is the same drive as "E:\".
    char letter = root[0];
    if (letter >= 'a' && letter <= 'z') {
        letter = static_cast<char>(letter - 'a' + 'A');
    }
    for (const auto& drive : drives) {
        if (drive.letter == letter) {
            return drive.type;
        }
    }
    return platform::drive_type::kUnknown;
}

}  // namespace keldra::registry

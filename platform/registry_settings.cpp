#include "platform/registry_settings.h"

#include <vector>

#include "platform/owned_key.h"
#include "platform/text.h"

namespace keldra::platform {

std::string RegistrySettings::KeyPath(std::string_view app, std::string_view section) {
    std::string path = "Software\\VB and VBA Program Settings\\";
    path.append(app);
    path.push_back('\\');
    path.append(section);
    return path;
}

std::string RegistrySettings::GetSetting(std::string_view app, std::string_view section,
                                         std::string_view key, std::string_view defaultText) {
    RegKey handle = 0;
    if (reg_.OpenKeyEx(reg_root::kCurrentUser, KeyPath(app, section), reg_access::kQueryValue,
                       handle) != reg_status::kSuccess) {
        return std::string(defaultText);
    }
    const OwnedKey opened(reg_, handle);
    RegValueInfo info;
    const RegStatus status = reg_.QueryValue(handle, key, 1u << 16, info);
    if (status != reg_status::kSuccess ||
        (info.type != reg_type::kSz && info.type != reg_type::kExpandSz)) {
        return std::string(defaultText);
    }
    std::u16string units = text::FromUtf16LeBytes(info.data);
    if (const auto nul = units.find(u'\0'); nul != std::u16string::npos) {
        units.resize(nul);
    }
    return text::Utf16ToUtf8(units);
}

bool RegistrySettings::SaveSetting(std::string_view app, std::string_view section,
                                   std::string_view key, std::string_view value) {
    RegKey handle = 0;
    if (reg_.CreateKey(reg_root::kCurrentUser, KeyPath(app, section), handle) !=
        reg_status::kSuccess) {
        return false;
    }
    // Stored with its terminating NUL, as the settings functions of such programs do.
    const OwnedKey created(reg_, handle);
    std::vector<std::uint8_t> bytes = text::ToUtf16LeBytes(text::Utf8ToUtf16(value));
    bytes.push_back(0);
    bytes.push_back(0);
    const RegStatus status = reg_.SetValue(handle, key, reg_type::kSz, bytes);
    return status == reg_status::kSuccess;
}

}  // namespace keldra::platform

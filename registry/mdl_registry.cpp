#include "registry/mdl_registry.h"

#include <cstring>

#include "platform/owned_key.h"
#include "platform/text.h"

namespace keldra::mdlRegistry {
namespace {

using platform::RegEnumValueInfo;
using platform::RegValueInfo;
namespace reg_type = platform::reg_type;
namespace reg_status = platform::reg_status;

// RegOpenKey, giving 0 when the key cannot be opened.
RegKey OpenPlain(RegistryPort& reg, RegKey root, std::string_view path, RegStatus* status) {
    RegKey key = 0;
    const RegStatus s = reg.OpenKey(root, path, key);
    if (status != nullptr) {
        *status = s;
    }
    return s == reg_status::kSuccess ? key : 0;
}

bool IsStringType(std::uint32_t type) {
    return type == reg_type::kSz || type == reg_type::kExpandSz || type == reg_type::kMultiSz;
}

// String data as stored (UTF-16LE) up to its first NUL, or all of it when it has none.
std::string TextToFirstNul(const std::vector<std::uint8_t>& data) {
    std::u16string units = text::FromUtf16LeBytes(data);
    if (const auto nul = units.find(u'\0'); nul != std::u16string::npos) {
        units.resize(nul);
    }
    return text::Utf16ToUtf8(units);
}

// A DWORD from up to four little-endian bytes.
std::int32_t DwordOf(const std::vector<std::uint8_t>& data) {
    std::uint32_t raw = 0;
    for (std::size_t i = 0; i < data.size() && i < sizeof raw; ++i) {
        raw |= static_cast<std::uint32_t>(data[i]) << (8 * i);
    }
    return static_cast<std::int32_t>(raw);
}

// Reads a value into a buffer of exactly `dataBytes`; false when the read fails.
bool ReadExactly(RegistryPort& reg, RegKey key, std::string_view name, std::uint32_t dataBytes,
                 std::vector<std::uint8_t>& data) {
    RegValueInfo info;
    if (reg.QueryValue(key, name, dataBytes, info) != reg_status::kSuccess) {
        return false;
    }
    data = std::move(info.data);
    return true;
}

// A DWORD read into a zeroed 32-bit integer, as a fixed-size read would leave it.
bool ReadDword(RegistryPort& reg, RegKey key, std::string_view name, std::int32_t& number) {
    std::vector<std::uint8_t> data;
    if (!ReadExactly(reg, key, name, sizeof(std::int32_t), data)) {
        return false;
    }
    number = DwordOf(data);
    return true;
}

std::string HexBytes(const std::vector<std::uint8_t>& data) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(data.size() * 3);
    for (const std::uint8_t b : data) {
        if (!out.empty()) {
            out.push_back(' ');
        }
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 0x0F]);
    }
    return out;
}

}  // namespace

std::string VariantText(const RegVariant& value) {
    if (const auto* t = std::get_if<std::string>(&value)) {
        return *t;
    }
    if (const auto* n = std::get_if<std::int32_t>(&value)) {
        return std::to_string(*n);
    }
    return {};
}

std::string GetStringValue(RegistryPort& reg, RegKey root, std::string_view path,
                           std::string_view name, std::string_view defaultText) {
    std::string result(defaultText);
    const platform::OwnedKey key(reg, OpenPlain(reg, root, path, nullptr), root);
    RegValueInfo info;
    if (reg.QueryValue(key.get(), name, std::nullopt, info) == reg_status::kSuccess &&
        info.type == reg_type::kSz) {
        std::vector<std::uint8_t> data;
        if (ReadExactly(reg, key.get(), name, info.dataBytes, data)) {
            result = TextToFirstNul(data);
        }
    }
    return result;
}

bool SetStringValue(RegistryPort& reg, RegKey root, std::string_view path, std::string_view name,
                    std::string_view data) {
    RegKey created = 0;
    if (reg.CreateKey(root, path, created) != reg_status::kSuccess) {
        return false;
    }
    const platform::OwnedKey key(reg, created, root);
    const std::vector<std::uint8_t> bytes = text::ToUtf16LeBytes(text::Utf8ToUtf16(data));
    return reg.SetValue(key.get(), name, reg_type::kSz, bytes) == reg_status::kSuccess;
}

RegKey OpenKey(RegistryPort& reg, RegKey root, std::string_view path) {
    RegKey key = 0;
    if (reg.OpenKeyEx(root, path, platform::reg_access::kAllAccess, key) != reg_status::kSuccess) {
        return 0;
    }
    return key;
}

RegKey OpenEnumeratedKey(RegistryPort& reg, RegKey root, std::string_view path) {
    RegKey key = 0;
    if (reg.OpenKeyNoFollow(root, path, platform::reg_access::kAllAccess, key) !=
        reg_status::kSuccess) {
        return 0;
    }
    return key;
}

bool ReadKeyCounts(RegistryPort& reg, RegKey root, std::string_view path,
                   std::uint32_t& subKeyCount, std::uint32_t& valueCount) {
    RegKey opened = 0;
    if (reg.OpenKeyEx(root, path, platform::reg_access::kRead, opened) != reg_status::kSuccess) {
        return false;
    }
    const platform::OwnedKey key(reg, opened, root);
    return reg.QueryInfoKey(key.get(), subKeyCount, valueCount) == reg_status::kSuccess;
}

void QueryKeyInfo(RegistryPort& reg, RegKey key, std::uint32_t& subKeyCount,
                  std::uint32_t& valueCount) {
    reg.QueryInfoKey(key, subKeyCount, valueCount);
}

std::string EnumSubKey(RegistryPort& reg, RegKey key, std::uint32_t index) {
    std::string name;
    reg.EnumKey(key, index, kNameCapacity, name);
    return name;
}

bool EnumValue(RegistryPort& reg, RegKey key, std::uint32_t index, std::string& name,
               std::string& data, std::uint32_t& type) {
    bool dataShown = false;
    return EnumValue(reg, key, index, name, data, type, dataShown);
}

bool EnumValue(RegistryPort& reg, RegKey key, std::uint32_t index, std::string& name,
               std::string& data, std::uint32_t& type, bool& dataShown) {
    dataShown = false;
    RegEnumValueInfo info;
    info.type = type;
    const RegStatus status = reg.EnumValue(key, index, kNameCapacity, kEnumDataCapacity, info);
    type = info.type;
    name = info.name.value_or(std::string());
    data.clear();
    // Without the name there is nothing to read again: reading "" would fetch the key's
    // default value and report its data under another value's row.
    if (!info.name) {
        return false;
    }
    // Data that fitted the enumeration's buffer is what a second read would return; only
    // longer data is read again.
    const bool fitted = status == reg_status::kSuccess;
    if (IsStringType(type)) {
        std::vector<std::uint8_t> bytes;
        if (fitted) {
            data = TextToFirstNul(info.data);
            dataShown = true;
        } else if (ReadExactly(reg, key, name, info.dataBytes, bytes)) {
            data = TextToFirstNul(bytes);
            dataShown = true;
        }
    } else if (type == reg_type::kDword) {
        std::int32_t number = 0;
        if (fitted && info.data.size() <= sizeof number) {
            data = std::to_string(DwordOf(info.data));
            dataShown = true;
        } else if (ReadDword(reg, key, name, number)) {
            data = std::to_string(number);
            dataShown = true;
        }
    } else {
        dataShown = fitted && info.data.empty();
    }
    return true;
}

RegStatus DeleteValue(RegistryPort& reg, RegKey root, std::string_view path,
                      std::string_view name) {
    const platform::OwnedKey key(reg, OpenPlain(reg, root, path, nullptr), root);
    return reg.DeleteValue(key.get(), name);
}

RegVariant ReadValue(RegistryPort& reg, RegKey root, std::string_view path, std::string_view name) {
    const platform::OwnedKey key(reg, OpenPlain(reg, root, path, nullptr), root);
    RegValueInfo info;
    if (reg.QueryValue(key.get(), name, std::nullopt, info) != reg_status::kSuccess) {
        return {};
    }
    std::vector<std::uint8_t> data;
    if (IsStringType(info.type)) {
        if (ReadExactly(reg, key.get(), name, info.dataBytes, data)) {
            return TextToFirstNul(data);
        }
    } else if (info.type == reg_type::kDword) {
        std::int32_t number = 0;
        if (ReadDword(reg, key.get(), name, number)) {
            return number;
        }
    } else if (info.type == reg_type::kBinary) {
        if (ReadExactly(reg, key.get(), name, info.dataBytes, data)) {
            return HexBytes(data);
        }
    }
    return {};
}

bool KeyExists(RegistryPort& reg, RegKey root, std::string_view path) {
    RegStatus status = reg_status::kSuccess;
    const platform::OwnedKey key(reg, OpenPlain(reg, root, path, &status), root);
    return status != reg_status::kFileNotFound && status != reg_status::kBadKey;
}

}  // namespace keldra::mdlRegistry

#include "platform/win32/win32_registry.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/text.h"

namespace keldra::platform::win32 {
namespace {

std::wstring Wide(std::string_view utf8) {
    const std::u16string u16 = text::Utf8ToUtf16(utf8);
    return std::wstring(u16.begin(), u16.end());
}

std::string Narrow(const wchar_t* wide, std::size_t length) {
    return text::Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide), length));
}

HKEY PredefinedKey(RegKey key) {
    // The predefined handles are sign-extended 32-bit values on 64-bit Windows.
    return reinterpret_cast<HKEY>(
        static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(key))));
}

}  // namespace

HKEY Win32Registry::Native(RegKey key) const {
    if (IsPredefinedRoot(key)) {
        return PredefinedKey(key);
    }
    const auto it = keys_.find(key);
    return it == keys_.end() ? nullptr : it->second.get();
}

RegKey Win32Registry::Adopt(HKEY key, RegKey parent) {
    if (key == Native(parent)) {
        return parent;  // RegOpenKey with an empty path hands the parent back
    }
    for (RegKey root = reg_root::kClassesRoot; root <= reg_root::kDynData; ++root) {
        if (key == PredefinedKey(root)) {
            return root;
        }
    }
    RegKey handle = nextHandle_;
    while (handle == 0 || IsPredefinedRoot(handle) || keys_.count(handle) != 0) {
        handle += 4;
    }
    nextHandle_ = handle + 4;
    keys_.emplace(handle, UniqueHKey(key));
    return handle;
}

RegStatus Win32Registry::OpenKey(RegKey parent, std::string_view path, RegKey& result) {
    HKEY key = nullptr;
    const LSTATUS status = RegOpenKeyW(Native(parent), Wide(path).c_str(), &key);
    if (status == ERROR_SUCCESS) {
        result = Adopt(key, parent);
    }
    return status;
}

RegStatus Win32Registry::OpenKeyEx(RegKey parent, std::string_view path, std::uint32_t access,
                                   RegKey& result) {
    HKEY key = nullptr;
    const LSTATUS status = RegOpenKeyExW(Native(parent), Wide(path).c_str(), 0, access, &key);
    if (status == ERROR_SUCCESS) {
        result = Adopt(key, parent);
    }
    return status;
}

RegStatus Win32Registry::OpenKeyNoFollow(RegKey parent, std::string_view path, std::uint32_t access,
                                         RegKey& result) {
    HKEY key = nullptr;
    const LSTATUS status =
        RegOpenKeyExW(Native(parent), Wide(path).c_str(), REG_OPTION_OPEN_LINK, access, &key);
    if (status == ERROR_SUCCESS) {
        result = Adopt(key, parent);
    }
    return status;
}

RegStatus Win32Registry::CreateKey(RegKey parent, std::string_view path, RegKey& result) {
    HKEY key = nullptr;
    const LSTATUS status = RegCreateKeyW(Native(parent), Wide(path).c_str(), &key);
    if (status == ERROR_SUCCESS) {
        result = Adopt(key, parent);
    }
    return status;
}

RegStatus Win32Registry::CloseKey(RegKey key) {
    const auto it = keys_.find(key);
    if (it == keys_.end()) {
        return RegCloseKey(IsPredefinedRoot(key) ? PredefinedKey(key) : nullptr);
    }
    const LSTATUS status = it->second.reset();
    keys_.erase(it);
    return status;
}

RegStatus Win32Registry::QueryInfoKey(RegKey key, std::uint32_t& subKeyCount,
                                      std::uint32_t& valueCount) {
    DWORD subKeys = 0;
    DWORD values = 0;
    const LSTATUS status =
        RegQueryInfoKeyW(Native(key), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                         &values, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS) {
        subKeyCount = subKeys;
        valueCount = values;
    }
    return status;
}

RegStatus Win32Registry::EnumKey(RegKey key, std::uint32_t index, std::uint32_t nameCapacity,
                                 std::string& name) {
    std::vector<wchar_t> buffer(nameCapacity + 1, L'\0');
    DWORD length = nameCapacity;
    // The length the platform reports, not the text up to the first NUL: a name with a NUL
    // inside must not pass for the neighbour whose name is its first part.
    const LSTATUS status = RegEnumKeyExW(Native(key), index, buffer.data(), &length, nullptr,
                                         nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS) {
        name = Narrow(buffer.data(), std::min<std::size_t>(length, nameCapacity));
    }
    return status;
}

RegStatus Win32Registry::EnumValue(RegKey key, std::uint32_t index, std::uint32_t nameCapacity,
                                   std::optional<std::uint32_t> dataCapacity,
                                   RegEnumValueInfo& out) {
    std::vector<wchar_t> nameBuffer(nameCapacity + 1, L'\0');
    DWORD nameLength = nameCapacity;
    DWORD type = out.type;
    // Win32 may append a NUL after string data that fits; the spare bytes keep it off the heap.
    std::vector<BYTE> data(dataCapacity.value_or(0) + sizeof(wchar_t), 0);
    DWORD dataBytes = dataCapacity.value_or(0);
    const LSTATUS status =
        RegEnumValueW(Native(key), index, nameBuffer.data(), &nameLength, nullptr, &type,
                      dataCapacity ? data.data() : nullptr, &dataBytes);
    out.type = type;
    out.dataBytes = dataBytes;
    // The name was written exactly when the platform shortened the announced length to it.
    if ((status == ERROR_SUCCESS || status == ERROR_MORE_DATA) && nameLength < nameCapacity) {
        out.name = Narrow(nameBuffer.data(), nameLength);
    }
    if (status == ERROR_SUCCESS && dataCapacity) {
        out.data.assign(data.begin(), data.begin() + dataBytes);
    }
    return status;
}

RegStatus Win32Registry::QueryValue(RegKey key, std::string_view name,
                                    std::optional<std::uint32_t> dataCapacity, RegValueInfo& out) {
    DWORD type = out.type;
    std::vector<BYTE> data(dataCapacity.value_or(0) + sizeof(wchar_t), 0);
    DWORD dataBytes = dataCapacity.value_or(0);
    const LSTATUS status = RegQueryValueExW(Native(key), Wide(name).c_str(), nullptr, &type,
                                            dataCapacity ? data.data() : nullptr, &dataBytes);
    if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        out.type = type;
        out.dataBytes = dataBytes;
    }
    if (status == ERROR_SUCCESS && dataCapacity) {
        out.data.assign(data.begin(), data.begin() + dataBytes);
    }
    return status;
}

RegStatus Win32Registry::SetValue(RegKey key, std::string_view name, std::uint32_t type,
                                  std::span<const std::uint8_t> data) {
    // For string types the platform adds a terminating NUL when the data lacks one and the
    // unit after the data happens to be zero. The bytes stored must be exactly the bytes
    // given, so the data goes in a copy followed by a non-zero unit.
    std::vector<BYTE> copy(data.begin(), data.end());
    copy.push_back(0xFF);
    copy.push_back(0xFF);
    return RegSetValueExW(Native(key), Wide(name).c_str(), 0, type, copy.data(),
                          static_cast<DWORD>(data.size()));
}

RegStatus Win32Registry::DeleteValue(RegKey key, std::string_view name) {
    return RegDeleteValueW(Native(key), Wide(name).c_str());
}

}  // namespace keldra::platform::win32

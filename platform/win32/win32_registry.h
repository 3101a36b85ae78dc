#pragma once
// The registry port over the wide Win32 registry functions. Keys opened here are owned by a
// table that maps the port's 32-bit handles to HKEYs; whatever is still open when the
// adapter goes away is closed then.

#include <map>

#include "platform/registry_port.h"
#include "platform/win32/handles.h"

namespace keldra::platform::win32 {

class Win32Registry final : public RegistryPort {
  public:
    Win32Registry() = default;
    Win32Registry(const Win32Registry&) = delete;
    Win32Registry& operator=(const Win32Registry&) = delete;

    RegStatus OpenKey(RegKey parent, std::string_view path, RegKey& result) override;
    RegStatus OpenKeyEx(RegKey parent, std::string_view path, std::uint32_t access,
                        RegKey& result) override;
    RegStatus OpenKeyNoFollow(RegKey parent, std::string_view path, std::uint32_t access,
                              RegKey& result) override;
    RegStatus CreateKey(RegKey parent, std::string_view path, RegKey& result) override;
    RegStatus CloseKey(RegKey key) override;
    RegStatus QueryInfoKey(RegKey key, std::uint32_t& subKeyCount,
                           std::uint32_t& valueCount) override;
    RegStatus EnumKey(RegKey key, std::uint32_t index, std::uint32_t nameCapacity,
                      std::string& name) override;
    RegStatus EnumValue(RegKey key, std::uint32_t index, std::uint32_t nameCapacity,
                        std::optional<std::uint32_t> dataCapacity, RegEnumValueInfo& out) override;
    RegStatus QueryValue(RegKey key, std::string_view name,
                         std::optional<std::uint32_t> dataCapacity, RegValueInfo& out) override;
    RegStatus SetValue(RegKey key, std::string_view name, std::uint32_t type,
                       std::span<const std::uint8_t> data) override;
    RegStatus DeleteValue(RegKey key, std::string_view name) override;

    std::size_t OpenHandleCount() const { return keys_.size(); }
    // The HKEY behind a port handle (a predefined root, an open key, or nullptr), for
    // the platform-side test helpers.
    HKEY Native(RegKey key) const;

  private:
    // Takes ownership of a key the platform opened and returns its port handle; a
    // predefined root handed back unchanged keeps its own number.
    RegKey Adopt(HKEY key, RegKey parent);

    std::map<RegKey, UniqueHKey> keys_;
    RegKey nextHandle_ = 0x100;
};

}  // namespace keldra::platform::win32

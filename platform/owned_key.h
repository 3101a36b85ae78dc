#pragma once
// The one owner of a registry key opened through the registry port: it closes the key on
// every way out of the scope. A key that is the root it was opened from (an empty path
// gives back the parent itself) belongs to the caller and stays open.

#include <utility>

#include "platform/registry_port.h"

namespace keldra::platform {

class [[nodiscard]] OwnedKey {
  public:
    OwnedKey(RegistryPort& registry, RegKey key, RegKey root = 0)
        : registry_(&registry), key_(key), root_(root) {}
    ~OwnedKey() { reset(); }
    OwnedKey(const OwnedKey&) = delete;
    OwnedKey& operator=(const OwnedKey&) = delete;
    OwnedKey(OwnedKey&& other) noexcept
        : registry_(other.registry_), key_(std::exchange(other.key_, 0)), root_(other.root_) {}
    OwnedKey& operator=(OwnedKey&&) = delete;

    RegKey get() const { return key_; }
    explicit operator bool() const { return key_ != 0; }
    // Closes the key now; the status of the close, or success when there was none to close.
    RegStatus reset() {
        const RegKey key = std::exchange(key_, 0);
        return key != 0 && key != root_ ? registry_->CloseKey(key) : reg_status::kSuccess;
    }

  private:
    RegistryPort* registry_;
    RegKey key_;
    RegKey root_;
};

}  // namespace keldra::platform

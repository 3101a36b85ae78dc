#pragma once
// The registries a contract test runs against: the simulated one everywhere, the real one
// in the Windows build. Besides the port, a backend offers what only a test may do.

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_port.h"

namespace keldra::testing {

class RegistryBackend {
  public:
    virtual ~RegistryBackend() = default;
    virtual platform::RegistryPort& Port() = 0;
    // Removes a key and everything below it (rights restored first).
    virtual bool DeleteTree(platform::RegKey root, std::string_view path) = 0;
    // Takes read and/or write rights on an existing key away from everyone, as an access
    // list does; both together leave an empty list.
    virtual bool Deny(platform::RegKey root, std::string_view path, bool read, bool write) = 0;
    // Creates a symbolic link key at `path` under `root` that leads to `targetPath` under
    // `targetRoot` (HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE); false when none was made.
    virtual bool CreateLink(platform::RegKey root, std::string_view path,
                            platform::RegKey targetRoot, std::string_view targetPath) = 0;
    // Removes a link key itself, not its target.
    virtual bool DeleteLink(platform::RegKey root, std::string_view path) = 0;
    // Creates, or removes again, a key below `parent` whose name `name` holds a NUL, as
    // only the native registry calls can make one.
    virtual bool MakeKeyNamedWithNul(platform::RegKey root, std::string_view parent,
                                     std::string_view name) = 0;
    virtual bool DeleteKeyNamedWithNul(platform::RegKey root, std::string_view parent,
                                       std::string_view name) = 0;
    // Keys the port opened and has not closed.
    virtual std::size_t OpenHandleCount() const = 0;
};

struct RegistryBackendFactory {
    std::string name;
    std::function<std::unique_ptr<RegistryBackend>()> make;
};

std::vector<RegistryBackendFactory> RegistryBackends();

std::unique_ptr<RegistryBackend> MakeSimRegistryBackend();
#ifdef _WIN32
std::unique_ptr<RegistryBackend> MakeWin32RegistryBackend();
#endif

// Test names and messages show the backend by its name.
inline void PrintTo(const RegistryBackendFactory& f, std::ostream* os) {
    *os << f.name;
}

}  // namespace keldra::testing

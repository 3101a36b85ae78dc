#include "contract/registry_backend.h"

namespace keldra::testing {

std::vector<RegistryBackendFactory> RegistryBackends() {
    std::vector<RegistryBackendFactory> backends{{"sim", MakeSimRegistryBackend}};
#ifdef _WIN32
    backends.push_back({"win32", MakeWin32RegistryBackend});
#endif
    return backends;
}

}  // namespace keldra::testing

#include "contract/ui_backend.h"

namespace keldra::testing {

std::vector<UiBackendFactory> UiBackends() {
    std::vector<UiBackendFactory> backends{{"sim", MakeSimUiBackend}};
#ifdef _WIN32
    backends.push_back({"win32", MakeWin32UiBackend});
#endif
    return backends;
}

}  // namespace keldra::testing

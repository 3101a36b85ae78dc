#include "contract/text_file_backend.h"

namespace keldra::testing {

std::vector<TextFileBackendFactory> TextFileBackends() {
    std::vector<TextFileBackendFactory> backends{{"sim", MakeSimTextFileBackend}};
#ifdef _WIN32
    backends.push_back({"win32", MakeWin32TextFileBackend});
#endif
    return backends;
}

}  // namespace keldra::testing

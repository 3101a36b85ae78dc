#include "contract/file_backend.h"

namespace keldra::testing {

std::vector<FileBackendFactory> FileBackends() {
    std::vector<FileBackendFactory> backends{{"sim", MakeSimFileBackend}};
#ifdef _WIN32
    backends.push_back({"win32", MakeWin32FileBackend});
#endif
    return backends;
}

}  // namespace keldra::testing

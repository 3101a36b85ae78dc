#pragma once
// The text files a contract test runs against: the simulated ones everywhere, the real file
// system of the sandbox in the Windows build. Besides the port, a backend offers what only a
// test may do: a folder of its own, and a look at raw bytes behind the port's back.

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_file_port.h"

namespace keldra::testing {

class TextFileBackend {
  public:
    virtual ~TextFileBackend() = default;
    virtual platform::TextFilePort& Port() = 0;
    // A new empty folder for one test (on a drive of the sandbox under Wine).
    virtual std::string NewFolder() = 0;
    // Removes a folder and everything in it.
    virtual void RemoveFolder(std::string_view path) = 0;
    virtual void PutFile(std::string_view path, std::string_view bytes) = 0;
    virtual std::optional<std::string> FileBytes(std::string_view path) = 0;
    virtual bool FolderExists(std::string_view path) = 0;
    // Names of the files and folders directly inside a folder, in any order.
    virtual std::vector<std::string> List(std::string_view folder) = 0;
};

struct TextFileBackendFactory {
    std::string name;
    std::function<std::unique_ptr<TextFileBackend>()> make;
};

std::vector<TextFileBackendFactory> TextFileBackends();

std::unique_ptr<TextFileBackend> MakeSimTextFileBackend();
#ifdef _WIN32
std::unique_ptr<TextFileBackend> MakeWin32TextFileBackend();
#endif

inline void PrintTo(const TextFileBackendFactory& f, std::ostream* os) {
    *os << f.name;
}

}  // namespace keldra::testing

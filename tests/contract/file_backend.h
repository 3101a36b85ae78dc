#pragma once
// The machines a file contract test runs against: the simulated one everywhere, the real
// one (the sandbox prefix under Wine) in the Windows build. Both have the sandbox's
// drives: C: and D: fixed, E: a CD-ROM, N: a network drive. Besides the ports, a backend
// offers what only a test may do to the machine.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_port.h"
#include "platform/file_system_port.h"
#include "platform/system_info_port.h"
#include "platform/volume_port.h"

namespace keldra::testing {

class FileBackend {
  public:
    virtual ~FileBackend() = default;
    virtual platform::FileSystemPort& FileSystem() = 0;
    virtual platform::VolumePort& Volumes() = 0;
    virtual platform::FilePort& Files() = 0;
    virtual platform::SystemInfoPort& SystemInfo() = 0;

    // Work on the machine itself, not through the ports.
    virtual bool MakeFolder(std::string_view path) = 0;
    virtual bool MakeFile(std::string_view path, std::string_view contents) = 0;
    // A file of that size, without writing its bytes.
    virtual bool MakeFileOfSize(std::string_view path, std::uint64_t sizeBytes) = 0;
    virtual std::optional<std::string> ReadFile(std::string_view path) = 0;
    // Another program opens the file without sharing, and closes it again.
    virtual bool Lock(std::string_view path) = 0;
    virtual bool Unlock(std::string_view path) = 0;
    virtual bool MakeHardLink(std::string_view newPath, std::string_view existingPath) = 0;
    // A junction at `link` (a new name) leading to the folder `target`; false where the
    // platform cannot make one.
    virtual bool MakeJunction(std::string_view link, std::string_view target) = 0;
    // A Unix symbolic link at `link` to the file `target`, shown as Wine shows one; false
    // where the test cannot make one (then the prepared one of the Windows-side run serves).
    virtual bool MakeFileLink(std::string_view link, std::string_view target) = 0;
    // Removes a folder with everything below it; reparse points are removed, not entered.
    virtual bool RemoveTree(std::string_view path) = 0;
    // Makes relative paths start from `path`; returns the folder they started from.
    virtual std::string SetCurrentFolder(std::string_view path) = 0;
    // True for Wine's Windows, where some answers differ from Windows' own.
    virtual bool OnWine() const = 0;
    // Wine run by root opens read-only files for writing: it leaves that check to Unix,
    // which lets root write anything.
    virtual bool WritesIgnoreReadOnly() const = 0;
};

struct FileBackendFactory {
    std::string name;
    std::function<std::unique_ptr<FileBackend>()> make;
};

std::vector<FileBackendFactory> FileBackends();

std::unique_ptr<FileBackend> MakeSimFileBackend();
#ifdef _WIN32
std::unique_ptr<FileBackend> MakeWin32FileBackend();
#endif

inline void PrintTo(const FileBackendFactory& f, std::ostream* os) {
    *os << f.name;
}

}  // namespace keldra::testing

// The simulated machine, laid out like a fresh sandbox prefix.
#include "contract/file_backend.h"
#include "platform/sim/sim_file_system.h"

namespace keldra::testing {
namespace {

using platform::drive_code::kCdRom;
using platform::drive_code::kFixed;
using platform::drive_code::kRemote;

class SimBackend final : public FileBackend {
  public:
    SimBackend() {
        fs_.AddDrive('C', kFixed);
        fs_.AddDrive('D', kFixed);
        fs_.AddDrive('E', kCdRom);
        fs_.AddDrive('N', kRemote);
        fs_.SetWindowsDirectory("C:\\windows");
        fs_.AddFolder("C:\\windows\\system32");
        fs_.AddFolder("C:\\windows\\Fonts");
        fs_.AddFolder("C:\\users\\keldra\\AppData\\Local");
        fs_.SetSpecialFolder(20, "C:\\windows\\Fonts");
        fs_.SetSpecialFolder(28, "C:\\users\\keldra\\AppData\\Local");
        // Not there yet: the create flag makes it.
        fs_.SetSpecialFolder(32,
                             "C:\\users\\keldra\\AppData\\Local\\Microsoft\\Windows\\INetCache");
        fs_.SetSpecialFolder(40, "C:\\users\\keldra");
    }

    platform::FileSystemPort& FileSystem() override { return fs_; }
    bool MakeFolder(std::string_view path) override { return fs_.AddFolder(path); }
    bool MakeFile(std::string_view path, std::string_view contents) override {
        return fs_.AddFile(path, contents);
    }
    bool RemoveTree(std::string_view path) override { return fs_.RemoveTree(path); }
    std::string SetCurrentFolder(std::string_view path) override {
        std::string previous = current_;
        current_ = path;
        fs_.SetCurrentDirectory(current_);
        return previous;
    }
    bool OnWine() const override { return false; }

  private:
    platform::sim::SimFileSystem fs_;
    std::string current_ = "C:\\";
};

}  // namespace

std::unique_ptr<FileBackend> MakeSimFileBackend() {
    return std::make_unique<SimBackend>();
}

}  // namespace keldra::testing

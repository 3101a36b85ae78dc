// The simulated machine, laid out like a fresh sandbox prefix.
#include "contract/file_backend.h"
#include "platform/sim/sim_file_system.h"
#include "platform/sim/sim_system_info.h"

namespace keldra::testing {
namespace {

using platform::drive_code::kCdRom;
using platform::drive_code::kFixed;
using platform::drive_code::kRemote;

class SimBackend final : public FileBackend {
  public:
    SimBackend() {
        fs_.AddDrive('C', kFixed).volume.serialNumber = 0x43000000;
        fs_.AddDrive('D', kFixed).volume.serialNumber = 0x44000000;
        fs_.AddDrive('E', kCdRom).volume = {"KELDRA_CD", 0x45000000, 221, 0x80000, "CDFS"};
        fs_.AddDrive('N', kRemote).volume.serialNumber = 0x4E000000;
        fs_.SetWindowsDirectory("C:\\windows");
        fs_.AddFolder("C:\\windows\\system32");
        fs_.AddFolder("C:\\windows\\Fonts");
        fs_.AddFolder("C:\\users\\keldra\\AppData\\Local");
        fs_.AddFolder("C:\\users\\keldra\\Temp");
        fs_.SetSpecialFolder(20, "C:\\windows\\Fonts");
        fs_.SetSpecialFolder(28, "C:\\users\\keldra\\AppData\\Local");
        // Not there yet: the create flag makes it.
        fs_.SetSpecialFolder(32,
                             "C:\\users\\keldra\\AppData\\Local\\Microsoft\\Windows\\INetCache");
        fs_.SetSpecialFolder(40, "C:\\users\\keldra");
        info_.tempPath = "C:\\users\\keldra\\Temp\\";
    }

    platform::FileSystemPort& FileSystem() override { return fs_; }
    platform::VolumePort& Volumes() override { return fs_; }
    platform::FilePort& Files() override { return fs_; }
    platform::SystemInfoPort& SystemInfo() override { return info_; }

    bool MakeFolder(std::string_view path) override { return fs_.AddFolder(path); }
    bool MakeFile(std::string_view path, std::string_view contents) override {
        return fs_.AddFile(path, contents);
    }
    bool MakeFileOfSize(std::string_view path, std::uint64_t sizeBytes) override {
        return fs_.AddFileOfSize(path, sizeBytes);
    }
    std::optional<std::string> ReadFile(std::string_view path) override {
        return fs_.Contents(path);
    }
    bool Lock(std::string_view path) override { return fs_.Lock(path); }
    bool Unlock(std::string_view path) override { return fs_.Unlock(path); }
    bool MakeHardLink(std::string_view newPath, std::string_view existingPath) override {
        return fs_.AddHardLink(newPath, existingPath);
    }
    bool MakeJunction(std::string_view link, std::string_view target) override {
        return fs_.AddJunction(link, target);
    }
    bool MakeFileLink(std::string_view link, std::string_view target) override {
        // As Wine shows one, so the listings no longer show every link.
        fs_.SetListingsShowFileLinks(false);
        return fs_.AddUnixLink(link, target);
    }
    bool RemoveTree(std::string_view path) override { return fs_.RemoveTree(path); }
    std::string SetCurrentFolder(std::string_view path) override {
        std::string previous = fs_.CurrentDirectory();
        fs_.SetCurrentDirectory(std::string(path));
        return previous;
    }
    bool OnWine() const override { return false; }
    bool WritesIgnoreReadOnly() const override { return false; }

  private:
    platform::sim::SimFileSystem fs_;
    platform::sim::SimSystemInfo info_{fs_};
};

}  // namespace

std::unique_ptr<FileBackend> MakeSimFileBackend() {
    return std::make_unique<SimBackend>();
}

}  // namespace keldra::testing

#pragma once
// The disk cleaner on a simulated machine: drive C: fixed, the Windows folder C:\WINDOWS,
// a profile and an Internet cache below it, and the services' effects recorded.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "disk/drive_list.h"
#include "disk/junk_files.h"
#include "disk/mod_disk_clean.h"
#include "platform/sim/sim_file_system.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_system_info.h"
#include "sysinfo/system.h"
#include "sysinfo/user_control1.h"

namespace keldra::disk::testing {

using platform::sim::SimOp;
namespace drive_code = platform::drive_code;
namespace attr = platform::file_attribute;

inline constexpr int kProfileFolder = 40;

class DiskTest : public ::testing::Test {
  protected:
    DiskTest() {
        files.AddDrive('C', drive_code::kFixed);
        files.SetWindowsDirectory("C:\\WINDOWS");
        files.AddFolder("C:\\WINDOWS");
        files.UseCurrentDirectoryOf(process);
    }

    ModDiskClean& Clean() {
        if (!clean_) {
            clean_ = std::make_unique<ModDiskClean>(
                ModDiskClean::Services{
                    files, files, process, shd,
                    [this] {
                        ++events;
                        if (onEvent) {
                            onEvent();
                        }
                    },
                    [](std::string_view id) { return "<" + std::string(id) + ">"; },
                    [this](std::string_view text, std::string_view title) {
                        messages.emplace_back(text, title);
                    },
                    [this](std::string_view text) { progress.emplace_back(text); },
                    [this] {
                        ++loads;
                        if (onLoad) {
                            onLoad();
                        }
                    }},
                cancelled, junk);
        }
        return *clean_;
    }

    // A disk clean: the drive list, an empty junk list, the search of the listed drives.
    void Search() {
        drives.FillDrives();
        junk.Clear();
        Clean().SearchListedDrives(drives);
    }

    // Path and rule of every entry, in list order.
    std::vector<std::pair<std::string, int>> Found() const {
        std::vector<std::pair<std::string, int>> found;
        for (std::int64_t i = 0; i < junk.JunkCount; ++i) {
            const JunkFile& file = junk.JunkFiles[static_cast<std::size_t>(i)];
            found.emplace_back(file.Path, file.Rule);
        }
        return found;
    }
    std::vector<std::string> Paths() const {
        std::vector<std::string> paths;
        for (const auto& [path, rule] : Found()) {
            paths.push_back(path);
        }
        return paths;
    }
    void Add(std::string_view path, std::string_view contents = "junk") {
        ASSERT_TRUE(files.AddFile(path, contents)) << path;
    }

    platform::sim::SimClock clock;
    platform::sim::SimProcess process{clock};
    platform::sim::SimFileSystem files;
    platform::sim::SimSystemInfo machine{files};
    sysinfo::System system{{files, machine, process}};
    DriveList drives{files, system};
    sysinfo::UserControl1 shd{files};
    JunkList junk;
    bool cancelled = false;

    int events = 0;
    int loads = 0;
    std::function<void()> onEvent;
    std::function<void()> onLoad;
    std::vector<std::string> progress;
    std::vector<std::pair<std::string, std::string>> messages;

  private:
    std::unique_ptr<ModDiskClean> clean_;
};

}  // namespace keldra::disk::testing

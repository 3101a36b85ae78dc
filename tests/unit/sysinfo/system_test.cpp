// The system-information class on the simulated machine: every member's answer and its
// fallback when the platform fails.
#include <gtest/gtest.h>

#include "platform/sim/sim_file_system.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_system_info.h"
#include "sysinfo/system.h"

namespace keldra::sysinfo {
namespace {

namespace drive_code = platform::drive_code;
using platform::sim::SimOp;

class SystemTest : public ::testing::Test {
  protected:
    SystemTest() {
        files.AddDrive('C', drive_code::kFixed);
        files.UseCurrentDirectoryOf(process);
        process.groupSeparator = ".";
    }
    platform::sim::SimClock clock;
    platform::sim::SimProcess process{clock};
    platform::sim::SimFileSystem files;
    platform::sim::SimSystemInfo machine{files};
    System system{{files, machine, process}};
};

TEST_F(SystemTest, DriveTypes) {
    files.AddDrive('A', drive_code::kRemovable);
    files.AddDrive('E', drive_code::kCdRom);
    files.AddDrive('N', drive_code::kRemote);
    files.AddDrive('R', drive_code::kRamDisk);
    EXPECT_EQ(system.DriveType("A:\\"), "Removable drive");
    EXPECT_EQ(system.DriveType("C:\\"), "Fixed drive");
    EXPECT_EQ(system.DriveType("E:\\"), "CD-ROM drive");
    EXPECT_EQ(system.DriveType("N:\\"), "dskNetwork drive");
    EXPECT_EQ(system.DriveType("R:\\"), "RAM-disk");
    EXPECT_EQ(system.DriveType("Q:\\"), "") << "no such drive";
}

TEST_F(SystemTest, DrivesCountsWithoutClearing) {
    files.AddDrive('A', drive_code::kRemovable);
    files.AddDrive('D', drive_code::kFixed);
    files.AddDrive('E', drive_code::kCdRom);
    files.AddDrive('N', drive_code::kRemote);
    files.AddDrive('R', drive_code::kRamDisk);
    std::int16_t removable = 0, fixed = 0, cd = 0, ram = 0, network = 0;
    system.Drives(removable, fixed, cd, ram, network);
    EXPECT_EQ((std::array<int, 5>{removable, fixed, cd, ram, network}),
              (std::array<int, 5>{1, 2, 1, 1, 1}));
    system.Drives(removable, fixed, cd, ram, network);
    EXPECT_EQ((std::array<int, 5>{removable, fixed, cd, ram, network}),
              (std::array<int, 5>{2, 4, 2, 2, 2}));
}

TEST_F(SystemTest, VolumeLabelAndSerialNumber) {
    auto& c = files.Drive('C');
    c.volume.serialNumber = 0x1234ABCD;
    EXPECT_EQ(system.VolumeLabel("C:\\"), "Hard disk") << "no label";
    EXPECT_EQ(system.SerialNumber("C:\\"), "1234-ABCD");
    c.volume.name = "DATA";
    EXPECT_EQ(system.VolumeLabel("C:\\"), "DATA");
    auto& e = files.AddDrive('E', drive_code::kCdRom);
    e.ready = false;
    EXPECT_EQ(system.VolumeLabel("E:\\"), "") << "no disc";
    EXPECT_EQ(system.SerialNumber("E:\\"), "0000-0000");
    EXPECT_EQ(system.SerialNumber("Q:\\"), "0000-0000");
}

TEST_F(SystemTest, SpaceTexts) {
    auto& c = files.Drive('C');
    c.totalBytes = 250'059'350'016ULL;
    c.freeBytes = 40'007'729'152ULL;
    EXPECT_EQ(system.EspacioLibreEx("C:\\"), "250.059.350.016 / 40.007.729.152");
    EXPECT_EQ(system.EspacioLibreEx("Q:\\"), " / ");
    std::int32_t total = 7, free = 7;
    c.bytesPerSector = 512;
    c.sectorsPerCluster = 8;
    c.totalBytes = 100 * 4096;
    c.availableBytes = 40 * 4096;  // free clusters are what the caller may use
    system.DriveInfo("C:\\", total, free);
    EXPECT_EQ(total, 100 * 4096);
    EXPECT_EQ(free, 40 * 4096);
    c.totalBytes = 8ULL << 40;
    system.DriveInfo("C:\\", total, free);
    EXPECT_EQ(total, 2147483647) << "past 2 GB the count stops";
    system.DriveInfo("Q:\\", total, free);
    EXPECT_EQ(total, 0);
    EXPECT_EQ(free, 0);
}

TEST_F(SystemTest, FastDiskSpaceComesBackToTheCurrentFolder) {
    auto& d = files.AddDrive('D', drive_code::kFixed);
    d.freeBytes = 123'456'789;
    files.Drive('C').freeBytes = 5;
    process.currentDirectory = "C:\\work";
    EXPECT_EQ(system.FastDiskSpace("D:\\"), 123'456'789);
    EXPECT_EQ(process.currentDirectory, "C:\\work");
    d.freeBytes = 3ULL << 40;
    EXPECT_EQ(system.FastDiskSpace("D:\\"), 2147483647);
    EXPECT_EQ(system.FastDiskSpace(""), 0);
    EXPECT_EQ(process.currentDirectory, "C:\\work");
}

TEST_F(SystemTest, MemoryKeyboardAndProcessor) {
    machine.memory->memoryLoadPercent = 37;
    machine.memory->totalPhysicalBytes = 8ULL * 1024 * 1024 * 1024 + 512;
    machine.memory->availablePhysicalBytes = 1024 + 513;
    std::uint8_t percent = 0;
    std::int64_t total = 0, free = 0;
    system.FreeMemory(percent, total, free);
    EXPECT_EQ(percent, 37);
    EXPECT_EQ(total, 8LL * 1024 * 1024) << "a half rounds to the even neighbour";
    EXPECT_EQ(free, 2);
    machine.memory.reset();
    percent = 9;
    system.FreeMemory(percent, total, free);
    EXPECT_EQ(percent, 9) << "unchanged when the query fails";

    machine.keyboard = {4, 0, 12};
    EXPECT_EQ(system.KeyboardType(), "IBM enhanced (101 or 102 key)");
    EXPECT_EQ(system.FunctionKeys(), 12);
    machine.keyboard = {0, 0, 0};
    EXPECT_EQ(system.KeyboardType(), "");
    EXPECT_EQ(system.FunctionKeys(), 0);

    machine.processor = {586, 4, 0xF};
    std::string processor = "before";
    std::int64_t count = 0, active = 0;
    system.SystemInfo(processor, count, active);
    EXPECT_EQ(processor, "Intel Pentium");
    EXPECT_EQ(count, 4);
    EXPECT_EQ(active, 0xF);
    machine.processor = {8664, 2, 0x3};
    processor = "before";
    system.SystemInfo(processor, count, active);
    EXPECT_EQ(processor, "before");
    EXPECT_EQ(count, 2);
}

TEST_F(SystemTest, FoldersAndNames) {
    files.SetWindowsDirectory("C:\\windows");
    machine.tempPath = "C:\\users\\ann\\Temp\\";
    machine.systemDirectory = "C:\\windows\\system32";
    EXPECT_EQ(system.WinDir(), "C:\\windows\\");
    EXPECT_EQ(system.TempDir(), "C:\\users\\ann\\Temp\\");
    EXPECT_EQ(system.SystemDir(), "C:\\windows\\system32\\");
    machine.tempPath = "";
    EXPECT_EQ(system.TempDir(), "");
    machine.computerName = "KELDRA-PC";
    machine.userName = "ann";
    EXPECT_EQ(system.ComputerName(), "KELDRA-PC");
    EXPECT_EQ(system.UserName(), "ann");
    machine.userName = "";
    EXPECT_EQ(system.UserName(), "");
}

TEST_F(SystemTest, WindowsVersion) {
    std::int16_t major = -1, minor = -1;
    std::string platform = "before";
    system.WinVer(major, minor, platform);
    EXPECT_EQ(major, 10);
    EXPECT_EQ(minor, 0);
    EXPECT_EQ(platform, "Windows NT");
    machine.version = platform::OsVersion{4, 10, 1998, 1, ""};
    system.WinVer(major, minor, platform);
    EXPECT_EQ(platform, "Windows 95");
    machine.version = platform::OsVersion{3, 11, 0, 0, ""};
    system.WinVer(major, minor, platform);
    EXPECT_EQ(platform, "Windows 3.11");
    machine.version = platform::OsVersion{5, 0, 0, 3, ""};
    system.WinVer(major, minor, platform);
    EXPECT_EQ(platform, "Windows 3.11") << "an unknown platform leaves the text";
    machine.version.reset();
    system.WinVer(major, minor, platform);
    EXPECT_EQ(major, 0);
    EXPECT_EQ(minor, 0);
    EXPECT_EQ(platform, "");
}

TEST_F(SystemTest, DriveRootsFromTheDriveStrings) {
    files.AddDrive('A', drive_code::kRemovable);
    files.AddDrive('Z', drive_code::kRemote);
    EXPECT_EQ(LogicalDriveRoots(files), (std::vector<std::string>{"A:\\", "C:\\", "Z:\\"}));
    files.RemoveDrive('A');
    files.RemoveDrive('Z');
    EXPECT_EQ(LogicalDriveRoots(files), (std::vector<std::string>{"C:\\"}))
        << "one drive fits the first buffer";
    EXPECT_EQ(System::PutPoints(-123), "-.123");
}

}  // namespace
}  // namespace keldra::sysinfo

// What only the simulated machine can show: injected failures, a drive without a medium,
// special folders that are missing or refused, and the set-up functions' own rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/sim/sim_file_system.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_system_info.h"

namespace keldra::platform::sim {
namespace {

class SimFileSystemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs.AddDrive('C', drive_code::kFixed);
        fs.AddDrive('A', drive_code::kRemovable);
        fs.AddDrive('R', drive_code::kRamDisk);
        fs.AddDrive('X', drive_code::kCdRom);
        ASSERT_TRUE(fs.AddFile("C:\\Data\\file.txt", "abc"));
    }
    SimFileSystem fs;
};

TEST_F(SimFileSystemTest, FailuresOtherThanNotFoundCountAsFolders) {
    fs.FailOn("C:\\Secret", SimOp::Query, file_status::kAccessDenied);
    EXPECT_TRUE(fs.FolderExists("C:\\Secret")) << "access denied: may be there";
    EXPECT_TRUE(fs.FolderExists("c:\\secret\\")) << "the same path written otherwise";
    EXPECT_FALSE(fs.FileExists("C:\\Secret"));

    fs.FailOn("C:\\Data\\file.txt", SimOp::Query, file_status::kSharingViolation);
    EXPECT_TRUE(fs.FolderExists("C:\\Data\\file.txt"));
    EXPECT_FALSE(fs.FileExists("C:\\Data\\file.txt"));
    EXPECT_TRUE(fs.IsFile("C:\\Data\\file.txt")) << "the test's own look is not refused";

    fs.FailOn("C:\\Bad", SimOp::Query, file_status::kBadPathname);
    EXPECT_FALSE(fs.FolderExists("C:\\Bad"));
    fs.FailOn("C:\\Data", SimOp::Delete, file_status::kAccessDenied);
    EXPECT_TRUE(fs.FolderExists("C:\\Data")) << "another operation's failure does not apply";

    fs.ClearFailures();
    EXPECT_TRUE(fs.FileExists("C:\\Data\\file.txt"));
    EXPECT_FALSE(fs.FolderExists("C:\\Secret"));
}

TEST_F(SimFileSystemTest, ADriveWithoutMediumIsNotReady) {
    ASSERT_TRUE(fs.AddFile("X:\\setup.exe"));
    fs.Drive('X').ready = false;
    EXPECT_TRUE(fs.FolderExists("X:\\Program")) << "not ready: cannot tell";
    EXPECT_FALSE(fs.FileExists("X:\\setup.exe"));
    EXPECT_FALSE(fs.AddFile("X:\\other.exe"));
    fs.Drive('X').ready = true;
    EXPECT_TRUE(fs.FileExists("X:\\setup.exe"));
}

TEST_F(SimFileSystemTest, DrivesKeepTheirTypesInTheProgramsNumbering) {
    const std::vector<DriveEntry> expected{{'A', drive_type::kRemovable},
                                           {'C', drive_type::kFixed},
                                           {'R', drive_type::kRamDisk},
                                           {'X', drive_type::kCdRom}};
    EXPECT_EQ(fs.Drives(), expected);
    fs.RemoveDrive('r');
    EXPECT_EQ(fs.Drives().size(), 3u);
    EXPECT_FALSE(fs.FolderExists("R:\\"));
    fs.AddDrive('z', drive_code::kNoRootDir);
    EXPECT_EQ(fs.Drives().back(), (DriveEntry{'Z', drive_type::kUnknown})) << "upper case";
}

TEST(DriveTypeFromCode, MapsEveryPlatformCode) {
    EXPECT_EQ(DriveTypeFromCode(drive_code::kUnknown), drive_type::kUnknown);
    EXPECT_EQ(DriveTypeFromCode(drive_code::kNoRootDir), drive_type::kUnknown);
    EXPECT_EQ(DriveTypeFromCode(drive_code::kRemovable), drive_type::kRemovable);
    EXPECT_EQ(DriveTypeFromCode(drive_code::kFixed), drive_type::kFixed);
    EXPECT_EQ(DriveTypeFromCode(drive_code::kRemote), drive_type::kNetwork);
    EXPECT_EQ(DriveTypeFromCode(drive_code::kCdRom), drive_type::kCdRom);
    EXPECT_EQ(DriveTypeFromCode(drive_code::kRamDisk), drive_type::kRamDisk);
    EXPECT_EQ(DriveTypeFromCode(7), drive_type::kUnknown);
}

TEST_F(SimFileSystemTest, SpecialFoldersAreMissingUntilMadeAndCanBeRefused) {
    fs.SetSpecialFolder(32, "C:\\Cache\\Here");
    EXPECT_EQ(fs.SpecialFolderPath(32), "") << "missing and not to be made";
    EXPECT_FALSE(fs.IsFolder("C:\\Cache"));
    EXPECT_EQ(fs.SpecialFolderPath(32 | csidl::kCreateFlag), "C:\\Cache\\Here");
    EXPECT_TRUE(fs.IsFolder("C:\\Cache\\Here"));
    EXPECT_EQ(fs.SpecialFolderPath(32), "C:\\Cache\\Here");

    fs.FailSpecialFolder(32, 1);  // S_FALSE
    EXPECT_EQ(fs.SpecialFolderPath(32 | csidl::kCreateFlag), "");
    fs.SetSpecialFolder(32, "C:\\Cache\\Here");
    EXPECT_EQ(fs.SpecialFolderPath(32), "C:\\Cache\\Here") << "setting it again clears the failure";

    // A file where the folder should be cannot be made into one.
    fs.SetSpecialFolder(20, "C:\\Data\\file.txt\\Fonts");
    EXPECT_EQ(fs.SpecialFolderPath(20 | csidl::kCreateFlag), "");
    EXPECT_EQ(fs.SpecialFolderPath(47), "") << "never set";
}

TEST_F(SimFileSystemTest, SetUpRefusesWhatWindowsCouldNotHold) {
    EXPECT_FALSE(fs.AddFile("C:\\Data\\file.txt\\inner.txt")) << "a file in the way";
    EXPECT_FALSE(fs.AddFolder("C:\\Data\\file.txt"));
    EXPECT_FALSE(fs.AddFile("C:\\Data")) << "a folder is there";
    EXPECT_FALSE(fs.AddFile("C:\\a\"b.txt"));
    EXPECT_FALSE(fs.AddFile("C:\\Data\\a:b"));
    EXPECT_FALSE(fs.AddFile("Q:\\x.txt")) << "no such drive";
    EXPECT_FALSE(fs.AddFile("C:\\Data\\"));
    ASSERT_TRUE(fs.AddFile("C:\\DATA\\FILE.TXT", "new"));
    EXPECT_EQ(fs.Contents("C:\\Data\\file.txt"), "new") << "one file, written again";
    EXPECT_TRUE(fs.RemoveTree("C:\\data"));
    EXPECT_FALSE(fs.IsFile("C:\\Data\\file.txt"));
    EXPECT_FALSE(fs.RemoveTree("C:\\Data"));
    EXPECT_FALSE(fs.RemoveTree("C:\\")) << "a drive's root stays";
}

TEST_F(SimFileSystemTest, RelativePathsFollowTheCurrentDirectory) {
    ASSERT_TRUE(fs.AddFile("A:\\disk.txt"));
    fs.SetCurrentDirectory("C:\\Data");
    EXPECT_TRUE(fs.FileExists("file.txt"));
    EXPECT_TRUE(fs.FileExists("\\Data\\file.txt")) << "from the current drive's root";
    EXPECT_TRUE(fs.FileExists("C:file.txt")) << "the current drive: from the current folder";
    EXPECT_TRUE(fs.FileExists("A:disk.txt")) << "another drive: from its root";
    fs.SetCurrentDirectory("nowhere");
    EXPECT_FALSE(fs.FolderExists("Data"));
}

TEST_F(SimFileSystemTest, ServersAnswerWithTheNetworkErrorSet) {
    EXPECT_TRUE(fs.FolderExists("\\\\server\\share"));
    fs.SetNetworkError(file_status::kBadPathname);
    EXPECT_FALSE(fs.FolderExists("\\\\server\\share"));
    EXPECT_TRUE(fs.FileExists("\\\\?\\C:\\Data\\file.txt")) << "the long-path prefix is no server";
}

std::vector<std::string> Names(const std::vector<FolderEntry>& entries) {
    std::vector<std::string> names;
    for (const auto& entry : entries) {
        names.push_back(entry.name);
    }
    return names;
}

TEST_F(SimFileSystemTest, EveryOperationCanBeMadeToFailOnOnePath) {
    ASSERT_TRUE(fs.AddFile("C:\\Data\\Sub\\x.tmp"));
    std::vector<FolderEntry> entries;
    // A folder that cannot be entered: its listing fails, its parent's does not.
    fs.FailOn("C:\\Data\\Sub", SimOp::List, file_status::kAccessDenied);
    EXPECT_EQ(fs.ListFolder("C:\\Data\\Sub", entries), file_status::kAccessDenied);
    EXPECT_EQ(fs.ListFolder("C:\\Data", entries), file_status::kSuccess);
    EXPECT_EQ(Names(entries), (std::vector<std::string>{"file.txt", "Sub"}));
    EXPECT_TRUE(fs.FileExists("C:\\Data\\Sub\\x.tmp")) << "only the listing fails";

    const std::string file = "C:\\Data\\file.txt";
    fs.FailOn(file, SimOp::Open, file_status::kSharingViolation);
    fs.FailOn(file, SimOp::Move, file_status::kAccessDenied);
    fs.FailOn(file, SimOp::Delete, file_status::kNotReady);
    fs.FailOn(file, SimOp::SetAttributes, file_status::kAccessDenied);
    EXPECT_EQ(fs.TruncateFile(file), file_status::kSharingViolation);
    std::uint32_t links = 0;
    EXPECT_EQ(fs.HardLinkCount(file, links), file_status::kSharingViolation);
    EXPECT_EQ(fs.RenameFile(file, "C:\\Data\\other.txt"), file_status::kAccessDenied);
    EXPECT_EQ(fs.RemoveFile(file), file_status::kNotReady);
    EXPECT_EQ(fs.SetAttributes(file, file_attribute::kHidden), file_status::kAccessDenied);
    std::uint64_t size = 0;
    EXPECT_EQ(fs.FileSize(file, size), file_status::kSuccess);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(fs.Contents(file), "abc") << "nothing happened to it";
    EXPECT_EQ(fs.AttributesOf(file), file_attribute::kArchive);

    fs.FailOn("C:\\", SimOp::Volume, file_status::kAccessDenied);
    VolumeInfo volume;
    DiskSpace space;
    EXPECT_EQ(fs.VolumeInformation("C:\\", volume), file_status::kAccessDenied);
    EXPECT_EQ(fs.DiskFreeSpaceEx("C:\\Data", space), file_status::kAccessDenied);
    EXPECT_EQ(fs.DriveType("C:\\"), drive_code::kFixed);
}

TEST_F(SimFileSystemTest, ADriveWithoutMediumKeepsOnlyItsType) {
    fs.Drive('X').ready = false;
    std::vector<FolderEntry> entries;
    VolumeInfo volume;
    DiskSpace space;
    ClusterGeometry geometry;
    EXPECT_EQ(fs.ListFolder("X:\\", entries), file_status::kNotReady);
    EXPECT_EQ(fs.VolumeInformation("X:\\", volume), file_status::kNotReady);
    EXPECT_EQ(fs.DiskFreeSpaceEx("X:\\", space), file_status::kNotReady);
    EXPECT_EQ(fs.DiskFreeSpace("X:\\", geometry), file_status::kNotReady);
    EXPECT_EQ(fs.DriveType("X:\\"), drive_code::kCdRom);
    std::string strings;
    EXPECT_EQ(fs.LogicalDriveStrings(64, strings), 16u);
    EXPECT_EQ(strings, std::string("A:\\\0C:\\\0R:\\\0X:\\\0", 16)) << "still listed";
}

TEST_F(SimFileSystemTest, SpaceAndGeometryFollowTheDriveSetUp) {
    SimDrive& drive = fs.Drive('C');
    drive.totalBytes = 64ULL << 40;  // more clusters than 32 bits can count
    drive.freeBytes = 3ULL << 30;
    drive.availableBytes = 1ULL << 30;  // a quota
    drive.bytesPerSector = 4096;
    drive.sectorsPerCluster = 1;
    DiskSpace space;
    ASSERT_EQ(fs.DiskFreeSpaceEx("C:\\", space), file_status::kSuccess);
    EXPECT_EQ(space.totalBytes, 64ULL << 40);
    EXPECT_EQ(space.totalFreeBytes, 3ULL << 30);
    EXPECT_EQ(space.availableToCallerBytes, 1ULL << 30);
    ClusterGeometry geometry;
    ASSERT_EQ(fs.DiskFreeSpace("C:\\", geometry), file_status::kSuccess);
    EXPECT_EQ(geometry.totalClusters, 0xFFFFFFFFu);
    EXPECT_EQ(geometry.freeClusters, (1u << 30) / 4096) << "what the caller may use";
    EXPECT_EQ(fs.DiskFreeSpaceEx("C:\\Data\\file.txt", space), file_status::kDirectory);
    EXPECT_EQ(fs.DiskFreeSpaceEx("\\\\server\\share\\", space), file_status::kBadNetPath);
}

TEST_F(SimFileSystemTest, TheCurrentDirectoryCanBeTheProcesss) {
    SimClock clock;
    SimProcess process(clock);
    ASSERT_TRUE(fs.AddFile("A:\\disk.txt"));
    fs.Drive('A').totalBytes = 1440 * 1024;
    fs.UseCurrentDirectoryOf(process);
    process.SetCurrentDirectory("C:\\Data");
    EXPECT_TRUE(fs.FileExists("file.txt"));
    process.SetCurrentDirectory("A:\\");
    EXPECT_TRUE(fs.FileExists("disk.txt"));
    DiskSpace space;
    ASSERT_EQ(fs.CurrentDriveFreeSpace(space), file_status::kSuccess);
    EXPECT_EQ(space.totalBytes, 1440u * 1024);
    EXPECT_EQ(fs.DriveType(""), drive_code::kRemovable);
}

TEST_F(SimFileSystemTest, ListingsCanComeInAnotherOrder) {
    ASSERT_TRUE(fs.AddFolder("C:\\Walk\\A"));
    ASSERT_TRUE(fs.AddFolder("C:\\Walk\\b"));
    ASSERT_TRUE(fs.AddFile("C:\\Walk\\C.tmp"));
    std::vector<FolderEntry> entries;
    ASSERT_EQ(fs.ListFolder("C:\\Walk", entries), file_status::kSuccess);
    EXPECT_EQ(Names(entries), (std::vector<std::string>{"A", "b", "C.tmp"}));
    fs.SetReverseListings(true);
    ASSERT_EQ(fs.ListFolder("C:\\Walk", entries), file_status::kSuccess);
    EXPECT_EQ(Names(entries), (std::vector<std::string>{"C.tmp", "b", "A"}));
}

TEST_F(SimFileSystemTest, LocksCountAndBelongToTheFile) {
    ASSERT_TRUE(fs.AddHardLink("C:\\Data\\second.txt", "C:\\Data\\file.txt"));
    ASSERT_TRUE(fs.Lock("C:\\Data\\file.txt"));
    ASSERT_TRUE(fs.Lock("C:\\Data\\second.txt"));
    EXPECT_TRUE(fs.Unlock("C:\\Data\\file.txt"));
    EXPECT_EQ(fs.RemoveFile("C:\\Data\\file.txt"), file_status::kSharingViolation)
        << "one lock is left";
    EXPECT_TRUE(fs.Unlock("C:\\Data\\file.txt"));
    EXPECT_FALSE(fs.Unlock("C:\\Data\\file.txt")) << "none left";
    EXPECT_FALSE(fs.Lock("C:\\Data")) << "folders are not locked";
    EXPECT_EQ(fs.RemoveFile("C:\\Data\\file.txt"), file_status::kSuccess);
}

TEST_F(SimFileSystemTest, HardLinksStayOnTheirDriveAndNeverReplace) {
    EXPECT_FALSE(fs.AddHardLink("A:\\file.txt", "C:\\Data\\file.txt")) << "another drive";
    ASSERT_TRUE(fs.AddFile("C:\\Data\\other.txt"));
    EXPECT_FALSE(fs.AddHardLink("C:\\Data\\other.txt", "C:\\Data\\file.txt"));
    EXPECT_FALSE(fs.AddHardLink("C:\\Data\\x.txt", "C:\\Data"));
    ASSERT_TRUE(fs.AddHardLink("C:\\Elsewhere\\copy.txt", "C:\\Data\\file.txt"));
    std::uint32_t links = 0;
    ASSERT_EQ(fs.HardLinkCount("C:\\Data\\file.txt", links), file_status::kSuccess);
    EXPECT_EQ(links, 2u);
    // Moved to another drive, the file is copied: one name there, one less here.
    EXPECT_EQ(fs.RenameFile("C:\\Elsewhere\\copy.txt", "A:\\copy.txt"), file_status::kSuccess);
    ASSERT_EQ(fs.HardLinkCount("A:\\copy.txt", links), file_status::kSuccess);
    EXPECT_EQ(links, 1u);
    EXPECT_EQ(fs.Contents("A:\\copy.txt"), "abc");
    ASSERT_EQ(fs.HardLinkCount("C:\\Data\\file.txt", links), file_status::kSuccess);
    EXPECT_EQ(links, 1u);
    // Truncating one name empties every name: the data is one.
    ASSERT_TRUE(fs.AddHardLink("C:\\Data\\third.txt", "C:\\Data\\file.txt"));
    EXPECT_EQ(fs.TruncateFile("C:\\Data\\third.txt"), file_status::kSuccess);
    EXPECT_EQ(fs.Contents("C:\\Data\\file.txt"), "");
    // Removing a folder drops the names inside it.
    ASSERT_TRUE(fs.AddHardLink("C:\\Gone\\fourth.txt", "C:\\Data\\file.txt"));
    ASSERT_TRUE(fs.RemoveTree("C:\\Gone"));
    ASSERT_EQ(fs.HardLinkCount("C:\\Data\\file.txt", links), file_status::kSuccess);
    EXPECT_EQ(links, 2u);
}

TEST_F(SimFileSystemTest, FoldersMoveOnlyWithinTheirDrive) {
    ASSERT_TRUE(fs.AddFile("C:\\Tree\\Inner\\x.tmp"));
    EXPECT_EQ(fs.RenameFile("C:\\Tree", "A:\\Tree"), file_status::kNotSameDevice);
    EXPECT_EQ(fs.RenameFile("C:\\Tree", "C:\\Tree\\Inner\\Tree"), file_status::kAccessDenied)
        << "not into itself";
    EXPECT_EQ(fs.RenameFile("C:\\Tree", "C:\\Data\\Tree"), file_status::kSuccess);
    EXPECT_TRUE(fs.IsFile("C:\\Data\\Tree\\Inner\\x.tmp"));
    EXPECT_EQ(fs.RenameFile("C:\\", "C:\\Root"), file_status::kAccessDenied);
}

TEST_F(SimFileSystemTest, JunctionsAreFlaggedFollowedAndNeverRemovedThrough) {
    ASSERT_TRUE(fs.AddFile("C:\\Target\\inside.tmp", "in"));
    ASSERT_TRUE(fs.AddJunction("C:\\Walk\\Link", "C:\\Target"));
    EXPECT_FALSE(fs.AddJunction("C:\\Walk\\Link", "C:\\Data")) << "the name is taken";
    EXPECT_EQ(fs.AttributesOf("C:\\Walk\\Link"),
              file_attribute::kDirectory | file_attribute::kReparsePoint);
    EXPECT_TRUE(fs.FileExists("C:\\Walk\\Link\\inside.tmp"));
    ASSERT_TRUE(fs.AddFile("C:\\Walk\\Link\\made.tmp")) << "made through the junction";
    EXPECT_TRUE(fs.IsFile("C:\\Target\\made.tmp"));
    EXPECT_EQ(fs.RemoveFile("C:\\Walk\\Link"), file_status::kAccessDenied);

    ASSERT_TRUE(fs.RemoveTree("C:\\Walk"));
    EXPECT_TRUE(fs.IsFile("C:\\Target\\inside.tmp")) << "what it leads to stays";

    // Dangling, and in a loop: the link itself is there, nothing behind it.
    ASSERT_TRUE(fs.AddJunction("C:\\Dangling", "C:\\Nowhere"));
    std::vector<FolderEntry> entries;
    EXPECT_EQ(fs.ListFolder("C:\\Dangling", entries), file_status::kPathNotFound);
    EXPECT_TRUE(fs.FolderExists("C:\\Dangling"));
    ASSERT_TRUE(fs.AddJunction("C:\\Loop1", "C:\\Loop2"));
    ASSERT_TRUE(fs.AddJunction("C:\\Loop2", "C:\\Loop1"));
    EXPECT_EQ(fs.ListFolder("C:\\Loop1", entries), file_status::kPathNotFound);
    EXPECT_FALSE(fs.FileExists("C:\\Loop1\\x"));

    // Any file or folder can be marked, as a symbolic link or placeholder shows.
    ASSERT_TRUE(fs.MarkReparsePoint("C:\\Data\\file.txt"));
    ASSERT_EQ(fs.ListFolder("C:\\Data", entries), file_status::kSuccess);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(entries[0].reparsePoint);
    EXPECT_EQ(entries[0].attributes, file_attribute::kArchive | file_attribute::kReparsePoint);
    EXPECT_FALSE(fs.MarkReparsePoint("C:\\")) << "a root is none";
}

TEST_F(SimFileSystemTest, SetUpSizesAndAttributesDirectly) {
    ASSERT_TRUE(fs.AddFileOfSize("C:\\big.iso", 6ULL << 30));
    std::uint64_t size = 0;
    ASSERT_EQ(fs.FileSize("C:\\big.iso", size), file_status::kSuccess);
    EXPECT_EQ(size, 6ULL << 30);
    // Bits the attribute port would not set, as another program may leave them.
    ASSERT_TRUE(fs.SetAttributesOf("C:\\big.iso", 0x800 | file_attribute::kReadOnly));
    EXPECT_EQ(fs.AttributesOf("C:\\big.iso"), 0x800u | file_attribute::kReadOnly);
    EXPECT_EQ(fs.SetAttributes("C:\\big.iso", 0x800 | file_attribute::kHidden),
              file_status::kSuccess);
    EXPECT_EQ(fs.AttributesOf("C:\\big.iso"), file_attribute::kHidden)
        << "compression is not set so";
    EXPECT_EQ(fs.AttributesOf("C:\\none"), file_attribute::kInvalid);
}

TEST(SimSystemInfo, FailuresLeaveTheOutputsAlone) {
    SimFileSystem files;
    files.SetWindowsDirectory("D:\\WINNT");
    SimSystemInfo info(files);
    EXPECT_EQ(info.WindowsDirectory(), "D:\\WINNT") << "the file system's";
    info.memory.reset();
    info.version.reset();
    MemoryStatus memory;
    memory.memoryLoadPercent = 77;
    EXPECT_FALSE(info.Memory(memory));
    EXPECT_EQ(memory.memoryLoadPercent, 77u);
    OsVersion version;
    version.major = 9;
    EXPECT_FALSE(info.Version(version));
    EXPECT_EQ(version.major, 9u);
    info.keyboard = {7, 2, 10};
    EXPECT_EQ(info.KeyboardType(0), 7);
    EXPECT_EQ(info.KeyboardType(2), 10);
    EXPECT_EQ(info.KeyboardType(3), 0);
    EXPECT_EQ(info.KeyboardType(-1), 0);
}

}  // namespace
}  // namespace keldra::platform::sim

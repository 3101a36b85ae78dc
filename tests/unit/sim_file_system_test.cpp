// What only the simulated machine can show: injected failures, a drive without a medium,
// special folders that are missing or refused, and the set-up functions' own rules.
#include <gtest/gtest.h>

#include "platform/sim/sim_file_system.h"

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

}  // namespace
}  // namespace keldra::platform::sim

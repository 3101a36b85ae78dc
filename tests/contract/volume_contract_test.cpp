// Drives and volumes, and the system facts, on the simulated machine and on the sandbox
// prefix (C: and D: fixed, E: a CD-ROM labelled KELDRA_CD, N: a network drive).
#include <bit>
#include <string>

#include "contract/file_fixture.h"

namespace keldra::testing {
namespace {

namespace drive_code = platform::drive_code;
using platform::ClusterGeometry;
using platform::DiskSpace;
using platform::VolumeInfo;

class VolumeContract : public FileTest {};

TEST_P(VolumeContract, DriveStringsComeOnlyWhenTheBufferIsLargeEnough) {
    std::string buffer = "untouched";
    // Four roots of four characters and the final NUL: 17.
    EXPECT_EQ(volumes().LogicalDriveStrings(10, buffer), 17u);
    EXPECT_EQ(volumes().LogicalDriveStrings(16, buffer), 17u);
    EXPECT_EQ(buffer, "untouched");
    EXPECT_EQ(volumes().LogicalDriveStrings(17, buffer), 16u);
    EXPECT_EQ(buffer, std::string("C:\\\0D:\\\0E:\\\0N:\\\0", 16))
        << "(the sandbox must be made with --cdrom --network)";
}

TEST_P(VolumeContract, DriveTypesAreThePlatformsCodes) {
    EXPECT_EQ(volumes().DriveType("C:\\"), drive_code::kFixed);
    EXPECT_EQ(volumes().DriveType("d:\\"), drive_code::kFixed);
    EXPECT_EQ(volumes().DriveType("E:\\"), drive_code::kCdRom);
    EXPECT_EQ(volumes().DriveType("N:\\"), drive_code::kRemote);
    EXPECT_EQ(volumes().DriveType("Q:\\"), drive_code::kNoRootDir);
    const std::string previous = backend_->SetCurrentFolder(Path());
    EXPECT_EQ(volumes().DriveType(""), drive_code::kFixed) << "the current drive";
    backend_->SetCurrentFolder(previous);
}

TEST_P(VolumeContract, VolumesHaveLabelsSerialNumbersAndFileSystems) {
    VolumeInfo cd;
    ASSERT_EQ(volumes().VolumeInformation("E:\\", cd), file_status::kSuccess);
    EXPECT_EQ(cd.name, "KELDRA_CD");
    EXPECT_EQ(cd.fileSystem, "CDFS");
    VolumeInfo c;
    VolumeInfo d;
    ASSERT_EQ(volumes().VolumeInformation("C:\\", c), file_status::kSuccess);
    ASSERT_EQ(volumes().VolumeInformation("D:\\", d), file_status::kSuccess);
    EXPECT_EQ(c.name, "") << "the sandbox's C: has no label";
    EXPECT_EQ(c.fileSystem, "NTFS");
    EXPECT_EQ(c.maxComponentLength, 255u);
    EXPECT_NE(c.serialNumber, d.serialNumber);

    VolumeInfo untouched{"x", 7, 7, 7, "y"};
    EXPECT_EQ(volumes().VolumeInformation("Q:\\", untouched), file_status::kPathNotFound);
    EXPECT_EQ(volumes().VolumeInformation(Path() + "\\", untouched), file_status::kDirNotRoot);
    EXPECT_EQ(untouched.name, "x");
    EXPECT_EQ(untouched.serialNumber, 7u);
}

TEST_P(VolumeContract, FreeSpaceAndClusterGeometryDescribeOneDrive) {
    DiskSpace root;
    ASSERT_EQ(volumes().DiskFreeSpaceEx("D:\\", root), file_status::kSuccess);
    EXPECT_GT(root.totalBytes, 0u);
    EXPECT_LE(root.totalFreeBytes, root.totalBytes);
    EXPECT_LE(root.availableToCallerBytes, root.totalFreeBytes);
    DiskSpace folder;
    ASSERT_EQ(volumes().DiskFreeSpaceEx(Path() + "\\", folder), file_status::kSuccess);
    EXPECT_EQ(folder.totalBytes, root.totalBytes) << "any folder of the drive";
    DiskSpace untouched{1, 2, 3};
    EXPECT_NE(volumes().DiskFreeSpaceEx(Path("missing") + "\\", untouched), file_status::kSuccess);
    EXPECT_EQ(volumes().DiskFreeSpaceEx("Q:\\", untouched), file_status::kPathNotFound);
    EXPECT_EQ(untouched.totalBytes, 2u);

    const std::string previous = backend_->SetCurrentFolder(Path());
    DiskSpace current;
    EXPECT_EQ(volumes().CurrentDriveFreeSpace(current), file_status::kSuccess);
    EXPECT_EQ(current.totalBytes, root.totalBytes) << "the current drive is D:";
    backend_->SetCurrentFolder(previous);

    ClusterGeometry geometry;
    ASSERT_EQ(volumes().DiskFreeSpace("D:\\", geometry), file_status::kSuccess);
    EXPECT_GE(geometry.bytesPerSector, 512u);
    EXPECT_GE(geometry.sectorsPerCluster, 1u);
    const std::uint64_t clusterBytes =
        std::uint64_t{geometry.bytesPerSector} * geometry.sectorsPerCluster;
    EXPECT_LE(clusterBytes * geometry.totalClusters, root.totalBytes);
    EXPECT_GT(clusterBytes * (geometry.totalClusters + 1ULL), root.totalBytes)
        << "the clusters cover the drive";
    EXPECT_LE(geometry.freeClusters, geometry.totalClusters);
    ClusterGeometry none{1, 2, 3, 4};
    EXPECT_EQ(volumes().DiskFreeSpace("Q:\\", none), file_status::kPathNotFound);
    EXPECT_EQ(none.totalClusters, 4u);
}

KELDRA_FILE_BACKENDS(VolumeContract);

class SystemInfoContract : public FileTest {};

TEST_P(SystemInfoContract, TheFoldersAreThoseOfTheFileSystem) {
    const std::string windows = info().WindowsDirectory();
    EXPECT_EQ(windows, fs().WindowsDirectory());
    EXPECT_TRUE(SamePath(info().SystemDirectory(), windows + "\\system32"))
        << info().SystemDirectory();
    const std::string temp = info().TempPath();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\') << "the temporary folder keeps its separator";
    EXPECT_TRUE(fs().FolderExists(temp)) << temp;
}

TEST_P(SystemInfoContract, TheMachineDescribesItself) {
    EXPECT_FALSE(info().ComputerName().empty());
    EXPECT_FALSE(info().UserName().empty());

    platform::MemoryStatus memory;
    ASSERT_TRUE(info().Memory(memory));
    EXPECT_LE(memory.memoryLoadPercent, 100u);
    EXPECT_GT(memory.availablePhysicalBytes, 0u);
    EXPECT_LE(memory.availablePhysicalBytes, memory.totalPhysicalBytes);

    const platform::ProcessorInfo processor = info().Processor();
    EXPECT_GE(processor.processorCount, 1u);
    EXPECT_EQ(static_cast<std::uint32_t>(std::popcount(processor.activeProcessorMask)),
              processor.processorCount);

    EXPECT_GE(info().KeyboardType(0), 1);
    EXPECT_LE(info().KeyboardType(0), 7);
    EXPECT_GT(info().KeyboardType(2), 0) << "function keys";

    platform::OsVersion version;
    ASSERT_TRUE(info().Version(version));
    EXPECT_EQ(version.platformId, 2u) << "the Windows NT family";
    EXPECT_GE(version.major, 5u);
}

KELDRA_FILE_BACKENDS(SystemInfoContract);

}  // namespace
}  // namespace keldra::testing

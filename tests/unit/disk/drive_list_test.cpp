// The drive list on the simulated machine: which drives get a row, and how their space
// reads.
#include "tests/unit/disk/disk_fixture.h"

namespace keldra::disk::testing {
namespace {

class DriveListTest : public DiskTest {
  protected:
    std::vector<std::vector<std::string>> Rows() const {
        std::vector<std::vector<std::string>> rows;
        const DriveRows view(drives);
        for (std::size_t r = 0; r < view.RowCount(); ++r) {
            rows.push_back({view.CellText(r, 0), view.CellText(r, 1), view.CellText(r, 2),
                            view.CellText(r, 3)});
        }
        return rows;
    }
    static constexpr std::uint64_t kMegabyte = 1024 * 1024;
};

TEST_F(DriveListTest, FixedDrivesOnlyInTheirOrder) {
    files.AddDrive('A', drive_code::kRemovable);
    auto& c = files.Drive('C');
    c.volume.name = "SYSTEM";
    c.totalBytes = 95'367 * kMegabyte;
    c.freeBytes = 38'154 * kMegabyte;
    c.availableBytes = 1'000 * kMegabyte;
    auto& d = files.AddDrive('D', drive_code::kFixed);
    d.volume.name = "";
    d.totalBytes = 500 * kMegabyte;
    d.freeBytes = kMegabyte / 2 - 1;
    files.AddDrive('E', drive_code::kCdRom);
    files.AddDrive('R', drive_code::kRamDisk);
    files.AddDrive('Z', drive_code::kRemote);
    drives.FillDrives();
    EXPECT_EQ(Rows(),
              (std::vector<std::vector<std::string>>{{"C:", "SYSTEM", "38,154 MB", "95,367 MB"},
                                                     {"D:", "Hard disk", " MB", "500 MB"}}));
}

TEST_F(DriveListTest, LowerCaseLettersAreWrittenUpper) {
    EXPECT_EQ(drives.FreeBytes("c:\\"), 40ULL << 30);
    drives.FillDrives();
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0][0], "C:");
}

TEST_F(DriveListTest, TheUsersGroupSeparator) {
    files.Drive('C').freeBytes = 1'234'567 * kMegabyte;
    process.groupSeparator = "\xC2\xA0";  // a no-break space, as in French
    drives.FillDrives();
    EXPECT_EQ(Rows()[0][2],
              "1\xC2\xA0"
              "234\xC2\xA0"
              "567 MB");
}

TEST_F(DriveListTest, MegabytesRoundToTheNearest) {
    EXPECT_EQ(MegabyteText(0, ","), " MB");
    EXPECT_EQ(MegabyteText(kMegabyte / 2 - 1, ","), " MB");
    EXPECT_EQ(MegabyteText(kMegabyte / 2, ","), "1 MB");
    EXPECT_EQ(MegabyteText(kMegabyte + kMegabyte / 2 - 1, ","), "1 MB");
    EXPECT_EQ(MegabyteText(999'500 * kMegabyte / 1000, ","), "1,000 MB")
        << "999.5 MB rounds up into the next group";
    EXPECT_EQ(MegabyteText(std::uint64_t{16} << 40, ","), "16,777,216 MB");
}

TEST_F(DriveListTest, TotalFreeSpaceNotWhatTheQuotaLeaves) {
    auto& c = files.Drive('C');
    c.freeBytes = 300 * kMegabyte;
    c.availableBytes = 100 * kMegabyte;
    EXPECT_EQ(drives.FreeBytes("C:\\"), 300 * kMegabyte);
    EXPECT_EQ(drives.TotalBytes("C:\\"), c.totalBytes);
    EXPECT_EQ(drives.FreeBytes("Q:\\"), 0u);
    EXPECT_EQ(drives.TotalBytes("Q:\\"), 0u);
}

TEST_F(DriveListTest, ASecondCallAddsNothingUntilTheListIsEmptied) {
    drives.FillDrives();
    files.AddDrive('D', drive_code::kFixed);
    drives.FillDrives();
    ASSERT_EQ(Rows().size(), 1u);
    drives.Clear();
    EXPECT_TRUE(Rows().empty());
    drives.FillDrives();
    EXPECT_EQ(Rows().size(), 2u);
}

TEST_F(DriveListTest, ManyDrivesOutgrowTheFirstBuffer) {
    for (char letter = 'D'; letter <= 'Y'; ++letter) {
        files.AddDrive(letter, drive_code::kFixed);
    }
    drives.FillDrives();
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 23u);
    EXPECT_EQ(rows.front()[0], "C:");
    EXPECT_EQ(rows.back()[0], "Y:");
}

TEST_F(DriveListTest, ADriveWithoutVolumeAnswersKeepsItsRow) {
    files.AddDrive('D', drive_code::kFixed);
    files.FailOn("D:\\", SimOp::Volume, platform::file_status::kNotReady);
    drives.FillDrives();
    ASSERT_EQ(Rows().size(), 2u);
    EXPECT_EQ(Rows()[1], (std::vector<std::string>{"D:", "", " MB", " MB"}));
}

TEST_F(DriveListTest, TellsTheViewWhenItsRowsChange) {
    int changes = 0;
    drives.onChanged = [&] { ++changes; };
    drives.FillDrives();
    drives.FillDrives();
    EXPECT_EQ(changes, 1);
    drives.Clear();
    EXPECT_EQ(changes, 2);
}

}  // namespace
}  // namespace keldra::disk::testing

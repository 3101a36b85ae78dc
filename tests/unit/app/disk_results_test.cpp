// The disk stage inside the program: the drive list, row 3, the disk results window that
// hides instead of closing, the folder in progress, and the junk half of fixing.
#include <algorithm>

#include "tests/unit/app/console_fixture.h"

namespace keldra::app::testing {
namespace {

using platform::sim::SimListView;
namespace drive_code = platform::drive_code;
namespace attr = platform::file_attribute;

class DiskResultsTest : public ConsoleTest {
  protected:
    DiskResultsTest() {
        sim.language.texts["OCM_DCap"] = "Disk Scan";
        sim.language.texts["OCM_DRes"] = "Disk Scan Results";
        sim.language.texts["OCM_LC1"] = "File path";
        sim.language.texts["OCM_LC2"] = "File Size (bytes)";
        sim.language.texts["OCM_Close"] = "Close";
        sim.language.texts["OCM_SIn"] = "Searching in ";
        settings.SaveSetting("Keldra Maintenance", "Options", "WelcScreen", "1");
        files.AddDrive('C', drive_code::kFixed).volume.name = "SYSTEM";
        files.SetWindowsDirectory("C:\\WINDOWS");
        files.AddFolder("C:\\WINDOWS");
    }
    void NoAutoFix() { settings.SaveSetting("Keldra Maintenance", "Options", "AutoFix", "0"); }
    void Add(std::string_view path, std::string_view contents) {
        ASSERT_TRUE(files.AddFile(path, contents)) << path;
    }
    SimWindow& Results() { return sim.ui.Find("frmDiskScanDetails"); }
    SimListView& List() { return Results().GetList("lvCFiles"); }
    SimListView& DriveView() { return MainWindow().GetList("lvwDiscos"); }
};

TEST_F(DiskResultsTest, RowThreeShowsTheMegabytesAndOpensTheFiles) {
    NoAutoFix();
    ASSERT_TRUE(files.AddFileOfSize("C:\\Temp\\big.tmp", 1'572'864));
    Add("C:\\old.bak", "1234567");
    Add("C:\\notes.txt", "keep");
    Run();
    EXPECT_EQ(Status(3).Text(), "1 MB recovered");
    ASSERT_TRUE(Status(3).Enabled());
    ASSERT_TRUE(sim.ui.Exists("frmDiskScanDetails")) << "loaded by the search";
    EXPECT_FALSE(Results().Visible());
    // A hidden window is not told of every file found; showing it brings them all.
    EXPECT_EQ(List().RowsChangedCalls(), 0);
    Status(3).Click();
    Pump();
    ASSERT_TRUE(Results().Visible());
    EXPECT_EQ(Results().Caption(), "Disk Scan");
    EXPECT_EQ(Results().Get("Label1").Text(), "Disk Scan Results");
    EXPECT_EQ(Results().Get("cmdClose").Text(), "Close");
    EXPECT_EQ(List().ShownCells(), (std::vector<std::vector<std::string>>{
                                       {"C:\\Temp\\big.tmp", "1572864"}, {"C:\\old.bak", "7"}}));
    EXPECT_EQ(DriveView().ShownRowCount(), 1u);
    EXPECT_EQ(DriveView().ShownCell(0, 0), "C:");
    EXPECT_EQ(DriveView().ShownCell(0, 1), "SYSTEM");
    EXPECT_FALSE(DriveView().Visible());
}

TEST_F(DiskResultsTest, NothingFoundReadsDoneInGreen) {
    NoAutoFix();
    Add("C:\\notes.txt", "keep");
    Run();
    EXPECT_EQ(Status(3).Text(), "Done, nothing to clean");
    EXPECT_EQ(Status(3).ForeColor(), FrmMain::kGreen);
    EXPECT_FALSE(Status(3).Enabled());
}

TEST_F(DiskResultsTest, OpenedBeforeAnyCleanTheListIsEmptyWithItsHeaders) {
    Main().frmDiskScanDetails().Show();
    ASSERT_EQ(List().ColumnCount(), 2u);
    EXPECT_EQ(List().ColumnHeader(0), "File path");
    EXPECT_EQ(List().ColumnHeader(1), "File Size (bytes)");
    EXPECT_GT(List().ColumnWidth(0), 2 * List().ColumnWidth(1)) << "the path takes the width";
    EXPECT_EQ(List().ShownRowCount(), 0u);
    EXPECT_EQ(Results().Icons(), "AAA (with owner)");
    EXPECT_EQ(Results().Bounds().left, (15360 - Results().Bounds().width) / 2);
}

TEST_F(DiskResultsTest, ClosingOnlyHidesUntilTheProgramEnds) {
    NoAutoFix();
    Add("C:\\a.tmp", "x");
    Run();
    Proc(3).Click();
    Pump();
    Results().Get("cmdClose").Click();
    EXPECT_FALSE(Results().Visible());
    Results().Close();
    EXPECT_TRUE(Results().Loaded());
    Status(3).Click();
    Pump();
    EXPECT_TRUE(Results().Visible());
    EXPECT_EQ(List().ShownRowCount(), 1u);
    try {
        MainWindow().Close();
    } catch (const platform::ProcessExit&) {
    }
    EXPECT_FALSE(Results().Loaded());
}

TEST_F(DiskResultsTest, ACancelEmptiesTheFilesAndTheDrives) {
    NoAutoFix();
    Add("C:\\a.tmp", "x");
    Run();
    Main().frmDiskScanDetails().Show();
    ASSERT_EQ(List().ShownRowCount(), 1u);
    Main().StopScanProc();
    EXPECT_EQ(List().ShownRowCount(), 0u);
    EXPECT_EQ(DriveView().ShownRowCount(), 0u);
    EXPECT_EQ(program.junk.JunkCount, 0);
}

TEST_F(DiskResultsTest, TheFolderInProgressAndRowsWhileTheSearchRuns) {
    NoAutoFix();
    Add("C:\\A\\a.tmp", "x");
    Add("C:\\B\\b.tmp", "x");
    std::vector<std::string> shown;
    std::vector<std::size_t> rows;
    // The window is open while the search runs: its rows follow.
    Main().frmDiskScanDetails().Show();
    sim.ui.onDoEvents = [&] {
        if (!sim.ui.Exists("frmMain")) {
            return;
        }
        const std::string text = Control("lblSchedStart").Text();
        if (!text.empty() && (shown.empty() || shown.back() != text)) {
            shown.push_back(text);
        }
        if (sim.ui.Exists("frmDiskScanDetails")) {
            rows.push_back(List().ShownRowCount());
        }
    };
    Run();
    EXPECT_EQ(shown, (std::vector<std::string>{"Searching in C:\\"}));
    EXPECT_EQ(Control("lblSchedStart").Text(), "") << "cleared after the stage";
    EXPECT_NE(std::find(rows.begin(), rows.end(), 1u), rows.end())
        << "B's file shows while A is walked";
    EXPECT_EQ(List().ShownRowCount(), 2u);
}

TEST_F(DiskResultsTest, FixingRemovesTheJunkAndEnds) {
    Add("C:\\Temp\\a.tmp", "0123456789");
    Add("C:\\Temp\\b.old", "xyz");
    files.SetAttributesOf("C:\\Temp\\b.old", attr::kReadOnly | attr::kArchive);
    Add("C:\\Temp\\keep.txt", "mine");
    EXPECT_EQ(Run(), 0);
    EXPECT_FALSE(files.IsFile("C:\\Temp\\a.tmp"));
    EXPECT_EQ(files.Contents("C:\\Temp\\b.old"), "xyz");
    EXPECT_EQ(files.AttributesOf("C:\\Temp\\b.old"), attr::kNormal);
    EXPECT_EQ(files.Contents("C:\\Temp\\keep.txt"), "mine");
}

TEST_F(DiskResultsTest, TheInternetCacheOnceWithTwoDrives) {
    NoAutoFix();
    files.AddDrive('D', drive_code::kFixed);
    files.AddFolder("C:\\users\\ann\\Cache");
    files.SetSpecialFolder(40, "C:\\users\\ann");
    files.SetSpecialFolder(platform::csidl::kInternetCache, "C:\\users\\ann\\Cache");
    Add("C:\\users\\ann\\Cache\\page.htm", "12345");
    Run();
    ASSERT_EQ(program.junk.JunkCount, 1);
    EXPECT_EQ(program.junk.JunkFiles[0].Rule, 1);
    EXPECT_EQ(program.junk.JunkBytes, 5);
}

}  // namespace
}  // namespace keldra::app::testing

// The registry stage inside the program: the scan's rows in row 1 and in the registry
// results window, which hides instead of closing until the program ends.

#include "registry/mdl_registry.h"
#include "tests/unit/app/console_fixture.h"

namespace keldra::app::testing {
namespace {

using platform::sim::SimListView;

class RegistryResultsTest : public ConsoleTest {
  protected:
    RegistryResultsTest() {
        sim.language.texts["OCM_RCap"] = "Registry Scan";
        sim.language.texts["OCM_RRes"] = "Registry Scan Results";
        sim.language.texts["OCM_Close"] = "Close";
        for (int i = 1; i <= 6; ++i) {
            sim.language.texts["RDRC_lvInvalidLocCH" + std::to_string(i)] =
                "CH" + std::to_string(i);
        }
        sim.language.texts["RDRC_Reason0"] = "File or folder not found";
        settings.SaveSetting("Keldra Maintenance", "Options", "AutoFix", "0");
        settings.SaveSetting("Keldra Maintenance", "Options", "WelcScreen", "1");
        files.AddDrive('C', platform::drive_code::kFixed);
    }
    void Dead(std::string_view key, std::string_view name) {
        mdlRegistry::SetStringValue(registry, platform::reg_root::kCurrentUser, key, name,
                                    "C:\\gone\\" + std::string(name) + ".exe");
    }
    SimWindow& Results() { return sim.ui.Find("frmRegScanDetails"); }
    SimListView& List() { return Results().GetList("lvInvalidLoc"); }
};

TEST_F(RegistryResultsTest, RowOneCountsTheScansRowsAndOpensThem) {
    Dead("Software\\A", "one");
    Dead("Software\\B", "two");
    Run();
    // Each value is found by the current-user walk and again by the all-users walk.
    EXPECT_EQ(program.problems.Count(), 4u);
    EXPECT_EQ(Status(1).Text(), "4 problems found");
    Status(1).Click();
    Pump();
    ASSERT_TRUE(Results().Visible());
    EXPECT_EQ(Results().Caption(), "Registry Scan");
    EXPECT_EQ(Results().Get("Label1").Text(), "Registry Scan Results");
    EXPECT_EQ(Results().Get("cmdClose").Text(), "Close");
    ASSERT_EQ(List().ShownRowCount(), 4u);
    EXPECT_EQ(List().ShownCell(0, 0), "HKEY_CURRENT_USER\\software\\A");
    EXPECT_EQ(List().ShownCell(0, 1), "one");
    EXPECT_EQ(List().ShownCell(0, 2), "C:\\gone\\one.exe");
    EXPECT_EQ(List().ShownCell(0, 3), "File or folder not found");
    EXPECT_EQ(List().ShownCell(0, 4), "1");
    EXPECT_EQ(List().ShownCell(0, 5), "");
    EXPECT_EQ(List().RowIcon(), "IMREGERROR");
}

TEST_F(RegistryResultsTest, ColumnsBeforeAnyScan) {
    Main().frmRegScanDetails().Show();
    ASSERT_EQ(List().ColumnCount(), 6u);
    const int widths[] = {4500, 1500, 2500, 1500, 0, 0};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(List().ColumnHeader(i), "CH" + std::to_string(i + 1));
        EXPECT_EQ(List().ColumnWidth(i), widths[i]);
    }
    EXPECT_EQ(List().ShownRowCount(), 0u);
    EXPECT_EQ(Results().Bounds().left, (15360 - Results().Bounds().width) / 2);
}

TEST_F(RegistryResultsTest, CloseAndCloseBoxOnlyHideUntilTheProgramEnds) {
    Dead("Software\\A", "one");
    Run();
    Status(1).Click();
    Pump();
    Results().Get("cmdClose").Click();
    EXPECT_FALSE(Results().Visible());
    EXPECT_TRUE(Results().Loaded());
    Proc(1).Click();
    Pump();
    EXPECT_TRUE(Results().Visible());
    EXPECT_EQ(List().ShownRowCount(), 2u);
    Results().Close();
    EXPECT_TRUE(Results().Loaded());
    EXPECT_FALSE(Results().Visible());
    EXPECT_EQ(List().ShownRowCount(), 2u);

    // Closing the program unloads it with everything else.
    try {
        MainWindow().Close();
    } catch (const platform::ProcessExit&) {
    }
    EXPECT_FALSE(Results().Loaded());
}

TEST_F(RegistryResultsTest, RowsFollowTheListWhileTheWindowIsOpen) {
    Run();
    Main().frmRegScanDetails().Show();
    Dead("Software\\A", "one");
    Main().Scan().ScanKey("HKCU");
    EXPECT_EQ(List().ShownRowCount(), 1u);
    program.problems.RemoveAt(0);
    EXPECT_EQ(List().ShownRowCount(), 0u);
    Main().Scan().ScanKey("HKCU");
    Main().StopScanProc();
    EXPECT_EQ(List().ShownRowCount(), 0u);
}

}  // namespace
}  // namespace keldra::app::testing

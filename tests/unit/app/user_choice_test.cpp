// What the user decides: the check boxes of both results windows, which fixing obeys, and
// the keep list that carries an unticked item into later passes (by hand, automatic and
// scheduled fixing alike) until it is ticked again.
#include <algorithm>
#include <memory>

#include "app/keep_list.h"
#include "tests/unit/app/console_fixture.h"

namespace keldra::app::testing {
namespace {

using platform::sim::SimKey;
using platform::sim::SimListView;
namespace drive_code = platform::drive_code;
namespace reg_root = platform::reg_root;
namespace reg_type = platform::reg_type;

constexpr const char* kKey = "Software\\Keldra Choice";
constexpr const char* kLocation = "HKEY_CURRENT_USER\\Software\\Keldra Choice";

class UserChoiceTest : public ConsoleTest {
  protected:
    UserChoiceTest() {
        settings.SaveSetting("Keldra Maintenance", "Options", "WelcScreen", "1");
        files.AddDrive('C', drive_code::kFixed);
        files.SetWindowsDirectory("C:\\WINDOWS");
        files.AddFolder("C:\\WINDOWS");
        Seed();
    }
    void AutoFix(bool on) {
        settings.SaveSetting("Keldra Maintenance", "Options", "AutoFix", on ? "1" : "0");
    }
    // Three dead values and three junk files, listed in this order.
    void Seed() {
        platform::RegKey key = 0;
        ASSERT_EQ(registry.CreateKey(reg_root::kCurrentUser, kKey, key), 0);
        for (const char* name : {"A", "B", "C"}) {
            ASSERT_EQ(registry.SetValue(key, name, reg_type::kSz,
                                        std::vector<std::uint8_t>{'x', 0, 0, 0}),
                      0);
        }
        registry.CloseKey(key);
        for (const char* path : {"C:\\a.bak", "C:\\b.bak", "C:\\c.bak"}) {
            if (!files.FileExists(path)) {
                ASSERT_TRUE(files.AddFile(path, "junk"));
            }
        }
    }
    // A start of the program with its own process-wide values, over the same machine.
    FrmMain& NewStart() {
        main_.reset();  // the old window goes before the values it uses
        program_ = std::make_unique<Program>(program.ports);
        main_ = std::make_unique<FrmMain>(*program_);
        main_->ScanRegistry = [this] {
            for (const char* name : {"A", "B", "C"}) {
                registry::Problem row;
                row.location = kLocation;
                row.valueName = name;
                program_->problems.Append(row);
            }
        };
        return *main_;
    }
    std::optional<int> RunStart() {
        try {
            main_->Start();
            for (int i = 0; i < 20; ++i) {
                sim.ui.DoEvents();
            }
        } catch (const platform::ProcessExit& exit) {
            return exit.exitCode;
        }
        return std::nullopt;
    }
    std::optional<int> Do(const std::function<void()>& action) {
        try {
            action();
            sim.ui.DoEvents();
        } catch (const platform::ProcessExit& exit) {
            return exit.exitCode;
        }
        return std::nullopt;
    }
    bool ValueExists(std::string_view name) {
        platform::RegKey key = 0;
        if (registry.OpenKey(reg_root::kCurrentUser, kKey, key) != 0) {
            return false;
        }
        platform::RegValueInfo info;
        const bool found = registry.QueryValue(key, name, std::nullopt, info) == 0;
        registry.CloseKey(key);
        return found;
    }
    std::string Remaining() {
        std::string left;
        for (const char* name : {"A", "B", "C"}) {
            if (ValueExists(name)) {
                left += name;
            }
        }
        for (const char* path : {"C:\\a.bak", "C:\\b.bak", "C:\\c.bak"}) {
            if (files.FileExists(path)) {
                left += std::string(" ") + path;
            }
        }
        return left;
    }
    SimListView& RegistryList() { return sim.ui.Find("frmRegScanDetails").GetList("lvInvalidLoc"); }
    SimListView& DiskList() { return sim.ui.Find("frmDiskScanDetails").GetList("lvCFiles"); }
    std::size_t DiskRowOf(std::string_view path) {
        for (std::size_t row = 0; row < DiskList().ShownRowCount(); ++row) {
            if (DiskList().ShownCell(row, 0) == path) {
                return row;
            }
        }
        ADD_FAILURE() << path << " not listed";
        return 0;
    }
    std::vector<bool> Boxes(SimListView& list) {
        std::vector<bool> boxes;
        for (std::size_t row = 0; row < list.ShownRowCount(); ++row) {
            boxes.push_back(list.ShownChecked(row).value_or(false));
        }
        return boxes;
    }
    // Shows both results windows; unticks B with the keyboard and b.bak with the mouse.
    void UntickBAndBBak() {
        main_->frmRegScanDetails().Show();
        sim.ui.DoEvents();
        SimWindow& registryWindow = sim.ui.Find("frmRegScanDetails");
        while (registryWindow.FocusedName() != "lvInvalidLoc") {
            registryWindow.Press(SimKey::Tab);
        }
        RegistryList().SetFocusedRow(1);
        registryWindow.Press(SimKey::Space);
        main_->frmDiskScanDetails().Show();
        sim.ui.DoEvents();
        DiskList().ClickCheckBox(DiskRowOf("C:\\b.bak"));
    }
    SimControl& MainControl(std::string_view name) {
        return dynamic_cast<SimWindow&>(main_->Window()).Get(name);
    }
    std::string Keep(const std::string& key) {
        return settings.GetSetting("Keldra Maintenance", "Keep", key, "<absent>");
    }

    void TearDown() override { main_.reset(); }

    std::unique_ptr<Program> program_;
    std::unique_ptr<FrmMain> main_;
};

TEST_F(UserChoiceTest, FixingRemovesOnlyTheTickedRowsAndBacksUpNothingOfTheOthers) {
    AutoFix(false);
    NewStart();
    EXPECT_EQ(RunStart(), std::nullopt);
    main_->frmRegScanDetails().Show();
    main_->frmDiskScanDetails().Show();
    sim.ui.DoEvents();
    EXPECT_TRUE(RegistryList().CheckBoxes());
    EXPECT_TRUE(DiskList().CheckBoxes());
    EXPECT_EQ(Boxes(RegistryList()), (std::vector<bool>{true, true, true})) << "ticked when listed";
    EXPECT_EQ(Boxes(DiskList()), (std::vector<bool>{true, true, true}));

    UntickBAndBBak();
    EXPECT_EQ(Boxes(RegistryList()), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(Boxes(DiskList())[DiskRowOf("C:\\b.bak")], false);
    EXPECT_EQ(RegistryList().ChangedRows(), std::vector<std::size_t>{1}) << "the row is repainted";

    EXPECT_EQ(Do([this] { MainControl("cmdCorrectProblems").Click(); }), 0);
    EXPECT_EQ(Remaining(), "B C:\\b.bak");
    const std::string backup = textFiles.FileBytes("C:\\sysbackup.reg").value_or("");
    EXPECT_NE(backup.find("\"A\"=\"x\""), std::string::npos) << backup;
    EXPECT_NE(backup.find("\"C\"=\"x\""), std::string::npos);
    EXPECT_EQ(backup.find("\"B\""), std::string::npos) << "no entry for an unticked row";
    ASSERT_EQ(program_->problems.Count(), 1u) << "the unticked row stays listed";
    EXPECT_EQ(program_->problems.rows[0].valueName, "B");
}

TEST_F(UserChoiceTest, ToggledTwiceARowIsTickedAgainAndNothingIsKept) {
    AutoFix(false);
    NewStart();
    RunStart();
    UntickBAndBBak();
    EXPECT_EQ(Keep("Count"), "2");
    DiskList().ClickCheckBox(DiskRowOf("C:\\b.bak"));
    RegistryList().ClickCheckBox(1);
    EXPECT_EQ(Boxes(RegistryList()), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(Keep("Count"), "0");
    EXPECT_EQ(Do([this] { MainControl("cmdCorrectProblems").Click(); }), 0);
    EXPECT_EQ(Remaining(), "");
}

TEST_F(UserChoiceTest, TheKeepListHoldsAcrossStartsAndAutomaticAndScheduledFixing) {
    AutoFix(false);
    NewStart();
    RunStart();
    UntickBAndBBak();
    // The user closes the program without fixing.
    EXPECT_EQ(Do([this] { MainControl("cmdCancel").Click(); }), 0);
    EXPECT_EQ(Remaining(), "ABC C:\\a.bak C:\\b.bak C:\\c.bak");

    // The next start fixes on its own: what the user keeps is listed, unticked, and stays.
    AutoFix(true);
    NewStart();
    EXPECT_EQ(RunStart(), 0);
    EXPECT_EQ(Remaining(), "B C:\\b.bak");
    ASSERT_EQ(program_->problems.Count(), 1u);
    EXPECT_FALSE(program_->problems.rows[0].marked);
    const auto& junk = program_->junk.JunkFiles;
    ASSERT_TRUE(std::any_of(junk.begin(), junk.end(), [](const disk::JunkFile& f) {
        return f.Path == "C:\\b.bak" && !f.Marked;
    })) << "listed, unticked";

    // A scheduled pass fixes too, and keeps them as well.
    Seed();
    AutoFix(false);
    NewStart();
    EXPECT_EQ(RunStart(), std::nullopt);
    EXPECT_EQ(Do([this] { main_->cmdScnN_Click(); }), 0);
    EXPECT_TRUE(main_->ScheduledRun);
    EXPECT_EQ(Remaining(), "B C:\\b.bak");

    // Ticked again in a later pass, they are forgotten and go.
    NewStart();
    RunStart();
    main_->frmRegScanDetails().Show();
    main_->frmDiskScanDetails().Show();
    sim.ui.DoEvents();
    EXPECT_EQ(Boxes(RegistryList()), (std::vector<bool>{true, false, true})) << "arrives unticked";
    RegistryList().ClickCheckBox(1);
    DiskList().ClickCheckBox(DiskRowOf("C:\\b.bak"));
    EXPECT_EQ(Keep("Count"), "0");
    EXPECT_EQ(Do([this] { MainControl("cmdCorrectProblems").Click(); }), 0);
    EXPECT_EQ(Remaining(), "");
}

TEST_F(UserChoiceTest, FilesAreKeptWithoutRegardToCaseAndValuesOnlyByTheirExactName) {
    KeepList keep(settings);
    disk::JunkFile file;
    file.Path = "C:\\Temp\\Caf\xC3\xA9.BAK";
    ASSERT_TRUE(keep.Remember(file));
    registry::Problem row;
    row.location = kLocation;
    row.valueName = "Name";
    ASSERT_TRUE(keep.Remember(row));

    KeepList later(settings);
    later.Load();
    disk::JunkFile other;
    other.Path = "c:\\temp\\caf\xC3\x89.bak";
    EXPECT_TRUE(later.Keeps(other));
    registry::Problem lower = row;
    lower.valueName = "name";
    EXPECT_FALSE(later.Keeps(lower));
    registry::Problem otherRoot = row;
    otherRoot.location = "HKEY_LOCAL_MACHINE\\Software\\Keldra Choice";
    EXPECT_FALSE(later.Keeps(otherRoot));
    // A key path and a value name that would run into one another are told apart.
    registry::Problem shifted = row;
    shifted.location = std::string(kLocation) + "N";
    shifted.valueName = "ame";
    EXPECT_FALSE(later.Keeps(shifted));
    EXPECT_TRUE(later.Keeps(row));
}

// Counts the reads of the store, to see that a damaged list costs a bounded number.
class CountingSettings final : public platform::SettingsPort {
  public:
    explicit CountingSettings(platform::SettingsPort& inner) : inner_(inner) {}
    std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                           std::string_view defaultText) override {
        ++reads;
        return inner_.GetSetting(app, section, key, defaultText);
    }
    bool SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                     std::string_view value) override {
        return inner_.SaveSetting(app, section, key, value);
    }
    int reads = 0;

  private:
    platform::SettingsPort& inner_;
};

TEST_F(UserChoiceTest, ADamagedOrHugeKeepListIsReadBoundedAndStopsNoPass) {
    const auto store = [this](const std::string& key, const std::string& value) {
        settings.SaveSetting("Keldra Maintenance", "Keep", key, value);
    };
    store("Count", "99999999999999999999");
    store("Item1", "R|80000001|22|Software\\Keldra ChoiceB");  // the row B, as remembered
    store("Item2", "garbage");
    store("Item3", "R|80000001|999|short");
    store("Item4", "R|zz|1|x");
    store("Item5", "F|C:\\B.BAK");
    store("Item6", std::string(KeepList::kMaxItemBytes + 1, 'F'));
    store("Item7", "R|80000001|22|Software\\Keldra ChoiceB");  // twice
    CountingSettings counting(settings);
    KeepList keep(counting);
    keep.Load();
    EXPECT_LE(counting.reads, static_cast<int>(KeepList::kMaxItems) + 1);
    EXPECT_EQ(keep.Count(), 2u) << "what reads is kept, the rest dropped";

    // The next change writes the list as read.
    disk::JunkFile file;
    file.Path = "C:\\new.bak";
    ASSERT_TRUE(keep.Remember(file));
    EXPECT_EQ(Keep("Count"), "3");
    EXPECT_EQ(Keep("Item2"), "F|C:\\B.BAK");
    EXPECT_EQ(Keep("Item3"), "F|C:\\NEW.BAK");
    EXPECT_EQ(Keep("Item4"), "");

    // Full: a further item is not remembered, and nothing breaks.
    for (std::size_t i = keep.Count(); i < KeepList::kMaxItems; ++i) {
        disk::JunkFile f;
        f.Path = "C:\\f" + std::to_string(i);
        ASSERT_TRUE(keep.Remember(f));
    }
    disk::JunkFile extra;
    extra.Path = "C:\\one too many";
    EXPECT_FALSE(keep.Remember(extra));
    disk::JunkFile tooLong;
    tooLong.Path = "C:\\" + std::string(KeepList::kMaxItemBytes, 'x');
    KeepList fresh(settings);
    EXPECT_FALSE(fresh.Remember(tooLong));

    // A count that is no number is an empty list; a pass runs through either.
    store("Count", "lots");
    KeepList none(settings);
    none.Load();
    EXPECT_EQ(none.Count(), 0u);
    store("Count", "99999999999999999999");
    AutoFix(true);
    NewStart();
    EXPECT_EQ(RunStart(), 0);
    EXPECT_EQ(Remaining(), "B C:\\b.bak");
}

}  // namespace
}  // namespace keldra::app::testing

// Registry repair on the simulated machine: which values go, which rows stay, and what the
// backup file holds at the moment each value is deleted.
#include "registry/remove.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_text_file.h"
#include "platform/text.h"
#include "registry/safe_reg.h"

namespace keldra::registry {
namespace {

namespace reg_root = platform::reg_root;
namespace reg_type = platform::reg_type;
namespace reg_status = platform::reg_status;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kKey = "Software\\Keldra Test";
constexpr const char* kHkcuKey = "HKEY_CURRENT_USER\\Software\\Keldra Test";
constexpr const char* kComment = "; Keldra Maintenance repair of 2026-12-08 09:00:00";
constexpr const char* kUserFile =
    "C:\\Users\\User\\AppData\\Local\\Keldra Maintenance\\sysbackup.reg";

Bytes Sz(std::u16string_view text) {
    Bytes b = text::ToUtf16LeBytes(text);
    b.insert(b.end(), {0, 0});
    return b;
}

class RemoveTest : public ::testing::Test {
  protected:
    RemoveTest() {
        sim.ui.onDoEvents = [this] { ++doEvents; };
    }

    void Put(const std::string& path, std::string_view name, std::uint32_t type, const Bytes& data,
             platform::RegKey root = reg_root::kCurrentUser) {
        platform::RegKey key = 0;
        ASSERT_EQ(reg.CreateKey(root, path, key), reg_status::kSuccess);
        ASSERT_EQ(reg.SetValue(key, name, type, data), reg_status::kSuccess);
        reg.CloseKey(key);
    }
    void PutSz(std::string_view name, std::u16string_view text) {
        Put(kKey, name, reg_type::kSz, Sz(text));
    }
    bool Exists(std::string_view name, const std::string& path = kKey,
                platform::RegKey root = reg_root::kCurrentUser) {
        platform::RegKey key = 0;
        if (reg.OpenKey(root, path, key) != reg_status::kSuccess) {
            return false;
        }
        platform::RegValueInfo info;
        const bool found = reg.QueryValue(key, name, std::nullopt, info) == reg_status::kSuccess;
        if (key != root) {
            reg.CloseKey(key);
        }
        return found;
    }
    bool KeyExists(const std::string& path) {
        platform::RegKey key = 0;
        if (reg.OpenKey(reg_root::kCurrentUser, path, key) != reg_status::kSuccess) {
            return false;
        }
        reg.CloseKey(key);
        return true;
    }
    void Row(std::string location, std::string name, std::string data = "data") {
        Problem row;
        row.location = std::move(location);
        row.valueName = std::move(name);
        row.valueData = std::move(data);
        problems.rows.push_back(std::move(row));
    }
    std::vector<std::string> RowNames() const {
        std::vector<std::string> names;
        for (const Problem& row : problems.rows) {
            names.push_back(row.valueName);
        }
        return names;
    }
    void Run() { Remove(problems, RepairPorts{reg, files, sim.process, sim.ui}); }
    std::string Backup() const { return files.FileBytes(kBackupFile).value_or("<no file>"); }

    platform::sim::SimPlatform sim;
    platform::sim::SimRegistry reg;
    platform::sim::SimTextFiles files;
    ProblemList problems;
    int doEvents = 0;
};

TEST(StripHkey, MatchesTheSevenRootNamesExactlyWithBlanksTrimmed) {
    EXPECT_EQ(StripHkey("HKEY_CLASSES_ROOT\\.txt"), reg_root::kClassesRoot);
    EXPECT_EQ(StripHkey("HKEY_CURRENT_USER\\Software"), reg_root::kCurrentUser);
    EXPECT_EQ(StripHkey("HKEY_LOCAL_MACHINE\\Software"), reg_root::kLocalMachine);
    EXPECT_EQ(StripHkey("HKEY_USERS\\.DEFAULT"), reg_root::kUsers);
    EXPECT_EQ(StripHkey("HKEY_PERFORMANCE_DATA\\x"), reg_root::kPerformanceData);
    EXPECT_EQ(StripHkey("HKEY_CURRENT_CONFIG\\x"), reg_root::kCurrentConfig);
    EXPECT_EQ(StripHkey("HKEY_DYN_DATA\\x"), reg_root::kDynData);
    EXPECT_EQ(StripHkey("  HKEY_USERS \\x"), reg_root::kUsers);
    EXPECT_EQ(StripHkey("hkey_users\\x"), 0u) << "case counts";
    EXPECT_EQ(StripHkey("HKEY_USERS"), 0u) << "no backslash";
    EXPECT_EQ(StripHkey("HKCU\\Software"), 0u);
    EXPECT_EQ(StripHkey("\tHKEY_USERS\\x"), 0u) << "only blanks are trimmed";
}

TEST(SplitSubKey, TakesTheTextAfterTheFirstBackslash) {
    EXPECT_EQ(SplitSubKey("HKEY_CURRENT_USER\\Software\\A"), "Software\\A");
    EXPECT_EQ(SplitSubKey("HKEY_CURRENT_USER\\"), "");
    EXPECT_EQ(SplitSubKey("no backslash"), "no backslash");
    EXPECT_EQ(SplitSubKey("\\\\x"), "\\x");
}

TEST_F(RemoveTest, AnEmptyListTouchesNoFile) {
    Run();
    EXPECT_FALSE(files.FileExists(kBackupFile));
    EXPECT_FALSE(files.FolderExists("C:\\Users\\User\\AppData\\Local\\Keldra Maintenance"));
    EXPECT_EQ(files.appendCount, 0);
    EXPECT_EQ(doEvents, 0);
}

TEST_F(RemoveTest, ThreeExistingValuesAreBackedUpUnderANewHeaderAndDeleted) {
    PutSz("One", u"C:\\Missing\\one.exe");
    Put(kKey, "Two", reg_type::kDword, Bytes{2, 0, 0, 0});
    Put("Software\\Keldra Test\\Sub", "Three", reg_type::kBinary, Bytes{0xDE, 0xAD});
    PutSz("Kept", u"not listed");
    Row(kHkcuKey, "One", "C:\\Missing\\one.exe");
    Row(kHkcuKey, "Two", "2");
    Row(std::string(kHkcuKey) + "\\Sub", "Three", "");
    Run();

    EXPECT_EQ(Backup(), std::string("REGEDIT4\r\n"
                                    "\r\n") +
                            kComment +
                            "\r\n"
                            "[HKEY_CURRENT_USER\\Software\\Keldra Test]\r\n"
                            "\"One\"=\"C:\\\\Missing\\\\one.exe\"\r\n"
                            "\r\n"
                            "[HKEY_CURRENT_USER\\Software\\Keldra Test]\r\n"
                            "\"Two\"=dword:00000002\r\n"
                            "\r\n"
                            "[HKEY_CURRENT_USER\\Software\\Keldra Test\\Sub]\r\n"
                            "\"Three\"=hex:de,ad\r\n"
                            "\r\n");
    EXPECT_FALSE(Exists("One"));
    EXPECT_FALSE(Exists("Two"));
    EXPECT_FALSE(Exists("Three", "Software\\Keldra Test\\Sub"));
    EXPECT_TRUE(Exists("Kept"));
    EXPECT_TRUE(KeyExists("Software\\Keldra Test\\Sub")) << "keys are never deleted";
    EXPECT_EQ(problems.Count(), 0u);
    EXPECT_EQ(doEvents, 3) << "events run after every row";
    EXPECT_EQ(files.appendCount, 3) << "one flushed append per value";
}

TEST_F(RemoveTest, AValueAlreadyGoneGetsNoEntryAndItsRowStays) {
    PutSz("A", u"a");
    PutSz("C", u"c");
    Row(kHkcuKey, "A");
    Row(kHkcuKey, "B");
    Row(kHkcuKey, "C");
    Run();
    EXPECT_EQ(RowNames(), std::vector<std::string>{"B"});
    EXPECT_EQ(Backup(), std::string("REGEDIT4\r\n\r\n") + kComment +
                            "\r\n[HKEY_CURRENT_USER\\Software\\Keldra Test]\r\n\"A\"=\"a\"\r\n\r\n"
                            "[HKEY_CURRENT_USER\\Software\\Keldra Test]\r\n\"C\"=\"c\"\r\n\r\n");
    EXPECT_EQ(doEvents, 3);
}

TEST_F(RemoveTest, AnEarlierBackupGetsNoSecondHeaderAndEachRepairItsOwnComment) {
    const std::string earlier = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Old]\r\n\"x\"=\"y\"\r\n\r\n";
    files.PutFile("C:\\sysbackup.reg", earlier);
    PutSz("A", u"a");
    Row(kHkcuKey, "A");
    Run();
    const std::string first =
        std::string(kComment) +
        "\r\n[HKEY_CURRENT_USER\\Software\\Keldra Test]\r\n\"A\"=\"a\"\r\n\r\n";
    EXPECT_EQ(Backup(), earlier + first);

    sim.clock.SetNow({2027, 1, 2, 3, 4, 5});
    PutSz("B", u"b");
    Row(kHkcuKey, "B");
    Run();
    EXPECT_EQ(Backup(), earlier + first +
                            "; Keldra Maintenance repair of 2027-01-02 03:04:05\r\n"
                            "[HKEY_CURRENT_USER\\Software\\Keldra Test]\r\n\"B\"=\"b\"\r\n\r\n");
}

TEST_F(RemoveTest, AnEmptyOrForeignBackupFileIsLeftAloneAndTheEntriesGoBesideIt) {
    // Nothing the registry editor would import: empty, cut short in its header, another
    // program's text, the editor's own UTF-16 export, a header that runs on.
    const std::vector<std::string> foreign{
        std::string(), std::string("REGED"), std::string("my notes\r\nREGEDIT4\r\n"),
        std::string("\xFF\xFEW\0i\0n\0", 8), std::string("REGEDIT4x\r\n")};
    for (std::size_t i = 0; i < foreign.size(); ++i) {
        SCOPED_TRACE(::testing::PrintToString(foreign[i]));
        files.PutFile(kBackupFile, foreign[i]);
        const std::string name = "A" + std::to_string(i);
        PutSz(name, u"a");
        Row(kHkcuKey, name);
        Run();
        EXPECT_EQ(Backup(), foreign[i]) << "left as it was";
        const std::string beside = files.FileBytes("C:\\sysbackup-2.reg").value_or("");
        EXPECT_EQ(beside.find("REGEDIT4\r\n\r\n" + std::string(kComment)), 0u) << beside;
        EXPECT_TRUE(beside.ends_with("\r\n[HKEY_CURRENT_USER\\Software\\Keldra Test]\r\n\"" + name +
                                     "\"=\"a\"\r\n\r\n"))
            << beside;
        EXPECT_EQ(beside.find("REGEDIT4", 1), std::string::npos) << "one header";
        EXPECT_FALSE(Exists(name));
        EXPECT_EQ(problems.Count(), 0u);
    }
}

TEST_F(RemoveTest, LaterRepairsKeepToTheFileBesideAForeignOne) {
    files.PutFile(kBackupFile, "");
    files.PutFile("C:\\sysbackup-2.reg", "not mine either");
    PutSz("A", u"a");
    Row(kHkcuKey, "A");
    Run();
    PutSz("B", u"b");
    Row(kHkcuKey, "B");
    Run();
    EXPECT_EQ(Backup(), "");
    EXPECT_EQ(files.FileBytes("C:\\sysbackup-2.reg"), "not mine either");
    const std::string third = files.FileBytes("C:\\sysbackup-3.reg").value_or("");
    EXPECT_EQ(third.find("REGEDIT4\r\n\r\n"), 0u);
    EXPECT_EQ(third.find("REGEDIT4", 1), std::string::npos) << "one header";
    EXPECT_NE(third.find("\"A\"=\"a\""), std::string::npos);
    EXPECT_NE(third.find("\"B\"=\"b\""), std::string::npos);
    EXPECT_FALSE(files.FileExists("C:\\sysbackup-4.reg"));
}

TEST_F(RemoveTest, ABackupWhoseLastLineLacksItsLineEndGetsOneFirst) {
    const std::string cut = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Old]\r\n\"x\"=\"y\"";
    files.PutFile(kBackupFile, cut);
    PutSz("A", u"a");
    Row(kHkcuKey, "A");
    Run();
    EXPECT_EQ(Backup(),
              cut + "\r\n" + kComment +
                  "\r\n[HKEY_CURRENT_USER\\Software\\Keldra Test]\r\n\"A\"=\"a\"\r\n\r\n");
    files.PutFile(kBackupFile, "REGEDIT4");
    PutSz("B", u"b");
    Row(kHkcuKey, "B");
    Run();
    EXPECT_EQ(Backup().rfind("REGEDIT4\r\n", 0), 0u) << Backup();
    EXPECT_FALSE(files.FileExists("C:\\sysbackup-2.reg"));
}

TEST_F(RemoveTest, AnUnreadableBackupFileIsNoFileToAppendTo) {
    files.PutFile(kBackupFile, "REGEDIT4\r\n\r\n");
    files.SetReadable(kBackupFile, false);
    PutSz("A", u"a");
    Row(kHkcuKey, "A");
    Run();
    EXPECT_EQ(Backup(), "REGEDIT4\r\n\r\n");
    EXPECT_NE(files.FileBytes(kUserFile).value_or("").find("\"A\"=\"a\""), std::string::npos);
    EXPECT_FALSE(Exists("A"));
}

TEST(BackupFileVariant, NumbersGoBeforeTheExtension) {
    EXPECT_EQ(BackupFileVariant("c:\\sysbackup.reg", 1), "c:\\sysbackup.reg");
    EXPECT_EQ(BackupFileVariant("c:\\sysbackup.reg", 2), "c:\\sysbackup-2.reg");
    EXPECT_EQ(BackupFileVariant("C:\\a.b\\sysbackup", 9), "C:\\a.b\\sysbackup-9");
}

TEST_F(RemoveTest, ALowerCaseRootNameMatchesNoRootAndItsRowStays) {
    PutSz("A", u"a");
    Row("hkey_current_user\\Software\\Keldra Test", "A");
    Row("Software\\Keldra Test", "A");
    Run();
    EXPECT_TRUE(Exists("A"));
    EXPECT_EQ(problems.Count(), 2u);
    EXPECT_FALSE(files.FileExists(kBackupFile)) << "nothing could be read, nothing written";
    EXPECT_EQ(doEvents, 2);
}

TEST_F(RemoveTest, AnEmptyNameStandsForTheDefaultValueWhichIsWrittenAsAnAt) {
    Put(kKey, "", reg_type::kSz, Sz(u"x"));
    PutSz("Other", u"stays");
    Row(kHkcuKey, "", "x");
    Run();
    EXPECT_NE(Backup().find("[HKEY_CURRENT_USER\\Software\\Keldra Test]\r\n@=\"x\"\r\n\r\n"),
              std::string::npos)
        << Backup();
    EXPECT_FALSE(Exists(""));
    EXPECT_TRUE(Exists("Other"));
    EXPECT_TRUE(KeyExists(kKey));
    EXPECT_EQ(problems.Count(), 0u);
}

TEST_F(RemoveTest, AWholeKeyRowDeletesOnlyTheKeysDefaultValueAndOnlyWhenThereIsOne) {
    Put(kKey, "", reg_type::kExpandSz, Sz(u"%WINDIR%\\gone.dll"));
    Put("Software\\Keldra Test\\Sub", "Value", reg_type::kSz, Sz(u"v"));
    Put("Software\\Without Default", "Value", reg_type::kSz, Sz(u"v"));
    Row(kHkcuKey, "", "");
    Row("HKEY_CURRENT_USER\\Software\\Without Default", "", "");
    Run();
    EXPECT_NE(Backup().find("[HKEY_CURRENT_USER\\Software\\Keldra Test]\r\n"
                            "@=hex(2):25,57,49,4e,44,49,52,25,5c,67,6f,6e,65,2e,64,6c,6c,00\r\n"
                            "\r\n"),
              std::string::npos)
        << Backup();
    EXPECT_EQ(Backup().find("Without Default"), std::string::npos) << "no default: no entry";
    EXPECT_FALSE(Exists(""));
    EXPECT_TRUE(KeyExists(kKey));
    EXPECT_TRUE(Exists("Value", "Software\\Keldra Test\\Sub"));
    EXPECT_TRUE(Exists("Value", "Software\\Without Default"));
    ASSERT_EQ(problems.Count(), 1u);
    EXPECT_EQ(problems.rows[0].location, "HKEY_CURRENT_USER\\Software\\Without Default");
}

TEST_F(RemoveTest, TheEntryIsTheValueAsStoredNotTheTextTheRowShows) {
    Put(kKey, "Multi", reg_type::kMultiSz, Sz(std::u16string(u"a\0b\0", 4)));
    Row(kHkcuKey, "Multi", "a");
    Run();
    EXPECT_NE(Backup().find("\"Multi\"=hex(7):61,00,62,00,00\r\n"), std::string::npos) << Backup();
    EXPECT_FALSE(Exists("Multi"));
}

TEST_F(RemoveTest, EachEntryIsOnDiskBeforeItsValueIsDeleted) {
    PutSz("A", u"a");
    PutSz("B", u"b");
    Row(kHkcuKey, "A");
    Row(kHkcuKey, "B");
    std::vector<std::string> seen;
    files.afterAppend = [&](std::string_view) {
        seen.push_back(std::string(Exists("A") ? "A" : "-") + (Exists("B") ? "B" : "-"));
    };
    Run();
    EXPECT_EQ(seen, (std::vector<std::string>{"AB", "-B"}))
        << "at each append the value backed up is still there";
    EXPECT_FALSE(Exists("A"));
    EXPECT_FALSE(Exists("B"));
}

TEST_F(RemoveTest, WithoutRightsToTheRootOfCTheBackupGoesToTheUsersFolder) {
    files.SetWritable("C:\\", false);
    PutSz("A", u"a");
    PutSz("B", u"b");
    Row(kHkcuKey, "A");
    Row(kHkcuKey, "B");
    Run();
    EXPECT_FALSE(files.FileExists(kBackupFile));
    EXPECT_EQ(files.FileBytes(kUserFile),
              std::string("REGEDIT4\r\n\r\n") + kComment +
                  "\r\n[HKEY_CURRENT_USER\\Software\\Keldra Test]\r\n\"A\"=\"a\"\r\n\r\n"
                  "[HKEY_CURRENT_USER\\Software\\Keldra Test]\r\n\"B\"=\"b\"\r\n\r\n");
    EXPECT_FALSE(Exists("A"));
    EXPECT_FALSE(Exists("B"));
    EXPECT_EQ(problems.Count(), 0u);

    // A later repair appends to the same per-user file, without a second header.
    PutSz("C", u"c");
    Row(kHkcuKey, "C");
    Run();
    EXPECT_EQ(files.FileBytes(kUserFile)->find("REGEDIT4", 1), std::string::npos);
    EXPECT_NE(files.FileBytes(kUserFile)->find("\"C\"=\"c\""), std::string::npos);
}

TEST_F(RemoveTest, AnExistingBackupThatIsNotWritableSendsTheRepairToTheUsersFolder) {
    files.PutFile("C:\\sysbackup.reg", "REGEDIT4\r\n\r\n");
    files.SetWritable("C:\\sysbackup.reg", false);
    PutSz("A", u"a");
    Row(kHkcuKey, "A");
    Run();
    EXPECT_EQ(Backup(), "REGEDIT4\r\n\r\n");
    ASSERT_TRUE(files.FileBytes(kUserFile));
    EXPECT_EQ(files.FileBytes(kUserFile)->rfind("REGEDIT4\r\n\r\n", 0), 0u);
    EXPECT_FALSE(Exists("A"));
}

TEST_F(RemoveTest, WhenNoBackupCanBeWrittenNothingIsDeleted) {
    files.SetWritable("C:\\", false);
    files.SetWritable(files.localAppData, false);
    PutSz("A", u"a");
    Put(kKey, "B", reg_type::kDword, Bytes{1, 0, 0, 0});
    Row(kHkcuKey, "A");
    Row(kHkcuKey, "B");
    Run();
    EXPECT_TRUE(Exists("A"));
    EXPECT_TRUE(Exists("B"));
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"A", "B"}));
    EXPECT_FALSE(files.FileExists(kBackupFile));
    EXPECT_FALSE(files.FileExists(kUserFile));
    EXPECT_EQ(doEvents, 2);
}

TEST_F(RemoveTest, TheFileIsChosenOnceAndAFailingWriteKeepsItsValue) {
    PutSz("A", u"a");
    PutSz("B", u"b");
    PutSz("C", u"c");
    Row(kHkcuKey, "A");
    Row(kHkcuKey, "B");
    Row(kHkcuKey, "C");
    // After the first entry the backup file stops taking writes, then takes them again.
    int appends = 0;
    files.afterAppend = [&](std::string_view) {
        if (++appends == 1) {
            files.SetWritable("C:\\sysbackup.reg", false);
        }
    };
    sim.ui.onDoEvents = [&] {
        if (++doEvents == 2) {
            files.SetWritable("C:\\sysbackup.reg", true);
        }
    };
    Run();
    EXPECT_EQ(RowNames(), std::vector<std::string>{"B"});
    EXPECT_TRUE(Exists("B"));
    EXPECT_FALSE(files.FileExists(kUserFile)) << "no switch in the middle of a repair";
    EXPECT_EQ(Backup().find("\"B\""), std::string::npos);
    EXPECT_NE(Backup().find("\"C\"=\"c\""), std::string::npos);
    EXPECT_EQ(Backup().find(kComment), Backup().rfind(kComment)) << "one comment per repair";
}

TEST_F(RemoveTest, ValuesTheBackupCouldNotRestoreExactlyAreNotDeleted) {
    Put(kKey, "Line break", reg_type::kSz, Sz(u"a\r\nb"));
    Put(kKey, "No terminator", reg_type::kSz, text::ToUtf16LeBytes(u"abc"));
    Put(kKey, "Inner NUL", reg_type::kSz, Sz(std::u16string(u"a\0b", 3)));
    Put(kKey, "Outside", reg_type::kSz, Sz(u"\u4E00"));
    Put(kKey, "\xE4\xB8\x80 name", reg_type::kDword, Bytes{1, 0, 0, 0});
    Put(kKey, "Expand", reg_type::kExpandSz, Sz(u"%A%\u0100"));
    Put(kKey, "Multi", reg_type::kMultiSz, Sz(std::u16string(u"\u4E00\0", 2)));
    Put("Software\\Keldra Test\\\xE4\xB8\x80", "In odd key", reg_type::kSz, Sz(u"x"));
    PutSz("Fine", u"fine");
    Row(kHkcuKey, "Line break");
    Row(kHkcuKey, "No terminator");
    Row(kHkcuKey, "Inner NUL");
    Row(kHkcuKey, "Outside");
    Row(kHkcuKey, "\xE4\xB8\x80 name");
    Row(kHkcuKey, "Expand");
    Row(kHkcuKey, "Multi");
    Row(std::string(kHkcuKey) + "\\\xE4\xB8\x80", "In odd key");
    Row(kHkcuKey, "Fine");
    Run();
    EXPECT_EQ(RowNames(),
              (std::vector<std::string>{"Line break", "No terminator", "Inner NUL", "Outside",
                                        "\xE4\xB8\x80 name", "Expand", "Multi", "In odd key"}));
    for (const Problem& row : problems.rows) {
        EXPECT_TRUE(Exists(row.valueName, SplitSubKey(row.location))) << row.valueName;
    }
    EXPECT_FALSE(Exists("Fine"));
    EXPECT_EQ(Backup(), std::string("REGEDIT4\r\n\r\n") + kComment +
                            "\r\n[HKEY_CURRENT_USER\\Software\\Keldra Test]\r\n"
                            "\"Fine\"=\"fine\"\r\n\r\n")
        << "entries only for what was deleted";
}

TEST_F(RemoveTest, AValueThatCannotBeDeletedKeepsItsRowAndItsEntry) {
    PutSz("A", u"a");
    Row(kHkcuKey, "A");
    ASSERT_TRUE(reg.DenyAccess(reg_root::kCurrentUser, kKey, false, true));
    Run();
    EXPECT_TRUE(Exists("A"));
    EXPECT_EQ(problems.Count(), 1u);
    EXPECT_NE(Backup().find("\"A\"=\"a\""), std::string::npos);
    EXPECT_EQ(reg.OpenHandleCount(), 0u) << "every key opened is closed again";
}

TEST_F(RemoveTest, EmptyKeyPathPartsAreLeftOutOfTheKeyLine) {
    PutSz("A", u"a");
    Row("HKEY_CURRENT_USER\\Software\\\\Keldra Test\\", "A");
    Run();
    EXPECT_NE(Backup().find("\r\n[HKEY_CURRENT_USER\\Software\\Keldra Test]\r\n\"A\"=\"a\""),
              std::string::npos)
        << Backup();
    EXPECT_FALSE(Exists("A"));
}

TEST_F(RemoveTest, EventsBetweenRowsMayEmptyTheListAndEndTheRepair) {
    PutSz("A", u"a");
    PutSz("B", u"b");
    Row(kHkcuKey, "A");
    Row(kHkcuKey, "B");
    sim.ui.onDoEvents = [&] {
        ++doEvents;
        problems.Clear();
    };
    Run();
    EXPECT_EQ(doEvents, 1);
    EXPECT_FALSE(Exists("A"));
    EXPECT_TRUE(Exists("B"));
}

}  // namespace
}  // namespace keldra::registry

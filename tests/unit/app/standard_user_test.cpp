// A whole pass and "Fix problems" for a standard user: the machine's keys and the classes
// can be read but not changed, and neither the root of C: nor the Windows folder takes
// files. Nothing valid is listed, what may be deleted is, and the backup goes to the
// user's own folder.

#include <string>
#include <tuple>
#include <vector>

#include "platform/sim/standard_user.h"
#include "platform/text.h"
#include "registry/safe_reg.h"
#include "tests/unit/app/console_fixture.h"

namespace keldra::app::testing {
namespace {

namespace reg_root = platform::reg_root;
namespace reg_type = platform::reg_type;
using platform::RegKey;

constexpr const char* kUserBackup =
    "C:\\Users\\User\\AppData\\Local\\Keldra Maintenance\\sysbackup.reg";

class StandardUser : public ConsoleTest {
  protected:
    StandardUser() {
        settings.SaveSetting("Keldra Maintenance", "Options", "AutoFix", "0");
        settings.SaveSetting("Keldra Maintenance", "Options", "WelcScreen", "1");
        files.AddDrive('C', platform::drive_code::kFixed);
        files.SetSpecialFolder(platform::csidl::kFonts, "C:\\windows\\Fonts");
        for (const char* file :
             {"C:\\windows\\notepad.exe", "C:\\windows\\Fonts\\arial.ttf",
              "C:\\windows\\system32\\shell32.dll", "C:\\Program Files\\App\\app.exe",
              "C:\\Program Files\\App\\server.dll"}) {
            files.AddFile(file);
        }
    }

    void Put(RegKey root, std::string_view path, std::string_view name, std::u16string_view data,
             std::uint32_t type = reg_type::kSz) {
        RegKey key = 0;
        ASSERT_EQ(registry.CreateKey(root, path, key), 0) << path;
        std::vector<std::uint8_t> bytes = text::ToUtf16LeBytes(data);
        bytes.insert(bytes.end(), {0, 0});
        ASSERT_EQ(registry.SetValue(key, name, type, bytes), 0);
        registry.CloseKey(key);
    }
    bool Exists(RegKey root, std::string_view path, std::string_view name) {
        RegKey key = 0;
        if (registry.OpenKey(root, path, key) != 0) {
            return false;
        }
        platform::RegValueInfo info;
        const bool found = registry.QueryValue(key, name, std::nullopt, info) == 0;
        if (key != root) {
            registry.CloseKey(key);
        }
        return found;
    }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (const auto& row : program.problems.rows) {
            rows.push_back(row.location + "|" + row.valueName);
        }
        return rows;
    }
};

TEST_F(StandardUser, APassListsNothingValidAndFixingDeletesWhatItMay) {
    // What a machine holds, all of it valid.
    Put(reg_root::kLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "App",
        u"\"C:\\Program Files\\App\\app.exe\" /background");
    Put(reg_root::kLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
        "Arial (TrueType)", u"arial.ttf");
    Put(reg_root::kLocalMachine, "SOFTWARE\\Classes\\CLSID\\{A1}\\InprocServer32", "",
        u"C:\\Program Files\\App\\server.dll");
    Put(reg_root::kLocalMachine, "SOFTWARE\\Classes\\CLSID\\{A1}\\InprocServer32", "ThreadingModel",
        u"Both");
    Put(reg_root::kLocalMachine, "SOFTWARE\\Classes\\.txt", "", u"txtfile");
    Put(reg_root::kLocalMachine, "SOFTWARE\\Classes\\txtfile\\shell\\open\\command", "",
        u"%SystemRoot%\\notepad.exe %1", reg_type::kExpandSz);
    Put(reg_root::kLocalMachine, "SOFTWARE\\Classes\\.app", "", u"appfile");
    Put(reg_root::kLocalMachine, "SOFTWARE\\Classes\\.app\\DefaultIcon", "",
        u"C:\\windows\\system32\\shell32.dll,-3");
    Put(reg_root::kUsers, ".Default\\Software\\App", "Path", u"C:\\Program Files\\App");
    Put(reg_root::kCurrentUser, "Software\\App", "Exe", u"C:\\Program Files\\App\\app.exe");
    // Dead references: one the user may delete, one the backup cannot hold exactly (a name
    // outside the code page), and machine-wide ones the user cannot change.
    Put(reg_root::kCurrentUser, "Software\\Old", "Exe", u"C:\\gone\\old.exe");
    Put(reg_root::kCurrentUser, "Software\\Odd", "Exe", u"C:\\gone\\\u4E00.exe");
    Put(reg_root::kLocalMachine, "SOFTWARE\\Gone", "Exe", u"C:\\gone\\machine.exe");
    Put(reg_root::kLocalMachine, "SOFTWARE\\Classes\\CLSID\\{A2}\\InprocServer32", "", u"");
    const std::string ini = files.WindowsDirectory() + "\\scanreg.ini";
    textFiles.PutFile(ini, "[ScanReg]\r\nOptimize=0\r\n");
    platform::sim::ApplyStandardUser(registry, textFiles, files.WindowsDirectory());

    ASSERT_EQ(Run(), std::nullopt);
    // Each found by the current-user walk and again by the all-users one; keys the user
    // may not change are not examined at all.
    EXPECT_EQ(Rows(), (std::vector<std::string>{
                          "HKEY_CURRENT_USER\\software\\Odd|Exe",
                          "HKEY_CURRENT_USER\\software\\Old|Exe",
                          "HKEY_USERS\\S-1-5-21-0-0-0-1000\\Software\\Odd|Exe",
                          "HKEY_USERS\\S-1-5-21-0-0-0-1000\\Software\\Old|Exe",
                      }));
    EXPECT_EQ(textFiles.FileBytes(ini), "[ScanReg]\r\nOptimize=0\r\n")
        << "the Windows folder takes no file";

    sim.ui.Post([&] { Control("cmdCorrectProblems").Click(); });
    EXPECT_EQ(Pump(), 0);
    EXPECT_FALSE(Exists(reg_root::kCurrentUser, "Software\\Old", "Exe"));
    EXPECT_TRUE(Exists(reg_root::kCurrentUser, "Software\\Odd", "Exe"));
    EXPECT_EQ(Rows(), (std::vector<std::string>{
                          "HKEY_CURRENT_USER\\software\\Odd|Exe",
                          "HKEY_USERS\\S-1-5-21-0-0-0-1000\\Software\\Odd|Exe",
                          "HKEY_USERS\\S-1-5-21-0-0-0-1000\\Software\\Old|Exe",
                      }))
        << "a row whose value could not be backed up, or was gone already, stays";
    EXPECT_FALSE(textFiles.FileExists(registry::kBackupFile));
    EXPECT_EQ(textFiles.FileBytes(kUserBackup).value_or("").find("REGEDIT4\r\n\r\n"), 0u);
    EXPECT_NE(
        textFiles.FileBytes(kUserBackup)
            .value_or("")
            .find("[HKEY_CURRENT_USER\\software\\Old]\r\n\"Exe\"=\"C:\\\\gone\\\\old.exe\"\r\n"),
        std::string::npos);
    for (const auto& [root, path, name] : std::vector<std::tuple<RegKey, std::string, std::string>>{
             {reg_root::kLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "App"},
             {reg_root::kLocalMachine, "SOFTWARE\\Gone", "Exe"},
             {reg_root::kLocalMachine, "SOFTWARE\\Classes\\CLSID\\{A1}\\InprocServer32", ""},
             {reg_root::kLocalMachine, "SOFTWARE\\Classes\\.txt", ""},
             {reg_root::kLocalMachine, "SOFTWARE\\Classes\\.app", ""},
             {reg_root::kCurrentUser, "Software\\App", "Exe"}}) {
        EXPECT_TRUE(Exists(root, path, name)) << path << " " << name;
    }
}

}  // namespace
}  // namespace keldra::app::testing

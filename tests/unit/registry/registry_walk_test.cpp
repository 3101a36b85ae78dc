// The key walks on a simulated machine where the registry does not hold still or holds
// more than plain keys: enumerations that give no name, keys that can be read but not
// changed, names with blanks, symbolic links; and the repair of what a scan listed.

#include <string>
#include <vector>

#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_text_file.h"
#include "registry/remove.h"
#include "registry/safe_reg.h"
#include "tests/unit/registry/scan_fixture.h"

namespace keldra::registry::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::string_view kServerKey = "software\\classes\\CLSID\\{C1}\\InprocServer32";
constexpr std::string_view kServer = "C:\\Program Files\\App\\server.dll";

class RegistryWalk : public ScanTest {
  protected:
    RegistryWalk() { files.AddFile(kServer); }

    void Repair() { Remove(problems, RepairPorts{registry, textFiles, sim.process, sim.ui}); }
    // The text of a value as stored now; "<none>" when it is gone.
    std::string Value(RegKey root, std::string_view path, std::string_view name) {
        RegKey key = 0;
        if (registry.OpenKey(root, path, key) != 0) {
            return "<none>";
        }
        platform::RegValueInfo info;
        const bool found = registry.QueryValue(key, name, 4096u, info) == 0;
        if (key != root) {
            registry.CloseKey(key);
        }
        if (!found) {
            return "<none>";
        }
        std::u16string units = text::FromUtf16LeBytes(info.data);
        if (!units.empty() && units.back() == u'\0') {
            units.pop_back();
        }
        return text::Utf16ToUtf8(units);
    }
    void Delete(RegKey root, std::string_view path, std::string_view name) {
        RegKey key = 0;
        ASSERT_EQ(registry.OpenKey(root, path, key), 0);
        EXPECT_EQ(registry.DeleteValue(key, name), 0);
        registry.CloseKey(key);
    }

    platform::sim::SimPlatform sim;
    platform::sim::SimTextFiles textFiles;
};

// ---- Enumerations that give no name -----------------------------------------------------

TEST_F(RegistryWalk, AnOverlongValueNameBesideAValidServerIsNoEmptyDefault) {
    // The name does not fit the enumeration's buffer, so no name arrives for it.
    Put(reg_root::kLocalMachine, kServerKey, "", kServer);
    Put(reg_root::kLocalMachine, kServerKey, std::string(300, 'n'), "Apartment");
    Scan().ScanKey("COM");
    EXPECT_THAT(Rows(), IsEmpty());
    Repair();
    EXPECT_EQ(Value(reg_root::kLocalMachine, kServerKey, ""), kServer);
}

TEST_F(RegistryWalk, AValueDeletedWhileTheWalkLetsEventsRunIsNoEmptyDefault) {
    Put(reg_root::kLocalMachine, kServerKey, "", kServer);
    Put(reg_root::kLocalMachine, kServerKey, "ThreadingModel", "Both");
    bool deleted = false;
    onEvent = [&] {
        if (!deleted) {
            deleted = true;
            Delete(reg_root::kLocalMachine, kServerKey, "ThreadingModel");
        }
    };
    Scan().ScanKey("COM");
    EXPECT_TRUE(deleted);
    EXPECT_THAT(Rows(), IsEmpty());
    Repair();
    EXPECT_EQ(Value(reg_root::kLocalMachine, kServerKey, ""), kServer);
}

// ---- Values whose bytes the text does not show --------------------------------------

TEST_F(RegistryWalk, BinaryAndLongNumberDataIsNoEmptyRegistration) {
    const auto putBytes = [&](std::string_view path, std::string_view name, std::uint32_t type,
                              std::vector<std::uint8_t> bytes) {
        RegKey key = 0;
        ASSERT_EQ(registry.CreateKey(reg_root::kLocalMachine, path, key), 0);
        registry.SetValue(key, name, type, bytes);
        registry.CloseKey(key);
    };
    // A class identifier stored as its 16 bytes, a version as a 64-bit number, flags as
    // binary: each holds data, none is an empty registration.
    putBytes("software\\classes\\CLSID\\{C2}\\CLSID", "", reg_type::kBinary,
             std::vector<std::uint8_t>(16, 0xAB));
    putBytes("software\\classes\\TypeLib\\{T1}\\TypeLib", "Version", reg_type::kQword,
             {1, 0, 0, 0, 0, 0, 0, 0});
    putBytes("software\\classes\\CLSID\\{C3}", "InprocServer32", reg_type::kBinary, {1});
    // Values that really hold nothing are empty as before, whatever their type.
    putBytes("software\\classes\\CLSID\\{C4}\\InprocServer32", "", reg_type::kBinary, {});
    Put(reg_root::kLocalMachine, "software\\classes\\TypeLib\\{T2}\\TypeLib", "Help", "");
    Scan().ScanKey("COM");
    EXPECT_THAT(
        Rows(),
        ElementsAre("HKEY_LOCAL_MACHINE\\software\\classes\\CLSID\\{C4}\\InprocServer32|||7|3",
                    "HKEY_LOCAL_MACHINE\\software\\classes\\TypeLib\\{T2}\\TypeLib|Help||1|1"));
}

// ---- Empty extension keys ---------------------------------------------------------------

TEST_F(RegistryWalk, AnExtensionKeyThatCanBeReadButNotChangedIsNotEmpty) {
    Put(reg_root::kClassesRoot, ".ro", "", "rofile");
    Put(reg_root::kClassesRoot, ".ro\\ShellNew", "NullFile", "");
    ASSERT_TRUE(registry.DenyAccess(reg_root::kClassesRoot, ".ro", false, true));
    Scan().ScanKey("IFA");
    EXPECT_THAT(Rows(), IsEmpty());
}

TEST_F(RegistryWalk, OnlyAReadableKeyWithNothingInItIsEmpty) {
    MakeKey(reg_root::kClassesRoot, "lonely");
    MakeKey(reg_root::kClassesRoot, "locked");
    ASSERT_TRUE(registry.DenyAccess(reg_root::kClassesRoot, "locked", true, true));
    Scan().ScanAssocKey(reg_root::kClassesRoot, "lonely");
    Scan().ScanAssocKey(reg_root::kClassesRoot, "locked");
    Scan().ScanAssocKey(reg_root::kClassesRoot, "missing");
    EXPECT_THAT(Rows(), ElementsAre("HKEY_CLASSES_ROOT\\lonely|||12|1"));
}

// ---- Key names as stored ----------------------------------------------------------------

TEST_F(RegistryWalk, AKeyNamedWithALeadingBlankIsWalkedUnderItsOwnName) {
    files.AddFile("C:\\here\\x.exe");
    Put(reg_root::kCurrentUser, "software\\ X", "v", "C:\\gone\\blank.exe");
    Put(reg_root::kCurrentUser, "software\\X", "v", "C:\\here\\x.exe");
    Put(reg_root::kCurrentUser, "software\\Y ", "v", "C:\\gone\\y.exe");
    Put(reg_root::kCurrentUser, "software\\Y", "v", "C:\\gone\\y2.exe");
    Scan().ScanKey("HKCU");
    EXPECT_THAT(Rows(), ElementsAre("HKEY_CURRENT_USER\\software\\ X|v|C:\\gone\\blank.exe|0|1",
                                    "HKEY_CURRENT_USER\\software\\Y|v|C:\\gone\\y2.exe|0|1",
                                    "HKEY_CURRENT_USER\\software\\Y |v|C:\\gone\\y.exe|0|1"));
    Repair();
    EXPECT_THAT(Rows(), IsEmpty());
    EXPECT_EQ(Value(reg_root::kCurrentUser, "software\\ X", "v"), "<none>");
    EXPECT_EQ(Value(reg_root::kCurrentUser, "software\\X", "v"), "C:\\here\\x.exe");
}

TEST_F(RegistryWalk, AKeyNameWithANulIsNotCutToItsNeighboursName) {
    Put(reg_root::kCurrentUser, "software\\X", "v", "C:\\gone\\x.exe");
    Put(reg_root::kCurrentUser, std::string("software\\X\0tail", 15), "v", "C:\\gone\\t.exe");
    Put(reg_root::kClassesRoot, ".aa", "", "aafile");
    Put(reg_root::kClassesRoot, ".aa\\ShellNew", "FileName", "C:\\gone\\aa.txt");
    Put(reg_root::kClassesRoot, std::string(".aa\0b", 5), "", "bfile");
    Scan().ScanKey("HKCU");
    Scan().ScanKey("IFA");
    EXPECT_THAT(Rows(),
                ElementsAre("HKEY_CURRENT_USER\\software\\X|v|C:\\gone\\x.exe|0|1",
                            "HKEY_CLASSES_ROOT\\.aa\\ShellNew|FileName|C:\\gone\\aa.txt|0|1"));
}

TEST_F(RegistryWalk, FileTypeNamesAreNotTrimmedEither) {
    Put(reg_root::kClassesRoot, ".aa", "", "aafile");
    Put(reg_root::kClassesRoot, ".aa\\ShellNew", "FileName", "C:\\gone\\aa.txt");
    Put(reg_root::kClassesRoot, " .aa", "", "blankfile");
    Put(reg_root::kClassesRoot, " .aa\\ShellNew", "FileName", "C:\\gone\\blank.txt");
    Scan().ScanKey("IFA");
    EXPECT_THAT(Rows(),
                ElementsAre("HKEY_CLASSES_ROOT\\.aa\\ShellNew|FileName|C:\\gone\\aa.txt|0|1"));
}

// ---- Symbolic links ---------------------------------------------------------------------

TEST_F(RegistryWalk, ALinkFoundByTheWalkIsNotFollowed) {
    Put(reg_root::kLocalMachine, "SOFTWARE\\Vendor\\V1\\App", "Path", "C:\\gone\\app.exe");
    ASSERT_TRUE(registry.CreateLink(reg_root::kLocalMachine, "SOFTWARE\\Vendor\\Current",
                                    "\\Registry\\Machine\\Software\\Vendor\\V1"));
    // A loop: below the target, a link back to the key above it.
    ASSERT_TRUE(registry.CreateLink(reg_root::kLocalMachine, "SOFTWARE\\Vendor\\V1\\Back",
                                    "\\REGISTRY\\MACHINE\\SOFTWARE\\Vendor"));
    const std::size_t handles = registry.OpenHandleCount();
    Scan().ScanKey("HKLM");
    EXPECT_THAT(
        Rows(),
        ElementsAre("HKEY_LOCAL_MACHINE\\Software\\Vendor\\V1\\App|Path|C:\\gone\\app.exe|0|1"))
        << "each key once, under its own name";
    EXPECT_EQ(registry.OpenHandleCount(), handles);

    // A walk may start at a path through a link, or at a link itself.
    problems.Clear();
    Scan().ScanRegKey(reg_root::kLocalMachine, "SOFTWARE\\Vendor\\Current\\App");
    Scan().ScanRegKey(reg_root::kLocalMachine, "SOFTWARE\\Vendor\\Current");
    EXPECT_THAT(Rows(), ElementsAre("HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Current\\App|Path|"
                                    "C:\\gone\\app.exe|0|1",
                                    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Current\\App|Path|"
                                    "C:\\gone\\app.exe|0|1"));
}

TEST_F(RegistryWalk, TheLinkValueOfALinkKeyIsNoProblem) {
    ASSERT_TRUE(registry.CreateLink(reg_root::kLocalMachine,
                                    "software\\classes\\CLSID\\{C2}\\TypeLib",
                                    "\\Registry\\Machine\\Software\\Classes\\TypeLib\\{none}"));
    ASSERT_TRUE(registry.CreateLink(reg_root::kLocalMachine, "software\\classes\\CLSID\\{C3}",
                                    "\\Registry\\Machine\\Software\\Classes\\CLSID\\{C2}"));
    Scan().ScanKey("COM");
    EXPECT_THAT(Rows(), IsEmpty());
}

// ---- Location states --------------------------------------------------------------------

TEST_F(RegistryWalk, OnlyTheDecimalNumberOneChecksALocation) {
    Put(reg_root::kCurrentUser, "Software\\Ormund Tools\\Regwarden\\Regwarden", "LocState",
        "0x1;1;+1;1e0;0X1;1.;0x1p0; 1 ");
    Scan().LoadLocations();
    std::vector<bool> marks;
    for (const auto& location : Scan().Locations()) {
        marks.push_back(location.checked);
    }
    EXPECT_THAT(marks, ElementsAre(false, true, true, true, false, true, false, true));
}

// ---- Repairing what a scan listed -------------------------------------------------------

TEST_F(RegistryWalk, TheRowsOfAScanAreRepairedAndTheBackupGivesThemBack) {
    const std::string shared = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
    Put(reg_root::kCurrentUser, "software\\App", "Command", "\"C:\\gone\\app.exe\" /s");
    Put(reg_root::kCurrentUser, "software\\App", "Kept", "C:\\here\\kept.exe");
    Put(reg_root::kCurrentUser, "software\\App\\Expand", "Icon", "C:\\gone\\app.ico,0",
        reg_type::kExpandSz);
    files.AddFile("C:\\here\\kept.exe");
    PutDword(reg_root::kLocalMachine, shared, "C:\\gone\\shared.dll", 2);
    Put(reg_root::kLocalMachine, kServerKey, "", "C:\\gone\\server.dll");
    Scan().ScanKey("HKCU");
    Scan().ScanKey("DLL");
    Scan().ScanKey("COM");
    ASSERT_EQ(problems.Count(), 4u);

    Repair();
    EXPECT_THAT(Rows(), IsEmpty());
    EXPECT_EQ(Value(reg_root::kCurrentUser, "software\\App", "Command"), "<none>");
    EXPECT_EQ(Value(reg_root::kCurrentUser, "software\\App\\Expand", "Icon"), "<none>");
    EXPECT_EQ(Value(reg_root::kLocalMachine, shared, "C:\\gone\\shared.dll"), "<none>");
    EXPECT_EQ(Value(reg_root::kLocalMachine, kServerKey, ""), "<none>");
    EXPECT_EQ(Value(reg_root::kCurrentUser, "software\\App", "Kept"), "C:\\here\\kept.exe");
    const std::string backup = textFiles.FileBytes(kBackupFile).value_or("");
    for (const char* entry :
         {"[HKEY_CURRENT_USER\\software\\App]\r\n\"Command\"=\"\\\"C:\\\\gone\\\\app.exe\\\" "
          "/s\"\r\n",
          "[HKEY_CURRENT_USER\\software\\App\\Expand]\r\n\"Icon\"=hex(2):43,3a,5c,67,6f,6e,65,5c,"
          "61,70,70,2e,69,63,6f,2c,30,00\r\n",
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls]\r\n"
          "\"C:\\\\gone\\\\shared.dll\"=dword:00000002\r\n",
          "[HKEY_LOCAL_MACHINE\\software\\classes\\CLSID\\{C1}\\InprocServer32]\r\n"
          "@=\"C:\\\\gone\\\\server.dll\"\r\n"}) {
        EXPECT_NE(backup.find(entry), std::string::npos) << entry << "\nin\n" << backup;
    }
}

}  // namespace
}  // namespace keldra::registry::testing

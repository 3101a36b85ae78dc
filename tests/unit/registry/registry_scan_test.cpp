// The registry stage on a simulated machine: locations, walks, the COM and file-type
// rules, the problem rows and the drive filter.

#include "registry/registry_scan.h"

#include "tests/unit/registry/scan_fixture.h"

namespace keldra::registry::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::string_view kRegwarden = "Software\\Ormund Tools\\Regwarden\\Regwarden";

// ---- Locations -------------------------------------------------------------------------

TEST_F(ScanTest, LocationsInListOrderWithTheirTexts) {
    Scan().LoadLocations();
    const auto& locations = Scan().Locations();
    ASSERT_EQ(locations.size(), 8u);
    std::vector<std::string> keys;
    for (const auto& location : locations) {
        keys.push_back(location.key);
        EXPECT_TRUE(location.checked);
    }
    EXPECT_THAT(keys, ElementsAre("HKCU", "HKU", "HKLM", "DLL", "VDD", "FONT", "IFA", "COM"));
    EXPECT_EQ(locations[4].name, "Vitual Device Derives");
    EXPECT_EQ(locations[0].description, "Stores information about currently loged-in user");
    EXPECT_EQ(locations[7].description, "Find invalid Typelib/CLSID/Interface");
    EXPECT_EQ(Scan().LocationStates(), "1;1;1;1;1;1;1;1");
}

TEST_F(ScanTest, LocStateDecidesCheckMarksOnlyAndIsNeverWritten) {
    // Every location holds a dead reference it alone finds, so each walk shows in the rows.
    Put(reg_root::kCurrentUser, "software\\A", "v", "C:\\gone\\1.exe");
    Put(reg_root::kLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls",
        "C:\\gone\\2.dll", "");
    for (const std::string_view state : {"0;0;0;0;0;0;0;0", "1;1;1", "x;1;1.0;;1;01;1;1"}) {
        Put(reg_root::kCurrentUser, kRegwarden, "LocState", state);
        problems.Clear();
        Scan().FixRegistry();
        std::vector<bool> marks;
        for (const auto& location : Scan().Locations()) {
            marks.push_back(location.checked);
        }
        if (state == "0;0;0;0;0;0;0;0") {
            EXPECT_THAT(marks, ElementsAre(false, false, false, false, false, false, false, false));
        } else if (state == "1;1;1") {
            EXPECT_THAT(marks, ElementsAre(true, true, true, false, false, false, false, false));
        } else {
            EXPECT_THAT(marks, ElementsAre(false, true, true, false, true, true, true, true));
        }
        // HKCU, HKU (the same branch seen from all users) and the shared-library walk.
        EXPECT_EQ(problems.Count(), 3u) << state;
        EXPECT_EQ(mdlRegistry::GetStringValue(registry, reg_root::kCurrentUser, kRegwarden,
                                              "LocState", "?"),
                  state);
    }
}

TEST_F(ScanTest, KeyLocationsKeepTheStartPathsCase) {
    Put(reg_root::kCurrentUser, "Software\\X", "B", "C:\\x.exe");
    Scan().ScanKey("HKCU");
    EXPECT_THAT(Rows(), ElementsAre("HKEY_CURRENT_USER\\software\\X|B|C:\\x.exe|0|1"));
}

TEST_F(ScanTest, RowOfTheSimpleCase) {
    Put(reg_root::kLocalMachine, "SOFTWARE\\A", "B", "C:\\x.exe");
    Scan().ScanKey("HKLM");
    // Below the start path, names are as enumerated.
    EXPECT_THAT(Rows(), ElementsAre("HKEY_LOCAL_MACHINE\\Software\\A|B|C:\\x.exe|0|1"));
    EXPECT_EQ(problems.rows[0].reason, "reason 0");
    EXPECT_EQ(problems.rows[0].attributes, "");
}

TEST_F(ScanTest, TrailingBackslashAndBlankSubkeyNames) {
    Put(reg_root::kCurrentUser, "software\\X", "v", "C:\\gone\\x.exe");
    Put(reg_root::kCurrentUser, "software\\ ", "v", "C:\\gone\\blank.exe");
    Scan().ScanRegKey(reg_root::kCurrentUser, "software\\");
    // A name of one blank is a name like any other.
    EXPECT_THAT(Rows(), ElementsAre("HKEY_CURRENT_USER\\software\\ |v|C:\\gone\\blank.exe|0|1",
                                    "HKEY_CURRENT_USER\\software\\X|v|C:\\gone\\x.exe|0|1"));
}

TEST_F(ScanTest, ClassKeysAreLeftToTheComLocation) {
    const std::string server = "software\\classes\\CLSID\\{1}\\InprocServer32";
    Put(reg_root::kLocalMachine, "SOFTWARE\\Classes\\CLSID\\{1}\\InprocServer32", "",
        "C:\\gone\\server.dll");
    Put(reg_root::kLocalMachine, "Other\\software\\CLASSES\\Y", "v", "C:\\gone\\y.dll");
    Scan().ScanKey("HKLM");
    EXPECT_THAT(Rows(), IsEmpty());
    Scan().ScanKey("COM");
    EXPECT_THAT(Rows(),
                ElementsAre("HKEY_LOCAL_MACHINE\\" + server + "||C:\\gone\\server.dll|0|1"));
    EXPECT_TRUE(IsClassKeyPath("clsid"));
    EXPECT_TRUE(IsClassKeyPath("Interface"));
    EXPECT_FALSE(IsClassKeyPath("CLSID\\{1}"));
}

TEST_F(ScanTest, OverlappingLocationsListAValueTwice) {
    Put(reg_root::kLocalMachine, "SYSTEM\\CurrentControlSet\\Services\\VxD\\Old", "StaticVxD",
        "C:\\gone\\old.vxd");
    Scan().FixRegistry();
    // Each under the path its walk saw: the machine walk as enumerated, the device-driver
    // walk from its start path.
    const std::string rest =
        "\\CurrentControlSet\\Services\\VxD\\Old|StaticVxD|C:\\gone\\old.vxd|0|1";
    EXPECT_THAT(Rows(), ElementsAre("HKEY_LOCAL_MACHINE\\System" + rest,
                                    "HKEY_LOCAL_MACHINE\\SYSTEM" + rest));
}

TEST_F(ScanTest, CancelDuringTheMachineWalkEndsEveryLaterWalk) {
    for (int i = 0; i < 5; ++i) {
        Put(reg_root::kLocalMachine, "SOFTWARE\\K" + std::to_string(i), "v", "C:\\gone\\x.exe");
    }
    // Dead references for every later location.
    Put(reg_root::kLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls",
        "C:\\gone\\2.dll", "");
    Put(reg_root::kLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts", "F",
        "gone.ttf");
    Put(reg_root::kLocalMachine, "software\\classes\\CLSID\\{2}\\InprocServer32", "", "");
    Put(reg_root::kClassesRoot, ".zz", "", "zzfile");
    Put(reg_root::kClassesRoot, ".zz\\Shell", "v", "C:\\gone\\zz.exe");
    onEvent = [this] {
        if (problems.Count() == 2) {
            cancelled = true;
        }
    };
    const std::size_t handles = registry.OpenHandleCount();
    Scan().FixRegistry();
    EXPECT_EQ(problems.Count(), 2u);
    EXPECT_EQ(registry.OpenHandleCount(), handles);
    for (const auto& row : problems.rows) {
        EXPECT_TRUE(row.location.starts_with("HKEY_LOCAL_MACHINE\\Software\\K")) << row.location;
    }
}

TEST_F(ScanTest, EveryKeyIsClosedAfterAFullScan) {
    Put(reg_root::kLocalMachine, "SOFTWARE\\A\\B\\C", "v", "C:\\gone\\x.exe");
    Put(reg_root::kLocalMachine, "software\\classes\\TypeLib\\{9}\\1.0", "", "");
    Put(reg_root::kClassesRoot, ".aa", "", "aafile");
    const std::size_t handles = registry.OpenHandleCount();
    Scan().FixRegistry();
    EXPECT_EQ(registry.OpenHandleCount(), handles);
    EXPECT_EQ(problems.Count(), 1u);
}

TEST_F(ScanTest, UnreadableKeysYieldNothing) {
    Put(reg_root::kLocalMachine, "SOFTWARE\\Locked", "v", "C:\\gone\\x.exe");
    Put(reg_root::kLocalMachine, "SOFTWARE\\Open", "v", "C:\\gone\\y.exe");
    registry.DenyAccess(reg_root::kLocalMachine, "SOFTWARE\\Locked", false, true);
    Scan().ScanKey("HKLM");
    EXPECT_THAT(Rows(), ElementsAre("HKEY_LOCAL_MACHINE\\Software\\Open|v|C:\\gone\\y.exe|0|1"));
}

// ---- Value tests of the file-reference walks --------------------------------------------

TEST_F(ScanTest, WalksLookOnlyAtDrivesAToP) {
    files.AddDrive('P', drive_code::kFixed);
    files.AddDrive('Q', drive_code::kFixed);
    Put(reg_root::kCurrentUser, "software\\A", "p", "P:\\gone\\x.exe");
    Put(reg_root::kCurrentUser, "software\\A", "q", "Q:\\gone\\x.exe");
    Put(reg_root::kCurrentUser, "software\\A", "t", "text without a path");
    Put(reg_root::kCurrentUser, "software\\A", "u", "\"c:\\gone\\x.exe\" /s");
    PutDword(reg_root::kCurrentUser, "software\\A", "n", 7);
    Scan().ScanKey("HKCU");
    EXPECT_THAT(Rows(), ElementsAre("HKEY_CURRENT_USER\\software\\A|p|P:\\gone\\x.exe|0|1",
                                    "HKEY_CURRENT_USER\\software\\A|u|\"c:\\gone\\x.exe\" /s|0|1"));
}

TEST_F(ScanTest, SharedLibraryCountersNameTheirFiles) {
    const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
    files.AddDrive('Q', drive_code::kFixed);
    files.AddFile("C:\\WINDOWS\\system32\\here.dll");
    PutDword(reg_root::kLocalMachine, key, "C:\\WINDOWS\\system32\\here.dll", 1);
    PutDword(reg_root::kLocalMachine, key, "C:\\gone\\gone.dll", 3);
    PutDword(reg_root::kLocalMachine, key, "Q:\\gone\\q.dll", 2);
    PutDword(reg_root::kLocalMachine, key, " ", 2);
    Scan().ScanKey("DLL");
    // No drive pre-test here: Q: is judged by the check itself.
    EXPECT_THAT(Rows(), ElementsAre("HKEY_LOCAL_MACHINE\\" + key + "|C:\\gone\\gone.dll|3|10|4",
                                    "HKEY_LOCAL_MACHINE\\" + key + "|Q:\\gone\\q.dll|2|10|4"));
}

TEST_F(ScanTest, FontsAreLookedUpInTheFontsFolder) {
    const std::string key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    files.AddFile("C:\\WINDOWS\\Fonts\\arial.ttf");
    Put(reg_root::kLocalMachine, key, "Arial", "arial.ttf");
    Put(reg_root::kLocalMachine, key, "Gone", "gone.ttf");
    Put(reg_root::kLocalMachine, key, "Empty", "");
    Scan().ScanKey("FONT");
    EXPECT_THAT(Rows(), ElementsAre("HKEY_LOCAL_MACHINE\\" + key + "|Gone|gone.ttf|11|1"));
}

TEST_F(ScanTest, FontEntriesWithAFullPath) {
    const std::string key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    files.AddFile("D:\\Fonts2\\here.ttf");
    Put(reg_root::kLocalMachine, key, "Here", "D:\\Fonts2\\here.ttf");
    Put(reg_root::kLocalMachine, key, "Gone", "D:\\Fonts2\\gone.ttf");
    Put(reg_root::kLocalMachine, key, "Nt", "\\??\\D:\\Fonts2\\here.ttf");
    // Wine keeps its own fonts outside any drive: such a host path cannot be judged.
    Put(reg_root::kLocalMachine, key, "Host", "\\??\\unix\\usr\\share\\fonts\\x.ttf");
    Scan().ScanKey("FONT");
    EXPECT_THAT(Rows(),
                ElementsAre("HKEY_LOCAL_MACHINE\\" + key + "|Gone|D:\\Fonts2\\gone.ttf|11|1"));
}

TEST_F(ScanTest, ReferencesOnDrivesThatAreNotHereNow) {
    files.AddDrive('F', drive_code::kRemovable);
    files.AddDrive('G', drive_code::kFixed).ready = false;
    Put(reg_root::kCurrentUser, "software\\A", "removable", "F:\\App\\app.exe /s");
    Put(reg_root::kCurrentUser, "software\\A", "quoted", "\"F:\\App\\app.exe\" /s");
    Put(reg_root::kCurrentUser, "software\\A", "absent", "K:\\Games\\game.exe");
    Put(reg_root::kCurrentUser, "software\\A", "noMedium", "G:\\x.exe");
    Put(reg_root::kCurrentUser, "software\\A", "fixed", "D:\\gone\\x.exe");
    Scan().ScanKey("HKCU");
    EXPECT_THAT(Rows(), ElementsAre("HKEY_CURRENT_USER\\software\\A|fixed|D:\\gone\\x.exe|0|1"));
}

// ---- COM registrations ------------------------------------------------------------------

class ComTest : public ScanTest {
  protected:
    static constexpr std::string_view kClass = "software\\classes\\CLSID\\{C1}";
    void Com(std::string_view sub, std::string_view name, std::string_view data) {
        std::string path(kClass);
        if (!sub.empty()) {
            path += "\\" + std::string(sub);
        }
        Put(reg_root::kLocalMachine, path, name, data);
    }
    std::vector<std::string> ComRows() {
        Scan().ScanKey("COM");
        return Rows();
    }
    static std::string At(std::string_view sub) {
        return "HKEY_LOCAL_MACHINE\\" + std::string(kClass) + (sub.empty() ? "" : "\\") +
               std::string(sub);
    }
};

TEST_F(ComTest, ServerPathsAreFileReferences) {
    Com("InprocServer32", "", "C:\\gone\\server.dll");
    Com("LocalServer32", "", "Q:\\gone\\server.exe");
    Com("InprocServer32", "ThreadingModel", "Apartment");
    EXPECT_THAT(ComRows(), ElementsAre(At("InprocServer32") + "||C:\\gone\\server.dll|0|1"));
}

TEST_F(ComTest, TypeLibReferences) {
    Put(reg_root::kClassesRoot, "TypeLib\\{T1}", "", "");
    Com("TypeLib", "", "{T1}");
    Com("Sub1\\TypeLib", "", "{T2}");
    Com("Sub2\\TypeLib", "", "T2");  // not braced: not looked up
    Com("Sub3\\TypeLib", "x", "");   // any empty value of a TYPELIB key
    Com("Sub4", "TypeLib", "T3");    // a value named TypeLib: looked up unbraced
    EXPECT_THAT(ComRows(),
                ElementsAre(At("Sub1\\TypeLib") + "||{T2}|2|1", At("Sub3\\TypeLib") + "|x||1|1",
                            At("Sub4") + "|TypeLib|T3|2|1"));
}

TEST_F(ComTest, ClassAndProgIdReferences) {
    Put(reg_root::kClassesRoot, "CLSID\\{C9}", "", "");
    Put(reg_root::kClassesRoot, "Good.Prog", "", "");
    Com("A\\CLSID", "", "{C9}");
    Com("B\\CLSID", "", "{C8}");
    Com("C\\CLSID", "", "");
    Com("ProgID", "", "Good.Prog");
    Com("D\\ProgID", "", "Gone.Prog");
    Com("VersionIndependentProgID", "", "Gone.Prog");
    Com("E\\VersionIndependentProgID", "", "");
    Com("F", "clsid", "");
    Com("G", "ProgId", "Gone.Other");
    EXPECT_THAT(ComRows(),
                ElementsAre(At("B\\CLSID") + "||{C8}|4|1", At("C\\CLSID") + "|||3|1",
                            At("D\\ProgID") + "||Gone.Prog|6|1",
                            At("E\\VersionIndependentProgID") + "|||5|1", At("F") + "|clsid||3|1",
                            At("G") + "|ProgId|Gone.Other|6|1"));
}

TEST_F(ComTest, EmptyServers) {
    Com("InprocServer32", "", "");
    Com("A\\InprocServer", "", "");
    Com("B\\InprocServer32", "", "server.dll");  // a bare name: no row
    Com("C", "inPROCserver32", "");
    Com("D", "InprocServer", "");
    EXPECT_THAT(ComRows(),
                ElementsAre(At("A\\InprocServer") + "|||8|1", At("C") + "|inPROCserver32||7|1",
                            At("D") + "|InprocServer||8|1", At("InprocServer32") + "|||7|1"));
}

TEST_F(ComTest, StartKeysInOrderAndTheirCase) {
    Put(reg_root::kLocalMachine, "SOFTWARE\\Classes\\Interface\\{I}\\TypeLib", "", "{none}");
    Put(reg_root::kLocalMachine, "SOFTWARE\\Classes\\TypeLib\\{L}\\1.0\\0\\win32", "",
        "C:\\gone\\lib.tlb");
    Com("InprocServer32", "", "");
    EXPECT_THAT(ComRows(),
                ElementsAre(At("InprocServer32") + "|||7|1",
                            "HKEY_LOCAL_MACHINE\\software\\classes\\TypeLib\\{L}\\1.0\\0\\win32||"
                            "C:\\gone\\lib.tlb|0|1",
                            "HKEY_LOCAL_MACHINE\\software\\classes\\interface\\{I}\\TypeLib||{none}"
                            "|2|1"));
}

// ---- File types -------------------------------------------------------------------------

TEST_F(ScanTest, ExtensionsThatNameAClassAreExamined) {
    Put(reg_root::kClassesRoot, ".aa", "", "aafile");
    Put(reg_root::kClassesRoot, ".aa\\ShellNew", "FileName", "C:\\gone\\template.aa");
    Put(reg_root::kClassesRoot, ".bb", "", "");
    Put(reg_root::kClassesRoot, ".bb\\ShellNew", "FileName", "C:\\gone\\template.bb");
    Put(reg_root::kClassesRoot, "aafile\\shell\\open\\command", "", "C:\\gone\\aa.exe");
    Put(reg_root::kClassesRoot, ".cc", "", "ccfile");
    Scan().ScanKey("IFA");
    EXPECT_THAT(Rows(), ElementsAre("HKEY_CLASSES_ROOT\\.aa\\ShellNew|FileName|"
                                    "C:\\gone\\template.aa|0|1"));
}

TEST_F(ScanTest, EmptyAssociationKeyDirectlyUnderTheRoot) {
    MakeKey(reg_root::kClassesRoot, "lonely");
    Scan().ScanAssocKey(reg_root::kClassesRoot, "lonely");
    Scan().ScanAssocKey(reg_root::kClassesRoot, "missing");
    EXPECT_THAT(Rows(), ElementsAre("HKEY_CLASSES_ROOT\\lonely|||12|1"))
        << "a key that is not there is no empty key";
}

// ---- Drive filter and root names ---------------------------------------------------------

TEST_F(ScanTest, NetworkAndCdRomReferencesAreNotListed) {
    Put(reg_root::kCurrentUser, "software\\A", "1", "E:\\setup\\x.exe");
    Put(reg_root::kCurrentUser, "software\\A", "2", "e:\\setup\\x.exe");
    Put(reg_root::kCurrentUser, "software\\A", "3", "N:\\share\\x.exe");
    Put(reg_root::kCurrentUser, "software\\A", "5", "D:\\gone\\x.exe");
    Put(reg_root::kCurrentUser, "software\\A", "6", "\"E:\\setup\\x.exe\"");
    Scan().ScanKey("HKCU");
    // The quoted one too, though the row filter reads only a text that begins with a drive.
    EXPECT_THAT(Rows(), ElementsAre("HKEY_CURRENT_USER\\software\\A|5|D:\\gone\\x.exe|0|1"));
}

TEST_F(ScanTest, OnlyDriveRootsAreFiltered) {
    // A UNC path has no drive root; neither has a reference that does not begin with one.
    Scan().AddtoList(reg_root::kUsers, "K", "a", "\\\\server\\share\\x.exe;N:\\y", 1, 0);
    Scan().AddtoList(reg_root::kUsers, "K", "b", "x N:\\y", 1, 0);
    Scan().AddtoList(reg_root::kUsers, "K", "c", "", 1, 3);
    Scan().AddtoList(reg_root::kUsers, "K", "d", "n:\\y", 1, 0);
    Scan().AddtoList(reg_root::kUsers, "K", "e", "Z:\\y", 1, 0);
    EXPECT_THAT(Rows(), ElementsAre("HKEY_USERS\\K|a|\\\\server\\share\\x.exe;N:\\y|0|1",
                                    "HKEY_USERS\\K|b|x N:\\y|0|1", "HKEY_USERS\\K|c||3|1",
                                    "HKEY_USERS\\K|e|Z:\\y|0|1"));
}

TEST(ProblemRows, RootNamesAndDriveRoots) {
    EXPECT_EQ(HkeyText(reg_root::kClassesRoot), "HKEY_CLASSES_ROOT");
    EXPECT_EQ(HkeyText(reg_root::kDynData), "HKEY_DYN_DATA");
    EXPECT_EQ(HkeyText(reg_root::kDynData + 1), "");
    EXPECT_EQ(HkeyText(0), "");
    EXPECT_EQ(DriveRootOf("c:\\x"), "c:\\");
    EXPECT_EQ(DriveRootOf("\\\\server\\share"), "");
    EXPECT_EQ(DriveRootOf("\"C:\\x\""), "");
}

TEST_F(ScanTest, ReasonsComeFromTheCaptionLookup) {
    Put(reg_root::kCurrentUser, "software\\A", "v", "C:\\gone\\x.exe");
    RegistryScan silent({registry, files, nullptr, nullptr}, cancelled, problems);
    silent.ScanKey("HKCU");
    ASSERT_EQ(problems.Count(), 1u);
    EXPECT_EQ(problems.rows[0].reason, "");
}

}  // namespace
}  // namespace keldra::registry::testing

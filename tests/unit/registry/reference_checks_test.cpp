// How a registry text is judged: the readings of CheckValid, the system folders, the
// remembered answers and the 32-bit system folder.

#include "registry/reference_checks.h"

#include "tests/unit/registry/scan_fixture.h"

namespace keldra::registry::testing {
namespace {

class CheckValidTest : public ScanTest {
  protected:
    CheckValidTest() {
        files.AddFolder("C:\\Program Files\\App");
        files.AddFile("C:\\Program Files\\App\\app.exe");
        files.AddFile("C:\\WINDOWS\\system32\\shell32.dll");
        files.AddFile("C:\\WINDOWS\\notepad.exe");
        files.AddFile("C:\\WINDOWS\\x.dll");
    }
    bool Valid(std::string_view text) {
        checks.Forget();
        return checks.CheckValid(std::string(text));
    }
    ReferenceChecks checks{files};
};

TEST_F(CheckValidTest, ExistingFileOrFolderIsValidAtOnce) {
    EXPECT_TRUE(Valid("C:\\Program Files\\App"));
    EXPECT_TRUE(Valid("C:\\Program Files\\App\\app.exe"));
    EXPECT_TRUE(Valid("c:\\program files\\app\\APP.EXE"));
    EXPECT_FALSE(Valid("C:\\Program Files\\App\\gone.exe"));
}

TEST_F(CheckValidTest, QuotedCommandWithSwitchIsJudgedByItsProgram) {
    EXPECT_TRUE(Valid("\"C:\\Program Files\\App\\app.exe\" /s"));
    EXPECT_FALSE(Valid("\"C:\\Program Files\\App\\gone.exe\" /s"));
    EXPECT_TRUE(Valid("\"C:\\Program Files\\App\\app.exe\" -embedding"));
    EXPECT_FALSE(Valid("\"C:\\Program Files\\App\\gone.exe\" -embedding"));
}

TEST_F(CheckValidTest, TextsOutsideDrivesAToTAreValid) {
    files.AddDrive('T', drive_code::kFixed);
    files.AddDrive('Q', drive_code::kFixed);
    // No drive: the first letter decides whether it is looked at further.
    EXPECT_TRUE(Valid("wscript.exe //B gone.vbs"));
    EXPECT_TRUE(Valid("U:\\gone\\x.exe"));
    EXPECT_TRUE(Valid("Z:\\gone\\x.exe"));
    EXPECT_FALSE(Valid("T:\\gone\\x.exe"));
    EXPECT_FALSE(Valid("q:\\gone\\x.exe"));
    // Lower-case rundll32 stays and begins inside the set: it goes on to the lookups.
    EXPECT_FALSE(Valid("rundll32.exe gone.dll,Entry"));
    files.AddFile("C:\\WINDOWS\\system32\\rundll32.exe");
    EXPECT_TRUE(Valid("rundll32.exe gone.dll,Entry"));
    EXPECT_TRUE(Valid("Rundll32 C:\\WINDOWS\\x.dll,Entry"));
    EXPECT_FALSE(Valid("RunDll32 C:\\WINDOWS\\gone.dll,Entry"));
}

TEST_F(CheckValidTest, SystemRootOnlyInCapitals) {
    EXPECT_TRUE(Valid("C:\\Program Files\\App\\app.exe %SYSTEMROOT%\\notepad.exe"));
    EXPECT_FALSE(Valid("C:\\Program Files\\App\\app.exe %SYSTEMROOT%\\gone.exe"));
    // Mixed case is not replaced: the text is cut at the percent sign, and only the
    // first path is looked at.
    EXPECT_TRUE(Valid("C:\\Program Files\\App\\app.exe %SystemRoot%\\gone.exe"));
    EXPECT_FALSE(Valid("C:\\gone\\app.exe %SystemRoot%\\notepad.exe"));
    // Without a drive path first, the percent sign is outside the checked letters.
    EXPECT_TRUE(Valid("%SYSTEMROOT%\\gone.exe"));
}

TEST_F(CheckValidTest, EntryPointsAndIconIndexesAreCutOff) {
    EXPECT_TRUE(Valid("C:\\WINDOWS\\x.dll,DllEntry"));
    EXPECT_TRUE(Valid("C:\\WINDOWS\\x.dll,-101"));
    EXPECT_FALSE(Valid("C:\\WINDOWS\\gone.dll,-101"));
    EXPECT_TRUE(Valid("C:\\WINDOWS\\x.dll;other"));
    EXPECT_TRUE(Valid("@C:\\WINDOWS\\x.dll"));
}

TEST_F(CheckValidTest, BareNamesAreFoundInTheWindowsFolders) {
    EXPECT_TRUE(Valid("notepad.exe"));
    EXPECT_TRUE(Valid("shell32.dll"));
    EXPECT_FALSE(Valid("gone.dll"));
    // Through the three-letter extension, whatever follows.
    EXPECT_TRUE(Valid("notepad.exeXYZ"));
}

TEST_F(CheckValidTest, TwoPathsNeedBoth) {
    EXPECT_TRUE(Valid("C:\\Program Files\\App\\app.exe C:\\WINDOWS\\x.dll"));
    EXPECT_FALSE(Valid("C:\\Program Files\\App\\app.exe C:\\gone\\y.txt"));
    EXPECT_FALSE(Valid("C:\\gone\\app.exe C:\\WINDOWS\\x.dll"));
    // A first part without a dot counts as valid by itself.
    EXPECT_TRUE(Valid("C:\\gone\\app C:\\WINDOWS\\x.dll"));
    EXPECT_FALSE(Valid("C:\\gone\\app C:\\gone\\y.txt"));
}

TEST_F(CheckValidTest, FoldersThatCannotBeAskedCountAsPresent) {
    files.AddFolder("D:\\locked");
    files.FailOn("D:\\locked", SimOp::Query, platform::file_status::kAccessDenied);
    files.FailOn("D:\\offline\\x.exe", SimOp::Query, platform::file_status::kNotReady);
    EXPECT_TRUE(Valid("D:\\offline\\x.exe"));
    EXPECT_TRUE(Valid("D:\\locked"));
    EXPECT_TRUE(Valid(""));
}

TEST_F(CheckValidTest, SystemFolderOf32BitProgramsCounts) {
    files.AddFile("C:\\WINDOWS\\SysWOW64\\old32.dll");
    EXPECT_TRUE(Valid("C:\\WINDOWS\\System32\\old32.dll"));
    EXPECT_TRUE(Valid("c:\\windows\\system32\\OLD32.DLL"));
    EXPECT_TRUE(Valid("old32.dll"));
    EXPECT_FALSE(Valid("C:\\WINDOWS\\System32\\gone32.dll"));
    // Only the system folder has a twin.
    files.AddFile("C:\\Other\\SysWOW64\\y.dll");
    EXPECT_FALSE(Valid("C:\\Other\\System32\\y.dll"));
}

TEST_F(CheckValidTest, NamesOutsideTheAnsiCodePage) {
    files.AddFile("C:\\Програмы\\файл.exe");
    EXPECT_TRUE(Valid("\"C:\\програмы\\ФАЙЛ.exe\" /x"));
    EXPECT_FALSE(Valid("C:\\Програмы\\нет.exe"));
}

// ---- Readings of each path on its own --------------------------------------------------

TEST_F(CheckValidTest, PathsEndAtCharactersNoPathHolds) {
    files.AddFolder("C:\\Users\\ann\\Desktop");
    files.AddFolder("C:\\Program Files\\WindowsApps\\Pkg_1.2.3.0_x64__abc");
    files.AddFile("C:\\WINDOWS\\system32\\wwahost.exe");
    EXPECT_TRUE(Valid("v2.10|Action=Allow|Dir=In|App=C:\\Program Files\\App\\app.exe|Name=App|"));
    EXPECT_FALSE(Valid("v2.10|Action=Allow|Dir=In|App=C:\\Program Files\\App\\gone.exe|Name=A|"));
    EXPECT_TRUE(
        Valid("A=1|B=C:\\WINDOWS\\system32\\wwahost.exe|C=x|"
              "D=C:\\Program Files\\WindowsApps\\Pkg_1.2.3.0_x64__abc\\|E=2"));
    EXPECT_TRUE(
        Valid("A=1|B=C:\\gone\\wwahost.exe|C=x|"
              "D=C:\\Program Files\\WindowsApps\\Pkg_1.2.3.0_x64__abc\\|E=2"));
    EXPECT_FALSE(
        Valid("A=1|B=C:\\gone\\wwahost.exe|C=x|D=C:\\Program Files\\WindowsApps\\"
              "Pkg_9.9.9.9_x64__abc\\|E=2"));
    EXPECT_TRUE(Valid("C:\\Users\\ann\\Desktop|0"));
    EXPECT_FALSE(Valid("C:\\Users\\ann\\Gone|0"));
    EXPECT_TRUE(Valid(std::string("C:\\Users\\ann\\Desktop\x01rest")));
    EXPECT_TRUE(Valid("<p>C:\\Users\\ann\\Desktop</p>"));
}

TEST_F(CheckValidTest, NamesWithSeparatorsInside) {
    files.AddFile("C:\\Users\\ann\\Desktop\\Martin - notes.SLDPRT");
    files.AddFile("C:\\Program Files\\Tool - Beta\\app.exe");
    files.AddFile("C:\\Program Files\\Foo, Inc\\foo.exe");
    files.AddFile("C:\\Users\\me@corp\\x.exe");
    files.AddFolder("C:\\Users\\me");
    files.AddFile("C:\\Users\\ann\\100% sure; really.txt");
    files.AddFolder("C:\\Data");
    files.AddFolder("C:\\kacc");
    EXPECT_TRUE(Valid("C:\\Users\\ann\\Desktop\\Martin - notes.SLDPRT"));
    EXPECT_TRUE(Valid("\"C:\\Program Files\\Tool - Beta\\app.exe\" /s"));
    EXPECT_TRUE(Valid("C:\\Program Files\\Foo, Inc\\foo.exe"));
    EXPECT_TRUE(Valid("C:\\Users\\me@corp\\x.exe"));
    EXPECT_TRUE(Valid("C:\\Users\\ann\\100% sure; really.txt"));
    EXPECT_TRUE(Valid("C:\\Data\\ /s"));
    // A folder counts only where the reference ends, never on the way to a deeper name.
    EXPECT_FALSE(Valid("\"C:\\Program Files\\Tool - Beta\\gone.exe\" /s"));
    EXPECT_FALSE(Valid("C:\\Program Files\\Foo, Inc\\gone.exe"));
    EXPECT_FALSE(Valid("C:\\Program Files\\Gone App\\app.exe"));
    EXPECT_FALSE(Valid("C:\\kacc\\gone.exe /s"));
    EXPECT_FALSE(Valid("C:\\Users\\me@corp\\gone.exe"));
}

TEST_F(CheckValidTest, SecondPathsWithSeparatorsInside) {
    files.AddFile("C:\\WINDOWS\\system32\\rundll32.exe");
    files.AddFile("C:\\Program Files\\Foo, Inc\\helper.dll");
    files.AddFile("C:\\Docs\\Report - Q3, final.docx");
    EXPECT_TRUE(
        Valid("C:\\WINDOWS\\system32\\rundll32.exe C:\\Program Files\\Foo, Inc\\helper.dll,Go"));
    EXPECT_TRUE(Valid("C:\\WINDOWS\\notepad.exe C:\\Docs\\Report - Q3, final.docx"));
    EXPECT_TRUE(Valid("\"C:\\WINDOWS\\notepad.exe\" \"C:\\Docs\\Report - Q3, final.docx\""));
    // Both must be there, as for any two paths, quoted or not.
    EXPECT_FALSE(Valid("C:\\WINDOWS\\gone.exe C:\\Docs\\Report - Q3, final.docx"));
    EXPECT_FALSE(Valid("C:\\WINDOWS\\notepad.exe C:\\Docs\\Report - Q4, final.docx"));
    EXPECT_FALSE(Valid("\"C:\\WINDOWS\\notepad.exe\" \"C:\\Docs\\Report - Q4, final.docx\""));
    EXPECT_FALSE(Valid("\"C:\\WINDOWS\\gone.exe\" \"C:\\Docs\\Report - Q3, final.docx\""));
}

TEST_F(CheckValidTest, DotsInFolderNames) {
    files.AddFile("C:\\WINDOWS\\Microsoft.NET\\Framework\\v4.0.30319\\mscorsvw.exe");
    EXPECT_TRUE(Valid("C:\\WINDOWS\\Microsoft.NET\\Framework\\v4.0.30319\\mscorsvw.exe arg"));
    EXPECT_TRUE(Valid("\"C:\\WINDOWS\\Microsoft.NET\\Framework\\v4.0.30319\\mscorsvw.exe\" a"));
    EXPECT_FALSE(Valid("C:\\WINDOWS\\Microsoft.NET\\Framework\\v9.9\\mscorsvw.exe arg"));
}

TEST_F(CheckValidTest, PathsAfterText) {
    files.AddFile("C:\\Users\\ann\\x.doc");
    files.AddFile("C:\\Program Files\\Foo, Inc\\x.exe");
    files.AddFile("C:\\WINDOWS\\Microsoft.NET\\x.dll");
    files.AddFile("C:\\Program Files\\Kc.v2\\app.exe");
    EXPECT_TRUE(Valid("2,3,-1,-1,0,22,1519,892,C:\\Users\\ann\\x.doc"));
    EXPECT_TRUE(Valid("cmd.exe /c del /q \"C:\\Program Files\\Foo, Inc\\x.exe\""));
    EXPECT_TRUE(Valid("file:///C:\\Users\\ann\\x.doc"));
    EXPECT_TRUE(Valid("res://C:\\WINDOWS\\Microsoft.NET\\x.dll/#2/101"));
    EXPECT_TRUE(Valid("<c>&apos;C:\\Program Files\\Kc.v2\\app.exe&apos; /x</c>"));
    EXPECT_FALSE(Valid("<c>&apos;C:\\Program Files\\Kc.v2\\gone.exe&apos; /x</c>"));
    EXPECT_FALSE(Valid("cmd.exe /c del /q \"C:\\Program Files\\Foo, Inc\\gone.exe\""));
    EXPECT_FALSE(Valid("res://C:\\WINDOWS\\Microsoft.NET\\gone.dll/#2/101"));
}

TEST_F(CheckValidTest, SystemRootWithTheSystemFolderOf32BitPrograms) {
    files.AddFile("C:\\WINDOWS\\SysWOW64\\old32.dll");
    files.AddFile("C:\\WINDOWS\\system32\\rundll32.exe");
    // Putting the Windows folder in for %SYSTEMROOT% doubles the backslash.
    EXPECT_TRUE(Valid("C:\\WINDOWS\\system32\\rundll32.exe %SYSTEMROOT%\\System32\\old32.dll,E"));
    EXPECT_FALSE(Valid("C:\\WINDOWS\\system32\\rundll32.exe %SYSTEMROOT%\\System32\\gone32.dll,E"));
    EXPECT_TRUE(Valid("C:/WINDOWS/System32/old32.dll"));
    EXPECT_TRUE(Valid("C:\\WINDOWS\\\\System32\\\\old32.dll"));
    EXPECT_FALSE(Valid("C:/WINDOWS/System32/gone32.dll"));
}

TEST_F(CheckValidTest, WildcardsNameTheFolderHoldingThem) {
    files.AddFolder("C:\\ProgramData\\App");
    EXPECT_TRUE(Valid("C:\\ProgramData\\App\\*.* /s"));
    EXPECT_TRUE(Valid("C:\\ProgramData\\App\\*.log"));
    EXPECT_FALSE(Valid("C:\\ProgramData\\Gone\\*.* /s"));
}

TEST_F(CheckValidTest, NtAndLongPathPrefixes) {
    EXPECT_TRUE(Valid("\\\\?\\C:\\Program Files\\App\\app.exe"));
    EXPECT_TRUE(Valid("\\??\\C:\\Program Files\\App\\app.exe"));
    EXPECT_FALSE(Valid("\\??\\C:\\Program Files\\App\\gone.exe"));
    EXPECT_FALSE(Valid("C:\\WINDOWS\\Fonts\\\\??\\C:\\gone\\x.ttf"));
    // A host path or a share cannot be judged here.
    EXPECT_TRUE(Valid("C:\\WINDOWS\\Fonts\\\\??\\unix\\usr\\share\\fonts\\x.ttf"));
    EXPECT_TRUE(Valid("\\??\\UNC\\server\\share\\x.ttf"));
}

TEST_F(CheckValidTest, DrivesThatAreNotHereNowAreNotJudged) {
    files.AddDrive('F', drive_code::kRemovable);
    files.AddDrive('G', drive_code::kFixed).ready = false;
    EXPECT_TRUE(Valid("F:\\Photos\\gone.jpg"));
    EXPECT_TRUE(Valid("\"f:\\App\\gone.exe\" /s"));
    EXPECT_TRUE(Valid("G:\\gone.exe"));
    EXPECT_TRUE(Valid("K:\\absent\\gone.exe"));
    EXPECT_TRUE(Valid("\"E:\\setup\\gone.exe\""));
    EXPECT_TRUE(Valid("C:\\gone\\app.exe K:\\doc.txt"));
    // Fixed disks are judged as always.
    EXPECT_FALSE(Valid("D:\\gone.exe"));
    EXPECT_FALSE(Valid("\"d:\\App\\gone.exe\" /s"));
    files.Drive('G').ready = true;
    EXPECT_FALSE(Valid("G:\\gone.exe"));
}

// Counts what the checks ask of the file system.
class CountingFiles final : public platform::FileSystemPort {
  public:
    explicit CountingFiles(platform::FileSystemPort& files) : files_(files) {}
    bool FileExists(std::string_view path) override { return ++asked, files_.FileExists(path); }
    bool FolderExists(std::string_view path) override { return ++asked, files_.FolderExists(path); }
    std::string WindowsDirectory() override { return files_.WindowsDirectory(); }
    std::string SpecialFolderPath(int csidl) override { return files_.SpecialFolderPath(csidl); }
    std::vector<platform::DriveEntry> Drives() override { return files_.Drives(); }
    bool DriveReady(char letter) override { return files_.DriveReady(letter); }
    int asked = 0;

  private:
    platform::FileSystemPort& files_;
};

TEST_F(CheckValidTest, LongTextsAskABoundedNumberOfQuestions) {
    CountingFiles counting(files);
    ReferenceChecks counted(counting);
    std::string text = "C:\\gone\\x.exe";
    while (text.size() < (1u << 20)) {
        text += " \"RunDll32\" @C:\\a.b, -c /d;e%SYSTEMROOT%Rundll32 C:\\f.g|h";
    }
    EXPECT_FALSE(counted.CheckValid(text));
    EXPECT_LE(counting.asked, 1000);
}

TEST_F(CheckValidTest, AnswersAreRememberedForOneScan) {
    CountingFiles counting(files);
    ReferenceChecks remembering(counting);
    EXPECT_FALSE(remembering.CheckValid("C:\\gone\\x.exe"));
    const int asked = counting.asked;
    EXPECT_FALSE(remembering.CheckValid("c:\\GONE\\x.exe"));
    EXPECT_EQ(counting.asked, asked);
    files.AddFile("C:\\gone\\x.exe");
    remembering.Forget();
    EXPECT_TRUE(remembering.CheckValid("C:\\gone\\x.exe"));
}

TEST(TextHelpers, StripNullsAndAddslash) {
    std::string text("abc\0def", 7);
    EXPECT_EQ(StripNulls(text), "abc");
    EXPECT_EQ(text, "abc");
    std::string plain = "abc";
    EXPECT_EQ(StripNulls(plain), "abc");
    EXPECT_EQ(addslash(""), "");
    EXPECT_EQ(addslash("C:\\"), "C:\\");
    EXPECT_EQ(addslash("C:\\x"), "C:\\x\\");
    EXPECT_EQ(TrimBlanks("  a b  "), "a b");
    EXPECT_EQ(TrimBlanks("\ta\t"), "\ta\t");
}

}  // namespace
}  // namespace keldra::registry::testing

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

// Counts what the checks ask of the file system.
class CountingFiles final : public platform::FileSystemPort {
  public:
    explicit CountingFiles(platform::FileSystemPort& files) : files_(files) {}
    bool FileExists(std::string_view path) override { return ++asked, files_.FileExists(path); }
    bool FolderExists(std::string_view path) override { return ++asked, files_.FolderExists(path); }
    std::string WindowsDirectory() override { return files_.WindowsDirectory(); }
    std::string SpecialFolderPath(int csidl) override { return files_.SpecialFolderPath(csidl); }
    std::vector<platform::DriveEntry> Drives() override { return files_.Drives(); }
    int asked = 0;

  private:
    platform::FileSystemPort& files_;
};

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

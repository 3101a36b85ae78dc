// What the registry checks ask of files, folders, shell folders and drives, on the
// simulated machine and on the sandbox prefix's own drives.
#include <string>
#include <vector>

#include "contract/file_fixture.h"

namespace keldra::testing {
namespace {

using platform::DriveEntry;
namespace drive_type = platform::drive_type;
namespace csidl = platform::csidl;
constexpr int kLocalAppData = 28;
// A folder number the shell does not know.
constexpr int kUnknownFolder = 0x70;

class FileSystemContract : public FileTest {};

TEST_P(FileSystemContract, FilesAndFoldersAnswerAsWhatTheyAre) {
    MakeFolder("Sub");
    MakeFile("Sub\\file.txt");
    EXPECT_TRUE(fs().FolderExists(Path("Sub")));
    EXPECT_FALSE(fs().FileExists(Path("Sub")));
    EXPECT_TRUE(fs().FileExists(Path("Sub\\file.txt")));
    EXPECT_FALSE(fs().FolderExists(Path("Sub\\file.txt"))) << "an existing file is no folder";

    // The ways of writing one path that Windows takes as the same.
    EXPECT_TRUE(fs().FileExists(Path("SUB\\FILE.TXT"))) << "case does not count";
    EXPECT_TRUE(fs().FolderExists(Path("sub\\"))) << "trailing separator";
    EXPECT_TRUE(fs().FolderExists(Path("Sub\\\\")));
    EXPECT_TRUE(fs().FileExists(Path("Sub\\\\file.txt"))) << "doubled separator";
    EXPECT_TRUE(fs().FileExists(Path("Sub/file.txt"))) << "forward slash";
    EXPECT_TRUE(fs().FileExists(Path("Sub\\.\\..\\Sub\\file.txt"))) << "dots";
    EXPECT_TRUE(fs().FileExists(Path("Sub\\file.txt."))) << "trailing dot of the name";
    EXPECT_TRUE(fs().FileExists(Path("Sub\\file.txt "))) << "trailing blank of the name";
    EXPECT_FALSE(fs().FileExists(Path("Sub\\file.txt\\"))) << "a file with a separator after";
    EXPECT_FALSE(fs().FolderExists(Path("Sub\\file.txt\\")));

    // Drive roots, also without the separator.
    EXPECT_TRUE(fs().FolderExists("D:\\"));
    EXPECT_TRUE(fs().FolderExists("d:"));
    EXPECT_FALSE(fs().FileExists("D:\\"));
}

TEST_P(FileSystemContract, MissingPathsAndInvalidNamesAreNoFolders) {
    MakeFile("file.txt");
    // File not found (2) and path not found (3).
    EXPECT_FALSE(fs().FolderExists(Path("nothing")));
    EXPECT_FALSE(fs().FileExists(Path("nothing")));
    EXPECT_FALSE(fs().FolderExists(Path("nothing\\below")));
    EXPECT_FALSE(fs().FileExists(Path("nothing\\below.txt")));
    EXPECT_FALSE(fs().FolderExists(Path("file.txt\\below"))) << "a file as a folder on the way";
    // A drive that does not exist.
    EXPECT_FALSE(fs().FolderExists("Q:\\"));
    EXPECT_FALSE(fs().FolderExists("Q:\\Program Files"));
    // Invalid names (123): a quoted command line names no folder, nor a wildcard.
    EXPECT_FALSE(fs().FolderExists("\"" + Path() + "\""));
    EXPECT_FALSE(fs().FileExists("\"" + Path("file.txt") + "\""));
    EXPECT_FALSE(fs().FolderExists("\"" + Path("file.txt") + "\" /s"));
    EXPECT_FALSE(fs().FolderExists(Path("a\"b")));
    EXPECT_FALSE(fs().FolderExists(Path("*")));
    EXPECT_FALSE(fs().FolderExists(Path("fi?e.txt")));
    EXPECT_FALSE(fs().FolderExists(Path("a|b")));
    EXPECT_FALSE(fs().FolderExists(Path("a<b>")));
}

TEST_P(FileSystemContract, TheEmptyTextIsAFolderButNoFile) {
    EXPECT_TRUE(fs().FolderExists(""));
    EXPECT_FALSE(fs().FileExists(""));
}

TEST_P(FileSystemContract, AnUnreachableServerCountsAsAFolder) {
    // Neither "not found" nor an invalid name (Windows: bad network path; Wine: bad
    // device type): the folder may be there when the network is.
    EXPECT_TRUE(fs().FolderExists("\\\\keldra-nowhere\\share\\folder"));
    EXPECT_FALSE(fs().FileExists("\\\\keldra-nowhere\\share\\file.txt"));
}

TEST_P(FileSystemContract, NamesOutsideTheAnsiCodePageGoThroughWhole) {
    MakeFolder("Папка");
    MakeFile("Папка\\Файл.txt");
    MakeFolder("文件夹");
    MakeFile("文件夹\\文件.txt");
    EXPECT_TRUE(fs().FolderExists(Path("Папка")));
    EXPECT_TRUE(fs().FileExists(Path("Папка\\Файл.txt")));
    EXPECT_TRUE(fs().FileExists(Path("ПАПКА\\файл.TXT"))) << "Cyrillic case does not count";
    EXPECT_TRUE(fs().FolderExists(Path("文件夹")));
    EXPECT_TRUE(fs().FileExists(Path("文件夹\\文件.txt")));
    // What the ANSI functions would have made of these names: nothing that exists.
    EXPECT_FALSE(fs().FolderExists(Path("?????")));
    EXPECT_FALSE(fs().FileExists(Path("Папка\\Фаил.txt")));
    EXPECT_FALSE(fs().FileExists(Path("文件夹\\文件夾.txt")));
}

TEST_P(FileSystemContract, RelativePathsStartFromTheCurrentFolder) {
    MakeFile("here.txt");
    MakeFolder("Inner");
    const std::string previous = backend_->SetCurrentFolder(Path());
    EXPECT_TRUE(fs().FileExists("here.txt"));
    EXPECT_TRUE(fs().FolderExists("Inner"));
    EXPECT_TRUE(fs().FolderExists("."));
    EXPECT_FALSE(fs().FileExists("there.txt"));
    EXPECT_FALSE(fs().FolderExists("there"));
    EXPECT_TRUE(fs().FileExists("..\\" + base_.substr(3) + "\\here.txt"));
    backend_->SetCurrentFolder(previous);
}

TEST_P(FileSystemContract, TheWindowsFolderIsAFolderWithoutTrailingSeparator) {
    const std::string windows = fs().WindowsDirectory();
    ASSERT_GE(windows.size(), 4u) << windows;
    EXPECT_EQ(windows.substr(1, 2), ":\\");
    EXPECT_NE(windows.back(), '\\');
    EXPECT_TRUE(fs().FolderExists(windows));
    EXPECT_TRUE(fs().FolderExists(windows + "\\system32"));
}

TEST_P(FileSystemContract, SpecialFoldersAreFoundAndMadeOnRequest) {
    const std::string fonts = fs().SpecialFolderPath(csidl::kFonts | csidl::kCreateFlag);
    EXPECT_TRUE(SamePath(fonts, fs().WindowsDirectory() + "\\Fonts")) << fonts;
    EXPECT_TRUE(fs().FolderExists(fonts));
    EXPECT_EQ(fs().SpecialFolderPath(csidl::kFonts), fonts);

    const std::string cache = fs().SpecialFolderPath(csidl::kInternetCache | csidl::kCreateFlag);
    const std::string local = fs().SpecialFolderPath(kLocalAppData | csidl::kCreateFlag);
    ASSERT_FALSE(local.empty());
    EXPECT_TRUE(SamePath(cache.substr(0, local.size() + 1), local + "\\")) << cache;
    EXPECT_GT(cache.size(), local.size() + 1) << cache;
    EXPECT_NE(cache.back(), '\\');
    EXPECT_TRUE(fs().FolderExists(cache)) << "made by the create flag";
    EXPECT_EQ(fs().SpecialFolderPath(csidl::kInternetCache), cache) << "now it exists";

    EXPECT_EQ(fs().SpecialFolderPath(kUnknownFolder | csidl::kCreateFlag), "");
    EXPECT_EQ(fs().SpecialFolderPath(kUnknownFolder), "");
}

TEST_P(FileSystemContract, TheSandboxDrivesComeInLetterOrderWithTheirTypes) {
    const std::vector<DriveEntry> expected{{'C', drive_type::kFixed},
                                           {'D', drive_type::kFixed},
                                           {'E', drive_type::kCdRom},
                                           {'N', drive_type::kNetwork}};
    const std::vector<DriveEntry> drives = fs().Drives();
    std::string shown;
    for (const auto& drive : drives) {
        shown += std::string(1, drive.letter) + ":" + std::to_string(drive.type) + " ";
    }
    EXPECT_EQ(drives, expected) << "got " << shown
                                << "(the sandbox must be made with --cdrom --network)";
}

TEST_P(FileSystemContract, FixedDrivesAreReady) {
    EXPECT_TRUE(fs().DriveReady('C'));
    EXPECT_TRUE(fs().DriveReady('D'));
}

KELDRA_FILE_BACKENDS(FileSystemContract);

}  // namespace
}  // namespace keldra::testing

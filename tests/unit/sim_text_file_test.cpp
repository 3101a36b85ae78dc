// What only the simulated text files can do: refuse writes and reads a test asks them to
// refuse, and show a test the moment an append is on disk.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_text_file.h"

namespace keldra::platform::sim {
namespace {

using Lines = std::vector<std::string>;

TEST(SimTextFiles, AFolderThatIsNotWritableTakesNoNewFileButItsFilesStayWritable) {
    SimTextFiles files;
    files.AddFolder("C:\\Windows");
    files.PutFile("C:\\Windows\\old.ini", "a");
    files.SetWritable("C:\\Windows", false);

    EXPECT_FALSE(files.AppendLines("C:\\Windows\\new.reg", Lines{"x"}));
    EXPECT_FALSE(files.FileExists("C:\\Windows\\new.reg"));
    EXPECT_FALSE(files.ReplaceContent("C:\\Windows\\old.ini", "b")) << "no room for a temporary";
    EXPECT_EQ(files.FileBytes("C:\\Windows\\old.ini"), "a");
    EXPECT_FALSE(files.CreateFolder("C:\\Windows\\Sub"));
    EXPECT_TRUE(files.AppendLines("C:\\Windows\\old.ini", Lines{"b"}));
    EXPECT_EQ(files.FileBytes("C:\\Windows\\old.ini"), "ab\r\n");

    files.SetWritable("c:\\windows", true);
    EXPECT_TRUE(files.ReplaceContent("C:\\Windows\\old.ini", "c"));
    EXPECT_EQ(files.FileBytes("C:\\Windows\\old.ini"), "c");
}

TEST(SimTextFiles, AFileThatIsNotWritableIsNeitherAppendedToNorReplaced) {
    SimTextFiles files;
    files.PutFile("C:\\sysbackup.reg", "REGEDIT4\r\n");
    files.SetWritable("C:\\SYSBACKUP.REG", false);
    EXPECT_FALSE(files.AppendLines("C:\\sysbackup.reg", Lines{"x"}));
    EXPECT_FALSE(files.ReplaceContent("C:\\sysbackup.reg", "x"));
    EXPECT_EQ(files.FileBytes("C:\\sysbackup.reg"), "REGEDIT4\r\n");
    Lines lines;
    EXPECT_TRUE(files.ReadLines("C:\\sysbackup.reg", lines));
    EXPECT_EQ(lines, Lines{"REGEDIT4"});
    EXPECT_EQ(files.appendCount, 0);
    EXPECT_EQ(files.replaceCount, 0);
}

TEST(SimTextFiles, AFileThatIsNotReadableCannotBeOpenedForReading) {
    SimTextFiles files;
    files.PutFile("C:\\Windows\\scanreg.ini", "Optimize=0\r\n");
    files.SetReadable("C:\\Windows\\scanreg.ini", false);
    Lines lines;
    EXPECT_FALSE(files.ReadLines("C:\\Windows\\scanreg.ini", lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(files.FileExists("C:\\Windows\\scanreg.ini"));
}

TEST(SimTextFiles, TheHookSeesEachAppendOnDiskAndCountsAreKept) {
    SimTextFiles files;
    std::vector<std::string> seen;
    files.afterAppend = [&](std::string_view path) {
        seen.push_back(std::string(path) + ":" + *files.FileBytes(path));
    };
    ASSERT_TRUE(files.AppendLines("C:\\a.reg", Lines{"1"}));
    ASSERT_TRUE(files.AppendLines("C:\\a.reg", Lines{"2"}));
    EXPECT_EQ(seen, (Lines{"C:\\a.reg:1\r\n", "C:\\a.reg:1\r\n2\r\n"}));
    EXPECT_EQ(files.appendCount, 2);
    ASSERT_TRUE(files.ReplaceContent("C:\\a.reg", ""));
    EXPECT_EQ(files.replaceCount, 1);
}

TEST(SimTextFiles, TheLocalApplicationDataFolderIsThereFromTheStart) {
    SimTextFiles files;
    EXPECT_TRUE(files.FolderExists(files.LocalAppDataFolder()));
    EXPECT_TRUE(files.FolderExists("C:\\"));
    EXPECT_TRUE(files.FolderExists("C:\\Users\\User"));
    EXPECT_FALSE(files.FolderExists("D:\\"));
}

}  // namespace
}  // namespace keldra::platform::sim

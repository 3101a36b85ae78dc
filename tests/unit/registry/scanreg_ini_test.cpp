// Compaction: what "scanreg.ini" holds after one or more runs, and what is left alone.
#include "registry/scanreg_ini.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_file_system.h"
#include "platform/sim/sim_text_file.h"

namespace keldra::registry {
namespace {

using platform::ui::Pointer;

constexpr const char* kIni = "C:\\Windows\\scanreg.ini";

class ScanregINITest : public ::testing::Test {
  protected:
    ScanregINITest() {
        windows.SetWindowsDirectory("C:\\Windows");
        files.AddFolder("C:\\Windows");
    }

    // One compaction, the three steps in order.
    void Compact() {
        ScanregINI ini(windows, files, [this](Pointer p) { pointers.push_back(p); });
        ini.ReadINI();
        ini.SetOptimize();
        ini.WriteINI();
    }
    std::string Ini() const { return files.FileBytes(kIni).value_or("<no file>"); }

    platform::sim::SimFileSystem windows;
    platform::sim::SimTextFiles files;
    std::vector<Pointer> pointers;
};

TEST_F(ScanregINITest, TheOptimiseLineIsSetAndNothingIsAddedAtTheEnd) {
    files.PutFile(kIni, "[ScanReg]\r\nBackup=5\r\nOptimize=0\r\n");
    Compact();
    EXPECT_EQ(Ini(), "[ScanReg]\r\nBackup=5\r\nOptimize=1\r\n");
    EXPECT_EQ(files.replaceCount, 1) << "replaced in one step";
    EXPECT_EQ(files.List("C:\\Windows"), std::vector<std::string>{"scanreg.ini"});
}

TEST_F(ScanregINITest, OnlyTheTwoSpellingsAtTheVeryStartOfALineCount) {
    files.PutFile(kIni,
                  "OPTIMIZE=0\r\noptimize=0\r\nOptimizer and more\r\n Optimize=0\r\nOptimiz\r\n"
                  "Optimize\r\nOpTimize=0\r\n");
    Compact();
    EXPECT_EQ(Ini(),
              "Optimize=1\r\noptimize=0\r\nOptimize=1\r\n Optimize=0\r\nOptimiz\r\nOptimize=1\r\n"
              "OpTimize=0\r\n");
}

TEST_F(ScanregINITest, AFileWithoutAnOptimiseLineComesBackWithTheSameLines) {
    files.PutFile(kIni, "[ScanReg]\r\n\r\nMaxBackupCopies=5\rcaf\xE9\nlone feed\r\nlast");
    Compact();
    EXPECT_EQ(Ini(), "[ScanReg]\r\n\r\nMaxBackupCopies=5\r\ncaf\xE9\r\nlone feed\r\nlast\r\n")
        << "every line ends with CR LF";
}

TEST_F(ScanregINITest, LineEndsOfLfAloneKeepEverySetting) {
    // As written by editors on other systems: the optimise rule must see lines, not one
    // line that it would replace whole.
    files.PutFile(kIni, "[ScanReg]\nBackup=1\nOptimize=0\nMaxBackupCopies=5\n");
    Compact();
    EXPECT_EQ(Ini(), "[ScanReg]\r\nBackup=1\r\nOptimize=1\r\nMaxBackupCopies=5\r\n");
}

TEST_F(ScanregINITest, TwoCompactionsGiveTheSameFileAsOne) {
    files.PutFile(kIni, "[ScanReg]\r\nOptimize=0\r\nBackup=1");
    Compact();
    const std::string once = Ini();
    Compact();
    EXPECT_EQ(Ini(), once);
    EXPECT_EQ(once, "[ScanReg]\r\nOptimize=1\r\nBackup=1\r\n");
}

TEST_F(ScanregINITest, AnyNumberOfLinesIsKept) {
    std::string bytes;
    for (int i = 0; i < 40000; ++i) {
        bytes += "Key" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    }
    files.PutFile(kIni, bytes + "Optimize=0\r\n");
    Compact();
    EXPECT_EQ(Ini(), bytes + "Optimize=1\r\n");
}

TEST_F(ScanregINITest, AMissingFileBecomesAnEmptyOneWhereTheWindowsFolderTakesIt) {
    Compact();
    EXPECT_EQ(Ini(), "");
    ASSERT_FALSE(pointers.empty());
    EXPECT_EQ(pointers.back(), Pointer::Default);

    platform::sim::SimTextFiles readOnly;
    readOnly.AddFolder("C:\\Windows");
    readOnly.SetWritable("C:\\Windows", false);
    std::vector<Pointer> shown;
    ScanregINI ini(windows, readOnly, [&](Pointer p) { shown.push_back(p); });
    ini.ReadINI();
    ini.SetOptimize();
    ini.WriteINI();
    EXPECT_FALSE(readOnly.FileExists(kIni));
    EXPECT_TRUE(shown.empty() || shown.back() == Pointer::Default) << "the pointer as it was";
}

TEST_F(ScanregINITest, TheHourglassShowsFromTheReadUntilASuccessfulWrite) {
    files.PutFile(kIni, "Optimize=0\r\n");
    ScanregINI ini(windows, files, [this](Pointer p) { pointers.push_back(p); });
    ini.ReadINI();
    ASSERT_EQ(pointers, std::vector<Pointer>{Pointer::Hourglass});
    ini.SetOptimize();
    EXPECT_EQ(pointers.size(), 1u);
    ini.WriteINI();
    EXPECT_EQ(pointers.back(), Pointer::Default);

    // When the write fails, the hourglass stays until the next successful write.
    files.SetWritable(kIni, false);
    pointers.clear();
    Compact();
    EXPECT_EQ(pointers.back(), Pointer::Hourglass);
    EXPECT_EQ(Ini(), "Optimize=1\r\n");
}

TEST_F(ScanregINITest, AFileThatIsThereButCannotBeReadIsLeftAlone) {
    files.PutFile(kIni, "[ScanReg]\r\nOptimize=0\r\n");
    files.SetReadable(kIni, false);
    Compact();
    EXPECT_EQ(Ini(), "[ScanReg]\r\nOptimize=0\r\n");
    EXPECT_EQ(files.replaceCount, 0);
    EXPECT_TRUE(pointers.empty());
}

TEST_F(ScanregINITest, TheFileIsFoundInTheWindowsFolderWhereverThatIs) {
    platform::sim::SimFileSystem root;
    root.SetWindowsDirectory("D:\\");
    files.AddFolder("D:\\");
    files.PutFile("D:\\scanreg.ini", "Optimize=0");
    ScanregINI ini(root, files, nullptr);
    ini.ReadINI();
    EXPECT_EQ(ini.Lines(), std::vector<std::string>{"Optimize=0"});
    ini.SetOptimize();
    EXPECT_EQ(ini.NewText(), "Optimize=1\r\n");
    ini.WriteINI();
    EXPECT_EQ(files.FileBytes("D:\\scanreg.ini"), "Optimize=1\r\n");
    EXPECT_FALSE(files.FileExists(kIni));
}

}  // namespace
}  // namespace keldra::registry

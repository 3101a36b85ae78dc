// How the system-information class writes the platform's answers, and the special-folder
// control's names and paths.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/sim/sim_file_system.h"
#include "sysinfo/system_texts.h"
#include "sysinfo/user_control1.h"

namespace keldra::sysinfo {
namespace {

TEST(SystemTexts, DriveTypesByPlatformCode) {
    EXPECT_EQ(DriveTypeText(0), "");
    EXPECT_EQ(DriveTypeText(1), "") << "a root that does not exist";
    EXPECT_EQ(DriveTypeText(2), "Removable drive");
    EXPECT_EQ(DriveTypeText(3), "Fixed drive");
    EXPECT_EQ(DriveTypeText(4), "dskNetwork drive");
    EXPECT_EQ(DriveTypeText(5), "CD-ROM drive");
    EXPECT_EQ(DriveTypeText(6), "RAM-disk");
    EXPECT_EQ(DriveTypeText(7), "");
}

TEST(SystemTexts, SerialNumbers) {
    EXPECT_EQ(SerialNumberText(0x1234ABCDu), "1234-ABCD");
    EXPECT_EQ(SerialNumberText(0x12345678u), "1234-5678");
    EXPECT_EQ(SerialNumberText(0x1234u), "0000-1234");
    EXPECT_EQ(SerialNumberText(0xABCu), "0000-0ABC");
    EXPECT_EQ(SerialNumberText(0xFFFFFFFFu), "FFFF-FFFF");
    EXPECT_EQ(SerialNumberText(0u), "0000-0000");
    EXPECT_EQ(SerialNumberText(std::nullopt), "0000-0000");
}

TEST(SystemTexts, Keyboards) {
    EXPECT_EQ(KeyboardTypeText(0), "");
    EXPECT_EQ(KeyboardTypeText(1), "IBM PC/XT or compatible (83 key)");
    EXPECT_EQ(KeyboardTypeText(2), "Olivetti \"ico\" (102 key)");
    EXPECT_EQ(KeyboardTypeText(3), "IBM PC/AT or compatible (84 key)");
    EXPECT_EQ(KeyboardTypeText(4), "IBM enhanced (101 or 102 key)");
    EXPECT_EQ(KeyboardTypeText(5), "Nokia 1050 or compatible");
    EXPECT_EQ(KeyboardTypeText(6), "Nokia 9140 or compatible");
    EXPECT_EQ(KeyboardTypeText(7), "Japanese");
    EXPECT_EQ(KeyboardTypeText(8), "");
    EXPECT_EQ(KeyboardTypeText(-1), "");
}

TEST(SystemTexts, ProcessorsAndPlatforms) {
    EXPECT_EQ(ProcessorText(386, "x"), "80386");
    EXPECT_EQ(ProcessorText(486, "x"), "80486");
    EXPECT_EQ(ProcessorText(586, "x"), "Intel Pentium");
    EXPECT_EQ(ProcessorText(8664, "as given"), "as given");
    EXPECT_EQ(PlatformText(0, 3, 10, "x"), "Windows 3.10");
    EXPECT_EQ(PlatformText(0, 4, 0, "x"), "Windows 4.0");
    EXPECT_EQ(PlatformText(1, 4, 10, "x"), "Windows 95");
    EXPECT_EQ(PlatformText(2, 10, 0, "x"), "Windows NT");
    EXPECT_EQ(PlatformText(3, 10, 0, "as given"), "as given");
}

TEST(SystemTexts, DirectoriesAndNames) {
    EXPECT_EQ(DirectoryText(""), "");
    EXPECT_EQ(DirectoryText("C:\\windows"), "C:\\windows\\");
    EXPECT_EQ(DirectoryText("C:\\temp\\"), "C:\\temp\\");
    EXPECT_EQ(DirectoryText("C:\\"), "C:\\");
    EXPECT_EQ(DirectoryText(std::string("C:\\x\0junk", 9)), "C:\\x\\");
    EXPECT_EQ(NameText("HOST   "), "HOST");
    EXPECT_EQ(NameText(std::string("ann\0zz", 6)), "ann");
    EXPECT_EQ(NameText(""), "");
    EXPECT_EQ(CutAtNull(std::string("a\0b", 3)), "a");
    EXPECT_EQ(CutAtNull("no nul"), "no nul");
}

TEST(SystemTexts, PutPoints) {
    EXPECT_EQ(PutPoints(1234567), "1.234.567");
    EXPECT_EQ(PutPoints(123456), "123.456");
    EXPECT_EQ(PutPoints(1234), "1.234");
    EXPECT_EQ(PutPoints(123), "123");
    EXPECT_EQ(PutPoints(12), "12");
    EXPECT_EQ(PutPoints(0), "0");
    EXPECT_EQ(PutPoints(-1234), "-1.234");
    EXPECT_EQ(PutPoints(-123), "-.123") << "the sign counts as a character";
    EXPECT_EQ(PutPoints(-12), "-12");
    EXPECT_EQ(PutPoints(2147483647), "2.147.483.647");
    EXPECT_EQ(PutPoints(-2147483647 - 1), "-2.147.483.648");
}

TEST(SystemTexts, GroupedNumbers) {
    EXPECT_EQ(GroupedNumber(0, ","), "");
    EXPECT_EQ(GroupedNumber(7, ","), "7");
    EXPECT_EQ(GroupedNumber(999, ","), "999");
    EXPECT_EQ(GroupedNumber(38154, ","), "38,154");
    EXPECT_EQ(GroupedNumber(1000000, "."), "1.000.000");
    EXPECT_EQ(GroupedNumber(123456789012ull, "\xC2\xA0"),
              "123\xC2\xA0"
              "456\xC2\xA0"
              "789\xC2\xA0"
              "012");
    EXPECT_EQ(GroupedNumber(4096, ""), "4096");
    EXPECT_EQ(SpaceText(250059350016ull, 40007729152ull, ","), "250,059,350,016 / 40,007,729,152");
    EXPECT_EQ(SpaceText(0, 0, ","), " / ");
}

TEST(SystemTexts, KilobytesRoundHalfToEven) {
    EXPECT_EQ(KilobytesRoundedEven(0), 0u);
    EXPECT_EQ(KilobytesRoundedEven(511), 0u);
    EXPECT_EQ(KilobytesRoundedEven(512), 0u) << "half of 0 and 1 goes to 0";
    EXPECT_EQ(KilobytesRoundedEven(513), 1u);
    EXPECT_EQ(KilobytesRoundedEven(1024 + 512), 2u) << "half of 1 and 2 goes to 2";
    EXPECT_EQ(KilobytesRoundedEven(2048 + 512), 2u) << "half of 2 and 3 goes to 2";
    EXPECT_EQ(KilobytesRoundedEven(8ull << 30), 8ull << 20);
}

TEST(UserControl1Test, FolderNames) {
    EXPECT_EQ(UserControl1::GetName(0), "Desktop");
    EXPECT_EQ(UserControl1::GetName(6), "{user}\\Favourites");
    EXPECT_EQ(UserControl1::GetName(11), "{user}\\Start Menu");
    for (int folder : {12, 13, 14, 15, -1, 48, 1000}) {
        EXPECT_EQ(UserControl1::GetName(folder), "") << folder;
    }
    EXPECT_EQ(UserControl1::GetName(16), "{user}\\Desktop");
    EXPECT_EQ(UserControl1::GetName(18), "Network Neighbourhood");
    EXPECT_EQ(UserControl1::GetName(28),
              "{user}\\Local Settings \\ Application Data (non roaming)");
    EXPECT_EQ(UserControl1::GetName(32), "Internet Cache");
    EXPECT_EQ(UserControl1::GetName(36), "Windows\\ Directory");
    EXPECT_EQ(UserControl1::GetName(40), "USERPROFILE");
    EXPECT_EQ(UserControl1::GetName(42), "x86 C:\\Program Files on RISC");
    EXPECT_EQ(UserControl1::GetName(47), "Admin Tools");
    // Every number from 0 to 47 but the four gaps has a name, each its own.
    std::set<std::string> names;
    for (int folder = 0; folder <= 47; ++folder) {
        if (folder < 12 || folder > 15) {
            EXPECT_TRUE(names.insert(UserControl1::GetName(folder)).second) << folder;
        }
    }
    EXPECT_EQ(names.size(), 44u);
}

TEST(UserControl1Test, PathsEndInABackslashOrAreEmpty) {
    platform::sim::SimFileSystem files;
    files.AddDrive('C', platform::drive_code::kFixed);
    files.AddFolder("C:\\users\\ann\\AppData\\Local\\Microsoft\\Windows\\INetCache");
    files.SetSpecialFolder(32, "C:\\users\\ann\\AppData\\Local\\Microsoft\\Windows\\INetCache");
    const UserControl1 shd(files);
    EXPECT_EQ(shd.SpecialFolderPath(32),
              "C:\\users\\ann\\AppData\\Local\\Microsoft\\Windows\\INetCache\\");
    EXPECT_EQ(shd.SpecialFolderPath(12), "");
}

TEST(UserControl1Test, KeepsItsSize) {
    platform::sim::SimFileSystem files;
    UserControl1 shd(files);
    shd.Resize(4000, 10);
    EXPECT_EQ(shd.Width(), 195);
    EXPECT_EQ(shd.Height(), 195);
}

}  // namespace
}  // namespace keldra::sysinfo

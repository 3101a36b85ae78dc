// Where the readings find paths in a text, and what each candidate may count as.

#include "registry/path_readings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace keldra::registry::testing {
namespace {

using ::testing::Contains;
using ::testing::Not;

PathReading File(std::string path) {
    return {std::move(path), false, {}};
}
PathReading Whole(std::string path) {
    return {std::move(path), true, {}};
}

TEST(PathReadings, RecordsEndEachPathAtABar) {
    const auto readings = ReadPaths(
        "v2.10|Action=Allow|App=C:\\Program Files\\App\\app.exe|Name=App|"
        "D=C:\\Program Files\\WindowsApps\\Pkg_1.2.3.0_x64__abc\\|");
    EXPECT_THAT(readings.candidates, Contains(Whole("C:\\Program Files\\App\\app.exe")));
    EXPECT_THAT(readings.candidates,
                Contains(Whole("C:\\Program Files\\WindowsApps\\Pkg_1.2.3.0_x64__abc\\")));
    EXPECT_EQ(readings.drives, "C");
    EXPECT_FALSE(readings.unjudgeable);
}

TEST(PathReadings, QuotedPathsAsQuoted) {
    const auto readings = ReadPaths("\"C:\\Program Files\\App - Beta\\app.exe\" /s");
    ASSERT_FALSE(readings.candidates.empty());
    EXPECT_EQ(readings.candidates.front(), Whole("C:\\Program Files\\App - Beta\\app.exe"));
}

TEST(PathReadings, FoldersCountOnlyWhereTheReferenceEnds) {
    // Before a switch or an index the reference ends; before a deeper name it does not.
    EXPECT_THAT(ReadPaths("C:\\Data\\ /s").candidates, Contains(Whole("C:\\Data\\")));
    EXPECT_THAT(ReadPaths("C:\\Users\\ann\\Desktop,0").candidates,
                Contains(Whole("C:\\Users\\ann\\Desktop")));
    const auto deeper = ReadPaths("C:\\Program Files\\Foo, Inc\\gone.exe").candidates;
    EXPECT_THAT(deeper, Contains(File("C:\\Program Files\\Foo")));
    EXPECT_THAT(deeper, Not(Contains(Whole("C:\\Program Files\\Foo"))));
    const auto dashed = ReadPaths("C:\\Program Files\\App - Beta\\gone.exe").candidates;
    EXPECT_THAT(dashed, Contains(File("C:\\Program Files\\App")));
    EXPECT_THAT(dashed, Not(Contains(Whole("C:\\Program Files\\App"))));
    // A blank alone never ends a name: "C:\Program Files" is no candidate here.
    for (const auto& reading : ReadPaths("C:\\Program Files\\Gone App\\app.exe").candidates) {
        EXPECT_EQ(reading.path, "C:\\Program Files\\Gone App\\app.exe");
    }
}

TEST(PathReadings, PathsAfterTextAndInsideMarkup) {
    EXPECT_THAT(ReadPaths("2,3,-1,-1,0,22,1519,892,C:\\Users\\ann\\x.doc").candidates,
                Contains(Whole("C:\\Users\\ann\\x.doc")));
    EXPECT_THAT(ReadPaths("file:///C:\\Users\\ann\\x.doc").candidates,
                Contains(Whole("C:\\Users\\ann\\x.doc")));
    EXPECT_THAT(ReadPaths("res://C:\\Windows\\x.dll/#2/101").candidates,
                Contains(File("C:\\Windows\\x.dll")));
    EXPECT_THAT(ReadPaths("<c>&apos;C:\\App.v2\\app.exe&apos; /x</c>").candidates,
                Contains(Whole("C:\\App.v2\\app.exe")));
    // Inside a word a letter and a colon are no drive.
    EXPECT_EQ(ReadPaths("xC:\\y").drives, "");
}

TEST(PathReadings, DotsInFolderNames) {
    const auto readings =
        ReadPaths("C:\\Windows\\Microsoft.NET\\Framework\\v4.0.30319\\mscorsvw.exe arg");
    EXPECT_THAT(readings.candidates,
                Contains(File("C:\\Windows\\Microsoft.NET\\Framework\\v4.0.30319\\mscorsvw.exe")));
    // With a second path after it, the first is not taken on its own.
    for (const auto& reading : ReadPaths("C:\\App\\app.exe C:\\gone\\y.txt").candidates) {
        EXPECT_NE(reading.path, "C:\\App\\app.exe");
    }
}

TEST(PathReadings, SecondPathsCountWithTheFirst) {
    const auto readings = ReadPaths("C:\\Windows\\notepad.exe  C:\\Docs\\a, b.txt");
    EXPECT_THAT(readings.candidates,
                Contains(PathReading{"C:\\Docs\\a, b.txt", true, "C:\\Windows\\notepad.exe"}));
    for (const auto& reading : readings.candidates) {
        EXPECT_TRUE(reading.path.rfind("C:\\Windows", 0) == 0 || !reading.pairedWith.empty())
            << reading.path;
    }
}

TEST(PathReadings, AQuotedProgramCountsWithItsQuotedArgument) {
    const auto readings = ReadPaths("\"C:\\App\\app.exe\" \"C:\\Docs\\a.txt\"");
    EXPECT_THAT(readings.candidates,
                ::testing::ElementsAre(PathReading{"C:\\Docs\\a.txt", true, "C:\\App\\app.exe"}));
    // With a switch between them the program stands alone.
    EXPECT_THAT(ReadPaths("\"C:\\App\\app.exe\" /open \"C:\\Docs\\a.txt\"").candidates,
                Contains(Whole("C:\\App\\app.exe")));
}

TEST(PathReadings, WildcardsNameTheirFolder) {
    EXPECT_THAT(ReadPaths("C:\\ProgramData\\App\\*.* /s").candidates,
                Contains(Whole("C:\\ProgramData\\App\\")));
    EXPECT_THAT(ReadPaths("C:\\ProgramData\\App\\log?.txt").candidates,
                Contains(Whole("C:\\ProgramData\\App\\")));
}

TEST(PathReadings, PrefixesSharesAndHostPaths) {
    const auto nt = ReadPaths("\\??\\C:\\Fonts2\\x.ttf");
    EXPECT_THAT(nt.candidates, Contains(Whole("C:\\Fonts2\\x.ttf")));
    EXPECT_FALSE(nt.unjudgeable);
    EXPECT_THAT(ReadPaths("\\\\?\\D:\\x.exe").candidates, Contains(Whole("D:\\x.exe")));
    // The fonts folder in front of an NT path: its "?" is no wildcard.
    const auto fonts = ReadPaths("C:\\Windows\\Fonts\\\\??\\C:\\gone\\x.ttf").candidates;
    EXPECT_THAT(fonts, Not(Contains(Whole("C:\\Windows\\Fonts\\"))));
    EXPECT_THAT(fonts, Contains(Whole("C:\\gone\\x.ttf")));
    EXPECT_TRUE(ReadPaths("C:\\Windows\\Fonts\\\\??\\unix\\usr\\share\\x.ttf").unjudgeable);
    EXPECT_TRUE(ReadPaths("\\??\\UNC\\server\\share\\x.ttf").unjudgeable);
    EXPECT_TRUE(ReadPaths("\"\\\\server\\share\\x.exe\" C:\\x").unjudgeable);
    EXPECT_TRUE(ReadPaths("\\\\.\\pipe\\x").unjudgeable);
    // A doubled separator inside a path is no share.
    EXPECT_FALSE(ReadPaths("C:\\Windows\\\\System32\\x.dll").unjudgeable);
}

TEST(PathReadings, DrivesOfEveryPath) {
    EXPECT_EQ(ReadPaths("a=c:\\x|b=E:/y|c=C:\\z").drives, "CE");
}

TEST(PathReadings, LongTextsGiveBoundedReadings) {
    std::string text;
    while (text.size() < (1u << 20)) {
        text += "C:\\a.b,c;d@e%f -g /h.i ";
    }
    const auto readings = ReadPaths(text);
    EXPECT_LE(readings.candidates.size(), kMaxPathsRead * kMaxReadingsPerPath);
    std::string dots = "C:\\" + std::string(1u << 20, '.');
    EXPECT_LE(ReadPaths(dots).candidates.size(), kMaxReadingsPerPath);
    // Nothing longer than a path can be.
    const std::string huge = "C:\\" + std::string(kMaxPathCharacters, 'x');
    EXPECT_TRUE(ReadPaths(huge).candidates.empty());
}

TEST(PathReadings, AbsolutePaths) {
    EXPECT_TRUE(IsAbsolutePath("C:\\x.ttf"));
    EXPECT_TRUE(IsAbsolutePath("c:/x.ttf"));
    EXPECT_TRUE(IsAbsolutePath("\\??\\unix\\x.ttf"));
    EXPECT_TRUE(IsAbsolutePath("\\\\server\\x.ttf"));
    EXPECT_FALSE(IsAbsolutePath("arial.ttf"));
    EXPECT_FALSE(IsAbsolutePath("Fonts\\C:\\x.ttf"));
}

}  // namespace
}  // namespace keldra::registry::testing

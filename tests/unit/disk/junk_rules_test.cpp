// The junk rules' masks on long names, the protected paths, and the start folders the
// Internet-cache rule may sweep.
#include <gtest/gtest.h>

#include <string>

#include "disk/junk_rules.h"

namespace keldra::disk {
namespace {

const MaskList& Rule(int number) {
    static const std::vector<std::pair<int, MaskList>> lists = [] {
        std::vector<std::pair<int, MaskList>> out;
        for (const auto& rule : kJunkRules) {
            out.emplace_back(rule.number, MaskList(rule.masks));
        }
        return out;
    }();
    for (const auto& [n, list] : lists) {
        if (n == number) {
            return list;
        }
    }
    throw std::out_of_range("no such rule");
}

TEST(JunkMasks, RulesAreStoredExactly) {
    ASSERT_EQ(kJunkRules.size(), 5u);
    EXPECT_EQ(kJunkRules[0].number, 1);
    EXPECT_EQ(kJunkRules[0].masks, "*.*");
    EXPECT_EQ(kJunkRules[1].number, 3);
    EXPECT_EQ(kJunkRules[1].masks, "*.tmp;*.??$;*.~*;^*.*;*.??$;~*.*;*._mp;*.dmp;mscreate.dir");
    EXPECT_EQ(kJunkRules[2].number, 4);
    EXPECT_EQ(kJunkRules[2].masks, "thumbs.db;pspbrwse.jbf");
    EXPECT_EQ(kJunkRules[3].number, 5);
    EXPECT_EQ(kJunkRules[3].masks, "*.gid;*.fts;*.ftg");
    EXPECT_EQ(kJunkRules[4].number, 8);
    EXPECT_EQ(kJunkRules[4].masks, "*.bak;*.old");
}

TEST(JunkMasks, ExtensionsMatchWholeAndNotAsPrefix) {
    const MaskList& backups = Rule(8);
    EXPECT_TRUE(backups.Matches("x.old"));
    EXPECT_TRUE(backups.Matches("report.doc.bak"));
    EXPECT_FALSE(backups.Matches("x.older")) << "the short name X~1.OLD must not count";
    EXPECT_FALSE(backups.Matches("x.bak2"));
    EXPECT_FALSE(backups.Matches("xold"));
    EXPECT_FALSE(backups.Matches("old"));
    EXPECT_TRUE(Rule(3).Matches("a.tmp"));
    EXPECT_FALSE(Rule(3).Matches("a.tmpl"));
    EXPECT_FALSE(Rule(3).Matches("tmp"));
}

TEST(JunkMasks, CaseDoesNotCount) {
    EXPECT_TRUE(Rule(8).Matches("X.OLD"));
    EXPECT_TRUE(Rule(4).Matches("Thumbs.DB"));
    EXPECT_TRUE(Rule(3).Matches("MSCREATE.DIR"));
    EXPECT_TRUE(Rule(5).Matches("Help.GiD"));
    // Letters beyond ASCII fold as Windows folds file names.
    EXPECT_TRUE(MaskList("ÄRGER.*").Matches("ärger.txt"));
    EXPECT_TRUE(MaskList("*.ŁÓD").Matches("plik.łód"));
    EXPECT_FALSE(MaskList("*.ŁÓD").Matches("plik.lod"));
}

TEST(JunkMasks, QuestionMarkIsExactlyOneCharacter) {
    const MaskList& temporary = Rule(3);
    EXPECT_TRUE(temporary.Matches("setup.ex$"));
    EXPECT_TRUE(temporary.Matches("a.b.dl$"));
    EXPECT_FALSE(temporary.Matches("setup.e$")) << "two characters before the $";
    EXPECT_FALSE(temporary.Matches("setup.exe$"));
    EXPECT_FALSE(temporary.Matches("setup.ex$x"));
    // One character, even outside the basic plane or beyond ASCII.
    EXPECT_TRUE(temporary.Matches("x.é😀$"));
}

TEST(JunkMasks, CaretTildeDollarAndUnderscoreAreOrdinary) {
    const MaskList& temporary = Rule(3);
    EXPECT_TRUE(temporary.Matches("^draft.doc"));
    EXPECT_TRUE(temporary.Matches("^draft")) << "a final .* also takes no extension";
    EXPECT_FALSE(temporary.Matches("draft^.doc"));
    EXPECT_TRUE(temporary.Matches("~b.doc"));
    EXPECT_TRUE(temporary.Matches("~WRL0001"));
    EXPECT_FALSE(temporary.Matches("b~.doc"));
    EXPECT_TRUE(temporary.Matches("setup._mp"));
    EXPECT_FALSE(temporary.Matches("setup.xmp"));
    EXPECT_TRUE(temporary.Matches("a.~1"));
    EXPECT_TRUE(temporary.Matches("a.~"));
    EXPECT_FALSE(temporary.Matches("a~.1"));
    EXPECT_TRUE(temporary.Matches("mscreate.dir"));
    EXPECT_FALSE(temporary.Matches("xmscreate.dir"));
    EXPECT_TRUE(temporary.Matches("crash.dmp"));
}

TEST(JunkMasks, StarStarSelectsEveryName) {
    const MaskList& cache = Rule(1);
    for (const char* name : {"index.dat", "noextension", ".hidden", "a.b.c", "x"}) {
        EXPECT_TRUE(cache.Matches(name)) << name;
    }
}

TEST(JunkMasks, ExactNamesMatchOnlyThemselves) {
    const MaskList& thumbnails = Rule(4);
    EXPECT_TRUE(thumbnails.Matches("thumbs.db"));
    EXPECT_TRUE(thumbnails.Matches("pspbrwse.jbf"));
    EXPECT_FALSE(thumbnails.Matches("thumbs.db.txt"));
    EXPECT_FALSE(thumbnails.Matches("mythumbs.db"));
    EXPECT_FALSE(thumbnails.Matches("x.db"));
}

TEST(JunkMasks, StarsBacktrack) {
    EXPECT_TRUE(PatternMatches(FoldCase("*a*b"), FoldCase("xaxxaxb")));
    EXPECT_FALSE(PatternMatches(FoldCase("*a*b"), FoldCase("xaxxaxbx")));
    EXPECT_TRUE(PatternMatches(FoldCase("a*"), FoldCase("a")));
    EXPECT_FALSE(PatternMatches(FoldCase("a?"), FoldCase("a")));
    EXPECT_TRUE(PatternMatches(FoldCase("*.*.*"), FoldCase("a.b.c")));
    EXPECT_FALSE(PatternMatches(FoldCase("*.*.x"), FoldCase("a.b.c")));
    // A long run of near misses stays fast (no exponential backtracking).
    EXPECT_FALSE(PatternMatches(FoldCase("*a*a*a*a*a*a*a*b"), FoldCase(std::string(200, 'a'))));
}

TEST(JunkMasks, EmptyEntriesOfAListSelectNothing) {
    const MaskList list(";;*.tmp;");
    EXPECT_TRUE(list.Matches("a.tmp"));
    EXPECT_FALSE(list.Matches("a.bak"));
    EXPECT_FALSE(MaskList("").Matches("a.tmp"));
}

// Masks with one star at an end, or none, are compared directly; every shape must select
// what the general matching selects.
TEST(JunkMasks, EveryShapeSelectsWhatTheGeneralMatchingSelects) {
    const std::vector<std::string> masks{
        "*.tmp", "*.??$", "~*",  "~*.*",         "thumbs.db", "?.bak", "x?*",  "*",
        "*.*",   "a*b",   "*a*", "mscreate.dir", "*.",        "??",    "^*.*", "*.~*"};
    const std::vector<std::string> names{
        "a.tmp", "A.TMP", ".tmp",      "a.tmpx",       "x.ex$", "x.e$",   "~",   "~a",
        "~a.b",  "a~",    "Thumbs.db", "thumbs.dbx",   "b.bak", "bb.bak", "x",   "xy",
        "ab",    "a",     "b",         "mscreate.dir", "",      "^x",     "a.~1"};
    for (const auto& mask : masks) {
        const std::u32string pattern = FoldCase(mask);
        const bool dotStar = mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*";
        for (const auto& name : names) {
            const std::u32string folded = FoldCase(name);
            const bool general =
                PatternMatches(pattern, folded) ||
                (dotStar && PatternMatches(pattern.substr(0, pattern.size() - 2), folded));
            EXPECT_EQ(MaskList(mask).Matches(name), general) << mask << " on " << name;
        }
    }
    EXPECT_TRUE(MaskList("*.??$").Matches("x.ex$"));
    EXPECT_FALSE(MaskList("*.??$").Matches("x.e$"));
    EXPECT_TRUE(MaskList("?.bak").Matches("B.BAK"));
    EXPECT_FALSE(MaskList("?.bak").Matches("bb.bak"));
    EXPECT_TRUE(MaskList("~*").Matches("~"));
    EXPECT_FALSE(MaskList("x?*").Matches("x"));
}

// The walk judges a folder's files with the folder's part folded once: the same answers
// as the whole path's.
TEST(JunkExclusions, AFolderJudgesItsFilesAsTheirWholePaths) {
    const std::vector<std::string> windowsFolders{"C:\\WINDOWS", "C:\\Windows\\", "", "C:\\"};
    const std::vector<std::string> prefixes{"C:\\",
                                            "D:\\",
                                            "C:\\Windows\\",
                                            "C:\\Users\\Ann\\",
                                            "C:\\windows.old\\",
                                            "D:\\Program Files\\",
                                            "C:\\Program",
                                            "C:\\Win"};
    const std::vector<std::string> names{
        "Windows",       "windows.tmp", "win.tmp", "a.tmp",   "System32",
        "my winsxs.bak", " Files.tmp",  "dows",    "DOWS\\x", ""};
    for (const auto& windows : windowsFolders) {
        for (const auto& prefix : prefixes) {
            const FolderExclusion exclusion(prefix, windows);
            for (const auto& name : names) {
                EXPECT_EQ(exclusion.Excludes(FoldCase(name)), IsExcluded(prefix + name, windows))
                    << prefix << " + " << name << " with " << windows;
            }
        }
    }
    EXPECT_TRUE(FolderExclusion("C:\\", "C:\\WINDOWS").Excludes(FoldCase("windows.tmp")));
    EXPECT_FALSE(FolderExclusion("C:\\", "C:\\WINDOWS").Excludes(FoldCase("win.tmp")));
    EXPECT_TRUE(FolderExclusion("C:\\Program", "C:\\WINDOWS").Excludes(FoldCase(" Files.tmp")));
}

TEST(JunkExclusions, ProtectedWordsAnywhereInAnyCase) {
    const std::string windows = "C:\\WINDOWS";
    EXPECT_TRUE(IsExcluded("D:\\Data\\system32old\\x.tmp", windows));
    EXPECT_TRUE(IsExcluded("D:\\Backup\\Program Files\\x.bak", windows));
    EXPECT_TRUE(IsExcluded("D:\\Backup\\PROGRAM FILES (x86)\\a\\b\\x.bak", windows));
    EXPECT_TRUE(IsExcluded("E:\\old\\WinSxS", windows));
    EXPECT_TRUE(IsExcluded("D:\\x\\mysystem32.tmp", windows));
    EXPECT_FALSE(IsExcluded("D:\\Programs\\x.tmp", windows));
    EXPECT_FALSE(IsExcluded("D:\\ProgramFiles\\x.tmp", windows)) << "the space belongs to it";
    EXPECT_FALSE(IsExcluded("D:\\System\\x.tmp", windows));
}

TEST(JunkExclusions, TheWindowsFolderInAnyCase) {
    const std::string windows = "C:\\WINDOWS";
    EXPECT_TRUE(IsExcluded("C:\\WINDOWS\\temp\\x.tmp", windows));
    EXPECT_TRUE(IsExcluded("C:\\windows\\temp\\x.tmp", windows));
    EXPECT_TRUE(IsExcluded("c:\\Windows", windows));
    EXPECT_FALSE(IsExcluded("C:\\temp\\x.tmp", windows));
    EXPECT_FALSE(IsExcluded("D:\\WINDOWS\\x.tmp", windows)) << "another drive";
    EXPECT_FALSE(IsExcluded("C:\\", windows));
    EXPECT_FALSE(IsExcluded("C:\\win.tmp", windows));
}

TEST(JunkExclusions, AnUnknownWindowsFolderProtectsEverything) {
    EXPECT_TRUE(IsExcluded("D:\\x.tmp", ""));
}

TEST(CacheGuard, APlainCacheFolderMaySweep) {
    const std::string profile = "C:\\users\\ann";
    const std::string windows = "C:\\windows";
    EXPECT_TRUE(CacheFolderIsSafe("C:\\users\\ann\\AppData\\Local\\INetCache\\", profile, windows));
    EXPECT_TRUE(CacheFolderIsSafe("D:\\Cache", profile, windows));
    EXPECT_TRUE(CacheFolderIsSafe("C:\\users\\anna", profile, windows))
        << "another folder that only begins like the profile";
    EXPECT_TRUE(CacheFolderIsSafe("C:\\windowsold\\cache", profile, windows));
}

TEST(CacheGuard, NothingThatIsEmptyOrNotAPlainFolder) {
    const std::string profile = "C:\\users\\ann";
    const std::string windows = "C:\\windows";
    for (const char* folder :
         {"", "\\", "C:", "C:\\", "c:\\\\", "D:\\", "cache", "\\\\server\\share\\cache",
          "C:\\users\\ann\\..\\..", "C:\\.\\x", "C:\\a\\\\b", "C:/cache", "1:\\cache"}) {
        EXPECT_FALSE(CacheFolderIsSafe(folder, profile, windows)) << folder;
    }
}

TEST(CacheGuard, NeitherTheProfileNorWindowsNorWhatHoldsThem) {
    const std::string profile = "C:\\Users\\Ann\\";
    const std::string windows = "C:\\WINDOWS";
    for (const char* folder :
         {"C:\\users\\ann", "C:\\USERS\\ANN\\", "C:\\Users", "C:\\windows", "c:\\Windows\\"}) {
        EXPECT_FALSE(CacheFolderIsSafe(folder, profile, windows)) << folder;
    }
    // Below them is the normal place of a cache.
    EXPECT_TRUE(CacheFolderIsSafe("C:\\Users\\Ann\\Local Settings\\Temporary Internet Files",
                                  profile, windows));
    EXPECT_TRUE(CacheFolderIsSafe("C:\\WINDOWS\\Temporary Internet Files", profile, windows))
        << "the exclusions keep this walk out of it anyway";
}

TEST(CacheGuard, UnknownProfileOrWindowsFolderGuardsNothingMore) {
    EXPECT_TRUE(CacheFolderIsSafe("C:\\Users\\Ann", "", ""));
    EXPECT_FALSE(CacheFolderIsSafe("C:\\", "", ""));
}

}  // namespace
}  // namespace keldra::disk

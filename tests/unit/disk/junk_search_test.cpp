// The junk search on the simulated machine: what each rule lists, in which order, what
// it leaves alone, and how a walk ends early.
#include <new>

#include "tests/unit/disk/disk_fixture.h"

namespace keldra::disk::testing {
namespace {

using Entries = std::vector<std::pair<std::string, int>>;

class JunkSearch : public DiskTest {};

TEST_F(JunkSearch, SubfoldersBeforeTheFolderAndRuleByRule) {
    Add("C:\\a.tmp", "12345");
    Add("C:\\~b.doc", "1");
    Add("C:\\X\\c.tmp", "123");
    Add("C:\\X\\d.bak", "1234567");
    Search();
    EXPECT_EQ(
        Found(),
        (Entries{{"C:\\X\\c.tmp", 3}, {"C:\\a.tmp", 3}, {"C:\\~b.doc", 3}, {"C:\\X\\d.bak", 8}}));
    EXPECT_EQ(junk.JunkCount, 4);
    EXPECT_EQ(junk.JunkBytes, 3 + 5 + 1 + 7);
    EXPECT_EQ(junk.JunkFiles[0].Bytes, 3);
    EXPECT_EQ(junk.JunkFiles[3].Bytes, 7);
    for (const auto& file : junk.JunkFiles) {
        EXPECT_TRUE(file.Marked) << file.Path;
    }
}

TEST_F(JunkSearch, SubfoldersFromLastToFirstInNameOrderWhateverThePlatformGives) {
    for (const char* folder : {"C:\\A", "C:\\b", "C:\\C"}) {
        Add(std::string(folder) + "\\x.tmp");
        Add(std::string(folder) + "\\Deep\\y.tmp");
    }
    const std::vector<std::string> expected{"C:\\C\\Deep\\y.tmp", "C:\\C\\x.tmp",
                                            "C:\\b\\Deep\\y.tmp", "C:\\b\\x.tmp",
                                            "C:\\A\\Deep\\y.tmp", "C:\\A\\x.tmp"};
    Search();
    EXPECT_EQ(Paths(), expected);
    files.SetReverseListings(true);
    Search();
    EXPECT_EQ(Paths(), expected) << "listings are put in name order first";
}

TEST_F(JunkSearch, FilesInNameOrderWithoutRegardToCase) {
    Add("C:\\b.TMP");
    Add("C:\\A.tmp");
    Add("C:\\c.tmp");
    Add("C:\\_u.tmp");
    files.SetReverseListings(true);
    Search();
    EXPECT_EQ(Paths(),
              (std::vector<std::string>{"C:\\A.tmp", "C:\\b.TMP", "C:\\c.tmp", "C:\\_u.tmp"}));
}

TEST_F(JunkSearch, MasksOnLongNamesOnly) {
    for (const char* name : {"^draft.doc", "~tmp1.doc", "setup.ex$", "MSCREATE.DIR", "Thumbs.db",
                             "x.OLD", "help.gid", "x.older", "notes.txt", "a.tmpl", "x.bak2"}) {
        Add(std::string("C:\\d\\") + name);
    }
    Search();
    EXPECT_EQ(Found(), (Entries{{"C:\\d\\MSCREATE.DIR", 3},
                                {"C:\\d\\setup.ex$", 3},
                                {"C:\\d\\^draft.doc", 3},
                                {"C:\\d\\~tmp1.doc", 3},
                                {"C:\\d\\Thumbs.db", 4},
                                {"C:\\d\\help.gid", 5},
                                {"C:\\d\\x.OLD", 8}}));
}

TEST_F(JunkSearch, ANameTwoRulesSelectIsListedOnce) {
    Add("C:\\~x.bak", "abc");
    Add("C:\\~y.gid", "abcd");
    Search();
    EXPECT_EQ(Found(), (Entries{{"C:\\~x.bak", 3}, {"C:\\~y.gid", 3}}));
    EXPECT_EQ(junk.JunkBytes, 7) << "counted once";
}

TEST_F(JunkSearch, ProtectedFoldersAreNeitherEnteredNorListed) {
    files.AddDrive('D', drive_code::kFixed);
    // The Windows folder is C:\WINDOWS; the disk spells it otherwise.
    files.RemoveTree("C:\\WINDOWS");
    Add("C:\\windows\\temp\\x.tmp");
    Add("C:\\windows\\y.bak");
    Add("C:\\windows.old\\z.tmp");  // begins like the Windows folder
    Add("D:\\Backup\\Program Files\\x.bak");
    Add("D:\\Backup\\program files\\deep\\x.tmp");
    Add("D:\\Data\\system32old\\x.tmp");
    Add("D:\\Data\\x.system32.tmp");
    Add("D:\\a\\WinSxS\\x.tmp");
    Add("D:\\Programs\\x.tmp");
    Add("D:\\Data\\keep.tmp");
    Search();
    EXPECT_EQ(Paths(), (std::vector<std::string>{"D:\\Programs\\x.tmp", "D:\\Data\\keep.tmp"}));
}

TEST_F(JunkSearch, HiddenAndSystemStayReadOnlyIsListed) {
    Add("C:\\d\\thumbs.db");
    files.SetAttributesOf("C:\\d\\thumbs.db", attr::kHidden | attr::kArchive);
    Add("C:\\d\\s.tmp");
    files.SetAttributesOf("C:\\d\\s.tmp", attr::kSystem | attr::kArchive);
    Add("C:\\d\\x.old");
    files.SetAttributesOf("C:\\d\\x.old", attr::kReadOnly | attr::kArchive);
    Add("C:\\hid\\in.tmp");
    files.SetAttributesOf("C:\\hid", attr::kHidden);
    Add("C:\\sys\\in.tmp");
    files.SetAttributesOf("C:\\sys", attr::kSystem);
    Search();
    EXPECT_EQ(Found(), (Entries{{"C:\\d\\x.old", 8}}));
}

TEST_F(JunkSearch, TheThousandAndFirstEntryAndMore) {
    for (int i = 0; i < 2500; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "C:\\t\\f%04d.tmp", i);
        Add(name, "x");
    }
    Search();
    ASSERT_EQ(junk.JunkCount, 2500);
    EXPECT_EQ(junk.JunkFiles.size(), 2500u);
    EXPECT_EQ(junk.JunkFiles[1000].Path, "C:\\t\\f1000.tmp");
    EXPECT_EQ(junk.JunkFiles[2499].Path, "C:\\t\\f2499.tmp");
    EXPECT_EQ(junk.JunkBytes, 2500);
}

TEST_F(JunkSearch, OnlyFixedDrivesInListOrder) {
    files.AddDrive('A', drive_code::kRemovable);
    files.AddDrive('D', drive_code::kFixed);
    files.AddDrive('E', drive_code::kCdRom);
    files.AddDrive('N', drive_code::kRemote);
    files.AddDrive('R', drive_code::kRamDisk);
    for (const char* path :
         {"A:\\a.tmp", "C:\\c.tmp", "D:\\d.tmp", "E:\\e.tmp", "N:\\n.tmp", "R:\\r.tmp"}) {
        Add(path);
    }
    Search();
    EXPECT_EQ(Paths(), (std::vector<std::string>{"C:\\c.tmp", "D:\\d.tmp"}));
}

TEST_F(JunkSearch, NoFixedDriveNoSearch) {
    files.AddDrive('C', drive_code::kRemovable);
    Add("C:\\c.tmp");
    files.SetSpecialFolder(platform::csidl::kInternetCache, "C:\\Cache");
    Add("C:\\Cache\\page.htm");
    Search();
    EXPECT_EQ(junk.JunkCount, 0);
    EXPECT_EQ(events, 0);
}

TEST_F(JunkSearch, AFolderThatCannotBeEnteredSkipsOnlyItsSubtree) {
    Add("C:\\A\\a.tmp");
    Add("C:\\B\\Inner\\i.tmp");
    Add("C:\\B\\b.tmp");
    Add("C:\\C\\c.tmp");
    Add("C:\\root.tmp");
    files.FailOn("C:\\B", SimOp::List, platform::file_status::kAccessDenied);
    Search();
    EXPECT_EQ(Paths(), (std::vector<std::string>{"C:\\C\\c.tmp", "C:\\A\\a.tmp", "C:\\root.tmp"}));
}

TEST_F(JunkSearch, ReparsePointsAreNeitherEnteredNorListed) {
    files.AddDrive('D', drive_code::kRemovable);
    Add("D:\\Target\\far.tmp");
    Add("C:\\Real\\near.tmp");
    ASSERT_TRUE(files.AddJunction("C:\\Link", "D:\\Target"));
    ASSERT_TRUE(files.AddJunction("C:\\Real\\Loop", "C:\\Real"));
    Add("C:\\cloud.tmp");
    ASSERT_TRUE(files.MarkReparsePoint("C:\\cloud.tmp"));
    Search();
    EXPECT_EQ(Paths(), (std::vector<std::string>{"C:\\Real\\near.tmp"}));
}

TEST_F(JunkSearch, CancelStopsAtTheNextFolderAndLaterRulesListNothing) {
    Add("C:\\A\\a.tmp");
    Add("C:\\A\\a.bak");
    Add("C:\\B\\b.tmp");
    Add("C:\\B\\b.bak");
    files.AddDrive('D', drive_code::kFixed);
    Add("D:\\d.tmp");
    // Folders are entered C:\, WINDOWS, B, A: the cancel comes as A is entered.
    onEvent = [this] {
        if (events == 4) {
            cancelled = true;
        }
    };
    Search();
    EXPECT_EQ(Found(), (Entries{{"C:\\B\\b.tmp", 3}}));
    EXPECT_FALSE(Clean().ScanActive);
    EXPECT_EQ(events, 5) << "D: is started and ends at its first test";
}

TEST_F(JunkSearch, AnEventPerFolderAndTheFolderInProgress) {
    Add("C:\\A\\a.tmp");
    Add("C:\\A\\Sub\\s.tmp");
    Add("C:\\B\\b.tmp");
    Search();
    EXPECT_EQ(events, 5) << "C:\\, WINDOWS (found protected), B, A, A\\Sub";
    EXPECT_EQ(progress, (std::vector<std::string>{"<OCM_SIn>C:\\", "<OCM_SIn>C:\\", "<OCM_SIn>C:\\",
                                                  "<OCM_SIn>C:\\A"}));
    EXPECT_EQ(loads, 3) << "the results window is loaded for each row";
}

TEST_F(JunkSearch, OutOfMemoryEndsTheFolderAboveAndTheWalkGoesOn) {
    Add("C:\\P\\Q1\\q.tmp");
    Add("C:\\P\\Q2\\bad.tmp");
    Add("C:\\P\\p.tmp");
    Add("C:\\R\\r.tmp");
    Add("C:\\z.tmp");
    Add("C:\\P\\Q1\\q.bak");
    onLoad = [this] {
        if (junk.JunkCount == 1 && loads == 2) {
            throw std::bad_alloc();
        }
    };
    Search();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, "<DCmain_MsgMemError>");
    EXPECT_EQ(messages[0].second, "<msg_OverError>");
    // Q2 failed; P ends at once (Q1 and its own files skipped); the root goes on. The
    // walk of rule 8 has no such trouble and finds its file, as its own walk would.
    EXPECT_EQ(Found(), (Entries{{"C:\\R\\r.tmp", 3}, {"C:\\z.tmp", 3}, {"C:\\P\\Q1\\q.bak", 8}}));
}

TEST_F(JunkSearch, SizesPastTwoGigabytes) {
    ASSERT_TRUE(files.AddFileOfSize("C:\\big.tmp", 3ULL << 30));
    ASSERT_TRUE(files.AddFileOfSize("C:\\huge.bak", 5ULL << 30));
    Search();
    ASSERT_EQ(junk.JunkCount, 2);
    EXPECT_EQ(junk.JunkFiles[0].Bytes, std::int64_t{3} << 30);
    EXPECT_EQ(junk.JunkBytes, std::int64_t{8} << 30);
}

class InternetCache : public DiskTest {
  protected:
    InternetCache() {
        files.AddDrive('D', drive_code::kFixed);
        files.AddFolder("C:\\Users\\Ann");
        files.SetSpecialFolder(kProfileFolder, "C:\\Users\\Ann");
        Add("C:\\Users\\Ann\\Cache\\page.htm", "12");
        Add("C:\\Users\\Ann\\Cache\\Sub\\pic.gif", "3");
        Add("C:\\Users\\Ann\\Cache\\old.tmp", "4");
        Add("C:\\Users\\Ann\\notes.txt");
        Add("C:\\Users\\Ann\\draft.bak");
        Add("D:\\d.tmp");
    }
    void CacheAt(std::string path) {
        files.SetSpecialFolder(platform::csidl::kInternetCache, std::move(path));
    }
};

TEST_F(InternetCache, EverythingInItOnceAPassNothingTwice) {
    CacheAt("C:\\Users\\Ann\\Cache");
    Search();
    EXPECT_EQ(Found(), (Entries{{"C:\\Users\\Ann\\Cache\\Sub\\pic.gif", 1},
                                {"C:\\Users\\Ann\\Cache\\old.tmp", 1},
                                {"C:\\Users\\Ann\\Cache\\page.htm", 1},
                                {"C:\\Users\\Ann\\draft.bak", 8},
                                {"D:\\d.tmp", 3}}));
    EXPECT_EQ(junk.JunkBytes, 1 + 1 + 2 + 4 + 4);
}

TEST_F(InternetCache, OnTheFirstListedDriveWhereverTheCacheIs) {
    files.AddDrive('C', drive_code::kRemovable);
    files.SetSpecialFolder(kProfileFolder, "D:\\Users\\Bo");
    Add("D:\\Users\\Bo\\Cache\\page.htm");
    CacheAt("D:\\Users\\Bo\\Cache");
    files.AddDrive('E', drive_code::kFixed);
    Search();
    EXPECT_EQ(Found(), (Entries{{"D:\\Users\\Bo\\Cache\\page.htm", 1}, {"D:\\d.tmp", 3}}));
}

TEST_F(InternetCache, NothingFromAnEmptyMissingOrSweepingStartFolder) {
    // "Gone" does not exist, so the shell finds no folder there.
    for (const char* start : {"", "C:\\", "D:\\", "C:\\Users\\Ann", "C:\\users\\ann\\", "C:\\Users",
                              "C:\\WINDOWS", "c:\\windows", "C:\\Users\\Ann\\Gone"}) {
        CacheAt(start);
        Search();
        EXPECT_EQ(Found(), (Entries{{"C:\\Users\\Ann\\Cache\\old.tmp", 3},
                                    {"C:\\Users\\Ann\\draft.bak", 8},
                                    {"D:\\d.tmp", 3}}))
            << "start folder \"" << start << "\"";
    }
}

TEST_F(InternetCache, AStartFolderThatCannotBeEnteredListsNothing) {
    CacheAt("C:\\Users\\Ann\\Cache");
    files.FailOn("C:\\Users\\Ann\\Cache", SimOp::List, platform::file_status::kAccessDenied);
    Search();
    EXPECT_EQ(Found(), (Entries{{"C:\\Users\\Ann\\draft.bak", 8}, {"D:\\d.tmp", 3}}));
}

TEST_F(InternetCache, WithoutAShellFolderTheDrivesStillRun) {
    files.FailSpecialFolder(platform::csidl::kInternetCache, static_cast<std::int32_t>(0x80004005));
    Search();
    EXPECT_EQ(junk.JunkCount, 3);
}

TEST_F(JunkSearch, WineLinksToFilesAreNeverListed) {
    // Wine shows a Unix link to a file as the file it leads to: no reparse bit.
    files.SetListingsShowFileLinks(false);
    Add("C:\\Users\\Ann\\letter.doc", "dear");
    Add("C:\\Temp\\real.tmp");
    ASSERT_TRUE(files.AddUnixLink("C:\\Temp\\link.tmp", "C:\\Users\\Ann\\letter.doc"));
    ASSERT_TRUE(files.AddUnixLink("C:\\Temp\\dir.bak", "C:\\Users\\Ann"));
    ASSERT_EQ(files.AttributesOf("C:\\Temp\\link.tmp"), attr::kArchive);
    Search();
    EXPECT_EQ(Paths(), (std::vector<std::string>{"C:\\Temp\\real.tmp"}));
}

TEST_F(JunkSearch, LinksAndJunctionsAreNeitherEnteredNorListed) {
    Add("C:\\Users\\Ann\\Documents\\draft.tmp");
    Add("C:\\Temp\\real.tmp");
    ASSERT_TRUE(files.AddJunction("C:\\Temp\\Junction", "C:\\Users\\Ann\\Documents"));
    ASSERT_TRUE(files.AddUnixLink("C:\\Temp\\Link", "C:\\Users\\Ann\\Documents"));
    Add("C:\\Temp\\marked.tmp");
    ASSERT_TRUE(files.MarkReparsePoint("C:\\Temp\\marked.tmp"));
    Search();
    EXPECT_EQ(Paths(), (std::vector<std::string>{"C:\\Users\\Ann\\Documents\\draft.tmp",
                                                 "C:\\Temp\\real.tmp"}));
}

TEST_F(JunkSearch, AFolderThatBecomesALinkDuringTheWalkIsNotEntered) {
    Add("C:\\B\\b.tmp");
    Add("C:\\A\\a.tmp");
    Add("C:\\Users\\Ann\\Documents\\letter.tmp");
    // While B is walked (the walk goes from the last subfolder to the first), A becomes a
    // link to the documents.
    onEvent = [this] {
        if (events == 3) {
            files.RemoveTree("C:\\A");
            files.AddUnixLink("C:\\A", "C:\\Users\\Ann\\Documents");
        }
    };
    Search();
    EXPECT_EQ(Paths(),
              (std::vector<std::string>{"C:\\Users\\Ann\\Documents\\letter.tmp", "C:\\B\\b.tmp"}));
}

TEST_F(JunkSearch, AHardLinkedFileIsListedOnce) {
    Add("C:\\A\\one.tmp");
    ASSERT_TRUE(files.AddHardLink("C:\\B\\two.bak", "C:\\A\\one.tmp"));
    Search();
    EXPECT_EQ(Found(), (Entries{{"C:\\A\\one.tmp", 3}}));
}

TEST_F(JunkSearch, AWalkEndedByAnEventCostsOnlyItsOwnRule) {
    Add("C:\\A\\a.tmp");
    Add("C:\\A\\a.bak");
    Add("C:\\B\\b.tmp");
    Add("C:\\B\\b.bak");
    Add("C:\\r.bak");
    Add("C:\\r.gid");
    // Events: C:\ (1), WINDOWS (2), B (3): rule 3's walk ends there, as four walks of
    // their own would have it; the other rules walk on their own.
    onEvent = [this] {
        if (events == 3) {
            Clean().EndScan();
        }
    };
    Search();
    EXPECT_EQ(
        Found(),
        (Entries{{"C:\\r.gid", 5}, {"C:\\B\\b.bak", 8}, {"C:\\A\\a.bak", 8}, {"C:\\r.bak", 8}}));
}

// Out of memory while a file of one rule is appended: the message once, and the search
// goes on; every other rule lists what its own walk finds.
TEST_F(JunkSearch, OutOfMemoryInAnyRule) {
    files.AddFolder("C:\\Users\\Ann\\Cache");
    files.SetSpecialFolder(kProfileFolder, "C:\\Users\\Ann");
    files.SetSpecialFolder(platform::csidl::kInternetCache, "C:\\Users\\Ann\\Cache");
    Add("C:\\Users\\Ann\\Cache\\page.htm");
    const Entries everything{{"C:\\Users\\Ann\\Cache\\page.htm", 1},
                             {"C:\\A\\a.tmp", 3},
                             {"C:\\r.tmp", 3},
                             {"C:\\A\\thumbs.db", 4},
                             {"C:\\A\\a.gid", 5},
                             {"C:\\A\\a.bak", 8},
                             {"C:\\r.bak", 8}};
    for (const auto& [path, rule] : everything) {
        if (rule != 1) {
            Add(path);
        }
    }
    for (const int failing : {1, 3, 4, 5, 8}) {
        messages.clear();
        bool thrown = false;
        onLoad = [&, failing] {
            if (!thrown && Clean().CurrentRule == failing) {
                thrown = true;
                throw std::bad_alloc();
            }
        };
        ASSERT_NO_THROW(Search()) << "rule " << failing;
        EXPECT_TRUE(thrown) << "rule " << failing;
        EXPECT_EQ(messages.size(), 1u) << "rule " << failing;
        Entries others;
        Entries ofFailing;
        for (const auto& entry : Found()) {
            (entry.second == failing ? ofFailing : others).push_back(entry);
        }
        Entries expected;
        for (const auto& entry : everything) {
            if (entry.second != failing) {
                expected.push_back(entry);
            }
        }
        EXPECT_EQ(others, expected) << "rule " << failing;
    }
}

class CacheFolder : public DiskTest {
  protected:
    CacheFolder() {
        files.AddDrive('D', drive_code::kFixed);
        files.SetSpecialFolder(kProfileFolder, "C:\\Users\\Ann");
        Add("C:\\Users\\Ann\\Documents\\letter.doc", "dear");
        Add("C:\\Users\\Ann\\AppData\\Local\\Microsoft\\Windows\\INetCache\\page.htm");
        Add("D:\\Data\\report.doc");
    }
    void CacheAt(std::string path) {
        files.SetSpecialFolder(platform::csidl::kInternetCache, std::move(path));
    }
    // What the drive rules find, and nothing of the cache rule.
    void ExpectNoCacheRule() {
        Search();
        for (const auto& [path, rule] : Found()) {
            EXPECT_NE(rule, 1) << path;
        }
    }
};

TEST_F(CacheFolder, TheCacheItselfIsSwept) {
    CacheAt("C:\\Users\\Ann\\AppData\\Local\\Microsoft\\Windows\\INetCache");
    Search();
    EXPECT_EQ(
        Found(),
        (Entries{{"C:\\Users\\Ann\\AppData\\Local\\Microsoft\\Windows\\INetCache\\page.htm", 1}}));
}

TEST_F(CacheFolder, NotWhenTheCacheIsAJunctionToAnotherDrive) {
    ASSERT_TRUE(files.RemoveTree("C:\\Users\\Ann\\AppData\\Local\\Microsoft\\Windows\\INetCache"));
    ASSERT_TRUE(
        files.AddJunction("C:\\Users\\Ann\\AppData\\Local\\Microsoft\\Windows\\INetCache", "D:\\"));
    CacheAt("C:\\Users\\Ann\\AppData\\Local\\Microsoft\\Windows\\INetCache");
    ExpectNoCacheRule();
    EXPECT_TRUE(Found().empty());
}

TEST_F(CacheFolder, NotWhenTheCacheLiesBehindAJunction) {
    Add("D:\\Elsewhere\\Windows\\INetCache\\x.dat");
    ASSERT_TRUE(files.RemoveTree("C:\\Users\\Ann\\AppData\\Local\\Microsoft"));
    ASSERT_TRUE(files.AddJunction("C:\\Users\\Ann\\AppData\\Local\\Microsoft", "D:\\Elsewhere"));
    CacheAt("C:\\Users\\Ann\\AppData\\Local\\Microsoft\\Windows\\INetCache");
    ExpectNoCacheRule();
}

TEST_F(CacheFolder, NotTheProfileSpelledWithAFinalDotOrBlank) {
    for (const char* start : {"C:\\Users\\Ann.", "C:\\Users\\Ann ", "C:\\Users\\Ann.\\",
                              "C:\\Users.\\Ann\\AppData\\Local\\Microsoft\\Windows\\INetCache"}) {
        CacheAt(start);
        ExpectNoCacheRule();
    }
}

TEST_F(CacheFolder, NotTheProfileThroughTheLegacyJunction) {
    ASSERT_TRUE(files.AddJunction("C:\\Documents and Settings", "C:\\Users"));
    CacheAt("C:\\Documents and Settings\\Ann");
    ExpectNoCacheRule();
    CacheAt("C:\\Documents and Settings\\Ann\\AppData\\Local\\Microsoft\\Windows\\INetCache");
    ExpectNoCacheRule();
}

TEST_F(CacheFolder, NotAShortNameSpelling) {
    // A short name may stand for any long name; the simulated machine has none, so a
    // folder is given the very name a short spelling would use.
    Add("C:\\Users\\Ann\\AppData\\Local\\MICROS~1\\Windows\\INetCache\\page.htm");
    CacheAt("C:\\Users\\Ann\\AppData\\Local\\MICROS~1\\Windows\\INetCache");
    ExpectNoCacheRule();
}

TEST_F(CacheFolder, NothingWhenTheProfileIsUnknown) {
    files.FailSpecialFolder(kProfileFolder, static_cast<std::int32_t>(0x80004005));
    CacheAt("C:\\Users\\Ann");
    ExpectNoCacheRule();
    CacheAt("C:\\Users\\Ann\\AppData\\Local\\Microsoft\\Windows\\INetCache");
    ExpectNoCacheRule();
}

TEST_F(CacheFolder, ACacheFileReachedTwiceIsListedOnce) {
    // The cache spelled through a junction is not swept at all; the drive rule finds the
    // file under its own name, once.
    Add("C:\\Users\\Ann\\AppData\\Local\\Microsoft\\Windows\\INetCache\\old.tmp", "4");
    ASSERT_TRUE(files.AddJunction("C:\\Docs", "C:\\Users"));
    CacheAt("C:\\Docs\\Ann\\AppData\\Local\\Microsoft\\Windows\\INetCache");
    Search();
    EXPECT_EQ(
        Found(),
        (Entries{{"C:\\Users\\Ann\\AppData\\Local\\Microsoft\\Windows\\INetCache\\old.tmp", 3}}));
    EXPECT_EQ(junk.JunkBytes, 1);
}

TEST_F(CacheFolder, ACacheFileWithASecondNameIsListedOnce) {
    Add("C:\\Users\\Ann\\AppData\\Local\\Microsoft\\Windows\\INetCache\\old.tmp", "4");
    ASSERT_TRUE(files.AddHardLink(
        "C:\\Temp\\copy.tmp",
        "C:\\Users\\Ann\\AppData\\Local\\Microsoft\\Windows\\INetCache\\old.tmp"));
    CacheAt("C:\\Users\\Ann\\AppData\\Local\\Microsoft\\Windows\\INetCache");
    Search();
    EXPECT_EQ(
        Found(),
        (Entries{{"C:\\Users\\Ann\\AppData\\Local\\Microsoft\\Windows\\INetCache\\old.tmp", 1},
                 {"C:\\Users\\Ann\\AppData\\Local\\Microsoft\\Windows\\INetCache\\page.htm", 1}}));
}

}  // namespace
}  // namespace keldra::disk::testing

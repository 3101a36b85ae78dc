// The file operations of the junk walk and of junk removal, on the simulated machine and
// on the sandbox prefix's own drives.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "contract/file_fixture.h"

namespace keldra::testing {
namespace {

constexpr std::uint32_t kDir = file_attribute::kDirectory;
constexpr std::uint32_t kArchive = file_attribute::kArchive;
constexpr std::uint32_t kHidden = file_attribute::kHidden;
constexpr std::uint32_t kSystem = file_attribute::kSystem;
constexpr std::uint32_t kReadOnly = file_attribute::kReadOnly;
constexpr std::uint32_t kNormal = file_attribute::kNormal;

// Where the Windows-side test run keeps a reparse point that Wine cannot make itself: a
// Unix symbolic link made by tests/scripts/reparse_fixture.sh before the run.
constexpr const char* kPreparedLink = "D:\\keldra-reparse\\link";
constexpr const char* kPreparedTarget = "D:\\keldra-reparse\\target";
constexpr const char* kPreparedFileLink = "D:\\keldra-reparse\\file-link.tmp";

class FilePortContract : public FileTest {
  protected:
    std::vector<FolderEntry> Sorted(std::vector<FolderEntry> entries) {
        std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
            return text::CompareNoCase(text::Utf8ToUtf16(a.name), text::Utf8ToUtf16(b.name)) < 0;
        });
        return entries;
    }
    bool Exists(std::string_view sub) { return Attributes(Path(sub)) != file_attribute::kInvalid; }
};

TEST_P(FilePortContract, AListingGivesEveryEntryOnceWithAttributesAndSize) {
    MakeFile("b.txt", "0123456789");
    MakeFile("A.tmp", "x");
    MakeFolder("Sub");
    MakeFile("Sub\\deeper.tmp");
    MakeFile("hidden.dat", "h");
    SetAttributes("hidden.dat", kHidden | kArchive);
    MakeFile("system.dat", "");
    SetAttributes("system.dat", kHidden | kSystem | kArchive);
    MakeFile("ro.old", "ro");
    SetAttributes("ro.old", kReadOnly | kArchive);
    MakeFile("x.older", "o");
    MakeFile("Файл.bak", "ru");
    MakeFile("文件.tmp", "cjk");
    MakeFolder("Hidden folder");
    SetAttributes("Hidden folder", kHidden);

    // In whatever order the platform gives; compared in name order.
    const std::vector<FolderEntry> expected{
        {"A.tmp", kArchive, 1, false},
        {"b.txt", kArchive, 10, false},
        {"Hidden folder", kDir | kHidden, 0, false},
        {"hidden.dat", kHidden | kArchive, 1, false},
        {"ro.old", kReadOnly | kArchive, 2, false},
        {"Sub", kDir, 0, false},
        {"system.dat", kHidden | kSystem | kArchive, 0, false},
        {"x.older", kArchive, 1, false},
        {"Файл.bak", kArchive, 2, false},
        {"文件.tmp", kArchive, 3, false},
    };
    EXPECT_EQ(Sorted(List(Path())), expected);
    EXPECT_EQ(Sorted(List(Path("sub\\"))), (std::vector<FolderEntry>{{"deeper.tmp", kArchive, 4}}))
        << "a separator after the folder changes nothing";
}

TEST_P(FilePortContract, EmptyMissingAndFileFoldersList) {
    MakeFolder("Empty");
    MakeFile("file.txt");
    std::vector<FolderEntry> entries{{"left over", 0, 0, false}};
    EXPECT_EQ(files().ListFolder(Path("Empty"), entries), file_status::kSuccess);
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(files().ListFolder(Path("missing"), entries), file_status::kPathNotFound);
    EXPECT_EQ(files().ListFolder("", entries), file_status::kPathNotFound);
    EXPECT_EQ(files().ListFolder(Path("missing\\deeper"), entries), file_status::kPathNotFound);
    EXPECT_NE(files().ListFolder(Path("file.txt"), entries), file_status::kSuccess);
    EXPECT_NE(files().ListFolder("Q:\\", entries), file_status::kSuccess);

    // A drive's root has no "." and "..": an empty one (the network drive N:) lists
    // nothing, and the root of D: lists this test's folder among its entries.
    EXPECT_EQ(files().ListFolder("N:\\", entries), file_status::kSuccess);
    EXPECT_TRUE(entries.empty());
    bool found = false;
    for (const auto& entry : List("D:\\")) {
        EXPECT_NE(entry.name, ".");
        EXPECT_NE(entry.name, "..");
        found = found || (entry.name == BaseName() && entry.attributes == kDir);
    }
    EXPECT_TRUE(found) << BaseName();
}

TEST_P(FilePortContract, AReparsePointIsFlaggedAndLeadsToItsTarget) {
    MakeFile("target\\inside.txt", "in");
    std::string link = Path("link");
    std::string target = Path("target");
    if (!backend_->MakeJunction(link, target)) {
        // Wine 8 cannot make one: FSCTL_SET_REPARSE_POINT answers "not supported" and
        // CreateSymbolicLinkW does nothing. A Unix symbolic link is its reparse point.
        ASSERT_TRUE(backend_->OnWine()) << "Windows must be able to make a junction";
        link = kPreparedLink;
        target = kPreparedTarget;
        if (!fs().FolderExists(target)) {
            GTEST_SKIP() << "no reparse point: run under ctest, whose fixture makes "
                         << kPreparedLink;
        }
    }
    const std::string parent = link.substr(0, link.rfind('\\'));
    const auto entries = List(parent);
    const auto entry = std::find_if(entries.begin(), entries.end(),
                                    [](const FolderEntry& e) { return e.name == "link"; });
    ASSERT_NE(entry, entries.end());
    EXPECT_TRUE(entry->reparsePoint);
    EXPECT_EQ(entry->attributes & (kDir | file_attribute::kReparsePoint),
              kDir | file_attribute::kReparsePoint);
    const auto plain = std::find_if(entries.begin(), entries.end(),
                                    [](const FolderEntry& e) { return e.name == "target"; });
    ASSERT_NE(plain, entries.end());
    EXPECT_FALSE(plain->reparsePoint);

    EXPECT_EQ(Attributes(link) & file_attribute::kReparsePoint, file_attribute::kReparsePoint);
    EXPECT_TRUE(fs().FolderExists(link));
    // Listed, it shows what it leads to.
    EXPECT_EQ(List(link), (std::vector<FolderEntry>{{"inside.txt", kArchive, 2}}));
    EXPECT_TRUE(fs().FileExists(link + "\\inside.txt"));
}

TEST_P(FilePortContract, AttributesReadBackAsTheyWereSet) {
    MakeFile("f.txt");
    MakeFolder("Dir");
    EXPECT_EQ(Attributes(Path("f.txt")), kArchive) << "a new file";
    SetAttributes("f.txt", kHidden | kSystem);
    // Wine keeps the archive bit on every file.
    EXPECT_EQ(Attributes(Path("f.txt")),
              WindowsOrWine(kHidden | kSystem, kHidden | kSystem | kArchive));
    SetAttributes("f.txt", kReadOnly | kArchive);
    EXPECT_EQ(Attributes(Path("f.txt")), kReadOnly | kArchive);
    SetAttributes("f.txt", kNormal);
    EXPECT_EQ(Attributes(Path("f.txt")), WindowsOrWine(kNormal, kArchive));
    SetAttributes("f.txt", 0);
    EXPECT_EQ(Attributes(Path("f.txt")), WindowsOrWine(kNormal, kArchive));
    // Wine cannot store the temporary bit.
    SetAttributes("f.txt", file_attribute::kTemporary);
    EXPECT_EQ(Attributes(Path("f.txt")), WindowsOrWine(file_attribute::kTemporary, kArchive));
    SetAttributes("f.txt", kNormal | kHidden);
    EXPECT_EQ(Attributes(Path("f.txt")), WindowsOrWine(kHidden, kHidden | kArchive))
        << "normal only stands alone";

    SetAttributes("Dir", kHidden | kSystem);
    EXPECT_EQ(Attributes(Path("dir")), kDir | kHidden | kSystem);
    SetAttributes("Dir", kNormal);
    EXPECT_EQ(Attributes(Path("Dir")), kDir);

    std::uint32_t attributes = 0x12345;
    EXPECT_EQ(files().GetAttributes(Path("missing"), attributes), file_status::kFileNotFound);
    EXPECT_EQ(files().GetAttributes(Path("missing\\x"), attributes), file_status::kPathNotFound);
    EXPECT_EQ(attributes, 0x12345u) << "left alone on failure";
    EXPECT_EQ(files().SetAttributes(Path("missing"), kNormal), file_status::kFileNotFound);
    EXPECT_EQ(files().SetAttributes(Path("missing\\x"), kNormal), file_status::kPathNotFound);
}

TEST_P(FilePortContract, TruncationEmptiesAPlainFileAndLeavesOthersAlone) {
    MakeFile("plain.tmp", "0123456789");
    EXPECT_EQ(files().TruncateFile(Path("plain.tmp")), file_status::kSuccess);
    std::uint64_t size = 99;
    EXPECT_EQ(files().FileSize(Path("plain.tmp"), size), file_status::kSuccess);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(backend_->ReadFile(Path("plain.tmp")), "");

    // Read-only: refused by Windows; Wine run by root writes it anyway.
    MakeFile("ro.old", "keep");
    SetAttributes("ro.old", kReadOnly);
    const FileStatus readOnly = files().TruncateFile(Path("ro.old"));
    EXPECT_EQ(readOnly, backend_->WritesIgnoreReadOnly() ? file_status::kSuccess
                                                         : file_status::kAccessDenied);
    EXPECT_EQ(backend_->ReadFile(Path("ro.old")), readOnly == file_status::kSuccess ? "" : "keep");

    // Hidden and system files are overwritten only when the open asks for those
    // attributes again; this open asks for none. Wine does not check.
    for (const std::uint32_t attributes : {kHidden, kSystem}) {
        MakeFile("special.dat", "keep");
        SetAttributes("special.dat", attributes);
        EXPECT_EQ(files().TruncateFile(Path("special.dat")),
                  WindowsOrWine(file_status::kAccessDenied, file_status::kSuccess))
            << attributes;
        SetAttributes("special.dat", kNormal);
    }

    // In use by a program that shares nothing: a sharing violation, contents kept.
    MakeFile("used.log", "busy");
    ASSERT_TRUE(backend_->Lock(Path("used.log")));
    EXPECT_EQ(files().TruncateFile(Path("used.log")), file_status::kSharingViolation);
    EXPECT_EQ(files().FileSize(Path("used.log"), size), file_status::kSuccess);
    EXPECT_EQ(size, 4u) << "the size is read without opening the file";
    ASSERT_TRUE(backend_->Unlock(Path("used.log")));
    EXPECT_EQ(backend_->ReadFile(Path("used.log")), "busy");
    EXPECT_EQ(files().TruncateFile(Path("used.log")), file_status::kSuccess);

    EXPECT_EQ(files().TruncateFile(Path("missing.tmp")), file_status::kFileNotFound);
    EXPECT_EQ(files().TruncateFile(Path("missing\\x.tmp")), file_status::kPathNotFound);
    MakeFolder("Dir");
    EXPECT_EQ(files().TruncateFile(Path("Dir")), file_status::kAccessDenied);
}

TEST_P(FilePortContract, SizesCountPastFourGigabytes) {
    constexpr std::uint64_t kBig = (5ULL << 30) + 3;
    ASSERT_TRUE(backend_->MakeFileOfSize(Path("big.bin"), kBig));
    std::uint64_t size = 0;
    EXPECT_EQ(files().FileSize(Path("big.bin"), size), file_status::kSuccess);
    EXPECT_EQ(size, kBig);
    EXPECT_EQ(List(Path()), (std::vector<FolderEntry>{{"big.bin", kArchive, kBig}}));

    MakeFolder("Dir");
    EXPECT_EQ(files().FileSize(Path("Dir"), size), file_status::kSuccess);
    EXPECT_EQ(size, 0u) << "a folder";
    size = 7;
    EXPECT_EQ(files().FileSize(Path("missing"), size), file_status::kFileNotFound);
    EXPECT_EQ(size, 7u);
}

TEST_P(FilePortContract, HardLinksShareOneFileAndAreCounted) {
    MakeFile("one.txt", "shared");
    ASSERT_TRUE(backend_->MakeHardLink(Path("two.txt"), Path("one.txt")));
    std::uint32_t links = 0;
    EXPECT_EQ(files().HardLinkCount(Path("one.txt"), links), file_status::kSuccess);
    EXPECT_EQ(links, 2u);
    EXPECT_EQ(files().HardLinkCount(Path("two.txt"), links), file_status::kSuccess);
    EXPECT_EQ(links, 2u);

    // Counting asks for no read or write access: a file in use still answers.
    ASSERT_TRUE(backend_->Lock(Path("one.txt")));
    links = 0;
    EXPECT_EQ(files().HardLinkCount(Path("one.txt"), links), file_status::kSuccess);
    EXPECT_EQ(links, 2u);
    EXPECT_EQ(files().RemoveFile(Path("two.txt")), file_status::kSharingViolation)
        << "the lock is on the file, whichever name";
    ASSERT_TRUE(backend_->Unlock(Path("one.txt")));

    // The attributes belong to the file, not to a name.
    SetAttributes("two.txt", kHidden | kArchive);
    EXPECT_EQ(Attributes(Path("one.txt")), kHidden | kArchive);
    SetAttributes("two.txt", kArchive);

    EXPECT_EQ(files().RemoveFile(Path("two.txt")), file_status::kSuccess);
    EXPECT_EQ(files().HardLinkCount(Path("one.txt"), links), file_status::kSuccess);
    EXPECT_EQ(links, 1u);
    EXPECT_EQ(backend_->ReadFile(Path("one.txt")), "shared") << "the other name keeps it";

    MakeFolder("Dir");
    EXPECT_EQ(files().HardLinkCount(Path("Dir"), links), file_status::kSuccess);
    EXPECT_EQ(links, 1u);
    links = 9;
    EXPECT_EQ(files().HardLinkCount(Path("missing"), links), file_status::kFileNotFound);
    EXPECT_EQ(links, 9u);
}

TEST_P(FilePortContract, RenamingNeverReplacesAndKeepsTheContents) {
    MakeFile("a.txt", "A");
    MakeFile("b.txt", "B");
    EXPECT_EQ(files().RenameFile(Path("a.txt"), Path("b.txt")), file_status::kAlreadyExists);
    EXPECT_EQ(files().RenameFile(Path("a.txt"), Path("B.TXT")), file_status::kAlreadyExists);
    EXPECT_EQ(backend_->ReadFile(Path("a.txt")), "A");
    EXPECT_EQ(backend_->ReadFile(Path("b.txt")), "B");

    EXPECT_EQ(files().RenameFile(Path("a.txt"), Path("c.txt")), file_status::kSuccess);
    EXPECT_FALSE(Exists("a.txt"));
    EXPECT_EQ(backend_->ReadFile(Path("c.txt")), "A");
    EXPECT_EQ(files().RenameFile(Path("c.txt"), Path("C.TXT")), file_status::kSuccess)
        << "only the case changes";
    // Wine answers success but keeps the old case.
    const std::string renamed = WindowsOrWine<std::string>("C.TXT", "c.txt");
    EXPECT_EQ(List(Path()),
              (std::vector<FolderEntry>{{"b.txt", kArchive, 1}, {renamed, kArchive, 1}}));

    EXPECT_EQ(files().RenameFile(Path("missing.txt"), Path("x.txt")), file_status::kFileNotFound);
    EXPECT_EQ(files().RenameFile(Path("b.txt"), Path("nowhere\\b.txt")),
              file_status::kPathNotFound);
    EXPECT_EQ(files().RenameFile(Path("b.txt"), Path("a\"b")), file_status::kInvalidName);

    // A read-only file may be renamed; one in use may not.
    SetAttributes("b.txt", kReadOnly | kArchive);
    EXPECT_EQ(files().RenameFile(Path("b.txt"), Path("ro.txt")), file_status::kSuccess);
    SetAttributes("ro.txt", kArchive);
    ASSERT_TRUE(backend_->Lock(Path("ro.txt")));
    EXPECT_EQ(files().RenameFile(Path("ro.txt"), Path("b.txt")), file_status::kSharingViolation);
    ASSERT_TRUE(backend_->Unlock(Path("ro.txt")));

    // Into the drive's root, as junk removal does, and out again.
    const std::string inRoot = "D:\\" + BaseName() + ".del";
    RemoveLater(inRoot);
    EXPECT_EQ(files().RenameFile(Path("ro.txt"), inRoot), file_status::kSuccess);
    EXPECT_TRUE(fs().FileExists(inRoot));
    EXPECT_EQ(files().RenameFile(inRoot, Path("back.txt")), file_status::kSuccess);
    EXPECT_EQ(backend_->ReadFile(Path("back.txt")), "B");

    MakeFolder("Dir");
    EXPECT_EQ(files().RenameFile(Path("back.txt"), Path("Dir")), file_status::kAlreadyExists);
    EXPECT_EQ(files().RenameFile(Path("Dir"), Path("Folder")), file_status::kSuccess);
    EXPECT_EQ(Attributes(Path("Folder")), kDir);
}

TEST_P(FilePortContract, DeletingRefusesReadOnlyFilesFoldersAndFilesInUse) {
    MakeFile("plain.tmp");
    EXPECT_EQ(files().RemoveFile(Path("plain.tmp")), file_status::kSuccess);
    EXPECT_FALSE(Exists("plain.tmp"));

    MakeFile("ro.old", "keep");
    SetAttributes("ro.old", kReadOnly | kArchive);
    EXPECT_EQ(files().RemoveFile(Path("ro.old")), file_status::kAccessDenied);
    EXPECT_EQ(backend_->ReadFile(Path("ro.old")), "keep");
    SetAttributes("ro.old", kNormal);
    EXPECT_EQ(files().RemoveFile(Path("ro.old")), file_status::kSuccess);

    MakeFile("hidden.sys");
    SetAttributes("hidden.sys", kHidden | kSystem);
    EXPECT_EQ(files().RemoveFile(Path("hidden.sys")), file_status::kSuccess);

    MakeFile("used.log", "busy");
    ASSERT_TRUE(backend_->Lock(Path("used.log")));
    EXPECT_EQ(files().RemoveFile(Path("used.log")), file_status::kSharingViolation);
    ASSERT_TRUE(backend_->Unlock(Path("used.log")));
    EXPECT_EQ(files().RemoveFile(Path("used.log")), file_status::kSuccess);

    MakeFolder("Dir");
    EXPECT_EQ(files().RemoveFile(Path("Dir")), file_status::kAccessDenied);
    EXPECT_EQ(files().RemoveFile(Path("missing.tmp")), file_status::kFileNotFound);
    EXPECT_EQ(files().RemoveFile(Path("missing\\x.tmp")), file_status::kPathNotFound);
    EXPECT_EQ(List(Path()), (std::vector<FolderEntry>{{"Dir", kDir, 0}}));
}

TEST_P(FilePortContract, InspectNamesTheObjectAndWhereItIs) {
    MakeFile("Sub\\a.tmp", "abc");
    platform::OpenedFacts facts;
    ASSERT_EQ(files().Inspect(Path("Sub\\a.tmp"), facts), file_status::kSuccess);
    EXPECT_EQ(facts.attributes, kArchive);
    EXPECT_EQ(facts.links, 1u);
    EXPECT_TRUE(facts.identity.Known());
    EXPECT_EQ(facts.finalPath, Path("Sub\\a.tmp"));
    // The listing through the folder's handle gives the same number and times: what the
    // walk records is what removal finds again.
    const auto entries = List(Path("Sub"));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].fileId, facts.identity.fileId);
    EXPECT_NE(entries[0].lastWriteTime, 0u);
    EXPECT_EQ(entries[0].lastWriteTime, facts.identity.lastWriteTime);
    EXPECT_EQ(entries[0].changeTime, facts.identity.changeTime);

    // Other spellings of the same file resolve to its own name.
    platform::OpenedFacts other;
    ASSERT_EQ(files().Inspect(Path("SUB\\A.TMP"), other), file_status::kSuccess);
    EXPECT_EQ(other.finalPath, Path("Sub\\a.tmp"));
    EXPECT_EQ(other.identity, facts.identity);
    ASSERT_EQ(files().Inspect(Path("Sub\\a.tmp."), other), file_status::kSuccess);
    EXPECT_EQ(other.finalPath, Path("Sub\\a.tmp"));

    // A second name is the same file, though its entry changed (its time tells that); a
    // new file under the old name is another, whatever number it gets.
    ASSERT_TRUE(backend_->MakeHardLink(Path("b.tmp"), Path("Sub\\a.tmp")));
    ASSERT_EQ(files().Inspect(Path("b.tmp"), other), file_status::kSuccess);
    EXPECT_EQ(other.identity.volumeSerial, facts.identity.volumeSerial);
    EXPECT_EQ(other.identity.fileId, facts.identity.fileId);
    EXPECT_EQ(other.links, 2u);
    ASSERT_EQ(files().RemoveFile(Path("Sub\\a.tmp")), file_status::kSuccess);
    MakeFile("Sub\\a.tmp", "new");
    ASSERT_EQ(files().Inspect(Path("Sub\\a.tmp"), other), file_status::kSuccess);
    EXPECT_NE(other.identity, facts.identity);

    ASSERT_EQ(files().Inspect(Path("Sub"), other), file_status::kSuccess);
    EXPECT_EQ(other.attributes & (kDir | file_attribute::kReparsePoint), kDir);
    EXPECT_EQ(other.finalPath, Path("Sub"));
    ASSERT_EQ(files().Inspect("D:\\", other), file_status::kSuccess);
    EXPECT_EQ(other.finalPath, "D:\\");
    EXPECT_NE(files().Inspect(Path("missing"), other), file_status::kSuccess);
}

TEST_P(FilePortContract, BehindAFolderLinkThePathResolvesToTheTarget) {
    MakeFile("target\\inside.txt", "in");
    std::string link = Path("link");
    std::string target = Path("target");
    if (!backend_->MakeJunction(link, target)) {
        ASSERT_TRUE(backend_->OnWine()) << "Windows must be able to make a junction";
        link = kPreparedLink;
        target = kPreparedTarget;
        if (!fs().FolderExists(target)) {
            GTEST_SKIP() << "no reparse point: run under ctest, whose fixture makes "
                         << kPreparedLink;
        }
    }
    platform::OpenedFacts facts;
    ASSERT_EQ(files().Inspect(link + "\\inside.txt", facts), file_status::kSuccess);
    EXPECT_TRUE(SamePath(facts.finalPath, target + "\\inside.txt")) << facts.finalPath;

    std::vector<FolderEntry> entries;
    EXPECT_EQ(files().ListFolderNoFollow(link, entries), file_status::kStoppedOnLink);
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(files().ListFolderNoFollow(target, entries), file_status::kSuccess);
    EXPECT_EQ(entries.size(), 1u);
    EXPECT_EQ(files().ListFolderNoFollow(Path(), entries), file_status::kSuccess);
    EXPECT_EQ(files().ListFolderNoFollow("D:\\", entries), file_status::kSuccess);
}

// Wine shows a Unix link to a file as a plain file; only where it resolves to tells.
TEST_P(FilePortContract, ALinkToAFileIsToldByWhereItResolves) {
    MakeFile("target\\inside.txt", "in");
    std::string link = Path("file-link.tmp");
    std::string target = Path("target\\inside.txt");
    if (!backend_->MakeFileLink(link, target)) {
        if (!backend_->OnWine()) {
            GTEST_SKIP() << "Windows shows links to files with the reparse bit";
        }
        link = kPreparedFileLink;
        target = std::string(kPreparedTarget) + "\\inside.txt";
        if (!fs().FileExists(target)) {
            GTEST_SKIP() << "no link: run under ctest, whose fixture makes " << kPreparedFileLink;
        }
    }
    EXPECT_FALSE(files().ListingsShowFileLinks());
    const std::string parent = link.substr(0, link.rfind('\\'));
    const auto entries = List(parent);
    const auto entry = std::find_if(entries.begin(), entries.end(),
                                    [](const FolderEntry& e) { return e.name == "file-link.tmp"; });
    ASSERT_NE(entry, entries.end());
    EXPECT_EQ(entry->attributes, kArchive) << "no reparse bit";
    EXPECT_FALSE(entry->reparsePoint);

    platform::OpenedFacts facts;
    ASSERT_EQ(files().Inspect(link, facts), file_status::kSuccess);
    EXPECT_EQ(facts.attributes & file_attribute::kReparsePoint, 0u) << "not on the handle either";
    EXPECT_EQ(facts.links, 1u);
    EXPECT_TRUE(SamePath(facts.finalPath, target)) << facts.finalPath;
    // Opening it for removal reaches the target too, though asked not to follow.
    std::unique_ptr<platform::OpenedFile> file;
    ASSERT_EQ(files().OpenForRemoval(link, facts, file), file_status::kSuccess);
    EXPECT_TRUE(SamePath(facts.finalPath, target)) << facts.finalPath;
    file.reset();
    EXPECT_EQ(backend_->ReadFile(target), "in");
}

TEST_P(FilePortContract, RemovalThroughOneHandle) {
    MakeFile("r.tmp", "0123456789");
    MakeFile("taken.del", "someone's");
    platform::OpenedFacts facts;
    std::unique_ptr<platform::OpenedFile> file;
    ASSERT_EQ(files().OpenForRemoval(Path("r.tmp"), facts, file), file_status::kSuccess);
    ASSERT_TRUE(file);
    EXPECT_EQ(facts.attributes, kArchive);
    EXPECT_EQ(facts.finalPath, Path("r.tmp"));
    std::uint64_t bytes = 0;
    ASSERT_EQ(file->Size(bytes), file_status::kSuccess);
    EXPECT_EQ(bytes, 10u) << "opening changes nothing";
    ASSERT_EQ(file->Truncate(), file_status::kSuccess);
    ASSERT_EQ(file->Size(bytes), file_status::kSuccess);
    EXPECT_EQ(bytes, 0u);
    EXPECT_NE(file->MoveTo(Path("taken.del")), file_status::kSuccess) << "never replaces";
    EXPECT_EQ(backend_->ReadFile(Path("taken.del")), "someone's");
    ASSERT_EQ(file->MoveTo(Path("moved.del")), file_status::kSuccess);
    EXPECT_FALSE(Exists("r.tmp"));
    EXPECT_TRUE(Exists("moved.del"));
    ASSERT_EQ(file->Delete(), file_status::kSuccess);
    file.reset();
    EXPECT_FALSE(Exists("moved.del"));
    EXPECT_EQ(backend_->ReadFile(Path("taken.del")), "someone's");

    // A file in use elsewhere, and a folder, are not opened.
    MakeFile("locked.tmp", "x");
    ASSERT_TRUE(backend_->Lock(Path("locked.tmp")));
    EXPECT_EQ(files().OpenForRemoval(Path("locked.tmp"), facts, file),
              file_status::kSharingViolation);
    ASSERT_TRUE(backend_->Unlock(Path("locked.tmp")));
    MakeFolder("Dir");
    EXPECT_NE(files().OpenForRemoval(Path("Dir"), facts, file), file_status::kSuccess);
    EXPECT_NE(files().OpenForRemoval(Path("missing.tmp"), facts, file), file_status::kSuccess);
}

TEST_P(FilePortContract, PathsPastMaxPathAreListedAndRemoved) {
    const std::string deep =
        std::string(100, 'a') + "\\" + std::string(100, 'b') + "\\" + std::string(60, 'c');
    MakeFile(deep + "\\junk.tmp", "long");
    const std::string path = Path(deep + "\\junk.tmp");
    ASSERT_GT(path.size(), 260u);
    const auto entries = List(Path(deep));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "junk.tmp");
    std::vector<FolderEntry> checked;
    EXPECT_EQ(files().ListFolderNoFollow(Path(deep), checked), file_status::kSuccess);
    EXPECT_EQ(checked.size(), 1u);
    EXPECT_EQ(Attributes(Path(deep)) & kDir, kDir);
    platform::OpenedFacts facts;
    std::unique_ptr<platform::OpenedFile> file;
    ASSERT_EQ(files().OpenForRemoval(path, facts, file), file_status::kSuccess);
    EXPECT_EQ(facts.finalPath, path);
    ASSERT_EQ(file->Truncate(), file_status::kSuccess);
    ASSERT_EQ(file->MoveTo(Path("long.del")), file_status::kSuccess);
    ASSERT_EQ(file->Delete(), file_status::kSuccess);
    file.reset();
    EXPECT_FALSE(Exists("long.del"));
    EXPECT_EQ(Attributes(path), file_attribute::kInvalid);
}

KELDRA_FILE_BACKENDS(FilePortContract);

}  // namespace
}  // namespace keldra::testing

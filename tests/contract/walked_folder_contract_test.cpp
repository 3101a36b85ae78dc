// The junk walk's folders: opened once, listed through their own handles, their
// subfolders opened and their files checked from there; never a link entered.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "contract/file_fixture.h"

namespace keldra::testing {
namespace {

using platform::WalkedFolder;

// What tests/scripts/reparse_fixture.sh leaves on the sandbox's D: for the Windows-side
// run, where Wine cannot make a link itself.
constexpr const char* kPreparedParent = "D:\\keldra-reparse";

class WalkedFolderContract : public FileTest {
  protected:
    std::unique_ptr<WalkedFolder> Open(const std::string& path) {
        std::unique_ptr<WalkedFolder> folder;
        EXPECT_EQ(files().OpenWalkedFolder(path, folder), file_status::kSuccess) << path;
        return folder;
    }
    static std::vector<std::string> Names(WalkedFolder& folder) {
        std::vector<FolderEntry> entries;
        EXPECT_EQ(folder.List(entries), file_status::kSuccess);
        std::vector<std::string> names;
        for (const auto& entry : entries) {
            names.push_back(entry.name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::uint64_t ListedId(WalkedFolder& folder, std::string_view name) {
        std::vector<FolderEntry> entries;
        folder.List(entries);
        for (const auto& entry : entries) {
            if (entry.name == name) {
                return entry.fileId;
            }
        }
        ADD_FAILURE() << "no entry " << name;
        return 0;
    }
};

TEST_P(WalkedFolderContract, SubfoldersOpenFromTheirParentAndFilesResolveInPlace) {
    MakeFile("Sub\\a.tmp", "a");
    MakeFile("Sub\\Inner\\b.tmp", "b");
    MakeFile("c.tmp", "c");
    const auto top = Open(Path());
    ASSERT_TRUE(top);
    EXPECT_EQ(Names(*top), (std::vector<std::string>{"Sub", "c.tmp"}));

    std::unique_ptr<WalkedFolder> sub;
    ASSERT_EQ(top->OpenSubfolder("Sub", ListedId(*top, "Sub"), sub), file_status::kSuccess);
    ASSERT_TRUE(sub);
    EXPECT_EQ(Names(*sub), (std::vector<std::string>{"Inner", "a.tmp"}));
    bool inPlace = false;
    ASSERT_EQ(sub->ResolvesInPlace("a.tmp", inPlace), file_status::kSuccess);
    EXPECT_TRUE(inPlace);
    ASSERT_EQ(top->ResolvesInPlace("c.tmp", inPlace), file_status::kSuccess);
    EXPECT_TRUE(inPlace);

    // A number the listing did not give leaves the judgement to where it resolves.
    std::unique_ptr<WalkedFolder> inner;
    ASSERT_EQ(sub->OpenSubfolder("Inner", ListedId(*sub, "Inner") + 7777, inner),
              file_status::kSuccess);
    EXPECT_EQ(Names(*inner), (std::vector<std::string>{"b.tmp"}));
    ASSERT_EQ(sub->OpenSubfolder("INNER", 0, inner), file_status::kSuccess) << "any case";

    // Only one name of this folder, and only a folder.
    std::unique_ptr<WalkedFolder> none;
    EXPECT_NE(sub->OpenSubfolder("a.tmp", 0, none), file_status::kSuccess);
    EXPECT_NE(sub->OpenSubfolder("missing", 0, none), file_status::kSuccess);
    EXPECT_EQ(sub->OpenSubfolder("..", 0, none), file_status::kInvalidName);
    EXPECT_EQ(top->OpenSubfolder("Sub\\Inner", 0, none), file_status::kInvalidName);
    EXPECT_FALSE(none);
    EXPECT_NE(sub->ResolvesInPlace("missing.tmp", inPlace), file_status::kSuccess);
    EXPECT_EQ(top->ResolvesInPlace("Sub\\a.tmp", inPlace), file_status::kInvalidName);
    EXPECT_EQ(top->ResolvesInPlace("..", inPlace), file_status::kInvalidName);

    // A start folder that is a file is no folder to walk.
    std::unique_ptr<WalkedFolder> file;
    EXPECT_NE(files().OpenWalkedFolder(Path("c.tmp"), file), file_status::kSuccess);
    EXPECT_FALSE(file);
}

TEST_P(WalkedFolderContract, ADriveRootJoinsItsNames) {
    const auto root = Open("D:\\");
    ASSERT_TRUE(root);
    std::unique_ptr<WalkedFolder> mine;
    ASSERT_EQ(root->OpenSubfolder(BaseName(), ListedId(*root, BaseName()), mine),
              file_status::kSuccess);
    MakeFile("x.tmp", "x");
    bool inPlace = false;
    ASSERT_EQ(mine->ResolvesInPlace("x.tmp", inPlace), file_status::kSuccess);
    EXPECT_TRUE(inPlace);
}

// Whatever number the caller brings, a folder link is not entered: under Wine its
// listing shows the target's number, and the opened handle is the target itself.
TEST_P(WalkedFolderContract, AFolderLinkIsNeverEntered) {
    MakeFile("target\\inside.txt", "in");
    std::string parent = Path();
    if (!backend_->MakeJunction(Path("link"), Path("target"))) {
        ASSERT_TRUE(backend_->OnWine()) << "Windows must be able to make a junction";
        parent = kPreparedParent;
        if (!fs().FolderExists(parent + "\\link")) {
            GTEST_SKIP() << "no reparse point: run under ctest, whose fixture makes one";
        }
    }
    const auto folder = Open(parent);
    ASSERT_TRUE(folder);
    const std::uint64_t targetId = ListedId(*folder, "target");
    for (const std::uint64_t id : {ListedId(*folder, "link"), targetId, std::uint64_t{0}}) {
        std::unique_ptr<WalkedFolder> entered;
        EXPECT_EQ(folder->OpenSubfolder("link", id, entered), file_status::kStoppedOnLink) << id;
        EXPECT_FALSE(entered);
    }
    std::unique_ptr<WalkedFolder> direct;
    EXPECT_EQ(files().OpenWalkedFolder(parent + "\\link", direct), file_status::kStoppedOnLink);
    std::unique_ptr<WalkedFolder> target;
    ASSERT_EQ(folder->OpenSubfolder("target", targetId, target), file_status::kSuccess);
    bool inPlace = false;
    ASSERT_EQ(target->ResolvesInPlace("inside.txt", inPlace), file_status::kSuccess);
    EXPECT_TRUE(inPlace);
}

// Wine shows a Unix link to a file as the file it leads to; it does not resolve in place.
TEST_P(WalkedFolderContract, AFileLinkDoesNotResolveInPlace) {
    MakeFile("target\\inside.txt", "in");
    std::string parent = Path();
    if (!backend_->MakeFileLink(Path("file-link.tmp"), Path("target\\inside.txt"))) {
        if (!backend_->OnWine()) {
            GTEST_SKIP() << "Windows shows links to files with the reparse bit";
        }
        parent = kPreparedParent;
        if (!fs().FileExists(parent + "\\file-link.tmp")) {
            GTEST_SKIP() << "no link: run under ctest, whose fixture makes one";
        }
    }
    const auto folder = Open(parent);
    ASSERT_TRUE(folder);
    bool inPlace = true;
    ASSERT_EQ(folder->ResolvesInPlace("file-link.tmp", inPlace), file_status::kSuccess);
    EXPECT_FALSE(inPlace);
}

// The folder stays the object that was opened: moved away, its files no longer resolve
// to the path it was walked under.
TEST_P(WalkedFolderContract, AMovedFolderIsNotTakenForItsOldPath) {
    MakeFile("Sub\\a.tmp", "a");
    const auto top = Open(Path());
    ASSERT_TRUE(top);
    std::unique_ptr<WalkedFolder> sub;
    ASSERT_EQ(top->OpenSubfolder("Sub", ListedId(*top, "Sub"), sub), file_status::kSuccess);
    ASSERT_EQ(files().RenameFile(Path("Sub"), Path("Moved")), file_status::kSuccess);
    bool inPlace = true;
    const FileStatus status = sub->ResolvesInPlace("a.tmp", inPlace);
    EXPECT_TRUE(status != file_status::kSuccess || !inPlace) << status;
    std::unique_ptr<WalkedFolder> again;
    EXPECT_NE(top->OpenSubfolder("Sub", 0, again), file_status::kSuccess);
}

TEST_P(WalkedFolderContract, RemovalFactsNameTheVolume) {
    MakeFile("r.tmp", "r");
    platform::VolumeInfo volume;
    ASSERT_EQ(volumes().VolumeInformation("D:\\", volume), file_status::kSuccess);
    platform::OpenedFacts facts;
    std::unique_ptr<platform::OpenedFile> file;
    ASSERT_EQ(files().OpenForRemoval(Path("r.tmp"), facts, file), file_status::kSuccess);
    EXPECT_EQ(facts.identity.volumeSerial, volume.serialNumber);
    EXPECT_EQ(facts.links, 1u);
    file.reset();
    ASSERT_EQ(files().Inspect(Path("r.tmp"), facts), file_status::kSuccess);
    EXPECT_EQ(facts.identity.volumeSerial, volume.serialNumber);
    const auto top = Open(Path());
    ASSERT_TRUE(top);
    EXPECT_EQ(facts.identity.fileId, ListedId(*top, "r.tmp"));
}

KELDRA_FILE_BACKENDS(WalkedFolderContract);

}  // namespace
}  // namespace keldra::testing

// Junk removal on the simulated machine: what goes, what stays, and what the dated name
// in the drive's root may and may not touch.
#include "tests/unit/disk/disk_fixture.h"

namespace keldra::disk::testing {
namespace {

class JunkRemoval : public DiskTest {
  protected:
    JunkRemoval() { clock.SetNow({2026, 12, 7, 14, 5, 9}); }
    // Listed as the search lists it: with the identity of the file the path leads to now.
    void List(std::string path) {
        platform::OpenedFacts facts;
        files.Inspect(path, facts);
        junk.Append(std::move(path), 3, 0, facts.identity);
    }
    int DelFilesInRoot(char drive) {
        std::vector<platform::FolderEntry> entries;
        files.ListFolder(std::string(1, drive) + ":\\", entries);
        int count = 0;
        for (const auto& entry : entries) {
            if (entry.name.size() > 4 && entry.name.substr(entry.name.size() - 4) == ".del") {
                ++count;
            }
        }
        return count;
    }
};

// Answers like the machine, but a file's size never reads 0.
class SizeNeverZero final : public platform::FilePort {
  public:
    explicit SizeNeverZero(platform::FilePort& inner) : inner_(inner) {}
    platform::FileStatus ListFolder(std::string_view f,
                                    std::vector<platform::FolderEntry>& e) override {
        return inner_.ListFolder(f, e);
    }
    platform::FileStatus GetAttributes(std::string_view p, std::uint32_t& a) override {
        return inner_.GetAttributes(p, a);
    }
    platform::FileStatus SetAttributes(std::string_view p, std::uint32_t a) override {
        return inner_.SetAttributes(p, a);
    }
    platform::FileStatus TruncateFile(std::string_view p) override {
        return inner_.TruncateFile(p);
    }
    platform::FileStatus FileSize(std::string_view, std::uint64_t& bytes) override {
        bytes = 10;
        return platform::file_status::kSuccess;
    }
    platform::FileStatus HardLinkCount(std::string_view p, std::uint32_t& l) override {
        return inner_.HardLinkCount(p, l);
    }
    platform::FileStatus RenameFile(std::string_view f, std::string_view t) override {
        return inner_.RenameFile(f, t);
    }
    platform::FileStatus RemoveFile(std::string_view p) override { return inner_.RemoveFile(p); }
    platform::FileStatus ListFolderNoFollow(std::string_view f,
                                            std::vector<platform::FolderEntry>& e) override {
        return inner_.ListFolderNoFollow(f, e);
    }
    platform::FileStatus Inspect(std::string_view p, platform::OpenedFacts& facts) override {
        return inner_.Inspect(p, facts);
    }
    platform::FileStatus ResolvedPath(std::string_view p, std::string& path) override {
        return inner_.ResolvedPath(p, path);
    }
    platform::FileStatus OpenForRemoval(std::string_view p, platform::OpenedFacts& facts,
                                        std::unique_ptr<platform::OpenedFile>& file) override {
        std::unique_ptr<platform::OpenedFile> real;
        const auto status = inner_.OpenForRemoval(p, facts, real);
        if (real) {
            file = std::make_unique<Lying>(std::move(real));
        }
        return status;
    }
    bool ListingsShowFileLinks() const override { return inner_.ListingsShowFileLinks(); }

  private:
    class Lying final : public platform::OpenedFile {
      public:
        explicit Lying(std::unique_ptr<platform::OpenedFile> inner) : inner_(std::move(inner)) {}
        platform::FileStatus Truncate() override { return inner_->Truncate(); }
        platform::FileStatus Size(std::uint64_t& bytes) override {
            bytes = 10;
            return platform::file_status::kSuccess;
        }
        platform::FileStatus MoveTo(std::string_view p) override { return inner_->MoveTo(p); }
        platform::FileStatus Delete() override { return inner_->Delete(); }

      private:
        std::unique_ptr<platform::OpenedFile> inner_;
    };
    platform::FilePort& inner_;
};

TEST_F(JunkRemoval, AnEmptyListDoesNothing) {
    Add("C:\\a.tmp");
    Clean().DestroyJunk();
    EXPECT_EQ(events, 0);
    EXPECT_TRUE(files.IsFile("C:\\a.tmp"));
}

TEST_F(JunkRemoval, APlainFileIsEmptiedMovedAndDeleted) {
    Add("C:\\Temp\\a.tmp", "0123456789");
    List("C:\\Temp\\a.tmp");
    Clean().DestroyJunk();
    EXPECT_FALSE(files.IsFile("C:\\Temp\\a.tmp"));
    EXPECT_FALSE(files.IsFile("C:\\07120509.del"));
    EXPECT_EQ(DelFilesInRoot('C'), 0);
    EXPECT_EQ(events, 2) << "before the loop and after the entry";
    EXPECT_EQ(junk.JunkCount, 1) << "the list stays as it was";
}

TEST_F(JunkRemoval, TheDatedName) {
    EXPECT_EQ(ModDestroyFile::DatedName("C:\\", {2026, 12, 7, 14, 5, 9}), "C:\\07120509.del");
    EXPECT_EQ(ModDestroyFile::DatedName("D:\\", {2027, 1, 31, 0, 59, 0}), "D:\\31015900.del");
}

TEST_F(JunkRemoval, TwoFilesInOneSecondBothGo) {
    files.AddDrive('D', drive_code::kFixed);
    Add("C:\\x\\one.tmp");
    Add("C:\\y\\two.tmp");
    Add("D:\\three.bak");
    List("C:\\x\\one.tmp");
    List("C:\\y\\two.tmp");
    List("D:\\three.bak");
    Clean().DestroyJunk();
    EXPECT_FALSE(files.IsFile("C:\\x\\one.tmp"));
    EXPECT_FALSE(files.IsFile("C:\\y\\two.tmp"));
    EXPECT_FALSE(files.IsFile("D:\\three.bak"));
    EXPECT_EQ(DelFilesInRoot('C') + DelFilesInRoot('D'), 0);
    EXPECT_EQ(events, 4);
}

TEST_F(JunkRemoval, ReadOnlyHiddenSystemAndTemporaryOnlyGetNormalAttributes) {
    const std::uint32_t kinds[] = {attr::kReadOnly, attr::kHidden, attr::kSystem, attr::kTemporary};
    for (const std::uint32_t kind : kinds) {
        const std::string path = "C:\\keep" + std::to_string(kind) + ".old";
        Add(path, "contents");
        files.SetAttributesOf(path, kind | attr::kArchive);
        List(path);
    }
    Clean().DestroyJunk();
    for (const std::uint32_t kind : kinds) {
        const std::string path = "C:\\keep" + std::to_string(kind) + ".old";
        EXPECT_EQ(files.AttributesOf(path), attr::kNormal) << path;
        EXPECT_EQ(files.Contents(path), "contents") << path;
    }
}

TEST_F(JunkRemoval, AFileWithoutArchiveOrNormalStays) {
    // A plain file has the archive or the normal attribute: a compressed file with neither
    // is left as it is.
    Add("C:\\c.tmp", "abc");
    files.SetAttributesOf("C:\\c.tmp", 0x800);
    List("C:\\c.tmp");
    Clean().DestroyJunk();
    EXPECT_EQ(files.Contents("C:\\c.tmp"), "abc");
    EXPECT_EQ(files.AttributesOf("C:\\c.tmp"), attr::kNormal) << "reset, as the rule says";
}

TEST_F(JunkRemoval, ALockedFileIsLeftUntouched) {
    Add("C:\\busy.tmp", "in use");
    ASSERT_TRUE(files.Lock("C:\\busy.tmp"));
    List("C:\\busy.tmp");
    Add("C:\\free.tmp");
    List("C:\\free.tmp");
    Clean().DestroyJunk();
    EXPECT_EQ(files.Contents("C:\\busy.tmp"), "in use");
    EXPECT_FALSE(files.IsFile("C:\\free.tmp")) << "the next entry still goes";
}

TEST_F(JunkRemoval, AFileThatDoesNotEmptyStaysWhereItIs) {
    Add("C:\\a.tmp", "0123456789");
    SizeNeverZero lying(files);
    ModDestroyFile destroy(lying, process);
    EXPECT_FALSE(destroy.TruncateFile("C:\\a.tmp"));
    Add("C:\\locked.tmp", "x");
    files.Lock("C:\\locked.tmp");
    EXPECT_FALSE(Clean().Destroy().TruncateFile("C:\\locked.tmp"));
    EXPECT_FALSE(Clean().Destroy().TruncateFile("C:\\missing.tmp"));
    EXPECT_TRUE(Clean().Destroy().TruncateFile("C:\\a.tmp"));
    EXPECT_EQ(files.Contents("C:\\a.tmp"), "");
}

TEST_F(JunkRemoval, AHardLinkedFileLosesOnlyItsListedName) {
    Add("C:\\data\\report.doc", "precious");
    ASSERT_TRUE(files.AddHardLink("C:\\junk\\report.bak", "C:\\data\\report.doc"));
    List("C:\\junk\\report.bak");
    Clean().DestroyJunk();
    EXPECT_FALSE(files.IsFile("C:\\junk\\report.bak"));
    EXPECT_EQ(files.Contents("C:\\data\\report.doc"), "precious");
    EXPECT_EQ(DelFilesInRoot('C'), 0);
}

TEST_F(JunkRemoval, AFileThatAlreadyHasTheDatedNameIsNeverDeleted) {
    Add("C:\\07120509.del", "the user's own");
    Add("C:\\Temp\\a.tmp", "0123456789");
    List("C:\\Temp\\a.tmp");
    Clean().DestroyJunk();
    EXPECT_EQ(files.Contents("C:\\07120509.del"), "the user's own");
    EXPECT_FALSE(files.IsFile("C:\\Temp\\a.tmp")) << "deleted where it was instead";
}

TEST_F(JunkRemoval, AFileThatCannotMoveIsDeletedWhereItIs) {
    Add("C:\\Temp\\a.tmp", "0123456789");
    files.FailOn("C:\\Temp\\a.tmp", SimOp::Move, platform::file_status::kAccessDenied);
    List("C:\\Temp\\a.tmp");
    Clean().DestroyJunk();
    EXPECT_FALSE(files.IsFile("C:\\Temp\\a.tmp"));
}

TEST_F(JunkRemoval, AFileThatCannotBeDeletedStaysEmptyInItsFolder) {
    Add("C:\\Temp\\a.tmp", "0123456789");
    files.FailOn("C:\\Temp\\a.tmp", SimOp::Move, platform::file_status::kAccessDenied);
    files.FailOn("C:\\Temp\\a.tmp", SimOp::Delete, platform::file_status::kAccessDenied);
    List("C:\\Temp\\a.tmp");
    Clean().DestroyJunk();
    EXPECT_EQ(files.Contents("C:\\Temp\\a.tmp"), "");
}

TEST_F(JunkRemoval, AFileGoneSinceItWasListedIsSkipped) {
    List("C:\\gone.tmp");
    Add("C:\\here.tmp");
    List("C:\\here.tmp");
    Clean().DestroyJunk();
    EXPECT_FALSE(files.IsFile("C:\\gone.tmp"));
    EXPECT_FALSE(files.IsFile("C:\\here.tmp"));
}

TEST_F(JunkRemoval, ACancelDuringRemovalEmptiesTheListAndNothingMoreIsVisited) {
    Add("C:\\one.tmp");
    Add("C:\\two.tmp");
    List("C:\\one.tmp");
    List("C:\\two.tmp");
    onEvent = [this] {
        if (events == 2) {
            junk.Clear();
        }
    };
    Clean().DestroyJunk();
    EXPECT_FALSE(files.IsFile("C:\\one.tmp"));
    EXPECT_TRUE(files.IsFile("C:\\two.tmp"));
}

TEST_F(JunkRemoval, SearchThenRemove) {
    Add("C:\\Temp\\a.tmp", "0123456789");
    Add("C:\\Temp\\b.old", "xyz");
    files.SetAttributesOf("C:\\Temp\\b.old", attr::kReadOnly | attr::kArchive);
    Add("C:\\Temp\\keep.txt", "mine");
    Search();
    ASSERT_EQ(junk.JunkCount, 2);
    Clean().DestroyJunk();
    EXPECT_FALSE(files.IsFile("C:\\Temp\\a.tmp"));
    EXPECT_EQ(files.Contents("C:\\Temp\\b.old"), "xyz");
    EXPECT_EQ(files.AttributesOf("C:\\Temp\\b.old"), attr::kNormal);
    EXPECT_EQ(files.Contents("C:\\Temp\\keep.txt"), "mine");
    // A later search finds the read-only file again, now plain, and removes it.
    Search();
    Clean().DestroyJunk();
    EXPECT_FALSE(files.IsFile("C:\\Temp\\b.old"));
}

// Between the search and "Fix problems" the results may wait for hours; whatever the
// listed names lead to by then, only the very files that were listed go.
class RemovalAfterChanges : public JunkRemoval {
  protected:
    RemovalAfterChanges() {
        Add("C:\\WINDOWS\\System32\\setup.tmp", "system");
        Add("C:\\Users\\Ann\\letter.doc", "dear");
        Add("C:\\Temp\\x\\setup.tmp", "junk");
        Add("C:\\Temp\\page.tmp", "junk");
        Add("C:\\Temp\\other.tmp", "junk");
        Search();
        EXPECT_EQ(Paths(), (std::vector<std::string>{"C:\\Temp\\x\\setup.tmp",
                                                     "C:\\Temp\\other.tmp", "C:\\Temp\\page.tmp"}));
    }
    void RemoveAndCheckTheRestWent() {
        Clean().DestroyJunk();
        EXPECT_EQ(files.Contents("C:\\WINDOWS\\System32\\setup.tmp"), "system");
        EXPECT_EQ(files.Contents("C:\\Users\\Ann\\letter.doc"), "dear");
        EXPECT_FALSE(files.IsFile("C:\\Temp\\other.tmp")) << "the untouched entry still goes";
        EXPECT_EQ(DelFilesInRoot('C'), 0);
        EXPECT_EQ(junk.JunkCount, 3) << "what was left alone stays listed";
    }
};

TEST_F(RemovalAfterChanges, AFolderThatBecameAJunctionIsNotFollowed) {
    ASSERT_TRUE(files.RemoveTree("C:\\Temp\\x"));
    ASSERT_TRUE(files.AddJunction("C:\\Temp\\x", "C:\\WINDOWS\\System32"));
    RemoveAndCheckTheRestWent();
}

TEST_F(RemovalAfterChanges, AFolderThatBecameAUnixLinkIsNotFollowed) {
    ASSERT_TRUE(files.RemoveTree("C:\\Temp\\x"));
    ASSERT_TRUE(files.AddUnixLink("C:\\Temp\\x", "C:\\WINDOWS\\System32"));
    RemoveAndCheckTheRestWent();
}

TEST_F(RemovalAfterChanges, AFileThatBecameALinkToADocumentLeavesTheDocumentWhole) {
    // As Wine shows a Unix link to a file: no reparse bit, the document's own attributes.
    ASSERT_TRUE(files.RemoveTree("C:\\Temp\\page.tmp"));
    ASSERT_TRUE(files.AddUnixLink("C:\\Temp\\page.tmp", "C:\\Users\\Ann\\letter.doc"));
    RemoveAndCheckTheRestWent();
    EXPECT_TRUE(files.AttributesOf("C:\\Temp\\page.tmp") != attr::kInvalid) << "the link stays";
}

TEST_F(RemovalAfterChanges, AFileThatBecameAReparsePointStays) {
    ASSERT_TRUE(files.MarkReparsePoint("C:\\Temp\\page.tmp"));
    RemoveAndCheckTheRestWent();
    EXPECT_EQ(files.Contents("C:\\Temp\\page.tmp"), "junk");
}

TEST_F(RemovalAfterChanges, AnotherFileUnderTheListedNameStays) {
    ASSERT_TRUE(files.RemoveTree("C:\\Temp\\page.tmp"));
    Add("C:\\Temp\\page.tmp", "written since");
    RemoveAndCheckTheRestWent();
    EXPECT_EQ(files.Contents("C:\\Temp\\page.tmp"), "written since");
}

TEST_F(RemovalAfterChanges, AnotherFileUnderTheListedNameStaysThoughItGotTheListedNumber) {
    // Linux gives a freed inode number to the next new file, and Wine shows inode numbers
    // as file numbers: only the times tell the user's new file from the junk listed.
    files.ReuseFileNumbers(true);
    platform::OpenedFacts listed;
    ASSERT_EQ(files.Inspect("C:\\Temp\\page.tmp", listed), platform::file_status::kSuccess);
    ASSERT_TRUE(files.RemoveTree("C:\\Temp\\page.tmp"));
    Add("C:\\Temp\\page.tmp", "the user's page");
    platform::OpenedFacts now;
    ASSERT_EQ(files.Inspect("C:\\Temp\\page.tmp", now), platform::file_status::kSuccess);
    ASSERT_EQ(now.identity.fileId, listed.identity.fileId) << "the number came back";
    RemoveAndCheckTheRestWent();
    EXPECT_EQ(files.Contents("C:\\Temp\\page.tmp"), "the user's page");
}

TEST_F(RemovalAfterChanges, AFileWrittenSinceItWasListedStays) {
    ASSERT_TRUE(files.AddFile("C:\\Temp\\page.tmp", "written since"));
    RemoveAndCheckTheRestWent();
    EXPECT_EQ(files.Contents("C:\\Temp\\page.tmp"), "written since");
}

TEST_F(RemovalAfterChanges, AFileThatBecameReadOnlyBehindAJunctionKeepsItsAttributes) {
    files.SetAttributesOf("C:\\WINDOWS\\System32\\setup.tmp", attr::kReadOnly | attr::kArchive);
    ASSERT_TRUE(files.RemoveTree("C:\\Temp\\x"));
    ASSERT_TRUE(files.AddJunction("C:\\Temp\\x", "C:\\WINDOWS\\System32"));
    RemoveAndCheckTheRestWent();
    EXPECT_EQ(files.AttributesOf("C:\\WINDOWS\\System32\\setup.tmp"),
              attr::kReadOnly | attr::kArchive);
}

TEST_F(JunkRemoval, AnEntryWithoutAnIdentityIsLeftAlone) {
    Add("C:\\Temp\\a.tmp", "junk");
    junk.Append("C:\\Temp\\a.tmp", 3, 4);
    Clean().DestroyJunk();
    EXPECT_EQ(files.Contents("C:\\Temp\\a.tmp"), "junk");
}

}  // namespace
}  // namespace keldra::disk::testing

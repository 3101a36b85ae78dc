// One behaviour for the simulated and the real text files: what the file system of the
// sandbox does under Wine, the simulation must do too.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "contract/text_file_backend.h"

namespace keldra::testing {
namespace {

using Lines = std::vector<std::string>;

class TextFileContract : public ::testing::TestWithParam<TextFileBackendFactory> {
  protected:
    void SetUp() override {
        backend_ = GetParam().make();
        folder_ = backend_->NewFolder();
        ASSERT_TRUE(backend_->FolderExists(folder_));
    }
    void TearDown() override { backend_->RemoveFolder(folder_); }

    platform::TextFilePort& files() { return backend_->Port(); }
    std::string In(std::string_view name) const { return folder_ + "\\" + std::string(name); }
    Lines Read(std::string_view name, bool expectOpened = true) {
        Lines lines;
        EXPECT_EQ(files().ReadLines(In(name), lines), expectOpened) << name;
        return lines;
    }
    Lines Listed() {
        Lines names = backend_->List(folder_);
        std::sort(names.begin(), names.end());
        return names;
    }

    std::unique_ptr<TextFileBackend> backend_;
    std::string folder_;
};

TEST_P(TextFileContract, AppendingCreatesTheFileAndEndsEveryLineWithCrLf) {
    const std::string path = In("backup.reg");
    EXPECT_FALSE(files().FileExists(path));
    ASSERT_TRUE(files().AppendLines(path, Lines{"REGEDIT4", ""}));
    EXPECT_TRUE(files().FileExists(path));
    EXPECT_EQ(backend_->FileBytes(path), "REGEDIT4\r\n\r\n");

    // 8-bit bytes go through untouched; a second append goes after the first.
    ASSERT_TRUE(files().AppendLines(path, Lines{"[caf\xE9]", "\"a\"=\"\\\\\""}));
    EXPECT_EQ(backend_->FileBytes(path), "REGEDIT4\r\n\r\n[caf\xE9]\r\n\"a\"=\"\\\\\"\r\n");
    ASSERT_TRUE(files().AppendLines(path, Lines{}));
    EXPECT_EQ(backend_->FileBytes(path), "REGEDIT4\r\n\r\n[caf\xE9]\r\n\"a\"=\"\\\\\"\r\n")
        << "no lines, nothing added";
    EXPECT_EQ(Listed(), Lines{"backup.reg"});
}

TEST_P(TextFileContract, AppendingFailsWithoutAFolderOrOntoAFolder) {
    EXPECT_FALSE(files().AppendLines(In("missing\\backup.reg"), Lines{"x"}));
    EXPECT_FALSE(backend_->FolderExists(In("missing")));
    ASSERT_TRUE(files().CreateFolder(In("sub")));
    EXPECT_FALSE(files().AppendLines(In("sub"), Lines{"x"}));
    EXPECT_TRUE(backend_->FolderExists(In("sub")));
    EXPECT_EQ(Listed(), Lines{"sub"});
}

TEST_P(TextFileContract, LinesEndAtCrLfCrOrLf) {
    backend_->PutFile(In("a.ini"), "[Section]\r\nKey=1\rlone\nfeed\r\n\r\nlast");
    EXPECT_EQ(Read("a.ini"), (Lines{"[Section]", "Key=1", "lone", "feed", "", "last"}));
    backend_->PutFile(In("lf.ini"), "[ScanReg]\nOptimize=0\n\nBackup=1\n");
    EXPECT_EQ(Read("lf.ini"), (Lines{"[ScanReg]", "Optimize=0", "", "Backup=1"}));
    backend_->PutFile(In("lfcr.ini"), "a\n\rb");
    EXPECT_EQ(Read("lfcr.ini"), (Lines{"a", "", "b"})) << "LF CR is two line ends";

    backend_->PutFile(In("b.ini"), "one\r\ntwo\r\n");
    EXPECT_EQ(Read("b.ini"), (Lines{"one", "two"})) << "a final line end starts no new line";
    backend_->PutFile(In("c.ini"), "\r\r\n\xE9\x80\r");
    EXPECT_EQ(Read("c.ini"), (Lines{"", "", "\xE9\x80"}));
    backend_->PutFile(In("empty.ini"), "");
    EXPECT_EQ(Read("empty.ini"), Lines{});
}

TEST_P(TextFileContract, ReadingAMissingFileOrAFolderReportsIt) {
    Lines lines{"kept"};
    EXPECT_FALSE(files().ReadLines(In("missing.ini"), lines));
    EXPECT_EQ(lines, Lines{"kept"}) << "nothing read, nothing added";
    ASSERT_TRUE(files().CreateFolder(In("scanreg.ini")));
    EXPECT_FALSE(files().ReadLines(In("scanreg.ini"), lines));
}

TEST_P(TextFileContract, TheEndsOfAFileAreReadWithoutTheRest) {
    std::string bytes = "REGEDIT4\r\n\r\n";
    for (int i = 0; i < 20000; ++i) {
        bytes += "[HKEY_CURRENT_USER\\K" + std::to_string(i) + "]\r\n";
    }
    bytes += "\"v\"=\"trunc";
    backend_->PutFile(In("big.reg"), bytes);
    std::string head = "old";
    std::string tail = "old";
    ASSERT_TRUE(files().ReadEnds(In("big.reg"), 16, head, tail));
    EXPECT_EQ(head, bytes.substr(0, 16));
    EXPECT_EQ(tail, bytes.substr(bytes.size() - 16));

    backend_->PutFile(In("short.reg"), "REGED");
    ASSERT_TRUE(files().ReadEnds(In("short.reg"), 16, head, tail));
    EXPECT_EQ(head, "REGED");
    EXPECT_EQ(tail, "REGED");
    backend_->PutFile(In("empty.reg"), "");
    ASSERT_TRUE(files().ReadEnds(In("empty.reg"), 16, head, tail));
    EXPECT_EQ(head, "");
    EXPECT_EQ(tail, "");

    EXPECT_FALSE(files().ReadEnds(In("missing.reg"), 16, head, tail));
    ASSERT_TRUE(files().CreateFolder(In("folder.reg")));
    EXPECT_FALSE(files().ReadEnds(In("folder.reg"), 16, head, tail));
}

TEST_P(TextFileContract, AnyNumberOfLinesIsRead) {
    std::string bytes;
    for (int i = 0; i < 40000; ++i) {
        bytes += "line " + std::to_string(i) + "\r\n";
    }
    backend_->PutFile(In("big.ini"), bytes);
    const Lines lines = Read("big.ini");
    ASSERT_EQ(lines.size(), 40000u);
    EXPECT_EQ(lines[32767], "line 32767");
    EXPECT_EQ(lines.back(), "line 39999");
}

TEST_P(TextFileContract, ReplacingWritesTheWholeContentAndLeavesNoTemporaryFile) {
    const std::string path = In("scanreg.ini");
    ASSERT_TRUE(files().ReplaceContent(path, "new\r\n"));
    EXPECT_EQ(backend_->FileBytes(path), "new\r\n") << "created when missing";

    backend_->PutFile(path, "a much longer old content\r\nOptimize=0\r\n");
    ASSERT_TRUE(files().ReplaceContent(path, "short"));
    EXPECT_EQ(backend_->FileBytes(path), "short") << "nothing of the old content is left";
    ASSERT_TRUE(files().ReplaceContent(path, ""));
    EXPECT_EQ(backend_->FileBytes(path), "");
    EXPECT_EQ(Listed(), Lines{"scanreg.ini"});
}

TEST_P(TextFileContract, AFailedReplaceLeavesEverythingAsItWas) {
    ASSERT_TRUE(files().CreateFolder(In("scanreg.ini")));
    EXPECT_FALSE(files().ReplaceContent(In("scanreg.ini"), "x"));
    EXPECT_TRUE(backend_->FolderExists(In("scanreg.ini")));
    EXPECT_EQ(Listed(), Lines{"scanreg.ini"}) << "the temporary file is gone again";

    EXPECT_FALSE(files().ReplaceContent(In("missing\\scanreg.ini"), "x"));
    EXPECT_FALSE(backend_->FolderExists(In("missing")));
}

TEST_P(TextFileContract, FilesAndFoldersAreToldApart) {
    backend_->PutFile(In("file.txt"), "x");
    EXPECT_TRUE(files().FileExists(In("file.txt")));
    EXPECT_TRUE(files().FileExists(In("FILE.TXT"))) << "names without regard to case";
    EXPECT_FALSE(files().FileExists(In("nothing.txt")));
    EXPECT_FALSE(files().FileExists(folder_)) << "a folder is no file";

    EXPECT_TRUE(files().CreateFolder(In("Keldra Maintenance")));
    EXPECT_TRUE(backend_->FolderExists(In("Keldra Maintenance")));
    EXPECT_TRUE(files().CreateFolder(In("Keldra Maintenance"))) << "already there";
    EXPECT_FALSE(files().CreateFolder(In("file.txt"))) << "a file holds the name";
    EXPECT_FALSE(files().CreateFolder(In("a\\b"))) << "one level only";
    EXPECT_EQ(Listed(), (Lines{"Keldra Maintenance", "file.txt"}));
}

TEST_P(TextFileContract, TheLocalApplicationDataFolderExists) {
    const std::string folder = files().LocalAppDataFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    EXPECT_TRUE(backend_->FolderExists(folder));
    EXPECT_TRUE(files().CreateFolder(folder));
}

TEST_P(TextFileContract, TheCodePageIsWindows1252AndTakesOnlyExactForms) {
    const platform::AnsiCodePage& ansi = files().CodePage();
    EXPECT_EQ(ansi.FromUtf16(u"caf\u00E9 \u20AC\u2019"), "caf\xE9 \x80\x92");
    EXPECT_EQ(ansi.FromUtf16(std::u16string(u"a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(ansi.FromUtf16(u""), "");
    EXPECT_EQ(ansi.FromUtf16(u"\u0081"), "\x81") << "an unassigned byte maps to itself";
    EXPECT_EQ(ansi.FromUtf16(u"\u4E00"), std::nullopt);
    EXPECT_EQ(ansi.FromUtf16(u"\u0100"), std::nullopt) << "no best-fit A";
    EXPECT_EQ(ansi.FromUtf16(u"x\xD800"), std::nullopt) << "an unpaired surrogate";

    EXPECT_EQ(ansi.ToUtf16("caf\xE9 \x80\x92"), u"caf\u00E9 \u20AC\u2019");
    EXPECT_EQ(ansi.ToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
    EXPECT_EQ(ansi.ToUtf16("\x81"), u"\u0081");
}

INSTANTIATE_TEST_SUITE_P(Backends, TextFileContract, ::testing::ValuesIn(TextFileBackends()),
                         [](const auto& param) { return param.param.name; });

}  // namespace
}  // namespace keldra::testing

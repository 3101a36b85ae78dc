// The real program's disk stage on the sandbox drives (C: and D: fixed, E: a CD-ROM, N: a
// network drive), seeded with junk files next to look-alikes, protected, hidden and
// read-only files: what the disk results window lists, what row 3 reads, and what
// "Fix problems" removes and leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "automation.h"
#include "e2e_support.h"

namespace keldra::e2e {
namespace {

struct Seed {
    const wchar_t* path;
    DWORD bytes;
    DWORD attributes;  // 0: as created
};

// Listed by a rule, and removed by fixing (the read-only one only gets normal attributes).
const Seed kJunk[] = {
    {L"C:\\keldra-junk\\a.tmp", 1'572'864, 0},
    {L"C:\\keldra-junk\\sub\\b.bak", 10, 0},
    {L"C:\\keldra-junk\\~c.doc", 20, 0},
    {L"C:\\keldra-junk\\Thumbs.db", 30, 0},
    {L"C:\\keldra-junk\\help.gid", 40, 0},
    {L"C:\\keldra-junk\\ro.old", 50, FILE_ATTRIBUTE_READONLY},
    {L"D:\\keldra-junk\\d.tmp", 60, 0},
    {L"D:\\keldra-junk\\deep\\er\\e.fts", 70, 0},
    {L"D:\\keldra-junk\\~x.bak", 80, 0},
};
// Never listed: names no rule takes, protected paths, hidden and system files, a hidden
// folder, and the drives that are not fixed.
const Seed kKept[] = {
    {L"C:\\keldra-junk\\x.older", 5, 0},
    {L"C:\\keldra-junk\\notes.txt", 5, 0},
    {L"C:\\keldra-junk\\hidden.tmp", 5, FILE_ATTRIBUTE_HIDDEN},
    {L"C:\\keldra-junk\\system.bak", 5, FILE_ATTRIBUTE_SYSTEM},
    {L"C:\\keldra-junk\\Program Files\\p.tmp", 5, 0},
    {L"C:\\keldra-junk\\system32x\\s.tmp", 5, 0},
    {L"C:\\keldra-junk\\winsxs\\w.tmp", 5, 0},
    {L"C:\\windows\\temp\\keldra-protected.tmp", 5, 0},
    {L"D:\\keldra-junk\\Backup\\PROGRAM FILES\\q.bak", 5, 0},
    {L"D:\\keldra-data\\original.txt", 5, 0},
    {L"E:\\keldra-junk\\cd.tmp", 5, 0},
    {L"N:\\keldra-junk\\net.tmp", 5, 0},
};
constexpr const wchar_t* kHiddenFolder = L"C:\\keldra-junk\\hid";
constexpr const wchar_t* kInHiddenFolder = L"C:\\keldra-junk\\hid\\h.tmp";
// A second name of D:\keldra-data\original.txt: only this name may go.
constexpr const wchar_t* kHardLink = L"D:\\keldra-junk\\link.bak";

bool MakeFolders(const std::wstring& path) {
    for (std::size_t at = path.find(L'\\', 3); at != std::wstring::npos;
         at = path.find(L'\\', at + 1)) {
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    }
    return true;
}

bool Write(const std::wstring& path, DWORD bytes) {
    MakeFolders(path);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    const platform::win32::UniqueFileHandle file(CreateFileW(
        path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    const std::string data(bytes, 'k');
    DWORD written = 0;
    const BOOL ok = WriteFile(file.get(), data.data(), bytes, &written, nullptr);
    return ok && written == bytes;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

ULONGLONG SizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return ~0ULL;
    }
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::vector<std::wstring> DelFilesIn(const wchar_t* root) {
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW data{};
    const platform::win32::UniqueFindHandle find(
        FindFirstFileW((std::wstring(root) + L"*.del").c_str(), &data));
    if (!find) {
        return found;
    }
    do {
        found.emplace_back(data.cFileName);
    } while (FindNextFileW(find.get(), &data));
    return found;
}

void RemoveSeeds() {
    std::vector<std::wstring> paths{kInHiddenFolder, kHardLink};
    for (const std::span<const Seed> list :
         {std::span<const Seed>(kJunk), std::span<const Seed>(kKept)}) {
        for (const Seed& seed : list) {
            paths.emplace_back(seed.path);
        }
    }
    for (const std::wstring& path : paths) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    }
    // Then the folders the seeds made, deepest first: other cases expect the network
    // drive empty. Only this case's own keldra-* folders, and only when empty, so no
    // folder of the prefix (C:\windows\temp) can go.
    std::vector<std::wstring> folders;
    for (std::wstring folder : paths) {
        for (auto cut = folder.rfind(L'\\'); cut != std::wstring::npos && cut > 2;
             cut = folder.rfind(L'\\')) {
            folder.resize(cut);
            if (folder.starts_with(folder.substr(0, 3) + L"keldra-")) {
                folders.push_back(folder);
            }
        }
    }
    std::ranges::sort(
        folders, [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
    for (const std::wstring& folder : folders) {
        RemoveDirectoryW(folder.c_str());
    }
}

// The disk results of one pass: the rows of the results window (path, size), the text
// of row 3, and the program left waiting for the user.
struct Pass {
    std::wstring row3;
    bool clickable = false;
    std::vector<std::vector<std::wstring>> rows;
};

class DiskCleanEndToEnd : public ProgramTest {
  protected:
    void TearDown() override {
        RemoveSeeds();
        ProgramTest::TearDown();
    }

    // Runs the program until its pass ends and reads the disk results.
    void RunPass(Program& keldra, HWND& main, Pass& pass) {
        ASSERT_TRUE(keldra.Started());
        ASSERT_TRUE(WaitUntil(
            [&] { return (main = ProgramWindowWith(keldra.Id(), Lang("OCM_FB"))) != nullptr; },
            30));
        HWND diskRow = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                for (HWND child : Children(main)) {
                    const std::wstring text = TextOf(child);
                    if (HasVisibleStyle(child) &&
                        (text == Lang("OCM_DoneNS") || (text.size() > Lang("OCM_MStat").size() &&
                                                        text.ends_with(Lang("OCM_MStat"))))) {
                        diskRow = child;
                        return true;
                    }
                }
                return false;
            },
            240))
            << "the pass ends";
        pass.row3 = TextOf(diskRow);
        // A label keeps its window enabled either way; the program decides on the click.
        pass.clickable = pass.row3 != Lang("OCM_DoneNS");
        if (!pass.clickable) {
            return;
        }
        ASSERT_TRUE(ClickTrayIcon(keldra.Id()));
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 10));
        ClickLabel(diskRow);
        HWND results = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                results = ProgramWindowWith(keldra.Id(), Lang("OCM_DRes"));
                return results != nullptr && IsWindowVisible(results) != FALSE;
            },
            10))
            << "the disk results window";
        EXPECT_EQ(TextOf(results), Lang("OCM_DCap"));
        HWND list = ChildOfClass(results, L"SysListView32");
        ASSERT_NE(list, nullptr);
        pass.rows = ListViewRows(list, 2);
        resultsWindow_ = results;
    }

    HWND resultsWindow_ = nullptr;
};

// After "Fix problems": every seeded junk file gone but the read-only one, which stays
// whole with plain attributes; every other seeded file as it was; no file left renamed.
void ExpectOnlyTheJunkWent() {
    for (const Seed& seed : kJunk) {
        if (seed.attributes == FILE_ATTRIBUTE_READONLY) {
            const DWORD attributes = GetFileAttributesW(seed.path);
            ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << "the read-only file stays";
            EXPECT_EQ(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                    FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY),
                      0u)
                << "with normal attributes";
            EXPECT_EQ(SizeOf(seed.path), seed.bytes) << "and keeps its contents";
        } else {
            EXPECT_FALSE(Exists(seed.path)) << "a junk file stays";
        }
    }
    EXPECT_FALSE(Exists(kHardLink));
    for (const Seed& seed : kKept) {
        EXPECT_EQ(SizeOf(seed.path), seed.bytes) << "a file that is not junk was touched";
    }
    EXPECT_EQ(SizeOf(kInHiddenFolder), 5u);
    EXPECT_TRUE(DelFilesIn(L"C:\\").empty());
    EXPECT_TRUE(DelFilesIn(L"D:\\").empty());
}

TEST_F(DiskCleanEndToEnd, ListsExactlyTheSeededJunkAndFixingRemovesOnlyIt) {
    RemoveSeeds();
    // What the fresh prefix holds already.
    std::set<std::wstring> baseline;
    {
        Program keldra(Command());
        HWND main = nullptr;
        Pass pass;
        RunPass(keldra, main, pass);
        ASSERT_FALSE(HasFatalFailure());
        for (const auto& row : pass.rows) {
            baseline.insert(row[0]);
        }
        Click(ChildWithText(main, Lang("OSM_SE")));
        ASSERT_EQ(keldra.ExitCode(10), 0);
    }

    for (const std::span<const Seed> list :
         {std::span<const Seed>(kJunk), std::span<const Seed>(kKept)}) {
        for (const Seed& seed : list) {
            ASSERT_TRUE(Write(seed.path, seed.bytes)) << "cannot seed a file";
            if (seed.attributes != 0) {
                SetFileAttributesW(seed.path, seed.attributes);
            }
        }
    }
    ASSERT_TRUE(Write(kInHiddenFolder, 5));
    SetFileAttributesW(kHiddenFolder, FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(CreateHardLinkW(kHardLink, L"D:\\keldra-data\\original.txt", nullptr));

    Program keldra(Command());
    HWND main = nullptr;
    Pass pass;
    RunPass(keldra, main, pass);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(pass.clickable);

    std::map<std::wstring, std::wstring> listed;
    ULONGLONG total = 0;
    for (const auto& row : pass.rows) {
        EXPECT_TRUE(listed.emplace(row[0], row[1]).second) << "listed twice";
        total += std::stoull(row[1]);
    }
    std::set<std::wstring> expected = baseline;
    for (const Seed& seed : kJunk) {
        expected.insert(seed.path);
        EXPECT_EQ(listed[seed.path], std::to_wstring(seed.bytes)) << "the size column";
    }
    expected.insert(kHardLink);
    std::set<std::wstring> got;
    for (const auto& [path, size] : listed) {
        got.insert(path);
    }
    EXPECT_EQ(got, expected);
    EXPECT_EQ(pass.row3, std::to_wstring(total / (1024 * 1024)) + Lang("OCM_MStat"));
    EXPECT_EQ(pass.row3.front(), L'1') << "the 1.5 MB file makes one megabyte at least";
    Sleep(1500);  // let it paint
    Screenshot(resultsWindow_, L"disk-results.bmp");

    Click(ChildWithText(main, Lang("OCM_FB")));
    EXPECT_EQ(keldra.ExitCode(60), 0) << "fixing ends the program";
    ExpectOnlyTheJunkWent();
}

// The copy of ln(1) that tests/scripts/reparse_fixture.sh leaves: Wine runs it as a Unix
// program, in the working folder given, so it makes relative links inside the sandbox.
constexpr const wchar_t* kLinkTool = L"D:\\keldra-reparse\\bin\\ln";

bool MakeUnixLink(const wchar_t* folder, const std::wstring& target, const std::wstring& name) {
    std::wstring command = std::wstring(kLinkTool) + L" -s " + target + L" " + name;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder,
                        &startup, &info)) {
        return false;
    }
    const platform::win32::UniqueProcess process(info);
    WaitForSingleObject(process.process.get(), 10000);
    // Wine does not wait for a Unix program's end: wait for the link itself.
    const std::wstring link = std::wstring(folder) + L"\\" + name;
    return WaitUntil([&] { return GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; },
                     10);
}

std::string Contents(const std::wstring& path) {
    const platform::win32::UniqueFileHandle file(CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) {
        return "<missing>";
    }
    std::string data(4096, '\0');
    DWORD read = 0;
    ReadFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &read, nullptr);
    data.resize(read);
    return data;
}

bool WriteText(const std::wstring& path, const std::string& text) {
    if (!Write(path, 0)) {
        return false;
    }
    const platform::win32::UniqueFileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr));
    if (!file) {
        return false;
    }
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return ok && written == text.size();
}

// Between the pass and "Fix problems" a listed folder becomes a link to a folder that
// holds a file of the same name, and a listed file a link to a document: fixing leaves
// both targets whole and removes every other listed file.
TEST_F(DiskCleanEndToEnd, LinksMadeAfterThePassAreNotFollowed) {
    if (GetFileAttributesW(kLinkTool) == INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "no link tool: run under ctest, whose fixture leaves "
                     << "ln on D:";
    }
    const std::wstring swap = L"D:\\keldra-swap";
    const std::wstring docs = L"D:\\keldra-docs";
    ASSERT_TRUE(WriteText(swap + L"\\dir\\page.tmp", "junk in the folder"));
    ASSERT_TRUE(WriteText(swap + L"\\file.tmp", "junk file"));
    ASSERT_TRUE(WriteText(swap + L"\\other.tmp", "other junk"));
    ASSERT_TRUE(WriteText(docs + L"\\page.tmp", "the user's page"));
    ASSERT_TRUE(WriteText(docs + L"\\letter.doc", "the user's letter"));
    ASSERT_TRUE(WriteText(docs + L"\\keep.txt", "kept"));

    Program keldra(Command());
    HWND main = nullptr;
    Pass pass;
    RunPass(keldra, main, pass);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(pass.clickable);
    std::set<std::wstring> listed;
    for (const auto& row : pass.rows) {
        listed.insert(row[0]);
    }
    EXPECT_TRUE(listed.count(swap + L"\\dir\\page.tmp"));
    EXPECT_TRUE(listed.count(swap + L"\\file.tmp"));
    EXPECT_TRUE(listed.count(swap + L"\\other.tmp"));
    EXPECT_TRUE(listed.count(docs + L"\\page.tmp")) << "junk by its name, listed under its own";

    // The document's own entry goes; keep a second one of the same name to compare.
    ASSERT_TRUE(DeleteFileW((swap + L"\\dir\\page.tmp").c_str()));
    ASSERT_TRUE(RemoveDirectoryW((swap + L"\\dir").c_str()));
    ASSERT_TRUE(MakeUnixLink(swap.c_str(), L"../keldra-docs", L"dir"));
    ASSERT_TRUE(DeleteFileW((swap + L"\\file.tmp").c_str()));
    ASSERT_TRUE(MakeUnixLink(swap.c_str(), L"../keldra-docs/letter.doc", L"file.tmp"));
    ASSERT_EQ(Contents(swap + L"\\dir\\keep.txt"), "kept") << "the folder link works";
    ASSERT_EQ(Contents(swap + L"\\file.tmp"), "the user's letter") << "the file link works";
    // The listed D:\keldra-docs\page.tmp itself is junk by name: put a document in its
    // place so that only the link can reach a page.tmp the user wants.
    ASSERT_TRUE(DeleteFileW((docs + L"\\page.tmp").c_str()));
    ASSERT_TRUE(WriteText(docs + L"\\page.tmp", "the user's page"));

    Click(ChildWithText(main, Lang("OCM_FB")));
    EXPECT_EQ(keldra.ExitCode(60), 0) << "fixing ends the program";

    EXPECT_EQ(Contents(docs + L"\\page.tmp"), "the user's page")
        << "neither through the folder link nor as a new file under a listed name";
    EXPECT_EQ(Contents(docs + L"\\letter.doc"), "the user's letter");
    EXPECT_EQ(Contents(docs + L"\\keep.txt"), "kept");
    EXPECT_TRUE(Exists(swap + L"\\dir")) << "the links stay";
    EXPECT_TRUE(Exists(swap + L"\\file.tmp"));
    EXPECT_FALSE(Exists(swap + L"\\other.tmp"));
    for (const std::wstring& path : listed) {
        if (path.rfind(swap, 0) == 0 || path.rfind(docs, 0) == 0) {
            continue;
        }
        EXPECT_FALSE(Exists(path)) << "a listed file stays";
    }
    EXPECT_TRUE(DelFilesIn(L"C:\\").empty());
    EXPECT_TRUE(DelFilesIn(L"D:\\").empty());

    // Links are removed, not followed.
    DeleteFileW((swap + L"\\file.tmp").c_str());
    RemoveDirectoryW((swap + L"\\dir").c_str());
    DeleteFileW((swap + L"\\other.tmp").c_str());
    RemoveDirectoryW(swap.c_str());
    for (const wchar_t* name : {L"\\page.tmp", L"\\letter.doc", L"\\keep.txt"}) {
        DeleteFileW((docs + name).c_str());
    }
    RemoveDirectoryW(docs.c_str());
}

}  // namespace
}  // namespace keldra::e2e

// What the user decides, in the real program under Wine: after a pass without automatic
// fixing, one registry row is unticked with the keyboard and one junk file with the mouse,
// each in the real list view; "Fix problems" removes everything else; then "keldra.exe
// -restore" puts back every value the repair removed, byte for byte, with one message box
// and no window of its own.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "automation.h"
#include "e2e_support.h"

namespace keldra::e2e {
namespace {

using platform::win32::UniqueFileHandle;

using Bytes = std::vector<BYTE>;
struct Stored {
    DWORD type = 0;
    Bytes data;
    friend bool operator==(const Stored&, const Stored&) = default;
};

constexpr const wchar_t* kKey = L"Software\\KeldraChoice";
constexpr const wchar_t* kSharedDlls = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
constexpr const wchar_t* kFolder = L"C:\\keldra-choice";
constexpr const wchar_t* kKeptFile = L"C:\\keldra-choice\\keep.bak";
constexpr const wchar_t* kKeptName = L"Keep me";
const std::vector<std::wstring> kJunk{L"C:\\keldra-choice\\a.tmp", L"C:\\keldra-choice\\b.bak"};
const std::vector<std::wstring> kDlls{L"C:\\keldra-choice\\shared.dll",
                                      L"C:\\keldra-choice\\binary.dll",
                                      L"C:\\keldra-choice\\none.dll"};

Bytes Text(std::wstring_view text) {
    Bytes bytes(reinterpret_cast<const BYTE*>(text.data()),
                reinterpret_cast<const BYTE*>(text.data() + text.size()));
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

HKEY RootNamed(const std::wstring& name) {
    if (name == L"HKEY_LOCAL_MACHINE") {
        return HKEY_LOCAL_MACHINE;
    }
    if (name == L"HKEY_CURRENT_USER") {
        return HKEY_CURRENT_USER;
    }
    if (name == L"HKEY_CLASSES_ROOT") {
        return HKEY_CLASSES_ROOT;
    }
    if (name == L"HKEY_USERS") {
        return HKEY_USERS;
    }
    return nullptr;
}

// A value as stored, by the location text the results window shows, or nothing.
std::optional<Stored> Read(const std::wstring& location, const std::wstring& name) {
    const std::size_t slash = location.find(L'\\');
    const HKEY root = RootNamed(location.substr(0, slash));
    UniqueHKey h;
    if (root == nullptr ||
        RegOpenKeyExW(root, slash == std::wstring::npos ? L"" : location.c_str() + slash + 1, 0,
                      KEY_READ, h.put()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    Stored value;
    DWORD bytes = 0;
    std::optional<Stored> result;
    if (RegQueryValueExW(h.get(), name.c_str(), nullptr, &value.type, nullptr, &bytes) ==
        ERROR_SUCCESS) {
        value.data.resize(bytes);
        if (RegQueryValueExW(h.get(), name.c_str(), nullptr, &value.type, value.data.data(),
                             &bytes) == ERROR_SUCCESS) {
            value.data.resize(bytes);
            result = value;
        }
    }
    return result;
}

void Put(const wchar_t* key, const std::wstring& name, DWORD type, const Bytes& data) {
    UniqueHKey h;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              h.put(), nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(h.get(), name.empty() ? nullptr : name.c_str(), 0, type, data.data(),
                   static_cast<DWORD>(data.size()));
}

bool WriteFile(const std::wstring& path) {
    const UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    DWORD written = 0;
    return ::WriteFile(file.get(), "junk", 4, &written, nullptr) != FALSE;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The state image of a row of another process's list view: 1 unticked, 2 ticked.
int Box(HWND list, int row) {
    return static_cast<int>(
               SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK) &
               LVIS_STATEIMAGEMASK) >>
           12;
}

// Where a row's check box is, in the list view's client area, asked of the list view in its
// own process.
std::optional<POINT> BoxPoint(HWND list, int row) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    const UniqueKernelHandle owner(
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (!owner) {
        return std::nullopt;
    }
    HANDLE process = owner.get();
    auto* remote = static_cast<BYTE*>(VirtualAllocEx(
        process, nullptr, sizeof(LVHITTESTINFO) + sizeof(RECT), MEM_COMMIT, PAGE_READWRITE));
    std::optional<POINT> found;
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    if (remote != nullptr && WriteProcessMemory(process, remote, &bounds, sizeof bounds, nullptr) &&
        SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(remote)) != 0 &&
        ReadProcessMemory(process, remote, &bounds, sizeof bounds, nullptr)) {
        const int middle = (bounds.top + bounds.bottom) / 2;
        for (int x = bounds.left; x < bounds.left + 60 && !found; ++x) {
            LVHITTESTINFO hit{};
            hit.pt = {x, middle};
            WriteProcessMemory(process, remote, &hit, sizeof hit, nullptr);
            SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(remote));
            ReadProcessMemory(process, remote, &hit, sizeof hit, nullptr);
            if (hit.iItem == row && (hit.flags & LVHT_ONITEMSTATEICON) != 0) {
                found = POINT{x, middle};
            }
        }
    }
    if (remote != nullptr) {
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    return found;
}

int RowWith(const std::vector<std::vector<std::wstring>>& rows, std::size_t column,
            const std::wstring& text) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i][column] == text) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// A results window of the program, shown through its row of the main window.
HWND OpenResults(const Program& keldra, HWND row, const std::wstring& heading) {
    ClickLabel(row);
    HWND results = nullptr;
    WaitUntil(
        [&] {
            results = ProgramWindowWith(keldra.Id(), heading);
            return results != nullptr && IsWindowVisible(results) != FALSE;
        },
        10);
    return results;
}

class UserChoiceEndToEnd : public ProgramTest {
  protected:
    void TearDown() override {
        ProgramTest::TearDown();
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey);
        for (const std::wstring& dll : kDlls) {
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kSharedDlls, dll.c_str());
        }
        DeleteFileW(kKeptFile);
        for (const std::wstring& file : kJunk) {
            DeleteFileW(file.c_str());
        }
        RemoveDirectoryW(kFolder);
    }

    // Registry values of every type the repair handles, and the junk files beside the one
    // the user keeps.
    static void SeedValues() {
        Bytes hundred(100);
        for (std::size_t i = 0; i < hundred.size(); ++i) {
            hundred[i] = static_cast<BYTE>(i * 37 + 13);
        }
        Put(kKey, kKeptName, REG_SZ, Text(L"C:\\keldra-choice\\gone\\keep.exe"));
        Put(kKey, L"Sz", REG_SZ, Text(L"\"C:\\keldra-choice\\gone\\app.exe\" /x"));
        Put(kKey, L"", REG_SZ, Text(L"C:\\keldra-choice\\default.exe"));
        Put(kKey, L"Expand", REG_EXPAND_SZ, Text(L"C:\\keldra-choice\\gone.dll"));
        Put(kKey, L"Multi", REG_MULTI_SZ,
            Text(std::wstring(L"C:\\keldra-choice\\a.dll\0second\0", 31)));
        Put(kSharedDlls, kDlls[0], REG_DWORD, Bytes{7, 0, 0, 0});
        Put(kSharedDlls, kDlls[1], REG_BINARY, hundred);
        Put(kSharedDlls, kDlls[2], REG_NONE, Bytes{1, 0, 0x0D, 0x0A});
    }
    static void SeedFiles() {
        ASSERT_TRUE(CreateDirectoryW(kFolder, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
        ASSERT_TRUE(WriteFile(kKeptFile));
        for (const std::wstring& file : kJunk) {
            ASSERT_TRUE(WriteFile(file));
        }
        DeleteFileW(L"C:\\sysbackup.reg");
    }

    // The registry results: every row ticked; "Keep me" unticked with the keyboard. Keeps
    // what every listed value holds in `before_`.
    void UntickTheKeptValueWithTheKeyboard(const Program& keldra, HWND main) {
        HWND registry =
            OpenResults(keldra, ChildEndingWith(main, Lang("OCM_PStat")), Lang("OCM_RRes"));
        ASSERT_NE(registry, nullptr) << "the registry results window";
        HWND registryList = ChildOfClass(registry, L"SysListView32");
        ASSERT_NE(registryList, nullptr);
        const auto registryRows = ListViewRows(registryList, 2);
        for (std::size_t i = 0; i < registryRows.size(); ++i) {
            EXPECT_EQ(Box(registryList, static_cast<int>(i)), 2) << "ticked when listed: " << i;
            if (const auto stored = Read(registryRows[i][0], registryRows[i][1])) {
                before_[{registryRows[i][0], registryRows[i][1]}] = *stored;
            }
        }
        const int keptRow = RowWith(registryRows, 1, kKeptName);
        ASSERT_GE(keptRow, 0) << "the seeded value is listed";
        for (const std::wstring& name :
             {std::wstring(L"Sz"), std::wstring(L"Expand"), std::wstring(L"Multi")}) {
            EXPECT_GE(RowWith(registryRows, 1, name), 0) << "listed";
        }
        ASSERT_TRUE(WaitUntil(
            [&] {
                if (GuiOf(registry).hwndFocus == registryList) {
                    return true;
                }
                PressKey(registry, VK_TAB);
                return false;
            },
            10))
            << "Tab reaches the list";
        PressKey(registry, VK_HOME);
        for (int i = 0; i < keptRow; ++i) {
            PressKey(registry, VK_DOWN);
        }
        PressKey(registry, VK_SPACE);
        EXPECT_TRUE(WaitUntil([&] { return Box(registryList, keptRow) == 1; }, 10))
            << "Space unticks the focused row";
        for (std::size_t i = 0; i < registryRows.size(); ++i) {
            if (static_cast<int>(i) != keptRow) {
                EXPECT_EQ(Box(registryList, static_cast<int>(i)), 2) << "only that row: " << i;
            }
        }
        Screenshot(registry, L"registry-results-ticks.bmp");
    }

    // The disk results: the kept file unticked with the mouse.
    static void UntickTheKeptFileWithTheMouse(const Program& keldra, HWND main) {
        HWND disk = OpenResults(keldra, ChildEndingWith(main, Lang("OCM_MStat")), Lang("OCM_DRes"));
        ASSERT_NE(disk, nullptr) << "the disk results window";
        HWND diskList = ChildOfClass(disk, L"SysListView32");
        ASSERT_NE(diskList, nullptr);
        const auto diskRows = ListViewRows(diskList, 2);
        const int keptFileRow = RowWith(diskRows, 0, kKeptFile);
        ASSERT_GE(keptFileRow, 0) << "the seeded file is listed";
        for (const std::wstring& file : kJunk) {
            EXPECT_GE(RowWith(diskRows, 0, file), 0) << "listed";
        }
        EXPECT_EQ(Box(diskList, keptFileRow), 2);
        const auto onBox = BoxPoint(diskList, keptFileRow);
        ASSERT_TRUE(onBox.has_value()) << "a check box in front of the row";
        PostMessageW(diskList, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(onBox->x, onBox->y));
        PostMessageW(diskList, WM_LBUTTONUP, 0, MAKELPARAM(onBox->x, onBox->y));
        EXPECT_TRUE(WaitUntil([&] { return Box(diskList, keptFileRow) == 1; }, 10))
            << "a click on the box unticks it";
        Sleep(500);
        EXPECT_EQ(Box(diskList, keptFileRow), 1) << "one click, one change";
        Screenshot(disk, L"disk-results-ticks.bmp");
    }

    // After "Fix problems": the unticked file and value stay, the rest is gone. Returns
    // how many values were removed.
    std::size_t CheckWhatTheFixRemoved() const {
        EXPECT_TRUE(FileExists(kKeptFile)) << "the unticked file stays";
        for (const std::wstring& file : kJunk) {
            EXPECT_FALSE(FileExists(file)) << "removed";
        }
        const std::wstring kept = std::wstring(L"HKEY_LOCAL_MACHINE\\") + kKey;
        EXPECT_EQ(Read(kept, kKeptName), before_.at({kept, kKeptName}))
            << "the unticked value stays";
        std::size_t removed = 0;
        for (const auto& [where, value] : before_) {
            if (where.second != kKeptName && !Read(where.first, where.second)) {
                ++removed;
            }
        }
        EXPECT_GE(removed, 7u) << "every seeded value but the kept one";
        EXPECT_EQ(Setting(L"AutoFix"), L"0");
        return removed;
    }

    // Undo: one message box, no window of the program's own; every value is back.
    void RestoreBringsBackTheRemoved(std::size_t removed) const {
        Program restore(Command() + L" -restore");
        ASSERT_TRUE(restore.Started());
        HWND box = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                const auto boxes = TopWindows(restore.Id(), L"#32770");
                box = boxes.empty() ? nullptr : boxes.front();
                return box != nullptr && !TextOf(GetDlgItem(box, 0xFFFF)).empty();
            },
            30))
            << "the message box";
        const std::wstring message = TextOf(GetDlgItem(box, 0xFFFF));
        EXPECT_EQ(message.find(std::to_wstring(removed) + Lang("UCM_RestOf") +
                               std::to_wstring(removed) + Lang("UCM_RestCame")),
                  0u)
            << "how many came back";
        EXPECT_EQ(ProgramWindowWith(restore.Id(), Lang("OCM_FB")), nullptr) << "no main window";
        EXPECT_TRUE(TopWindows(restore.Id(), L"KeldraTrayHost").empty() ||
                    !IsWindowVisible(TopWindows(restore.Id(), L"KeldraTrayHost").front()));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(restore.ExitCode(30), 0);
        for (const auto& [where, value] : before_) {
            EXPECT_EQ(Read(where.first, where.second), value) << "back byte for byte";
        }
        EXPECT_TRUE(FileExists(kKeptFile));
    }

    // Every value the registry results listed, as it was stored before the fix.
    std::map<std::pair<std::wstring, std::wstring>, Stored> before_;
};

TEST_F(UserChoiceEndToEnd, UntickedRowsStayAndRestoreBringsBackEveryRemovedValue) {
    SeedValues();
    ASSERT_NO_FATAL_FAILURE(SeedFiles());

    Program keldra(Command());
    ASSERT_TRUE(keldra.Started());
    HWND main = MainWindowAfterPass(keldra);
    ASSERT_NE(main, nullptr) << "the pass ends";
    ASSERT_TRUE(ClickTrayIcon(keldra.Id()));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 10));
    ASSERT_NO_FATAL_FAILURE(UntickTheKeptValueWithTheKeyboard(keldra, main));
    ASSERT_NO_FATAL_FAILURE(UntickTheKeptFileWithTheMouse(keldra, main));

    Click(ChildWithText(main, Lang("OCM_FB")));
    ASSERT_EQ(keldra.ExitCode(120), 0) << "fixing ends the program";
    const std::size_t removed = CheckWhatTheFixRemoved();
    RestoreBringsBackTheRemoved(removed);
}

// The message box a program started with `arguments` shows, with its text; it is closed.
std::wstring MessageOf(const std::wstring& arguments, long& exitCode) {
    Program started(Command() + L" " + arguments);
    HWND box = nullptr;
    if (!started.Started() || !WaitUntil(
                                  [&] {
                                      const auto boxes = TopWindows(started.Id(), L"#32770");
                                      box = boxes.empty() ? nullptr : boxes.front();
                                      // The box exists a moment before its text does.
                                      return box != nullptr &&
                                             !TextOf(GetDlgItem(box, 0xFFFF)).empty();
                                  },
                                  30)) {
        return L"<no message box>";
    }
    const std::wstring text = TextOf(GetDlgItem(box, 0xFFFF));
    const bool windowed = ProgramWindowWith(started.Id(), Lang("OCM_FB")) != nullptr;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    exitCode = started.ExitCode(30);
    return windowed ? L"<a main window>" : text;
}

TEST_F(UserChoiceEndToEnd, TheSwitchesAnswerWithOneMessageBoxAlsoBesideARunningInstance) {
    long exitCode = -1;
    const std::wstring usage = MessageOf(L"/?", exitCode);
    EXPECT_NE(usage.find(Lang("UCM_UsageRestore")), std::wstring::npos) << usage;
    EXPECT_NE(usage.find(Lang("UCM_UsageAuto")), std::wstring::npos);
    EXPECT_EQ(exitCode, 0);

    // An instance that holds the instance flag, hidden in the tray.
    Program first(Command());
    ASSERT_TRUE(first.Started());
    ASSERT_TRUE(WaitUntil([&] { return !TopWindows(first.Id(), L"KeldraTrayHost").empty(); }, 30));
    EXPECT_EQ(MessageOf(L"-HELP", exitCode).find(Lang("UCM_Usage")), 0u);
    // No backup of any repair, wherever a repair may have put one.
    wchar_t local[MAX_PATH] = {};
    ExpandEnvironmentStringsW(L"%LOCALAPPDATA%\\Keldra Maintenance\\sysbackup", local, MAX_PATH);
    for (const std::wstring& base : {std::wstring(L"C:\\sysbackup"), std::wstring(local)}) {
        DeleteFileW((base + L".reg").c_str());
        for (int n = 2; n <= 9; ++n) {
            DeleteFileW((base + L"-" + std::to_wstring(n) + L".reg").c_str());
        }
    }
    const std::wstring restored = MessageOf(L"-restore", exitCode);
    EXPECT_NE(restored, Lang("OSM_PrevInst")) << "not stopped by the running instance";
    EXPECT_EQ(restored.find(Lang("UCM_RestNone")), 0u)
        << std::string(restored.begin(), restored.end());
    EXPECT_EQ(exitCode, 1) << "nothing came back";
    EXPECT_TRUE(first.Running());
}

}  // namespace
}  // namespace keldra::e2e

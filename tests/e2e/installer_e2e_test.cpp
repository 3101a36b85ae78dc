// The Windows Installer package under Wine's msiexec, silently as a fleet deploys it: an
// older package and then the build's own one leave one installation of the newer; the
// installed program runs its pass, fixes with a backup and registers its logon start; an
// upgrade keeps that start; removal takes the files, the shortcuts, the entry in "Apps &
// Features" and the program's own logon entries, and leaves the backup and the settings.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_support.h"
#include "keldra_version.h"

namespace keldra::e2e {
namespace {

using platform::win32::UniqueProcess;

constexpr const wchar_t* kInstallFolder = L"C:\\Program Files\\Keldra Maintenance";
constexpr const wchar_t* kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kRunName = L"Keldra Maintenance";
constexpr const wchar_t* kSeedKey = L"Software\\KeldraInstallerCase";
constexpr const wchar_t* kBackup = L"C:\\sysbackup.reg";
constexpr const wchar_t* kOlderVersion = L"0.0.1";  // the version tests/e2e builds it with

std::wstring Installed(const wchar_t* name) {
    return std::wstring(kInstallFolder) + L"\\" + name;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Runs msiexec with these arguments and returns its exit code (or -1).
DWORD Msiexec(const std::wstring& arguments) {
    std::wstring line = L"msiexec.exe " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        return static_cast<DWORD>(-1);
    }
    const UniqueProcess msiexec(pi);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(msiexec.process.get(), 180000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(msiexec.process.get(), &code);
    }
    return code;
}

struct Entry {
    std::wstring key;  // the product code
    std::wstring version, publisher, uninstall, location;
    bool hasSize = false;
};

// The entries of "Apps & Features" named "Keldra Maintenance".
std::vector<Entry> Entries() {
    std::vector<Entry> found;
    UniqueHKey root;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, root.put()) !=
        ERROR_SUCCESS) {
        return found;
    }
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD chars = 256;
        if (RegEnumKeyExW(root.get(), i, name, &chars, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        const std::wstring key = std::wstring(kUninstallKey) + L"\\" + name;
        if (ReadString(HKEY_LOCAL_MACHINE, key.c_str(), L"DisplayName") != L"Keldra Maintenance") {
            continue;
        }
        Entry e;
        e.key = name;
        e.version = ReadString(HKEY_LOCAL_MACHINE, key.c_str(), L"DisplayVersion");
        e.publisher = ReadString(HKEY_LOCAL_MACHINE, key.c_str(), L"Publisher");
        e.location = ReadString(HKEY_LOCAL_MACHINE, key.c_str(), L"InstallLocation");
        wchar_t data[512] = {};
        DWORD bytes = sizeof data - sizeof(wchar_t);
        if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"UninstallString", RRF_RT_ANY, nullptr,
                         data, &bytes) == ERROR_SUCCESS) {
            e.uninstall = data;
        }
        DWORD size = 0;
        bytes = sizeof size;
        e.hasSize = RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"EstimatedSize",
                                 RRF_RT_REG_DWORD, nullptr, &size, &bytes) == ERROR_SUCCESS;
        found.push_back(e);
    }
    return found;
}

// The shortcut's folder: the Start menu of every user, or (Wine's msiexec, which keeps the
// per-user folders for a per-machine package) the user's own.
std::wstring ShortcutFolder() {
    for (const int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path))) {
            const std::wstring folder = std::wstring(path) + L"\\Keldra Maintenance";
            if (Exists(folder)) {
                return folder;
            }
        }
    }
    return {};
}

struct Link {
    bool read = false;
    std::wstring target, arguments;
};

Link ReadLink(const std::wstring& path) {
    Link link;
    IShellLinkW* shell = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&shell)))) {
        return link;
    }
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            wchar_t text[MAX_PATH] = {};
            link.read = SUCCEEDED(shell->GetPath(text, MAX_PATH, nullptr, 0));
            link.target = text;
            wchar_t args[MAX_PATH] = {};
            shell->GetArguments(args, MAX_PATH);
            link.arguments = args;
        }
        file->Release();
    }
    shell->Release();
    return link;
}

std::wstring BuildVersion() {
    return std::to_wstring(KELDRA_VERSION_MAJOR) + L"." + std::to_wstring(KELDRA_VERSION_MINOR) +
           L"." + std::to_wstring(KELDRA_VERSION_PATCH);
}

LONGLONG FileBytes(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) {
        return -1;
    }
    return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void SetRun(HKEY root, const std::wstring& command) {
    UniqueHKey key;
    ASSERT_EQ(RegCreateKeyW(root, kRunKey, key.put()), ERROR_SUCCESS);
    RegSetValueExW(key.get(), kRunName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
}

void DeleteRun(HKEY root) {
    UniqueHKey key;
    if (RegOpenKeyExW(root, kRunKey, 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS) {
        RegDeleteValueW(key.get(), kRunName);
    }
}

class InstallerEndToEnd : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(Entries().empty()) << "Keldra Maintenance is installed before the case";
        ASSERT_FALSE(Exists(kInstallFolder));
        // Left by other cases of this sandbox.
        DeleteRun(HKEY_LOCAL_MACHINE);
        DeleteRun(HKEY_CURRENT_USER);
        DeleteFileW(kBackup);
        UniqueHKey key;
        ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, kSeedKey, key.put()), ERROR_SUCCESS);
        const std::wstring dead = L"C:\\keldra-installer-case\\gone.exe";
        RegSetValueExW(key.get(), L"Dead", 0, REG_SZ, reinterpret_cast<const BYTE*>(dead.c_str()),
                       static_cast<DWORD>((dead.size() + 1) * sizeof(wchar_t)));
    }
    void TearDown() override {
        for (const Entry& e : Entries()) {
            Msiexec(L"/x " + e.key + L" /qn");
        }
        DeleteRun(HKEY_LOCAL_MACHINE);
        DeleteRun(HKEY_CURRENT_USER);
        RegDeleteTreeW(HKEY_CURRENT_USER, kSeedKey);
        CoUninitialize();
        ProgramTest::TearDown();
    }

    // The older package, silently: its files and its two Start menu shortcuts.
    void InstallTheOlderPackage() const {
        ASSERT_EQ(Msiexec(L"/i " + older_ + L" /qn"), 0u);
        const std::vector<Entry> entries = Entries();
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].version, kOlderVersion);
        for (const wchar_t* file : {L"keldra.exe", L"lang.dll", L"freemem.exe", L"cpuscan.avi"}) {
            EXPECT_TRUE(Exists(Installed(file))) << "installed " << file;
        }
        const std::wstring shortcuts = ShortcutFolder();
        ASSERT_FALSE(shortcuts.empty()) << "the Start menu folder Keldra Maintenance";
        const Link start = ReadLink(shortcuts + L"\\Keldra Maintenance.lnk");
        ASSERT_TRUE(start.read);
        EXPECT_EQ(CompareStringOrdinal(start.target.c_str(), -1, program_.c_str(), -1, TRUE),
                  CSTR_EQUAL)
            << start.target;
        EXPECT_EQ(start.arguments, L"");
        const Link undo = ReadLink(shortcuts + L"\\Undo last registry repair.lnk");
        ASSERT_TRUE(undo.read);
        EXPECT_EQ(CompareStringOrdinal(undo.target.c_str(), -1, program_.c_str(), -1, TRUE),
                  CSTR_EQUAL)
            << undo.target;
        EXPECT_EQ(undo.arguments, L"-restore");
    }

    // The installed program: its pass finds the dead value; the schedule registers the
    // logon start of the installed copy; "Fix problems" backs the value up and ends.
    void RunTheInstalledProgram() const {
        Program keldra(L"\"" + program_ + L"\"");
        ASSERT_TRUE(keldra.Started());
        HWND main = MainWindowAfterPass(keldra);
        ASSERT_NE(main, nullptr) << "the installed program ends its pass";
        EXPECT_NE(ChildEndingWith(main, Lang("OCM_PStat")), nullptr);
        Click(ChildWithText(main, Lang("OCM_Sched")));
        HWND scheduler = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                scheduler = ProgramWindowWith(keldra.Id(), Lang("OCM_ESM"));
                return scheduler != nullptr && IsWindowVisible(scheduler) != FALSE;
            },
            10));
        Click(ChildWithText(scheduler, Lang("OCM_ESM")));
        ASSERT_TRUE(WaitUntil([] { return Setting(L"AutoMaint") == L"1"; }, 10));
        EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kRunKey, kRunName), logonStart_);
        PostMessageW(scheduler, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(scheduler) == FALSE; }, 10));
        Click(ChildWithText(main, Lang("OCM_FB")));
        EXPECT_EQ(keldra.ExitCode(60), 0);
    }

    // The build's package upgrades in place, and the schedule still starts the program.
    void UpgradeToTheBuildsPackage() const {
        ASSERT_EQ(Msiexec(L"/i " + newer_ + L" /qn"), 0u);
        const std::vector<Entry> entries = Entries();
        ASSERT_EQ(entries.size(), 1u) << "one installation";
        EXPECT_EQ(entries[0].version, BuildVersion());
        EXPECT_EQ(entries[0].publisher, L"Keldra");
        EXPECT_TRUE(entries[0].hasSize) << "Apps & Features shows a size";
        EXPECT_EQ(entries[0].location, std::wstring(kInstallFolder) + L"\\");
        EXPECT_NE(entries[0].uninstall.find(entries[0].key), std::wstring::npos)
            << entries[0].uninstall;
        EXPECT_TRUE(Exists(program_));
        EXPECT_TRUE(Exists(ShortcutFolder() + L"\\Undo last registry repair.lnk"));
        EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kRunKey, kRunName), logonStart_)
            << "an upgrade keeps the logon start";
    }

    // Removal takes the files, the shortcuts and the program's own logon start; the user's
    // entry `elsewhere`, the backup and the settings stay.
    void RemoveSilently(const std::wstring& elsewhere, LONGLONG backupBytes) const {
        ASSERT_EQ(Msiexec(L"/x " + newer_ + L" /qn"), 0u);
        EXPECT_TRUE(Entries().empty());
        for (const wchar_t* file : {L"keldra.exe", L"lang.dll", L"freemem.exe", L"cpuscan.avi"}) {
            EXPECT_FALSE(Exists(Installed(file))) << "removed " << file;
        }
        EXPECT_FALSE(Exists(kInstallFolder));
        EXPECT_TRUE(ShortcutFolder().empty()) << "the Start menu folder goes";
        EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kRunKey, kRunName), L"<absent>");
        EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kRunKey, kRunName), elsewhere);
        EXPECT_EQ(FileBytes(kBackup), backupBytes) << "the backup stays as it was";
        EXPECT_EQ(Setting(L"AutoMaint"), L"1") << "the settings stay";
    }

    const std::wstring older_ = L"\"" + Beside(L"keldra-older.msi") + L"\"";
    const std::wstring newer_ = L"\"" + Beside(L"keldra.msi") + L"\"";
    const std::wstring program_ = Installed(L"keldra.exe");
    const std::wstring logonStart_ = L"\"" + program_ + L"\" -auto";
};

TEST_F(InstallerEndToEnd, InstallUpgradeAndRemoveSilently) {
    ASSERT_NO_FATAL_FAILURE(InstallTheOlderPackage());
    ASSERT_NO_FATAL_FAILURE(RunTheInstalledProgram());
    const LONGLONG backupBytes = FileBytes(kBackup);
    ASSERT_GT(backupBytes, 0) << "the repair wrote its backup";
    ASSERT_NO_FATAL_FAILURE(UpgradeToTheBuildsPackage());

    // A user's entry for a copy elsewhere still starts that copy: it stays.
    const std::wstring elsewhere = L"\"C:\\Tools\\Keldra\\keldra.exe\" -auto";
    SetRun(HKEY_CURRENT_USER, elsewhere);
    RemoveSilently(elsewhere, backupBytes);
}

}  // namespace
}  // namespace keldra::e2e

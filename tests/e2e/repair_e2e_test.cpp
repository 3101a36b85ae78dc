// "Fix problems" in the real program after a pass: the listed values of every type are
// removed after their backup, and the registry editor brings each of them back byte for
// byte from that backup. A value the backup could not carry exactly stays, and so does a
// class identifier stored as binary data, which is no empty registration.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "automation.h"
#include "e2e_support.h"

namespace keldra::e2e {
namespace {

using platform::win32::UniqueProcess;

using Bytes = std::vector<BYTE>;
struct Stored {
    DWORD type = 0;
    Bytes data;
    friend bool operator==(const Stored&, const Stored&) = default;
};

constexpr const wchar_t* kFixKey = L"Software\\KeldraFix";
constexpr const wchar_t* kFixClass =
    L"Software\\Classes\\CLSID\\{4B454C44-5241-0000-0000-0000000000F1}";
constexpr const wchar_t* kSharedDlls = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
constexpr const wchar_t* kBinaryDll = L"C:\\keldra-fix\\binary.dll";
constexpr const wchar_t* kNoneDll = L"C:\\keldra-fix\\none.dll";

Bytes Text(std::wstring_view text, bool terminated = true) {
    Bytes bytes(reinterpret_cast<const BYTE*>(text.data()),
                reinterpret_cast<const BYTE*>(text.data() + text.size()));
    if (terminated) {
        bytes.insert(bytes.end(), {0, 0});
    }
    return bytes;
}

void Put(const std::wstring& key, const std::wstring& name, DWORD type, const Bytes& data) {
    UniqueHKey h;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, h.put(), nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(h.get(), name.empty() ? nullptr : name.c_str(), 0, type, data.data(),
                   static_cast<DWORD>(data.size()));
}

// The value as stored, or nothing.
std::optional<Stored> Read(const std::wstring& key, const std::wstring& name) {
    UniqueHKey h;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, h.put()) != ERROR_SUCCESS) {
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

bool RunRegedit(const std::wstring& arguments) {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring program = std::wstring(windows) + L"\\regedit.exe";
    std::wstring command = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi)) {
        return false;
    }
    const UniqueProcess regedit(pi);
    return WaitForSingleObject(regedit.process.get(), 60000) == WAIT_OBJECT_0;
}

class RepairEndToEnd : public ProgramTest {
  protected:
    void TearDown() override {
        ProgramTest::TearDown();
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFixKey);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFixClass);
        for (const wchar_t* name : {L"C:\\keldra-fix\\shared.dll", kBinaryDll, kNoneDll}) {
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kSharedDlls, name);
        }
    }
};

TEST_F(RepairEndToEnd, FixProblemsRemovesWhatTheBackupRestores) {
    struct Seed {
        std::wstring key;
        std::wstring name;
        DWORD type;
        Bytes data;
    };
    Bytes hundred(100);
    for (std::size_t i = 0; i < hundred.size(); ++i) {
        hundred[i] = static_cast<BYTE>(i * 37 + 13);
    }
    const std::vector<Seed> restorable{
        {kFixKey, L"Quoted \\ \"name\"", REG_SZ,
         Text(L"\"C:\\keldra-fix\\gone\\app.exe\" /x \\\"y\\\"")},
        {kFixKey, L"", REG_SZ, Text(L"C:\\keldra-fix\\default.exe")},
        {kFixKey, L"Expand", REG_EXPAND_SZ, Text(L"C:\\keldra-fix\\gone.dll")},
        {kFixKey, L"Multi", REG_MULTI_SZ,
         Text(std::wstring(L"C:\\keldra-fix\\a.dll\0second\0caf\u00E9\0", 32))},
        {kSharedDlls, L"C:\\keldra-fix\\shared.dll", REG_DWORD, Bytes{7, 0, 0, 0}},
        // Counters named by a dead library, stored in whatever type a program chose.
        {kSharedDlls, kBinaryDll, REG_BINARY, hundred},
        {kSharedDlls, kNoneDll, REG_NONE, Bytes{1, 0, 0x0D, 0x0A}},
    };
    const std::vector<Seed> kept{
        {kFixKey, L"Line break", REG_SZ, Text(L"C:\\keldra-fix\\gone.exe\r\nmore")},
        // A class identifier stored as its bytes holds data: no empty registration.
        {kFixClass, L"CLSID", REG_BINARY, Bytes(hundred.begin(), hundred.begin() + 16)},
    };
    std::map<std::wstring, Stored> before;
    for (const auto* seeds : {&restorable, &kept}) {
        for (const Seed& seed : *seeds) {
            Put(seed.key, seed.name, seed.type, seed.data);
            const auto stored = Read(seed.key, seed.name);
            ASSERT_TRUE(stored.has_value()) << seed.key.size();
            before[seed.key + L"|" + seed.name] = *stored;
        }
    }
    DeleteFileW(L"C:\\sysbackup.reg");

    Program keldra(Command());
    ASSERT_TRUE(keldra.Started());
    HWND main = MainWindowAfterPass(keldra);
    ASSERT_NE(main, nullptr) << "the pass ends";
    Click(ChildWithText(main, Lang("OCM_FB")));
    EXPECT_EQ(keldra.ExitCode(120), 0) << "fixing ends the program";

    for (const Seed& seed : restorable) {
        EXPECT_FALSE(Read(seed.key, seed.name).has_value()) << "not removed: " << seed.type;
    }
    for (const Seed& seed : kept) {
        const auto stored = Read(seed.key, seed.name);
        ASSERT_TRUE(stored.has_value()) << "a value that must stay was removed";
        EXPECT_EQ(*stored, before.at(seed.key + L"|" + seed.name));
    }

    ASSERT_TRUE(RunRegedit(L"/S C:\\sysbackup.reg"));
    for (const Seed& seed : restorable) {
        const auto stored = Read(seed.key, seed.name);
        ASSERT_TRUE(stored.has_value()) << "not restored: type " << seed.type;
        EXPECT_EQ(*stored, before.at(seed.key + L"|" + seed.name)) << "type " << seed.type;
    }
}

}  // namespace
}  // namespace keldra::e2e

// The real program's registry stage in the sandbox prefix, seeded with dead references of
// every kind next to live ones: what the results window lists, and what it leaves out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "automation.h"
#include "e2e_support.h"

namespace keldra::e2e {
namespace {

using platform::win32::UniqueFileHandle;

constexpr const wchar_t* kSeedFolder = L"C:\\keldra-seed";
constexpr const wchar_t* kClass = L"{4B454C44-5241-0000-0000-000000000001}";
constexpr const wchar_t* kLiveClass = L"{4B454C44-5241-0000-0000-000000000002}";
const std::wstring kClassesClsid = L"Software\\Classes\\CLSID\\";

void Put(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& data) {
    UniqueHKey key;
    ASSERT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                              nullptr),
              ERROR_SUCCESS)
        << path;
    RegSetValueExW(key.get(), name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

void PutDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value) {
    UniqueHKey key;
    ASSERT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof value);
}

void Touch(const std::wstring& path) {
    const UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(file.get(), INVALID_HANDLE_VALUE) << "cannot create a seed file";
}

void DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name) {
    RegDeleteKeyValueW(root, path.c_str(), name.c_str());
}

const std::wstring kSharedDlls = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
const std::wstring kFonts = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

class RegistryScanEndToEnd : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (!IsSkipped()) {
            Seed();
        }
    }
    void TearDown() override {
        ProgramTest::TearDown();
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\KeldraSeed");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\KeldraSeed");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kClassesClsid + kClass).c_str());
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kClassesClsid + kLiveClass).c_str());
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L".keldraseed");
        DeleteValue(HKEY_LOCAL_MACHINE, kSharedDlls, L"C:\\keldra-seed\\shared-gone.dll");
        DeleteValue(HKEY_LOCAL_MACHINE, kFonts, L"Keldra Gone (TrueType)");
    }

    static void Seed() {
        CreateDirectoryW(kSeedFolder, nullptr);
        Touch(L"C:\\keldra-seed\\live.exe");
        Touch(L"C:\\keldra-seed\\live.dll");
        Touch(L"C:\\keldra-seed\\\x0424\x0430\x0439\x043B-\x65E5\x672C.exe");

        Put(HKEY_CURRENT_USER, L"Software\\KeldraSeed", L"Dead", L"C:\\keldra-seed\\gone.exe");
        Put(HKEY_CURRENT_USER, L"Software\\KeldraSeed", L"Live", L"C:\\keldra-seed\\live.exe");
        Put(HKEY_CURRENT_USER, L"Software\\KeldraSeed", L"Unicode",
            L"\"C:\\keldra-seed\\\x0424\x0430\x0439\x043B-\x65E5\x672C.exe\" /open");
        Put(HKEY_CURRENT_USER, L"Software\\KeldraSeed", L"Cd", L"E:\\setup\\gone.exe");
        Put(HKEY_CURRENT_USER, L"Software\\KeldraSeed", L"Net", L"N:\\share\\gone.exe");
        Put(HKEY_LOCAL_MACHINE, L"Software\\KeldraSeed", L"Dead", L"D:\\keldra-seed\\gone.dll");
        PutDword(HKEY_LOCAL_MACHINE, kSharedDlls, L"C:\\keldra-seed\\shared-gone.dll", 1);
        Put(HKEY_LOCAL_MACHINE, kFonts, L"Keldra Gone (TrueType)", L"keldragone.ttf");
        const std::wstring dead = kClassesClsid + kClass;
        Put(HKEY_LOCAL_MACHINE, dead + L"\\InprocServer32", L"",
            L"C:\\keldra-seed\\server-gone.dll");
        Put(HKEY_LOCAL_MACHINE, dead + L"\\TypeLib", L"",
            L"{4B454C44-5241-0000-0000-0000000000FF}");
        Put(HKEY_LOCAL_MACHINE, dead + L"\\ProgID", L"", L"Keldra.Missing.1");
        Put(HKEY_LOCAL_MACHINE, kClassesClsid + kLiveClass + L"\\InprocServer32", L"",
            L"C:\\keldra-seed\\live.dll");
        Put(HKEY_CLASSES_ROOT, L".keldraseed", L"", L"keldraseedfile");
        Put(HKEY_CLASSES_ROOT, L".keldraseed\\ShellNew", L"FileName",
            L"C:\\keldra-seed\\template-gone.ksd");
    }
};

using Row = std::vector<std::wstring>;

bool Listed(const std::vector<Row>& rows, const std::wstring& location, const std::wstring& name,
            const std::wstring& data, const std::wstring& reason) {
    return std::any_of(rows.begin(), rows.end(), [&](const Row& row) {
        return row.size() >= 4 && row[0] == location && row[1] == name && row[2] == data &&
               row[3] == reason;
    });
}

TEST_F(RegistryScanEndToEnd, SeededDeadReferencesAreListedAndLiveOnesAreNot) {
    Program keldra(Command());
    ASSERT_TRUE(keldra.Started());
    HWND main = MainWindowAfterPass(keldra);
    ASSERT_NE(main, nullptr) << "the pass ends";

    ASSERT_TRUE(ClickTrayIcon(keldra.Id()));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 10));
    HWND registryRow = ChildEndingWith(main, Lang("OCM_PStat"));
    ASSERT_NE(registryRow, nullptr) << "row 1 counts the problems";
    const int counted = std::stoi(TextOf(registryRow));
    ClickLabel(registryRow);

    HWND results = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            results = ProgramWindowWith(keldra.Id(), Lang("OCM_RRes"));
            return results != nullptr && IsWindowVisible(results) != FALSE;
        },
        10))
        << "the registry results window";
    EXPECT_EQ(TextOf(results), Lang("OCM_RCap"));
    HWND list = ChildOfClass(results, L"SysListView32");
    ASSERT_NE(list, nullptr);
    const auto rows = ListViewRows(list, 6);
    EXPECT_EQ(static_cast<int>(rows.size()), counted);

    const std::wstring missing = Lang("RDRC_Reason0");
    const std::wstring clsid =
        L"HKEY_LOCAL_MACHINE\\software\\classes\\CLSID\\" + std::wstring(kClass);
    EXPECT_TRUE(Listed(rows, L"HKEY_CURRENT_USER\\software\\KeldraSeed", L"Dead",
                       L"C:\\keldra-seed\\gone.exe", missing));
    EXPECT_TRUE(Listed(rows, L"HKEY_LOCAL_MACHINE\\Software\\KeldraSeed", L"Dead",
                       L"D:\\keldra-seed\\gone.dll", missing));
    EXPECT_TRUE(Listed(rows, L"HKEY_LOCAL_MACHINE\\" + kSharedDlls,
                       L"C:\\keldra-seed\\shared-gone.dll", L"1", Lang("RDRC_Reason10")));
    EXPECT_TRUE(Listed(rows, L"HKEY_LOCAL_MACHINE\\" + kFonts, L"Keldra Gone (TrueType)",
                       L"keldragone.ttf", Lang("RDRC_Reason11")));
    EXPECT_TRUE(Listed(rows, clsid + L"\\InprocServer32", L"", L"C:\\keldra-seed\\server-gone.dll",
                       missing));
    EXPECT_TRUE(Listed(rows, clsid + L"\\TypeLib", L"", L"{4B454C44-5241-0000-0000-0000000000FF}",
                       Lang("RDRC_Reason2")));
    EXPECT_TRUE(Listed(rows, clsid + L"\\ProgID", L"", L"Keldra.Missing.1", Lang("RDRC_Reason6")));
    EXPECT_TRUE(Listed(rows, L"HKEY_CLASSES_ROOT\\.keldraseed\\ShellNew", L"FileName",
                       L"C:\\keldra-seed\\template-gone.ksd", missing));
    // The user's branch seen from all users lists the same value again.
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [](const Row& row) {
        return row[0].starts_with(L"HKEY_USERS\\") && row[0].ends_with(L"\\Software\\KeldraSeed") &&
               row[1] == L"Dead";
    }));
    for (const Row& row : rows) {
        const bool seeded = row[0].find(L"KeldraSeed") != std::wstring::npos;
        EXPECT_FALSE(seeded && row[1] != L"Dead")
            << "listed a live or filtered value: " << row[1].size();
        EXPECT_EQ(row[2].find(L"live."), std::wstring::npos) << "listed a live reference";
        EXPECT_FALSE(row[3].empty()) << "every row has a reason";
    }
    Sleep(300);
    Screenshot(results, L"registry-results.bmp");

    // Cancel ends the program; nothing was removed.
    Click(ChildWithText(main, Lang("OSM_SE")));
    EXPECT_EQ(keldra.ExitCode(10), 0);
    UniqueHKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\KeldraSeed", 0, KEY_READ, key.put()), 0);
    EXPECT_EQ(RegQueryValueExW(key.get(), L"Dead", nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
}

}  // namespace
}  // namespace keldra::e2e

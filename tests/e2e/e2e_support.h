#pragma once
// What the end-to-end cases share: the program and its language library beside the test,
// and the per-user settings they prepare and clean up.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cwchar>
#include <string>

#include "automation.h"
#include "platform/win32/handles.h"

namespace keldra::e2e {

using platform::win32::UniqueHKey;

inline std::wstring Beside(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.rfind(L'\\') + 1) + name;
}

// A text of the language library beside the program.
inline std::wstring Lang(const char* id) {
    const std::wstring dll = Beside(L"lang.dll");
    return LangText(dll.substr(0, dll.rfind(L'\\')), id);
}

inline constexpr const wchar_t* kOptions =
    L"Software\\VB and VBA Program Settings\\Keldra Maintenance\\Options";

inline void ResetSettings() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings");
}

inline void StoreSetting(const wchar_t* key, const wchar_t* value) {
    UniqueHKey options;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, kOptions, options.put()), ERROR_SUCCESS);
    RegSetValueExW(options.get(), key, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
}

// A string value, or "<absent>".
inline std::wstring ReadString(HKEY root, const wchar_t* key, const wchar_t* name) {
    wchar_t data[1024] = {};
    DWORD bytes = sizeof data - sizeof(wchar_t);
    if (RegGetValueW(root, key, name, RRF_RT_REG_SZ, nullptr, data, &bytes) != ERROR_SUCCESS) {
        return L"<absent>";
    }
    return data;
}

inline std::wstring Setting(const wchar_t* key) {
    return ReadString(HKEY_CURRENT_USER, kOptions, key);
}

inline bool HasVisibleStyle(HWND hwnd) {
    return (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

inline void Screenshot(HWND hwnd, const wchar_t* name) {
    CreateDirectoryW(L"C:\\keldra-artifacts", nullptr);
    EXPECT_TRUE(SaveScreenshot(hwnd, std::wstring(L"C:\\keldra-artifacts\\") + name));
}

// The main window of a started program once its pass has ended (the disk row shows), or
// nullptr when that does not happen within `seconds`.
inline HWND MainWindowAfterPass(const Program& keldra, double seconds = 240) {
    HWND main = nullptr;
    if (!WaitUntil(
            [&] { return (main = ProgramWindowWith(keldra.Id(), Lang("OCM_FB"))) != nullptr; },
            30)) {
        return nullptr;
    }
    HWND diskRow = ChildWithText(main, Lang("OCM_MStat"));
    if (diskRow == nullptr || !WaitUntil([&] { return HasVisibleStyle(diskRow); }, seconds)) {
        return nullptr;
    }
    return main;
}

// A case that starts the program: it needs a display, and starts from fresh settings in
// which the welcome window has been seen and fixing waits for the user.
class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << "needs a display (run under Xvfb: with-sandbox.sh --display)";
        }
        ResetSettings();
        StoreSetting(L"AutoFix", L"0");
        StoreSetting(L"WelcScreen", L"1");
    }
    void TearDown() override { ResetSettings(); }
};

// The program beside the test, quoted.
inline std::wstring Command() {
    return L"\"" + Beside(L"keldra.exe") + L"\"";
}

}  // namespace keldra::e2e

#pragma once
// Helpers of the adapter cases: folders of their own below the run folder, files, helper
// programs, a display check and an event pump with a deadline.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"

namespace keldra::testing {

using platform::win32::Narrow;
using platform::win32::Wide;

inline std::wstring ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

inline std::filesystem::path ProgramFolder() {
    return std::filesystem::path(ProgramPath()).parent_path();
}

inline std::filesystem::path BesideProgram(std::wstring_view name) {
    return ProgramFolder() / name;
}

// A new folder below the current directory at creation (wine-run.sh's run folder, removed
// after the run), removed again at the end of the case.
class TempFolder {
  public:
    explicit TempFolder(std::wstring_view stem = L"tmp") {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::absolute(std::wstring(stem) + L"-" +
                                          std::to_wstring(GetCurrentProcessId()) + L"-" +
                                          std::to_wstring(++counter));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string Utf8() const { return Narrow(path_.wstring()); }

  private:
    std::filesystem::path path_;
};

// Puts the current directory back at the end of a case that changed it.
class CurrentDirectoryGuard {
  public:
    CurrentDirectoryGuard() : saved_(std::filesystem::current_path()) {}
    ~CurrentDirectoryGuard() { SetCurrentDirectoryW(saved_.c_str()); }
    CurrentDirectoryGuard(const CurrentDirectoryGuard&) = delete;
    CurrentDirectoryGuard& operator=(const CurrentDirectoryGuard&) = delete;

  private:
    std::filesystem::path saved_;
};

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// The value of "key=value" on its own line of a helper's report.
inline std::string ReportValue(const std::string& report, const std::string& key) {
    std::istringstream lines(report);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(key + "=", 0) == 0) {
            return line.substr(key.size() + 1);
        }
    }
    return "<" + key + " missing>";
}

inline bool WaitForFile(const std::filesystem::path& path, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    std::error_code ignored;
    while (!std::filesystem::exists(path, ignored) ||
           std::filesystem::file_size(path, ignored) == 0) {
        if (GetTickCount() - start > milliseconds) {
            return false;
        }
        Sleep(20);
    }
    Sleep(50);  // let the writer close it
    return true;
}

// Runs a program with a command line of our making and waits for it; -1 if it could not
// start or did not end in time.
inline long RunAndWait(const std::filesystem::path& program, const std::wstring& arguments,
                       const std::filesystem::path& folder = {}, DWORD milliseconds = 20000) {
    std::wstring commandLine = L"\"" + program.wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        return -1;
    }
    const platform::win32::UniqueProcess started(info);
    const DWORD waited = WaitForSingleObject(started.process.get(), milliseconds);
    DWORD code = 0;
    GetExitCodeProcess(started.process.get(), &code);
    if (waited != WAIT_OBJECT_0) {
        TerminateProcess(started.process.get(), 1);
    }
    return waited == WAIT_OBJECT_0 ? static_cast<long>(code) : -1;
}

// Window and tray cases need an X display for Wine to draw on.
inline bool HaveDisplay() {
    wchar_t value[256];
    return GetEnvironmentVariableW(L"DISPLAY", value, 256) > 0;
}

#define KELDRA_REQUIRE_DISPLAY()                                                           \
    do {                                                                                   \
        if (!::keldra::testing::HaveDisplay()) {                                           \
            GTEST_SKIP() << "no DISPLAY: run under scripts/with-sandbox.sh --display for " \
                            "the window and tray cases";                                   \
        }                                                                                  \
    } while (false)

// Processes messages until `done` holds or the time is up; true if it held.
template <typename Done>
bool PumpUntil(Done done, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > milliseconds) {
            return false;
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return true;
}

}  // namespace keldra::testing

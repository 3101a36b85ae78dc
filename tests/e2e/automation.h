#pragma once
// Driving the real program from another process, as a user would: finding its windows,
// reading and clicking their controls, clicking its tray icon, taking pictures of them.

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/handles.h"

namespace keldra::e2e {

using platform::win32::UniqueKernelHandle;
using platform::win32::UniqueProcess;

inline std::wstring ClassOf(HWND hwnd) {
    wchar_t name[128] = {};
    GetClassNameW(hwnd, name, 128);
    return name;
}

inline std::wstring TextOf(HWND hwnd) {
    wchar_t text[1024] = {};
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, nullptr);
    return text;
}

inline std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM out) {
            reinterpret_cast<std::vector<HWND>*>(out)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The first child whose text is `text`, or nullptr.
inline HWND ChildWithText(HWND parent, const std::wstring& text) {
    for (HWND child : Children(parent)) {
        if (TextOf(child) == text) {
            return child;
        }
    }
    return nullptr;
}

// The first child whose text ends with `tail` ("12 problems found"), or nullptr.
inline HWND ChildEndingWith(HWND parent, const std::wstring& tail) {
    for (HWND child : Children(parent)) {
        const std::wstring text = TextOf(child);
        if (text.size() >= tail.size() &&
            text.compare(text.size() - tail.size(), tail.size(), tail) == 0) {
            return child;
        }
    }
    return nullptr;
}

// The first child of a window class, or nullptr.
inline HWND ChildOfClass(HWND parent, const std::wstring& className) {
    for (HWND child : Children(parent)) {
        if (ClassOf(child) == className) {
            return child;
        }
    }
    return nullptr;
}

// Top-level windows of one process, of one class.
inline std::vector<HWND> TopWindows(DWORD processId, const std::wstring& className) {
    struct Search {
        DWORD pid;
        std::wstring cls;
        std::vector<HWND> found;
    } search{processId, className, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM arg) {
            auto* s = reinterpret_cast<Search*>(arg);
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            if (pid == s->pid && ClassOf(hwnd) == s->cls) {
                s->found.push_back(hwnd);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A window of the program that holds a child with `childText`.
inline HWND ProgramWindowWith(DWORD processId, const std::wstring& childText) {
    for (HWND w : TopWindows(processId, L"KeldraWindow")) {
        if (ChildWithText(w, childText) != nullptr) {
            return w;
        }
    }
    return nullptr;
}

// Polls `ready` every 50 ms until it holds or `seconds` have passed.
inline bool WaitUntil(const std::function<bool()>& ready, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (ready()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return ready();
}

// Clicks a button without waiting for what the click starts (a modal window, the end).
inline void Click(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}

// A click on a label, as the label reports it to its window.
inline void ClickLabel(HWND label) {
    PostMessageW(GetParent(label), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(label), STN_CLICKED),
                 reinterpret_cast<LPARAM>(label));
}

// The texts of every row and column of a list view of another process. The list view
// writes into memory of its own process, so the request and the text buffer live there.
inline std::vector<std::vector<std::wstring>> ListViewRows(HWND list, int columns) {
    std::vector<std::vector<std::wstring>> rows;
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    const UniqueKernelHandle owner(
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (!owner) {
        return rows;
    }
    HANDLE process = owner.get();
    constexpr SIZE_T kChars = 1024;
    auto* remote = static_cast<BYTE*>(VirtualAllocEx(
        process, nullptr, sizeof(LVITEMW) + kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; remote != nullptr && row < count; ++row) {
        std::vector<std::wstring> cells;
        for (int column = 0; column < columns; ++column) {
            LVITEMW item{};
            item.iSubItem = column;
            item.cchTextMax = static_cast<int>(kChars);
            item.pszText = reinterpret_cast<LPWSTR>(remote + sizeof(LVITEMW));
            wchar_t text[kChars] = {};
            WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
            WriteProcessMemory(process, remote + sizeof(LVITEMW), text, sizeof(wchar_t), nullptr);
            SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                         reinterpret_cast<LPARAM>(remote));
            ReadProcessMemory(process, remote + sizeof(LVITEMW), text, sizeof text, nullptr);
            text[kChars - 1] = L'\0';
            cells.emplace_back(text);
        }
        rows.push_back(std::move(cells));
    }
    if (remote != nullptr) {
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    return rows;
}

// A left click on the program's tray icon, as the shell reports it.
inline bool ClickTrayIcon(DWORD processId) {
    const auto hosts = TopWindows(processId, L"KeldraTrayHost");
    if (hosts.empty()) {
        return false;
    }
    PostMessageW(hosts.front(), WM_APP + 1, 1, WM_LBUTTONUP);
    return true;
}

// Enter or Space on the program's tray icon, as the shell of notification version 4 reports
// it (event in the low word, icon in the high word).
inline bool KeySelectTrayIcon(DWORD processId) {
    const auto hosts = TopWindows(processId, L"KeldraTrayHost");
    if (hosts.empty()) {
        return false;
    }
    PostMessageW(hosts.front(), WM_APP + 1, 0, MAKELPARAM(NIN_KEYSELECT, 1));
    return true;
}

// The program's active window and the window with the keyboard focus, as its UI thread
// has them (the thread of `anyWindow`).
inline GUITHREADINFO GuiOf(HWND anyWindow) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(anyWindow, nullptr), &info);
    return info;
}

// A key pressed and released, delivered as the keyboard delivers it: to the window that
// has the focus in the program's thread (its active window when no control has it).
inline bool PressKey(HWND anyWindow, UINT key) {
    const GUITHREADINFO gui = GuiOf(anyWindow);
    const HWND target = gui.hwndFocus != nullptr ? gui.hwndFocus : gui.hwndActive;
    if (target == nullptr) {
        return false;
    }
    const auto scan = static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(target, WM_KEYDOWN, key, 1 | scan);
    PostMessageW(target, WM_KEYUP, key, 1 | scan | static_cast<LPARAM>(0xC0000000));
    return true;
}

// Saves what the screen shows of a window as a 24-bit BMP file.
inline bool SaveScreenshot(HWND hwnd, const std::wstring& path) {
    RECT r{};
    if (!GetWindowRect(hwnd, &r)) {
        return false;
    }
    // Only what is on the screen can be copied: a window reaching beyond it (a tall one
    // at a high DPI) is pictured as far as it shows.
    const RECT screenRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (!IntersectRect(&r, &r, &screenRect)) {
        return false;
    }
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    const platform::win32::UniqueScreenDc screen(GetDC(nullptr));
    const platform::win32::UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    const platform::win32::UniqueHBitmap bitmap(
        CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, w, h, screen.get(), r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = static_cast<DWORD>((w * 3 + 3) & ~3);
    const DWORD imageBytes = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + imageBytes;
    // Written under another name and renamed when complete, so that whoever collects the
    // pictures never takes half of one.
    const std::wstring part = path + L".part";
    bool ok = false;
    if (FILE* out = _wfopen(part.c_str(), L"wb")) {
        ok = fwrite(&file, sizeof file, 1, out) == 1 &&
             fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
             fwrite(bits, 1, imageBytes, out) == imageBytes;
        ok = fclose(out) == 0 && ok;
    }
    ok = ok && MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    // The bitmap leaves the memory context before either goes.
    SelectObject(memory.get(), old);
    return ok;
}

// A text of the language library in `folder` (which stays loaded), as the program gets it.
inline std::wstring LangText(const std::wstring& folder, const char* id) {
    static HMODULE lang = LoadLibraryW((folder + L"\\lang.dll").c_str());
    using Fn = short(__stdcall*)(const char*, char*, int);
    auto* fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(lang, "GetValueForID")));
    char buffer[256] = {};
    if (fn != nullptr) {
        fn(id, buffer, 0);
    }
    wchar_t wide[256] = {};
    // The library writes the system's ANSI code page, as the program reads it.
    MultiByteToWideChar(CP_ACP, 0, buffer, -1, wide, 256);
    return wide;
}

// A started program; killed if a test leaves it running.
class Program {
  public:
    explicit Program(const std::wstring& commandLine) {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        std::wstring line = commandLine;
        PROCESS_INFORMATION pi{};
        if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                           &pi) != FALSE) {
            process_ = UniqueProcess(pi);
        }
    }
    ~Program() {
        if (Started() && Running()) {
            TerminateProcess(Process(), 99);
            WaitForSingleObject(Process(), 5000);
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return static_cast<bool>(process_.process); }
    DWORD Id() const { return process_.processId; }
    bool Running() const { return WaitForSingleObject(Process(), 0) == WAIT_TIMEOUT; }
    // The exit code once it ended within `seconds`, or -1.
    long ExitCode(double seconds) const {
        if (WaitForSingleObject(Process(), static_cast<DWORD>(seconds * 1000)) != WAIT_OBJECT_0) {
            return -1;
        }
        DWORD code = 0;
        GetExitCodeProcess(Process(), &code);
        return static_cast<long>(code);
    }
    // Processor time used so far, in seconds.
    double CpuSeconds() const {
        FILETIME created, exited, kernel, user;
        if (!GetProcessTimes(Process(), &created, &exited, &kernel, &user)) {
            return -1;
        }
        const auto toSeconds = [](FILETIME t) {
            return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) |
                                       t.dwLowDateTime) /
                   1e7;
        };
        return toSeconds(kernel) + toSeconds(user);
    }

  private:
    HANDLE Process() const { return process_.process.get(); }

    UniqueProcess process_;
};

}  // namespace keldra::e2e

#include "platform/win32/win32_process.h"

#include <iterator>

#include "platform/win32/wide_text.h"

namespace keldra::platform::win32 {

std::wstring_view ArgumentsOf(std::wstring_view commandLine) {
    // The program name ends at the first blank outside quotes, as the C runtime splits
    // argv[0]; a quoted name may hold blanks.
    std::size_t i = 0;
    bool quoted = false;
    for (; i < commandLine.size(); ++i) {
        const wchar_t c = commandLine[i];
        if (c == L'"') {
            quoted = !quoted;
        } else if (!quoted && (c == L' ' || c == L'\t')) {
            break;
        }
    }
    while (i < commandLine.size() && (commandLine[i] == L' ' || commandLine[i] == L'\t')) {
        ++i;
    }
    return commandLine.substr(i);
}

void TerminateNow(int exitCode) noexcept {
    // TerminateProcess runs no DLL detach code and no static destructors: nothing of the
    // program runs after it. ExitProcess only follows should it ever fail.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
    ExitProcess(static_cast<UINT>(exitCode));
}

Win32Process::Win32Process(std::wstring_view instanceMutexName) {
    const std::wstring name(instanceMutexName);
    instanceMutex_.reset(CreateMutexW(nullptr, FALSE, name.c_str()));
    // Read at once: any later call may change the last error.
    previousInstance_ = GetLastError() == ERROR_ALREADY_EXISTS;
}

std::string Win32Process::CommandLine() const {
    const wchar_t* commandLine = GetCommandLineW();
    return commandLine != nullptr ? Narrow(ArgumentsOf(commandLine)) : std::string();
}

std::wstring ProgramFilePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);  // cut short: a long path
    }
}

std::wstring ProgramFolderPath() {
    const std::wstring path = ProgramFilePath();
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::string Win32Process::ProgramFolder() const {
    return Narrow(ProgramFolderPath());
}

std::string Win32Process::ProgramName() const {
    const std::wstring path = ProgramFilePath();
    const std::size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    if (const std::size_t dot = name.rfind(L'.'); dot != std::wstring::npos) {
        name.resize(dot);
    }
    return Narrow(name);
}

bool Win32Process::Start(std::string_view path, StartWindow window) {
    const std::wstring application = Wide(path);
    if (application.empty()) {
        return false;
    }
    // The child's own command line starts with its quoted name, as a shell would write it.
    std::wstring commandLine = L"\"" + application + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow =
        static_cast<WORD>(window == StartWindow::Hidden ? SW_HIDE : SW_SHOWNORMAL);
    PROCESS_INFORMATION info{};
    // No shell: a missing or unrunnable file is a plain failure, never an error box.
    if (!CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &info)) {
        return false;
    }
    const UniqueKernelHandle process(info.hProcess);
    const UniqueKernelHandle thread(info.hThread);
    return true;
}

bool Win32Process::SetCurrentDirectory(std::string_view path) {
    return SetCurrentDirectoryW(Wide(path).c_str()) != FALSE;
}

std::string Win32Process::CurrentDirectory() const {
    std::wstring path;
    DWORD needed = GetCurrentDirectoryW(0, nullptr);
    while (needed != 0) {
        path.resize(needed);
        const DWORD length = GetCurrentDirectoryW(needed, path.data());
        if (length < needed) {
            path.resize(length);
            return Narrow(path);
        }
        needed = length;  // changed in between: try with the new size
    }
    return {};
}

void Win32Process::EndNow(int exitCode) {
    TerminateNow(exitCode);
}

void Win32Process::SetExitErrorMode() {
    SetErrorMode(SEM_NOGPFAULTERRORBOX);
}

std::uint32_t Win32Process::TickCount() const {
    return GetTickCount();
}

DateTime Win32Process::Now() const {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    return DateTime{local.wYear, local.wMonth,  local.wDay,
                    local.wHour, local.wMinute, local.wSecond};
}

namespace {

// One item of the user's locale as text; `fallback` when Windows has none.
std::string LocaleText(LCTYPE item, std::string_view fallback) {
    wchar_t buffer[LOCALE_NAME_MAX_LENGTH * 4] = {};
    const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, item, buffer,
                                       static_cast<int>(std::size(buffer)));
    if (length <= 0) {
        return std::string(fallback);
    }
    return Narrow(std::wstring_view(buffer, static_cast<std::size_t>(length - 1)));
}

}  // namespace

DateFormats Win32Process::UserDateFormats() const {
    const DateFormats defaults;
    DateFormats formats;
    formats.shortDate = LocaleText(LOCALE_SSHORTDATE, defaults.shortDate);
    formats.longTime = LocaleText(LOCALE_STIMEFORMAT, defaults.longTime);
    // A 24-hour locale may have empty designators; they stay empty.
    formats.am = LocaleText(LOCALE_S1159, "");
    formats.pm = LocaleText(LOCALE_S2359, "");
    return formats;
}

std::string Win32Process::UserGroupSeparator() const {
    // An empty separator reads as no setting at all.
    const std::string separator = LocaleText(LOCALE_STHOUSAND, ",");
    return separator.empty() ? std::string(",") : separator;
}

}  // namespace keldra::platform::win32

#include "platform/win32/win32_system_info.h"

#include <windows.h>

#include <lmcons.h>

#include "platform/win32/wide_text.h"

namespace keldra::platform::win32 {
namespace {

// A folder query of the GetSystemDirectory kind: the length written, or the room needed
// (terminator included) when the buffer is too small, or 0 on failure.
template <typename Query>
std::string Folder(Query query) {
    std::wstring buffer(MAX_PATH + 1, L'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD length = query(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return Narrow(buffer);
        }
        buffer.assign(length + 1, L'\0');
    }
    return {};
}

}  // namespace

bool Win32SystemInfo::Memory(MemoryStatus& status) {
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    if (!GlobalMemoryStatusEx(&memory)) {
        return false;
    }
    status = {memory.dwMemoryLoad,     memory.ullTotalPhys,     memory.ullAvailPhys,
              memory.ullTotalPageFile, memory.ullAvailPageFile, memory.ullTotalVirtual,
              memory.ullAvailVirtual};
    return true;
}

ProcessorInfo Win32SystemInfo::Processor() {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    return {info.dwProcessorType, info.dwNumberOfProcessors,
            static_cast<std::uint64_t>(info.dwActiveProcessorMask)};
}

int Win32SystemInfo::KeyboardType(int which) {
    return GetKeyboardType(which);
}

bool Win32SystemInfo::Version(OsVersion& version) {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExW(&info)) {
        return false;
    }
    version = {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId,
               Narrow(std::wstring_view(info.szCSDVersion, wcsnlen(info.szCSDVersion, 128)))};
    return true;
}

std::string Win32SystemInfo::ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? Narrow(std::wstring_view(name, size)) : std::string();
}

std::string Win32SystemInfo::UserName() {
    wchar_t name[UNLEN + 1] = {};
    DWORD size = UNLEN + 1;
    // The size written counts the terminator.
    return GetUserNameW(name, &size) && size > 0 ? Narrow(std::wstring_view(name, size - 1))
                                                 : std::string();
}

std::string Win32SystemInfo::TempPath() {
    return Folder([](DWORD size, wchar_t* buffer) { return GetTempPathW(size, buffer); });
}

std::string Win32SystemInfo::SystemDirectory() {
    return Folder([](DWORD size, wchar_t* buffer) { return GetSystemDirectoryW(buffer, size); });
}

std::string Win32SystemInfo::WindowsDirectory() {
    return Folder([](DWORD size, wchar_t* buffer) { return GetWindowsDirectoryW(buffer, size); });
}

}  // namespace keldra::platform::win32

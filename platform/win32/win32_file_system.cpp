#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <shlobj.h>

#include "platform/win32/quiet_errors.h"
#include "platform/win32/wide_text.h"

namespace keldra::platform::win32 {

bool Win32FileSystem::FileExists(std::string_view path) {
    const QuietErrors quiet;
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileSystem::FolderExists(std::string_view path) {
    // The platform refuses the empty text with "path not found", but it is no path that
    // is known to be missing.
    if (path.empty()) {
        return true;
    }
    const QuietErrors quiet;
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
            return false;
        default:
            // Access denied, no medium, an unreachable server: the folder may well be there.
            return true;
    }
}

std::string Win32FileSystem::WindowsDirectory() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const UINT length = GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return Narrow(buffer);
        }
        buffer.assign(length, L'\0');  // too small: `length` counts the terminator
    }
}

std::string Win32FileSystem::SpecialFolderPath(int csidlWithFlags) {
    wchar_t buffer[MAX_PATH] = {};
    // S_FALSE (a known folder that does not exist) and every error give nothing, though
    // the shell may have written a path into the buffer.
    if (SHGetFolderPathW(nullptr, csidlWithFlags, nullptr, 0, buffer) != S_OK) {
        return {};
    }
    return Narrow(std::wstring_view(buffer, wcsnlen(buffer, MAX_PATH)));
}

std::vector<DriveEntry> Win32FileSystem::Drives() {
    std::wstring buffer(64, L'\0');
    DWORD length = 0;
    for (;;) {
        length = GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            break;
        }
        buffer.assign(length + 1, L'\0');
    }
    std::vector<DriveEntry> drives;
    const QuietErrors quiet;
    for (std::size_t start = 0; start < length;) {
        const std::size_t end = buffer.find(L'\0', start);
        const std::wstring root = buffer.substr(start, end - start);
        start = end + 1;
        if (root.empty()) {
            break;
        }
        const wchar_t letter = root[0];
        if (!((letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z'))) {
            continue;
        }
        DriveEntry entry;
        entry.letter = static_cast<char>(letter >= L'a' ? letter - L'a' + L'A' : letter);
        entry.type = DriveTypeFromCode(GetDriveTypeW(root.c_str()));
        drives.push_back(entry);
    }
    return drives;
}

bool Win32FileSystem::DriveReady(char letter) {
    const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
    const QuietErrors quiet;
    if (GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0)) {
        return true;
    }
    return GetLastError() != ERROR_NOT_READY;
}

}  // namespace keldra::platform::win32

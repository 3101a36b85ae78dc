#include "platform/win32/win32_language.h"

#include <utility>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_text_file.h"

namespace keldra::platform::win32 {
namespace {

std::wstring FullPath(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return {};
    }
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        return {};
    }
    full.resize(length);
    return full;
}

std::wstring CurrentFolder() {
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) {
        return {};
    }
    std::wstring folder(needed, L'\0');
    const DWORD length = GetCurrentDirectoryW(needed, folder.data());
    if (length == 0 || length >= needed) {
        return {};
    }
    folder.resize(length);
    return folder;
}

}  // namespace

Win32Language::Win32Language(std::vector<std::string> folders) : folders_(std::move(folders)) {}

std::vector<std::wstring> Win32Language::Folders() const {
    if (folders_) {
        std::vector<std::wstring> wide;
        for (const auto& folder : *folders_) {
            wide.push_back(Wide(folder));
        }
        return wide;
    }
    return {CurrentFolder(), ProgramFolderPath()};
}

bool Win32Language::Load() {
    // A library that fails to load (a missing dependency, a damaged file) must not stop
    // the program with a system error box.
    DWORD oldMode = 0;
    const BOOL modeSet =
        SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    for (const std::wstring& folder : Folders()) {
        if (folder.empty()) {
            continue;
        }
        std::wstring path = folder;
        if (path.back() != L'\\' && path.back() != L'/') {
            path += L'\\';
        }
        // The altered search path finds the library's own dependencies beside it; it
        // wants an absolute path.
        path = FullPath(path + kLibraryName);
        if (path.empty() || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            continue;
        }
        UniqueHModule library(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
        if (!library) {
            continue;
        }
        const FARPROC address = GetProcAddress(library.get(), "GetValueForID");
        if (address == nullptr) {
            continue;
        }
        // Through void(*)(): the one function pointer type any other converts to without
        // a warning about incompatible types.
        getValueForId_ =
            reinterpret_cast<GetValueForIdFunction>(reinterpret_cast<void (*)()>(address));
        library_ = std::move(library);
        break;
    }
    if (modeSet) {
        SetThreadErrorMode(oldMode, nullptr);
    }
    return getValueForId_ != nullptr;
}

bool Win32Language::GetValueForID(std::string_view id, Buffer& buffer) {
    if (getValueForId_ == nullptr && !Load()) {
        return false;
    }
    const std::string terminated(id);  // ASCII identifiers, passed byte for byte
    getValueForId_(terminated.c_str(), buffer.data(), 0);
    return true;
}

std::u16string Win32Language::AnsiToUtf16(std::string_view ansi) const {
    // The library's texts are in the system's ANSI code page, as the program's text files.
    return Win32AnsiCodePage().ToUtf16(ansi);
}

}  // namespace keldra::platform::win32

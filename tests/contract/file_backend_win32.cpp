// The sandbox prefix's own drives, reached through the Win32 adapters.
#include <windows.h>

#include <string>
#include <vector>

#include "contract/file_backend.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file_system.h"

namespace keldra::testing {
namespace {

using platform::win32::Narrow;
using platform::win32::UniqueFileHandle;
using platform::win32::UniqueFindHandle;
using platform::win32::Wide;

bool RemoveTreeW(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return DeleteFileW(path.c_str()) != FALSE;
    }
    // A junction or link is removed itself; what it leads to is not ours.
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        WIN32_FIND_DATAW data;
        UniqueFindHandle find(FindFirstFileW((path + L"\\*").c_str(), &data));
        if (find) {
            std::vector<std::wstring> names;
            do {
                const std::wstring name = data.cFileName;
                if (name != L"." && name != L"..") {
                    names.push_back(name);
                }
            } while (FindNextFileW(find.get(), &data));
            find.reset();
            for (const auto& name : names) {
                RemoveTreeW(path + L"\\" + name);
            }
        }
    }
    return RemoveDirectoryW(path.c_str()) != FALSE;
}

class Win32Backend final : public FileBackend {
  public:
    platform::FileSystemPort& FileSystem() override { return fs_; }

    bool MakeFolder(std::string_view path) override {
        const std::wstring wide = Wide(path);
        // Every missing folder on the way, from the top.
        for (std::size_t at = wide.find(L'\\', 3); at != std::wstring::npos;
             at = wide.find(L'\\', at + 1)) {
            CreateDirectoryW(wide.substr(0, at).c_str(), nullptr);
        }
        return CreateDirectoryW(wide.c_str(), nullptr) != FALSE ||
               GetLastError() == ERROR_ALREADY_EXISTS;
    }

    bool MakeFile(std::string_view path, std::string_view contents) override {
        const UniqueFileHandle file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return false;
        }
        DWORD written = 0;
        const bool ok = WriteFile(file.get(), contents.data(), static_cast<DWORD>(contents.size()),
                                  &written, nullptr) != FALSE &&
                        written == contents.size();
        return ok;
    }

    bool RemoveTree(std::string_view path) override { return RemoveTreeW(Wide(path)); }

    std::string SetCurrentFolder(std::string_view path) override {
        wchar_t previous[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, previous);
        SetCurrentDirectoryW(Wide(path).c_str());
        return Narrow(previous);
    }

    bool OnWine() const override {
        const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }

  private:
    platform::win32::Win32FileSystem fs_;
};

}  // namespace

std::unique_ptr<FileBackend> MakeWin32FileBackend() {
    return std::make_unique<Win32Backend>();
}

}  // namespace keldra::testing

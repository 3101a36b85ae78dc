// The sandbox prefix's own drives, reached through the Win32 adapters.
#include <windows.h>

#include <winioctl.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "contract/file_backend.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_system_info.h"
#include "platform/win32/win32_volumes.h"

namespace keldra::testing {
namespace {

using platform::win32::Narrow;
using platform::win32::UniqueFileHandle;
using platform::win32::UniqueFindHandle;
using platform::win32::Wide;

// A wide path with the long-path prefix where it needs one, as the adapter gives it.
std::wstring Long(const std::wstring& path) {
    return platform::win32::PlatformPath(Narrow(path));
}

bool RemoveTreeW(const std::wstring& plain) {
    const std::wstring path = Long(plain);
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
                RemoveTreeW(plain + L"\\" + name);
            }
        }
    }
    return RemoveDirectoryW(path.c_str()) != FALSE;
}

// Makes the empty folder `link` a junction to `target` (a mount-point reparse point).
bool SetJunction(const std::wstring& link, const std::wstring& target) {
    const UniqueFileHandle folder(
        CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!folder) {
        return false;
    }
    // REPARSE_DATA_BUFFER's mount-point form: tag, data length, reserved, then the
    // offsets and lengths of the substitute name ("\??\" and the target) and the print
    // name, both NUL-terminated in the path buffer.
    const std::wstring substitute = L"\\??\\" + target;
    const auto bytes = [](const std::wstring& text) {
        return static_cast<WORD>(text.size() * sizeof(wchar_t));
    };
    const std::size_t pathBytes = bytes(substitute) + bytes(target) + 2 * sizeof(wchar_t);
    std::vector<BYTE> buffer(8 + 8 + pathBytes, 0);
    const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    const WORD dataLength = static_cast<WORD>(buffer.size() - 8);
    const WORD fields[4] = {0, bytes(substitute), static_cast<WORD>(bytes(substitute) + 2),
                            bytes(target)};
    std::memcpy(buffer.data(), &tag, sizeof tag);
    std::memcpy(buffer.data() + 4, &dataLength, sizeof dataLength);
    std::memcpy(buffer.data() + 8, fields, sizeof fields);
    std::memcpy(buffer.data() + 16, substitute.c_str(), bytes(substitute));
    std::memcpy(buffer.data() + 16 + fields[2], target.c_str(), bytes(target));
    DWORD returned = 0;
    return DeviceIoControl(folder.get(), FSCTL_SET_REPARSE_POINT, buffer.data(),
                           static_cast<DWORD>(buffer.size()), nullptr, 0, &returned,
                           nullptr) != FALSE;
}

class Win32Backend final : public FileBackend {
  public:
    platform::FileSystemPort& FileSystem() override { return fs_; }
    platform::VolumePort& Volumes() override { return volumes_; }
    platform::FilePort& Files() override { return files_; }
    platform::SystemInfoPort& SystemInfo() override { return info_; }

    bool MakeFolder(std::string_view path) override {
        const std::wstring wide = Wide(path);
        // Every missing folder on the way, from the top.
        for (std::size_t at = wide.find(L'\\', 3); at != std::wstring::npos;
             at = wide.find(L'\\', at + 1)) {
            CreateDirectoryW(Long(wide.substr(0, at)).c_str(), nullptr);
        }
        return CreateDirectoryW(Long(wide).c_str(), nullptr) != FALSE ||
               GetLastError() == ERROR_ALREADY_EXISTS;
    }

    bool MakeFile(std::string_view path, std::string_view contents) override {
        const std::size_t separator = path.rfind('\\');
        if (separator != std::string_view::npos && separator > 2 &&
            !MakeFolder(path.substr(0, separator))) {
            return false;
        }
        const UniqueFileHandle file(CreateFileW(Long(Wide(path)).c_str(), GENERIC_WRITE, 0, nullptr,
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

    bool MakeFileOfSize(std::string_view path, std::uint64_t sizeBytes) override {
        const UniqueFileHandle file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(sizeBytes);
        return file && SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) &&
               SetEndOfFile(file.get());
    }

    std::optional<std::string> ReadFile(std::string_view path) override {
        const UniqueFileHandle file(CreateFileW(Long(Wide(path)).c_str(), GENERIC_READ,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
        if (!file) {
            return std::nullopt;
        }
        std::string contents;
        char chunk[4096];
        DWORD read = 0;
        while (::ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0) {
            contents.append(chunk, read);
        }
        return contents;
    }

    bool Lock(std::string_view path) override {
        UniqueFileHandle file(
            CreateFileW(Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file) {
            return false;
        }
        locks_.emplace(std::string(path), std::move(file));
        return true;
    }

    bool Unlock(std::string_view path) override {
        const auto it = locks_.find(std::string(path));
        if (it == locks_.end()) {
            return false;
        }
        locks_.erase(it);
        return true;
    }

    bool MakeHardLink(std::string_view newPath, std::string_view existingPath) override {
        return CreateHardLinkW(Wide(newPath).c_str(), Wide(existingPath).c_str(), nullptr) != FALSE;
    }

    bool MakeJunction(std::string_view link, std::string_view target) override {
        const std::wstring wideLink = Wide(link);
        if (!CreateDirectoryW(wideLink.c_str(), nullptr)) {
            return false;
        }
        if (SetJunction(wideLink, Wide(target))) {
            return true;
        }
        RemoveDirectoryW(wideLink.c_str());
        return false;
    }

    bool MakeFileLink(std::string_view, std::string_view) override {
        return false;  // Wine cannot make one; Windows would need a privilege
    }

    bool RemoveTree(std::string_view path) override {
        locks_.clear();
        return RemoveTreeW(Wide(path));
    }

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

    bool WritesIgnoreReadOnly() const override {
        // Wine's user name is the Unix account's.
        wchar_t name[64] = {};
        DWORD size = 64;
        return OnWine() && GetUserNameW(name, &size) && std::wstring(name) == L"root";
    }

  private:
    platform::win32::Win32FileSystem fs_;
    platform::win32::Win32Volumes volumes_;
    platform::win32::Win32Files files_;
    platform::win32::Win32SystemInfo info_;
    std::multimap<std::string, UniqueFileHandle> locks_;
};

}  // namespace

std::unique_ptr<FileBackend> MakeWin32FileBackend() {
    return std::make_unique<Win32Backend>();
}

}  // namespace keldra::testing

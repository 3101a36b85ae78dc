// The file system of the sandbox prefix, reached through the Win32 adapter. Each test works
// in a folder of its own under the prefix's temporary folder.
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "contract/text_file_backend.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_text_file.h"

namespace keldra::testing {
namespace {

using platform::win32::Narrow;
using platform::win32::UniqueFindHandle;
using platform::win32::UniqueKernelHandle;
using platform::win32::Wide;

// Removes what `folder` holds, the search closed before the folder itself goes.
void RemoveContents(const std::wstring& folder);

void RemoveTree(const std::wstring& folder) {
    RemoveContents(folder);
    RemoveDirectoryW(folder.c_str());
}

void RemoveContents(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    const UniqueFindHandle search(FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (!search) {
        return;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        const std::wstring path = folder + L"\\" + name;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            RemoveTree(path);
        } else {
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        }
    } while (FindNextFileW(search.get(), &found));
}

class Win32Backend final : public TextFileBackend {
  public:
    platform::TextFilePort& Port() override { return files_; }

    std::string NewFolder() override {
        static std::atomic<unsigned> counter{0};
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        const std::wstring folder = std::wstring(temp) + L"keldra-text-" +
                                    std::to_wstring(GetCurrentProcessId()) + L"-" +
                                    std::to_wstring(counter++);
        RemoveTree(folder);
        CreateDirectoryW(folder.c_str(), nullptr);
        return Narrow(folder);
    }
    void RemoveFolder(std::string_view path) override { RemoveTree(Wide(path)); }

    void PutFile(std::string_view path, std::string_view bytes) override {
        HANDLE raw = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (raw == INVALID_HANDLE_VALUE) {
            return;
        }
        const UniqueKernelHandle file(raw);
        DWORD written = 0;
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }

    std::optional<std::string> FileBytes(std::string_view path) override {
        HANDLE raw = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (raw == INVALID_HANDLE_VALUE) {
            return std::nullopt;
        }
        const UniqueKernelHandle file(raw);
        std::string bytes;
        char chunk[4096];
        DWORD read = 0;
        while (ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0) {
            bytes.append(chunk, read);
        }
        return bytes;
    }

    bool FolderExists(std::string_view path) override {
        const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }

    std::vector<std::string> List(std::string_view folder) override {
        std::vector<std::string> names;
        WIN32_FIND_DATAW found;
        const UniqueFindHandle search(FindFirstFileW((Wide(folder) + L"\\*").c_str(), &found));
        if (!search) {
            return names;
        }
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") {
                names.push_back(Narrow(name));
            }
        } while (FindNextFileW(search.get(), &found));
        return names;
    }

  private:
    platform::win32::Win32TextFiles files_;
};

}  // namespace

std::unique_ptr<TextFileBackend> MakeWin32TextFileBackend() {
    return std::make_unique<Win32Backend>();
}

}  // namespace keldra::testing

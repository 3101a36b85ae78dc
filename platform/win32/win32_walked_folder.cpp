#include "platform/win32/win32_walked_folder.h"

#include <windows.h>

#include <winternl.h>

#include "platform/win32/handles.h"
#include "platform/win32/quiet_errors.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_nt_files.h"

namespace keldra::platform::win32 {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Room for a folder's entries per request, as FindFirstFileEx's large fetch asks.
constexpr std::size_t kListingBufferBytes = 64 * 1024;
constexpr ACCESS_MASK kListAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;

bool IsDots(std::wstring_view name) {
    return name == L"." || name == L"..";
}

FolderEntry Entry(const FILE_ID_BOTH_DIR_INFO& data) {
    FolderEntry entry;
    entry.name = Narrow(std::wstring_view(data.FileName, data.FileNameLength / sizeof(wchar_t)));
    entry.attributes = data.FileAttributes;
    entry.sizeBytes = (data.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                          ? 0
                          : static_cast<std::uint64_t>(data.EndOfFile.QuadPart);
    entry.reparsePoint = (data.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    entry.fileId = static_cast<std::uint64_t>(data.FileId.QuadPart);
    entry.lastWriteTime = static_cast<std::uint64_t>(data.LastWriteTime.QuadPart);
    entry.changeTime = static_cast<std::uint64_t>(data.ChangeTime.QuadPart);
    return entry;
}

// Every entry of the open folder, "." and ".." left out.
FileStatus ListThrough(HANDLE folder, ListingBuffer& buffer, std::vector<FolderEntry>& entries) {
    entries.clear();
    if (buffer.size() < kListingBufferBytes) {
        buffer.resize(kListingBufferBytes);
    }
    FILE_INFO_BY_HANDLE_CLASS request = FileIdBothDirectoryRestartInfo;
    for (;;) {
        if (!GetFileInformationByHandleEx(folder, request, buffer.data(),
                                          static_cast<DWORD>(buffer.size()))) {
            const DWORD error = GetLastError();
            // An empty drive root has no "." and "..": nothing matched at all.
            return error == ERROR_NO_MORE_FILES || error == ERROR_FILE_NOT_FOUND
                       ? file_status::kSuccess
                       : error;
        }
        request = FileIdBothDirectoryInfo;
        std::size_t offset = 0;
        for (;;) {
            const auto* data =
                reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer.data() + offset);
            if (!IsDots(
                    std::wstring_view(data->FileName, data->FileNameLength / sizeof(wchar_t)))) {
                entries.push_back(Entry(*data));
            }
            if (data->NextEntryOffset == 0) {
                break;
            }
            offset += data->NextEntryOffset;
        }
    }
}

// Whether the open object resolves to `path` (wide, without a final separator).
FileStatus ResolvesTo(HANDLE handle, const std::wstring& path, bool& same) {
    std::wstring finalPath;
    if (const FileStatus status = FinalPath(handle, finalPath); status != file_status::kSuccess) {
        return status;
    }
    same = Folded(WithoutTrailingSeparators(std::move(finalPath))) == Folded(path);
    return file_status::kSuccess;
}

// A folder no reparse point, reached through none: its own handle says the first; the
// second the number its parent's listing gave (where the handle would show every link on
// the way) or where it resolves.
FileStatus JudgeFolder(HANDLE handle, const std::wstring& path, std::uint64_t listedId) {
    std::uint32_t attributes = 0;
    if (const FileStatus status = HandleAttributes(handle, attributes);
        status != file_status::kSuccess) {
        return status;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return ERROR_INVALID_NAME;  // what a search of a file as a folder answers
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return file_status::kStoppedOnLink;
    }
    // Windows opened the entry itself, relative to its checked parent: no reparse bit
    // means a plain folder inside it. Wine follows a Unix link even when asked not to and
    // shows no reparse bit on the handle: there only the resolved path tells.
    if (listedId != 0 && !RunningOnWine()) {
        std::uint64_t fileId = 0;
        if (HandleFileId(handle, fileId) == file_status::kSuccess && fileId == listedId) {
            return file_status::kSuccess;
        }
    }
    bool same = false;
    if (const FileStatus status = ResolvesTo(handle, path, same); status != file_status::kSuccess) {
        return status;
    }
    return same ? file_status::kSuccess : file_status::kStoppedOnLink;
}

class Win32WalkedFolder final : public WalkedFolder {
  public:
    Win32WalkedFolder(UniqueFileHandle handle, std::wstring path, ListingBuffer& buffer)
        : handle_(std::move(handle)), path_(std::move(path)), buffer_(buffer) {}

    FileStatus List(std::vector<FolderEntry>& entries) override {
        const QuietErrors quiet;
        return ListThrough(handle_.get(), buffer_, entries);
    }

    FileStatus OpenSubfolder(std::string_view name, std::uint64_t listedId,
                             std::unique_ptr<WalkedFolder>& subfolder) override {
        const QuietErrors quiet;
        const std::wstring wideName = Wide(name);
        std::wstring path = Joined(wideName);
        UniqueFileHandle handle;
        if (const FileStatus status = Open(wideName, path, kListAccess, true, handle);
            status != file_status::kSuccess) {
            return status == ERROR_DIRECTORY ? ERROR_INVALID_NAME : status;
        }
        if (const FileStatus status = JudgeFolder(handle.get(), path, listedId);
            status != file_status::kSuccess) {
            return status;
        }
        subfolder =
            std::make_unique<Win32WalkedFolder>(std::move(handle), std::move(path), buffer_);
        return file_status::kSuccess;
    }

    FileStatus ResolvesInPlace(std::string_view name, bool& inPlace) override {
        const QuietErrors quiet;
        const std::wstring wideName = Wide(name);
        const std::wstring path = Joined(wideName);
        UniqueFileHandle handle;
        if (const FileStatus status = Open(wideName, path, FILE_READ_ATTRIBUTES, false, handle);
            status != file_status::kSuccess) {
            return status;
        }
        return ResolvesTo(handle.get(), path, inPlace);
    }

  private:
    std::wstring Joined(const std::wstring& name) const {
        return path_.size() > 3 ? path_ + L"\\" + name : path_ + name;
    }

    // The entry `name`, not following a link at its end. Windows opens it relative to
    // this folder's handle: the very entry of the checked folder, whatever names above it
    // lead to by now. Wine opens it by its present full path, as before: it follows a link
    // at the end either way, so only the resolved path tells, and its ntdll resolves a
    // relative name more slowly (it changes into the folder under a process-wide lock).
    FileStatus Open(const std::wstring& name, const std::wstring& path, ACCESS_MASK access,
                    bool folder, UniqueFileHandle& handle) const {
        if (name.empty() || name == L"." || name == L".." ||
            name.find_first_of(L"\\/") != std::wstring::npos) {
            return ERROR_INVALID_NAME;  // one name of this folder, nothing else
        }
        if (!RunningOnWine()) {
            return OpenRelative(handle_.get(), name, access,
                                FILE_OPEN_REPARSE_POINT | (folder ? FILE_DIRECTORY_FILE : 0),
                                handle);
        }
        // The long-path prefix where the adapter's paths get it (see PlatformPath).
        const std::wstring platformPath = path.size() >= MAX_PATH - 12 ? L"\\\\?\\" + path : path;
        handle = UniqueFileHandle(CreateFileW(
            platformPath.c_str(), access | SYNCHRONIZE, kShareAll, nullptr, OPEN_EXISTING,
            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        return handle ? file_status::kSuccess : GetLastError();
    }

    UniqueFileHandle handle_;
    std::wstring path_;  // as walked, without a final separator but at a root
    ListingBuffer& buffer_;
};

// The folder's own handle; with `noFollow` the folder must be no reparse point and
// resolve to the path given.
FileStatus OpenFolder(std::string_view folder, bool noFollow, UniqueFileHandle& handle) {
    if (folder.empty()) {
        return ERROR_PATH_NOT_FOUND;  // as every other query of the empty text answers
    }
    handle = UniqueFileHandle(CreateFileW(
        PlatformPath(folder).c_str(), kListAccess | SYNCHRONIZE, kShareAll, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | (noFollow ? FILE_FLAG_OPEN_REPARSE_POINT : 0), nullptr));
    if (!handle) {
        const DWORD error = GetLastError();
        // A missing last name is a missing path to a search of the folder's entries.
        return error == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : error;
    }
    if (!noFollow) {
        std::uint32_t attributes = 0;
        if (const FileStatus status = HandleAttributes(handle.get(), attributes);
            status != file_status::kSuccess) {
            return status;
        }
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? file_status::kSuccess
                                                            : ERROR_INVALID_NAME;
    }
    // A start folder is always judged by where it resolves.
    return JudgeFolder(handle.get(), WithoutTrailingSeparators(Wide(folder)), 0);
}

}  // namespace

FileStatus ListByPath(std::string_view folder, bool noFollow, ListingBuffer& buffer,
                      std::vector<FolderEntry>& entries) {
    entries.clear();
    const QuietErrors quiet;
    UniqueFileHandle handle;
    if (const FileStatus status = OpenFolder(folder, noFollow, handle);
        status != file_status::kSuccess) {
        return status;
    }
    return ListThrough(handle.get(), buffer, entries);
}

FileStatus OpenWalkedStart(std::string_view folder, ListingBuffer& buffer,
                           std::unique_ptr<WalkedFolder>& opened) {
    const QuietErrors quiet;
    UniqueFileHandle handle;
    if (const FileStatus status = OpenFolder(folder, true, handle);
        status != file_status::kSuccess) {
        return status;
    }
    opened = std::make_unique<Win32WalkedFolder>(std::move(handle),
                                                 WithoutTrailingSeparators(Wide(folder)), buffer);
    return file_status::kSuccess;
}

}  // namespace keldra::platform::win32

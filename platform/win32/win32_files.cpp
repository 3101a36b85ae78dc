#include "platform/win32/win32_files.h"

#include <windows.h>

#include "platform/win32/handles.h"
#include "platform/win32/quiet_errors.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_nt_files.h"
#include "platform/win32/win32_walked_folder.h"

namespace keldra::platform::win32 {
namespace {

// What every open of an existing file or folder here shares: everything, so that another
// program's handle never stands in the way of a look.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

FileStatus Succeeded(BOOL ok) {
    return ok ? file_status::kSuccess : GetLastError();
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// What removal and the start folders are judged by, from the handle alone: one query of
// ntdll for each fact (GetFileInformationByHandle would ask for the volume too, each
// time).
FileStatus HandleFacts(HANDLE handle, OpenedFacts& facts) {
    std::uint32_t attributes = 0;
    std::uint32_t links = 0;
    std::uint64_t fileId = 0;
    std::uint64_t lastWriteTime = 0;
    std::uint64_t changeTime = 0;
    std::wstring finalPath;
    std::uint32_t serial = 0;
    for (const FileStatus status :
         {HandleAttributes(handle, attributes), HandleLinks(handle, links),
          HandleFileId(handle, fileId), HandleTimes(handle, lastWriteTime, changeTime),
          FinalPath(handle, finalPath)}) {
        if (status != file_status::kSuccess) {
            return status;
        }
    }
    if (const FileStatus status = HandleVolumeSerial(handle, finalPath, serial);
        status != file_status::kSuccess) {
        return status;
    }
    facts.attributes = attributes;
    facts.links = links;
    facts.identity = {serial, fileId, lastWriteTime, changeTime};
    facts.finalPath = Narrow(finalPath);
    return file_status::kSuccess;
}

// A file opened for removal: every step through its handle.
class Win32OpenedFile final : public OpenedFile {
  public:
    explicit Win32OpenedFile(UniqueFileHandle handle) : handle_(std::move(handle)) {}

    FileStatus Truncate() override {
        const QuietErrors quiet;
        FILE_END_OF_FILE_INFO end{};
        if (!SetFileInformationByHandle(handle_.get(), FileEndOfFileInfo, &end, sizeof end)) {
            return GetLastError();
        }
        FlushFileBuffers(handle_.get());
        return file_status::kSuccess;
    }

    FileStatus Size(std::uint64_t& bytes) override {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(handle_.get(), &size)) {
            return GetLastError();
        }
        bytes = static_cast<std::uint64_t>(size.QuadPart);
        return file_status::kSuccess;
    }

    FileStatus MoveTo(std::string_view path) override {
        const QuietErrors quiet;
        // The native form of a full path: both Windows and Wine take it as it is, and it
        // has no length limit.
        const std::wstring target = L"\\??\\" + Wide(path);
        std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) +
                                          target.size() * sizeof(wchar_t));
        auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        rename->ReplaceIfExists = FALSE;
        rename->RootDirectory = nullptr;
        rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
        std::copy(target.begin(), target.end(), rename->FileName);
        return Succeeded(SetFileInformationByHandle(handle_.get(), FileRenameInfo, rename,
                                                    static_cast<DWORD>(buffer.size())));
    }

    FileStatus Delete() override {
        const QuietErrors quiet;
        FILE_DISPOSITION_INFO disposition{TRUE};
        return Succeeded(SetFileInformationByHandle(handle_.get(), FileDispositionInfo,
                                                    &disposition, sizeof disposition));
    }

  private:
    UniqueFileHandle handle_;
};

}  // namespace

std::wstring PlatformPath(std::string_view utf8) {
    std::wstring path = Wide(utf8);
    if (path.size() >= MAX_PATH - 12 && path.size() >= 3 && IsDriveLetter(path[0]) &&
        path[1] == L':' && path[2] == L'\\') {
        // MAX_PATH less room for an 8.3 name: CreateDirectory's own limit.
        path.insert(0, L"\\\\?\\");
    }
    return path;
}

Win32Files::Win32Files() : onWine_(RunningOnWine()) {}

FileStatus Win32Files::ListFolder(std::string_view folder, std::vector<FolderEntry>& entries) {
    return ListByPath(folder, false, listingBuffer_, entries);
}

FileStatus Win32Files::ListFolderNoFollow(std::string_view folder,
                                          std::vector<FolderEntry>& entries) {
    return ListByPath(folder, true, listingBuffer_, entries);
}

FileStatus Win32Files::GetAttributes(std::string_view path, std::uint32_t& attributes) {
    const QuietErrors quiet;
    const DWORD found = GetFileAttributesW(PlatformPath(path).c_str());
    if (found == INVALID_FILE_ATTRIBUTES) {
        return GetLastError();
    }
    attributes = found;
    return file_status::kSuccess;
}

FileStatus Win32Files::SetAttributes(std::string_view path, std::uint32_t attributes) {
    const QuietErrors quiet;
    return Succeeded(SetFileAttributesW(PlatformPath(path).c_str(), attributes));
}

FileStatus Win32Files::TruncateFile(std::string_view path) {
    const QuietErrors quiet;
    const UniqueFileHandle file(
        CreateFileW(PlatformPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                    TRUNCATE_EXISTING, FILE_FLAG_WRITE_THROUGH | FILE_FLAG_NO_BUFFERING, nullptr));
    if (!file) {
        return GetLastError();
    }
    // The open has emptied the file; the caller reads the size to see that it stuck.
    FlushFileBuffers(file.get());
    return file_status::kSuccess;
}

FileStatus Win32Files::FileSize(std::string_view path, std::uint64_t& bytes) {
    const QuietErrors quiet;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(PlatformPath(path).c_str(), GetFileExInfoStandard, &data)) {
        return GetLastError();
    }
    bytes = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    return file_status::kSuccess;
}

FileStatus Win32Files::HardLinkCount(std::string_view path, std::uint32_t& links) {
    const QuietErrors quiet;
    // Attribute access only, sharing everything: another program's open handle does not
    // stand in the way. Backup semantics let folders be opened too.
    const UniqueFileHandle file(CreateFileW(PlatformPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                            kShareAll, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) {
        return GetLastError();
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.get(), &info)) {
        return GetLastError();
    }
    links = info.nNumberOfLinks;
    return file_status::kSuccess;
}

FileStatus Win32Files::RenameFile(std::string_view from, std::string_view to) {
    const QuietErrors quiet;
    return Succeeded(MoveFileW(PlatformPath(from).c_str(), PlatformPath(to).c_str()));
}

FileStatus Win32Files::RemoveFile(std::string_view path) {
    const QuietErrors quiet;
    return Succeeded(DeleteFileW(PlatformPath(path).c_str()));
}

namespace {

// A file or folder opened to read what it is, not what a link at its end leads to.
UniqueFileHandle OpenToLookAt(std::string_view path) {
    return UniqueFileHandle(CreateFileW(
        PlatformPath(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

}  // namespace

FileStatus Win32Files::Inspect(std::string_view path, OpenedFacts& facts) {
    if (path.empty()) {
        return ERROR_PATH_NOT_FOUND;
    }
    const QuietErrors quiet;
    const UniqueFileHandle handle = OpenToLookAt(path);
    if (!handle) {
        return GetLastError();
    }
    return HandleFacts(handle.get(), facts);
}

FileStatus Win32Files::ResolvedPath(std::string_view path, std::string& finalPath) {
    if (path.empty()) {
        return ERROR_PATH_NOT_FOUND;
    }
    const QuietErrors quiet;
    const UniqueFileHandle handle = OpenToLookAt(path);
    if (!handle) {
        return GetLastError();
    }
    std::wstring resolved;
    if (const FileStatus status = FinalPath(handle.get(), resolved);
        status != file_status::kSuccess) {
        return status;
    }
    finalPath = Narrow(resolved);
    return file_status::kSuccess;
}

FileStatus Win32Files::OpenWalkedFolder(std::string_view folder,
                                        std::unique_ptr<WalkedFolder>& opened) {
    return OpenWalkedStart(folder, listingBuffer_, opened);
}

FileStatus Win32Files::OpenForRemoval(std::string_view path, OpenedFacts& facts,
                                      std::unique_ptr<OpenedFile>& file) {
    if (path.empty()) {
        return ERROR_PATH_NOT_FOUND;
    }
    const QuietErrors quiet;
    // Not truncating on open: nothing may change before the checks have passed.
    UniqueFileHandle handle(CreateFileW(
        PlatformPath(path).c_str(), GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_WRITE,
        nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!handle) {
        return GetLastError();
    }
    if (const FileStatus status = HandleFacts(handle.get(), facts);
        status != file_status::kSuccess) {
        return status;
    }
    file = std::make_unique<Win32OpenedFile>(std::move(handle));
    return file_status::kSuccess;
}

}  // namespace keldra::platform::win32

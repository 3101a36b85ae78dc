#include "platform/win32/win32_files.h"

#include <windows.h>

#include "platform/win32/handles.h"
#include "platform/win32/quiet_errors.h"
#include "platform/win32/wide_text.h"

namespace keldra::platform::win32 {
namespace {

// What every open of an existing file or folder here shares: everything, so that another
// program's handle never stands in the way of a look.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Room for a folder's entries per request, as FindFirstFileEx's large fetch asks.
constexpr DWORD kListingBufferBytes = 64 * 1024;

FileStatus Succeeded(BOOL ok) {
    return ok ? file_status::kSuccess : GetLastError();
}

bool IsDots(std::wstring_view name) {
    return name == L"." || name == L"..";
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// Upper case as the file system compares names.
std::wstring Folded(std::wstring text) {
    if (!text.empty()) {
        CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    }
    return text;
}

std::wstring WithoutTrailingSeparators(std::wstring path) {
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) {
        path.pop_back();
    }
    return path;
}

// The object name of a handle where GetFinalPathNameByHandle gives up: Wine's answers
// only up to MAX_PATH characters, but its object names are the resolved native paths
// ("\??\D:\..."), which this turns into "\\?\D:\...".
FileStatus LongFinalPath(HANDLE handle, std::wstring& path) {
    struct Name {
        USHORT length;
        USHORT maximumLength;
        PWSTR buffer;
    };
    using QueryObject = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto query = ntdll != nullptr ? reinterpret_cast<QueryObject>(reinterpret_cast<void*>(
                                              GetProcAddress(ntdll, "NtQueryObject")))
                                        : nullptr;
    if (query == nullptr) {
        return ERROR_MORE_DATA;
    }
    std::vector<unsigned char> buffer(64 * 1024);
    constexpr int kObjectNameInformation = 1;
    ULONG written = 0;
    if (query(handle, kObjectNameInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
              &written) < 0) {
        return ERROR_MORE_DATA;
    }
    const auto* name = reinterpret_cast<const Name*>(buffer.data());
    const std::wstring_view text(name->buffer, name->length / sizeof(wchar_t));
    if (text.size() < 7 || text.substr(0, 4) != L"\\??\\" || !IsDriveLetter(text[4]) ||
        text[5] != L':') {
        return ERROR_MORE_DATA;
    }
    path = L"\\\\?\\";
    path += text.substr(4);
    return file_status::kSuccess;
}

// Wine's ntdll exports its version; Windows' does not.
bool RunningOnWine() {
    static const bool onWine = [] {
        const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return onWine;
}

// The DOS path a handle resolves to; "\\?\X:\..." loses its prefix, anything else (a
// network or Unix path) stays as the platform gives it and matches no listed path.
FileStatus FinalPath(HANDLE handle, std::wstring& path) {
    std::wstring buffer(MAX_PATH, L'\0');
    // Under Wine the object name is the same answer for a fraction of the cost (the
    // final-path call also asks the mount manager, a round trip to another process).
    if (RunningOnWine() && LongFinalPath(handle, buffer) == file_status::kSuccess) {
        buffer.erase(0, 4);
        path = std::move(buffer);
        return file_status::kSuccess;
    }
    for (;;) {
        const DWORD length =
            GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            const DWORD error = GetLastError();
            if (error != ERROR_MORE_DATA ||
                LongFinalPath(handle, buffer) != file_status::kSuccess) {
                return error;
            }
            break;
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        buffer.assign(length + 1, L'\0');
    }
    if (buffer.size() >= 6 && buffer.compare(0, 4, L"\\\\?\\") == 0 && IsDriveLetter(buffer[4]) &&
        buffer[5] == L':') {
        buffer.erase(0, 4);
    }
    path = std::move(buffer);
    return file_status::kSuccess;
}

FileStatus HandleFacts(HANDLE handle, OpenedFacts& facts) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag)) {
        return GetLastError();
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info)) {
        return GetLastError();
    }
    std::wstring finalPath;
    if (const FileStatus status = FinalPath(handle, finalPath); status != file_status::kSuccess) {
        return status;
    }
    facts.attributes = tag.FileAttributes;
    if (tag.ReparseTag != 0) {
        facts.attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    }
    facts.links = info.nNumberOfLinks;
    facts.identity.volumeSerial = info.dwVolumeSerialNumber;
    facts.identity.fileId = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    facts.finalPath = Narrow(finalPath);
    return file_status::kSuccess;
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
    return entry;
}

// One folder's entries through the folder's own handle, which also gives each entry's
// number on the volume. With `noFollow` the folder itself must be no reparse point and
// must resolve to the path given.
FileStatus List(std::string_view folder, std::vector<FolderEntry>& entries, bool noFollow) {
    entries.clear();
    if (folder.empty()) {
        return ERROR_PATH_NOT_FOUND;  // as every other query of the empty text answers
    }
    const QuietErrors quiet;
    const std::wstring path = PlatformPath(folder);
    const UniqueFileHandle handle(CreateFileW(
        path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | (noFollow ? FILE_FLAG_OPEN_REPARSE_POINT : 0),
        nullptr));
    if (!handle) {
        const DWORD error = GetLastError();
        // A missing last name is a missing path to a search of the folder's entries.
        return error == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : error;
    }
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!GetFileInformationByHandleEx(handle.get(), FileAttributeTagInfo, &tag, sizeof tag)) {
        return GetLastError();
    }
    if ((tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return ERROR_INVALID_NAME;  // what a search of a file as a folder answers
    }
    if (noFollow) {
        if ((tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || tag.ReparseTag != 0) {
            return file_status::kStoppedOnLink;
        }
        // Wine follows Unix links even when asked not to and shows no reparse bit on the
        // handle, but the path the handle resolves to tells.
        std::wstring finalPath;
        if (const FileStatus status = FinalPath(handle.get(), finalPath);
            status != file_status::kSuccess) {
            return status;
        }
        if (Folded(WithoutTrailingSeparators(finalPath)) !=
            Folded(WithoutTrailingSeparators(Wide(folder)))) {
            return file_status::kStoppedOnLink;
        }
    }
    std::vector<unsigned char> buffer(kListingBufferBytes);
    FILE_INFO_BY_HANDLE_CLASS request = FileIdBothDirectoryRestartInfo;
    for (;;) {
        if (!GetFileInformationByHandleEx(handle.get(), request, buffer.data(),
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
    return List(folder, entries, false);
}

FileStatus Win32Files::ListFolderNoFollow(std::string_view folder,
                                          std::vector<FolderEntry>& entries) {
    return List(folder, entries, true);
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

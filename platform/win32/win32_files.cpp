#include "platform/win32/win32_files.h"

#include <windows.h>

#include "platform/win32/handles.h"
#include "platform/win32/quiet_errors.h"
#include "platform/win32/wide_text.h"

namespace keldra::platform::win32 {
namespace {

FolderEntry Entry(const WIN32_FIND_DATAW& data) {
    FolderEntry entry;
    entry.name = Narrow(data.cFileName);
    entry.attributes = data.dwFileAttributes;
    entry.sizeBytes = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    entry.reparsePoint = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return entry;
}

bool IsDots(const wchar_t* name) {
    return (name[0] == L'.' && name[1] == L'\0') ||
           (name[0] == L'.' && name[1] == L'.' && name[2] == L'\0');
}

FileStatus Succeeded(BOOL ok) {
    return ok ? file_status::kSuccess : GetLastError();
}

}  // namespace

FileStatus Win32Files::ListFolder(std::string_view folder, std::vector<FolderEntry>& entries) {
    entries.clear();
    if (folder.empty()) {
        return ERROR_PATH_NOT_FOUND;  // as every other query of the empty text answers
    }
    std::wstring pattern = Wide(folder);
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') {
        pattern += L'\\';
    }
    pattern += L'*';
    const QuietErrors quiet;
    WIN32_FIND_DATAW data;
    // Basic information leaves out the 8.3 names; the large fetch reads the folder in
    // fewer, bigger requests.
    const UniqueFindHandle find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                                 FindExSearchNameMatch, nullptr,
                                                 FIND_FIRST_EX_LARGE_FETCH));
    if (!find) {
        const DWORD error = GetLastError();
        // "*" matched nothing: an empty drive root, which has no "." and "..".
        return error == ERROR_FILE_NOT_FOUND ? file_status::kSuccess : error;
    }
    do {
        if (!IsDots(data.cFileName)) {
            entries.push_back(Entry(data));
        }
    } while (FindNextFileW(find.get(), &data));
    const DWORD error = GetLastError();
    return error == ERROR_NO_MORE_FILES ? file_status::kSuccess : error;
}

FileStatus Win32Files::GetAttributes(std::string_view path, std::uint32_t& attributes) {
    const QuietErrors quiet;
    const DWORD found = GetFileAttributesW(Wide(path).c_str());
    if (found == INVALID_FILE_ATTRIBUTES) {
        return GetLastError();
    }
    attributes = found;
    return file_status::kSuccess;
}

FileStatus Win32Files::SetAttributes(std::string_view path, std::uint32_t attributes) {
    const QuietErrors quiet;
    return Succeeded(SetFileAttributesW(Wide(path).c_str(), attributes));
}

FileStatus Win32Files::TruncateFile(std::string_view path) {
    const QuietErrors quiet;
    const UniqueFileHandle file(
        CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, TRUNCATE_EXISTING,
                    FILE_FLAG_WRITE_THROUGH | FILE_FLAG_NO_BUFFERING, nullptr));
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
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) {
        return GetLastError();
    }
    bytes = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    return file_status::kSuccess;
}

FileStatus Win32Files::HardLinkCount(std::string_view path, std::uint32_t& links) {
    const QuietErrors quiet;
    // Attribute access only, sharing everything: another program's open handle does not
    // stand in the way. Backup semantics let folders be opened too.
    const UniqueFileHandle file(CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                            nullptr));
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
    return Succeeded(MoveFileW(Wide(from).c_str(), Wide(to).c_str()));
}

FileStatus Win32Files::RemoveFile(std::string_view path) {
    const QuietErrors quiet;
    return Succeeded(DeleteFileW(Wide(path).c_str()));
}

}  // namespace keldra::platform::win32

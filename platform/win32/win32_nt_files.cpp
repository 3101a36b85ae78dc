#include "platform/win32/win32_nt_files.h"

#include <winternl.h>

#include <array>
#include <atomic>
#include <vector>

namespace keldra::platform::win32 {
namespace {

constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr auto kAttributeTagInformation = static_cast<FILE_INFORMATION_CLASS>(35);
constexpr auto kInternalInformation = static_cast<FILE_INFORMATION_CLASS>(6);
constexpr auto kStandardInformation = static_cast<FILE_INFORMATION_CLASS>(5);
constexpr auto kBasicInformation = static_cast<FILE_INFORMATION_CLASS>(4);
constexpr auto kObjectNameInformation = static_cast<OBJECT_INFORMATION_CLASS>(1);
constexpr NTSTATUS kBufferOverflow = static_cast<NTSTATUS>(0x80000005L);
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);

FileStatus FromNt(NTSTATUS status) {
    return status >= 0 ? file_status::kSuccess : RtlNtStatusToDosError(status);
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

template <typename Info>
FileStatus Query(HANDLE handle, FILE_INFORMATION_CLASS kind, Info& info) {
    IO_STATUS_BLOCK io{};
    return FromNt(NtQueryInformationFile(handle, &io, &info, sizeof info, kind));
}

// The object name of a handle: Wine's is the resolved native path ("\??\D:\..."), also
// past MAX_PATH, where its GetFinalPathNameByHandle gives up; this gives "D:\...".
FileStatus ObjectDosPath(HANDLE handle, std::wstring& path) {
    alignas(OBJECT_NAME_INFORMATION) std::array<unsigned char, 2048> small{};
    std::vector<unsigned char> large;
    void* buffer = small.data();
    ULONG size = static_cast<ULONG>(small.size());
    ULONG written = 0;
    NTSTATUS status = NtQueryObject(handle, kObjectNameInformation, buffer, size, &written);
    if (status == kBufferOverflow || status == kInfoLengthMismatch) {
        large.resize(64 * 1024);
        buffer = large.data();
        size = static_cast<ULONG>(large.size());
        status = NtQueryObject(handle, kObjectNameInformation, buffer, size, &written);
    }
    if (status < 0) {
        return ERROR_MORE_DATA;
    }
    const auto* name = static_cast<const OBJECT_NAME_INFORMATION*>(buffer);
    const std::wstring_view text(name->Name.Buffer, name->Name.Length / sizeof(wchar_t));
    if (text.size() < 7 || text.substr(0, 4) != L"\\??\\" || !IsDriveLetter(text[4]) ||
        text[5] != L':') {
        return ERROR_MORE_DATA;
    }
    path.assign(text.substr(4));
    return file_status::kSuccess;
}

}  // namespace

bool RunningOnWine() {
    static const bool onWine = [] {
        const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return onWine;
}

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

FileStatus FinalPath(HANDLE handle, std::wstring& path) {
    // Under Wine the object name is the same answer for a fraction of the cost (the
    // final-path call also asks the mount manager, a round trip to another process).
    if (RunningOnWine() && ObjectDosPath(handle, path) == file_status::kSuccess) {
        return file_status::kSuccess;
    }
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            const DWORD error = GetLastError();
            return error == ERROR_MORE_DATA && ObjectDosPath(handle, path) == file_status::kSuccess
                       ? file_status::kSuccess
                       : error;
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

FileStatus OpenRelative(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG options,
                        UniqueFileHandle& opened) {
    if (name.empty() || name.size() > 32767 || name == L"." || name == L".." ||
        name.find_first_of(L"\\/") != std::wstring_view::npos) {
        return ERROR_INVALID_NAME;  // one name of the folder, nothing else
    }
    UNICODE_STRING text;
    text.Buffer = const_cast<PWSTR>(name.data());
    text.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    text.MaximumLength = text.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE handle = nullptr;
    const NTSTATUS status =
        NtOpenFile(&handle, access | SYNCHRONIZE, &attributes, &io, kShareAll,
                   options | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT);
    if (status < 0) {
        return FromNt(status);
    }
    opened = UniqueFileHandle(handle);
    return file_status::kSuccess;
}

FileStatus HandleAttributes(HANDLE handle, std::uint32_t& attributes) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (const FileStatus status = Query(handle, kAttributeTagInformation, tag);
        status != file_status::kSuccess) {
        return status;
    }
    attributes = tag.FileAttributes;
    if (tag.ReparseTag != 0) {
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    }
    return file_status::kSuccess;
}

FileStatus HandleFileId(HANDLE handle, std::uint64_t& fileId) {
    LARGE_INTEGER id{};
    if (const FileStatus status = Query(handle, kInternalInformation, id);
        status != file_status::kSuccess) {
        return status;
    }
    fileId = static_cast<std::uint64_t>(id.QuadPart);
    return file_status::kSuccess;
}

FileStatus HandleTimes(HANDLE handle, std::uint64_t& lastWriteTime, std::uint64_t& changeTime) {
    FILE_BASIC_INFO info{};
    if (const FileStatus status = Query(handle, kBasicInformation, info);
        status != file_status::kSuccess) {
        return status;
    }
    lastWriteTime = static_cast<std::uint64_t>(info.LastWriteTime.QuadPart);
    changeTime = static_cast<std::uint64_t>(info.ChangeTime.QuadPart);
    return file_status::kSuccess;
}

FileStatus HandleLinks(HANDLE handle, std::uint32_t& links) {
    FILE_STANDARD_INFO info{};
    if (const FileStatus status = Query(handle, kStandardInformation, info);
        status != file_status::kSuccess) {
        return status;
    }
    links = info.NumberOfLinks;
    return file_status::kSuccess;
}

FileStatus HandleVolumeSerial(HANDLE handle, std::wstring_view finalPath, std::uint32_t& serial) {
    static std::array<std::atomic<std::uint64_t>, 26> byLetter{};
    const bool cached = RunningOnWine() && !finalPath.empty() && IsDriveLetter(finalPath[0]);
    const std::size_t letter = cached ? (finalPath[0] | 0x20) - L'a' : 0;
    if (cached) {
        if (const std::uint64_t known = byLetter[letter].load(); known != 0) {
            serial = static_cast<std::uint32_t>(known);
            return file_status::kSuccess;
        }
    }
    alignas(FILE_FS_VOLUME_INFORMATION) std::array<unsigned char, 1024> buffer{};
    IO_STATUS_BLOCK io{};
    const NTSTATUS status = NtQueryVolumeInformationFile(
        handle, &io, buffer.data(), static_cast<ULONG>(buffer.size()), FileFsVolumeInformation);
    if (status < 0) {
        return FromNt(status);
    }
    serial = reinterpret_cast<const FILE_FS_VOLUME_INFORMATION*>(buffer.data())->VolumeSerialNumber;
    if (cached) {
        byLetter[letter].store((std::uint64_t{1} << 32) | serial);
    }
    return file_status::kSuccess;
}

}  // namespace keldra::platform::win32

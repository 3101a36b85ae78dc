#include "platform/win32/win32_text_file.h"

#include <shlobj.h>

#include <algorithm>
#include <climits>
#include <cstdint>

#include "platform/win32/wide_text.h"

namespace keldra::platform::win32 {
namespace {

// CreateFileW, with an empty owner for INVALID_HANDLE_VALUE.
UniqueKernelHandle OpenFile(const std::wstring& path, DWORD access, DWORD share,
                            DWORD disposition) {
    HANDLE handle = CreateFileW(path.c_str(), access, share, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    return UniqueKernelHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// Flushes and closes; true only when both worked.
bool FlushAndClose(UniqueKernelHandle& file) {
    const bool flushed = FlushFileBuffers(file.get()) != FALSE;
    const bool closed = file.reset() != FALSE;
    return flushed && closed;
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::optional<std::string> Win32AnsiCodePage::FromUtf16(std::u16string_view text) const {
    if (text.empty()) {
        return std::string();
    }
    if (text.size() > static_cast<std::size_t>(INT_MAX / 4)) {
        return std::nullopt;
    }
    const auto* units = reinterpret_cast<const wchar_t*>(text.data());
    const int count = static_cast<int>(text.size());
    // The UTF code pages take no best-fit flag and report no default character; the round
    // trip below still catches what they cannot hold.
    const UINT acp = GetACP();
    const bool utf = acp == CP_UTF8 || acp == CP_UTF7;
    const DWORD flags = utf ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* used = utf ? nullptr : &usedDefault;
    const int bytes = WideCharToMultiByte(CP_ACP, flags, units, count, nullptr, 0, nullptr, used);
    if (bytes <= 0) {
        return std::nullopt;
    }
    std::string out(static_cast<std::size_t>(bytes), '\0');
    if (WideCharToMultiByte(CP_ACP, flags, units, count, out.data(), bytes, nullptr, used) !=
            bytes ||
        usedDefault) {
        return std::nullopt;
    }
    if (ToUtf16(out) != text) {
        return std::nullopt;
    }
    return out;
}

std::u16string Win32AnsiCodePage::ToUtf16(std::string_view ansi) const {
    if (ansi.empty() || ansi.size() > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const int count = static_cast<int>(ansi.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, ansi.data(), count, nullptr, 0);
    if (units <= 0) {
        return {};
    }
    std::wstring out(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), count, out.data(), units);
    return std::u16string(out.begin(), out.end());
}

bool Win32TextFiles::AppendLines(std::string_view path, std::span<const std::string> lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    // Write access rather than append-only access: flushing asks for it.
    UniqueKernelHandle file = OpenFile(Wide(path), GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
    if (!file) {
        return false;
    }
    LARGE_INTEGER none{};
    if (!SetFilePointerEx(file.get(), none, nullptr, FILE_END)) {
        return false;
    }
    const bool written = WriteAll(file.get(), bytes);
    return FlushAndClose(file) && written;
}

bool Win32TextFiles::ReadLines(std::string_view path, std::vector<std::string>& lines) {
    const UniqueKernelHandle file =
        OpenFile(Wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                 OPEN_EXISTING);
    if (!file) {
        return false;
    }
    std::string bytes;
    std::string chunk(64 * 1024, '\0');
    bool ok = true;
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr)) {
            ok = false;
            break;
        }
        if (read == 0) {
            break;
        }
        bytes.append(chunk.data(), read);
    }
    SplitTextLines(bytes, lines);
    return ok;
}

bool Win32TextFiles::ReadEnds(std::string_view path, std::size_t count, std::string& head,
                              std::string& tail) {
    const UniqueKernelHandle file =
        OpenFile(Wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                 OPEN_EXISTING);
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || count > (1u << 20)) {
        return false;
    }
    const auto total = static_cast<std::uint64_t>(size.QuadPart);
    // Reads `length` bytes at `offset`; false on a failure or a short read.
    const auto readAt = [&](std::uint64_t offset, std::size_t length, std::string& out) {
        out.assign(length, '\0');
        LARGE_INTEGER position{};
        position.QuadPart = static_cast<LONGLONG>(offset);
        DWORD read = 0;
        return SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN) &&
               (length == 0 ||
                ReadFile(file.get(), out.data(), static_cast<DWORD>(length), &read, nullptr)) &&
               read == length;
    };
    const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(count, total));
    return readAt(0, length, head) && readAt(total - length, length, tail);
}

bool Win32TextFiles::ReplaceContent(std::string_view path, std::string_view content) {
    const std::wstring target = Wide(path);
    // The temporary file goes beside the target, so that the rename stays on one volume
    // and can replace the target in one step.
    const std::size_t slash = target.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"." : target.substr(0, slash + 1);
    wchar_t temp[MAX_PATH] = {};
    if (GetTempFileNameW(folder.c_str(), L"kld", 0, temp) == 0) {
        return false;
    }
    UniqueKernelHandle file = OpenFile(temp, GENERIC_WRITE, 0, TRUNCATE_EXISTING);
    bool ok = static_cast<bool>(file) && WriteAll(file.get(), content);
    if (file) {
        ok = FlushAndClose(file) && ok;
    }
    ok = ok && MoveFileExW(temp, target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    if (!ok) {
        DeleteFileW(temp);
    }
    return ok;
}

bool Win32TextFiles::FileExists(std::string_view path) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32TextFiles::CreateFolder(std::string_view path) {
    const std::wstring folder = Wide(path);
    return CreateDirectoryW(folder.c_str(), nullptr) != FALSE || IsFolder(folder);
}

std::string Win32TextFiles::LocalAppDataFolder() {
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(
            SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer))) {
        return {};
    }
    std::wstring folder(buffer);
    while (folder.size() > 3 && folder.back() == L'\\') {
        folder.pop_back();
    }
    return Narrow(folder);
}

}  // namespace keldra::platform::win32

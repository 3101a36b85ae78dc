#include "registry/reference_checks.h"

#include <array>

#include "platform/text.h"

namespace keldra::registry {

namespace {

constexpr std::string_view kCheckedDrives = "ABCDEFGHIJKLMNOPQRST";

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

void EraseAll(std::string& text, std::string_view part) {
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at)) {
        text.erase(at, part.size());
    }
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// The text before the first `separator`, or all of it, trimmed.
std::string CutAt(std::string_view text, std::string_view separator) {
    return TrimBlanks(text.substr(0, text.find(separator)));
}

// Byte length of the first `count` characters of UTF-8 `text` (all of it when shorter).
std::size_t CharactersBytes(std::string_view text, std::size_t count) {
    std::size_t at = 0;
    while (at < text.size() && count > 0) {
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) {
            ++at;
        }
        --count;
    }
    return at;
}

// Where the character before byte `at` begins.
std::size_t PreviousCharacter(std::string_view text, std::size_t at) {
    if (at == 0) {
        return 0;
    }
    --at;
    while (at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) {
        --at;
    }
    return at;
}

bool IsPathSeparator(char c) {
    return c == '\\' || c == '/';
}

}  // namespace

std::string StripNulls(std::string& OriginalStr) {
    const auto nul = OriginalStr.find('\0');
    if (nul != std::string::npos) {
        OriginalStr.resize(nul);
    }
    return OriginalStr;
}

std::string addslash(std::string_view lzPathName) {
    if (lzPathName.empty() || lzPathName.back() == '\\') {
        return std::string(lzPathName);
    }
    return std::string(lzPathName) + '\\';
}

std::string TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::string UpperText(std::string_view text) {
    bool ascii = true;
    std::string upper(text);
    for (char& c : upper) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    if (ascii) {
        return upper;
    }
    std::u16string wide = text::Utf8ToUtf16(text);
    for (char16_t& unit : wide) {
        unit = text::UpcaseUnit(unit);
    }
    return text::Utf16ToUtf8(wide);
}

void ReferenceChecks::Forget() {
    known_.clear();
    windowsDirectoryKnown_ = false;
}

std::string ReferenceChecks::WindowsDirectory() {
    if (!windowsDirectoryKnown_) {
        windowsDirectory_ = TrimBlanks(files_.WindowsDirectory());
        windowsDirectoryKnown_ = true;
    }
    return windowsDirectory_;
}

bool ReferenceChecks::FileExists(std::string_view path) {
    return Exists(Kind::File, path);
}

bool ReferenceChecks::FolderExists(std::string_view path) {
    return Exists(Kind::Folder, path);
}

std::string ReferenceChecks::SpecialFolderDir(int csidl) {
    return files_.SpecialFolderPath(csidl | platform::csidl::kCreateFlag);
}

bool ReferenceChecks::Exists(Kind kind, std::string_view path) {
    // Windows names ignore case, so one answer serves every spelling of a path.
    std::string key = UpperText(path);
    key.insert(key.begin(), static_cast<char>(kind));
    if (const auto found = known_.find(key); found != known_.end()) {
        return found->second;
    }
    bool exists = AskPlatform(kind, path);
    if (!exists) {
        if (const std::string twin = Wow64Twin(path); !twin.empty()) {
            exists = AskPlatform(kind, twin);
        }
    }
    known_.emplace(std::move(key), exists);
    return exists;
}

bool ReferenceChecks::AskPlatform(Kind kind, std::string_view path) {
    return kind == Kind::File ? files_.FileExists(path) : files_.FolderExists(path);
}

std::string ReferenceChecks::Wow64Twin(std::string_view path) {
    // A 64-bit process reads the 32-bit branches of the registry as ordinary keys; their
    // references into the system folder mean the 32-bit one.
    const std::string windows = WindowsDirectory();
    if (windows.empty()) {
        return {};
    }
    const std::string prefix = UpperText(addslash(windows) + "System32");
    const std::string upper = UpperText(path.substr(0, prefix.size() + 1));
    if (upper.size() != prefix.size() + 1 || upper.compare(0, prefix.size(), prefix) != 0 ||
        !IsPathSeparator(upper.back())) {
        return {};
    }
    return addslash(windows) + "SysWOW64" + std::string(path.substr(prefix.size()));
}

bool ReferenceChecks::CheckValid(std::string sPath) {
    if (FolderExists(sPath)) {
        return true;
    }
    if (FileExists(sPath)) {
        return true;
    }
    std::string s = std::move(sPath);
    EraseAll(s, "\"");
    EraseAll(s, "Rundll32");
    EraseAll(s, "RunDll32");

    // Begin at the drive letter of the first path.
    if (const auto colon = s.find(":\\"); colon != std::string::npos && colon >= 1) {
        s.erase(0, PreviousCharacter(s, colon));
    }
    if (!s.empty()) {
        const char first = s.front();
        const char upper =
            (first >= 'a' && first <= 'z') ? static_cast<char>(first - 'a' + 'A') : first;
        if (kCheckedDrives.find(upper) == std::string_view::npos) {
            return true;
        }
    }

    // Arguments, switches and lists after the path.
    for (const std::string_view separator : {",", " /", " -", ";"}) {
        s = CutAt(s, separator);
    }
    ReplaceAll(s, "%SYSTEMROOT%", addslash(WindowsDirectory()));
    s = CutAt(s, "%");
    EraseAll(s, "@");

    if (FileExists(s)) {
        return true;
    }

    bool valid = false;
    const std::size_t third = CharactersBytes(s, 2);
    if (const auto second = s.find(":\\", third); second != std::string::npos) {
        // Two paths in one text, such as a program and the document it opens: the first
        // ends before the second's drive letter, the second starts one character earlier.
        const std::size_t letter = PreviousCharacter(s, second);
        const std::string first = TrimBlanks(std::string_view(s).substr(0, letter));
        const std::string next =
            TrimBlanks(std::string_view(s).substr(PreviousCharacter(s, letter)));
        valid = FileExists(first);
        if (!valid && !Contains(first, ".")) {
            valid = true;
        }
        if (!valid) {
            valid = CheckInSysFolders(first);
        }
        if (valid) {
            valid = FileExists(next);
            if (!valid) {
                valid = CheckInSysFolders(next);
            }
        }
    } else {
        valid = CheckInSysFolders(s);
        if (!valid) {
            // The name through a three-character extension, whatever follows it.
            const auto dot = s.find('.', third);
            const std::size_t keep =
                dot == std::string::npos
                    ? CharactersBytes(s, 3)
                    : dot + 1 + CharactersBytes(std::string_view(s).substr(dot + 1), 3);
            const std::string first = TrimBlanks(std::string_view(s).substr(0, keep));
            valid = FileExists(first);
            if (!valid) {
                valid = CheckInSysFolders(first);
            }
        }
    }
    if (!valid) {
        valid = FolderExists(s);
    }
    return valid;
}

bool ReferenceChecks::CheckInSysFolders(std::string_view sPath) {
    const std::string windows = addslash(WindowsDirectory());
    bool found = false;
    if (!Contains(sPath, ":")) {
        found = FileExists(windows + std::string(sPath));
    }
    if (!found) {
        found = FileExists(windows + "system\\" + std::string(sPath));
    }
    if (!found) {
        found = FileExists(windows + "system32\\" + std::string(sPath));
    }
    return found;
}

}  // namespace keldra::registry

#include "registry/reference_checks.h"

#include <array>

#include "platform/text.h"
#include "registry/path_readings.h"

namespace keldra::registry {

namespace {

constexpr std::string_view kCheckedDrives = "ABCDEFGHIJKLMNOPQRST";

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// One pass over the text, however many occurrences: a value can be megabytes long. The
// search goes on right after each removed occurrence, so halves that a removal joins are
// not searched again.
void EraseAll(std::string& text, std::string_view part) {
    auto at = text.find(part);
    if (at == std::string::npos) {
        return;
    }
    std::string kept;
    kept.reserve(text.size());
    std::size_t from = 0;
    for (; at != std::string::npos; at = text.find(part, from)) {
        kept.append(text, from, at - from);
        from = at + part.size();
    }
    kept.append(text, from);
    text = std::move(kept);
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    auto at = text.find(from);
    if (at == std::string::npos) {
        return;
    }
    std::string replaced;
    std::size_t done = 0;
    for (; at != std::string::npos; at = text.find(from, done)) {
        replaced.append(text, done, at - done);
        replaced.append(to);
        done = at + from.size();
    }
    replaced.append(text, done);
    text = std::move(replaced);
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

// A drive path as Windows compares it: "/" read as "\", repeated separators as one.
std::string WindowsForm(std::string_view path) {
    std::string form;
    form.reserve(path.size());
    for (char c : path) {
        if (c == '/') {
            c = '\\';
        }
        if (c == '\\' && !form.empty() && form.back() == '\\') {
            continue;
        }
        form.push_back(c);
    }
    return form;
}

// Longer paths are asked each time: remembering them would cost more than asking.
constexpr std::size_t kRememberedBytes = 1024;

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
    drives_.reset();
    ready_ = {};
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
    if (path.size() > kRememberedBytes) {
        return AskPlatform(kind, path) || AskTwin(kind, path);
    }
    // Windows names ignore case, so one answer serves every spelling of a path.
    std::string key = UpperText(path);
    key.insert(key.begin(), static_cast<char>(kind));
    if (const auto found = known_.find(key); found != known_.end()) {
        return found->second;
    }
    const bool exists = AskPlatform(kind, path) || AskTwin(kind, path);
    known_.emplace(std::move(key), exists);
    return exists;
}

bool ReferenceChecks::AskTwin(Kind kind, std::string_view path) {
    const std::string twin = Wow64Twin(path);
    return !twin.empty() && AskPlatform(kind, twin);
}

bool ReferenceChecks::AskPlatform(Kind kind, std::string_view path) {
    return kind == Kind::File ? files_.FileExists(path) : files_.FolderExists(path);
}

std::string ReferenceChecks::Wow64Twin(std::string_view path) {
    // A 64-bit process reads the 32-bit branches of the registry as ordinary keys; their
    // references into the system folder mean the 32-bit one.
    // Compared as Windows compares paths: "%SYSTEMROOT%\System32" becomes
    // "C:\Windows\\System32" once the folder is put in, and some programs write "/".
    const std::string windows = WindowsDirectory();
    if (windows.empty() || path.size() < 3 || path.size() > 4 * kMaxPathCharacters ||
        path[1] != ':' || !IsPathSeparator(path[2])) {
        return {};
    }
    const std::string form = WindowsForm(path);
    const std::string prefix = UpperText(WindowsForm(addslash(windows) + "System32"));
    const std::string upper = UpperText(std::string_view(form).substr(0, prefix.size() + 1));
    if (upper.size() != prefix.size() + 1 || upper.compare(0, prefix.size(), prefix) != 0 ||
        upper.back() != '\\') {
        return {};
    }
    return addslash(windows) + "SysWOW64" + form.substr(prefix.size());
}

bool ReferenceChecks::DriveHereNow(char letter) {
    if (!drives_) {
        drives_ = files_.Drives();
    }
    for (const platform::DriveEntry& drive : *drives_) {
        if (drive.letter != letter) {
            continue;
        }
        // Removable disks, discs and shares come and go; only fixed disks are judged.
        if (drive.type != platform::drive_type::kFixed &&
            drive.type != platform::drive_type::kRamDisk) {
            return false;
        }
        auto& ready = ready_[static_cast<std::size_t>(letter - 'A')];
        if (!ready) {
            ready = files_.DriveReady(letter);
        }
        return *ready;
    }
    return false;
}

bool ReferenceChecks::PathReadingFound(std::string_view text) {
    const PathReadings readings = ReadPaths(text);
    if (readings.unjudgeable) {
        return true;
    }
    for (const char letter : readings.drives) {
        if (!DriveHereNow(letter)) {
            return true;
        }
    }
    for (const PathReading& reading : readings.candidates) {
        if (!reading.pairedWith.empty() && !FileExists(reading.pairedWith)) {
            continue;
        }
        if (FileExists(reading.path) || (reading.referenceEnds && FolderExists(reading.path))) {
            return true;
        }
    }
    return false;
}

bool ReferenceChecks::CheckValid(std::string sPath) {
    // The cutting readings first; what they call dead is listed only when no path in the
    // text, read as Windows reads it, names something that exists either.
    const std::string text = sPath;
    return CutReadingFound(std::move(sPath)) || PathReadingFound(text);
}

bool ReferenceChecks::CutReadingFound(std::string sPath) {
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

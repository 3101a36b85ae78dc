#include "platform/sim/sim_text_file.h"

#include <algorithm>

#include "platform/text.h"

namespace keldra::platform::sim {
namespace {

// Windows-1252 bytes 0x80-0x9F; 0 marks the five bytes the code page leaves unassigned,
// which Windows maps to the control characters of the same number.
constexpr char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t UnitOf(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F && kHigh[byte - 0x80] != 0) {
        return kHigh[byte - 0x80];
    }
    return byte;
}

std::optional<unsigned char> ByteOf(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
        return static_cast<unsigned char>(unit);
    }
    for (unsigned char b = 0x80; b <= 0x9F; ++b) {
        if (UnitOf(b) == unit) {
            return b;
        }
    }
    return std::nullopt;
}

std::string LastPart(std::string_view path) {
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) {
        path.remove_suffix(1);
    }
    const auto slash = path.find_last_of("\\/");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

std::optional<std::string> Windows1252::FromUtf16(std::u16string_view text) const {
    std::string out;
    out.reserve(text.size());
    for (const char16_t unit : text) {
        const auto byte = ByteOf(unit);
        if (!byte) {
            return std::nullopt;
        }
        out.push_back(static_cast<char>(*byte));
    }
    return out;
}

std::u16string Windows1252::ToUtf16(std::string_view ansi) const {
    std::u16string out;
    out.reserve(ansi.size());
    for (const char c : ansi) {
        out.push_back(UnitOf(static_cast<unsigned char>(c)));
    }
    return out;
}

SimTextFiles::SimTextFiles() {
    AddFolder("C:\\");
    AddFolder(localAppData);
}

std::string SimTextFiles::Key(std::string_view path) {
    std::u16string units = text::Utf8ToUtf16(path);
    for (char16_t& u : units) {
        u = u == u'/' ? u'\\' : text::UpcaseUnit(u);
    }
    while (!units.empty() && units.back() == u'\\') {
        units.pop_back();
    }
    return text::Utf16ToUtf8(units);
}

std::string SimTextFiles::ParentKey(const std::string& key) {
    const auto slash = key.rfind('\\');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

const SimTextFiles::Entry* SimTextFiles::Find(std::string_view path) const {
    const auto it = entries_.find(Key(path));
    return it == entries_.end() ? nullptr : &it->second;
}

SimTextFiles::Entry* SimTextFiles::Find(std::string_view path) {
    const auto it = entries_.find(Key(path));
    return it == entries_.end() ? nullptr : &it->second;
}

bool SimTextFiles::CanCreateIn(const std::string& key) const {
    const auto parent = entries_.find(ParentKey(key));
    return parent != entries_.end() && parent->second.folder && parent->second.writable;
}

bool SimTextFiles::AppendLines(std::string_view path, std::span<const std::string> lines) {
    const std::string key = Key(path);
    Entry* file = Find(path);
    if (file == nullptr) {
        if (!CanCreateIn(key)) {
            return false;
        }
        file = &entries_[key];
        file->name = LastPart(path);
    } else if (file->folder || !file->writable) {
        return false;
    }
    for (const std::string& line : lines) {
        file->bytes += line;
        file->bytes += "\r\n";
    }
    ++appendCount;
    if (afterAppend) {
        afterAppend(path);
    }
    return true;
}

bool SimTextFiles::ReadLines(std::string_view path, std::vector<std::string>& lines) {
    const Entry* file = Find(path);
    if (file == nullptr || file->folder || !file->readable) {
        return false;
    }
    SplitTextLines(file->bytes, lines);
    return true;
}

bool SimTextFiles::ReadEnds(std::string_view path, std::size_t count, std::string& head,
                            std::string& tail) {
    const Entry* file = Find(path);
    if (file == nullptr || file->folder || !file->readable) {
        return false;
    }
    const std::string& bytes = file->bytes;
    head = bytes.substr(0, count);
    tail = bytes.substr(bytes.size() - std::min(count, bytes.size()));
    return true;
}

bool SimTextFiles::ReplaceContent(std::string_view path, std::string_view content) {
    const std::string key = Key(path);
    // The temporary file goes into the same folder, so the folder must take a new file;
    // the rename then needs the old file to be replaceable.
    if (!CanCreateIn(key)) {
        return false;
    }
    Entry* file = Find(path);
    if (file != nullptr && (file->folder || !file->writable)) {
        return false;
    }
    if (file == nullptr) {
        file = &entries_[key];
        file->name = LastPart(path);
    }
    file->bytes.assign(content);
    ++replaceCount;
    return true;
}

bool SimTextFiles::FileExists(std::string_view path) {
    const Entry* file = Find(path);
    return file != nullptr && !file->folder;
}

bool SimTextFiles::CreateFolder(std::string_view path) {
    const std::string key = Key(path);
    if (const Entry* existing = Find(path)) {
        return existing->folder;
    }
    if (!CanCreateIn(key)) {
        return false;
    }
    Entry& folder = entries_[key];
    folder.name = LastPart(path);
    folder.folder = true;
    return true;
}

void SimTextFiles::AddFolder(std::string_view path) {
    std::string prefix;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of("\\/", start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        const std::string_view part = path.substr(start, end - start);
        if (!part.empty()) {
            prefix += prefix.empty() ? "" : "\\";
            prefix += part;
            Entry& folder = entries_[Key(prefix)];
            if (folder.name.empty()) {
                folder.name = std::string(part);
            }
            folder.folder = true;
        }
        start = end + 1;
    }
}

void SimTextFiles::PutFile(std::string_view path, std::string_view bytes) {
    const auto cut = path.find_last_of("\\/");
    if (cut != std::string_view::npos) {
        AddFolder(path.substr(0, cut));
    }
    Entry& file = entries_[Key(path)];
    file.name = LastPart(path);
    file.folder = false;
    file.bytes.assign(bytes);
}

std::optional<std::string> SimTextFiles::FileBytes(std::string_view path) const {
    const Entry* file = Find(path);
    if (file == nullptr || file->folder) {
        return std::nullopt;
    }
    return file->bytes;
}

bool SimTextFiles::FolderExists(std::string_view path) const {
    const Entry* folder = Find(path);
    return folder != nullptr && folder->folder;
}

std::vector<std::string> SimTextFiles::List(std::string_view folder) const {
    const std::string key = Key(folder);
    std::vector<std::string> names;
    for (const auto& [entryKey, entry] : entries_) {
        if (entryKey != key && ParentKey(entryKey) == key) {
            names.push_back(entry.name);
        }
    }
    return names;
}

void SimTextFiles::SetWritable(std::string_view path, bool writable) {
    if (Entry* entry = Find(path)) {
        entry->writable = writable;
    }
}

void SimTextFiles::SetReadable(std::string_view path, bool readable) {
    if (Entry* entry = Find(path)) {
        entry->readable = readable;
    }
}

}  // namespace keldra::platform::sim

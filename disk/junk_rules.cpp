#include "disk/junk_rules.h"

#include <algorithm>

#include "platform/text.h"

namespace keldra::disk {

namespace {

// The words that protect a path wherever they occur in it.
const std::array<std::u32string, 3>& ProtectedWords() {
    static const std::array<std::u32string, 3> words{FoldCase("Program Files"), FoldCase("winsxs"),
                                                     FoldCase("System32")};
    return words;
}

bool StartsWith(std::u32string_view text, std::u32string_view prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

std::string_view WithoutTrailingBackslashes(std::string_view path) {
    while (!path.empty() && path.back() == '\\') {
        path.remove_suffix(1);
    }
    return path;
}

// A drive letter, a colon, a backslash and one or more names, none of them empty, "."
// or "..". Anything else may resolve to more than it says.
bool IsPlainFolderPath(std::string_view path) {
    if (path.size() < 4 || path[1] != ':' || path[2] != '\\') {
        return false;
    }
    const char letter = path[0];
    if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z'))) {
        return false;
    }
    if (path.find('/') != std::string_view::npos) {
        return false;
    }
    std::size_t start = 3;
    while (start <= path.size()) {
        const auto end = std::min(path.find('\\', start), path.size());
        const std::string_view name = path.substr(start, end - start);
        if (name.empty() || name == "." || name == "..") {
            return false;
        }
        start = end + 1;
    }
    return true;
}

// `folder` is `other` or one of the folders that hold it.
bool IsSameOrAbove(std::u32string_view folder, std::u32string_view other) {
    if (!StartsWith(other, folder)) {
        return false;
    }
    return other.size() == folder.size() || other[folder.size()] == U'\\';
}

}  // namespace

std::u32string FoldCase(std::string_view utf8) {
    // Most names are ASCII, which is its own UTF-16: folded without the conversion.
    if (std::all_of(utf8.begin(), utf8.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        std::u32string out(utf8.size(), U'\0');
        for (std::size_t i = 0; i < utf8.size(); ++i) {
            out[i] = text::UpcaseUnit(static_cast<char16_t>(utf8[i]));
        }
        return out;
    }
    // Upper case as Windows compares names, one code point per character, so that "?"
    // stands for one character also outside the basic plane.
    const std::u16string wide = text::Utf8ToUtf16(utf8);
    std::u32string out;
    out.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const char16_t unit = wide[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            out.push_back(0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                          (static_cast<char32_t>(wide[i + 1]) - 0xDC00));
            ++i;
        } else {
            out.push_back(text::UpcaseUnit(unit));
        }
    }
    return out;
}

bool PatternMatches(std::u32string_view pattern, std::u32string_view name) {
    // A final ".*" may also stand for no extension at all.
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == U".*" &&
        PatternMatches(pattern.substr(0, pattern.size() - 2), name)) {
        return true;
    }
    // Greedy matching that returns to the latest "*" on a mismatch: linear for one star,
    // never exponential.
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starAt = std::u32string_view::npos;
    std::size_t resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == U'*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (starAt != std::u32string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*') {
        ++p;
    }
    return p == pattern.size();
}

MaskList::MaskList(std::string_view masks) : text_(masks) {
    std::size_t start = 0;
    while (start <= masks.size()) {
        const auto end = std::min(masks.find(';', start), masks.size());
        const std::string_view mask = masks.substr(start, end - start);
        if (!mask.empty()) {
            std::u32string folded = FoldCase(mask);
            // A final ".*" may also stand for no extension at all: both forms are tried.
            if (folded.size() >= 2 && folded.compare(folded.size() - 2, 2, U".*") == 0) {
                patterns_.push_back(Compile(folded.substr(0, folded.size() - 2)));
            }
            patterns_.push_back(Compile(std::move(folded)));
        }
        start = end + 1;
    }
}

MaskList::Compiled MaskList::Compile(std::u32string pattern) {
    Compiled compiled;
    const auto stars = std::count(pattern.begin(), pattern.end(), U'*');
    // A pattern ending in ".*" keeps the general matching, which handles that ending.
    const bool dotStar = pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, U".*") == 0;
    if (pattern == U"*") {
        compiled.shape = Compiled::Shape::Any;
    } else if (!dotStar && stars == 0) {
        compiled.shape = Compiled::Shape::Whole;
        compiled.fixed = pattern;
    } else if (!dotStar && stars == 1 && pattern.front() == U'*') {
        compiled.shape = Compiled::Shape::Suffix;
        compiled.fixed = pattern.substr(1);
    } else if (!dotStar && stars == 1 && pattern.back() == U'*') {
        compiled.shape = Compiled::Shape::Prefix;
        compiled.fixed = pattern.substr(0, pattern.size() - 1);
    }
    compiled.pattern = std::move(pattern);
    return compiled;
}

bool MaskList::Match(const Compiled& compiled, std::u32string_view name) {
    const std::u32string& fixed = compiled.fixed;
    const auto sameAt = [&](std::size_t at) {
        for (std::size_t i = 0; i < fixed.size(); ++i) {
            if (fixed[i] != U'?' && fixed[i] != name[at + i]) {
                return false;
            }
        }
        return true;
    };
    switch (compiled.shape) {
        case Compiled::Shape::Any:
            return true;
        case Compiled::Shape::Whole:
            return name.size() == fixed.size() && sameAt(0);
        case Compiled::Shape::Suffix:
            return name.size() >= fixed.size() && sameAt(name.size() - fixed.size());
        case Compiled::Shape::Prefix:
            return name.size() >= fixed.size() && sameAt(0);
        case Compiled::Shape::General:
            break;
    }
    return PatternMatches(compiled.pattern, name);
}

bool MaskList::Matches(std::string_view name) const {
    return MatchesFolded(FoldCase(name));
}

bool MaskList::MatchesFolded(std::u32string_view folded) const {
    for (const auto& pattern : patterns_) {
        if (Match(pattern, folded)) {
            return true;
        }
    }
    return false;
}

bool IsExcluded(std::string_view path, std::string_view windowsFolder) {
    const std::u32string folded = FoldCase(path);
    for (const auto& word : ProtectedWords()) {
        if (folded.find(word) != std::u32string::npos) {
            return true;
        }
    }
    // An unknown (empty) Windows folder is a prefix of every path: nothing is touched
    // rather than something of Windows.
    return StartsWith(folded, FoldCase(windowsFolder));
}

FolderExclusion::FolderExclusion(std::string_view prefix, std::string_view windowsFolder) {
    const std::u32string folded = FoldCase(prefix);
    const std::u32string windows = FoldCase(windowsFolder);
    // The protected words hold no backslash: after a prefix that ends in one, a word in a
    // file's path lies in the prefix (then every file is excluded) or in the name.
    checkJoined_ = folded.empty() || folded.back() != U'\\';
    if (checkJoined_) {
        joinedPrefix_ = folded;
    }
    for (const auto& word : ProtectedWords()) {
        if (folded.find(word) != std::u32string::npos) {
            all_ = true;
        }
    }
    if (StartsWith(folded, windows)) {
        all_ = true;
    } else if (StartsWith(windows, folded)) {
        byWindowsFolder_ = true;
        windowsRest_ = windows.substr(folded.size());
    }
}

bool FolderExclusion::Excludes(std::u32string_view foldedName) const {
    if (all_ || (byWindowsFolder_ && StartsWith(foldedName, windowsRest_))) {
        return true;
    }
    std::u32string joined;
    if (checkJoined_) {
        joined = joinedPrefix_;
        joined += foldedName;
        foldedName = joined;
    }
    for (const auto& word : ProtectedWords()) {
        if (foldedName.find(word) != std::u32string_view::npos) {
            return true;
        }
    }
    return false;
}

bool CacheFolderIsSafe(std::string_view folder, std::string_view profile,
                       std::string_view windowsFolder) {
    folder = WithoutTrailingBackslashes(folder);
    if (!IsPlainFolderPath(folder)) {
        return false;
    }
    const std::u32string start = FoldCase(folder);
    for (const std::string_view guarded : {profile, windowsFolder}) {
        const std::string_view other = WithoutTrailingBackslashes(guarded);
        if (!other.empty() && IsSameOrAbove(start, FoldCase(other))) {
            return false;
        }
    }
    return true;
}

bool IsDoubtfulSpelling(std::string_view path) {
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto end = std::min(path.find('\\', start), path.size());
        const std::string_view name = path.substr(start, end - start);
        if (!name.empty() && name != "." && name != ".." &&
            (name.back() == '.' || name.back() == ' ')) {
            return true;
        }
        for (std::size_t tilde = name.find('~'); tilde != std::string_view::npos;
             tilde = name.find('~', tilde + 1)) {
            if (tilde + 1 < name.size() && name[tilde + 1] >= '0' && name[tilde + 1] <= '9') {
                return true;
            }
        }
        start = end + 1;
    }
    return false;
}

}  // namespace keldra::disk

#pragma once
// The junk rules: which file names each rule selects, which paths no rule may touch, and
// which start folder the Internet-cache rule may sweep.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace keldra::disk {

// A text folded for comparisons that ignore case: one code point per character, upper
// case as Windows compares file names. Malformed UTF-8 becomes U+FFFD.
std::u32string FoldCase(std::string_view utf8);

// A list of file-name patterns separated by ";", matched against long file names. "*" is
// any run of characters (none included), "?" exactly one, everything else itself, without
// regard to case. A pattern ending in ".*" also takes names without any extension, so
// "*.*" selects every name and "~*.*" every name that begins with "~". The matching is the
// program's own: the platform's would also try the 8.3 short names, where "*.old" selects
// "x.older" (short name "X~1.OLD").
class MaskList {
  public:
    explicit MaskList(std::string_view masks);
    bool Matches(std::string_view name) const;
    // `folded` is FoldCase of the name; a caller testing several lists folds once.
    bool MatchesFolded(std::u32string_view folded) const;
    const std::string& Text() const { return text_; }

  private:
    // A pattern with at most one "*", at its start or end or nowhere, is compared as it
    // stands (most masks are like "*.tmp"); any other goes through PatternMatches.
    struct Compiled {
        enum class Shape { Whole, Suffix, Prefix, Any, General } shape = Shape::General;
        std::u32string fixed;  // the pattern without its "*"; "?" still one character
        std::u32string pattern;
    };
    static Compiled Compile(std::u32string pattern);
    static bool Match(const Compiled& compiled, std::u32string_view name);

    std::string text_;
    // Each mask as one or two patterns: one ending in ".*" also stands without it.
    std::vector<Compiled> patterns_;
};

// One pattern against one name, both folded.
bool PatternMatches(std::u32string_view pattern, std::u32string_view name);

struct JunkRule {
    int number;
    std::string_view masks;
};

// The rules by the number stored with each entry found; rule 1 starts in the Internet
// cache, the others at the root of the drive being cleaned, and they run in this order.
inline constexpr int kInternetCacheRule = 1;
inline constexpr std::array<JunkRule, 5> kJunkRules{{
    {1, "*.*"},
    {3, "*.tmp;*.??$;*.~*;^*.*;*.??$;~*.*;*._mp;*.dmp;mscreate.dir"},
    {4, "thumbs.db;pspbrwse.jbf"},
    {5, "*.gid;*.fts;*.ftg"},
    {8, "*.bak;*.old"},
}};

// True for a folder or file path that no rule may list or enter: anything with
// "Program Files", "winsxs" or "System32" in it, and anything that begins with the
// Windows folder. All without regard to case, as Windows compares paths.
bool IsExcluded(std::string_view path, std::string_view windowsFolder);

// IsExcluded for the files of one folder, the folder's part folded once. `prefix` is
// what the folder's names are joined to: the folder and a backslash, or a root.
class FolderExclusion {
  public:
    FolderExclusion(std::string_view prefix, std::string_view windowsFolder);
    // Whether IsExcluded(prefix + name) holds; `foldedName` is FoldCase(name).
    bool Excludes(std::u32string_view foldedName) const;

  private:
    bool all_ = false;
    // A prefix without a final backslash: a protected word may run across the join.
    bool checkJoined_ = false;
    std::u32string joinedPrefix_;
    // What a name must begin with for the path to begin with the Windows folder.
    bool byWindowsFolder_ = false;
    std::u32string windowsRest_;
};

// Whether the Internet-cache rule, which takes every file, may start in `folder`. It may
// not when the folder is empty or not a plain absolute folder path (a drive letter, a
// colon, a backslash and at least one name, no "." or ".." steps), when it is a drive
// root, the user's profile folder or the Windows folder, or when it holds one of them: a
// shell folder pointing somewhere unexpected must never sweep a drive or a profile.
// `profile` and `windowsFolder` may be empty (unknown). Trailing backslashes don't count.
bool CacheFolderIsSafe(std::string_view folder, std::string_view profile,
                       std::string_view windowsFolder);

// True for a path with a name that Windows would not take as it is written: one ending in
// a dot or a blank (the platform drops them, so "C:\Users\Ann." is the profile itself), or
// one that looks like a short 8.3 name ("ANNSMI~1"), which may stand for any long name.
bool IsDoubtfulSpelling(std::string_view path);

}  // namespace keldra::disk

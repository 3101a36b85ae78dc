#include "registry/path_readings.h"

#include <algorithm>

namespace keldra::registry {

namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsAsciiAlnum(char c) {
    return IsAsciiLetter(c) || (c >= '0' && c <= '9');
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool StartsWith(std::string_view text, std::size_t at, std::string_view part) {
    return text.substr(at, part.size()) == part;
}

// A drive path begins at `at`: letter, colon, separator, and not the tail of a word.
bool DriveStartAt(std::string_view text, std::size_t at) {
    return at + 2 < text.size() && IsAsciiLetter(text[at]) && text[at + 1] == ':' &&
           IsSeparator(text[at + 2]) && (at == 0 || !IsAsciiAlnum(text[at - 1]));
}

// "\\?\" (long path) or "\??\" (NT name space).
bool NtPrefixAt(std::string_view text, std::size_t at) {
    return StartsWith(text, at, "\\\\?\\") || StartsWith(text, at, "\\??\\");
}

// Characters after which a "\\" starts a share name rather than doubling a separator.
bool OpensShare(char c) {
    switch (c) {
        case ' ':
        case '\t':
        case '"':
        case '\'':
        case '=':
        case '|':
        case ',':
        case ';':
        case '(':
        case '<':
        case '>':
        case '@':
            return true;
        default:
            return false;
    }
}

bool ShareAt(std::string_view text, std::size_t at) {
    return StartsWith(text, at, "\\\\") && at + 2 < text.size() &&
           (IsAsciiAlnum(text[at + 2]) || static_cast<unsigned char>(text[at + 2]) >= 0x80) &&
           (at == 0 || OpensShare(text[at - 1]));
}

// "%NAME%\" (an environment variable that begins a path), as in "%SYSTEMROOT%\x.dll".
bool VariablePathAt(std::string_view text, std::size_t at) {
    if (text[at] != '%') {
        return false;
    }
    std::size_t name = at + 1;
    while (name < text.size() && (IsAsciiAlnum(text[name]) || text[name] == '_' ||
                                  text[name] == '(' || text[name] == ')')) {
        ++name;
    }
    return name > at + 1 && name + 1 < text.size() && text[name] == '%' &&
           IsSeparator(text[name + 1]);
}

enum class SpanEnd {
    Reference,  // a character no path holds, or the end of the text: the reference ends
    Wildcard,   // a "*" or "?": the folder holding it is the reference
    NextPath,   // an NT prefix begins another path
};

// Where the path starting at `from` must end, and why.
std::size_t FindSpanEnd(std::string_view text, std::size_t from, SpanEnd& kind) {
    for (std::size_t i = from; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == '|' || c == '<' || c == '>' || c == '"') {
            kind = SpanEnd::Reference;
            return i;
        }
        if (c == '&' && (StartsWith(text, i, "&quot;") || StartsWith(text, i, "&apos;"))) {
            kind = SpanEnd::Reference;
            return i;
        }
        if (c == '?') {
            // The "?" of "\??\" or "\\?\" belongs to a prefix, not to a wildcard.
            for (const std::size_t back : {std::size_t{1}, std::size_t{2}}) {
                if (i >= back && NtPrefixAt(text, i - back)) {
                    kind = SpanEnd::NextPath;
                    return i - back;
                }
            }
        }
        if (c == '*' || c == '?') {
            kind = SpanEnd::Wildcard;
            return i;
        }
    }
    kind = SpanEnd::Reference;
    return text.size();
}

// Characters, counting each UTF-8 sequence once.
std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

// The separators after which a name may end: " -" and " /" (switches), ",", ";", "@" and
// "%" (entry points, icon indexes, lists, resources, arguments). 0 when none stands here.
std::size_t SeparatorAt(std::string_view text, std::size_t at, bool slashEnds) {
    const char c = text[at];
    if (c == ' ' && at + 1 < text.size() && (text[at + 1] == '-' || text[at + 1] == '/')) {
        return 2;
    }
    if (c == ',' || c == ';' || c == '@' || c == '%') {
        return 1;
    }
    // A path written with backslashes that goes on with "/": "res://C:\x.dll/#2/101".
    if (c == '/' && slashEnds && text[at - 1] != ' ') {
        return 1;
    }
    return 0;
}

// Whether the reference ends before `from`: what follows is a switch, a number or another
// path, not a deeper name ("C:\Data\ /s", "C:\Desktop,0", but not "C:\Foo, Inc\foo.exe").
bool EndsBefore(std::string_view text, std::size_t from, std::size_t end) {
    while (from < end && text[from] == ' ') {
        ++from;
    }
    if (DriveStartAt(text, from)) {
        return true;
    }
    for (std::size_t i = from; i < end && text[i] != ' '; ++i) {
        if (IsSeparator(text[i])) {
            return false;
        }
    }
    return true;
}

class Collector {
  public:
    Collector(std::vector<PathReading>& out, std::string_view pairedWith)
        : out_(out), pairedWith_(pairedWith) {}

    // Every attempt counts, kept or not, so that a text of a million dots stays cheap.
    bool Full() const { return tried_ >= kMaxReadingsPerPath; }

    void Add(std::string_view path, bool referenceEnds) {
        if (Full()) {
            return;
        }
        ++tried_;
        while (!path.empty() && path.back() == ' ') {
            path.remove_suffix(1);
        }
        if (path.size() < 3 || path.size() > 4 * kMaxPathCharacters ||
            CharacterCount(path) > kMaxPathCharacters) {
            return;
        }
        for (PathReading& known : out_) {
            if (known.path == path && known.pairedWith == pairedWith_) {
                known.referenceEnds = known.referenceEnds || referenceEnds;
                return;
            }
        }
        out_.push_back({std::string(path), referenceEnds, std::string(pairedWith_)});
    }

  private:
    std::vector<PathReading>& out_;
    std::string_view pairedWith_;
    std::size_t tried_ = 0;
};

// Reads the path at `start`; returns where its span ends.
std::size_t ReadPathAt(std::string_view text, std::size_t start, std::string_view pairedWith,
                       std::vector<PathReading>& out) {
    SpanEnd kind = SpanEnd::Reference;
    const std::size_t end = FindSpanEnd(text, start + 3, kind);
    const std::string_view span = text.substr(start, end - start);
    Collector add(out, pairedWith);

    // The path as written, up to where no path can go on.
    switch (kind) {
        case SpanEnd::Reference:
            add.Add(span, true);
            break;
        case SpanEnd::Wildcard:
            add.Add(span.substr(0, span.find_last_of("\\/") + 1), true);
            add.Add(span, false);
            break;
        case SpanEnd::NextPath:
            add.Add(span, false);
            break;
    }

    // A second path in the same span (a program and the file it opens): the two-path
    // reading judges the pair, so names are not cut where the second begins or after it.
    std::size_t second = start + 3;
    while (second < end && !DriveStartAt(text, second) && !VariablePathAt(text, second)) {
        ++second;
    }

    // Each name that ends before a separator.
    const bool slashEnds = text[start + 2] == '\\';
    for (std::size_t at = start + 3; at < second && !add.Full(); ++at) {
        if (const std::size_t length = SeparatorAt(text, at, slashEnds); length > 0) {
            add.Add(text.substr(start, at - start), EndsBefore(text, at + length, end));
        }
    }

    // A file name through its extension where a dot may also stand in a folder name
    // ("C:\Windows\Microsoft.NET\...\x.exe arg"): through three characters after each dot,
    // and through the next blank. Not before a second path.
    if (second < end) {
        return end;
    }
    std::size_t blank = start;
    for (std::size_t at = start + 3; at < end && !add.Full(); ++at) {
        if (text[at] != '.') {
            continue;
        }
        if (blank < at) {
            blank = std::min(text.find(' ', at), end);
        }
        std::size_t through = at + 1;
        for (int characters = 0; characters < 3 && through < end; ++characters) {
            ++through;
            while (through < end && (static_cast<unsigned char>(text[through]) & 0xC0) == 0x80) {
                ++through;
            }
        }
        add.Add(text.substr(start, through - start), false);
        add.Add(text.substr(start, blank - start), false);
    }
    return end;
}

// Only quotes and blanks between `from` and `to`: a quoted program and its quoted argument.
bool OnlyQuotesBetween(std::string_view text, std::size_t from, std::size_t to) {
    for (std::size_t at = from; at < to; ++at) {
        if (text[at] != '"' && text[at] != ' ') {
            return false;
        }
    }
    return true;
}

std::string_view TrimmedEnd(std::string_view text) {
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

PathReadings ReadPaths(std::string_view text) {
    PathReadings readings;
    std::size_t paths = 0;
    // A path inside the span of the one before is that one's second path (a program and
    // the file it opens), which counts only together with the first; so does a path that
    // follows a quoted one with nothing but quotes between them.
    std::size_t spanEnd = 0;
    std::size_t first = 0;
    std::size_t firstCandidates = 0;
    bool quotedFirst = false;
    for (std::size_t at = 0; at < text.size() && paths < kMaxPathsRead;) {
        if (NtPrefixAt(text, at)) {
            // "\\?\C:\..." and "\??\C:\..." are the drive path after the prefix; anything
            // else there ("UNC\", "unix\", "Volume{...}") is no drive of this machine.
            if (!DriveStartAt(text, at + 4)) {
                readings.unjudgeable = true;
                return readings;
            }
            at += 4;
            continue;
        }
        if (StartsWith(text, at, "\\\\.\\") || ShareAt(text, at)) {
            readings.unjudgeable = true;
            return readings;
        }
        if (!DriveStartAt(text, at)) {
            ++at;
            continue;
        }
        char letter = text[at];
        if (letter >= 'a' && letter <= 'z') {
            letter = static_cast<char>(letter - 'a' + 'A');
        }
        if (readings.drives.find(letter) == std::string::npos) {
            readings.drives.push_back(letter);
        }
        if (at < spanEnd) {
            ReadPathAt(text, at, TrimmedEnd(text.substr(first, at - first)), readings.candidates);
        } else if (quotedFirst && OnlyQuotesBetween(text, spanEnd, at)) {
            // The quoted program no longer counts alone, only with its argument.
            const std::string program(TrimmedEnd(text.substr(first, spanEnd - first)));
            readings.candidates.resize(firstCandidates);
            spanEnd = ReadPathAt(text, at, program, readings.candidates);
            quotedFirst = false;
        } else {
            first = at;
            firstCandidates = readings.candidates.size();
            spanEnd = ReadPathAt(text, at, {}, readings.candidates);
            quotedFirst = spanEnd < text.size() && text[spanEnd] == '"';
        }
        ++paths;
        at += 3;
    }
    return readings;
}

bool IsAbsolutePath(std::string_view text) {
    return DriveStartAt(text, 0) || NtPrefixAt(text, 0) || StartsWith(text, 0, "\\\\");
}

}  // namespace keldra::registry

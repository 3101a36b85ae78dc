#pragma once
// The 8-bit text files the program keeps: the registry backup it appends to, and the
// registry checker's configuration it rewrites. Paths are UTF-8 text here and wide text at
// the platform; file contents are bytes in the system's ANSI code page, which the port also
// converts, since only the platform knows which code page that is.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace keldra::platform {

// The system's ANSI code page, as programs that read 8-bit text files use it.
class AnsiCodePage {
  public:
    virtual ~AnsiCodePage() = default;
    // The 8-bit form of UTF-16 text, NULs included; nothing when a character has no exact
    // form there (a best-fit look-alike or the default character does not count).
    virtual std::optional<std::string> FromUtf16(std::u16string_view text) const = 0;
    // 8-bit text as the platform turns it into UTF-16, NULs included.
    virtual std::u16string ToUtf16(std::string_view ansi) const = 0;
};

class TextFilePort {
  public:
    virtual ~TextFilePort() = default;

    // Appends each line followed by CR LF, creating the file when it is missing, and flushes
    // it to disk. True only when every byte is written and flushed.
    virtual bool AppendLines(std::string_view path, std::span<const std::string> lines) = 0;
    // The lines of a file. A line ends at CR LF, at CR or at LF (files written on other
    // systems end their lines with LF alone), and text after the last line end is a last
    // line. False when the file could not be opened
    // or read; `lines` then holds what was read before.
    virtual bool ReadLines(std::string_view path, std::vector<std::string>& lines) = 0;
    // The first and the last `count` bytes of a file, read without what lies between (for
    // a shorter file, all of it in both). False when the file cannot be opened or read.
    virtual bool ReadEnds(std::string_view path, std::size_t count, std::string& head,
                          std::string& tail) = 0;
    // Makes `content` the whole content of the file, creating it when missing: the bytes go
    // to a temporary file in the same folder, are flushed, and that file is renamed over the
    // old one in one step, so that the file is always either the old or the new one. False
    // when the file is left as it was (no temporary file stays behind).
    virtual bool ReplaceContent(std::string_view path, std::string_view content) = 0;
    // True when `path` names an existing file (not a folder).
    virtual bool FileExists(std::string_view path) = 0;
    // Creates one folder in an existing one; true when the folder exists afterwards.
    virtual bool CreateFolder(std::string_view path) = 0;
    // The user's local application data folder (%LOCALAPPDATA%) without a trailing
    // backslash; empty when the platform does not give it.
    virtual std::string LocalAppDataFolder() = 0;
    virtual const AnsiCodePage& CodePage() const = 0;
};

// Splits file bytes into lines the way the port reads them: CR LF, CR or LF ends a line,
// and text after the last line end is a last line.
inline void SplitTextLines(std::string_view bytes, std::vector<std::string>& lines) {
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(bytes.substr(start));
            return;
        }
        lines.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') {
            ++start;
        }
    }
}

}  // namespace keldra::platform

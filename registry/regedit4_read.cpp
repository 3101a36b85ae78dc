#include "registry/regedit4_read.h"

#include <optional>
#include <string_view>

#include "platform/text.h"
#include "registry/regedit4.h"

namespace keldra::regedit4 {
namespace {

namespace reg_root = platform::reg_root;
namespace reg_type = platform::reg_type;

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view TrimEnd(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::u16string_view TrimStart(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return -1;
}

// A hexadecimal number of 1 to 8 digits filling all of `text`.
std::optional<std::uint32_t> HexNumber(std::u16string_view text) {
    if (text.empty() || text.size() > 8) {
        return std::nullopt;
    }
    std::uint32_t number = 0;
    for (const char16_t c : text) {
        const int digit = HexDigit(c);
        if (digit < 0) {
            return std::nullopt;
        }
        number = (number << 4) | static_cast<std::uint32_t>(digit);
    }
    return number;
}

// The quoted text at the start of `text` (which begins with a double quote), with its
// escapes undone; `text` is left after the closing quote.
std::optional<std::u16string> Quoted(std::u16string_view& text) {
    if (text.empty() || text.front() != u'"') {
        return std::nullopt;
    }
    std::u16string out;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'"') {
            text.remove_prefix(i + 1);
            return out;
        }
        if (c == u'\\') {
            if (i + 1 == text.size() || (text[i + 1] != u'\\' && text[i + 1] != u'"')) {
                return std::nullopt;
            }
            ++i;
            out.push_back(text[i]);
            continue;
        }
        out.push_back(c);
    }
    return std::nullopt;  // no closing quote
}

platform::RegKey RootNamed(std::u16string_view name) {
    for (const platform::RegKey root :
         {reg_root::kClassesRoot, reg_root::kCurrentUser, reg_root::kLocalMachine, reg_root::kUsers,
          reg_root::kCurrentConfig, reg_root::kDynData}) {
        if (text::Utf8ToUtf16(RootName(root)) == name) {
            return root;
        }
    }
    return 0;
}

// Appends the comma-separated bytes of one line of hex data; `more` tells whether the
// line ends with the backslash that continues the data on the next line.
bool HexBytes(std::u16string_view text, std::vector<std::uint8_t>& bytes, bool& more) {
    text = TrimEnd(text);
    more = !text.empty() && text.back() == u'\\';
    if (more) {
        text.remove_suffix(1);
    }
    text = TrimStart(TrimEnd(text));
    if (text.empty()) {
        return true;
    }
    for (;;) {
        std::size_t i = 0;
        int value = 0;
        while (i < text.size() && i < 2 && HexDigit(text[i]) >= 0) {
            value = value * 16 + HexDigit(text[i]);
            ++i;
        }
        if (i == 0) {
            return false;
        }
        bytes.push_back(static_cast<std::uint8_t>(value));
        text = TrimStart(text.substr(i));
        if (text.empty()) {
            return true;
        }
        if (text.front() != u',') {
            return false;
        }
        text = TrimStart(text.substr(1));
        if (text.empty()) {
            // A comma at the end of a line is followed by the continuation; at the end of
            // the data it is allowed, as the editor's own files never have it.
            return more;
        }
    }
}

// The key of a "[...]" line; false where the line names none, or would delete one on
// import ("[-key]").
bool KeyLine(std::u16string_view line, platform::RegKey& root, std::string& keyPath) {
    if (line.back() != u']' || line.size() < 3 || line[1] == u'-') {
        return false;
    }
    const std::u16string_view inside = line.substr(1, line.size() - 2);
    const std::size_t slash = inside.find(u'\\');
    root = RootNamed(inside.substr(0, slash));
    keyPath = slash == std::u16string_view::npos ? std::string()
                                                 : text::Utf16ToUtf8(inside.substr(slash + 1));
    return root != 0;
}

// "hex:" or "hex(type):" data, on as many continuation lines as it takes; `n` is the line
// read last, or the one at fault.
bool HexData(std::u16string_view rest, std::span<const std::string> lines, std::size_t& n,
             const platform::AnsiCodePage& codePage, ReadValue& value) {
    value.type = reg_type::kBinary;
    if (rest.starts_with(u"(")) {
        const std::size_t close = rest.find(u')');
        const auto type = close == std::u16string_view::npos ? std::nullopt
                                                             : HexNumber(rest.substr(1, close - 1));
        if (!type) {
            return false;
        }
        value.type = *type;
        rest.remove_prefix(close + 1);
    }
    if (!rest.starts_with(u":")) {
        return false;
    }
    rest.remove_prefix(1);
    std::vector<std::uint8_t> bytes;
    bool more = false;
    if (!HexBytes(rest, bytes, more)) {
        return false;
    }
    while (more) {
        if (n + 1 == lines.size()) {
            return false;
        }
        ++n;
        if (!HexBytes(codePage.ToUtf16(lines[n]), bytes, more)) {
            return false;
        }
    }
    if (value.type == reg_type::kExpandSz || value.type == reg_type::kMultiSz) {
        // 8-bit text, to which the editor adds the NUL it lacks.
        std::string ansi(bytes.begin(), bytes.end());
        if (!ansi.empty() && ansi.back() != '\0') {
            ansi.push_back('\0');
        }
        value.data = text::ToUtf16LeBytes(codePage.ToUtf16(ansi));
    } else {
        value.data = std::move(bytes);
    }
    return true;
}

// The data after the "=" of a value line; false where the editor would not read it back
// as a value ("=-" deletes the value on import), with `n` at the line at fault.
bool ValueData(std::u16string_view rest, std::span<const std::string> lines, std::size_t& n,
               const platform::AnsiCodePage& codePage, ReadValue& value) {
    if (!rest.empty() && rest.front() == u'"') {
        const auto data = Quoted(rest);
        if (!data || !TrimStart(rest).empty()) {
            return false;
        }
        value.type = reg_type::kSz;
        std::u16string units = *data;
        units.push_back(u'\0');
        value.data = text::ToUtf16LeBytes(units);
        return true;
    }
    if (rest.starts_with(u"dword:")) {
        const auto number = HexNumber(rest.substr(6));
        if (!number) {
            return false;
        }
        value.type = reg_type::kDword;
        value.data = {static_cast<std::uint8_t>(*number), static_cast<std::uint8_t>(*number >> 8),
                      static_cast<std::uint8_t>(*number >> 16),
                      static_cast<std::uint8_t>(*number >> 24)};
        return true;
    }
    return rest.starts_with(u"hex") && HexData(rest.substr(3), lines, n, codePage, value);
}

// A value line: its name (or "@"), "=" and the data.
bool ValueLine(std::u16string_view line, std::span<const std::string> lines, std::size_t& n,
               const platform::AnsiCodePage& codePage, ReadValue& value) {
    std::u16string_view rest = line;
    if (rest.front() == u'@') {
        rest.remove_prefix(1);
    } else {
        const auto name = Quoted(rest);
        if (!name) {
            return false;
        }
        value.name = text::Utf16ToUtf8(*name);
    }
    rest = TrimStart(rest);
    if (rest.empty() || rest.front() != u'=') {
        return false;
    }
    return ValueData(TrimStart(rest.substr(1)), lines, n, codePage, value);
}

}  // namespace

ReadFile Read(std::span<const std::string> lines, const platform::AnsiCodePage& codePage) {
    ReadFile file;
    const auto bad = [&file](std::size_t line) {
        file.ok = false;
        file.badLine = line;
        file.values.clear();
        file.comments.clear();
        return file;
    };
    if (lines.empty() || lines[0] != kHeader) {
        return bad(0);
    }
    bool inKey = false;
    platform::RegKey root = 0;
    std::string keyPath;
    for (std::size_t n = 1; n < lines.size(); ++n) {
        const std::u16string wide = codePage.ToUtf16(lines[n]);
        const std::u16string_view line = TrimEnd(TrimStart(wide));
        if (line.empty()) {
            continue;
        }
        if (line.front() == u';') {
            file.comments.push_back({n, text::Utf16ToUtf8(line)});
            continue;
        }
        if (line.front() == u'[') {
            if (!KeyLine(line, root, keyPath)) {
                return bad(n);
            }
            inKey = true;
            continue;
        }
        ReadValue value;
        value.root = root;
        value.keyPath = keyPath;
        value.line = n;
        if (!inKey || !ValueLine(line, lines, n, codePage, value)) {
            return bad(n);
        }
        file.values.push_back(std::move(value));
    }
    file.ok = true;
    return file;
}

}  // namespace keldra::regedit4

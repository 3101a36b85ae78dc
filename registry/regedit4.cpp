#include "registry/regedit4.h"

#include "platform/text.h"

namespace keldra::regedit4 {
namespace {

namespace reg_root = platform::reg_root;
namespace reg_type = platform::reg_type;

constexpr char16_t kHexDigits[] = u"0123456789abcdef";

bool HoldsLineBreakOrNul(std::u16string_view text) {
    return text.find_first_of(std::u16string_view(u"\r\n\0", 3)) != std::u16string_view::npos;
}

// Quoted text as the editor reads it back: a backslash and a double quote are escaped.
std::u16string Escape(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (const char16_t c : text) {
        if (c == u'\\' || c == u'"') {
            out.push_back(u'\\');
        }
        out.push_back(c);
    }
    return out;
}

std::u16string Hex(std::uint32_t number, int minDigits) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), kHexDigits[number & 0xF]);
        number >>= 4;
    } while (number != 0);
    while (static_cast<int>(digits.size()) < minDigits) {
        digits.insert(digits.begin(), u'0');
    }
    return digits;
}

// Appends `first` followed by the bytes, wrapped as the editor wraps them.
void AppendHexLines(std::vector<std::u16string>& lines, std::u16string first,
                    std::span<const std::uint8_t> bytes) {
    std::u16string line = std::move(first);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        line += kHexDigits[bytes[i] >> 4];
        line += kHexDigits[bytes[i] & 0xF];
        if (i + 1 == bytes.size()) {
            break;
        }
        line += u',';
        if (line.size() >= kWrapColumn) {
            line += u'\\';
            lines.push_back(std::move(line));
            line = u"  ";
        }
    }
    lines.push_back(std::move(line));
}

// The quoted form of REG_SZ data: one line, ended by the one NUL the editor adds back.
std::optional<std::u16string> QuotedString(std::span<const std::uint8_t> data) {
    if (data.size() < 2 || data.size() % 2 != 0) {
        return std::nullopt;
    }
    std::u16string units = text::FromUtf16LeBytes(data);
    if (units.back() != u'\0') {
        return std::nullopt;
    }
    units.pop_back();
    if (HoldsLineBreakOrNul(units)) {
        return std::nullopt;
    }
    return u"\"" + Escape(units) + u"\"";
}

// REG_EXPAND_SZ and REG_MULTI_SZ data as the 8-bit bytes the editor turns back into them.
std::optional<std::string> AnsiStringBytes(std::span<const std::uint8_t> data,
                                           const platform::AnsiCodePage& codePage) {
    if (data.size() % 2 != 0) {
        return std::nullopt;
    }
    const std::u16string units = text::FromUtf16LeBytes(data);
    const std::optional<std::string> bytes = codePage.FromUtf16(units);
    if (!bytes) {
        return std::nullopt;
    }
    std::string imported = *bytes;
    if (!imported.empty() && imported.back() != '\0') {
        imported.push_back('\0');
    }
    if (codePage.ToUtf16(imported) != units) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

std::string_view RootName(platform::RegKey root) {
    switch (root) {
        case reg_root::kClassesRoot:
            return "HKEY_CLASSES_ROOT";
        case reg_root::kCurrentUser:
            return "HKEY_CURRENT_USER";
        case reg_root::kLocalMachine:
            return "HKEY_LOCAL_MACHINE";
        case reg_root::kUsers:
            return "HKEY_USERS";
        case reg_root::kCurrentConfig:
            return "HKEY_CURRENT_CONFIG";
        case reg_root::kDynData:
            return "HKEY_DYN_DATA";
        default:
            return {};
    }
}

std::optional<std::vector<std::string>> Entry(platform::RegKey root, std::string_view keyPath,
                                              std::string_view valueName, std::uint32_t type,
                                              std::span<const std::uint8_t> data,
                                              const platform::AnsiCodePage& codePage) {
    const std::string_view rootName = RootName(root);
    const std::u16string path = text::Utf8ToUtf16(keyPath);
    const std::u16string name = text::Utf8ToUtf16(valueName);
    if (rootName.empty() || HoldsLineBreakOrNul(path) || HoldsLineBreakOrNul(name)) {
        return std::nullopt;
    }

    std::u16string key = text::Utf8ToUtf16(rootName);
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = path.find(u'\\', start);
        if (end == std::u16string::npos) {
            end = path.size();
        }
        if (end > start) {
            key += u'\\';
            key.append(path, start, end - start);
        }
        start = end + 1;
    }

    std::vector<std::u16string> lines{u"[" + key + u"]"};
    std::u16string value = name.empty() ? u"@=" : u"\"" + Escape(name) + u"\"=";
    if (type == reg_type::kSz) {
        const auto quoted = QuotedString(data);
        if (!quoted) {
            return std::nullopt;
        }
        lines.push_back(value + *quoted);
    } else if (type == reg_type::kDword && data.size() == 4) {
        const std::uint32_t number = data[0] | (data[1] << 8) | (data[2] << 16) |
                                     (static_cast<std::uint32_t>(data[3]) << 24);
        lines.push_back(value + u"dword:" + Hex(number, 8));
    } else if (type == reg_type::kExpandSz || type == reg_type::kMultiSz) {
        const auto bytes = AnsiStringBytes(data, codePage);
        if (!bytes) {
            return std::nullopt;
        }
        const std::vector<std::uint8_t> raw(bytes->begin(), bytes->end());
        AppendHexLines(lines, value + u"hex(" + Hex(type, 1) + u"):", raw);
    } else {
        const std::u16string tag =
            type == reg_type::kBinary ? u"hex:" : u"hex(" + Hex(type, 1) + u"):";
        AppendHexLines(lines, value + tag, data);
    }
    lines.emplace_back();

    std::vector<std::string> out;
    out.reserve(lines.size());
    for (const std::u16string& line : lines) {
        std::optional<std::string> bytes = codePage.FromUtf16(line);
        if (!bytes) {
            return std::nullopt;
        }
        out.push_back(std::move(*bytes));
    }
    return out;
}

}  // namespace keldra::regedit4

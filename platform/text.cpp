#include "platform/text.h"

#include <algorithm>

namespace keldra::text {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

bool IsHighSurrogate(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    const std::size_t n = utf8.size();
    while (i < n) {
        const auto b0 = static_cast<unsigned char>(utf8[i]);
        std::size_t len = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (b0 < 0x80) {
            out.push_back(b0);
            ++i;
            continue;
        } else if ((b0 & 0xE0) == 0xC0) {
            len = 2;
            cp = b0 & 0x1F;
            min = 0x80;
        } else if ((b0 & 0xF0) == 0xE0) {
            len = 3;
            cp = b0 & 0x0F;
            min = 0x800;
        } else if ((b0 & 0xF8) == 0xF0) {
            len = 4;
            cp = b0 & 0x07;
            min = 0x10000;
        } else {
            out.push_back(static_cast<char16_t>(kReplacement));
            ++i;
            continue;
        }
        bool ok = i + len <= n;
        for (std::size_t k = 1; ok && k < len; ++k) {
            const auto b = static_cast<unsigned char>(utf8[i + k]);
            if ((b & 0xC0) != 0x80) {
                ok = false;
            } else {
                cp = (cp << 6) | (b & 0x3F);
            }
        }
        if (!ok || cp < min || cp > 0x10FFFF) {
            out.push_back(static_cast<char16_t>(kReplacement));
            ++i;
            continue;
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));  // unpaired surrogates included
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char16_t u = utf16[i];
        if (IsHighSurrogate(u) && i + 1 < utf16.size() && IsLowSurrogate(utf16[i + 1])) {
            const char32_t cp = 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) +
                                (static_cast<char32_t>(utf16[i + 1]) - 0xDC00);
            AppendUtf8(out, cp);
            ++i;
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

char16_t UpcaseUnit(char16_t u) {
    if (u < 0x80) {
        return (u >= u'a' && u <= u'z') ? static_cast<char16_t>(u - 0x20) : u;
    }
    if (u == 0xB5) {
        return 0x39C;  // micro sign
    }
    if ((u >= 0xE0 && u <= 0xFE && u != 0xF7)) {
        return static_cast<char16_t>(u - 0x20);
    }
    if (u == 0xFF) {
        return 0x178;
    }
    // Latin Extended-A: pairs, upper case first, with two runs offset by one.
    if (u >= 0x100 && u <= 0x17F) {
        const bool oddRun = (u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E);
        if (u == 0x131 || u == 0x138 || u == 0x149 || u == 0x17F) {
            return u;
        }
        if (oddRun) {
            return (u % 2 == 0) ? static_cast<char16_t>(u - 1) : u;
        }
        return (u % 2 == 1) ? static_cast<char16_t>(u - 1) : u;
    }
    if (u >= 0x3B1 && u <= 0x3CB && u != 0x3C2) {
        return static_cast<char16_t>(u - 0x20);  // Greek
    }
    if (u >= 0x430 && u <= 0x44F) {
        return static_cast<char16_t>(u - 0x20);  // Cyrillic
    }
    if (u >= 0x450 && u <= 0x45F) {
        return static_cast<char16_t>(u - 0x50);
    }
    return u;
}

char16_t DowncaseUnit(char16_t u) {
    if (u < 0x80) {
        return (u >= u'A' && u <= u'Z') ? static_cast<char16_t>(u + 0x20) : u;
    }
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) {
        return static_cast<char16_t>(u + 0x20);
    }
    if (u == 0x178) {
        return 0xFF;
    }
    if (u >= 0x100 && u <= 0x17F) {
        // Whatever upcases to itself and has a lower-case partner one unit on.
        const auto next = static_cast<char16_t>(u + 1);
        return (UpcaseUnit(u) == u && UpcaseUnit(next) == u) ? next : u;
    }
    if (u >= 0x391 && u <= 0x3AB && u != 0x3A2) {
        return static_cast<char16_t>(u + 0x20);
    }
    if (u >= 0x410 && u <= 0x42F) {
        return static_cast<char16_t>(u + 0x20);
    }
    if (u >= 0x400 && u <= 0x40F) {
        return static_cast<char16_t>(u + 0x50);
    }
    return u;
}

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
    // Lower case, as Wine's registry orders names: '_' comes before the letters.
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t x = DowncaseUnit(UpcaseUnit(a[i]));
        const char16_t y = DowncaseUnit(UpcaseUnit(b[i]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

std::u16string FromUtf16LeBytes(std::span<const std::uint8_t> bytes) {
    std::u16string out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        out.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    return out;
}

std::vector<std::uint8_t> ToUtf16LeBytes(std::u16string_view utf16) {
    std::vector<std::uint8_t> out;
    out.reserve(utf16.size() * 2);
    for (const char16_t u : utf16) {
        out.push_back(static_cast<std::uint8_t>(u & 0xFF));
        out.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return out;
}

}  // namespace keldra::text

#include "sysinfo/system_texts.h"

#include <array>

namespace keldra::sysinfo {

namespace {

std::string WithoutTrailingBlanks(std::string text) {
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

}  // namespace

std::string DriveTypeText(std::uint32_t code) {
    switch (code) {
        case 2:
            return "Removable drive";
        case 3:
            return "Fixed drive";
        case 4:
            return "dskNetwork drive";
        case 5:
            return "CD-ROM drive";
        case 6:
            return "RAM-disk";
        default:
            return {};
    }
}

std::string SerialNumberText(std::optional<std::uint32_t> serial) {
    if (!serial) {
        return "0000-0000";
    }
    static constexpr std::string_view kDigits = "0123456789ABCDEF";
    std::string hex(8, '0');
    std::uint32_t value = *serial;
    for (std::size_t i = 8; i-- > 0;) {
        hex[i] = kDigits[value & 0xF];
        value >>= 4;
    }
    return hex.substr(0, 4) + "-" + hex.substr(4);
}

std::string KeyboardTypeText(int code) {
    static const std::array<std::string_view, 7> kNames{"IBM PC/XT or compatible (83 key)",
                                                        "Olivetti \"ico\" (102 key)",
                                                        "IBM PC/AT or compatible (84 key)",
                                                        "IBM enhanced (101 or 102 key)",
                                                        "Nokia 1050 or compatible",
                                                        "Nokia 9140 or compatible",
                                                        "Japanese"};
    if (code < 1 || code > 7) {
        return {};
    }
    return std::string(kNames[static_cast<std::size_t>(code - 1)]);
}

std::string ProcessorText(std::uint32_t code, std::string current) {
    switch (code) {
        case 386:
            return "80386";
        case 486:
            return "80486";
        case 586:
            return "Intel Pentium";
        default:
            return current;
    }
}

std::string PlatformText(std::uint32_t platformId, int major, int minor, std::string current) {
    switch (platformId) {
        case 0:
            return "Windows " + std::to_string(major) + "." + std::to_string(minor);
        case 1:
            return "Windows 95";
        case 2:
            return "Windows NT";
        default:
            return current;
    }
}

std::string CutAtNull(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

std::string DirectoryText(std::string_view directory) {
    std::string text = NameText(directory);
    if (text.empty()) {
        return text;
    }
    if (text.back() != '\\') {
        text.push_back('\\');
    }
    return text;
}

std::string NameText(std::string_view name) {
    return WithoutTrailingBlanks(CutAtNull(name));
}

std::string PutPoints(std::int32_t lngNumber) {
    const std::string s = std::to_string(lngNumber);
    const std::size_t length = s.size();
    std::size_t groups = length / 3;
    if (length % 3 == 0) {
        --groups;
    }
    std::string tail;
    for (std::size_t i = 0; i < groups; ++i) {
        tail = "." + s.substr(length - (3 * i + 3), 3) + tail;
    }
    return s.substr(0, length - 3 * groups) + tail;
}

std::string GroupedNumber(std::uint64_t number, std::string_view separator) {
    if (number == 0) {
        return {};
    }
    const std::string digits = std::to_string(number);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0) {
            out += separator;
        }
        out.push_back(digits[i]);
    }
    return out;
}

std::uint64_t KilobytesRoundedEven(std::uint64_t bytes) {
    std::uint64_t kilobytes = bytes / 1024;
    const std::uint64_t rest = bytes % 1024;
    if (rest > 512 || (rest == 512 && kilobytes % 2 == 1)) {
        ++kilobytes;
    }
    return kilobytes;
}

std::string SpaceText(std::uint64_t totalBytes, std::uint64_t freeBytes,
                      std::string_view separator) {
    return GroupedNumber(totalBytes, separator) + " / " + GroupedNumber(freeBytes, separator);
}

}  // namespace keldra::sysinfo

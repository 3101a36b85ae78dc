#pragma once
// How the system-information class writes the platform's raw answers: drive types,
// serial numbers, keyboards, processors, Windows versions, directories and numbers.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace keldra::sysinfo {

// "Removable drive", "Fixed drive", "dskNetwork drive", "CD-ROM drive" or "RAM-disk" for
// the platform's drive-type codes 2 to 6; empty for any other code.
std::string DriveTypeText(std::uint32_t code);

// "1234-ABCD" for the serial number 0x1234ABCD; "0000-0000" when there is none. Shorter
// numbers are padded with zeros to eight hexadecimal digits.
std::string SerialNumberText(std::optional<std::uint32_t> serial);

// The keyboard named by its type code (1 to 7); empty for any other code.
std::string KeyboardTypeText(int code);

// "80386", "80486" or "Intel Pentium" for the processor type codes 386, 486 and 586;
// `current` (what the caller had) for any other code.
std::string ProcessorText(std::uint32_t code, std::string current);

// The Windows platform by its code: 0 "Windows <major>.<minor>", 1 "Windows 95",
// 2 "Windows NT"; `current` for any other code.
std::string PlatformText(std::uint32_t platformId, int major, int minor, std::string current);

// A directory as the class reports it: empty when unknown, otherwise cut at its first NUL
// and trailing blanks, with a final backslash.
std::string DirectoryText(std::string_view directory);

// A name as the class reports it: cut at its first NUL and trailing blanks.
std::string NameText(std::string_view name);

// The text before the first NUL character (the whole text without one).
std::string CutAtNull(std::string_view text);

// The decimal text with "." between groups of three digits counted from the right; the
// sign counts as a digit, so -123 gives "-.123".
std::string PutPoints(std::int32_t lngNumber);

// A whole number with its digits grouped in thousands by `separator`, and no text at all
// for 0 (a number pattern of "#" and "," only).
std::string GroupedNumber(std::uint64_t number, std::string_view separator);

// Kilobytes from bytes, rounded to the nearest whole number, a half to the even one.
std::uint64_t KilobytesRoundedEven(std::uint64_t bytes);

// "<total> / <free>", each grouped in thousands by `separator` and empty for 0.
std::string SpaceText(std::uint64_t totalBytes, std::uint64_t freeBytes,
                      std::string_view separator);

}  // namespace keldra::sysinfo

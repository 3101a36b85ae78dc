#pragma once
// Text at the platform boundary: the logic holds UTF-8, Windows speaks UTF-16.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace keldra::text {

// UTF-8 to UTF-16. Surrogate code points encoded as three bytes (as Utf16ToUtf8 writes
// them for unpaired surrogates) come back unchanged, so every name Windows can hold
// survives the round trip. Malformed bytes become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);

// UTF-16 to UTF-8; an unpaired surrogate is written as its own three-byte sequence
// instead of being replaced, because registry and file names may hold one.
std::string Utf16ToUtf8(std::u16string_view utf16);

// Upper case of one UTF-16 unit for the comparisons Windows makes without regard to case
// (registry names, file names). Covers Latin, Greek and Cyrillic; other units are unchanged.
char16_t UpcaseUnit(char16_t unit);

// Lower case of one UTF-16 unit, the inverse of UpcaseUnit for the letters it covers.
char16_t DowncaseUnit(char16_t unit);

// Orders two names the way the registry sorts them, without regard to case.
int CompareNoCase(std::u16string_view a, std::u16string_view b);

bool EqualNoCase(std::u16string_view a, std::u16string_view b);

// Decodes little-endian UTF-16 bytes as stored in the registry; a trailing odd byte is ignored.
std::u16string FromUtf16LeBytes(std::span<const std::uint8_t> bytes);

// Encodes UTF-16 as little-endian bytes, without a terminating NUL.
std::vector<std::uint8_t> ToUtf16LeBytes(std::u16string_view utf16);

}  // namespace keldra::text

#pragma once
// One registry value as an entry of a registry-editor file in the REGEDIT4 format, written
// so that importing the file ("regedit /S") gives the value back with its type and bytes. A
// value the format cannot carry exactly gets no entry at all.
//
// The registry editor reads a REGEDIT4 file as 8-bit text in the ANSI code page: quoted
// data is one line of it, and hex(2) and hex(7) data are its bytes, to which it adds a
// terminating NUL when they lack one. Long hex data is wrapped as the editor writes it:
// after each byte but the last comes a comma; once the line (counted from its first
// character, the name part included) has 77 characters or more, it ends with a backslash
// and the next line starts with two blanks. Continuation lines so carry 25 bytes.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_port.h"
#include "platform/text_file_port.h"

namespace keldra::regedit4 {

inline constexpr std::string_view kHeader = "REGEDIT4";
// A hex line is ended once it is this long.
inline constexpr std::size_t kWrapColumn = 77;

// The name the registry editor knows a root key by; empty for a root it does not import
// (HKEY_PERFORMANCE_DATA) and for anything that is no root.
std::string_view RootName(platform::RegKey root);

// The lines of one entry, as 8-bit text in `codePage` and without line ends: the key line,
// the value (one line, or several for long hex data), and an empty line. Empty key-path
// parts are left out of the key line, as the registry skips them. Nothing when importing
// the lines would not give back exactly this value under this key.
std::optional<std::vector<std::string>> Entry(platform::RegKey root, std::string_view keyPath,
                                              std::string_view valueName, std::uint32_t type,
                                              std::span<const std::uint8_t> data,
                                              const platform::AnsiCodePage& codePage);

}  // namespace keldra::regedit4

#pragma once
// Reading a registry-editor file in the REGEDIT4 format back into values, as the registry
// editor would import them: quoted data becomes REG_SZ text with its terminating NUL,
// "dword:" four bytes, "hex:" and "hex(n):" their bytes (with continuation lines ended by a
// backslash), where hex(2) and hex(7) bytes are 8-bit text that becomes UTF-16 with a
// terminating NUL added when it lacks one. The file is read strictly: a line the format
// does not allow, and every line that would delete something on import, makes the whole
// file unreadable, since a backup that is not understood must not be half applied.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/registry_port.h"
#include "platform/text_file_port.h"

namespace keldra::regedit4 {

struct ReadValue {
    platform::RegKey root = 0;
    std::string keyPath;  // below the root, UTF-8
    std::string name;     // empty for the default value
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    std::size_t line = 0;  // where the value begins, from 0
};

struct ReadComment {
    std::size_t line = 0;
    std::string text;  // UTF-8, the semicolon included
};

struct ReadFile {
    bool ok = false;
    // The first line that could not be read, from 0, when not ok.
    std::size_t badLine = 0;
    std::vector<ReadValue> values;
    std::vector<ReadComment> comments;
};

// Reads the lines of a file (without their line ends) in `codePage`.
ReadFile Read(std::span<const std::string> lines, const platform::AnsiCodePage& codePage);

}  // namespace keldra::regedit4

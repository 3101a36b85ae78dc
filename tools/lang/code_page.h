#pragma once
// The UTF-8 texts of the tables as the 8-bit text of a Windows code page.

#include <optional>
#include <string>
#include <string_view>

namespace keldra::lang {

// The text in `codePage` (for instance 1250, or CP_ACP for the system's ANSI code page);
// nothing when it is no valid UTF-8 or holds a character that code page cannot show, which
// Windows would otherwise turn into '?' or a look-alike.
std::optional<std::string> FromUtf8(std::string_view utf8, unsigned codePage);

}  // namespace keldra::lang

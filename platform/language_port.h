#pragma once
// The external language library "lang.dll" in the program folder.

#include <array>
#include <string>
#include <string_view>

namespace keldra::platform {

class LanguagePort {
  public:
    // 255 bytes of text and a terminating NUL, as the library's contract fixes.
    using Buffer = std::array<char, 256>;

    virtual ~LanguagePort() = default;
    // Calls GetValueForID(id, buffer, 0) of the library, loaded from the current directory
    // or the program folder. False when the library or the function is missing; the
    // buffer is then untouched.
    virtual bool GetValueForID(std::string_view id, Buffer& buffer) = 0;
    // The library's 8-bit text as UTF-16. The library writes in the system's ANSI code
    // page, which only the platform knows: a Cyrillic system's library writes Windows-1251.
    virtual std::u16string AnsiToUtf16(std::string_view ansi) const = 0;
};

}  // namespace keldra::platform

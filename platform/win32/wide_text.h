#pragma once
// UTF-8 to the wide text of the W functions and back, for the adapters.

#include <string>
#include <string_view>

#include "platform/text.h"

namespace keldra::platform::win32 {

inline std::wstring Wide(std::string_view utf8) {
    const std::u16string u16 = text::Utf8ToUtf16(utf8);
    return std::wstring(u16.begin(), u16.end());
}

inline std::string Narrow(std::wstring_view wide) {
    return text::Utf16ToUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

}  // namespace keldra::platform::win32

#include "app/mod_lang.h"

#include <algorithm>

#include "platform/text.h"

namespace keldra::app {

std::string GetLangText(const Ports& ports, std::string_view id) {
    ports.process.SetCurrentDirectory(ports.process.ProgramFolder());
    platform::LanguagePort::Buffer buffer{};
    ports.language.GetValueForID(id, buffer);
    // The text ends at the first NUL; 255 bytes without one are all text.
    const auto end = std::find(buffer.begin(), buffer.begin() + 255, '\0');
    // In the system's code page, as the library writes it, not in a fixed one.
    return text::Utf16ToUtf8(ports.language.AnsiToUtf16(
        std::string_view(buffer.data(), static_cast<std::size_t>(end - buffer.begin()))));
}

}  // namespace keldra::app

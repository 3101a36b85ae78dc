#include "tools/lang/code_page.h"

#include <windows.h>

#include <climits>

namespace keldra::lang {

std::optional<std::string> FromUtf8(std::string_view utf8, unsigned codePage) {
    if (utf8.empty()) {
        return std::string();
    }
    if (utf8.size() > INT_MAX) {
        return std::nullopt;
    }
    const int bytes = static_cast<int>(utf8.size());
    const int wideCount =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), bytes, nullptr, 0);
    if (wideCount <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(wideCount), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), bytes, wide.data(), wideCount);

    const UINT target = codePage == CP_ACP ? GetACP() : codePage;
    if (target == CP_UTF8) {
        // A system set to UTF-8 takes the text as it is (and refuses the flags below).
        return std::string(utf8);
    }
    BOOL usedDefault = FALSE;
    const int count = WideCharToMultiByte(target, WC_NO_BEST_FIT_CHARS, wide.data(), wideCount,
                                          nullptr, 0, nullptr, &usedDefault);
    if (count <= 0 || usedDefault) {
        return std::nullopt;
    }
    std::string out(static_cast<std::size_t>(count), '\0');
    WideCharToMultiByte(target, WC_NO_BEST_FIT_CHARS, wide.data(), wideCount, out.data(), count,
                        nullptr, &usedDefault);
    if (usedDefault) {
        return std::nullopt;
    }
    return out;
}

}  // namespace keldra::lang

#pragma once
// One text of lang.dll: the caption identifier the program asks for and its text.

#include <string_view>

namespace keldra::lang {

struct Entry {
    std::string_view id;
    std::string_view text;
};

}  // namespace keldra::lang

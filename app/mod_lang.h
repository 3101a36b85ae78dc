#pragma once
// Every text the user sees comes from the language library by caption identifier, looked
// up each time it is set.

#include <string>
#include <string_view>

#include "app/program.h"

namespace keldra::app {

// The text for `id`; empty when the library is missing or has no text for it. Leaves the
// current directory at the program folder, where the library is looked for.
std::string GetLangText(const Ports& ports, std::string_view id);

}  // namespace keldra::app

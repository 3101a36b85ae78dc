#pragma once
// The switches of the command line that do something else than a pass: the list of the
// switches ("-?", "/?", "-help") and undoing the latest repair ("-restore"). Each is a word
// of its own, in any letter case; every other command line starts the program as always
// ("auto" anywhere being a start at logon).

#include <functional>
#include <string>
#include <string_view>

#include "registry/restore.h"

namespace keldra::app {

enum class StartSwitch { None, Usage, Restore };

// The list of the switches wins over "-restore" when both are given.
StartSwitch StartSwitchOf(std::string_view arguments);

using TextLookup = std::function<std::string(std::string_view id)>;

// The message that lists the switches.
std::string UsageText(const TextLookup& text);

// The message that tells what undoing the latest repair did. Long lists are cut after
// kShownValues names, with the number of the others.
inline constexpr std::size_t kShownValues = 12;
std::string RestoreText(const registry::RestoreOutcome& outcome, const TextLookup& text);

}  // namespace keldra::app

#pragma once
// The stored "LastRun" text. It is written in one fixed form that no regional setting
// changes; the form older versions wrote, the user's short date and long time, is still
// read, so that an existing schedule keeps counting from its last pass.

#include <optional>
#include <string>
#include <string_view>

#include "platform/process_port.h"

namespace keldra::schedule {

// "YYYY-MM-DD hh:mm:ss".
std::string FormatLastRun(const platform::DateTime& when);

// The stored text as a date-time: the fixed form first, then the user's short date
// followed by a blank and the long time (or the short date alone, as older versions wrote
// a time of midnight). Nothing when neither fits or the date does not exist.
std::optional<platform::DateTime> ParseLastRun(std::string_view text,
                                               const platform::DateFormats& user);

// Text in one Windows format picture ("dd.MM.yyyy", "h:mm:ss tt") read into the fields
// the picture has; the others stay as `into` holds them. False when the text does not
// follow the picture to its end. Month and day names and eras are not read.
bool ParsePicture(std::string_view text, std::string_view picture,
                  const platform::DateFormats& user, platform::DateTime& into);

}  // namespace keldra::schedule

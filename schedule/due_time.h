#pragma once
// When the scheduled pass is due: the calendar-day count since the last pass, the test by
// frequency, the delay to today's start minute and the countdown text.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/process_port.h"
#include "schedule/mod_amaintvars.h"

namespace keldra::schedule {

// Calendar days from the date of `from` to the date of `to`; the times of day do not
// count, so 23:59 yesterday to 00:01 today is 1. Negative when `from` is later.
long long CalendarDays(const platform::DateTime& from, const platform::DateTime& to);

// Whether a pass is due today: switched on, and daily, or every three days with more than
// two calendar days since the last pass, or weekly with more than six.
bool IsDue(const modAMaintvars& schedule, const platform::DateTime& now);

// Milliseconds from now to the start minute today, at the same second of that minute as
// now. Negative once the start minute has passed; nothing when the stored start is so far
// off that the delay does not fit a 32-bit count, which counts as no start today.
std::optional<std::int32_t> StartDelay(const modAMaintvars& schedule,
                                       const platform::DateTime& now);

// The countdown to the start, hours and started minutes, in the words of the language
// library: "OCM_SMC" hours "OCM_SMH" minutes "OCM_SMM".
std::string CountdownText(const std::function<std::string(std::string_view)>& GetLangText,
                          const modAMaintvars& schedule, const platform::DateTime& now);

}  // namespace keldra::schedule

#include "schedule/due_time.h"

#include <chrono>
#include <limits>

namespace keldra::schedule {

using platform::DateTime;

namespace {

std::chrono::sys_days Day(const DateTime& when) {
    return std::chrono::year{when.year} / when.month / when.day;
}

}  // namespace

long long CalendarDays(const DateTime& from, const DateTime& to) {
    return (Day(to) - Day(from)).count();
}

bool IsDue(const modAMaintvars& schedule, const DateTime& now) {
    if (!schedule.AMaintOn) {
        return false;
    }
    const long long days = CalendarDays(schedule.AMaintLastRun, now);
    switch (schedule.AMaintType) {
        case amaint_type::kDaily:
            return true;
        case amaint_type::kEveryThreeDays:
            return days > 2;
        case amaint_type::kWeekly:
            return days > 6;
        default:
            return false;
    }
}

std::optional<std::int32_t> StartDelay(const modAMaintvars& schedule, const DateTime& now) {
    const long long delay = (static_cast<long long>(schedule.AMaintHour) - now.hour) * 3'600'000 +
                            (static_cast<long long>(schedule.AMaintMin) - now.minute) * 60'000;
    if (delay < std::numeric_limits<std::int32_t>::min() ||
        delay > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(delay);
}

std::string CountdownText(const std::function<std::string(std::string_view)>& GetLangText,
                          const modAMaintvars& schedule, const DateTime& now) {
    const int hours = schedule.AMaintHour - now.hour;
    const int minutes = schedule.AMaintMin - now.minute;
    // The started minute counts as a whole one.
    const int shownHours = minutes >= 0 ? hours : hours - 1;
    const int shownMinutes = minutes >= 0 ? minutes + 1 : minutes + 61;
    return GetLangText("OCM_SMC") + std::to_string(shownHours) + GetLangText("OCM_SMH") +
           std::to_string(shownMinutes) + GetLangText("OCM_SMM");
}

}  // namespace keldra::schedule

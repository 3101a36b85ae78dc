#include "schedule/due_time.h"

#include <limits>

namespace keldra::schedule {

using platform::DateTime;

namespace {

// Days since 1970-01-01 of a civil date (Howard Hinnant's algorithm).
long long DayNumber(int y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153LL * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

}  // namespace

long long CalendarDays(const DateTime& from, const DateTime& to) {
    return DayNumber(to.year, to.month, to.day) - DayNumber(from.year, from.month, from.day);
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

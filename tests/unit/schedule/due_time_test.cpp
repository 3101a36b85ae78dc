// When the scheduled pass is due, how long until it starts, and the countdown.
#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <string>

#include "schedule/due_time.h"

namespace keldra::schedule {
namespace {

using platform::DateTime;

modAMaintvars Schedule(std::int16_t type, const DateTime& lastRun, bool on = true) {
    modAMaintvars s;
    s.AMaintType = type;
    s.AMaintOn = on;
    s.AMaintLastRun = lastRun;
    return s;
}

TEST(DueTime, CalendarDaysCountDateBoundariesNotHours) {
    EXPECT_EQ(CalendarDays({2026, 3, 6, 23, 59, 0}, {2026, 3, 7, 0, 1, 0}), 1);
    EXPECT_EQ(CalendarDays({2026, 3, 7, 0, 0, 0}, {2026, 3, 7, 23, 59, 59}), 0);
    EXPECT_EQ(CalendarDays({2026, 2, 27, 12, 0, 0}, {2026, 3, 2, 12, 0, 0}), 3);
    EXPECT_EQ(CalendarDays({2024, 2, 27, 12, 0, 0}, {2024, 3, 2, 12, 0, 0}), 4) << "leap year";
    EXPECT_EQ(CalendarDays({2026, 12, 30, 8, 0, 0}, {2027, 1, 6, 8, 0, 0}), 7);
    EXPECT_EQ(CalendarDays({2026, 3, 9, 8, 0, 0}, {2026, 3, 7, 8, 0, 0}), -2);
}

TEST(DueTime, EachFrequencyFallsDueAfterItsCalendarDays) {
    const DateTime now{2026, 3, 10, 0, 30, 0};
    // Every three days: two calendar days back is not due, three is, though less than 72
    // hours have passed.
    EXPECT_FALSE(IsDue(Schedule(1, {2026, 3, 8, 0, 0, 0}), now));
    EXPECT_TRUE(IsDue(Schedule(1, {2026, 3, 7, 23, 59, 0}), now));
    EXPECT_FALSE(IsDue(Schedule(2, {2026, 3, 4, 0, 0, 0}), now)) << "weekly, six days";
    EXPECT_TRUE(IsDue(Schedule(2, {2026, 3, 3, 23, 0, 0}), now)) << "weekly, seven days";
    EXPECT_TRUE(IsDue(Schedule(0, now), now)) << "daily, run today";

    // A last run in the future: only the daily schedule is due.
    const DateTime future{2026, 3, 20, 0, 0, 0};
    EXPECT_TRUE(IsDue(Schedule(0, future), now));
    EXPECT_FALSE(IsDue(Schedule(1, future), now));
    EXPECT_FALSE(IsDue(Schedule(2, future), now));

    // Switched off, or a frequency the list does not have: never.
    for (std::int16_t type : {0, 1, 2}) {
        EXPECT_FALSE(IsDue(Schedule(type, {2020, 1, 1, 0, 0, 0}, false), now)) << type;
    }
    for (std::int16_t type : {-1, 3, 100}) {
        EXPECT_FALSE(IsDue(Schedule(type, {2020, 1, 1, 0, 0, 0}), now)) << type;
    }
}

TEST(DueTime, TheDelayIgnoresTheSecondsOfTheCurrentMinute) {
    modAMaintvars s = Schedule(0, {});
    s.AMaintHour = 9;
    s.AMaintMin = 30;
    EXPECT_EQ(StartDelay(s, {2026, 3, 7, 9, 10, 45}), 1'200'000);
    EXPECT_EQ(StartDelay(s, {2026, 3, 7, 9, 30, 50}), 0);
    EXPECT_EQ(StartDelay(s, {2026, 3, 7, 9, 31, 0}), -60'000);
    s.AMaintHour = 8;
    s.AMaintMin = 15;
    EXPECT_EQ(StartDelay(s, {2026, 3, 7, 6, 40, 0}), 5'700'000);
    // Hours a tampered store may hold: beyond a 32-bit count there is no start today.
    s.AMaintHour = 32767;
    EXPECT_EQ(StartDelay(s, {2026, 3, 7, 0, 0, 0}), std::nullopt);
    s.AMaintHour = 596;
    s.AMaintMin = 0;
    EXPECT_EQ(StartDelay(s, {2026, 3, 7, 0, 0, 0}), 596 * 3'600'000);
}

TEST(DueTime, CountdownCountsTheStartedMinuteAsAWholeOne) {
    const std::map<std::string, std::string, std::less<>> texts{
        {"OCM_SMC", "Starts in "}, {"OCM_SMH", " h "}, {"OCM_SMM", " min"}};
    const auto lookup = [&](std::string_view id) { return texts.find(id)->second; };
    modAMaintvars s = Schedule(0, {});
    s.AMaintHour = 9;
    s.AMaintMin = 30;
    EXPECT_EQ(CountdownText(lookup, s, {2026, 3, 7, 9, 10, 45}), "Starts in 0 h 21 min");
    EXPECT_EQ(CountdownText(lookup, s, {2026, 3, 7, 8, 10, 0}), "Starts in 1 h 21 min");
    EXPECT_EQ(CountdownText(lookup, s, {2026, 3, 7, 9, 30, 5}), "Starts in 0 h 1 min");
    s.AMaintHour = 8;
    s.AMaintMin = 15;
    EXPECT_EQ(CountdownText(lookup, s, {2026, 3, 7, 6, 40, 0}), "Starts in 1 h 36 min");
    // Without the language library only the numbers are left.
    EXPECT_EQ(
        CountdownText([](std::string_view) { return std::string(); }, s, {2026, 3, 7, 6, 40, 0}),
        "136");
}

}  // namespace
}  // namespace keldra::schedule

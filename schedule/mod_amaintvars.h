#pragma once
// The program-wide copy of the stored schedule. Only the scheduler window loads and saves
// it; the main window's due-time check, scheduled start and countdown read it.

#include <cstdint>

#include "platform/process_port.h"

namespace keldra::schedule {

// How often the scheduled pass runs: the list position of the choice.
namespace amaint_type {
inline constexpr std::int16_t kDaily = 0;
inline constexpr std::int16_t kEveryThreeDays = 1;
inline constexpr std::int16_t kWeekly = 2;
}  // namespace amaint_type

struct modAMaintvars {
    // 0 daily, 1 every three days, 2 weekly; any other value makes no pass due.
    std::int16_t AMaintType = amaint_type::kDaily;
    std::int16_t AMaintHour = 0;
    std::int16_t AMaintMin = 0;
    bool AMaintOn = false;
    // When the schedule was last saved: the last scheduled pass or the last change.
    platform::DateTime AMaintLastRun;
};

}  // namespace keldra::schedule

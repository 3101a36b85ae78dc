// The simulated event loop the window tests stand on: timers against the manual clock,
// waiting that jumps to the next event, and scripted events.
#include <gtest/gtest.h>

#include "platform/sim/sim_machine.h"

namespace keldra::platform::sim {
namespace {

TEST(SimUi, ScriptedAndPostedEventsRunInOrder) {
    SimPlatform sim;
    std::string seen;
    sim.ui.AtDoEvents(2, [&] { seen += "scripted "; });
    sim.ui.Post([&] {
        seen += "posted ";
        sim.ui.Post([&] { seen += "later "; });  // waits for the next round
    });
    sim.ui.DoEvents();
    EXPECT_EQ(seen, "posted ");
    sim.ui.WaitForEvent(5000);
    EXPECT_EQ(sim.ui.WaitedMilliseconds(), 0u) << "an event is pending";
    sim.ui.DoEvents();
    EXPECT_EQ(seen, "posted later scripted ") << "first queued, first run";
}

TEST(SimUi, TheClockCarriesTheDateAcrossMidnightAndMonths) {
    SimClock clock;
    clock.SetNow({2026, 12, 31, 23, 59, 30});
    clock.Advance(45'000);
    EXPECT_EQ(clock.Now(), (DateTime{2027, 1, 1, 0, 0, 15}));
    clock.SetNow({2028, 2, 28, 12, 0, 0});
    clock.Advance(86'400'000);
    EXPECT_EQ(clock.Now(), (DateTime{2028, 2, 29, 12, 0, 0}));
}

}  // namespace
}  // namespace keldra::platform::sim

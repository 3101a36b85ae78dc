// The window-port contract for windows: activation, state changes, closing, timers and
// the keyboard, the same on the simulated machine and on the real one under Wine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contract/ui_fixture.h"

namespace keldra::testing {
namespace {

class UiWindowContract : public UiFixture {};

TEST_P(UiWindowContract, ShowActivatesAfterwardsOnceAndAnAlreadyActiveWindowIsNotActivatedAgain) {
    auto first = NewWindow("frmFirst");
    int firstActivations = 0;
    first->OnActivate = [&] { ++firstActivations; };
    first->Show();
    EXPECT_TRUE(first->Visible());
    EXPECT_EQ(firstActivations, 0) << "not while the window is still activating";
    user().Settle();
    EXPECT_EQ(firstActivations, 1);
    user().Let(200);
    EXPECT_EQ(firstActivations, 1) << "once per activation";

    // Shown again while it is the active window: nothing new happened to it.
    first->Show();
    user().Let(200);
    EXPECT_EQ(firstActivations, 1);

    // Another of the program's windows, then back: each is a new activation.
    auto second = NewWindow("frmSecond");
    int secondActivations = 0;
    second->OnActivate = [&] { ++secondActivations; };
    second->Show();
    user().Settle();
    EXPECT_EQ(secondActivations, 1);
    first->Show();
    user().Settle();
    EXPECT_EQ(firstActivations, 2);

    // Hiding the active window hands the activation to the one active before it, for
    // which it is new; shown again, the hidden one is new again too.
    first->Hide();
    EXPECT_FALSE(first->Visible());
    user().Settle();
    EXPECT_EQ(secondActivations, 2);
    first->Show();
    user().Settle();
    EXPECT_EQ(firstActivations, 3);
    // Hidden before its activation was handled: it raises nothing, and the activation
    // comes back to the first.
    second->Show();
    second->Hide();
    user().Settle();
    EXPECT_EQ(secondActivations, 2);
    EXPECT_EQ(firstActivations, 4);
}

TEST_P(UiWindowContract, OnResizeComesWithAChangeOfStateOnlyAndAHiddenWindowStaysHidden) {
    int resized = 0;
    ui::WindowState seen = ui::WindowState::Normal;
    window_->OnResize = [&] {
        ++resized;
        seen = window_->State();
    };
    window_->SetState(ui::WindowState::Normal);
    user().Settle();
    EXPECT_EQ(resized, 0) << "already normal";
    window_->SetState(ui::WindowState::Minimized);
    user().Settle();
    EXPECT_EQ(resized, 1);
    EXPECT_EQ(seen, ui::WindowState::Minimized);
    EXPECT_EQ(window_->State(), ui::WindowState::Minimized);
    window_->SetState(ui::WindowState::Minimized);
    user().Settle();
    EXPECT_EQ(resized, 1) << "already minimised";
    window_->SetState(ui::WindowState::Normal);
    user().Settle();
    EXPECT_EQ(resized, 2);
    EXPECT_EQ(seen, ui::WindowState::Normal);

    // Minimised, then hidden (to the tray), then brought back.
    window_->SetState(ui::WindowState::Minimized);
    window_->Hide();
    user().Settle();
    const int hiddenAt = resized;
    EXPECT_EQ(window_->State(), ui::WindowState::Minimized) << "hiding does not restore";
    window_->SetState(ui::WindowState::Normal);
    user().Settle();
    EXPECT_FALSE(window_->Visible());
    EXPECT_EQ(window_->State(), ui::WindowState::Normal);
    EXPECT_EQ(resized, hiddenAt) << "nothing changes on the screen while it is hidden";
    window_->Show();
    user().Settle();
    EXPECT_EQ(window_->State(), ui::WindowState::Normal);
    EXPECT_EQ(seen, ui::WindowState::Normal);

    auto hidden = NewWindow("frmHidden");
    hidden->SetState(ui::WindowState::Minimized);
    EXPECT_FALSE(hidden->Visible()) << "minimising showed a hidden window";
    EXPECT_EQ(hidden->State(), ui::WindowState::Minimized);
    hidden->Show();
    user().Settle();
    EXPECT_EQ(hidden->State(), ui::WindowState::Minimized);
}

TEST_P(UiWindowContract, UnloadAndTheCloseBoxAskOnUnloadAndUnloadUnlessCancelled) {
    auto& label = Add(ControlKind::Label, "lbl", {0, 0, 1500, 300}, "x");
    int asked = 0;
    int answer = 1;
    window_->OnUnload = [&](int& cancel) {
        ++asked;
        cancel = answer;
    };
    window_->Unload();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(window_->Loaded());
    user().CloseBox(*window_);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(window_->Loaded());
    EXPECT_TRUE(window_->Visible());

    answer = 0;
    user().CloseBox(*window_);
    EXPECT_EQ(asked, 3);
    EXPECT_FALSE(window_->Loaded());
    EXPECT_FALSE(window_->Visible());
    static_cast<void>(label);

    auto other = NewWindow("frmOther");
    other->Unload();
    EXPECT_FALSE(other->Loaded()) << "without a handler nothing cancels";
}

TEST_P(UiWindowContract, TimerTicksWhileEnabledAndNeverReentersItsHandler) {
    auto& timer = window_->AddTimer("tmr");
    EXPECT_FALSE(timer.Enabled()) << "a new timer is off";
    EXPECT_EQ(timer.Interval(), 0u);
    int ticks = 0;
    int depth = 0;
    int deepest = 0;
    timer.OnTimer = [&] {
        ++ticks;
        deepest = std::max(deepest, ++depth);
        if (ticks == 2) {
            // A long handler that keeps the program responsive: its own ticks wait.
            user().Let(300);
        }
        --depth;
    };
    timer.SetInterval(50);
    user().Let(200);
    EXPECT_EQ(ticks, 0) << "still disabled";
    timer.SetEnabled(true);
    user().Let(1000);
    EXPECT_GE(ticks, 4);
    EXPECT_EQ(deepest, 1);

    timer.SetEnabled(false);
    user().Settle();
    const int stopped = ticks;
    user().Let(300);
    EXPECT_EQ(ticks, stopped) << "no ticks while disabled";
    timer.SetEnabled(true);
    timer.SetInterval(0);
    user().Let(300);
    EXPECT_EQ(ticks, stopped) << "no ticks with interval 0";
    timer.SetInterval(50);
    user().Let(500);
    EXPECT_GT(ticks, stopped);
}

TEST_P(UiWindowContract, TheKeyboardMovesTheFocusPressesTheDefaultAndCancels) {
    auto& link = Add(ControlKind::Label, "lnk", {0, 0, 1500, 300}, "3 found");
    Add(ControlKind::Label, "pln", {0, 300, 1500, 300}, "plain");
    auto& box = Add(ControlKind::CheckBox, "chk", {0, 600, 1500, 300}, "b");
    auto& other = Add(ControlKind::Button, "oth", {0, 900, 1400, 375}, "O");
    auto& fix = Add(ControlKind::Button, "fix", {1500, 900, 1400, 375}, "F");
    link.SetFocusable(true);
    int linkClicks = 0;
    int otherClicks = 0;
    int fixClicks = 0;
    int cancels = 0;
    link.OnClick = [&] { ++linkClicks; };
    other.OnClick = [&] { ++otherClicks; };
    fix.OnClick = [&] { ++fixClicks; };
    window_->OnCancel = [&] { ++cancels; };
    window_->SetDefaultButton(&fix);

    user().Press(*window_, UserKey::Tab);
    EXPECT_TRUE(user().HasFocus(*window_, link));
    user().Press(*window_, UserKey::Tab);
    EXPECT_TRUE(user().HasFocus(*window_, box)) << "a plain label is no stop";
    user().Press(*window_, UserKey::Tab);
    user().Press(*window_, UserKey::Tab);
    EXPECT_TRUE(user().HasFocus(*window_, fix));
    user().Press(*window_, UserKey::Tab);
    EXPECT_TRUE(user().HasFocus(*window_, link)) << "round to the first again";
    user().Press(*window_, UserKey::ShiftTab);
    EXPECT_TRUE(user().HasFocus(*window_, fix)) << "and back";
    user().Press(*window_, UserKey::Tab);

    user().Press(*window_, UserKey::Enter);
    user().Press(*window_, UserKey::Space);
    EXPECT_EQ(linkClicks, 2) << "Enter and Space follow the link";
    EXPECT_EQ(fixClicks, 0);
    user().Press(*window_, UserKey::Tab);
    user().Press(*window_, UserKey::Space);
    EXPECT_EQ(box.Value(), ui::kChecked);
    user().Press(*window_, UserKey::Enter);
    EXPECT_EQ(fixClicks, 1) << "Enter elsewhere presses the default button";
    user().Press(*window_, UserKey::Tab);
    user().Press(*window_, UserKey::Enter);
    EXPECT_EQ(otherClicks, 1) << "Enter on a button presses that one";
    EXPECT_EQ(fixClicks, 1);

    fix.SetEnabled(false);
    user().Press(*window_, UserKey::ShiftTab);
    EXPECT_TRUE(user().HasFocus(*window_, box));
    user().Press(*window_, UserKey::Enter);
    EXPECT_EQ(fixClicks, 1) << "a disabled default takes no Enter";
    link.SetEnabled(false);
    user().Press(*window_, UserKey::ShiftTab);
    user().Press(*window_, UserKey::ShiftTab);
    EXPECT_FALSE(user().HasFocus(*window_, link)) << "a disabled link is no stop";
    user().Press(*window_, UserKey::Escape);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(linkClicks, 2);
}

INSTANTIATE_TEST_SUITE_P(Backends, UiWindowContract, ::testing::ValuesIn(UiBackends()),
                         [](const auto& param) { return param.param.name; });

}  // namespace
}  // namespace keldra::testing

// The simulated machine's windows and its event loop: activation, modal windows, the
// keyboard's focus and default button, and the events a test scripts.
#include <algorithm>

#include "platform/scope_exit.h"
#include "platform/sim/sim_machine.h"

namespace keldra::platform::sim {

SimWindow::~SimWindow() {
    ui_.Forget(this);
}

ui::Control& SimWindow::AddControl(ui::ControlKind kind, std::string_view name,
                                   const ui::Twips& position, std::string_view text,
                                   const ui::Font& font) {
    auto control =
        std::make_unique<SimControl>(kind, std::string(name), position, std::string(text), font);
    control->playableClips = &ui_.playableClips;
    controls_.push_back(std::move(control));
    tabOrder_.push_back({controls_.back().get(), nullptr});
    return *controls_.back();
}

ui::Control& SimWindow::AddControlIn(ui::Control& frame, ui::ControlKind kind,
                                     std::string_view name, const ui::Twips& position,
                                     std::string_view text, const ui::Font& font) {
    const auto found = std::find_if(controls_.begin(), controls_.end(),
                                    [&frame](const auto& c) { return c.get() == &frame; });
    if (found == controls_.end() || frame.Kind() != ui::ControlKind::Frame) {
        throw std::invalid_argument("AddControlIn: not a frame of " + name_);
    }
    auto control = std::make_unique<SimControl>(kind, std::string(name), position,
                                                std::string(text), font, found->get());
    control->playableClips = &ui_.playableClips;
    controls_.push_back(std::move(control));
    tabOrder_.push_back({controls_.back().get(), nullptr});
    return *controls_.back();
}

ui::ListView& SimWindow::AddListView(std::string_view name, const ui::Twips& position,
                                     const ui::Font& font) {
    lists_.push_back(std::make_unique<SimListView>(std::string(name), position, font));
    tabOrder_.push_back({nullptr, lists_.back().get()});
    return *lists_.back();
}

ui::Timer& SimWindow::AddTimer(std::string_view name) {
    timers_.emplace_back(std::string(name), std::make_unique<SimTimer>(ui_.clock_));
    return *timers_.back().second;
}

void SimWindow::SetClientSize(int widthTwips, int heightTwips) {
    // A caption bar and a thin frame, as a fixed single-border window has.
    bounds_.width = widthTwips + 2 * 45;
    bounds_.height = heightTwips + 2 * 45 + 330;
}

void SimWindow::MoveTo(int leftTwips, int topTwips) {
    bounds_.left = leftTwips;
    bounds_.top = topTwips;
}

void SimWindow::SetIcons(std::string_view resourceName, bool alsoOwner) {
    icons_ = std::string(resourceName) + (alsoOwner ? " (with owner)" : "");
}

void SimWindow::Show() {
    const bool wasVisible = visible_;
    visible_ = true;
    ++showCount_;
    if (!wasVisible && state_ != shownState_) {
        // The state set while hidden reaches the screen now.
        shownState_ = state_;
        if (OnResize) {
            OnResize();
        }
    }
    if (ui_.active_ == this && wasVisible) {
        return;  // already the active window: nothing new happened to it
    }
    ui_.Activate(this);
}

void SimUi::Activate(SimWindow* window) {
    active_ = window;
    activated_.erase(std::remove(activated_.begin(), activated_.end(), window), activated_.end());
    activated_.push_back(window);
    // Activation completes first; the handler runs from the event loop.
    Post([this, window] {
        const bool alive = std::find(windows_.begin(), windows_.end(), window) != windows_.end();
        if (alive && window->loaded_ && window->visible_ && window->OnActivate) {
            window->OnActivate();
        }
    });
}

void SimUi::Deactivate(SimWindow* window) {
    if (active_ != window) {
        return;
    }
    active_ = nullptr;
    // As Windows does, the activation goes to the program's window that had it last
    // among those still shown: for that window it is a new activation.
    for (auto it = activated_.rbegin(); it != activated_.rend(); ++it) {
        SimWindow* other = *it;
        if (other != window && other->visible_ && other->loaded_ &&
            other->state_ != ui::WindowState::Minimized) {
            Activate(other);
            return;
        }
    }
}

void SimWindow::ShowModal() {
    visible_ = true;
    {
        const FlagWhile modal(modal_);
        ++showCount_;
        // Active while it is shown; closing it gives the activation back.
        ui_.active_ = this;
        ui_.activated_.push_back(this);
        if (ui_.onModal) {
            ui_.onModal(*this);
        }
        if (loaded_ && visible_) {
            Unload();  // the user closes it
        }
    }
    if (visible_) {
        Hide();
    }
}

void SimWindow::SetState(ui::WindowState state) {
    if (state == state_) {
        return;
    }
    state_ = state;
    // A hidden window changes on the screen only when it is shown again.
    if (!visible_) {
        return;
    }
    shownState_ = state;
    if (OnResize) {
        OnResize();
    }
}

void SimWindow::Hide() {
    visible_ = false;
    ui_.Deactivate(this);
}

void SimWindow::Unload() {
    int cancel = 0;
    if (OnUnload) {
        OnUnload(cancel);
    }
    if (cancel == 0) {
        loaded_ = false;
        Hide();
    }
}

bool SimWindow::TabEntry::TakesFocus() const {
    return control != nullptr ? control->TakesFocus() : list->Visible();
}

std::string SimWindow::TabEntry::Name() const {
    return control != nullptr ? control->Name() : list->Name();
}

void SimWindow::SetDefaultButton(ui::Control* button) {
    defaultButton_ = nullptr;
    for (auto& c : controls_) {
        if (c.get() == button && c->Kind() == ui::ControlKind::Button) {
            defaultButton_ = c.get();
        }
    }
}

std::string SimWindow::FocusedName() const {
    return focus_ ? tabOrder_[*focus_].Name() : std::string();
}

void SimWindow::MoveFocus(bool forward) {
    const std::size_t count = tabOrder_.size();
    // From the window itself, Tab starts at the first control and Shift+Tab at the last.
    std::size_t at = focus_ ? *focus_ : (forward ? count - 1 : 0);
    for (std::size_t step = 0; step < count; ++step) {
        at = forward ? (at + 1) % count : (at + count - 1) % count;
        if (tabOrder_[at].TakesFocus()) {
            focus_ = at;
            return;
        }
    }
}

void SimWindow::Press(SimKey key) {
    if (!loaded_ || !visible_ || tabOrder_.empty()) {
        return;
    }
    SimControl* focused = focus_ ? tabOrder_[*focus_].control : nullptr;
    if (focused != nullptr && !focused->TakesInput()) {
        focused = nullptr;  // a control that lost its input keeps the place, not the keys
    }
    const bool link = focused != nullptr && focused->Kind() == ui::ControlKind::Label;
    switch (key) {
        case SimKey::Tab:
        case SimKey::ShiftTab:
            MoveFocus(key == SimKey::Tab);
            return;
        case SimKey::Space:
            if (focus_ && tabOrder_[*focus_].list != nullptr) {
                tabOrder_[*focus_].list->PressSpace();
                return;
            }
            if (focused != nullptr && (link || focused->Kind() == ui::ControlKind::Button ||
                                       focused->Kind() == ui::ControlKind::CheckBox)) {
                focused->Click();
            }
            return;
        case SimKey::Enter: {
            SimControl* target =
                focused != nullptr && (link || focused->Kind() == ui::ControlKind::Button)
                    ? focused
                    : defaultButton_;
            if (target != nullptr) {
                target->Click();
            }
            return;
        }
        case SimKey::Escape: {
            const auto handler = OnCancel;  // a copy: the handler may unload the window
            if (handler) {
                handler();
            }
            return;
        }
    }
}

SimControl& SimWindow::Get(std::string_view name) {
    for (auto& c : controls_) {
        if (c->Name() == name) {
            return *c;
        }
    }
    throw std::out_of_range("no control " + std::string(name) + " on " + name_);
}

SimListView& SimWindow::GetList(std::string_view name) {
    for (auto& l : lists_) {
        if (l->Name() == name) {
            return *l;
        }
    }
    throw std::out_of_range("no list view " + std::string(name) + " on " + name_);
}

SimTimer& SimWindow::GetTimer(std::string_view name) {
    for (auto& [n, t] : timers_) {
        if (n == name) {
            return *t;
        }
    }
    throw std::out_of_range("no timer " + std::string(name) + " on " + name_);
}

std::unique_ptr<ui::Window> SimUi::NewWindow(std::string_view name, const ui::Font&) {
    auto window = std::make_unique<SimWindow>(*this, std::string(name));
    Register(window.get());
    return window;
}

void SimUi::Forget(SimWindow* window) {
    windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
    if (active_ == window) {
        active_ = nullptr;
    }
    activated_.erase(std::remove(activated_.begin(), activated_.end(), window), activated_.end());
}

SimWindow& SimUi::Find(std::string_view name) {
    for (SimWindow* w : windows_) {
        if (w->Name() == name) {
            return *w;
        }
    }
    throw std::out_of_range("no window " + std::string(name));
}

bool SimUi::Exists(std::string_view name) const {
    return std::any_of(windows_.begin(), windows_.end(),
                       [name](const SimWindow* w) { return w->Name() == name; });
}

void SimUi::AtDoEvents(int call, std::function<void()> action) {
    scripted_.emplace(call, std::move(action));
}

std::optional<std::uint32_t> SimUi::NextTimerDue() const {
    std::optional<std::uint32_t> next;
    for (const SimWindow* w : windows_) {
        w->ForEachTimer([&](const SimTimer& t) {
            if (const auto due = t.Due(); due && (!next || *due < *next)) {
                next = due;
            }
        });
    }
    return next;
}

void SimUi::RunDueTimers() {
    std::vector<SimTimer*> due;
    for (SimWindow* w : windows_) {
        w->ForEachTimer([&](SimTimer& t) {
            if (const auto d = t.Due(); d && static_cast<std::int32_t>(clock_.Ticks() - *d) >= 0) {
                due.push_back(&t);
            }
        });
    }
    for (SimTimer* t : due) {
        t->Tick();
    }
}

void SimUi::DoEvents() {
    ++doEventsCalls_;
    if (onDoEvents) {
        onDoEvents();
    }
    const auto [first, last] = scripted_.equal_range(doEventsCalls_);
    std::vector<std::function<void()>> actions;
    for (auto it = first; it != last; ++it) {
        actions.push_back(std::move(it->second));
    }
    scripted_.erase(first, last);
    for (auto& action : actions) {
        pending_.push_back(std::move(action));
    }
    RunDueTimers();
    // Events posted while these run wait for the next call, as on Windows.
    std::deque<std::function<void()>> now;
    now.swap(pending_);
    while (!now.empty()) {
        auto action = std::move(now.front());
        now.pop_front();
        action();
    }
}

void SimUi::WaitForEvent(std::uint32_t timeoutMilliseconds) {
    if (!pending_.empty()) {
        return;
    }
    std::uint32_t step = timeoutMilliseconds;
    if (const auto due = NextTimerDue()) {
        const auto untilDue = static_cast<std::int32_t>(*due - clock_.Ticks());
        step = std::min<std::uint32_t>(step, static_cast<std::uint32_t>(std::max(untilDue, 0)));
    }
    if (scripted_.count(doEventsCalls_ + 1) != 0) {
        step = 0;  // something happens at the next DoEvents
    }
    clock_.Advance(step);
    waited_ += step;
}

void SimUi::ShowMessage(std::string_view text, std::string_view title) {
    messages.push_back({std::string(text), std::string(title)});
}

}  // namespace keldra::platform::sim

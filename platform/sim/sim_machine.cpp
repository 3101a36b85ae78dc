#include "platform/sim/sim_machine.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace keldra::platform::sim {
namespace {

// Days since 1970-01-01 of a civil date, and back (Howard Hinnant's algorithms).
long long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153LL * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

}  // namespace

DateTime SimClock::Now() const {
    const long long seconds = DaysFromCivil(base_.year, base_.month, base_.day) * 86400LL +
                              base_.hour * 3600LL + base_.minute * 60LL + base_.second +
                              static_cast<std::uint32_t>(ticks_ - baseTicks_) / 1000;
    DateTime now;
    CivilFromDays(seconds / 86400, now.year, now.month, now.day);
    const long long rest = seconds % 86400;
    now.hour = static_cast<int>(rest / 3600);
    now.minute = static_cast<int>(rest % 3600 / 60);
    now.second = static_cast<int>(rest % 60);
    return now;
}

bool SimProcess::Start(std::string_view path, StartWindow window) {
    if (std::find(programs.begin(), programs.end(), path) == programs.end()) {
        return false;
    }
    started.push_back({std::string(path), window});
    return true;
}

bool SimProcess::SetCurrentDirectory(std::string_view path) {
    if (path.empty()) {
        return false;
    }
    currentDirectory = path;
    return true;
}

bool SimLanguage::GetValueForID(std::string_view id, Buffer& buffer) {
    asked.emplace_back(id);
    if (!present) {
        return false;
    }
    if (const auto it = texts.find(id); it != texts.end()) {
        std::memcpy(buffer.data(), it->second.data(),
                    std::min<std::size_t>(it->second.size(), 255));
    }
    return true;
}

void SimTray::Add(std::string_view text) {
    ++addCount;
    shown = true;
    tip = text;
}

void SimTray::Modify(std::string_view text) {
    tip = text;
}

void SimTray::Delete() {
    shown = false;
}

void SimControl::SetValue(int value) {
    if (value == value_) {
        return;
    }
    value_ = value;
    if (OnClick) {
        OnClick();
    }
}

bool SimControl::Open(std::string_view path) {
    playing_ = false;
    clip_.clear();
    if (playableClips == nullptr ||
        std::find(playableClips->begin(), playableClips->end(), path) == playableClips->end()) {
        return false;
    }
    clip_ = path;
    return true;
}

void SimControl::Click() {
    if (!enabled_) {
        return;
    }
    if (kind_ == ui::ControlKind::CheckBox) {
        SetValue(value_ == ui::kChecked ? ui::kUnchecked : ui::kChecked);
        return;
    }
    if (OnClick) {
        OnClick();
    }
}

void SimTimer::SetInterval(std::uint32_t milliseconds) {
    interval_ = milliseconds;
    start_ = clock_.Ticks();
}

void SimTimer::SetEnabled(bool enabled) {
    if (enabled && !enabled_) {
        start_ = clock_.Ticks();
    }
    enabled_ = enabled;
}

std::optional<std::uint32_t> SimTimer::Due() const {
    if (!enabled_ || interval_ == 0 || running_) {
        return std::nullopt;
    }
    return start_ + interval_;
}

void SimTimer::Tick() {
    start_ = clock_.Ticks();
    if (OnTimer) {
        running_ = true;  // a tick does not re-enter its own handler
        OnTimer();
        running_ = false;
    }
}

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
    return *controls_.back();
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
    visible_ = true;
    ++showCount_;
    // Activation completes first; the handler runs from the event loop.
    ui_.Post([this] {
        if (loaded_ && visible_ && OnActivate) {
            OnActivate();
        }
    });
}

void SimWindow::ShowModal() {
    visible_ = true;
    modal_ = true;
    ++showCount_;
    if (ui_.onModal) {
        ui_.onModal(*this);
    }
    if (loaded_ && visible_) {
        Unload();  // the user closes it
    }
    modal_ = false;
    visible_ = false;
}

void SimWindow::SetState(ui::WindowState state) {
    state_ = state;
    if (OnResize) {
        OnResize();
    }
}

void SimWindow::Unload() {
    int cancel = 0;
    if (OnUnload) {
        OnUnload(cancel);
    }
    if (cancel == 0) {
        loaded_ = false;
        visible_ = false;
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

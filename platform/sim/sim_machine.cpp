#include "platform/sim/sim_machine.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "platform/calendar.h"

namespace keldra::platform::sim {

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

void SimControl::SetText(std::string_view text) {
    switch (kind_) {
        case ui::ControlKind::ComboBox:
            return;
        case ui::ControlKind::TextBox:
            if (text == text_) {
                return;
            }
            text_ = text;
            // The handler may set the text again: that raises OnChange once more, as on
            // Windows, and the logic guards against it itself.
            Raise(OnChange);
            return;
        default:
            text_ = text;
            return;
    }
}

std::string SimControl::Text() const {
    return kind_ == ui::ControlKind::ComboBox ? ItemText(value_) : text_;
}

void SimControl::SetValue(int value) {
    switch (kind_) {
        case ui::ControlKind::TextBox:
        case ui::ControlKind::Frame:
            return;
        case ui::ControlKind::SpinBar:
            value = std::clamp(value, std::min(bottom_, top_), std::max(bottom_, top_));
            if (value != value_) {
                value_ = value;
                Raise(OnChange);
            }
            return;
        case ui::ControlKind::ComboBox:
            if (value < -1 || value >= ItemCount() || value == value_) {
                return;
            }
            value_ = value;
            Raise(OnClick);
            return;
        default:
            if (value != value_) {
                value_ = value;
                Raise(OnClick);
            }
            return;
    }
}

void SimControl::SetRange(int bottom, int top) {
    if (kind_ != ui::ControlKind::SpinBar) {
        return;
    }
    bottom_ = bottom;
    top_ = top;
    SetValue(value_);  // back inside the new range
}

void SimControl::ClearItems() {
    if (kind_ != ui::ControlKind::ComboBox) {
        return;
    }
    items_.clear();
    value_ = -1;
}

void SimControl::AddItem(std::string_view text) {
    if (kind_ == ui::ControlKind::ComboBox) {
        items_.emplace_back(text);
    }
}

std::string SimControl::ItemText(int index) const {
    if (index < 0 || index >= ItemCount()) {
        return {};
    }
    return items_[static_cast<std::size_t>(index)];
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

bool SimControl::TakesInput() const {
    return enabled_ && visible_ && (frame_ == nullptr || frame_->TakesInput());
}

ui::Twips SimControl::ClientPosition() const {
    if (frame_ == nullptr) {
        return position_;
    }
    ui::Twips client = position_;
    const ui::Twips origin = frame_->ClientPosition();
    client.left += origin.left;
    client.top += origin.top;
    return client;
}

void SimControl::Click() {
    if (!TakesInput()) {
        return;
    }
    switch (kind_) {
        case ui::ControlKind::CheckBox:
            SetValue(value_ == ui::kChecked ? ui::kUnchecked : ui::kChecked);
            return;
        // These report no clicks on Windows: a text box takes the caret, a spin bar its
        // arrows (SpinUp, SpinDown), a drop-down list opens (Choose), a frame lets the
        // click through.
        case ui::ControlKind::TextBox:
        case ui::ControlKind::SpinBar:
        case ui::ControlKind::ComboBox:
        case ui::ControlKind::Frame:
            return;
        default:
            Raise(OnClick);
            return;
    }
}

void SimControl::Type(std::string_view chars) {
    if (kind_ != ui::ControlKind::TextBox) {
        return;
    }
    std::size_t at = 0;
    while (at < chars.size()) {
        // One character at a time: a UTF-8 lead byte and its continuation bytes.
        std::size_t next = at + 1;
        while (next < chars.size() && (static_cast<unsigned char>(chars[next]) & 0xC0U) == 0x80U) {
            ++next;
        }
        // Checked for every key: a handler may disable the box or its frame meanwhile.
        if (!TakesInput()) {
            return;
        }
        SetText(text_ + std::string(chars.substr(at, next - at)));
        at = next;
    }
}

void SimControl::Spin(int towardsTop) {
    if (kind_ != ui::ControlKind::SpinBar || !TakesInput()) {
        return;
    }
    const int step = top_ >= bottom_ ? 1 : -1;
    SetValue(value_ + towardsTop * step);
}

void SimControl::SpinUp() {
    Spin(1);
}

void SimControl::SpinDown() {
    Spin(-1);
}

void SimControl::Choose(int index) {
    if (kind_ != ui::ControlKind::ComboBox || !TakesInput() || index < 0 || index >= ItemCount()) {
        return;
    }
    SetValue(index);
}

void SimListView::AddColumn(std::string_view header, int widthTwips) {
    columns_.push_back({std::string(header), widthTwips});
}

void SimListView::SetColumnHeader(std::size_t column, std::string_view header) {
    if (column < columns_.size()) {
        columns_[column].header = header;
    }
}

std::string SimListView::ColumnHeader(std::size_t column) const {
    return column < columns_.size() ? columns_[column].header : std::string();
}

int SimListView::ColumnWidth(std::size_t column) const {
    return column < columns_.size() ? columns_[column].widthTwips : 0;
}

void SimListView::SetRows(const ui::ListRows* rows) {
    rows_ = rows;
    shown_ = rows_ != nullptr ? rows_->RowCount() : 0;
}

void SimListView::RowsChanged() {
    ++rowsChangedCalls_;
    shown_ = rows_ != nullptr ? rows_->RowCount() : 0;
}

std::string SimListView::ShownCell(std::size_t row, std::size_t column) const {
    if (rows_ == nullptr || row >= shown_ || column >= columns_.size() ||
        row >= rows_->RowCount()) {
        return {};
    }
    return rows_->CellText(row, column);
}

std::vector<std::vector<std::string>> SimListView::ShownCells() const {
    std::vector<std::vector<std::string>> cells(shown_);
    for (std::size_t row = 0; row < shown_; ++row) {
        cells[row].reserve(columns_.size());
        for (std::size_t column = 0; column < columns_.size(); ++column) {
            cells[row].push_back(ShownCell(row, column));
        }
    }
    return cells;
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
    return *controls_.back();
}

ui::ListView& SimWindow::AddListView(std::string_view name, const ui::Twips& position,
                                     const ui::Font& font) {
    lists_.push_back(std::make_unique<SimListView>(std::string(name), position, font));
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

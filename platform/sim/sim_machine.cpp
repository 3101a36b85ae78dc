#include "platform/sim/sim_machine.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <stdexcept>

#include "platform/scope_exit.h"

namespace keldra::platform::sim {

namespace {

// The upper halves of the three code pages, bytes 0x80 to 0xFF, as Windows decodes them
// (a byte the code page leaves unassigned stands for the control character of its value).
constexpr std::array<char16_t, 128> kWindows1250{
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

constexpr std::array<char16_t, 128> kWindows1251{
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

constexpr std::array<char16_t, 128> kWindows1252{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039,
    0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, 0x00A0, 0x00A1, 0x00A2, 0x00A3,
    0x00A4, 0x00A5, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x00B9, 0x00BA, 0x00BB,
    0x00BC, 0x00BD, 0x00BE, 0x00BF, 0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, 0x00D0, 0x00D1, 0x00D2, 0x00D3,
    0x00D4, 0x00D5, 0x00D6, 0x00D7, 0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7, 0x00E8, 0x00E9, 0x00EA, 0x00EB,
    0x00EC, 0x00ED, 0x00EE, 0x00EF, 0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
};

}  // namespace

DateTime SimClock::Now() const {
    using namespace std::chrono;
    const sys_days baseDay = year{base_.year} / base_.month / base_.day;
    const long long seconds = baseDay.time_since_epoch().count() * 86400LL + base_.hour * 3600LL +
                              base_.minute * 60LL + base_.second +
                              static_cast<std::uint32_t>(ticks_ - baseTicks_) / 1000;
    const year_month_day day{sys_days{days{seconds / 86400}}};
    DateTime now;
    now.year = static_cast<int>(day.year());
    now.month = static_cast<int>(static_cast<unsigned>(day.month()));
    now.day = static_cast<int>(static_cast<unsigned>(day.day()));
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

std::u16string SimLanguage::AnsiToUtf16(std::string_view ansi) const {
    const std::array<char16_t, 128>* upper = nullptr;
    switch (codePage) {
        case 1250:
            upper = &kWindows1250;
            break;
        case 1251:
            upper = &kWindows1251;
            break;
        case 1252:
            upper = &kWindows1252;
            break;
        default:
            throw std::invalid_argument("SimLanguage: no code page " + std::to_string(codePage));
    }
    std::u16string out;
    out.reserve(ansi.size());
    for (const char c : ansi) {
        const auto byte = static_cast<unsigned char>(c);
        out.push_back(byte < 0x80 ? static_cast<char16_t>(byte) : (*upper)[byte - 0x80]);
    }
    return out;
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
        case ui::ControlKind::CheckBox:
            if (value < ui::kUnchecked || value > ui::kGrayed || value == value_) {
                return;
            }
            value_ = value;
            Raise(OnClick);
            return;
        default:
            return;  // no value: nothing to set, nothing to raise
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

std::optional<bool> SimListView::ShownChecked(std::size_t row) const {
    if (!checkBoxes_ || rows_ == nullptr || row >= shown_ || row >= rows_->RowCount()) {
        return std::nullopt;
    }
    return rows_->RowChecked(row);
}

void SimListView::ClickCheckBox(std::size_t row) {
    if (ShownChecked(row).has_value() && visible_ && OnCheckToggle) {
        const auto handler = OnCheckToggle;  // a copy: the handler may replace it
        handler(row);
    }
}

void SimListView::PressSpace() {
    if (focusedRow_) {
        ClickCheckBox(*focusedRow_);
    }
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
        const FlagWhile running(running_);  // a tick does not re-enter its own handler
        OnTimer();
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

bool SimControl::TakesFocus() const {
    if (!TakesInput()) {
        return false;
    }
    switch (kind_) {
        case ui::ControlKind::Button:
        case ui::ControlKind::CheckBox:
        case ui::ControlKind::TextBox:
        case ui::ControlKind::ComboBox:
            return true;
        case ui::ControlKind::Label:
            return focusable_;
        default:
            return false;
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

// The simulated machine's controls: labels, buttons, boxes, lists and timers, whose state a
// test reads and whose clicks and keys it raises.
#include <algorithm>

#include "platform/scope_exit.h"
#include "platform/sim/sim_machine.h"

namespace keldra::platform::sim {

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

}  // namespace keldra::platform::sim

#include "platform/win32/win32_control.h"

#include <algorithm>
#include <utility>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_ui_shared.h"
#include "platform/win32/win32_window.h"

namespace keldra::platform::win32 {

using namespace ui_shared;

Win32Control::Win32Control(Win32Window& owner, ui::ControlKind kind, HWND handle,
                           Win32Control* frame)
    : owner_(owner),
      kind_(kind),
      frame_(frame),
      value_(kind == ui::ControlKind::ComboBox ? -1 : ui::kUnchecked),
      handle_(handle) {}

void Win32Control::SetText(std::string_view text) {
    switch (kind_) {
        case ui::ControlKind::Picture:
            pictureName_ = std::string(text);
            ShowPicture(Wide(text));
            return;
        case ui::ControlKind::ComboBox:
            return;  // a drop-down list shows its chosen item
        case ui::ControlKind::TextBox:
            break;
        default:
            SetWindowTextW(handle_.get(), Wide(text).c_str());
            return;
    }
    if (!handle_) {
        return;
    }
    // WM_SETTEXT puts the caret at the start: a handler that rewrites the text while the
    // user types would make the next key land in front ("1", then "5", giving "51"). So
    // the selection keeps its distance from the end of the text, which puts the caret
    // back behind the typed key whether the handler kept it or dropped it. The outermost
    // call does this; the calls the handlers make inside it leave it to that one.
    const HWND box = handle_.get();
    const std::weak_ptr<int> alive = owner_.life_;
    const bool outermost = settingText_++ == 0;
    DWORD start = 0;
    DWORD end = 0;
    DWORD lengthBefore = 0;
    if (outermost) {
        SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        lengthBefore = static_cast<DWORD>(GetWindowTextLengthW(box));
    }
    // EN_CHANGE raises OnChange from here, through the window procedure.
    SetWindowTextW(box, Wide(text).c_str());
    if (alive.expired()) {
        return;  // a handler deleted the window
    }
    --settingText_;
    if (!outermost) {
        return;
    }
    if (IsWindow(box)) {
        const auto length = static_cast<DWORD>(GetWindowTextLengthW(box));
        const auto keep = [&](DWORD at) {
            const DWORD fromEnd = lengthBefore - std::min(at, lengthBefore);
            return fromEnd < length ? length - fromEnd : 0;
        };
        SendMessageW(box, EM_SETSEL, keep(start), keep(end));
    }
    // An edit control that did not report the change still raises OnChange.
    TextChanged();
}

std::string Win32Control::Text() const {
    switch (kind_) {
        case ui::ControlKind::Picture:
            return pictureName_;
        case ui::ControlKind::ComboBox:
            return ItemText(value_);
        default:
            return WindowText(handle_.get());
    }
}

void Win32Control::SetVisible(bool visible) {
    visible_ = visible;
    ApplyVisible();
}

void Win32Control::SetEnabled(bool enabled) {
    enabled_ = enabled;
    ApplyEnabled();
    ApplyTabStop();
}

bool Win32Control::FramesEnabled() const {
    return frame_ == nullptr || (frame_->enabled_ && frame_->FramesEnabled());
}

bool Win32Control::FramesVisible() const {
    return frame_ == nullptr || (frame_->visible_ && frame_->FramesVisible());
}

bool Win32Control::TakesInput() const {
    return handle_ && enabled_ && visible_ && FramesEnabled() && FramesVisible();
}

bool Win32Control::Inside(const Win32Control& frame) const {
    for (const Win32Control* around = frame_; around != nullptr; around = around->frame_) {
        if (around == &frame) {
            return true;
        }
    }
    return false;
}

void Win32Control::ApplyEnabled() {
    ApplyOwnEnabled();
    if (kind_ == ui::ControlKind::Frame) {
        owner_.ForEachInside(*this, [](Win32Control& child) { child.ApplyOwnEnabled(); });
    }
}

void Win32Control::ApplyOwnEnabled() {
    if (!handle_) {
        return;
    }
    // Windows greys the text of a disabled static; a label that only stops taking clicks
    // keeps its colour (the green "nothing found" rows). In a disabled frame it is greyed
    // with the rest.
    const bool own = kind_ == ui::ControlKind::Label || enabled_;
    EnableWindow(handle_.get(), own && FramesEnabled() ? TRUE : FALSE);
}

void Win32Control::ApplyVisible() {
    ApplyOwnVisible();
    if (kind_ == ui::ControlKind::Frame) {
        owner_.ForEachInside(*this, [](Win32Control& child) { child.ApplyOwnVisible(); });
    }
}

void Win32Control::ApplyOwnVisible() {
    if (handle_) {
        ShowWindow(handle_.get(), visible_ && FramesVisible() ? SW_SHOWNA : SW_HIDE);
    }
}

POINT Win32Control::Origin() const {
    RECT rect{};
    if (!handle_ || !GetWindowRect(handle_.get(), &rect)) {
        return {};
    }
    MapWindowPoints(HWND_DESKTOP, GetParent(handle_.get()), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top};
}

int Win32Control::DropHeight() const {
    // Eight items, as classic drop-down lists show, and the list's border.
    const auto item = static_cast<int>(SendMessageW(handle_.get(), CB_GETITEMHEIGHT, 0, 0));
    return 8 * (item > 0 ? item : 16) + 2;
}

void Win32Control::PlaceAt(const ui::Twips& position) {
    int left = owner_.PixelsX(position.left);
    int top = owner_.PixelsY(position.top);
    if (frame_ != nullptr) {
        const POINT origin = frame_->Origin();
        left += origin.x;
        top += origin.y;
    }
    int height = owner_.PixelsY(position.height);
    if (kind_ == ui::ControlKind::ComboBox) {
        // The window's height holds the open list; the closed box takes its font's height.
        height += DropHeight();
    }
    SetWindowPos(handle_.get(), nullptr, left, top, owner_.PixelsX(position.width), height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Control::Move(const ui::Twips& position) {
    position_ = position;
    if (!handle_) {
        return;
    }
    const POINT before = Origin();
    PlaceAt(position);
    if (kind_ == ui::ControlKind::Frame) {
        const POINT after = Origin();
        owner_.ForEachInside(*this, [&](Win32Control& child) {
            const POINT at = child.Origin();
            SetWindowPos(child.handle_.get(), nullptr, at.x + after.x - before.x,
                         at.y + after.y - before.y, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        });
    }
}

ui::Twips Win32Control::Position() const {
    // As the logic placed it: the pixels follow from it at whatever DPI, and a drop-down
    // list's window also holds its open list.
    return handle_ ? position_ : ui::Twips{};
}

void Win32Control::SetForeColor(ui::Color color) {
    foreColor_ = color;
    InvalidateRect(handle_.get(), nullptr, TRUE);
}

COLORREF Win32Control::TextColor() const {
    return ShownColor(foreColor_, focusable_ && enabled_, HighContrastOn());
}

COLORREF Win32Control::ShownColor(ui::Color chosen, bool link, bool highContrast) {
    if (chosen == ui::kDefaultColor) {
        return GetSysColor(COLOR_BTNTEXT);
    }
    // The high bit marks a system colour by its index, as the classic colour values do.
    if ((chosen & 0x80000000U) != 0) {
        return GetSysColor(static_cast<int>(chosen & 0xFFU));
    }
    // A high-contrast theme chose colours that the user can read: a fixed red or green
    // may vanish on its background. Links keep standing out in the theme's link colour.
    if (highContrast) {
        return GetSysColor(link ? COLOR_HOTLIGHT : COLOR_BTNTEXT);
    }
    return chosen & 0x00FFFFFFU;
}

bool Win32Control::HighContrastOn() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) != FALSE &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

HCURSOR Win32Control::Cursor() const {
    switch (pointer_) {
        case ui::Pointer::Custom:
            return LoadCursorW(nullptr, IDC_HAND);
        case ui::Pointer::Hourglass:
            return LoadCursorW(nullptr, IDC_WAIT);
        case ui::Pointer::Default:
            break;
    }
    return nullptr;  // the class cursor, an arrow
}

void Win32Control::SetPointer(ui::Pointer pointer) {
    pointer_ = pointer;
    // WM_SETCURSOR comes with the next mouse move; a pointer already over the control
    // changes now.
    POINT cursor{};
    if (handle_ && GetCursorPos(&cursor) && WindowFromPoint(cursor) == handle_.get()) {
        const HCURSOR shape = Cursor();
        SetCursor(shape != nullptr ? shape : LoadCursorW(nullptr, IDC_ARROW));
    }
}

void Win32Control::SetValue(int value) {
    // Called by the logic itself: a failing handler fails that call.
    switch (kind_) {
        case ui::ControlKind::CheckBox: {
            if (value < ui::kUnchecked || value > ui::kGrayed || value == value_) {
                return;
            }
            value_ = value;
            SendMessageW(handle_.get(), BM_SETCHECK,
                         value == ui::kChecked  ? BST_CHECKED
                         : value == ui::kGrayed ? BST_INDETERMINATE
                                                : BST_UNCHECKED,
                         0);
            const auto handler = OnClick;
            Raise(handler);
            return;
        }
        case ui::ControlKind::SpinBar:
            SpinTo(value, false);
            return;
        case ui::ControlKind::ComboBox: {
            if (value < -1 || value >= ItemCount() || value == value_) {
                return;
            }
            value_ = value;
            // CB_SETCURSEL sends no CBN_SELCHANGE: the adapter raises OnClick itself.
            SendMessageW(handle_.get(), CB_SETCURSEL, static_cast<WPARAM>(value), 0);
            const auto handler = OnClick;
            Raise(handler);
            return;
        }
        default:
            return;
    }
}

void Win32Control::SetRange(int bottom, int top) {
    if (kind_ != ui::ControlKind::SpinBar) {
        return;
    }
    bottom_ = bottom;
    top_ = top;
    // The up-down control's upper arrow moves towards its "upper" limit.
    SendMessageW(handle_.get(), UDM_SETRANGE32, static_cast<WPARAM>(bottom),
                 static_cast<LPARAM>(top));
    SpinTo(value_, false);
}

void Win32Control::SpinTo(int value, bool byUser) {
    value = std::clamp(value, std::min(bottom_, top_), std::max(bottom_, top_));
    if (value == value_) {
        return;
    }
    value_ = value;
    SendMessageW(handle_.get(), UDM_SETPOS32, 0, static_cast<LPARAM>(value));
    const auto handler = OnChange;
    if (byUser) {
        RunHandler([&] { Raise(handler); });
    } else {
        Raise(handler);
    }
}

LRESULT Win32Control::DeltaPos(const NMUPDOWN& change) {
    if (TakesInput()) {
        SpinTo(change.iPos + change.iDelta, true);
    }
    return TRUE;
}

void Win32Control::Scrolled() {
    BOOL failed = FALSE;
    const auto position = static_cast<int>(
        SendMessageW(handle_.get(), UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
    if (failed || position == value_) {
        return;
    }
    if (!TakesInput()) {
        SendMessageW(handle_.get(), UDM_SETPOS32, 0, static_cast<LPARAM>(value_));
        return;
    }
    SpinTo(position, true);
}

void Win32Control::ClearItems() {
    if (kind_ != ui::ControlKind::ComboBox) {
        return;
    }
    SendMessageW(handle_.get(), CB_RESETCONTENT, 0, 0);
    value_ = -1;
}

void Win32Control::AddItem(std::string_view text) {
    if (kind_ == ui::ControlKind::ComboBox) {
        SendMessageW(handle_.get(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
    }
}

int Win32Control::ItemCount() const {
    if (kind_ != ui::ControlKind::ComboBox || !handle_) {
        return 0;
    }
    const auto count = static_cast<int>(SendMessageW(handle_.get(), CB_GETCOUNT, 0, 0));
    return count > 0 ? count : 0;
}

std::string Win32Control::ItemText(int index) const {
    if (index < 0 || index >= ItemCount()) {
        return {};
    }
    const auto length = static_cast<int>(
        SendMessageW(handle_.get(), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0));
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto copied =
        static_cast<int>(SendMessageW(handle_.get(), CB_GETLBTEXT, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(text.data())));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return Narrow(text);
}

void Win32Control::Command(WORD code) {
    switch (kind_) {
        case ui::ControlKind::TextBox:
            if (code == EN_CHANGE) {
                TextChanged();
            }
            return;
        case ui::ControlKind::ComboBox:
            if (code == CBN_SELCHANGE) {
                SelectionChanged();
            }
            return;
        case ui::ControlKind::SpinBar:
        case ui::ControlKind::Frame:
            return;
        default:
            // BN_CLICKED and STN_CLICKED are both 0.
            if (code == BN_CLICKED) {
                Clicked();
            }
            return;
    }
}

void Win32Control::TextChanged() {
    if (!handle_) {
        return;
    }
    std::string now = WindowText(handle_.get());
    if (now == reportedText_) {
        return;
    }
    reportedText_ = std::move(now);
    // Inside the window procedure when the edit control reported it, in SetText's caller
    // otherwise. A handler that sets the text again comes back here, one level deeper.
    const auto handler = OnChange;
    Raise(handler);
}

void Win32Control::SelectionChanged() {
    const auto chosen = static_cast<int>(SendMessageW(handle_.get(), CB_GETCURSEL, 0, 0));
    if (chosen == value_) {
        return;
    }
    value_ = chosen;
    if (!TakesInput()) {
        return;
    }
    const auto handler = OnClick;  // a copy: the handler may unload the window
    RunHandler([&] { Raise(handler); });
}

void Win32Control::Clicked() {
    // A disabled control takes no clicks; some click messages reach it all the same.
    if (!TakesInput()) {
        return;
    }
    if (kind_ == ui::ControlKind::CheckBox) {
        // Not an automatic check box: the adapter keeps the value. A click clears a
        // checked box and checks an unchecked or grayed one.
        value_ = value_ == ui::kChecked ? ui::kUnchecked : ui::kChecked;
        SendMessageW(handle_.get(), BM_SETCHECK,
                     value_ == ui::kChecked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    const auto handler = OnClick;  // a copy: the handler may unload the window
    RunHandler([&] { Raise(handler); });
}

void Win32Control::ShowPicture(const std::wstring& name) {
    UniqueHBitmap picture;
    if (!name.empty()) {
        const HMODULE program = GetModuleHandleW(nullptr);
        // A picture drawn for the window's DPI, "<name>_144", stays crisp where the
        // 96-DPI one would be small.
        if (owner_.dpi_.y != 96) {
            const std::wstring sized = name + L"_" + std::to_wstring(owner_.dpi_.y);
            picture.reset(static_cast<HBITMAP>(
                LoadImageW(program, sized.c_str(), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
        }
        if (!picture) {
            picture.reset(static_cast<HBITMAP>(
                LoadImageW(program, name.c_str(), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
        }
    }
    if (!handle_) {
        return;
    }
    RECT rect{};
    GetWindowRect(handle_.get(), &rect);
    SendMessageW(handle_.get(), STM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(picture.get()));
    // The old picture goes only once the control no longer shows it.
    picture_ = std::move(picture);
    // The control takes the picture's size; the window's layout keeps its own.
    SetWindowPos(handle_.get(), nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Win32Control::Open(std::string_view path) {
    if (kind_ != ui::ControlKind::Animation || !handle_) {
        return false;
    }
    playing_ = false;
    const std::wstring file = Wide(path);
    return SendMessageW(handle_.get(), ACM_OPENW, 0, reinterpret_cast<LPARAM>(file.c_str())) !=
           FALSE;
}

void Win32Control::Play() {
    if (kind_ != ui::ControlKind::Animation || !handle_) {
        return;
    }
    // Repeated without end, from the first frame to the last.
    playing_ = SendMessageW(handle_.get(), ACM_PLAY, static_cast<WPARAM>(-1),
                            MAKELPARAM(0, 0xFFFF)) != FALSE;
}

void Win32Control::Stop() {
    if (kind_ != ui::ControlKind::Animation || !handle_) {
        return;
    }
    SendMessageW(handle_.get(), ACM_STOP, 0, 0);
    playing_ = false;
}

void Win32Control::Rescale() {
    if (!handle_) {
        return;
    }
    SendMessageW(handle_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(owner_.FontFor(font_)), FALSE);
    // A frame's children come later in the window's list: each is placed from its own
    // twips once the frame stands where it belongs.
    PlaceAt(position_);
    if (kind_ == ui::ControlKind::Picture) {
        ShowPicture(Wide(pictureName_));
    }
}

}  // namespace keldra::platform::win32

#include "platform/win32/win32_ui.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_process.h"

namespace keldra::platform::win32 {
namespace {

constexpr const wchar_t* kWindowClass = L"KeldraWindow";
constexpr int kTwipsPerInch = 1440;

// The program's window that was active last: activation raises OnActivate only when it
// moves to another of them (or to one hidden in between), not when the user comes back
// from another program. All windows live on the one UI thread.
HWND g_lastActive = nullptr;

// Set when something is known to wait in the queue, so that the next DoEvents looks
// even if it looked a moment ago.
bool g_pumpRequested = false;

bool RegisterWindowClass(WNDPROC procedure) {
    static const bool registered = [procedure] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

std::string WindowText(HWND window) {
    if (window == nullptr) {
        return {};
    }
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return Narrow(text);
}

template <typename Handler>
void Raise(const Handler& handler) {
    if (handler) {
        handler();
    }
}

void EnsureCommonControls(DWORD classes) {
    INITCOMMONCONTROLSEX init{};
    init.dwSize = sizeof init;
    init.dwICC = classes;
    InitCommonControlsEx(&init);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Modal state: the program's other windows are disabled while a window is shown modally.

class Win32Window::ModalScope {
  public:
    explicit ModalScope(Win32Window& window) : window_(&window) {
        self_ = window.window_.get();
        EnumThreadWindows(GetCurrentThreadId(), &ModalScope::Collect,
                          reinterpret_cast<LPARAM>(this));
        for (const HWND other : disabled_) {
            EnableWindow(other, FALSE);
        }
        window.modal_ = this;
    }
    ~ModalScope() {
        End();
        if (window_ != nullptr && window_->modal_ == this) {
            window_->modal_ = nullptr;
        }
    }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

    // Enables the others again: before the modal window hides, so that Windows hands the
    // activation back to one of them rather than to another program.
    void End() {
        for (const HWND other : std::exchange(disabled_, {})) {
            if (IsWindow(other)) {
                EnableWindow(other, TRUE);
            }
        }
    }
    // The window object went away while its loop still runs.
    void Detach() { window_ = nullptr; }

  private:
    static BOOL CALLBACK Collect(HWND window, LPARAM self) noexcept {
        auto* scope = reinterpret_cast<ModalScope*>(self);
        // Hidden ones (the tray's host) take no input anyway.
        if (window != scope->self_ && IsWindowVisible(window) && IsWindowEnabled(window)) {
            try {
                scope->disabled_.push_back(window);
            } catch (...) {
                return FALSE;  // out of memory: the rest stay enabled
            }
        }
        return TRUE;
    }

    Win32Window* window_;
    HWND self_ = nullptr;
    std::vector<HWND> disabled_;
};

// ---------------------------------------------------------------------------------------
// Controls

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

void Win32Control::SetFocusable(bool focusable) {
    if (kind_ != ui::ControlKind::Label || !handle_) {
        return;
    }
    focusable_ = focusable;
    if (focusable && !subclassed_) {
        subclassed_ = SetWindowSubclass(handle_.get(), &Win32Control::LinkProcedure, 1,
                                        reinterpret_cast<DWORD_PTR>(this)) != FALSE;
    }
    ApplyTabStop();
}

void Win32Control::ApplyTabStop() {
    if (kind_ != ui::ControlKind::Label || !handle_) {
        return;
    }
    // The dialog manager looks at the window's style; a label is never disabled on the
    // screen (it would grey its colour), so the style follows the logic's flag.
    const HWND label = handle_.get();
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(label, GWL_STYLE));
    const DWORD wanted = focusable_ && enabled_ ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
    if (wanted != style) {
        SetWindowLongPtrW(label, GWL_STYLE, static_cast<LONG_PTR>(wanted));
    }
    if (!(focusable_ && enabled_) && GetFocus() == label) {
        SetFocus(owner_.window_.get());  // no longer a link: the keys go to the window
    }
}

LRESULT CALLBACK Win32Control::LinkProcedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam, UINT_PTR id, DWORD_PTR) noexcept {
    switch (message) {
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(window, nullptr, TRUE);
            break;
        case WM_PAINT: {
            const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
            if (GetFocus() != window) {
                return result;
            }
            // The focus rectangle goes around the text as the label wraps it.
            const HDC dc = GetDC(window);
            if (dc == nullptr) {
                return result;
            }
            RECT client{};
            GetClientRect(window, &client);
            const auto font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
            const HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
            const int length = GetWindowTextLengthW(window);
            std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
            text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
            RECT extent = client;
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &extent,
                      DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_LEFT);
            extent.right = std::min(extent.right + 1, client.right);
            extent.bottom = std::min(extent.bottom + 1, client.bottom);
            DrawFocusRect(dc, &extent);
            if (old != nullptr) {
                SelectObject(dc, old);
            }
            ReleaseDC(window, dc);
            return result;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(window, &Win32Control::LinkProcedure, id);
            break;
        default:
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
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

void Win32Control::Move(const ui::Twips& position) {
    if (!handle_) {
        return;
    }
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
    const POINT before = Origin();
    SetWindowPos(handle_.get(), nullptr, left, top, owner_.PixelsX(position.width), height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
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
    RECT rect{};
    if (!handle_ || !GetWindowRect(handle_.get(), &rect)) {
        return {};
    }
    MapWindowPoints(HWND_DESKTOP, GetParent(handle_.get()), reinterpret_cast<POINT*>(&rect), 2);
    if (frame_ != nullptr) {
        const POINT origin = frame_->Origin();
        OffsetRect(&rect, -origin.x, -origin.y);
    }
    return {owner_.TwipsX(rect.left), owner_.TwipsY(rect.top),
            owner_.TwipsX(rect.right - rect.left), owner_.TwipsY(rect.bottom - rect.top)};
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
        picture.reset(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), name.c_str(),
                                                      IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
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

// ---------------------------------------------------------------------------------------
// List views

Win32ListView::Win32ListView(Win32Window& owner, HWND handle) : owner_(owner), handle_(handle) {}

void Win32ListView::AddColumn(std::string_view header, int widthTwips) {
    std::wstring text = Wide(header);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.cx = owner_.PixelsX(widthTwips);
    column.pszText = text.data();
    column.iSubItem = static_cast<int>(columns_.size());
    SendMessageW(handle_.get(), LVM_INSERTCOLUMNW, columns_.size(),
                 reinterpret_cast<LPARAM>(&column));
    columns_.push_back({widthTwips, column.cx});
}

void Win32ListView::SetColumnHeader(std::size_t column, std::string_view header) {
    if (column >= columns_.size()) {
        return;
    }
    std::wstring text = Wide(header);
    LVCOLUMNW change{};
    change.mask = LVCF_TEXT;
    change.pszText = text.data();
    SendMessageW(handle_.get(), LVM_SETCOLUMNW, column, reinterpret_cast<LPARAM>(&change));
}

std::string Win32ListView::ColumnHeader(std::size_t column) const {
    if (column >= columns_.size() || !handle_) {
        return {};
    }
    std::wstring text(1024, L'\0');
    LVCOLUMNW query{};
    query.mask = LVCF_TEXT;
    query.pszText = text.data();
    query.cchTextMax = static_cast<int>(text.size());
    if (SendMessageW(handle_.get(), LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&query)) ==
        FALSE) {
        return {};
    }
    // The control may answer with a pointer of its own.
    return Narrow(query.pszText != nullptr ? std::wstring_view(query.pszText) : L"");
}

int Win32ListView::ColumnWidth(std::size_t column) const {
    if (column >= columns_.size()) {
        return 0;
    }
    const Column& set = columns_[column];
    if (!handle_) {
        return set.widthTwips;
    }
    const auto pixels =
        static_cast<int>(SendMessageW(handle_.get(), LVM_GETCOLUMNWIDTH, column, 0));
    // Twips to pixels and back need not give the same twips.
    return pixels == set.widthPixels ? set.widthTwips : owner_.TwipsX(pixels);
}

void Win32ListView::SetRowIcon(std::string_view resourceName) {
    UniqueHImageList images;
    if (!resourceName.empty()) {
        const int width = GetSystemMetrics(SM_CXSMICON);
        const int height = GetSystemMetrics(SM_CYSMICON);
        const UniqueHIcon icon(
            static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), Wide(resourceName).c_str(),
                                          IMAGE_ICON, width, height, LR_DEFAULTCOLOR)));
        if (icon) {
            images.reset(ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 1, 1));
            if (images && ImageList_AddIcon(images.get(), icon.get()) < 0) {
                images.reset();
            }
        }
    }
    SendMessageW(handle_.get(), LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(images.get()));
    // The old list goes only once the control no longer shows it.
    images_ = std::move(images);
    InvalidateRect(handle_.get(), nullptr, TRUE);
}

void Win32ListView::SetRows(const ui::ListRows* rows) {
    rows_ = rows;
    RowsChanged();
}

void Win32ListView::RowsChanged() {
    const std::size_t count = rows_ != nullptr ? rows_->RowCount() : 0;
    shown_ = std::min<std::size_t>(count, INT_MAX);
    if (!handle_) {
        return;
    }
    // Keep the scroll position and the selection; what changed is painted again below.
    SendMessageW(handle_.get(), LVM_SETITEMCOUNT, shown_, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    InvalidateRect(handle_.get(), nullptr, TRUE);
}

void Win32ListView::GetDisplayInfo(NMLVDISPINFOW& info) {
    LVITEMW& item = info.item;
    if (item.iItem < 0 || item.iSubItem < 0) {
        return;
    }
    const auto row = static_cast<std::size_t>(item.iItem);
    const auto column = static_cast<std::size_t>(item.iSubItem);
    // A row the owner removed before telling the view shows empty until it does.
    const bool known = rows_ != nullptr && row < shown_ && row < rows_->RowCount();
    if ((item.mask & LVIF_TEXT) != 0) {
        std::wstring& text = texts_[nextText_];
        nextText_ = (nextText_ + 1) % texts_.size();
        text = known ? Wide(rows_->CellText(row, column)) : std::wstring();
        item.pszText = text.data();
    }
    if ((item.mask & LVIF_IMAGE) != 0 && column == 0) {
        item.iImage = images_ ? 0 : I_IMAGENONE;
    }
    if ((item.mask & LVIF_STATE) != 0 && checkBoxes_ && column == 0) {
        // State image 1 is the empty box, 2 the ticked one.
        const bool checked = known && rows_->RowChecked(row);
        item.state = (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
        item.stateMask |= LVIS_STATEIMAGEMASK;
    }
}

void Win32ListView::SetCheckBoxes(bool checkBoxes) {
    checkBoxes_ = checkBoxes;
    if (!handle_) {
        return;
    }
    SendMessageW(handle_.get(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES,
                 checkBoxes ? LVS_EX_CHECKBOXES : 0);
    // The control asks for the state images of every row it paints.
    SendMessageW(handle_.get(), LVM_SETCALLBACKMASK, checkBoxes ? LVIS_STATEIMAGEMASK : 0, 0);
    InvalidateRect(handle_.get(), nullptr, TRUE);
}

void Win32ListView::RowChanged(std::size_t row) {
    if (handle_ && row < shown_) {
        SendMessageW(handle_.get(), LVM_REDRAWITEMS, row, row);
    }
}

bool Win32ListView::CheckNotify(const NMHDR& header) {
    if (!checkBoxes_) {
        return false;
    }
    if (header.code == NM_CLICK) {
        const auto& click = reinterpret_cast<const NMITEMACTIVATE&>(header);
        LVHITTESTINFO hit{};
        hit.pt = click.ptAction;
        SendMessageW(handle_.get(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.iItem >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) != 0) {
            Toggle(hit.iItem);
        }
        return true;
    }
    if (header.code == LVN_KEYDOWN) {
        if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_SPACE) {
            Toggle(static_cast<int>(SendMessageW(handle_.get(), LVM_GETNEXTITEM,
                                                 static_cast<WPARAM>(-1),
                                                 MAKELPARAM(LVNI_FOCUSED, 0))));
        }
        return true;
    }
    return false;
}

void Win32ListView::Toggle(int row) {
    if (row >= 0 && static_cast<std::size_t>(row) < shown_ && OnCheckToggle) {
        const auto handler = OnCheckToggle;  // a copy: the handler may replace it
        handler(static_cast<std::size_t>(row));
    }
}

void Win32ListView::SetVisible(bool visible) {
    ShowWindow(handle_.get(), visible ? SW_SHOWNA : SW_HIDE);
}

bool Win32ListView::Visible() const {
    return handle_ && (GetWindowLongPtrW(handle_.get(), GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32ListView::Move(const ui::Twips& position) {
    SetWindowPos(handle_.get(), nullptr, owner_.PixelsX(position.left),
                 owner_.PixelsY(position.top), owner_.PixelsX(position.width),
                 owner_.PixelsY(position.height), SWP_NOZORDER | SWP_NOACTIVATE);
}

ui::Twips Win32ListView::Position() const {
    RECT rect{};
    if (!handle_ || !GetWindowRect(handle_.get(), &rect)) {
        return {};
    }
    MapWindowPoints(HWND_DESKTOP, GetParent(handle_.get()), reinterpret_cast<POINT*>(&rect), 2);
    return {owner_.TwipsX(rect.left), owner_.TwipsY(rect.top),
            owner_.TwipsX(rect.right - rect.left), owner_.TwipsY(rect.bottom - rect.top)};
}

// ---------------------------------------------------------------------------------------
// Timers

void Win32Timer::Apply() {
    const HWND window = owner_.window_.get();
    if (window == nullptr) {
        return;
    }
    if (enabled_ && interval_ > 0) {
        SetTimer(window, id_, interval_, nullptr);  // restarts the count of one that runs
    } else {
        KillTimer(window, id_);
    }
}

void Win32Timer::SetInterval(std::uint32_t milliseconds) {
    interval_ = milliseconds;
    Apply();
}

void Win32Timer::SetEnabled(bool enabled) {
    if (enabled != enabled_) {
        enabled_ = enabled;
        Apply();
    }
}

// ---------------------------------------------------------------------------------------
// Windows

Win32Window::Win32Window(std::string_view name, const ui::Font& font, Dpi dpi)
    : name_(name), dpi_(dpi) {
    if (!RegisterWindowClass(&Win32Window::Procedure)) {
        return;
    }
    style_ = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    window_.reset(CreateWindowExW(0, kWindowClass, L"", style_, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), this));
    font_ = FontFor(font);
    SendMessageW(window_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

Win32Window::~Win32Window() {
    // Nothing of the logic runs while the window goes with its object.
    OnActivate = nullptr;
    OnResize = nullptr;
    OnUnload = nullptr;
    for (auto& control : controls_) {
        control->OnClick = nullptr;
        control->OnChange = nullptr;
    }
    for (auto& timer : timers_) {
        timer->OnTimer = nullptr;
    }
    if (modal_ != nullptr) {
        modal_->End();
        modal_->Detach();
        modal_ = nullptr;
    }
    DestroyNow();
}

int Win32Window::PixelsX(int twips) const {
    return MulDiv(twips, dpi_.x, kTwipsPerInch);
}
int Win32Window::PixelsY(int twips) const {
    return MulDiv(twips, dpi_.y, kTwipsPerInch);
}
int Win32Window::TwipsX(int pixels) const {
    return MulDiv(pixels, kTwipsPerInch, dpi_.x);
}
int Win32Window::TwipsY(int pixels) const {
    return MulDiv(pixels, kTwipsPerInch, dpi_.y);
}

HFONT Win32Window::FontFor(const ui::Font& font) {
    std::wstring face = Wide(font.face);
    if (face.size() >= LF_FACESIZE) {
        face.resize(LF_FACESIZE - 1);
    }
    auto key = std::make_tuple(face, std::lround(font.points * 100), font.bold, font.underline);
    const auto found = fonts_.find(key);
    if (found != fonts_.end()) {
        return found->second.get();
    }
    // Points to a character height in pixels of the screen: 8.25 pt is 11 px at 96 dpi.
    const int height = -MulDiv(static_cast<int>(std::lround(font.points * 10)), dpi_.y, 720);
    const HFONT created = CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE,
                                      font.underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET,
                                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    fonts_.emplace(std::move(key), UniqueHFont(created));
    return created;
}

ui::Control& Win32Window::AddControl(ui::ControlKind kind, std::string_view name,
                                     const ui::Twips& position, std::string_view text,
                                     const ui::Font& font) {
    static_cast<void>(name);  // the logic finds its controls by reference
    return CreateControl(kind, position, text, font, nullptr);
}

ui::Control& Win32Window::AddControlIn(ui::Control& frame, ui::ControlKind kind,
                                       std::string_view name, const ui::Twips& position,
                                       std::string_view text, const ui::Font& font) {
    static_cast<void>(name);
    Win32Control* holder = nullptr;
    for (const auto& control : controls_) {
        if (control.get() == &frame && control->kind_ == ui::ControlKind::Frame) {
            holder = control.get();
        }
    }
    return CreateControl(kind, position, text, font, holder);
}

Win32Control& Win32Window::CreateControl(ui::ControlKind kind, const ui::Twips& position,
                                         std::string_view text, const ui::Font& font,
                                         Win32Control* frame) {
    const wchar_t* windowClass = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    switch (kind) {
        case ui::ControlKind::Label:
            // SS_LEFT wraps words; without SS_NOPREFIX an "&" would underline the next
            // letter; SS_NOTIFY lets the clicks through.
            style |= SS_LEFT | SS_NOPREFIX | SS_NOTIFY;
            break;
        case ui::ControlKind::Button:
            windowClass = L"BUTTON";
            style |= BS_PUSHBUTTON | WS_TABSTOP;
            break;
        case ui::ControlKind::CheckBox:
            // Three states for the grayed value, and not automatic: Clicked keeps it.
            windowClass = L"BUTTON";
            style |= BS_3STATE | BS_MULTILINE | WS_TABSTOP;
            break;
        case ui::ControlKind::Picture:
            style |= SS_BITMAP | SS_NOTIFY;
            break;
        case ui::ControlKind::Animation:
            EnsureCommonControls(ICC_ANIMATE_CLASS);
            windowClass = ANIMATE_CLASSW;
            style |= ACS_TRANSPARENT;
            break;
        case ui::ControlKind::Line:
            style |= SS_ETCHEDHORZ;
            break;
        case ui::ControlKind::TextBox:
            // The sunken box of a classic text box, one line that scrolls as the user types.
            windowClass = L"EDIT";
            style |= ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP;
            exStyle = WS_EX_CLIENTEDGE;
            break;
        case ui::ControlKind::SpinBar:
            // Vertical and on its own: no buddy window, the logic pairs it with a text box.
            EnsureCommonControls(ICC_UPDOWN_CLASS);
            windowClass = UPDOWN_CLASSW;
            break;
        case ui::ControlKind::ComboBox:
            windowClass = L"COMBOBOX";
            style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
            break;
        case ui::ControlKind::Frame:
            // Below its controls (see below); clipped by them, so it never paints over them.
            windowClass = L"BUTTON";
            style |= BS_GROUPBOX | WS_CLIPSIBLINGS;
            break;
    }
    int left = PixelsX(position.left);
    int top = PixelsY(position.top);
    if (frame != nullptr) {
        const POINT origin = frame->Origin();
        left += origin.x;
        top += origin.y;
    }
    // A picture's text names its bitmap, which the control would otherwise load itself
    // and never free; a drop-down list takes items, not a text.
    const std::wstring initialText =
        kind == ui::ControlKind::Picture || kind == ui::ControlKind::ComboBox ? L"" : Wide(text);
    HWND handle = nullptr;
    if (window_) {
        handle = CreateWindowExW(exStyle, windowClass, initialText.c_str(), style, left, top,
                                 PixelsX(position.width), PixelsY(position.height), window_.get(),
                                 NextControlId(), GetModuleHandleW(nullptr), nullptr);
    }
    auto owned = std::make_unique<Win32Control>(*this, kind, handle, frame);
    Win32Control& control = *owned;
    controls_.push_back(std::move(owned));
    if (handle == nullptr) {
        return control;
    }
    SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(font)), FALSE);
    switch (kind) {
        case ui::ControlKind::Picture:
            control.SetText(text);
            break;
        case ui::ControlKind::TextBox:
            control.reportedText_ = WindowText(handle);
            break;
        case ui::ControlKind::SpinBar:
            // A new up-down control runs from 100 down to 0, its upper arrow lowering the
            // value: it gets the range the port promises instead.
            SendMessageW(handle, UDM_SETRANGE32, static_cast<WPARAM>(control.bottom_),
                         static_cast<LPARAM>(control.top_));
            SendMessageW(handle, UDM_SETPOS32, 0, static_cast<LPARAM>(control.value_));
            break;
        case ui::ControlKind::ComboBox:
            control.Move(position);  // room for the open list, now that the font is known
            break;
        default:
            break;
    }
    if (frame != nullptr) {
        control.ApplyEnabled();
        control.ApplyVisible();
        SetWindowPos(frame->handle_.get(), HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return control;
}

ui::ListView& Win32Window::AddListView(std::string_view name, const ui::Twips& position,
                                       const ui::Font& font) {
    static_cast<void>(name);
    HWND handle = nullptr;
    if (window_) {
        EnsureCommonControls(ICC_LISTVIEW_CLASSES);
        // Report view over the owner's rows; the row icons' image list stays ours.
        const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA |
                            LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS;
        handle = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", style, PixelsX(position.left),
                                 PixelsY(position.top), PixelsX(position.width),
                                 PixelsY(position.height), window_.get(), NextControlId(),
                                 GetModuleHandleW(nullptr), nullptr);
    }
    if (handle != nullptr) {
        // A whole row is selected at once; no grid lines, as the classic list view.
        SendMessageW(handle, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                     LVS_EX_FULLROWSELECT);
        SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(font)), FALSE);
    }
    lists_.push_back(std::make_unique<Win32ListView>(*this, handle));
    return *lists_.back();
}

ui::Timer& Win32Window::AddTimer(std::string_view name) {
    static_cast<void>(name);
    timers_.push_back(std::make_unique<Win32Timer>(*this, nextTimerId_++));
    return *timers_.back();
}

void Win32Window::SetCaption(std::string_view caption) {
    SetWindowTextW(window_.get(), Wide(caption).c_str());
}

std::string Win32Window::Caption() const {
    return WindowText(window_.get());
}

void Win32Window::SetClientSize(int widthTwips, int heightTwips) {
    if (!window_) {
        return;
    }
    RECT rect{0, 0, PixelsX(widthTwips), PixelsY(heightTwips)};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window_.get(), GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window_.get(), GWL_EXSTYLE));
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    SetWindowPos(window_.get(), nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

ui::Twips Win32Window::Bounds() const {
    RECT rect{};
    if (!window_) {
        return {};
    }
    if (IsIconic(window_.get())) {
        // A minimised window's rectangle is its icon's: report where it will come back.
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        GetWindowPlacement(window_.get(), &placement);
        rect = placement.rcNormalPosition;
    } else {
        GetWindowRect(window_.get(), &rect);
    }
    return {TwipsX(rect.left), TwipsY(rect.top), TwipsX(rect.right - rect.left),
            TwipsY(rect.bottom - rect.top)};
}

void Win32Window::MoveTo(int leftTwips, int topTwips) {
    SetWindowPos(window_.get(), nullptr, PixelsX(leftTwips), PixelsY(topTwips), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::SetIcons(std::string_view resourceName, bool alsoOwner) {
    if (!window_) {
        return;
    }
    const std::wstring name = Wide(resourceName);
    const HMODULE program = GetModuleHandleW(nullptr);
    // Shared: the system keeps one copy per size and frees it; nothing to destroy here.
    const auto big = static_cast<HICON>(LoadImageW(program, name.c_str(), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXICON),
                                                   GetSystemMetrics(SM_CYICON), LR_SHARED));
    const auto small = static_cast<HICON>(LoadImageW(program, name.c_str(), IMAGE_ICON,
                                                     GetSystemMetrics(SM_CXSMICON),
                                                     GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    const auto apply = [&](HWND target) {
        if (big != nullptr) {
            SendMessageW(target, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
        }
        if (small != nullptr) {
            SendMessageW(target, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
        }
    };
    apply(window_.get());
    if (alsoOwner) {
        HWND top = nullptr;
        for (HWND owner = GetWindow(window_.get(), GW_OWNER); owner != nullptr;
             owner = GetWindow(owner, GW_OWNER)) {
            top = owner;
        }
        if (top != nullptr) {
            apply(top);
        }
    }
}

void Win32Window::Show() {
    if (!window_) {
        return;
    }
    const bool minimized = stateOnShow_ == ui::WindowState::Minimized;
    stateOnShow_.reset();
    ShowWindow(window_.get(), minimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
    SetForegroundWindow(window_.get());
}

void Win32Window::ShowModal() {
    if (!window_) {
        return;
    }
    const HWND self = window_.get();
    const HWND previous = GetActiveWindow();
    const std::weak_ptr<int> alive = life_;
    {
        ModalScope scope(*this);
        Show();
        MSG message{};
        while (!alive.expired() && IsWindow(self) && IsWindowVisible(self)) {
            const BOOL got = GetMessageW(&message, nullptr, 0, 0);
            if (got == 0) {
                // Not ours to take: the loop that waits for it should see it.
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            if (got == -1) {
                break;
            }
            if (TranslateKeys(message)) {
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    // Hide and Unload gave the others back before the window went, so Windows activated
    // one of them; if it found none, the previous window comes back.
    if (GetActiveWindow() == nullptr && previous != nullptr && previous != self &&
        IsWindow(previous) && IsWindowVisible(previous)) {
        SetForegroundWindow(previous);
    }
}

void Win32Window::SetDefaultButton(ui::Control* button) {
    Win32Control* chosen = nullptr;
    for (const auto& control : controls_) {
        if (control.get() == button && control->kind_ == ui::ControlKind::Button) {
            chosen = control.get();
        }
    }
    // The default button wears the thicker border, as in every dialog.
    if (defaultButton_ != nullptr && defaultButton_ != chosen && defaultButton_->handle_) {
        SendMessageW(defaultButton_->handle_.get(), BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    }
    if (chosen != nullptr && chosen->handle_) {
        SendMessageW(chosen->handle_.get(), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    }
    defaultButton_ = chosen;
}

bool Win32Window::TranslateKeys(MSG& message) {
    const HWND active = GetActiveWindow();
    if (active == nullptr || (message.hwnd != active && !IsChild(active, message.hwnd))) {
        return false;
    }
    wchar_t className[32] = {};
    GetClassNameW(active, className, 32);
    if (std::wstring_view(className) != kWindowClass) {
        return false;
    }
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(active, GWLP_USERDATA));
    if (self == nullptr) {
        return false;
    }
    if (message.message == WM_KEYDOWN) {
        bool handled = false;
        // A handler may delete the window: nothing of it is used after this.
        RunHandler([&] { handled = self->KeyDown(message); });
        if (handled) {
            return true;
        }
    }
    return IsWindow(active) && IsDialogMessageW(active, &message) != FALSE;
}

bool Win32Window::KeyDown(const MSG& message) {
    const auto key = message.wParam;
    if (key != VK_RETURN && key != VK_ESCAPE && key != VK_SPACE) {
        return false;
    }
    const HWND focus = GetFocus();
    if (focus != nullptr && focus != window_.get()) {
        // An open drop-down list closes on Enter and Esc itself.
        const auto code =
            SendMessageW(focus, WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(&message));
        if ((code & (DLGC_WANTMESSAGE | DLGC_WANTALLKEYS)) != 0) {
            return false;
        }
    }
    Win32Control* const focused = FindControl(focus);
    const bool link =
        focused != nullptr && focused->kind_ == ui::ControlKind::Label && focused->focusable_;
    if (key == VK_SPACE) {
        if (!link) {
            return false;  // buttons and check boxes take Space themselves
        }
        focused->Clicked();
        return true;
    }
    if (key == VK_RETURN) {
        Win32Control* const target =
            link || (focused != nullptr && focused->kind_ == ui::ControlKind::Button)
                ? focused
                : defaultButton_;
        if (target != nullptr) {
            target->Clicked();  // takes no click unless it takes input
        }
        return true;
    }
    const auto handler = OnCancel;  // a copy: the handler may unload the window
    Raise(handler);
    return true;
}

void Win32Window::RememberFocus() {
    const HWND focus = GetFocus();
    if (window_ && focus != nullptr && IsChild(window_.get(), focus)) {
        lastFocus_ = focus;
    }
}

void Win32Window::RestoreFocus() {
    const HWND back = lastFocus_;
    if (back != nullptr && IsWindow(back) && IsChild(window_.get(), back) &&
        IsWindowVisible(back) && IsWindowEnabled(back) &&
        (GetWindowLongPtrW(back, GWL_STYLE) & WS_TABSTOP) != 0) {
        SetFocus(back);
    } else {
        SetFocus(window_.get());
    }
}

void Win32Window::Activated(WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        RememberFocus();
        return;
    }
    // Activated while still minimised: the focus follows once it is restored (WM_SIZE).
    if (HIWORD(wParam) == 0) {
        RestoreFocus();
    }
}

void Win32Window::Deactivated() {
    if (g_lastActive == window_.get()) {
        g_lastActive = nullptr;
    }
    if (modal_ != nullptr) {
        modal_->End();
    }
}

void Win32Window::Hide() {
    if (!window_) {
        return;
    }
    RememberFocus();
    Deactivated();
    ShowWindow(window_.get(), SW_HIDE);
}

bool Win32Window::Visible() const {
    return window_ && IsWindowVisible(window_.get());
}

void Win32Window::SetState(ui::WindowState state) {
    if (!window_) {
        return;
    }
    if (!IsWindowVisible(window_.get())) {
        // ShowWindow would show a hidden window: it takes the state when shown.
        stateOnShow_ = state;
        return;
    }
    if (state == ui::WindowState::Minimized) {
        RememberFocus();
        ShowWindow(window_.get(), SW_MINIMIZE);
    } else if (IsIconic(window_.get())) {
        ShowWindow(window_.get(), SW_RESTORE);
    }
}

ui::WindowState Win32Window::State() const {
    if (!window_) {
        return ui::WindowState::Normal;
    }
    if (stateOnShow_ && !IsWindowVisible(window_.get())) {
        return *stateOnShow_;
    }
    // A window minimised and then hidden still is.
    return IsIconic(window_.get()) ? ui::WindowState::Minimized : ui::WindowState::Normal;
}

void Win32Window::Unload() {
    if (!window_) {
        return;
    }
    int cancel = 0;
    const auto handler = OnUnload;
    if (handler) {
        const std::weak_ptr<int> alive = life_;
        handler(cancel);
        if (alive.expired()) {
            return;
        }
    }
    if (cancel == 0) {
        DestroyNow();
    }
}

void Win32Window::DestroyNow() {
    if (!window_) {
        return;
    }
    Deactivated();
    // WM_NCDESTROY releases the controls' handles; nothing posts WM_QUIT: the logic ends
    // the program itself.
    window_.reset();
}

void Win32Window::Destroyed() {
    // Windows has destroyed the controls with the window.
    for (auto& control : controls_) {
        control->handle_.release();
        control->playing_ = false;
    }
    for (auto& list : lists_) {
        list->handle_.release();
    }
    window_.release();
    activationPosted_ = false;
}

Win32ListView* Win32Window::FindList(HWND handle) const {
    if (handle == nullptr) {
        return nullptr;
    }
    for (const auto& list : lists_) {
        if (list->handle_.get() == handle) {
            return list.get();
        }
    }
    return nullptr;
}

Win32Control* Win32Window::FindControl(HWND handle) const {
    if (handle == nullptr) {
        return nullptr;
    }
    for (const auto& control : controls_) {
        if (control->handle_.get() == handle) {
            return control.get();
        }
    }
    return nullptr;
}

LRESULT CALLBACK Win32Window::Procedure(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) noexcept {
    auto* self = WindowObject<Win32Window>(window, message, lParam);
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->Destroyed();
        return DefWindowProcW(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    bool handled = false;
    RunHandler([&] { handled = self->Handle(window, message, wParam, lParam, result); });
    // `self` may be gone here: a handler may have deleted the window object.
    return handled ? result : DefWindowProcW(window, message, wParam, lParam);
}

bool Win32Window::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // Every branch that runs a handler returns right after it: the object may be gone.
    switch (message) {
        case WM_COMMAND: {
            Win32Control* control = FindControl(reinterpret_cast<HWND>(lParam));
            if (control == nullptr) {
                return false;
            }
            result = 0;
            control->Command(HIWORD(wParam));
            return true;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header == nullptr) {
                return false;
            }
            if (header->code == LVN_GETDISPINFOW) {
                Win32ListView* list = FindList(header->hwndFrom);
                if (list == nullptr) {
                    return false;
                }
                result = 0;
                list->GetDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
                return true;
            }
            if (header->code == NM_CLICK || header->code == LVN_KEYDOWN) {
                Win32ListView* list = FindList(header->hwndFrom);
                if (list != nullptr && list->CheckNotify(*header)) {
                    result = 0;
                    return true;
                }
                return false;
            }
            if (header->code == LVN_ODFINDITEMW && FindList(header->hwndFrom) != nullptr) {
                result = -1;  // no search by the typed letters
                return true;
            }
            if (header->code == UDN_DELTAPOS) {
                Win32Control* control = FindControl(header->hwndFrom);
                if (control == nullptr || control->kind_ != ui::ControlKind::SpinBar) {
                    return false;
                }
                result = control->DeltaPos(*reinterpret_cast<const NMUPDOWN*>(lParam));
                return true;
            }
            return false;
        }
        case WM_VSCROLL: {
            Win32Control* control = FindControl(reinterpret_cast<HWND>(lParam));
            if (control == nullptr || control->kind_ != ui::ControlKind::SpinBar) {
                return false;
            }
            result = 0;
            control->Scrolled();
            return true;
        }
        case WM_CTLCOLORSTATIC: {
            const Win32Control* control = FindControl(reinterpret_cast<HWND>(lParam));
            if (control != nullptr && control->kind_ == ui::ControlKind::TextBox) {
                return false;  // a disabled text box paints as Windows does
            }
            const auto dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc,
                         control != nullptr ? control->TextColor() : GetSysColor(COLOR_BTNTEXT));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            SetBkMode(dc, TRANSPARENT);
            result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            return true;
        }
        case WM_SETCURSOR: {
            const Win32Control* control = FindControl(reinterpret_cast<HWND>(wParam));
            const HCURSOR shape = control != nullptr ? control->Cursor() : nullptr;
            if (shape == nullptr || LOWORD(lParam) != HTCLIENT) {
                return false;
            }
            SetCursor(shape);
            result = TRUE;
            return true;
        }
        case WM_TIMER: {
            for (const auto& timer : timers_) {
                if (timer->id_ != wParam) {
                    continue;
                }
                result = 0;
                // A tick already queued when the timer stopped, or one that comes while
                // the handler runs (it called DoEvents), is dropped.
                if (timer->running_ || !timer->enabled_ || timer->interval_ == 0) {
                    return true;
                }
                Win32Timer* const running = timer.get();
                const std::weak_ptr<int> alive = life_;
                const auto handler = running->OnTimer;
                running->running_ = true;
                RunHandler([&] { Raise(handler); });
                if (!alive.expired()) {
                    running->running_ = false;  // timers live as long as their window
                }
                return true;
            }
            return false;
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && g_lastActive != window) {
                g_lastActive = window;
                if (!activationPosted_ && PostMessageW(window, kActivateMessage, 0, 0)) {
                    activationPosted_ = true;
                    g_pumpRequested = true;
                }
            }
            Activated(wParam);
            result = 0;
            return true;
        case kActivateMessage: {
            activationPosted_ = false;
            result = 0;
            if (!IsWindowVisible(window)) {
                return true;  // hidden again before it got here
            }
            const auto handler = OnActivate;
            RunHandler([&] { Raise(handler); });
            return true;
        }
        case WM_SIZE: {
            result = 0;
            if (wParam == SIZE_MINIMIZED) {
                RememberFocus();  // minimising takes the focus away before deactivating
            } else if (GetActiveWindow() == window) {
                const HWND focus = GetFocus();
                if (focus == nullptr || focus == window) {
                    RestoreFocus();
                }
            }
            const auto handler = OnResize;
            RunHandler([&] { Raise(handler); });
            return true;
        }
        case WM_CLOSE:
            // The close box: the logic decides; DefWindowProc would destroy the window.
            result = 0;
            RunHandler([&] { Unload(); });
            return true;
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
            // A theme switched on or off while the window exists: its colours are read again.
            RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            return false;
        case WM_DESTROY:
            if (g_lastActive == window) {
                g_lastActive = nullptr;
            }
            return false;
        default:
            return false;
    }
}

// ---------------------------------------------------------------------------------------
// The port

Win32Ui::Win32Ui(std::chrono::milliseconds pumpInterval) : pumpInterval_(pumpInterval) {
    const UniqueScreenDc screen(GetDC(nullptr));
    if (screen) {
        const int x = GetDeviceCaps(screen.get(), LOGPIXELSX);
        const int y = GetDeviceCaps(screen.get(), LOGPIXELSY);
        dpi_.x = x > 0 ? x : 96;
        dpi_.y = y > 0 ? y : 96;
    }
}

std::unique_ptr<ui::Window> Win32Ui::NewWindow(std::string_view name, const ui::Font& font) {
    return std::make_unique<Win32Window>(name, font, dpi_);
}

void Win32Ui::DoEvents() {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    if (!g_pumpRequested && lastPump_ != Clock::time_point{} && start - lastPump_ < pumpInterval_) {
        return;
    }
    g_pumpRequested = false;
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));  // left for whoever waits for it
            break;
        }
        if (!Win32Window::TranslateKeys(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (Clock::now() - start >= kPumpLimit) {
            g_pumpRequested = true;  // more may wait: the next call looks at once
            break;
        }
    }
    lastPump_ = Clock::now();
}

void Win32Ui::WaitForEvent(std::uint32_t timeoutMilliseconds) {
    MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMilliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    // Whatever woke the wait is to be handled by the DoEvents that follows.
    g_pumpRequested = true;
}

void Win32Ui::ShowMessage(std::string_view text, std::string_view title) {
    MessageBoxW(GetActiveWindow(), Wide(text).c_str(), Wide(title).c_str(),
                MB_OK | MB_ICONINFORMATION);
}

int Win32Ui::ScreenWidthTwips() const {
    return MulDiv(GetSystemMetrics(SM_CXSCREEN), kTwipsPerInch, dpi_.x);
}

int Win32Ui::ScreenHeightTwips() const {
    return MulDiv(GetSystemMetrics(SM_CYSCREEN), kTwipsPerInch, dpi_.y);
}

void Win32Ui::InitCommonControls() {
    EnsureCommonControls(ICC_STANDARD_CLASSES | ICC_ANIMATE_CLASS | ICC_LISTVIEW_CLASSES |
                         ICC_UPDOWN_CLASS | ICC_WIN95_CLASSES);
}

}  // namespace keldra::platform::win32

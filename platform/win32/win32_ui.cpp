#include "platform/win32/win32_ui.h"

#include <commctrl.h>

#include <cmath>
#include <utility>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_process.h"

namespace keldra::platform::win32 {
namespace {

constexpr const wchar_t* kWindowClass = L"KeldraWindow";
constexpr int kTwipsPerInch = 1440;
constexpr int kFirstControlId = 1000;

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

Win32Control::Win32Control(Win32Window& owner, ui::ControlKind kind, HWND handle)
    : owner_(owner), kind_(kind), handle_(handle) {}

void Win32Control::SetText(std::string_view text) {
    if (kind_ == ui::ControlKind::Picture) {
        pictureName_ = std::string(text);
        ShowPicture(Wide(text));
        return;
    }
    SetWindowTextW(handle_.get(), Wide(text).c_str());
}

std::string Win32Control::Text() const {
    return kind_ == ui::ControlKind::Picture ? pictureName_ : WindowText(handle_.get());
}

void Win32Control::SetVisible(bool visible) {
    ShowWindow(handle_.get(), visible ? SW_SHOWNA : SW_HIDE);
}

bool Win32Control::Visible() const {
    // The control's own flag: a control on a hidden window still counts as visible.
    return handle_ && (GetWindowLongPtrW(handle_.get(), GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32Control::SetEnabled(bool enabled) {
    labelEnabled_ = enabled;
    // Windows greys the text of a disabled static; a label that only stops taking clicks
    // keeps its colour (the green "nothing found" rows).
    if (kind_ != ui::ControlKind::Label) {
        EnableWindow(handle_.get(), enabled ? TRUE : FALSE);
    }
}

bool Win32Control::Enabled() const {
    if (kind_ == ui::ControlKind::Label) {
        return handle_ && labelEnabled_;
    }
    return handle_ && IsWindowEnabled(handle_.get());
}

void Win32Control::Move(const ui::Twips& position) {
    SetWindowPos(handle_.get(), nullptr, owner_.PixelsX(position.left),
                 owner_.PixelsY(position.top), owner_.PixelsX(position.width),
                 owner_.PixelsY(position.height), SWP_NOZORDER | SWP_NOACTIVATE);
}

ui::Twips Win32Control::Position() const {
    RECT rect{};
    if (!handle_ || !GetWindowRect(handle_.get(), &rect)) {
        return {};
    }
    MapWindowPoints(HWND_DESKTOP, GetParent(handle_.get()), reinterpret_cast<POINT*>(&rect), 2);
    return {owner_.TwipsX(rect.left), owner_.TwipsY(rect.top),
            owner_.TwipsX(rect.right - rect.left), owner_.TwipsY(rect.bottom - rect.top)};
}

void Win32Control::SetForeColor(ui::Color color) {
    foreColor_ = color;
    InvalidateRect(handle_.get(), nullptr, TRUE);
}

COLORREF Win32Control::TextColor() const {
    if (foreColor_ == ui::kDefaultColor) {
        return GetSysColor(COLOR_BTNTEXT);
    }
    // The high bit marks a system colour by its index, as the classic colour values do.
    if ((foreColor_ & 0x80000000U) != 0) {
        return GetSysColor(static_cast<int>(foreColor_ & 0xFFU));
    }
    return foreColor_ & 0x00FFFFFFU;
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
    if (kind_ != ui::ControlKind::CheckBox || value < ui::kUnchecked || value > ui::kGrayed ||
        value == value_) {
        return;
    }
    value_ = value;
    SendMessageW(handle_.get(), BM_SETCHECK,
                 value == ui::kChecked  ? BST_CHECKED
                 : value == ui::kGrayed ? BST_INDETERMINATE
                                        : BST_UNCHECKED,
                 0);
    // Called by the logic itself: a failing handler fails that call.
    const auto handler = OnClick;
    Raise(handler);
}

void Win32Control::Clicked() {
    // A disabled control takes no clicks; some click messages reach it all the same.
    if (!Enabled()) {
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
    const wchar_t* windowClass = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
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
    }
    const int id = kFirstControlId + static_cast<int>(controls_.size());
    // A picture's text names its bitmap, which the control would otherwise load itself
    // and never free.
    const std::wstring initialText = kind == ui::ControlKind::Picture ? L"" : Wide(text);
    HWND handle = nullptr;
    if (window_) {
        handle = CreateWindowExW(
            0, windowClass, initialText.c_str(), style, PixelsX(position.left),
            PixelsY(position.top), PixelsX(position.width), PixelsY(position.height), window_.get(),
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    }
    auto control = std::make_unique<Win32Control>(*this, kind, handle);
    if (handle != nullptr) {
        SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(font)), FALSE);
    }
    if (kind == ui::ControlKind::Picture) {
        control->SetText(text);
    }
    controls_.push_back(std::move(control));
    return *controls_.back();
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
    window_.release();
    activationPosted_ = false;
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
            // BN_CLICKED and STN_CLICKED are both 0.
            Win32Control* control = FindControl(reinterpret_cast<HWND>(lParam));
            if (control == nullptr || HIWORD(wParam) != BN_CLICKED) {
                return false;
            }
            control->Clicked();
            result = 0;
            return true;
        }
        case WM_CTLCOLORSTATIC: {
            const Win32Control* control = FindControl(reinterpret_cast<HWND>(lParam));
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
            return false;  // DefWindowProc sets the focus
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
            const auto handler = OnResize;
            RunHandler([&] { Raise(handler); });
            return true;
        }
        case WM_CLOSE:
            // The close box: the logic decides; DefWindowProc would destroy the window.
            result = 0;
            RunHandler([&] { Unload(); });
            return true;
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
        TranslateMessage(&message);
        DispatchMessageW(&message);
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

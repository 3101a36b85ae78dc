#include "platform/win32/win32_window.h"

#include <cmath>
#include <utility>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_modal.h"
#include "platform/win32/win32_ui_shared.h"

namespace keldra::platform::win32 {

using namespace ui_shared;

Win32Window::Win32Window(std::string_view name, const ui::Font& font, Dpi dpi)
    : name_(name), dpi_(dpi), systemDpiX_(dpi.x > 0 ? dpi.x : 96) {
    if (!RegisterWindowClass(&Win32Window::Procedure)) {
        return;
    }
    style_ = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    window_.reset(CreateWindowExW(0, kWindowClass, L"", style_, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), this));
    windowFont_ = font;
    font_ = FontFor(font);
    SendMessageW(window_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

int Win32Window::IconMetric(int metric) const {
    // The system's metrics are those of the DPI the program started at.
    return MulDiv(GetSystemMetrics(metric), dpi_.x, systemDpiX_);
}

void Win32Window::ChangeDpi(Dpi dpi, const RECT* suggested) {
    if (!window_ || dpi.x <= 0 || dpi.y <= 0) {
        return;
    }
    const int oldDpiX = dpi_.x;
    dpi_ = dpi;
    // The old fonts go only once no control uses them any more.
    auto oldFonts = std::exchange(fonts_, {});
    font_ = FontFor(windowFont_);
    SendMessageW(window_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    for (auto& control : controls_) {
        control->Rescale();
    }
    for (auto& list : lists_) {
        list->Rescale(oldDpiX);
    }
    if (suggested != nullptr) {
        SetWindowPos(window_.get(), nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (clientTwips_) {
        SetClientSize(clientTwips_->first, clientTwips_->second);
    }
    if (!iconName_.empty()) {
        const std::string icons = iconName_;
        SetIcons(icons, iconsAlsoOwner_);
    }
    oldFonts.clear();
    RedrawWindow(window_.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
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

namespace {

// The window class and styles that make a control of each kind.
struct WindowClass {
    const wchar_t* name;
    DWORD style;
    DWORD exStyle;
};

WindowClass ClassOf(ui::ControlKind kind) {
    WindowClass c{L"STATIC", WS_CHILD | WS_VISIBLE, 0};
    switch (kind) {
        case ui::ControlKind::Label:
            // SS_LEFT wraps words; without SS_NOPREFIX an "&" would underline the next
            // letter; SS_NOTIFY lets the clicks through.
            c.style |= SS_LEFT | SS_NOPREFIX | SS_NOTIFY;
            break;
        case ui::ControlKind::Button:
            c.name = L"BUTTON";
            c.style |= BS_PUSHBUTTON | WS_TABSTOP;
            break;
        case ui::ControlKind::CheckBox:
            // Three states for the grayed value, and not automatic: Clicked keeps it.
            c.name = L"BUTTON";
            c.style |= BS_3STATE | BS_MULTILINE | WS_TABSTOP;
            break;
        case ui::ControlKind::Picture:
            c.style |= SS_BITMAP | SS_NOTIFY;
            break;
        case ui::ControlKind::Animation:
            EnsureCommonControls(ICC_ANIMATE_CLASS);
            c.name = ANIMATE_CLASSW;
            c.style |= ACS_TRANSPARENT;
            break;
        case ui::ControlKind::Line:
            c.style |= SS_ETCHEDHORZ;
            break;
        case ui::ControlKind::TextBox:
            // The sunken box of a classic text box, one line that scrolls as the user types.
            c.name = L"EDIT";
            c.style |= ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP;
            c.exStyle = WS_EX_CLIENTEDGE;
            break;
        case ui::ControlKind::SpinBar:
            // Vertical and on its own: no buddy window, the logic pairs it with a text box.
            EnsureCommonControls(ICC_UPDOWN_CLASS);
            c.name = UPDOWN_CLASSW;
            break;
        case ui::ControlKind::ComboBox:
            c.name = L"COMBOBOX";
            c.style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
            break;
        case ui::ControlKind::Frame:
            // Below its controls (see below); clipped by them, so it never paints over them.
            c.name = L"BUTTON";
            c.style |= BS_GROUPBOX | WS_CLIPSIBLINGS;
            break;
    }
    return c;
}

}  // namespace

void Win32Window::FirstState(Win32Control& control, const ui::Twips& position,
                             std::string_view text) {
    const HWND handle = control.handle_.get();
    switch (control.kind_) {
        case ui::ControlKind::Label:
            // Subclassed from the start: a screen reader gets its name as shown, and a
            // row that becomes a link its role.
            control.SetFocusable(false);
            break;
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
}

Win32Control& Win32Window::CreateControl(ui::ControlKind kind, const ui::Twips& position,
                                         std::string_view text, const ui::Font& font,
                                         Win32Control* frame) {
    const WindowClass windowClass = ClassOf(kind);
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
        handle = CreateWindowExW(windowClass.exStyle, windowClass.name, initialText.c_str(),
                                 windowClass.style, left, top, PixelsX(position.width),
                                 PixelsY(position.height), window_.get(), NextControlId(),
                                 GetModuleHandleW(nullptr), nullptr);
    }
    auto owned = std::make_unique<Win32Control>(*this, kind, handle, frame);
    Win32Control& control = *owned;
    control.position_ = position;
    control.font_ = font;
    controls_.push_back(std::move(owned));
    if (handle == nullptr) {
        return control;
    }
    SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(font)), FALSE);
    FirstState(control, position, text);
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
    lists_.back()->position_ = position;
    lists_.back()->font_ = font;
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
    clientTwips_ = std::make_pair(widthTwips, heightTwips);
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
    iconName_ = std::string(resourceName);
    iconsAlsoOwner_ = alsoOwner;
    const std::wstring name = Wide(resourceName);
    const HMODULE program = GetModuleHandleW(nullptr);
    // One copy per name and size for the whole process, as shared icons are; shared ones
    // come only in the system's own sizes, and a window at another DPI needs others.
    // They live as long as the process: an owner window may show them after we are gone.
    static std::map<std::tuple<std::wstring, int, int>, UniqueHIcon> loaded;
    const auto load = [&](int width, int height) -> HICON {
        auto key = std::make_tuple(name, width, height);
        const auto found = loaded.find(key);
        if (found != loaded.end()) {
            return found->second.get();
        }
        const auto icon = static_cast<HICON>(
            LoadImageW(program, name.c_str(), IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
        if (icon != nullptr) {
            loaded.emplace(std::move(key), UniqueHIcon(icon));
        }
        return icon;
    };
    const HICON big = load(IconMetric(SM_CXICON), IconMetric(SM_CYICON));
    const HICON small = load(IconMetric(SM_CXSMICON), IconMetric(SM_CYSMICON));
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
    // The state set while hidden, else the one it was hidden in.
    const bool minimized = State() == ui::WindowState::Minimized;
    stateOnShow_.reset();
    ShowWindow(window_.get(), minimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
    SetForegroundWindow(window_.get());
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
    if (state == State()) {
        return;  // nothing changes on the screen: no OnResize
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

}  // namespace keldra::platform::win32

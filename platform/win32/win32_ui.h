#pragma once
// The windows port over USER32 and the common controls. Each window is a top-level
// window of its own class whose procedure passes the events to the C++ objects; the
// logic's handlers run inside RunHandler, so nothing unwinds into Windows.
//
// Activation: a window that becomes the program's active window posts itself a private
// message and raises OnActivate from it, so that Windows has finished activating it
// before a handler that may run for long starts. As with the forms of classic Windows
// programs, coming back from another program to the window that was active before raises
// nothing; a window hidden or closed in between counts as new.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/ui_port.h"
#include "platform/win32/handles.h"

namespace keldra::platform::win32 {

// Pixels per inch of the screen, read once: twips become pixels through it.
struct Dpi {
    int x = 96;
    int y = 96;
};

class Win32Window;

// Frames are group boxes; the controls placed in one are its siblings on the window, so
// that their notifications reach the window's procedure like any other control's. The
// frame moves, hides and disables them along with itself (disabled ones are greyed) and
// lies below them, so that it never paints over them.
class Win32Control final : public ui::Control {
  public:
    Win32Control(Win32Window& owner, ui::ControlKind kind, HWND handle,
                 Win32Control* frame = nullptr);
    Win32Control(const Win32Control&) = delete;
    Win32Control& operator=(const Win32Control&) = delete;

    ui::ControlKind Kind() const override { return kind_; }
    void SetText(std::string_view text) override;
    std::string Text() const override;
    // The control's own flags: a control in a hidden or disabled frame keeps them.
    void SetVisible(bool visible) override;
    bool Visible() const override { return handle_ && visible_; }
    void SetEnabled(bool enabled) override;
    bool Enabled() const override { return handle_ && enabled_; }
    void Move(const ui::Twips& position) override;
    ui::Twips Position() const override;
    void SetForeColor(ui::Color color) override;
    ui::Color ForeColor() const override { return foreColor_; }
    void SetPointer(ui::Pointer pointer) override;
    ui::Pointer MousePointer() const override { return pointer_; }
    void SetValue(int value) override;
    int Value() const override { return value_; }
    void SetRange(int bottom, int top) override;
    void ClearItems() override;
    void AddItem(std::string_view text) override;
    int ItemCount() const override;
    std::string ItemText(int index) const override;
    bool Open(std::string_view path) override;
    void Play() override;
    void Stop() override;
    bool Playing() const override { return playing_; }
    void SetFocusable(bool focusable) override;

    // For tests: the control's window.
    HWND Handle() const { return handle_.get(); }
    // The colour a label's text is painted in: the chosen one, or under a high-contrast
    // theme the system's (its link colour for a label that leads somewhere).
    static COLORREF ShownColor(ui::Color chosen, bool link, bool highContrast);
    static bool HighContrastOn();

  private:
    friend class Win32Window;

    // A notification the control sent its window in WM_COMMAND.
    void Command(WORD code);
    // A click reported by the control itself (BN_CLICKED / STN_CLICKED).
    void Clicked();
    // A text box's EN_CHANGE, or a text set: OnChange if the text differs from the last.
    void TextChanged();
    // A drop-down list's CBN_SELCHANGE.
    void SelectionChanged();
    // A spin bar's arrow: UDN_DELTAPOS asks before the move. The adapter moves the value
    // itself, inside the range, and answers non-zero so that the control does not.
    LRESULT DeltaPos(const NMUPDOWN& change);
    // A spin bar's WM_VSCROLL, sent after every arrow: takes a position the control
    // reached without asking.
    void Scrolled();
    void SpinTo(int value, bool byUser);

    // Enabled and visible, and so is every frame around it.
    bool TakesInput() const;
    bool FramesEnabled() const;
    bool FramesVisible() const;
    bool Inside(const Win32Control& frame) const;
    // Apply the own flags and the frames' to the window, and a frame's to its children.
    void ApplyEnabled();
    void ApplyVisible();
    void ApplyOwnEnabled();
    void ApplyOwnVisible();
    // The top left corner of the control's window in the window's client area, pixels.
    POINT Origin() const;
    // The open list of a drop-down list, in pixels: part of its window's height.
    int DropHeight() const;
    // The text colour for WM_CTLCOLORSTATIC.
    COLORREF TextColor() const;
    HCURSOR Cursor() const;
    void ShowPicture(const std::wstring& name);
    // A focusable label is a tab stop while enabled.
    void ApplyTabStop();
    // Draws the focus rectangle of a focusable label around its text.
    static LRESULT CALLBACK LinkProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR data) noexcept;

    Win32Window& owner_;
    const ui::ControlKind kind_;
    Win32Control* const frame_;
    bool enabled_ = true;
    bool visible_ = true;
    ui::Color foreColor_ = ui::kDefaultColor;
    ui::Pointer pointer_ = ui::Pointer::Default;
    // Check box state, spin bar position, or chosen list position.
    int value_;
    // Spin bars: a new one counts from 0 upwards, as the simulated one.
    int bottom_ = 0;
    int top_ = 100;
    // Text boxes: the text OnChange last reported, and how deep SetText calls run (the
    // handler that SetText raises may set the text again).
    std::string reportedText_;
    int settingText_ = 0;
    bool playing_ = false;
    bool focusable_ = false;
    bool subclassed_ = false;
    std::string pictureName_;
    UniqueHBitmap picture_;  // before handle_: the control must go first
    // Released, not destroyed, when the parent window goes: Windows destroys it then.
    UniqueHwnd handle_;
};

// A report list view in owner-data mode: it holds no rows, only their count, and asks for
// the texts it paints (LVN_GETDISPINFO), so that a hundred thousand rows cost nothing.
class Win32ListView final : public ui::ListView {
  public:
    Win32ListView(Win32Window& owner, HWND handle);
    Win32ListView(const Win32ListView&) = delete;
    Win32ListView& operator=(const Win32ListView&) = delete;

    void AddColumn(std::string_view header, int widthTwips) override;
    std::size_t ColumnCount() const override { return columns_.size(); }
    void SetColumnHeader(std::size_t column, std::string_view header) override;
    std::string ColumnHeader(std::size_t column) const override;
    // The width as set, unless the user dragged it to another.
    int ColumnWidth(std::size_t column) const override;
    void SetRowIcon(std::string_view resourceName) override;
    void SetRows(const ui::ListRows* rows) override;
    void RowsChanged() override;
    std::size_t ShownRowCount() const override { return shown_; }
    // The boxes are state images the rows give through LVN_GETDISPINFO, as an owner-data
    // list view keeps no item states; a click on a box and Space on the focused row are
    // heard through NM_CLICK and LVN_KEYDOWN.
    void SetCheckBoxes(bool checkBoxes) override;
    bool CheckBoxes() const override { return checkBoxes_; }
    void RowChanged(std::size_t row) override;
    void SetVisible(bool visible) override;
    bool Visible() const override;
    void Move(const ui::Twips& position) override;
    ui::Twips Position() const override;

    // For tests: the list view's window.
    HWND Handle() const { return handle_.get(); }

  private:
    friend class Win32Window;

    struct Column {
        int widthTwips;
        int widthPixels;  // as set: another one was dragged by the user
    };

    void GetDisplayInfo(NMLVDISPINFOW& info);
    // The notifications that toggle a box; false for any other.
    bool CheckNotify(const NMHDR& header);
    void Toggle(int row);

    Win32Window& owner_;
    bool checkBoxes_ = false;
    std::vector<Column> columns_;
    const ui::ListRows* rows_ = nullptr;
    std::size_t shown_ = 0;
    // The list view may keep a text pointer until two more requests have been answered,
    // so the answers rotate through three buffers.
    std::array<std::wstring, 3> texts_;
    std::size_t nextText_ = 0;
    UniqueHImageList images_;  // before handle_: the control must go first
    UniqueHwnd handle_;
};

class Win32Timer final : public ui::Timer {
  public:
    Win32Timer(Win32Window& owner, UINT_PTR id) : owner_(owner), id_(id) {}
    Win32Timer(const Win32Timer&) = delete;
    Win32Timer& operator=(const Win32Timer&) = delete;

    void SetInterval(std::uint32_t milliseconds) override;
    std::uint32_t Interval() const override { return interval_; }
    void SetEnabled(bool enabled) override;
    bool Enabled() const override { return enabled_; }

  private:
    friend class Win32Window;
    void Apply();

    Win32Window& owner_;
    const UINT_PTR id_;
    // A new timer is off until enabled, as the simulated one.
    std::uint32_t interval_ = 0;
    bool enabled_ = false;
    bool running_ = false;  // OnTimer is running: ticks meanwhile are skipped
};

class Win32Window final : public ui::Window {
  public:
    Win32Window(std::string_view name, const ui::Font& font, Dpi dpi);
    ~Win32Window() override;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    ui::Control& AddControl(ui::ControlKind kind, std::string_view name, const ui::Twips& position,
                            std::string_view text, const ui::Font& font) override;
    // A frame not of this window: the control goes on the window itself.
    ui::Control& AddControlIn(ui::Control& frame, ui::ControlKind kind, std::string_view name,
                              const ui::Twips& position, std::string_view text,
                              const ui::Font& font) override;
    ui::ListView& AddListView(std::string_view name, const ui::Twips& position,
                              const ui::Font& font) override;
    ui::Timer& AddTimer(std::string_view name) override;
    void SetCaption(std::string_view caption) override;
    std::string Caption() const override;
    void SetClientSize(int widthTwips, int heightTwips) override;
    ui::Twips Bounds() const override;
    void MoveTo(int leftTwips, int topTwips) override;
    void SetIcons(std::string_view resourceName, bool alsoOwner) override;
    void Show() override;
    void ShowModal() override;
    void Hide() override;
    bool Visible() const override;
    void SetState(ui::WindowState state) override;
    ui::WindowState State() const override;
    void Unload() override;
    bool Loaded() const override { return static_cast<bool>(window_); }
    void SetDefaultButton(ui::Control* button) override;

    // The keyboard of the program's active window, for every message loop: Enter, Space
    // and Esc as the port promises, Tab and the arrows through the dialog manager. True
    // when the message was handled (it must not be dispatched again).
    static bool TranslateKeys(MSG& message);

    // For tests: the window, and the private message that carries the activation.
    HWND Handle() const { return window_.get(); }
    static constexpr UINT kActivateMessage = WM_APP + 0x21;

  private:
    friend class Win32Control;
    friend class Win32ListView;
    friend class Win32Timer;
    class ModalScope;

    // Never lets an exception through: the handlers run inside RunHandler.
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept;
    // The message's answer, or nothing to leave it to DefWindowProc.
    bool Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void Destroyed();
    void DestroyNow();
    // Enter, Space or Esc pressed in the window: true when the window acted on it.
    bool KeyDown(const MSG& message);
    // The focus goes back to the control that had it when the window was last active,
    // also after it was minimised or hidden in between.
    void Activated(WPARAM wParam);
    void RememberFocus();
    void RestoreFocus();
    void Deactivated();
    Win32Control& CreateControl(ui::ControlKind kind, const ui::Twips& position,
                                std::string_view text, const ui::Font& font, Win32Control* frame);
    Win32Control* FindControl(HWND handle) const;
    Win32ListView* FindList(HWND handle) const;
    // Every control placed in the frame, directly or in a frame inside it.
    template <typename F>
    void ForEachInside(const Win32Control& frame, F&& f) {
        for (const auto& control : controls_) {
            if (control->Inside(frame)) {
                f(*control);
            }
        }
    }
    HMENU NextControlId() {
        return reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextControlId_++));
    }
    HFONT FontFor(const ui::Font& font);

    int PixelsX(int twips) const;
    int PixelsY(int twips) const;
    int TwipsX(int pixels) const;
    int TwipsY(int pixels) const;

    const std::string name_;
    const Dpi dpi_;
    DWORD style_ = 0;
    // Alive while the object is: code that ran a handler checks it before going on.
    std::shared_ptr<int> life_ = std::make_shared<int>(0);
    std::map<std::tuple<std::wstring, long, bool, bool>, UniqueHFont> fonts_;
    HFONT font_ = nullptr;  // the window's own, one of fonts_
    bool activationPosted_ = false;
    // Set while hidden: the state Show brings the window up in.
    std::optional<ui::WindowState> stateOnShow_;
    ModalScope* modal_ = nullptr;
    Win32Control* defaultButton_ = nullptr;
    HWND lastFocus_ = nullptr;
    UINT_PTR nextTimerId_ = 1;
    int nextControlId_ = 1000;
    UniqueHwnd window_;
    std::vector<std::unique_ptr<Win32Control>> controls_;
    std::vector<std::unique_ptr<Win32ListView>> lists_;
    std::vector<std::unique_ptr<Win32Timer>> timers_;
};

class Win32Ui final : public ui::UiPort {
  public:
    // DoEvents skips the queue when it looked less than this long ago and nothing asked
    // for a look since: a scan calls it for every item, and under Wine one empty look
    // costs about 50 µs.
    static constexpr std::chrono::milliseconds kPumpInterval{5};
    // One DoEvents stops after this long even if messages keep coming (a timer whose
    // handler is slower than its interval), so that the caller gets on.
    static constexpr std::chrono::milliseconds kPumpLimit{250};

    // Tests choose another interval to see the throttle at work.
    explicit Win32Ui(std::chrono::milliseconds pumpInterval = kPumpInterval);
    Win32Ui(const Win32Ui&) = delete;
    Win32Ui& operator=(const Win32Ui&) = delete;

    std::unique_ptr<ui::Window> NewWindow(std::string_view name, const ui::Font& font) override;
    void DoEvents() override;
    void WaitForEvent(std::uint32_t timeoutMilliseconds) override;
    void ShowMessage(std::string_view text, std::string_view title) override;
    int ScreenWidthTwips() const override;
    int ScreenHeightTwips() const override;
    void InitCommonControls() override;

    const Dpi& ScreenDpi() const { return dpi_; }

  private:
    Dpi dpi_;
    const std::chrono::milliseconds pumpInterval_;
    std::chrono::steady_clock::time_point lastPump_{};
};

}  // namespace keldra::platform::win32

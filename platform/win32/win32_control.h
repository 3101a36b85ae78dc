#pragma once
// The controls of a window, except list views: labels, buttons, check boxes, pictures,
// animations, lines, text boxes, spin bars, drop-down lists and frames.

#include <memory>
#include <string>
#include <string_view>

#include "platform/ui_port.h"
#include "platform/win32/handles.h"

namespace keldra::platform::win32 {

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
    // The window placed at these twips at the window's DPI, inside its frame if it has one.
    void PlaceAt(const ui::Twips& position);
    // The text colour for WM_CTLCOLORSTATIC.
    COLORREF TextColor() const;
    HCURSOR Cursor() const;
    void ShowPicture(const std::wstring& name);
    // The window's DPI changed: the font at the new size, the place from the twips.
    void Rescale();
    // A focusable label is a tab stop while enabled.
    void ApplyTabStop();
    // Draws the focus rectangle of a focusable label around its text.
    static LRESULT CALLBACK LinkProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR data) noexcept;

    Win32Window& owner_;
    const ui::ControlKind kind_;
    Win32Control* const frame_;
    // Where the logic placed it and in which font: pixels follow from them at any DPI.
    ui::Twips position_{};
    ui::Font font_{};
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

}  // namespace keldra::platform::win32

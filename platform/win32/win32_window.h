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

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/ui_port.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_control.h"
#include "platform/win32/win32_list_view.h"
#include "platform/win32/win32_timer.h"

namespace keldra::platform::win32 {

// Pixels per inch of the screen, read once: twips become pixels through it.
struct Dpi {
    int x = 96;
    int y = 96;
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
    // The parts of Handle for one message each; true when the message was handled.
    bool Notified(const NMHDR& header, LPARAM lParam, LRESULT& result);
    bool StaticPainting(HDC dc, HWND control, LRESULT& result) const;
    bool CursorSet(HWND control, WORD hitTest, LRESULT& result) const;
    bool TimerTicked(WPARAM id, LRESULT& result);
    void Activating(HWND window, WPARAM wParam);
    void Resized(HWND window, WPARAM wParam);
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
    // What a new control of its kind needs once it exists: its picture, its range, ...
    static void FirstState(Win32Control& control, const ui::Twips& position, std::string_view text);
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
    // WM_DPICHANGED: every control again from its twips, the fonts and icons at the new
    // size, and the window in the rectangle the system suggests.
    void ChangeDpi(Dpi dpi, const RECT* suggested);
    // The icon size of a metric at the window's DPI.
    int IconMetric(int metric) const;

    int PixelsX(int twips) const;
    int PixelsY(int twips) const;
    int TwipsX(int pixels) const;
    int TwipsY(int pixels) const;

    const std::string name_;
    Dpi dpi_;
    const int systemDpiX_;
    // What the logic asked for, kept to build it again at another DPI.
    ui::Font windowFont_{};
    std::optional<std::pair<int, int>> clientTwips_;
    std::string iconName_;
    bool iconsAlsoOwner_ = false;
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

}  // namespace keldra::platform::win32

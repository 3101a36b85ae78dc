#pragma once
// Windows and their controls as the program's windows use them. Positions are twips
// (1/1440 inch), colours 0x00BBGGRR. Handlers are plain callbacks that the platform
// raises from its one event loop; DoEvents runs whatever is pending.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace keldra::platform::ui {

struct Twips {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Twips&, const Twips&) = default;
};

struct Font {
    std::string face = "Tahoma";
    double points = 8.25;
    bool bold = false;
    bool underline = false;
};

using Color = std::uint32_t;
inline constexpr Color Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<Color>(r) | (static_cast<Color>(g) << 8) | (static_cast<Color>(b) << 16);
}
inline constexpr Color kDefaultColor = 0xFFFFFFFF;  // the control's own colour

// Frame: a captioned group box that holds other controls (see Window::AddControlIn).
// SpinBar: a vertical up-down control with a range. ComboBox: a drop-down list.
enum class ControlKind {
    Label,
    Button,
    CheckBox,
    Picture,
    Animation,
    Line,
    TextBox,
    SpinBar,
    ComboBox,
    Frame
};
enum class Pointer { Default, Custom, Hourglass };
enum class WindowState { Normal, Minimized };

// Check box values.
inline constexpr int kUnchecked = 0;
inline constexpr int kChecked = 1;
inline constexpr int kGrayed = 2;

class Control {
  public:
    virtual ~Control() = default;
    virtual ControlKind Kind() const = 0;
    virtual void SetText(std::string_view text) = 0;
    virtual std::string Text() const = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual bool Visible() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;
    virtual void Move(const Twips& position) = 0;
    virtual Twips Position() const = 0;
    virtual void SetForeColor(Color color) = 0;
    virtual Color ForeColor() const = 0;
    virtual void SetPointer(Pointer pointer) = 0;
    virtual Pointer MousePointer() const = 0;
    // Check boxes: 0, 1 or 2 (other values are ignored); setting a different value raises
    // OnClick, as a click does.
    // Spin bars: the position, kept inside the range; setting a different value raises
    // OnChange. Combo boxes: the list position of the chosen item, -1 for none; setting a
    // different one raises OnClick, as the user's choice does; a position beyond the items
    // is ignored. The other kinds have no value: Value is 0, SetValue does nothing and
    // raises nothing.
    virtual void SetValue(int value) = 0;
    virtual int Value() const = 0;
    // Spin bars: the range (a new spin bar has 0 to 100). The upper arrow moves towards
    // `top`, so a range of (0, 23) with top 23 makes the upper arrow raise the value. A
    // value outside the new range is brought inside, which is a change.
    virtual void SetRange(int bottom, int top) = 0;
    // Combo boxes: the items of the list. Clearing them leaves nothing chosen (Value -1)
    // and raises nothing. A drop-down list's text is its chosen item's; SetText on it does
    // nothing.
    virtual void ClearItems() = 0;
    virtual void AddItem(std::string_view text) = 0;
    virtual int ItemCount() const = 0;
    virtual std::string ItemText(int index) const = 0;
    // Animations: open a clip file, play it repeatedly, stop. Open is false for a missing
    // or unplayable clip.
    virtual bool Open(std::string_view path) = 0;
    virtual void Play() = 0;
    virtual void Stop() = 0;
    virtual bool Playing() const = 0;
    // Labels: a focusable one is reached with Tab while it is enabled and shown, and Enter
    // or Space on it raises OnClick, as a click does (a link the keyboard can follow).
    // Other kinds ignore this: buttons, check boxes, text boxes and drop-down lists are
    // always reached with Tab.
    virtual void SetFocusable(bool focusable) = 0;

    // Raised by a click while the control is enabled, by SetValue on check boxes, and when
    // a combo box item is chosen.
    std::function<void()> OnClick;
    // Raised when a text box's text changes (typed or set; setting the same text is no
    // change; a handler may set the text again, which raises OnChange once more inside it,
    // and on a real window system the caret then stays where the user types), and when a
    // spin bar's value changes. A drop-down list's text changes only by a choice, which
    // raises OnClick.
    std::function<void()> OnChange;
};

// The rows of a list view are held by its owner; the view asks for the texts of the rows
// it shows, so that any number of rows appears at once and stays live while the owner
// appends or removes rows.
class ListRows {
  public:
    virtual ~ListRows() = default;
    virtual std::size_t RowCount() const = 0;
    // Column 0 is the row text; 1.. are the sub-columns. Empty beyond the row's columns.
    // Asked only for rows below RowCount().
    virtual std::string CellText(std::size_t row, std::size_t column) const = 0;
    // Whether the row's check box is ticked, for a view that shows check boxes. Asked
    // only for rows below RowCount(); rows of a list without boxes are never ticked.
    virtual bool RowChecked(std::size_t row) const {
        static_cast<void>(row);
        return false;
    }
};

// A report-style list view with column headers.
class ListView {
  public:
    virtual ~ListView() = default;
    virtual void AddColumn(std::string_view header, int widthTwips) = 0;
    virtual std::size_t ColumnCount() const = 0;
    virtual void SetColumnHeader(std::size_t column, std::string_view header) = 0;
    virtual std::string ColumnHeader(std::size_t column) const = 0;
    virtual int ColumnWidth(std::size_t column) const = 0;  // twips
    // Every row shows this icon resource of the program (empty: none), at the small-icon
    // size.
    virtual void SetRowIcon(std::string_view resourceName) = 0;
    // The rows to show; not owned, and must outlive the view or be replaced first.
    virtual void SetRows(const ListRows* rows) = 0;
    // The owner changed its rows: the view takes the new count and repaints what it shows.
    virtual void RowsChanged() = 0;
    // The row count the view currently shows: the owner's count at the last SetRows or
    // RowsChanged.
    virtual std::size_t ShownRowCount() const = 0;
    // A check box in front of every row, showing the rows' RowChecked. The view holds no
    // state of its own: a click on a row's box, or Space while a row has the focus, raises
    // OnCheckToggle with that row, and the owner changes the row and calls RowChanged.
    virtual void SetCheckBoxes(bool checkBoxes) = 0;
    virtual bool CheckBoxes() const = 0;
    // The owner changed one row (its box, say): the view paints it again.
    virtual void RowChanged(std::size_t row) = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual bool Visible() const = 0;
    virtual void Move(const Twips& position) = 0;
    virtual Twips Position() const = 0;

    std::function<void(std::size_t row)> OnCheckToggle;
};

class Timer {
  public:
    virtual ~Timer() = default;
    virtual void SetInterval(std::uint32_t milliseconds) = 0;
    virtual std::uint32_t Interval() const = 0;
    // A timer ticks while enabled and its interval is not 0.
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;
    std::function<void()> OnTimer;
};

class Window {
  public:
    virtual ~Window() = default;

    // Controls belong to the window; the references stay valid as long as it lives.
    virtual Control& AddControl(ControlKind kind, std::string_view name, const Twips& position,
                                std::string_view text, const Font& font) = 0;
    // A control placed inside a frame: its position is relative to the frame, it moves
    // and hides with it, and it takes no input while the frame is disabled or hidden (a
    // real window system also shows it greyed). Its own Enabled and Visible flags stay
    // as set and count again once the frame is enabled and shown.
    virtual Control& AddControlIn(Control& frame, ControlKind kind, std::string_view name,
                                  const Twips& position, std::string_view text,
                                  const Font& font) = 0;
    virtual ListView& AddListView(std::string_view name, const Twips& position,
                                  const Font& font) = 0;
    virtual Timer& AddTimer(std::string_view name) = 0;

    virtual void SetCaption(std::string_view caption) = 0;
    virtual std::string Caption() const = 0;
    // Size of the client area; the outer size follows from the frame.
    virtual void SetClientSize(int widthTwips, int heightTwips) = 0;
    virtual Twips Bounds() const = 0;  // outer position and size
    virtual void MoveTo(int leftTwips, int topTwips) = 0;
    virtual void SetIcons(std::string_view resourceName, bool alsoOwner) = 0;

    // Shows the window and activates it: OnActivate follows once activation is complete.
    // The program's window that is active already is not activated again: no OnActivate.
    // Hiding or unloading the active window activates the program's window that was
    // active before it (OnActivate there), as Windows does.
    virtual void Show() = 0;
    // Shows the window modally: returns when it is closed.
    virtual void ShowModal() = 0;
    virtual void Hide() = 0;
    virtual bool Visible() const = 0;
    // OnResize follows a change of state only: setting the state the window has raises
    // nothing. A hidden window takes the new state on the screen, and raises OnResize,
    // when it is shown.
    virtual void SetState(WindowState state) = 0;
    virtual WindowState State() const = 0;
    // Asks the window to unload: OnUnload may cancel; otherwise it is destroyed.
    virtual void Unload() = 0;
    virtual bool Loaded() const = 0;
    // Tab and Shift+Tab move the focus through the controls that take it (enabled and
    // shown; list views too) in the order they were added.
    // Enter presses this button while it takes input, wherever the focus is, unless the
    // focus is on another button or a focusable label (Enter presses that one) or on a
    // control that takes Enter itself (an open drop-down list). Null: none.
    virtual void SetDefaultButton(Control* button) = 0;

    std::function<void()> OnActivate;
    // Raised by Esc in the window, unless the focused control takes Esc itself.
    std::function<void()> OnCancel;
    std::function<void()> OnResize;
    // Set the argument to non-zero to keep the window.
    std::function<void(int& cancel)> OnUnload;
};

class UiPort {
  public:
    virtual ~UiPort() = default;
    virtual std::unique_ptr<Window> NewWindow(std::string_view name, const Font& font) = 0;
    // Processes pending window events, timers and clicks, then returns.
    virtual void DoEvents() = 0;
    // Sleeps until an event is pending or the time is up, using no processor time.
    virtual void WaitForEvent(std::uint32_t timeoutMilliseconds) = 0;
    virtual void ShowMessage(std::string_view text, std::string_view title) = 0;
    // The pointer shown over every window (the hourglass while work runs); it stays until
    // a window asks for its own at the next mouse move.
    virtual void SetScreenPointer(Pointer pointer) = 0;
    virtual int ScreenWidthTwips() const = 0;
    virtual int ScreenHeightTwips() const = 0;
    virtual void InitCommonControls() = 0;
};

}  // namespace keldra::platform::ui

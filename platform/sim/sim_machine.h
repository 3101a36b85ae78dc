#pragma once
// The simulated process, language library, tray and window system. One manual clock
// drives tick count, date and timers; one event queue, which tests script, feeds DoEvents.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/language_port.h"
#include "platform/process_port.h"
#include "platform/tray_port.h"
#include "platform/ui_port.h"

namespace keldra::platform::sim {

class SimClock {
  public:
    std::uint32_t Ticks() const { return ticks_; }
    DateTime Now() const;
    void SetNow(const DateTime& now) {
        base_ = now;
        baseTicks_ = ticks_;
    }
    void Advance(std::uint32_t milliseconds) { ticks_ += milliseconds; }
    void SetTicks(std::uint32_t ticks) { ticks_ = ticks; }

  private:
    std::uint32_t ticks_ = 1000;
    DateTime base_{2026, 12, 8, 9, 0, 0};
    std::uint32_t baseTicks_ = 1000;
};

class SimProcess final : public ProcessPort {
  public:
    explicit SimProcess(SimClock& clock) : clock_(clock) {}

    std::string CommandLine() const override { return commandLine; }
    std::string ProgramFolder() const override { return programFolder; }
    std::string ProgramName() const override { return programName; }
    bool Start(std::string_view path, StartWindow window) override;
    bool PreviousInstance() const override { return previousInstance; }
    bool SetCurrentDirectory(std::string_view path) override;
    std::string CurrentDirectory() const override { return currentDirectory; }
    [[noreturn]] void EndNow(int exitCode) override { throw ProcessExit{exitCode}; }
    void SetExitErrorMode() override { exitErrorModeSet = true; }
    std::uint32_t TickCount() const override { return clock_.Ticks(); }
    DateTime Now() const override { return clock_.Now(); }
    DateFormats UserDateFormats() const override { return dateFormats; }
    std::string UserGroupSeparator() const override { return groupSeparator; }

    struct Started {
        std::string path;
        StartWindow window;
    };
    std::string commandLine;
    std::string programFolder = "C:\\Program Files\\Keldra Maintenance";
    std::string programName = "keldra";
    // The user's regional settings; a test sets other ones.
    DateFormats dateFormats;
    std::string groupSeparator = ",";
    std::string currentDirectory = "C:\\";
    bool previousInstance = false;
    bool exitErrorModeSet = false;
    // Paths of programs that exist; starting anything else fails.
    std::vector<std::string> programs;
    std::vector<Started> started;

  private:
    SimClock& clock_;
};

// A language library whose texts a test sets; without texts it counts as missing.
class SimLanguage final : public LanguagePort {
  public:
    bool GetValueForID(std::string_view id, Buffer& buffer) override;
    // Decoded in `codePage`.
    std::u16string AnsiToUtf16(std::string_view ansi) const override;
    bool present = true;
    // The system's ANSI code page: 1252 (Western), 1251 (Cyrillic) or 1250 (Central
    // European).
    int codePage = 1252;
    // Raw bytes the library writes (at most 255; no NUL added when a text has 255).
    std::map<std::string, std::string, std::less<>> texts;
    std::vector<std::string> asked;
};

class SimTray final : public TrayPort {
  public:
    bool HasHost() const override { return hasHost; }
    void Add(std::string_view tip) override;
    void Modify(std::string_view tip) override;
    void Delete() override;
    // The shell sends a mouse message for the icon.
    void Send(int message) {
        if (OnMessage) {
            OnMessage(message);
        }
    }

    bool hasHost = true;
    bool shown = false;
    std::string tip;
    int addCount = 0;
};

class SimUi;

class SimControl final : public ui::Control {
  public:
    SimControl(ui::ControlKind kind, std::string name, const ui::Twips& position, std::string text,
               ui::Font font, const SimControl* frame = nullptr)
        : kind_(kind),
          name_(std::move(name)),
          position_(position),
          text_(std::move(text)),
          font_(std::move(font)),
          frame_(frame),
          value_(kind == ui::ControlKind::ComboBox ? -1 : 0) {}

    ui::ControlKind Kind() const override { return kind_; }
    // Text boxes raise OnChange when the text changes; a drop-down list's text is its chosen
    // item's and cannot be set.
    void SetText(std::string_view text) override;
    std::string Text() const override;
    void SetVisible(bool visible) override { visible_ = visible; }
    bool Visible() const override { return visible_; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    bool Enabled() const override { return enabled_; }
    // Inside a frame: relative to the frame.
    void Move(const ui::Twips& position) override { position_ = position; }
    ui::Twips Position() const override { return position_; }
    void SetForeColor(ui::Color color) override { color_ = color; }
    ui::Color ForeColor() const override { return color_; }
    void SetPointer(ui::Pointer pointer) override { pointer_ = pointer; }
    ui::Pointer MousePointer() const override { return pointer_; }
    void SetValue(int value) override;
    int Value() const override { return value_; }
    void SetRange(int bottom, int top) override;
    void ClearItems() override;
    void AddItem(std::string_view text) override;
    int ItemCount() const override { return static_cast<int>(items_.size()); }
    std::string ItemText(int index) const override;
    bool Open(std::string_view path) override;
    void Play() override { playing_ = !clip_.empty(); }
    void Stop() override { playing_ = false; }
    bool Playing() const override { return playing_; }
    void SetFocusable(bool focusable) override { focusable_ = focusable; }
    bool Focusable() const { return focusable_; }
    // Reached with Tab: takes input, and is of a kind that takes the focus.
    bool TakesFocus() const;

    // What the user does. Each reaches the control only while it takes input (TakesInput).
    // A click: a check box toggles first.
    void Click();
    // Typing into a text box: the characters are appended one at a time, each raising
    // OnChange, so that a handler that rewrites the text sees every keystroke.
    void Type(std::string_view chars);
    // A click on a spin bar's upper or lower arrow: one step towards the top or the bottom
    // of the range, raising OnChange unless the value is already there.
    void SpinUp();
    void SpinDown();
    // Choosing item `index` of a drop-down list; OnClick follows when the choice changes.
    void Choose(int index);

    // Enabled and visible, and so is every frame around it: a control in a disabled or
    // hidden frame keeps its own flags but takes no clicks or typing.
    bool TakesInput() const;
    // The frame the control was placed in, or null.
    const SimControl* Frame() const { return frame_; }
    // The position in the window's client area (a frame's children are placed relative to
    // the frame).
    ui::Twips ClientPosition() const;
    // Spin bars: the range as set.
    int RangeBottom() const { return bottom_; }
    int RangeTop() const { return top_; }
    const ui::Font& GetFont() const { return font_; }
    const std::string& Name() const { return name_; }
    std::string Clip() const { return clip_; }
    // Files an animation can open.
    std::vector<std::string>* playableClips = nullptr;

  private:
    // A copy runs: the handler may replace itself.
    static void Raise(std::function<void()> handler) {
        if (handler) {
            handler();
        }
    }
    void Spin(int step);

    ui::ControlKind kind_;
    std::string name_;
    ui::Twips position_;
    std::string text_;
    ui::Font font_;
    const SimControl* frame_;
    bool visible_ = true;
    bool enabled_ = true;
    ui::Color color_ = ui::kDefaultColor;
    ui::Pointer pointer_ = ui::Pointer::Default;
    int value_;
    // A new spin bar counts from 0 to 100, as a new up-down control of Windows (made to
    // count upwards).
    int bottom_ = 0;
    int top_ = 100;
    std::vector<std::string> items_;
    std::string clip_;
    bool playing_ = false;
    bool focusable_ = false;
};

// A list view that takes its rows from its owner, as an owner-data list view does: it
// remembers the row count it was told last and asks for the texts of those rows only.
class SimListView final : public ui::ListView {
  public:
    SimListView(std::string name, const ui::Twips& position, ui::Font font)
        : name_(std::move(name)), position_(position), font_(std::move(font)) {}

    void AddColumn(std::string_view header, int widthTwips) override;
    std::size_t ColumnCount() const override { return columns_.size(); }
    void SetColumnHeader(std::size_t column, std::string_view header) override;
    std::string ColumnHeader(std::size_t column) const override;
    int ColumnWidth(std::size_t column) const override;
    void SetRowIcon(std::string_view resourceName) override { rowIcon_ = resourceName; }
    void SetRows(const ui::ListRows* rows) override;
    void RowsChanged() override;
    std::size_t ShownRowCount() const override { return shown_; }
    void SetCheckBoxes(bool checkBoxes) override { checkBoxes_ = checkBoxes; }
    bool CheckBoxes() const override { return checkBoxes_; }
    void RowChanged(std::size_t row) override { changedRows_.push_back(row); }
    void SetVisible(bool visible) override { visible_ = visible; }
    bool Visible() const override { return visible_; }
    void Move(const ui::Twips& position) override { position_ = position; }
    ui::Twips Position() const override { return position_; }

    // What a user would see: for each shown row, the text of every column. Rows the owner
    // no longer has (it removed them without telling the view) show empty texts, as they
    // would on screen until the next repaint.
    std::vector<std::vector<std::string>> ShownCells() const;
    // One shown cell; empty outside the shown rows and columns.
    std::string ShownCell(std::size_t row, std::size_t column) const;
    const std::string& RowIcon() const { return rowIcon_; }
    const ui::ListRows* Rows() const { return rows_; }
    // How often the owner said its rows changed.
    int RowsChangedCalls() const { return rowsChangedCalls_; }
    const ui::Font& GetFont() const { return font_; }
    const std::string& Name() const { return name_; }

    // The user's side of the check boxes. The box a user sees on a shown row: nothing
    // without boxes or outside the shown rows.
    std::optional<bool> ShownChecked(std::size_t row) const;
    // A click on a shown row's box.
    void ClickCheckBox(std::size_t row);
    // The row with the focus (the arrow keys' doing); nothing for none.
    void SetFocusedRow(std::optional<std::size_t> row) { focusedRow_ = row; }
    std::optional<std::size_t> FocusedRow() const { return focusedRow_; }
    // Space while the list has the focus: the focused row's box, if any.
    void PressSpace();
    // The rows the owner said it changed, in order.
    const std::vector<std::size_t>& ChangedRows() const { return changedRows_; }

  private:
    struct Column {
        std::string header;
        int widthTwips;
    };
    bool checkBoxes_ = false;
    std::optional<std::size_t> focusedRow_;
    std::vector<std::size_t> changedRows_;
    std::string name_;
    ui::Twips position_;
    ui::Font font_;
    bool visible_ = true;
    std::vector<Column> columns_;
    std::string rowIcon_;
    const ui::ListRows* rows_ = nullptr;
    std::size_t shown_ = 0;
    int rowsChangedCalls_ = 0;
};

class SimTimer final : public ui::Timer {
  public:
    explicit SimTimer(SimClock& clock) : clock_(clock) {}
    void SetInterval(std::uint32_t milliseconds) override;
    std::uint32_t Interval() const override { return interval_; }
    void SetEnabled(bool enabled) override;
    bool Enabled() const override { return enabled_; }
    // When it next ticks, if it ticks at all.
    std::optional<std::uint32_t> Due() const;
    void Tick();

  private:
    SimClock& clock_;
    std::uint32_t interval_ = 0;
    bool enabled_ = false;
    std::uint32_t start_ = 0;
    bool running_ = false;
};

// The keys the keyboard tests press in a window.
enum class SimKey { Tab, ShiftTab, Enter, Space, Escape };

class SimWindow final : public ui::Window {
  public:
    SimWindow(SimUi& ui, std::string name) : ui_(ui), name_(std::move(name)) {}
    ~SimWindow() override;

    ui::Control& AddControl(ui::ControlKind kind, std::string_view name, const ui::Twips& position,
                            std::string_view text, const ui::Font& font) override;
    // `frame` must be a frame of this window.
    ui::Control& AddControlIn(ui::Control& frame, ui::ControlKind kind, std::string_view name,
                              const ui::Twips& position, std::string_view text,
                              const ui::Font& font) override;
    ui::ListView& AddListView(std::string_view name, const ui::Twips& position,
                              const ui::Font& font) override;
    ui::Timer& AddTimer(std::string_view name) override;
    void SetCaption(std::string_view caption) override { caption_ = caption; }
    std::string Caption() const override { return caption_; }
    void SetClientSize(int widthTwips, int heightTwips) override;
    ui::Twips Bounds() const override { return bounds_; }
    void MoveTo(int leftTwips, int topTwips) override;
    void SetIcons(std::string_view resourceName, bool alsoOwner) override;
    void Show() override;
    void ShowModal() override;
    void Hide() override;
    bool Visible() const override { return visible_; }
    void SetState(ui::WindowState state) override;
    ui::WindowState State() const override { return state_; }
    void Unload() override;
    bool Loaded() const override { return loaded_; }
    void SetDefaultButton(ui::Control* button) override;

    // The user presses a key while the window is active.
    void Press(SimKey key);
    // The name of the control or list view that has the focus; empty for none (the window
    // itself, as when it has just been shown).
    std::string FocusedName() const;

    SimControl& Get(std::string_view name);
    SimListView& GetList(std::string_view name);
    SimTimer& GetTimer(std::string_view name);
    const std::string& Name() const { return name_; }
    const std::string& Icons() const { return icons_; }
    int ShowCount() const { return showCount_; }
    bool Modal() const { return modal_; }
    // The user presses the close box.
    void Close() { Unload(); }
    template <typename F>
    void ForEachTimer(F&& f) const {
        for (const auto& entry : timers_) {
            f(std::as_const(*entry.second));
        }
    }
    template <typename F>
    void ForEachTimer(F&& f) {
        for (auto& entry : timers_) {
            f(*entry.second);
        }
    }

  private:
    friend class SimUi;
    SimUi& ui_;
    std::string name_;
    std::string caption_;
    ui::Twips bounds_;
    std::string icons_;
    bool visible_ = false;
    bool loaded_ = true;
    bool modal_ = false;
    int showCount_ = 0;
    ui::WindowState state_ = ui::WindowState::Normal;
    // The state as the screen last showed it: a hidden window takes a new one when shown.
    ui::WindowState shownState_ = ui::WindowState::Normal;
    std::vector<std::unique_ptr<SimControl>> controls_;
    std::vector<std::unique_ptr<SimListView>> lists_;
    std::vector<std::pair<std::string, std::unique_ptr<SimTimer>>> timers_;
    // Controls and list views in the order they were added: the tab order.
    struct TabEntry {
        SimControl* control = nullptr;
        SimListView* list = nullptr;
        bool TakesFocus() const;
        std::string Name() const;
    };
    std::vector<TabEntry> tabOrder_;
    std::optional<std::size_t> focus_;
    SimControl* defaultButton_ = nullptr;
    void MoveFocus(bool forward);
};

class SimUi final : public ui::UiPort {
  public:
    explicit SimUi(SimClock& clock) : clock_(clock) {}

    std::unique_ptr<ui::Window> NewWindow(std::string_view name, const ui::Font& font) override;
    void DoEvents() override;
    void WaitForEvent(std::uint32_t timeoutMilliseconds) override;
    void ShowMessage(std::string_view text, std::string_view title) override;
    void SetScreenPointer(ui::Pointer pointer) override { screenPointers.push_back(pointer); }
    int ScreenWidthTwips() const override { return 1024 * 15; }
    int ScreenHeightTwips() const override { return 768 * 15; }
    void InitCommonControls() override { commonControls = true; }

    // Test scripting.
    // Runs `action` at the next DoEvents.
    void Post(std::function<void()> action) { pending_.push_back(std::move(action)); }
    // Runs `action` during the DoEvents call number `call` (counted from 1 over the run).
    void AtDoEvents(int call, std::function<void()> action);
    // Runs at the start of every DoEvents: a test's look at the program in the middle of
    // its work.
    std::function<void()> onDoEvents;
    // What a modal window does while it is shown; by default the user closes it at once.
    std::function<void(SimWindow&)> onModal;
    SimWindow& Find(std::string_view name);
    bool Exists(std::string_view name) const;
    int DoEventsCalls() const { return doEventsCalls_; }
    // Milliseconds that WaitForEvent let pass.
    std::uint64_t WaitedMilliseconds() const { return waited_; }

    struct Message {
        std::string text;
        std::string title;
    };
    std::vector<Message> messages;
    bool commonControls = false;
    std::vector<std::string> playableClips;
    // Every screen pointer set, in order.
    std::vector<ui::Pointer> screenPointers;

  private:
    friend class SimWindow;
    void Register(SimWindow* window) { windows_.push_back(window); }
    void Forget(SimWindow* window);
    void RunDueTimers();
    std::optional<std::uint32_t> NextTimerDue() const;

    SimClock& clock_;
    std::deque<std::function<void()>> pending_;
    std::multimap<int, std::function<void()>> scripted_;
    std::vector<SimWindow*> windows_;
    // Makes the window the active one; OnActivate follows from the event loop.
    void Activate(SimWindow* window);
    // The window hides or goes: the activation passes to the one active before it.
    void Deactivate(SimWindow* window);
    // The program's window that was activated last, while it stays shown, and the
    // windows in the order they were last activated.
    SimWindow* active_ = nullptr;
    std::vector<SimWindow*> activated_;
    int doEventsCalls_ = 0;
    std::uint64_t waited_ = 0;
    bool inDoEvents_ = false;
};

// The whole simulated machine, for tests that build the program on it.
struct SimPlatform {
    SimClock clock;
    SimProcess process{clock};
    SimLanguage language;
    SimTray tray;
    SimUi ui{clock};
};

}  // namespace keldra::platform::sim

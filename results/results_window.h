#pragma once
// The frame both results windows share: header picture, heading, a report list over rows
// the logic holds, a separator and "Close". It is loaded on first use, centred, and only
// hides when closed until the program closes (`allEnd`). Its list hears of changes while
// it is shown; a hidden window takes the rows when it is shown again, since telling a list
// of each of many thousand rows would cost more than finding them.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui_port.h"

namespace keldra::results {

using platform::ui::Control;
using platform::ui::ListRows;
using platform::ui::ListView;
using platform::ui::UiPort;

// The shared part of a results window; each list derives its own window from it.
class ResultsWindow {
  public:
    using TextLookup = std::function<std::string(std::string_view id)>;

    struct Column {
        std::string_view header;  // design text
        int widthTwips;
        std::string_view headerId;  // caption identifier
    };
    struct Design {
        std::string_view name;
        std::string_view caption;
        std::string_view captionId;
        std::string_view heading;
        std::string_view headingId;
        std::string_view listName;
        std::vector<Column> columns;
        std::string_view rowIcon;  // empty: none
    };

    // `rows` is only held here, never read before the window is loaded: an owner may pass
    // a member of its own that is built after this base.
    ResultsWindow(UiPort& ui, TextLookup text, const bool& allEnd, Design design,
                  const ListRows& rows);
    ResultsWindow(const ResultsWindow&) = delete;
    ResultsWindow& operator=(const ResultsWindow&) = delete;

    // Creates the window, hidden, unless it is loaded.
    void Load();
    bool Loaded() const { return window_ != nullptr && window_->Loaded(); }
    // Loads the window if needed and shows it modeless with the current rows.
    void Show();
    void Unload();
    // The owner's rows changed.
    void RowsChanged();
    // The owner changed one row (its check box).
    void RowChanged(std::size_t row);
    // Every row has a check box; a click on it or Space on the focused row raises this with
    // the row.
    std::function<void(std::size_t row)> OnCheckToggle;

    void cmdClose_Click();
    void Form_Unload(int& cancel);

    platform::ui::Window& Window() { return *window_; }
    ListView& List() { return *list_; }

  private:
    void Form_Load();

    UiPort& ui_;
    TextLookup text_;
    const bool& allEnd_;
    Design design_;
    const ListRows& rows_;
    std::unique_ptr<platform::ui::Window> window_;
    Control* Label1_ = nullptr;
    Control* cmdClose_ = nullptr;
    ListView* list_ = nullptr;
};

}  // namespace keldra::results

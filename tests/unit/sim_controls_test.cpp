// The simulated text boxes, spin bars, drop-down lists, frames and list views that the
// windows' tests type into, spin and read.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/sim/sim_machine.h"

namespace keldra::platform::sim {
namespace {

using ui::ControlKind;

class SimControls : public ::testing::Test {
  protected:
    SimControl& Add(ControlKind kind, const std::string& name, const std::string& text = "") {
        window_->AddControl(kind, name, {100, 200, 1000, 300}, text, {});
        return Window().Get(name);
    }
    SimControl& AddIn(SimControl& frame, ControlKind kind, const std::string& name,
                      const ui::Twips& position = {180, 375, 400, 300}) {
        window_->AddControlIn(frame, kind, name, position, "", {});
        return Window().Get(name);
    }
    SimWindow& Window() { return static_cast<SimWindow&>(*window_); }

    SimPlatform sim_;
    std::unique_ptr<ui::Window> window_ = sim_.ui.NewWindow("frmTest", {});
};

// Keeps only the digits, as the hour box of a time setting does, with the guard flag such
// a handler uses against its own write.
struct DigitsOnly {
    explicit DigitsOnly(SimControl& control) : box(control) {}

    SimControl& box;
    bool updating = false;
    std::vector<std::string> seen;

    void operator()() {
        seen.push_back(box.Text());
        if (updating) {
            return;
        }
        updating = true;
        std::string digits;
        for (const char c : box.Text()) {
            if (c >= '0' && c <= '9') {
                digits += c;
            }
        }
        box.SetText(digits);
        updating = false;
    }
};

TEST_F(SimControls, TypingRaisesOnChangePerKeyAndAHandlerThatRewritesTheTextSeesItAgain) {
    auto& box = Add(ControlKind::TextBox, "txtHour");
    DigitsOnly filter(box);
    box.OnChange = [&filter] { filter(); };

    box.Type("1a5");
    EXPECT_EQ(box.Text(), "15") << "each key goes after what the handler left";
    // "a" made "1a"; the rewrite back to "1" raised once more, inside the first handler.
    EXPECT_EQ(filter.seen, (std::vector<std::string>{"1", "1a", "1", "15"}));

    filter.seen.clear();
    box.SetText("15");
    EXPECT_TRUE(filter.seen.empty()) << "the same text is no change";
    box.SetText("7");
    EXPECT_EQ(filter.seen, (std::vector<std::string>{"7"}));

    // Characters, not bytes: "ä" is one key.
    filter.seen.clear();
    box.SetText("");
    filter.seen.clear();
    box.Type("ä2");
    EXPECT_EQ(filter.seen, (std::vector<std::string>{"ä", "", "2"}));
    EXPECT_EQ(box.Text(), "2");
}

TEST_F(SimControls, AnUnguardedRewriteEndsOnceTheTextStopsChanging) {
    auto& box = Add(ControlKind::TextBox, "txt");
    int changes = 0;
    box.OnChange = [&] {
        ++changes;
        std::string digits;
        for (const char c : box.Text()) {
            if (c >= '0' && c <= '9') {
                digits += c;
            }
        }
        box.SetText(digits);
    };
    box.Type("x");
    EXPECT_EQ(box.Text(), "");
    EXPECT_EQ(changes, 2) << "\"x\", then the rewrite to \"\"; setting \"\" again is no change";
}

TEST_F(SimControls, SpinBarStaysInsideItsRangeAndItsUpperArrowMovesTowardsTheTop) {
    auto& spin = Add(ControlKind::SpinBar, "HS");
    std::vector<int> seen;
    spin.OnChange = [&] { seen.push_back(spin.Value()); };

    EXPECT_EQ(spin.Value(), 0);
    spin.SpinDown();
    EXPECT_EQ(spin.Value(), 0) << "a new spin bar counts from 0 upwards";
    spin.SpinUp();
    EXPECT_EQ(spin.Value(), 1);

    spin.SetRange(0, 23);
    spin.SetValue(22);
    seen.clear();
    spin.SpinUp();
    EXPECT_EQ(spin.Value(), 23);
    spin.SpinUp();
    EXPECT_EQ(spin.Value(), 23) << "stops at the top";
    EXPECT_EQ(seen, (std::vector<int>{23})) << "no change, no OnChange";

    spin.SetValue(99);
    EXPECT_EQ(spin.Value(), 23);
    spin.SetValue(-4);
    EXPECT_EQ(spin.Value(), 0);
    spin.SpinDown();
    EXPECT_EQ(spin.Value(), 0);
    EXPECT_EQ(seen, (std::vector<int>{23, 0}));

    // Narrowing the range brings the value inside, which is a change.
    spin.SetRange(0, 59);
    spin.SetValue(40);
    seen.clear();
    spin.SetRange(0, 23);
    EXPECT_EQ(spin.Value(), 23);
    EXPECT_EQ(seen, (std::vector<int>{23}));

    // With the top below the bottom, the upper arrow lowers the value.
    spin.SetRange(10, 0);
    spin.SetValue(5);
    spin.SpinUp();
    EXPECT_EQ(spin.Value(), 4);
    spin.SpinDown();
    spin.SpinDown();
    EXPECT_EQ(spin.Value(), 6);
    spin.SetValue(11);
    EXPECT_EQ(spin.Value(), 10);
    EXPECT_EQ(spin.RangeBottom(), 10);
    EXPECT_EQ(spin.RangeTop(), 0);
}

TEST_F(SimControls, DropDownListValueIsTheChosenPositionAndAChoiceRaisesOnClick) {
    auto& list = Add(ControlKind::ComboBox, "cmdTimeSet");
    std::vector<int> clicks;
    list.OnClick = [&] { clicks.push_back(list.Value()); };
    EXPECT_EQ(list.Value(), -1) << "nothing chosen";
    EXPECT_EQ(list.Text(), "");
    list.SetValue(0);
    EXPECT_EQ(list.Value(), -1) << "no item 0 yet";

    for (const char* item : {"Daily", "Every 3 days", "Weekly"}) {
        list.AddItem(item);
    }
    EXPECT_EQ(list.ItemCount(), 3);
    EXPECT_EQ(list.ItemText(1), "Every 3 days");
    EXPECT_EQ(list.ItemText(3), "");
    EXPECT_EQ(list.ItemText(-1), "");

    list.SetValue(2);
    EXPECT_EQ(list.Text(), "Weekly");
    list.SetValue(2);
    list.SetValue(3);
    EXPECT_EQ(list.Value(), 2) << "out of range: unchanged";
    list.Choose(0);
    list.Choose(0);
    EXPECT_EQ(list.Text(), "Daily");
    EXPECT_EQ(clicks, (std::vector<int>{2, 0})) << "only changes raise OnClick";

    list.SetText("Weekly");
    EXPECT_EQ(list.Value(), 0) << "a drop-down list's text cannot be set";
    list.SetEnabled(false);
    list.Choose(1);
    EXPECT_EQ(list.Value(), 0) << "a disabled list took a choice";
    list.SetValue(1);
    EXPECT_EQ(list.Value(), 1) << "the program may still choose";

    list.ClearItems();
    EXPECT_EQ(list.ItemCount(), 0);
    EXPECT_EQ(list.Value(), -1);
    EXPECT_EQ(list.Text(), "");
}

TEST_F(SimControls, ADisabledOrHiddenFrameBlocksItsChildrenWhoseOwnFlagsStay) {
    auto& frame = Add(ControlKind::Frame, "frmSM", "Scheduled Maintenance");
    auto& box = AddIn(frame, ControlKind::TextBox, "txtHour");
    auto& spin = AddIn(frame, ControlKind::SpinBar, "HS");
    auto& list = AddIn(frame, ControlKind::ComboBox, "cmdTimeSet");
    auto& button = AddIn(frame, ControlKind::Button, "cmd");
    auto& inner = AddIn(frame, ControlKind::Frame, "fraInner");
    auto& deep = AddIn(inner, ControlKind::CheckBox, "chkDeep");
    list.AddItem("Daily");
    int clicks = 0;
    int changes = 0;
    button.OnClick = [&] { ++clicks; };
    box.OnChange = [&] { ++changes; };
    spin.OnChange = [&] { ++changes; };
    list.OnClick = [&] { ++clicks; };

    const auto userActs = [&] {
        button.Click();
        box.Type("1");
        spin.SpinUp();
        list.Choose(0);
        deep.Click();
    };

    frame.SetEnabled(false);
    userActs();
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(box.Text(), "");
    EXPECT_EQ(spin.Value(), 0);
    EXPECT_EQ(list.Value(), -1);
    EXPECT_EQ(deep.Value(), ui::kUnchecked) << "a frame inside a disabled frame blocks too";
    EXPECT_TRUE(button.Enabled()) << "the child's own flag is its own";
    EXPECT_FALSE(button.TakesInput());

    box.SetText("7");
    spin.SetValue(3);
    EXPECT_EQ(changes, 2) << "the program's own writes are no input and still raise";

    frame.SetEnabled(true);
    frame.SetVisible(false);
    userActs();
    EXPECT_EQ(clicks, 0) << "a hidden frame's children take no clicks";
    EXPECT_TRUE(button.Visible());

    frame.SetVisible(true);
    button.SetEnabled(false);
    userActs();
    EXPECT_EQ(clicks, 1) << "only the list's choice; the button is disabled itself";
    EXPECT_EQ(box.Text(), "71");
    EXPECT_EQ(spin.Value(), 4);
    EXPECT_EQ(deep.Value(), ui::kChecked);
}

TEST_F(SimControls, AFramesChildrenArePlacedRelativeToItAndMoveWithIt) {
    auto& frame = Add(ControlKind::Frame, "frmSM");
    auto& label = AddIn(frame, ControlKind::Label, "Label2", {180, 375, 1680, 195});
    auto& outside = Add(ControlKind::Label, "Label1");
    EXPECT_EQ(label.Frame(), &frame);
    EXPECT_EQ(outside.Frame(), nullptr);
    EXPECT_EQ(label.Position(), (ui::Twips{180, 375, 1680, 195}));
    EXPECT_EQ(label.ClientPosition(), (ui::Twips{280, 575, 1680, 195}));
    frame.Move({285, 2940, 4875, 1485});
    EXPECT_EQ(label.Position(), (ui::Twips{180, 375, 1680, 195}));
    EXPECT_EQ(label.ClientPosition(), (ui::Twips{465, 3315, 1680, 195}));

    EXPECT_THROW(window_->AddControlIn(outside, ControlKind::Label, "x", {}, "", {}),
                 std::invalid_argument)
        << "only a frame holds controls";
    auto other = sim_.ui.NewWindow("frmOther", {});
    EXPECT_THROW(other->AddControlIn(frame, ControlKind::Label, "x", {}, "", {}),
                 std::invalid_argument)
        << "a frame of another window";
}

// Rows an owner holds, as the problem list does.
class Rows final : public ui::ListRows {
  public:
    std::size_t RowCount() const override { return rows.size(); }
    std::string CellText(std::size_t row, std::size_t column) const override {
        ++asked;
        const auto& cells = rows.at(row);
        return column < cells.size() ? cells[column] : std::string();
    }
    std::vector<std::vector<std::string>> rows;
    mutable int asked = 0;
};

using Cells = std::vector<std::vector<std::string>>;

TEST_F(SimControls, ListViewShowsTheRowsItWasLastToldOf) {
    auto& added = window_->AddListView("lvInvalidLoc", {165, 1530, 6825, 2535}, {});
    auto& list = Window().GetList("lvInvalidLoc");
    EXPECT_EQ(&added, &list);
    EXPECT_THROW(Window().GetList("lvNone"), std::out_of_range);
    list.AddColumn("Invalid data location", 4500);
    list.AddColumn("Value name", 1500);
    list.AddColumn("Reg type", 0);

    Rows rows;
    rows.rows = {{"HKLM\\Software\\A", "Path"}, {"HKCU\\Software\\B", "Icon", "1"}};
    EXPECT_EQ(list.ShownRowCount(), 0u);
    list.SetRows(&rows);
    EXPECT_EQ(list.ShownRowCount(), 2u) << "taken when the rows are set";
    EXPECT_EQ(list.ShownCells(),
              (Cells{{"HKLM\\Software\\A", "Path", ""}, {"HKCU\\Software\\B", "Icon", "1"}}));

    // An owner that appends without telling the view: the view still shows two rows.
    rows.rows.push_back({"HKCR\\C", "", "2"});
    EXPECT_EQ(list.ShownRowCount(), 2u);
    EXPECT_EQ(list.ShownCells().size(), 2u);
    list.RowsChanged();
    EXPECT_EQ(list.ShownRowCount(), 3u);
    EXPECT_EQ(list.ShownCell(2, 0), "HKCR\\C");
    EXPECT_EQ(list.RowsChangedCalls(), 1);

    // Removing without telling: the view asks nothing of rows the owner no longer has.
    rows.rows.erase(rows.rows.begin(), rows.rows.begin() + 2);
    EXPECT_EQ(list.ShownCells(), (Cells{{"HKCR\\C", "", "2"}, {"", "", ""}, {"", "", ""}}));
    list.RowsChanged();
    EXPECT_EQ(list.ShownCells(), (Cells{{"HKCR\\C", "", "2"}}));
    EXPECT_EQ(list.ShownCell(0, 3), "") << "beyond the columns";
    EXPECT_EQ(list.ShownCell(1, 0), "") << "beyond the shown rows";

    list.SetRows(nullptr);
    EXPECT_EQ(list.ShownRowCount(), 0u);
    rows.asked = 0;
    EXPECT_TRUE(list.ShownCells().empty());
    EXPECT_EQ(rows.asked, 0);
}

TEST_F(SimControls, ListViewColumnsKeepTheirHeadersAndWidthsInTwips) {
    auto& list = static_cast<SimListView&>(window_->AddListView("lv", {0, 0, 6000, 2000}, {}));
    list.AddColumn("File path", 5000);
    list.AddColumn("File Size (bytes)", 0);
    EXPECT_EQ(list.ColumnCount(), 2u);
    list.SetColumnHeader(1, "Size");
    list.SetColumnHeader(2, "none");
    EXPECT_EQ(list.ColumnCount(), 2u) << "setting a header adds no column";
    EXPECT_EQ(list.ColumnHeader(0), "File path");
    EXPECT_EQ(list.ColumnHeader(1), "Size");
    EXPECT_EQ(list.ColumnHeader(2), "");
    EXPECT_EQ(list.ColumnWidth(0), 5000);
    EXPECT_EQ(list.ColumnWidth(1), 0);
    EXPECT_EQ(list.ColumnWidth(2), 0);
    list.SetRowIcon("IMREGERROR");
    EXPECT_EQ(list.RowIcon(), "IMREGERROR");
    list.SetVisible(false);
    EXPECT_FALSE(list.Visible());
    list.Move({4230, 5505, 1200, 840});
    EXPECT_EQ(list.Position(), (ui::Twips{4230, 5505, 1200, 840}));
}

}  // namespace
}  // namespace keldra::platform::sim

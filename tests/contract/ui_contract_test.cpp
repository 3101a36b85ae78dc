// One behaviour for both window ports: what the real controls do under Wine the simulated
// ones must do too, so that the windows' own tests on the simulation stand for the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "contract/ui_fixture.h"

namespace keldra::testing {
namespace {

class UiContract : public UiFixture {};

TEST_P(UiContract, TypingRaisesOnChangePerKeyAndAHandlerThatRewritesTheTextSeesItAgain) {
    auto& box = Add(ControlKind::TextBox, "txtHour", {1500, 840, 510, 375});
    DigitsOnly filter(box);
    box.OnChange = [&filter] { filter(); };

    user().Type(box, "1a5");
    EXPECT_EQ(box.Text(), "15") << "each key goes after what the handler left";
    // "a" made "1a"; the rewrite back to "1" raised once more, inside the first handler.
    EXPECT_EQ(filter.seen, (std::vector<std::string>{"1", "1a", "1", "15"}));

    filter.seen.clear();
    box.SetText("15");
    EXPECT_TRUE(filter.seen.empty()) << "the same text is no change";
    box.SetText("7");
    EXPECT_EQ(filter.seen, (std::vector<std::string>{"7"}));

    // Characters, not bytes: "ä" is one key.
    box.SetText("");
    filter.seen.clear();
    user().Type(box, "ä2");
    EXPECT_EQ(filter.seen, (std::vector<std::string>{"ä", "", "2"}));
    EXPECT_EQ(box.Text(), "2");

    // Without a guard the rewrites end once the text stops changing.
    auto& other = Add(ControlKind::TextBox, "txtMin", {2500, 840, 510, 375});
    int changes = 0;
    other.OnChange = [&] {
        ++changes;
        std::string digits;
        for (const char c : other.Text()) {
            if (c >= '0' && c <= '9') {
                digits += c;
            }
        }
        other.SetText(digits);
    };
    user().Type(other, "x");
    EXPECT_EQ(other.Text(), "");
    EXPECT_EQ(changes, 2) << "\"x\", then the rewrite to \"\"; setting \"\" again is no change";
}

TEST_P(UiContract, SpinBarStaysInsideItsRangeAndItsUpperArrowMovesTowardsTheTop) {
    auto& spin = Add(ControlKind::SpinBar, "HS", {1020, 840, 255, 375});
    std::vector<int> seen;
    spin.OnChange = [&] { seen.push_back(spin.Value()); };

    EXPECT_EQ(spin.Value(), 0);
    user().SpinDown(spin);
    EXPECT_EQ(spin.Value(), 0) << "a new spin bar counts from 0 upwards";
    user().SpinUp(spin);
    EXPECT_EQ(spin.Value(), 1);

    spin.SetRange(0, 23);
    spin.SetValue(22);
    seen.clear();
    user().SpinUp(spin);
    EXPECT_EQ(spin.Value(), 23);
    user().SpinUp(spin);
    EXPECT_EQ(spin.Value(), 23) << "stops at the top";
    EXPECT_EQ(seen, (std::vector<int>{23})) << "no change, no OnChange";

    spin.SetValue(99);
    EXPECT_EQ(spin.Value(), 23);
    spin.SetValue(-4);
    EXPECT_EQ(spin.Value(), 0);
    user().SpinDown(spin);
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
    user().SpinUp(spin);
    EXPECT_EQ(spin.Value(), 4);
    user().SpinDown(spin);
    user().SpinDown(spin);
    EXPECT_EQ(spin.Value(), 6);
    spin.SetValue(11);
    EXPECT_EQ(spin.Value(), 10);

    spin.SetEnabled(false);
    user().SpinUp(spin);
    EXPECT_EQ(spin.Value(), 10) << "a disabled spin bar moved";
}

TEST_P(UiContract, DropDownListValueIsTheChosenPositionAndAChoiceRaisesOnClick) {
    auto& list = Add(ControlKind::ComboBox, "cmdTimeSet", {1920, 315, 1905, 315});
    std::vector<int> clicks;
    list.OnClick = [&] { clicks.push_back(list.Value()); };
    EXPECT_EQ(list.Value(), -1) << "nothing chosen";
    EXPECT_EQ(list.Text(), "");
    list.SetValue(0);
    EXPECT_EQ(list.Value(), -1) << "no item 0 yet";

    for (const char* item : {"Daily", "Every 3 days", "Wöchentlich"}) {
        list.AddItem(item);
    }
    EXPECT_EQ(list.ItemCount(), 3);
    EXPECT_EQ(list.ItemText(1), "Every 3 days");
    EXPECT_EQ(list.ItemText(3), "");
    EXPECT_EQ(list.ItemText(-1), "");

    list.SetValue(2);
    EXPECT_EQ(list.Text(), "Wöchentlich");
    list.SetValue(2);
    list.SetValue(3);
    EXPECT_EQ(list.Value(), 2) << "out of range: unchanged";
    user().Choose(list, 0);
    user().Choose(list, 0);
    EXPECT_EQ(list.Text(), "Daily");
    EXPECT_EQ(clicks, (std::vector<int>{2, 0})) << "only changes raise OnClick";

    list.SetText("Wöchentlich");
    EXPECT_EQ(list.Value(), 0) << "a drop-down list's text cannot be set";
    list.SetEnabled(false);
    user().Choose(list, 1);
    EXPECT_EQ(list.Value(), 0) << "a disabled list took a choice";
    list.SetValue(1);
    EXPECT_EQ(list.Value(), 1) << "the program may still choose";

    list.ClearItems();
    EXPECT_EQ(list.ItemCount(), 0);
    EXPECT_EQ(list.Value(), -1);
    EXPECT_EQ(list.Text(), "");
}

TEST_P(UiContract, ClicksReachControlsThatTakeInputAndACheckBoxTogglesFirst) {
    auto& button = Add(ControlKind::Button, "cmd", {0, 0, 1500, 375}, "OK");
    auto& label = Add(ControlKind::Label, "lbl", {0, 600, 1500, 375}, "x");
    auto& check = Add(ControlKind::CheckBox, "chk", {0, 1200, 3000, 300}, "x");
    int buttonClicks = 0;
    int labelClicks = 0;
    std::vector<int> checkSeen;
    button.OnClick = [&] { ++buttonClicks; };
    label.OnClick = [&] { ++labelClicks; };
    check.OnClick = [&] { checkSeen.push_back(check.Value()); };

    user().Click(button);
    user().Click(label);
    EXPECT_EQ(buttonClicks, 1);
    EXPECT_EQ(labelClicks, 1);
    button.SetEnabled(false);
    label.SetEnabled(false);
    user().Click(button);
    user().Click(label);
    EXPECT_EQ(buttonClicks, 1) << "a disabled button took a click";
    EXPECT_EQ(labelClicks, 1) << "a disabled label took a click";
    EXPECT_TRUE(label.Visible());
    label.SetEnabled(true);
    label.SetVisible(false);
    user().Click(label);
    EXPECT_EQ(labelClicks, 1) << "a hidden label took a click";

    EXPECT_EQ(check.Value(), ui::kUnchecked);
    user().Click(check);
    EXPECT_EQ(check.Value(), ui::kChecked);
    check.SetValue(ui::kChecked);
    check.SetValue(ui::kUnchecked);
    check.SetValue(ui::kGrayed);
    user().Click(check);
    EXPECT_EQ(check.Value(), ui::kChecked) << "a click on a grayed box checks it";
    user().Click(check);
    EXPECT_EQ(check.Value(), ui::kUnchecked);
    EXPECT_EQ(checkSeen, (std::vector<int>{ui::kChecked, ui::kUnchecked, ui::kGrayed, ui::kChecked,
                                           ui::kUnchecked}))
        << "the handler sees the new value; setting the same one raises nothing";
    check.SetValue(7);
    check.SetValue(-1);
    EXPECT_EQ(check.Value(), ui::kUnchecked) << "no such state";
    check.SetEnabled(false);
    check.SetValue(ui::kChecked);
    EXPECT_EQ(checkSeen.size(), 6u) << "the program's own change raises even while disabled";
    user().Click(check);
    EXPECT_EQ(check.Value(), ui::kChecked);
}

// A control without a value (all but check boxes, spin bars and drop-down lists) keeps 0
// and raises nothing: the logic that sets one by mistake must not click a button.
TEST_P(UiContract, SetValueOnAControlWithoutAValueDoesNothing) {
    auto& frame = Add(ControlKind::Frame, "fra", {4000, 0, 3000, 2000});
    std::vector<ui::Control*> controls{
        &Add(ControlKind::Label, "lbl", {0, 0, 1500, 300}, "x"),
        &Add(ControlKind::Button, "cmd", {0, 400, 1500, 375}, "OK"),
        &Add(ControlKind::TextBox, "txt", {0, 900, 1500, 375}, "12"),
        &Add(ControlKind::Picture, "pic", {0, 1400, 1500, 375}),
        &Add(ControlKind::Line, "lin", {0, 1900, 1500, 30}),
        &Add(ControlKind::Animation, "ani", {0, 2000, 1500, 600}),
        &frame,
    };
    int raised = 0;
    for (ui::Control* control : controls) {
        control->OnClick = [&] { ++raised; };
        control->OnChange = [&] { ++raised; };
    }
    for (ui::Control* control : controls) {
        SCOPED_TRACE(static_cast<int>(control->Kind()));
        control->SetValue(ui::kChecked);
        control->SetValue(5);
        EXPECT_EQ(control->Value(), 0);
    }
    EXPECT_EQ(raised, 0);
    EXPECT_EQ(controls[2]->Text(), "12");
}

TEST_P(UiContract, ADisabledOrHiddenFrameBlocksItsChildrenWhoseOwnFlagsStay) {
    auto& frame = Add(ControlKind::Frame, "frmSM", {285, 2940, 4875, 2400}, "Scheduled");
    auto& box = AddIn(frame, ControlKind::TextBox, "txtHour", {180, 300, 600, 375});
    auto& spin = AddIn(frame, ControlKind::SpinBar, "HS", {800, 300, 255, 375});
    auto& list = AddIn(frame, ControlKind::ComboBox, "cmdTimeSet", {1200, 300, 1900, 315});
    auto& button = AddIn(frame, ControlKind::Button, "cmd", {180, 800, 1200, 375});
    auto& inner = AddIn(frame, ControlKind::Frame, "fraInner", {180, 1300, 3000, 900});
    auto& deep = AddIn(inner, ControlKind::CheckBox, "chkDeep", {100, 300, 1500, 300});
    list.AddItem("Daily");
    int clicks = 0;
    int changes = 0;
    button.OnClick = [&] { ++clicks; };
    box.OnChange = [&] { ++changes; };
    spin.OnChange = [&] { ++changes; };
    list.OnClick = [&] { ++clicks; };

    const auto userActs = [&] {
        user().Click(button);
        user().Type(box, "1");
        user().SpinUp(spin);
        user().Choose(list, 0);
        user().Click(deep);
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

TEST_P(UiContract, AFramesChildrenArePlacedRelativeToItAndMoveWithIt) {
    auto& frame = Add(ControlKind::Frame, "frmSM", {105, 195, 4875, 1485});
    auto& label = AddIn(frame, ControlKind::Label, "Label2", {180, 375, 1680, 195});
    EXPECT_EQ(label.Position(), (ui::Twips{180, 375, 1680, 195}));
    frame.Move({285, 2940, 4875, 1485});
    EXPECT_EQ(frame.Position(), (ui::Twips{285, 2940, 4875, 1485}));
    EXPECT_EQ(label.Position(), (ui::Twips{180, 375, 1680, 195})) << "still inside the frame";
}

// Rows an owner holds, as the problem list does.
class Rows final : public ui::ListRows {
  public:
    std::size_t RowCount() const override { return rows.size(); }
    std::string CellText(std::size_t row, std::size_t column) const override {
        const auto& cells = rows.at(row);
        return column < cells.size() ? cells[column] : std::string();
    }
    std::vector<std::vector<std::string>> rows;
};

TEST_P(UiContract, ListViewShowsTheRowsItWasLastToldOfInColumnsKeptInTwips) {
    auto& list = window_->AddListView("lvInvalidLoc", {165, 1530, 6825, 2535}, ui::Font{});
    EXPECT_EQ(list.Position(), (ui::Twips{165, 1530, 6825, 2535}));
    list.AddColumn("Invalid data location", 4500);
    list.AddColumn("Value name", 1500);
    list.AddColumn("Reg type", 0);
    EXPECT_EQ(list.ColumnCount(), 3u);
    list.SetColumnHeader(1, "Wertname ✓");
    list.SetColumnHeader(3, "none");
    EXPECT_EQ(list.ColumnCount(), 3u) << "setting a header adds no column";
    EXPECT_EQ(list.ColumnHeader(1), "Wertname ✓");
    EXPECT_EQ(list.ColumnHeader(3), "");
    EXPECT_EQ(list.ColumnWidth(0), 4500) << "the twips as set";
    EXPECT_EQ(list.ColumnWidth(2), 0);

    Rows rows;
    rows.rows = {{"HKLM\\Software\\A", "Path"}, {"HKCU\\Software\\B", "Icon", "1"}};
    EXPECT_EQ(list.ShownRowCount(), 0u);
    list.SetRows(&rows);
    EXPECT_EQ(list.ShownRowCount(), 2u) << "taken when the rows are set";
    EXPECT_EQ(user().ShownCell(list, 0, 0), "HKLM\\Software\\A");
    EXPECT_EQ(user().ShownCell(list, 0, 2), "");
    EXPECT_EQ(user().ShownCell(list, 1, 2), "1");

    // An owner that appends without telling the view: the view still shows two rows.
    rows.rows.push_back({"HKCR\\C", "", "2"});
    EXPECT_EQ(list.ShownRowCount(), 2u);
    EXPECT_EQ(user().ShownCell(list, 2, 0), "");
    list.RowsChanged();
    EXPECT_EQ(list.ShownRowCount(), 3u);
    EXPECT_EQ(user().ShownCell(list, 2, 0), "HKCR\\C");

    // Removing without telling: rows the owner no longer has show empty.
    rows.rows.erase(rows.rows.begin(), rows.rows.begin() + 2);
    EXPECT_EQ(user().ShownCell(list, 0, 0), "HKCR\\C");
    EXPECT_EQ(user().ShownCell(list, 1, 0), "");
    list.RowsChanged();
    EXPECT_EQ(list.ShownRowCount(), 1u);
    EXPECT_EQ(user().ShownCell(list, 0, 3), "") << "beyond the columns";

    list.SetRows(nullptr);
    EXPECT_EQ(list.ShownRowCount(), 0u);
    list.SetVisible(false);
    EXPECT_FALSE(list.Visible());
    list.Move({4230, 5505, 1200, 840});
    EXPECT_EQ(list.Position(), (ui::Twips{4230, 5505, 1200, 840}));
}

INSTANTIATE_TEST_SUITE_P(Backends, UiContract, ::testing::ValuesIn(UiBackends()),
                         [](const auto& param) { return param.param.name; });

}  // namespace
}  // namespace keldra::testing

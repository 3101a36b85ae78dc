// Text boxes, spin bars, drop-down lists and frames of the window port, on Wine's virtual
// desktop under Xvfb. Keys and clicks come as the messages Windows itself sends the controls
// (WM_CHAR, WM_LBUTTONDOWN/UP, WM_KEYDOWN), so the controls' own notifications reach the
// adapter.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/win32_ui.h"
#include "support.h"
#include "tests/contract/digits_only.h"
#include "window_support.h"

namespace keldra::testing {
namespace {

// The control's window rectangle in its parent's client area.
RECT RectInParent(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Keys as the keyboard sends them to the box with the focus.
void Type(HWND box, std::wstring_view keys) {
    for (const wchar_t key : keys) {
        SendMessageW(box, WM_CHAR, key, 1);
    }
}

TEST_F(Win32Controls, TextBoxIsASunkenOneLineEditInTheControlsFont) {
    auto& box =
        window_->AddControl(ui::ControlKind::TextBox, "txtHour", {645, 840, 390, 360}, "0", {});
    const HWND handle = HandleOf(box);
    EXPECT_EQ(ClassOf(handle), L"Edit");
    EXPECT_NE(StyleOf(handle) & ES_AUTOHSCROLL, 0);
    EXPECT_EQ(StyleOf(handle) & ES_MULTILINE, 0);
    EXPECT_NE(ExStyleOf(handle) & WS_EX_CLIENTEDGE, 0) << "sunken, as a classic text box";
    EXPECT_EQ(FaceOf(handle), L"Tahoma");
    EXPECT_EQ(box.Text(), "0");
    box.SetText("Größe ✓");
    EXPECT_EQ(box.Text(), "Größe ✓");
}

TEST_F(Win32Controls, TypingIntoATextBoxWhoseHandlerRewritesTheTextKeepsTheCaretWhereTheUserTypes) {
    auto& box =
        window_->AddControl(ui::ControlKind::TextBox, "txtHour", {645, 840, 900, 360}, "", {});
    const HWND handle = HandleOf(box);
    DigitsOnly filter(box);
    box.OnChange = [&filter] { filter(); };
    SetFocus(handle);

    Type(handle, L"1");
    Type(handle, L"5");
    EXPECT_EQ(box.Text(), "15") << "the second key went in front of the first";

    box.SetText("");
    filter.seen.clear();
    Type(handle, L"1a5");
    EXPECT_EQ(box.Text(), "15");
    // "a" made "1a"; the rewrite back to "1" raised OnChange once more, inside the first.
    EXPECT_EQ(filter.seen, (std::vector<std::string>{"1", "1a", "1", "15"}));
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(handle, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 2u);
    EXPECT_EQ(end, 2u);

    // A key dropped in the middle leaves the caret where it was typed.
    SendMessageW(handle, EM_SETSEL, 1, 1);
    Type(handle, L"x2");
    EXPECT_EQ(box.Text(), "125");

    filter.seen.clear();
    box.SetText("125");
    EXPECT_TRUE(filter.seen.empty()) << "the same text is no change";
    box.SetText("7");
    EXPECT_EQ(filter.seen, (std::vector<std::string>{"7"}));
}

TEST_F(Win32Controls, SpinBarIsAnUnattachedUpDownWhoseUpperArrowMovesTowardsTheTop) {
    auto& spin = window_->AddControl(ui::ControlKind::SpinBar, "HS", {1020, 840, 255, 375}, "", {});
    const HWND handle = HandleOf(spin);
    EXPECT_EQ(ClassOf(handle), L"msctls_updown32");
    EXPECT_EQ(StyleOf(handle) & (UDS_HORZ | UDS_SETBUDDYINT | UDS_AUTOBUDDY), 0);
    EXPECT_EQ(SendMessageW(handle, UDM_GETBUDDY, 0, 0), 0);
    std::vector<int> seen;
    spin.OnChange = [&] { seen.push_back(spin.Value()); };

    spin.SetRange(0, 23);
    int low = -1;
    int high = -1;
    SendMessageW(handle, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                 reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 23);
    spin.SetValue(22);
    EXPECT_EQ(SendMessageW(handle, UDM_GETPOS32, 0, 0), 22);
    EXPECT_EQ(seen, (std::vector<int>{22}));

    RECT client{};
    GetClientRect(handle, &client);
    const auto click = [&](int y) {
        const LPARAM at = MAKELPARAM(client.right / 2, y);
        SendMessageW(handle, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(handle, WM_LBUTTONUP, 0, at);
    };
    const int upper = client.bottom / 4;
    const int lower = client.bottom * 3 / 4;
    click(upper);
    EXPECT_EQ(spin.Value(), 23);
    click(upper);
    EXPECT_EQ(spin.Value(), 23) << "stops at the top";
    EXPECT_EQ(SendMessageW(handle, UDM_GETPOS32, 0, 0), 23);
    EXPECT_EQ(seen, (std::vector<int>{22, 23}));
    click(lower);
    EXPECT_EQ(spin.Value(), 22);

    // What the control asks its window before it moves.
    NMUPDOWN change{};
    change.hdr.hwndFrom = handle;
    change.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(handle));
    change.hdr.code = UDN_DELTAPOS;
    change.iPos = 22;
    change.iDelta = 5;
    SendMessageW(HandleOf(*window_), WM_NOTIFY, change.hdr.idFrom,
                 reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(spin.Value(), 23) << "kept inside the range";

    spin.SetValue(-3);
    EXPECT_EQ(spin.Value(), 0);
    spin.SetRange(10, 20);
    EXPECT_EQ(spin.Value(), 10) << "brought inside a new range";
    EXPECT_EQ(seen, (std::vector<int>{22, 23, 22, 23, 0, 10}));
    spin.SetEnabled(false);
    click(upper);
    EXPECT_EQ(spin.Value(), 10) << "a disabled spin bar moved";
}

TEST_F(Win32Controls, DropDownListValueIsTheChosenItemAndAChoiceRaisesOnClick) {
    auto& list = window_->AddControl(ui::ControlKind::ComboBox, "cmdTimeSet",
                                     {1920, 315, 1905, 315}, "", {});
    const HWND handle = HandleOf(list);
    EXPECT_EQ(ClassOf(handle), L"ComboBox");
    EXPECT_EQ(StyleOf(handle) & 3, CBS_DROPDOWNLIST);
    EXPECT_EQ(FaceOf(handle), L"Tahoma");
    std::vector<int> clicks;
    list.OnClick = [&] { clicks.push_back(list.Value()); };
    EXPECT_EQ(list.Value(), -1);
    for (const char* item : {"Daily", "Every 3 days", "Wöchentlich"}) {
        list.AddItem(item);
    }
    EXPECT_EQ(list.ItemCount(), 3);
    EXPECT_EQ(list.ItemText(2), "Wöchentlich");
    EXPECT_EQ(list.ItemText(3), "");

    // The open list shows several items, not the box's own height.
    RECT dropped{};
    SendMessageW(handle, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    const auto item = static_cast<int>(SendMessageW(handle, CB_GETITEMHEIGHT, 0, 0));
    EXPECT_GE(dropped.bottom - dropped.top, 4 * item);

    list.SetValue(2);
    EXPECT_EQ(SendMessageW(handle, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(list.Text(), "Wöchentlich");
    list.SetValue(2);
    list.SetValue(7);
    EXPECT_EQ(clicks, (std::vector<int>{2})) << "only a change raises OnClick";

    // The user moves up one item with the keyboard.
    SetFocus(handle);
    SendMessageW(handle, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(list.Value(), 1);
    EXPECT_EQ(list.Text(), "Every 3 days");
    EXPECT_EQ(clicks, (std::vector<int>{2, 1}));

    list.SetText("Daily");
    EXPECT_EQ(list.Value(), 1) << "a drop-down list's text cannot be set";
    list.ClearItems();
    EXPECT_EQ(list.ItemCount(), 0);
    EXPECT_EQ(list.Value(), -1);
    EXPECT_EQ(list.Text(), "");
}

TEST_F(Win32Controls, FrameIsAGroupBoxWhoseControlsMoveHideAndGreyWithIt) {
    auto& frame = window_->AddControl(ui::ControlKind::Frame, "frmSM", {285, 2940, 4875, 1485},
                                      "Scheduled Maintenance", {});
    const HWND frameHandle = HandleOf(frame);
    EXPECT_EQ(ClassOf(frameHandle), L"Button");
    EXPECT_EQ(StyleOf(frameHandle) & BS_TYPEMASK, BS_GROUPBOX);
    EXPECT_EQ(frame.Text(), "Scheduled Maintenance");

    auto& label = window_->AddControlIn(frame, ui::ControlKind::Label, "Label2",
                                        {180, 375, 1680, 195}, "Run Maintenance", {});
    auto& box = window_->AddControlIn(frame, ui::ControlKind::TextBox, "txtHour",
                                      {645, 840, 390, 360}, "0", {});
    auto& button = window_->AddControlIn(frame, ui::ControlKind::Button, "cmd",
                                         {2115, 855, 900, 360}, "x", {});
    auto& spin =
        window_->AddControlIn(frame, ui::ControlKind::SpinBar, "HS", {1020, 840, 255, 375}, "", {});
    int clicks = 0;
    button.OnClick = [&] { ++clicks; };

    // Placed relative to the frame, and lying above it.
    const RECT frameRect = RectInParent(frameHandle);
    const RECT boxRect = RectInParent(HandleOf(box));
    EXPECT_EQ(boxRect.left, frameRect.left + PixelsX(645));
    EXPECT_EQ(boxRect.top, frameRect.top + PixelsY(840));
    EXPECT_EQ(box.Position(), (ui::Twips{645, 840, 390, 360}));
    EXPECT_EQ(GetWindow(frameHandle, GW_HWNDNEXT), nullptr) << "the frame is not the lowest";

    const std::vector<HWND> children{HandleOf(label), HandleOf(box), HandleOf(button),
                                     HandleOf(spin)};
    frame.SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(frameHandle));
    for (const HWND child : children) {
        EXPECT_FALSE(IsWindowEnabled(child)) << "not greyed: " << Narrow(ClassOf(child));
    }
    EXPECT_TRUE(button.Enabled()) << "the child's own flag stays";
    SendMessageW(HandleOf(button), BM_CLICK, 0, 0);
    PostMessageW(HandleOf(*window_), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(HandleOf(button)), BN_CLICKED),
                 reinterpret_cast<LPARAM>(HandleOf(button)));
    ui_.WaitForEvent(0);
    ui_.DoEvents();
    EXPECT_EQ(clicks, 0) << "a control in a disabled frame took a click";

    // Own flags come back when the frame is enabled again.
    button.SetEnabled(false);
    label.SetEnabled(false);
    frame.SetEnabled(true);
    EXPECT_FALSE(IsWindowEnabled(HandleOf(button)));
    EXPECT_TRUE(IsWindowEnabled(HandleOf(label))) << "a label is never greyed by its own flag";
    EXPECT_TRUE(IsWindowEnabled(HandleOf(box)));
    button.SetEnabled(true);
    SendMessageW(HandleOf(button), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);

    box.SetVisible(false);
    frame.SetVisible(false);
    for (const HWND child : children) {
        EXPECT_FALSE(IsWindowVisible(child));
    }
    EXPECT_TRUE(button.Visible()) << "the child's own flag stays";
    frame.SetVisible(true);
    EXPECT_TRUE(IsWindowVisible(HandleOf(button)));
    EXPECT_FALSE(IsWindowVisible(HandleOf(box))) << "hidden itself";

    frame.Move({585, 1440, 4875, 1485});
    const RECT moved = RectInParent(HandleOf(button));
    EXPECT_EQ(moved.left, RectInParent(frameHandle).left + PixelsX(2115));
    EXPECT_EQ(moved.top, RectInParent(frameHandle).top + PixelsY(855));
    EXPECT_EQ(button.Position(), (ui::Twips{2115, 855, 900, 360}));
}

}  // namespace
}  // namespace keldra::testing

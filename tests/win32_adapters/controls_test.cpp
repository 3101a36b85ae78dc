// Text boxes, spin bars, drop-down lists, frames and owner-data list views of the window
// port, on Wine's virtual desktop under Xvfb. Keys and clicks come as the messages Windows
// itself sends the controls (WM_CHAR, WM_LBUTTONDOWN/UP, WM_KEYDOWN), so the controls'
// own notifications reach the adapter.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "e2e/automation.h"
#include "platform/win32/win32_ui.h"
#include "support.h"

namespace keldra::testing {
namespace {

namespace ui = platform::ui;
using platform::win32::Win32Control;
using platform::win32::Win32ListView;
using platform::win32::Win32Window;

HWND HandleOf(ui::Window& window) {
    return dynamic_cast<Win32Window&>(window).Handle();
}

HWND HandleOf(ui::Control& control) {
    return dynamic_cast<Win32Control&>(control).Handle();
}

HWND HandleOf(ui::ListView& list) {
    return dynamic_cast<Win32ListView&>(list).Handle();
}

LONG_PTR StyleOf(HWND window) {
    return GetWindowLongPtrW(window, GWL_STYLE);
}

LONG_PTR ExStyleOf(HWND window) {
    return GetWindowLongPtrW(window, GWL_EXSTYLE);
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring FaceOf(HWND window) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfFaceName;
}

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

class Win32Controls : public ::testing::Test {
  protected:
    void SetUp() override {
        KELDRA_REQUIRE_DISPLAY();
        window_ = ui_.NewWindow("frmTest", ui::Font{});
        ASSERT_TRUE(window_->Loaded());
        window_->SetClientSize(9000, 6000);
        window_->Show();
        ui_.DoEvents();
    }

    int PixelsX(int twips) const { return MulDiv(twips, ui_.ScreenDpi().x, 1440); }
    int PixelsY(int twips) const { return MulDiv(twips, ui_.ScreenDpi().y, 1440); }

    platform::win32::Win32Ui ui_;
    std::unique_ptr<ui::Window> window_;
};

// Keeps only the digits, as the hour box of a time setting does, with the guard flag such
// a handler uses against its own write.
struct DigitsOnly {
    explicit DigitsOnly(ui::Control& control) : box(control) {}
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

    ui::Control& box;
    bool updating = false;
    std::vector<std::string> seen;
};

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

// Rows made up on the spot, counting what the view asked for.
class CountingRows final : public ui::ListRows {
  public:
    std::size_t RowCount() const override { return count; }
    std::string CellText(std::size_t row, std::size_t column) const override {
        ++asked;
        if (row >= count) {
            ++askedBeyond;
        }
        return (column == 0 ? "HKLM\\Software\\Keldra\\Zeile " : "Wert ") + std::to_string(row);
    }
    std::size_t count = 0;
    mutable int asked = 0;
    mutable int askedBeyond = 0;
};

// The colour in the middle of an icon resource at the small-icon size, drawn on white.
COLORREF IconMiddle(const wchar_t* name) {
    const int size = GetSystemMetrics(SM_CXSMICON);
    const platform::win32::UniqueHIcon icon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    const platform::win32::UniqueScreenDc screen(GetDC(nullptr));
    const platform::win32::UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
    const platform::win32::UniqueHBitmap bitmap(CreateCompatibleBitmap(screen.get(), size, size));
    const HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
    const RECT all{0, 0, size, size};
    FillRect(memory.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(memory.get(), 0, 0, icon.get(), size, size, 0, nullptr, DI_NORMAL);
    const COLORREF middle = GetPixel(memory.get(), size / 2, size / 2);
    SelectObject(memory.get(), old);
    return middle;
}

TEST_F(Win32Controls, RowsPaintWithTheirIconBesideAFrameOfControls) {
    auto& frame = window_->AddControl(ui::ControlKind::Frame, "frmSM", {285, 285, 4875, 1485},
                                      "Scheduled Maintenance", {});
    window_->AddControlIn(frame, ui::ControlKind::Label, "Label2", {180, 375, 1680, 195},
                          "Run Maintenance", {});
    window_->AddControlIn(frame, ui::ControlKind::TextBox, "txtHour", {645, 840, 1200, 360}, "0",
                          {});
    window_->AddControlIn(frame, ui::ControlKind::SpinBar, "HS", {1845, 840, 255, 375}, "", {});
    auto& choice = window_->AddControlIn(frame, ui::ControlKind::ComboBox, "cmdTimeSet",
                                         {1920, 315, 1905, 315}, "", {});
    choice.AddItem("Daily");
    choice.SetValue(0);
    auto& list = window_->AddListView("lv", {285, 2000, 8000, 1800}, {});
    list.AddColumn("Invalid data location", 4500);
    list.AddColumn("Value name", 1500);
    list.AddColumn("Reg type", 0);
    list.SetRowIcon("AAA");
    CountingRows rows;
    rows.count = 40;
    list.SetRows(&rows);
    const HWND window = HandleOf(*window_);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpUntil([] { return false; }, 100);

    // The first row's icon, as the screen shows it.
    RECT icon{};
    icon.left = LVIR_ICON;
    ASSERT_TRUE(SendMessageW(HandleOf(list), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&icon)));
    POINT middle{(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2};
    ClientToScreen(HandleOf(list), &middle);
    const platform::win32::UniqueScreenDc screen(GetDC(nullptr));
    EXPECT_EQ(GetPixel(screen.get(), middle.x, middle.y), IconMiddle(L"AAA"));

    // For people to look at.
    CreateDirectoryW(L"C:\\keldra-artifacts", nullptr);
    EXPECT_TRUE(e2e::SaveScreenshot(window, L"C:\\keldra-artifacts\\controls.bmp"));
}

std::wstring ItemText(HWND list, int row, int column) {
    std::wstring text(512, L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const auto length = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                     reinterpret_cast<LPARAM>(&item));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

TEST_F(Win32Controls, ListViewIsAClassicReportViewWithColumnsInTwips) {
    auto& list = window_->AddListView("lvInvalidLoc", {165, 1530, 6825, 2535}, {});
    const HWND handle = HandleOf(list);
    EXPECT_EQ(ClassOf(handle), L"SysListView32");
    EXPECT_EQ(StyleOf(handle) & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_NE(StyleOf(handle) & LVS_OWNERDATA, 0);
    EXPECT_NE(StyleOf(handle) & LVS_SHOWSELALWAYS, 0);
    const auto extended = SendMessageW(handle, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_NE(extended & LVS_EX_FULLROWSELECT, 0);
    EXPECT_EQ(extended & LVS_EX_GRIDLINES, 0);
    EXPECT_EQ(FaceOf(handle), L"Tahoma");
    EXPECT_EQ(list.Position(), (ui::Twips{165, 1530, 6825, 2535}));

    const std::vector<int> widths{4500, 1500, 2500, 1500, 0, 0};
    for (std::size_t i = 0; i < widths.size(); ++i) {
        list.AddColumn("Column " + std::to_string(i + 1), widths[i]);
    }
    EXPECT_EQ(list.ColumnCount(), widths.size());
    const HWND header = reinterpret_cast<HWND>(SendMessageW(handle, LVM_GETHEADER, 0, 0));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 6);
    for (std::size_t i = 0; i < widths.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(SendMessageW(handle, LVM_GETCOLUMNWIDTH, i, 0), PixelsX(widths[i]));
        EXPECT_EQ(list.ColumnWidth(i), widths[i]) << "the twips as set";
    }
    EXPECT_EQ(SendMessageW(handle, LVM_GETCOLUMNWIDTH, 4, 0), 0) << "hidden until widened";

    // A user widens a hidden column.
    SendMessageW(handle, LVM_SETCOLUMNWIDTH, 4, 60);
    EXPECT_EQ(list.ColumnWidth(4), MulDiv(60, 1440, ui_.ScreenDpi().x));

    list.SetColumnHeader(0, "Ungültiger Datenort");
    list.SetColumnHeader(5, "Attribute ✓");
    list.SetColumnHeader(6, "none");
    const auto headerText = [&](int column) {
        std::wstring text(256, L'\0');
        HDITEMW query{};
        query.mask = HDI_TEXT;
        query.pszText = text.data();
        query.cchTextMax = static_cast<int>(text.size());
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&query));
        return std::wstring(query.pszText);
    };
    EXPECT_EQ(headerText(0), L"Ungültiger Datenort");
    EXPECT_EQ(headerText(1), L"Column 2");
    EXPECT_EQ(headerText(5), L"Attribute ✓");
    EXPECT_EQ(list.ColumnHeader(0), "Ungültiger Datenort");
    EXPECT_EQ(list.ColumnHeader(6), "");
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 6) << "a header set added a column";
}

TEST_F(Win32Controls, ListViewShowsAHundredThousandOwnerRowsAndAsksOnlyForWhatItPaints) {
    auto& list = window_->AddListView("lvInvalidLoc", {165, 165, 6825, 2535}, {});
    const HWND handle = HandleOf(list);
    list.AddColumn("Invalid data location", 4500);
    list.AddColumn("Value name", 1500);
    CountingRows rows;
    rows.count = 100'000;
    list.SetRows(&rows);
    EXPECT_EQ(SendMessageW(handle, LVM_GETITEMCOUNT, 0, 0), 100'000);
    EXPECT_EQ(list.ShownRowCount(), 100'000u);
    EXPECT_EQ(ItemText(handle, 99'999, 0), L"HKLM\\Software\\Keldra\\Zeile 99999");
    EXPECT_EQ(ItemText(handle, 99'999, 1), L"Wert 99999");
    EXPECT_EQ(ItemText(handle, 0, 1), L"Wert 0");

    rows.asked = 0;
    RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_GT(rows.asked, 0) << "painting asked for no texts";
    EXPECT_LT(rows.asked, 1000) << "painting asked for rows it does not show";

    // The owner appends: nothing changes until it says so.
    rows.count = 100'005;
    EXPECT_EQ(SendMessageW(handle, LVM_GETITEMCOUNT, 0, 0), 100'000);
    list.RowsChanged();
    EXPECT_EQ(SendMessageW(handle, LVM_GETITEMCOUNT, 0, 0), 100'005);
    EXPECT_EQ(ItemText(handle, 100'004, 1), L"Wert 100004");

    // The owner removes rows and has not said so yet: the rows it no longer has are empty.
    rows.count = 3;
    EXPECT_EQ(ItemText(handle, 10, 0), L"");
    EXPECT_EQ(rows.askedBeyond, 0);
    list.RowsChanged();
    EXPECT_EQ(list.ShownRowCount(), 3u);
    EXPECT_EQ(SendMessageW(handle, LVM_GETITEMCOUNT, 0, 0), 3);
    UpdateWindow(handle);
    EXPECT_EQ(rows.askedBeyond, 0);

    list.SetRows(nullptr);
    EXPECT_EQ(SendMessageW(handle, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(list.ShownRowCount(), 0u);
}

// A million rows of which the owner holds the ticks, as the results windows do.
class TickedRows final : public ui::ListRows {
  public:
    std::size_t RowCount() const override { return 1'000'000; }
    std::string CellText(std::size_t row, std::size_t column) const override {
        return column == 0 ? "C:\\Temp\\f" + std::to_string(row) + ".tmp" : "42";
    }
    bool RowChecked(std::size_t row) const override { return !unticked.contains(row); }
    std::set<std::size_t> unticked;
};

TEST_F(Win32Controls, OwnerRowsShowTheirCheckBoxesAndAClickOnOneOrSpaceTogglesItOnce) {
    auto& list = window_->AddListView("lvCFiles", {165, 165, 6825, 2535}, {});
    const HWND handle = HandleOf(list);
    list.AddColumn("File path", 4800);
    list.AddColumn("File Size (bytes)", 1800);
    TickedRows rows;
    rows.unticked = {1, 999'999};
    list.SetCheckBoxes(true);
    list.SetRows(&rows);
    std::vector<std::size_t> toggled;
    list.OnCheckToggle = [&](std::size_t row) {
        toggled.push_back(row);
        if (!rows.unticked.erase(row)) {
            rows.unticked.insert(row);
        }
        list.RowChanged(row);
    };
    EXPECT_TRUE(list.CheckBoxes());
    EXPECT_NE(SendMessageW(handle, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES, 0);
    const auto box = [&](int row) {
        return SendMessageW(handle, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK);
    };
    EXPECT_EQ(box(0), INDEXTOSTATEIMAGEMASK(2)) << "ticked";
    EXPECT_EQ(box(1), INDEXTOSTATEIMAGEMASK(1)) << "unticked";
    EXPECT_EQ(box(999'999), INDEXTOSTATEIMAGEMASK(1));
    EXPECT_EQ(box(999'998), INDEXTOSTATEIMAGEMASK(2));

    // The mouse, on the box of row 2 and then on its text.
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    ASSERT_TRUE(SendMessageW(handle, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&bounds)));
    const int middle = (bounds.top + bounds.bottom) / 2;
    std::optional<POINT> onBox;
    for (int x = bounds.left; x < bounds.left + 60 && !onBox; ++x) {
        LVHITTESTINFO hit{};
        hit.pt = {x, middle};
        SendMessageW(handle, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.iItem == 2 && (hit.flags & LVHT_ONITEMSTATEICON) != 0) {
            onBox = hit.pt;
        }
    }
    ASSERT_TRUE(onBox.has_value()) << "no box in front of the row";
    const auto click = [&](POINT at) {
        PostMessageW(handle, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        SendMessageW(handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        PumpUntil([] { return false; }, 100);
    };
    click(*onBox);
    EXPECT_EQ(toggled, std::vector<std::size_t>{2});
    EXPECT_EQ(box(2), INDEXTOSTATEIMAGEMASK(1));
    click({onBox->x + 200, middle});
    EXPECT_EQ(toggled, std::vector<std::size_t>{2}) << "a click on the text is no click on the box";

    // Space on the focused row, far down the list.
    SetFocus(handle);
    LVITEMW focus{};
    focus.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    focus.state = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageW(handle, LVM_SETITEMSTATE, 999'999, reinterpret_cast<LPARAM>(&focus));
    SendMessageW(handle, WM_KEYDOWN, VK_SPACE, 0x00390001);
    SendMessageW(handle, WM_CHAR, L' ', 0x00390001);
    SendMessageW(handle, WM_KEYUP, VK_SPACE, 0xC0390001);
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(toggled, (std::vector<std::size_t>{2, 999'999}));
    EXPECT_EQ(box(999'999), INDEXTOSTATEIMAGEMASK(2));
}

TEST_F(Win32Controls, ListViewRowsShowTheIconResourceInASmallImageList) {
    auto& list = window_->AddListView("lv", {165, 165, 6825, 2535}, {});
    const HWND handle = HandleOf(list);
    list.AddColumn("Path", 4500);
    CountingRows rows;
    rows.count = 3;
    list.SetRows(&rows);
    const auto images = [&] {
        return reinterpret_cast<HIMAGELIST>(SendMessageW(handle, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    };
    EXPECT_EQ(images(), nullptr);

    list.SetRowIcon("AAA");
    ASSERT_NE(images(), nullptr);
    EXPECT_EQ(ImageList_GetImageCount(images()), 1);
    int width = 0;
    int height = 0;
    ImageList_GetIconSize(images(), &width, &height);
    EXPECT_EQ(width, GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(height, GetSystemMetrics(SM_CYSMICON));
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = 2;
    item.iImage = -7;
    ASSERT_TRUE(SendMessageW(handle, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(item.iImage, 0);
    UpdateWindow(handle);

    list.SetRowIcon("NO_SUCH_ICON");
    EXPECT_EQ(images(), nullptr);
    list.SetRowIcon("");
    EXPECT_EQ(images(), nullptr);
}

}  // namespace
}  // namespace keldra::testing

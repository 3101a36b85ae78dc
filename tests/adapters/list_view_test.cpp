// Owner-data list views of the window port, on Wine's virtual desktop under Xvfb: their
// columns, rows, icons and check boxes. Keys and clicks come as the messages Windows itself
// sends the list (WM_LBUTTONDOWN/UP, WM_KEYDOWN), so its own notifications reach the adapter.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "e2e/automation.h"
#include "platform/win32/win32_ui.h"
#include "support.h"
#include "window_support.h"

namespace keldra::testing {
namespace {

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

// A window moved to a monitor of another scale (WM_DPICHANGED): every control comes back
// from its twips at the new DPI, in fonts of the new size, with its icons, and nothing is
// cut or overlapped, at 96, 144 and 192 DPI.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layout_check.h"
#include "platform/win32/win32_ui.h"
#include "support.h"

namespace keldra::testing {
namespace {

namespace ui = platform::ui;
using platform::win32::Win32Control;
using platform::win32::Win32ListView;
using platform::win32::Win32Window;

RECT RectInParent(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int FontHeight(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    return font.lfHeight;
}

// A control as the test placed it, with the frame it lies in.
struct Placed {
    ui::Control* control;
    ui::Twips twips;
    const ui::Control* frame;
};

// Every control at its twips in pixels of `dpi`, relative to its frame.
void ExpectPlacedFromTwips(const std::vector<Placed>& placed, int dpi) {
    const auto px = [dpi](int twips) { return MulDiv(twips, dpi, 1440); };
    for (const Placed& p : placed) {
        const HWND control = dynamic_cast<Win32Control&>(*p.control).Handle();
        RECT at = RectInParent(control);
        if (p.frame != nullptr) {
            const RECT origin = RectInParent(dynamic_cast<const Win32Control&>(*p.frame).Handle());
            OffsetRect(&at, -origin.left, -origin.top);
        }
        EXPECT_EQ(at.left, px(p.twips.left));
        EXPECT_EQ(at.top, px(p.twips.top));
        EXPECT_EQ(at.right - at.left, px(p.twips.width));
        if (p.control->Kind() != ui::ControlKind::ComboBox) {
            EXPECT_EQ(at.bottom - at.top, px(p.twips.height));
        }
        EXPECT_EQ(p.control->Position(), p.twips) << "the logic's twips stay";
    }
}

// The width of the window's small (title-bar) icon.
int SmallIconWidth(HWND window) {
    const auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) {
        return 0;
    }
    const platform::win32::UniqueHBitmap color(info.hbmColor);
    const platform::win32::UniqueHBitmap mask(info.hbmMask);
    BITMAP bitmap{};
    GetObjectW(color ? color.get() : mask.get(), sizeof bitmap, &bitmap);
    return bitmap.bmWidth;
}

TEST(Win32Dpi, AChangeOfDpiPlacesEveryControlFromItsTwipsInFontsOfTheNewSize) {
    KELDRA_REQUIRE_DISPLAY();
    platform::win32::Win32Ui port;
    ASSERT_EQ(port.ScreenDpi().x, 96) << "the sandbox starts at 96 DPI";
    auto window = port.NewWindow("frmSchedule", ui::Font{"Tahoma", 8.25, false, false});
    window->SetCaption("Scheduled Maintenance");
    window->SetClientSize(5370, 4395);
    window->SetIcons("AAA", false);
    const ui::Font bold{"Tahoma", 9.75, true, false};
    std::vector<Placed> placed;
    const auto add = [&](ui::ControlKind kind, const ui::Twips& at, const char* text,
                         const ui::Font& font = {}) {
        placed.push_back({&window->AddControl(kind, "c", at, text, font), at, nullptr});
        return placed.back().control;
    };
    ui::Control* frame = add(ui::ControlKind::Frame, {105, 1335, 5085, 1485}, "Time", bold);
    const auto addIn = [&](ui::ControlKind kind, const ui::Twips& at, const char* text) {
        placed.push_back({&window->AddControlIn(*frame, kind, "c", at, text, {}), at, frame});
        return placed.back().control;
    };
    add(ui::ControlKind::Label, {105, 120, 5085, 255}, "Run the maintenance by itself", bold);
    add(ui::ControlKind::CheckBox, {105, 600, 3900, 300}, "Enable scheduled maintenance");
    addIn(ui::ControlKind::Label, {180, 375, 1680, 195}, "Run Maintenance");
    ui::Control* list = addIn(ui::ControlKind::ComboBox, {1920, 315, 1905, 315}, "");
    list->AddItem("Daily");
    addIn(ui::ControlKind::TextBox, {1500, 840, 510, 375}, "12");
    addIn(ui::ControlKind::SpinBar, {2010, 840, 255, 375}, "");
    add(ui::ControlKind::Button, {3720, 3900, 1455, 375}, "Close");
    add(ui::ControlKind::Line, {105, 3000, 5085, 30}, "");
    auto& view = window->AddListView("lv", {105, 3120, 3500, 700}, {});
    view.AddColumn("When", 1500);
    view.AddColumn("What", 1800);
    window->Show();
    port.DoEvents();
    const HWND handle = dynamic_cast<Win32Window&>(*window).Handle();
    const HWND viewHandle = dynamic_cast<Win32ListView&>(view).Handle();

    for (const int dpi : {144, 192, 96}) {
        SCOPED_TRACE("at " + std::to_string(dpi) + " DPI");
        RECT before{};
        GetWindowRect(handle, &before);
        // What Windows suggests: the window scaled about its top left corner.
        const RECT suggested{before.left, before.top, before.left + MulDiv(5500, dpi, 1440),
                             before.top + MulDiv(5000, dpi, 1440)};
        SendMessageW(handle, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        RECT now{};
        GetWindowRect(handle, &now);
        EXPECT_TRUE(EqualRect(&now, &suggested)) << "the suggested rectangle is taken";

        ExpectPlacedFromTwips(placed, dpi);
        const HWND label = dynamic_cast<Win32Control&>(*placed[1].control).Handle();
        EXPECT_EQ(FontHeight(label), -MulDiv(98, dpi, 720)) << "9.75 pt at the new DPI";
        EXPECT_EQ(FontHeight(dynamic_cast<Win32Control&>(*placed[2].control).Handle()),
                  -MulDiv(83, dpi, 720));
        EXPECT_EQ(SendMessageW(viewHandle, LVM_GETCOLUMNWIDTH, 1, 0), MulDiv(1800, dpi, 1440));
        EXPECT_EQ(view.ColumnWidth(1), 1800);
        EXPECT_EQ(SmallIconWidth(handle), MulDiv(GetSystemMetrics(SM_CXSMICON), dpi, 96))
            << "the title bar's icon at the new size";

        for (const std::string& problem : LayoutProblems(handle, dpi)) {
            ADD_FAILURE() << problem;
        }
    }
}

}  // namespace
}  // namespace keldra::testing

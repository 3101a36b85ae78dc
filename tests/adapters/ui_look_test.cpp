// What controls of the window port show, on Wine's virtual desktop under Xvfb: their
// colours (also under high contrast) and pointers, pictures, clips and the windows' icons.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "platform/win32/win32_ui.h"
#include "support.h"
#include "window_support.h"

namespace keldra::testing {
namespace {

using platform::win32::UniqueHwnd;
using platform::win32::UniqueMemoryDc;
using platform::win32::Win32Control;

// A small uncompressed clip: 16x16 pixels, 24 bits, a few frames.
std::vector<char> MakeAvi(int frames) {
    constexpr int kSide = 16;
    constexpr std::uint32_t kFrameBytes = kSide * kSide * 3;
    std::string out;
    const auto u32 = [](std::string& s, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        }
    };
    const auto u16 = [](std::string& s, std::uint16_t v) {
        s.push_back(static_cast<char>(v & 0xFF));
        s.push_back(static_cast<char>(v >> 8));
    };
    const auto chunk = [&](const char* id, const std::string& data) {
        std::string c(id, 4);
        u32(c, static_cast<std::uint32_t>(data.size()));
        c += data;
        if (data.size() % 2 != 0) {
            c.push_back('\0');
        }
        return c;
    };
    const auto list = [&](const char* type, const std::string& data) {
        return chunk("LIST", std::string(type, 4) + data);
    };

    std::string avih;
    for (const std::uint32_t v :
         {100000u, kFrameBytes * 10, 0u, 0x10u /* AVIF_HASINDEX */,
          static_cast<std::uint32_t>(frames), 0u, 1u, kFrameBytes,
          static_cast<std::uint32_t>(kSide), static_cast<std::uint32_t>(kSide), 0u, 0u, 0u, 0u}) {
        u32(avih, v);
    }
    std::string strh = "vidsDIB ";
    u32(strh, 0);  // flags
    u16(strh, 0);  // priority
    u16(strh, 0);  // language
    for (const std::uint32_t v :
         {0u, 1u, 10u, 0u, static_cast<std::uint32_t>(frames), kFrameBytes, 0xFFFFFFFFu, 0u}) {
        u32(strh, v);
    }
    for (const std::uint16_t v : {0, 0, kSide, kSide}) {
        u16(strh, v);
    }
    std::string strf;
    u32(strf, 40);
    u32(strf, kSide);
    u32(strf, kSide);
    u16(strf, 1);
    u16(strf, 24);
    for (const std::uint32_t v : {0u /* BI_RGB */, kFrameBytes, 0u, 0u, 0u, 0u}) {
        u32(strf, v);
    }
    std::string movi;
    std::string index;
    for (int f = 0; f < frames; ++f) {
        std::string pixels(kFrameBytes, static_cast<char>(40 * f));
        const auto offset = static_cast<std::uint32_t>(4 + movi.size());  // from "movi"
        movi += chunk("00db", pixels);
        index += "00db";
        u32(index, 0x10);  // AVIIF_KEYFRAME
        u32(index, offset);
        u32(index, kFrameBytes);
    }
    const std::string body =
        std::string("AVI ") +
        list("hdrl",
             chunk("avih", avih) + list("strl", chunk("strh", strh) + chunk("strf", strf))) +
        list("movi", movi) + chunk("idx1", index);
    out = chunk("RIFF", body);
    return {out.begin(), out.end()};
}

TEST_F(Win32Ui, ForeColorAndPointerApplyToTheirControl) {
    auto window = NewWindow();
    auto& label = window->AddControl(ui::ControlKind::Label, "lbl", {0, 0, 1500, 300}, "x", {});
    auto& plain = window->AddControl(ui::ControlKind::Label, "pln", {0, 300, 1500, 300}, "y", {});
    label.SetForeColor(ui::Rgb(0x12, 0x34, 0x56));
    EXPECT_EQ(label.ForeColor(), ui::Rgb(0x12, 0x34, 0x56));
    EXPECT_EQ(plain.ForeColor(), ui::kDefaultColor);

    // The colours the window hands a static control that is about to paint.
    const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    const auto paint = [&](ui::Control& control) {
        return reinterpret_cast<HBRUSH>(SendMessageW(HandleOf(*window), WM_CTLCOLORSTATIC,
                                                     reinterpret_cast<WPARAM>(dc.get()),
                                                     reinterpret_cast<LPARAM>(HandleOf(control))));
    };
    EXPECT_EQ(paint(label), GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(GetTextColor(dc.get()), RGB(0x12, 0x34, 0x56));
    paint(plain);
    EXPECT_EQ(GetTextColor(dc.get()), GetSysColor(COLOR_BTNTEXT));

    const auto hover = [&](ui::Control& control) {
        SetCursor(nullptr);
        SendMessageW(HandleOf(*window), WM_SETCURSOR, reinterpret_cast<WPARAM>(HandleOf(control)),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    label.SetPointer(ui::Pointer::Custom);
    EXPECT_EQ(label.MousePointer(), ui::Pointer::Custom);
    EXPECT_EQ(hover(label), LoadCursorW(nullptr, IDC_HAND));
    label.SetPointer(ui::Pointer::Hourglass);
    EXPECT_EQ(hover(label), LoadCursorW(nullptr, IDC_WAIT));
    EXPECT_EQ(hover(plain), LoadCursorW(nullptr, IDC_ARROW));

    // The pointer over the whole screen while work runs, whatever lies under it.
    ui_.SetScreenPointer(ui::Pointer::Hourglass);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    ui_.SetScreenPointer(ui::Pointer::Default);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(Win32Ui, UnderHighContrastChosenColoursGiveWayToTheSystems) {
    const ui::Color red = ui::Rgb(255, 0, 0);
    const ui::Color green = ui::Rgb(0, 192, 0);
    EXPECT_EQ(Win32Control::ShownColor(red, true, false), RGB(255, 0, 0));
    EXPECT_EQ(Win32Control::ShownColor(green, false, false), RGB(0, 192, 0));
    EXPECT_EQ(Win32Control::ShownColor(red, true, true), GetSysColor(COLOR_HOTLIGHT));
    EXPECT_EQ(Win32Control::ShownColor(green, false, true), GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(Win32Control::ShownColor(ui::kDefaultColor, false, true), GetSysColor(COLOR_BTNTEXT));

    // What a label paints with follows the theme the system reports now.
    auto window = NewWindow();
    auto& link = window->AddControl(ui::ControlKind::Label, "lnk", {0, 0, 1500, 300}, "x", {});
    link.SetFocusable(true);
    link.SetForeColor(red);
    const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    SendMessageW(HandleOf(*window), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                 reinterpret_cast<LPARAM>(HandleOf(link)));
    EXPECT_EQ(GetTextColor(dc.get()),
              Win32Control::ShownColor(red, true, Win32Control::HighContrastOn()));
}

TEST_F(Win32Ui, PictureShowsTheNamedBitmapInTheControlsOwnSize) {
    auto window = NewWindow();
    auto& picture =
        window->AddControl(ui::ControlKind::Picture, "pic", {0, 0, 300, 150}, "BANNER", {});
    const auto image = [&] {
        return SendMessageW(HandleOf(picture), STM_GETIMAGE, IMAGE_BITMAP, 0);
    };
    EXPECT_NE(image(), 0);
    EXPECT_EQ(picture.Text(), "BANNER");
    EXPECT_EQ(picture.Position(), (ui::Twips{0, 0, 300, 150})) << "not the bitmap's 40x20 pixels";
    picture.SetText("NO_SUCH_BITMAP");
    EXPECT_EQ(image(), 0);
    EXPECT_EQ(picture.Text(), "NO_SUCH_BITMAP");
}

TEST_F(Win32Ui, AnimationOpensAClipPlaysAndStops) {
    auto window = NewWindow();
    auto& animation =
        window->AddControl(ui::ControlKind::Animation, "ani", {0, 0, 600, 600}, "", {});
    EXPECT_FALSE(animation.Open("C:\\keldra-nowhere\\missing.avi"));
    const TempFolder folder(L"clip ä");
    const auto clip = folder.Path() / L"scan.avi";
    const auto bytes = MakeAvi(4);
    std::ofstream(clip, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(animation.Open(Narrow(clip.wstring())));
    EXPECT_FALSE(animation.Playing());
    animation.Play();
    EXPECT_TRUE(animation.Playing());
    animation.Stop();
    EXPECT_FALSE(animation.Playing());
    // Closed again before the folder goes.
    animation.Open("");
}

TEST_F(Win32Ui, IconsComeFromTheProgramsResourcesAndReachTheOwner) {
    auto window = NewWindow();
    const HWND handle = HandleOf(*window);
    const auto icon = [](HWND target, WPARAM which) {
        return SendMessageW(target, WM_GETICON, which, 0);
    };
    window->SetIcons("NO_SUCH_ICON", true);
    EXPECT_EQ(icon(handle, ICON_BIG), 0);

    // The owner chain's top gets them too when asked to.
    const UniqueHwnd owner(CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr,
                                           nullptr, nullptr, nullptr));
    SetWindowLongPtrW(handle, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner.get()));
    ASSERT_EQ(GetWindow(handle, GW_OWNER), owner.get());
    window->SetIcons("AAA", false);
    EXPECT_NE(icon(handle, ICON_BIG), 0);
    EXPECT_NE(icon(handle, ICON_SMALL), 0);
    EXPECT_NE(icon(handle, ICON_BIG), icon(handle, ICON_SMALL)) << "one picture per size";
    EXPECT_EQ(icon(owner.get(), ICON_BIG), 0);
    window->SetIcons("AAA", true);
    EXPECT_EQ(icon(owner.get(), ICON_BIG), icon(handle, ICON_BIG));
    EXPECT_EQ(icon(owner.get(), ICON_SMALL), icon(handle, ICON_SMALL));
    SetWindowLongPtrW(handle, GWLP_HWNDPARENT, 0);
}

}  // namespace
}  // namespace keldra::testing

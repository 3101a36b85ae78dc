#pragma once
// What the window cases read from the windows the port made: their handles, styles,
// classes and fonts, and the fixtures of the window and the control cases.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "platform/win32/win32_ui.h"
#include "support.h"

namespace keldra::testing {

namespace ui = platform::ui;

inline HWND HandleOf(ui::Window& window) {
    return dynamic_cast<platform::win32::Win32Window&>(window).Handle();
}

inline HWND HandleOf(ui::Control& control) {
    return dynamic_cast<platform::win32::Win32Control&>(control).Handle();
}

inline HWND HandleOf(ui::ListView& list) {
    return dynamic_cast<platform::win32::Win32ListView&>(list).Handle();
}

inline LONG_PTR StyleOf(HWND window) {
    return GetWindowLongPtrW(window, GWL_STYLE);
}

inline LONG_PTR ExStyleOf(HWND window) {
    return GetWindowLongPtrW(window, GWL_EXSTYLE);
}

inline std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

inline std::wstring FaceOf(HWND window) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfFaceName;
}

// Windows of the port made one by one, and the program's kind of loop to run them.
class Win32Ui : public ::testing::Test {
  protected:
    void SetUp() override { KELDRA_REQUIRE_DISPLAY(); }

    std::unique_ptr<ui::Window> NewWindow(std::string_view name = "frmTest") {
        auto window = ui_.NewWindow(name, ui::Font{});
        EXPECT_TRUE(window->Loaded());
        return window;
    }

    // Runs the program's kind of loop until `done` holds; false if it never did.
    template <typename Done>
    bool Loop(Done done, DWORD milliseconds = 2000) {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > milliseconds) {
                return false;
            }
            ui_.WaitForEvent(20);
            ui_.DoEvents();
        }
        return true;
    }

    void LoopFor(DWORD milliseconds) {
        Loop([] { return false; }, milliseconds);
    }

    platform::win32::Win32Ui ui_;
};

// One shown window of 9000 by 6000 twips for the controls of a case.
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

}  // namespace keldra::testing

// What a screen reader learns of the controls through Active Accessibility (oleacc), the
// interface Wine's screen-reader support and Windows' UI Automation proxies both read.
#include <windows.h>

#include <gtest/gtest.h>
#include <oleacc.h>

#include <string>

#include "platform/win32/win32_ui.h"
#include "support.h"

namespace keldra::testing {
namespace {

namespace ui = platform::ui;
using platform::win32::Win32Control;

// Spelled out, as in the adapter: MinGW's oleacc import library exports one too.
constexpr IID kIAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

struct Accessible {
    explicit Accessible(HWND window) {
        AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kIAccessible,
                                   reinterpret_cast<void**>(&object));
    }
    ~Accessible() {
        if (object != nullptr) {
            object->Release();
        }
    }
    Accessible(const Accessible&) = delete;
    Accessible& operator=(const Accessible&) = delete;

    static VARIANT Self() {
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        return self;
    }
    std::wstring Name() const {
        BSTR name = nullptr;
        if (object == nullptr || FAILED(object->get_accName(Self(), &name)) || name == nullptr) {
            return L"<none>";
        }
        std::wstring text(name, SysStringLen(name));
        SysFreeString(name);
        return text;
    }
    LONG Role() const {
        VARIANT role{};
        if (object == nullptr || FAILED(object->get_accRole(Self(), &role)) || role.vt != VT_I4) {
            return -1;
        }
        return role.lVal;
    }
    LONG State() const {
        VARIANT state{};
        if (object == nullptr || FAILED(object->get_accState(Self(), &state)) ||
            state.vt != VT_I4) {
            return 0;
        }
        return state.lVal;
    }

    IAccessible* object = nullptr;
};

HWND HandleOf(ui::Control& control) {
    return dynamic_cast<Win32Control&>(control).Handle();
}

TEST(Win32Accessibility, EveryControlIsNamedByItsTextAndAResultRowIsALinkWhileItLeadsSomewhere) {
    KELDRA_REQUIRE_DISPLAY();
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    platform::win32::Win32Ui port;
    auto window = port.NewWindow("frmMain", ui::Font{});
    auto& row = window->AddControl(ui::ControlKind::Label, "lblStatus(1)", {0, 0, 2500, 300},
                                   "14 problems found", {});
    auto& plain = window->AddControl(ui::ControlKind::Label, "lblProc(0)", {0, 400, 2500, 300},
                                     "Optimizing memory & more", {});
    auto& check = window->AddControl(ui::ControlKind::CheckBox, "chkAutoFix", {0, 800, 3500, 300},
                                     "Fix all problems automatically", {});
    auto& button = window->AddControl(ui::ControlKind::Button, "cmdCancel", {0, 1200, 1300, 360},
                                      "Cancel", {});
    row.SetFocusable(true);
    int clicks = 0;
    row.OnClick = [&] { ++clicks; };
    window->Show();
    port.DoEvents();

    EXPECT_EQ(Accessible(HandleOf(row)).Name(), L"14 problems found");
    EXPECT_EQ(Accessible(HandleOf(plain)).Name(), L"Optimizing memory & more")
        << "the text as shown: an ampersand is no mnemonic in a label";
    EXPECT_EQ(Accessible(HandleOf(check)).Name(), L"Fix all problems automatically");
    EXPECT_EQ(Accessible(HandleOf(button)).Name(), L"Cancel");
    // Windows reports push button and check box roles; Wine 8's oleacc knows these classes
    // not and reports a client area for both, which the notes in docs/ record.
    std::printf("roles: button %ld, check box %ld, label %ld\n",
                Accessible(HandleOf(button)).Role(), Accessible(HandleOf(check)).Role(),
                Accessible(HandleOf(plain)).Role());
    EXPECT_NE(Accessible(HandleOf(plain)).Role(), ROLE_SYSTEM_LINK);

    {
        Accessible link(HandleOf(row));
        EXPECT_EQ(link.Role(), ROLE_SYSTEM_LINK);
        EXPECT_NE(link.State() & STATE_SYSTEM_LINKED, 0);
        EXPECT_NE(link.State() & STATE_SYSTEM_FOCUSABLE, 0);
        ASSERT_NE(link.object, nullptr);
        EXPECT_EQ(link.object->accDoDefaultAction(Accessible::Self()), S_OK);
        EXPECT_EQ(clicks, 0) << "followed from the window's queue, not inside the call";
        EXPECT_TRUE(PumpUntil([&] { return clicks == 1; }, 2000));
        // The same object, kept by the reader, follows the row's state.
        row.SetEnabled(false);
        EXPECT_NE(link.Role(), ROLE_SYSTEM_LINK) << "a row that leads nowhere is no link";
        EXPECT_EQ(link.State() & STATE_SYSTEM_LINKED, 0);
    }

    // What UI Automation makes of it here, for the notes: Wine 8 has no client of its own.
    IUnknown* automation = nullptr;
    const CLSID cuiAutomation = {
        0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
    const HRESULT created = CoCreateInstance(cuiAutomation, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IUnknown, reinterpret_cast<void**>(&automation));
    std::printf("UI Automation client: 0x%08lx\n", static_cast<unsigned long>(created));
    RecordProperty("uia_client_hresult", std::to_string(static_cast<unsigned long>(created)));
    if (automation != nullptr) {
        automation->Release();
    }
    window.reset();
    CoUninitialize();
}

}  // namespace
}  // namespace keldra::testing

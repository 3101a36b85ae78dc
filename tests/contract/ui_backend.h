#pragma once
// The window ports a contract test runs against: the simulated one everywhere, the real
// one (USER32 and the common controls) in the Windows build. Besides the port, a backend
// does what the user does: clicks, keys, typing, the arrows of a spin bar, a choice in a
// drop-down list, the close box, and it lets time pass with the program's loop running.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui_port.h"

namespace keldra::testing {

enum class UserKey { Tab, ShiftTab, Enter, Space, Escape };

class UiBackend {
  public:
    virtual ~UiBackend() = default;
    virtual platform::ui::UiPort& Port() = 0;
    // False when the backend cannot run here (no display for real windows).
    virtual bool Available() const { return true; }

    // A mouse click on the control, where the user can see it.
    virtual void Click(platform::ui::Control& control) = 0;
    // Keys typed into a text box, one character after the other at the end of its text.
    virtual void Type(platform::ui::Control& box, std::string_view chars) = 0;
    // A click on a spin bar's upper or lower arrow.
    virtual void SpinUp(platform::ui::Control& spin) = 0;
    virtual void SpinDown(platform::ui::Control& spin) = 0;
    // The user picks item `index` of a drop-down list.
    virtual void Choose(platform::ui::Control& list, int index) = 0;
    // The close box in the window's title bar.
    virtual void CloseBox(platform::ui::Window& window) = 0;
    // A key pressed in the active window, and what it did once the loop handled it.
    virtual void Press(platform::ui::Window& window, UserKey key) = 0;
    virtual bool HasFocus(platform::ui::Window& window, platform::ui::Control& control) = 0;
    // What a user sees in a list view's cell; empty beyond its rows and columns.
    virtual std::string ShownCell(platform::ui::ListView& list, std::size_t row,
                                  std::size_t column) = 0;

    // Runs the program's loop (DoEvents) over what waits now, posted activations included.
    virtual void Settle() = 0;
    // Lets `milliseconds` pass on the backend's clock with the program's loop running.
    virtual void Let(std::uint32_t milliseconds) = 0;
};

struct UiBackendFactory {
    std::string name;
    std::function<std::unique_ptr<UiBackend>()> make;
};

std::vector<UiBackendFactory> UiBackends();

std::unique_ptr<UiBackend> MakeSimUiBackend();
#ifdef _WIN32
std::unique_ptr<UiBackend> MakeWin32UiBackend();
#endif

inline void PrintTo(const UiBackendFactory& f, std::ostream* os) {
    *os << f.name;
}

}  // namespace keldra::testing

#pragma once
// The notification-area icon of the main window: its record and the six mouse events.

#include <functional>
#include <string>
#include <string_view>

#include "platform/tray_port.h"

namespace keldra::app {

class CTray {
  public:
    explicit CTray(platform::TrayPort& tray);
    ~CTray();
    CTray(const CTray&) = delete;
    CTray& operator=(const CTray&) = delete;

    // The tooltip field: the text and its NUL, left-aligned in 64 characters padded with
    // blanks; a longer text is cut to 63 characters.
    void SetTipText(std::string_view text);
    std::string TipText() const { return tip_; }
    // Adds the icon; false, and nothing asked of the shell, without a host picture.
    bool ShowIcon();
    void DeleteIcon();

    std::function<void()> RButtonDown, RButtonUp, RButtonDblClick, LButtonDown, LButtonUp,
        LButtonDblClick;

  private:
    void Dispatch(int message);
    std::string TipForShell() const;

    platform::TrayPort& tray_;
    std::string tip_;
    bool dispatching_ = false;
};

}  // namespace keldra::app

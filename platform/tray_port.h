#pragma once
// The notification-area icon of a window: one record added, modified and deleted in the
// shell, and the mouse messages the shell sends back.

#include <functional>
#include <string>
#include <string_view>

namespace keldra::platform {

namespace tray_message {
inline constexpr int kLButtonDown = 513;
inline constexpr int kLButtonUp = 514;
inline constexpr int kLButtonDblClk = 515;
inline constexpr int kRButtonDown = 516;
inline constexpr int kRButtonUp = 517;
inline constexpr int kRButtonDblClk = 518;
}  // namespace tray_message

class TrayPort {
  public:
    virtual ~TrayPort() = default;
    // The record's tooltip field: 64 characters holding the text and its NUL.
    static constexpr std::size_t kTipField = 64;

    // Whether a host window with an icon picture exists to carry the icon.
    virtual bool HasHost() const = 0;
    // The shell operations on the record; the shell's answers are not looked at.
    virtual void Add(std::string_view tip) = 0;
    virtual void Modify(std::string_view tip) = 0;
    virtual void Delete() = 0;
    // Raised with the mouse message number the shell sends back for the icon.
    std::function<void(int message)> OnMessage;
};

}  // namespace keldra::platform

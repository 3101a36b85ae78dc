#pragma once
// The windows port over USER32 and the common controls: new windows, the message pump,
// the message box and the screen. The windows and their controls are in win32_window.h.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/ui_port.h"
#include "platform/win32/win32_window.h"

namespace keldra::platform::win32 {

class Win32Ui final : public ui::UiPort {
  public:
    // DoEvents skips the queue when it looked less than this long ago and nothing asked
    // for a look since: a scan calls it for every item, and under Wine one empty look
    // costs about 50 µs.
    static constexpr std::chrono::milliseconds kPumpInterval{5};
    // One DoEvents stops after this long even if messages keep coming (a timer whose
    // handler is slower than its interval), so that the caller gets on.
    static constexpr std::chrono::milliseconds kPumpLimit{250};

    // Tests choose another interval to see the throttle at work.
    explicit Win32Ui(std::chrono::milliseconds pumpInterval = kPumpInterval);
    Win32Ui(const Win32Ui&) = delete;
    Win32Ui& operator=(const Win32Ui&) = delete;

    std::unique_ptr<ui::Window> NewWindow(std::string_view name, const ui::Font& font) override;
    void DoEvents() override;
    void WaitForEvent(std::uint32_t timeoutMilliseconds) override;
    void ShowMessage(std::string_view text, std::string_view title) override;
    void SetScreenPointer(ui::Pointer pointer) override;
    int ScreenWidthTwips() const override;
    int ScreenHeightTwips() const override;
    void InitCommonControls() override;

    const Dpi& ScreenDpi() const { return dpi_; }

  private:
    Dpi dpi_;
    const std::chrono::milliseconds pumpInterval_;
    std::chrono::steady_clock::time_point lastPump_{};
};

}  // namespace keldra::platform::win32

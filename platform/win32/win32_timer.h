#pragma once
// A window's timers: WM_TIMER of the window that owns them.

#include <cstdint>

#include "platform/ui_port.h"
#include "platform/win32/handles.h"

namespace keldra::platform::win32 {

class Win32Window;

class Win32Timer final : public ui::Timer {
  public:
    Win32Timer(Win32Window& owner, UINT_PTR id) : owner_(owner), id_(id) {}
    Win32Timer(const Win32Timer&) = delete;
    Win32Timer& operator=(const Win32Timer&) = delete;

    void SetInterval(std::uint32_t milliseconds) override;
    std::uint32_t Interval() const override { return interval_; }
    void SetEnabled(bool enabled) override;
    bool Enabled() const override { return enabled_; }

  private:
    friend class Win32Window;
    void Apply();

    Win32Window& owner_;
    const UINT_PTR id_;
    // A new timer is off until enabled, as the simulated one.
    std::uint32_t interval_ = 0;
    bool enabled_ = false;
    bool running_ = false;  // OnTimer is running: ticks meanwhile are skipped
};

}  // namespace keldra::platform::win32

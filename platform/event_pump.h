#pragma once
// Lets pending window events run from inside long work. Asking the window system costs
// more than one step of a walk, so with an interval the events run at most that often;
// the work stays as responsive as the eye can tell.

#include <cstdint>

#include "platform/process_port.h"
#include "platform/ui_port.h"

namespace keldra::platform {

class EventPump {
  public:
    EventPump(ui::UiPort& ui, const ProcessPort& process, std::uint32_t intervalMilliseconds)
        : ui_(ui), process_(process), interval_(intervalMilliseconds) {}

    // An event point of the work: runs the pending events when the interval has passed.
    void Point() {
        if (interval_ != 0) {
            const std::uint32_t now = process_.TickCount();
            if (started_ && now - last_ < interval_) {
                return;
            }
            started_ = true;
            last_ = now;
        }
        ui_.DoEvents();
    }

  private:
    ui::UiPort& ui_;
    const ProcessPort& process_;
    std::uint32_t interval_;
    std::uint32_t last_ = 0;
    bool started_ = false;
};

}  // namespace keldra::platform

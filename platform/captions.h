#pragma once
// The captions of a window as one table: each control with the one text identifier it
// shows, in the order the window sets them. An entry without a control is the window's own
// title.

#include <span>
#include <string_view>

#include "platform/ui_port.h"

namespace keldra::platform::ui {

struct Caption {
    Control* control;
    std::string_view id;
};

// Sets every caption of `captions` from `text` (an identifier gives its text).
template <typename Lookup>
void ApplyCaptions(Window& window, std::span<const Caption> captions, const Lookup& text) {
    for (const Caption& caption : captions) {
        if (caption.control == nullptr) {
            window.SetCaption(text(caption.id));
        } else {
            caption.control->SetText(text(caption.id));
        }
    }
}

}  // namespace keldra::platform::ui

#pragma once
// A text box handler the window tests share: it keeps only the digits, as the hour box of
// a time setting does, with the guard flag such a handler uses against its own write.

#include <string>
#include <vector>

#include "platform/ui_port.h"

namespace keldra::testing {

struct DigitsOnly {
    explicit DigitsOnly(platform::ui::Control& control) : box(control) {}
    void operator()() {
        seen.push_back(box.Text());
        if (updating) {
            return;
        }
        updating = true;
        std::string digits;
        for (const char c : box.Text()) {
            if (c >= '0' && c <= '9') {
                digits += c;
            }
        }
        box.SetText(digits);
        updating = false;
    }

    platform::ui::Control& box;
    bool updating = false;
    std::vector<std::string> seen;
};

}  // namespace keldra::testing

#include "app/c_tray.h"

#include "platform/scope_exit.h"
#include "platform/text.h"

namespace keldra::app {

CTray::CTray(platform::TrayPort& tray) : tray_(tray), tip_(platform::TrayPort::kTipField, ' ') {
    tip_[0] = '\0';
    tray_.OnMessage = [this](int message) { Dispatch(message); };
}

CTray::~CTray() {
    DeleteIcon();
    tray_.OnMessage = nullptr;
}

void CTray::SetTipText(std::string_view text) {
    // Count characters, not bytes, and never cut one in half.
    std::u16string units = text::Utf8ToUtf16(text);
    constexpr std::size_t kRoom = platform::TrayPort::kTipField - 1;
    if (units.size() > kRoom) {
        std::size_t cut = kRoom;
        if (units[cut - 1] >= 0xD800 && units[cut - 1] <= 0xDBFF) {
            --cut;
        }
        units.resize(cut);
    }
    const std::string kept = text::Utf16ToUtf8(units);
    tip_ = kept;
    tip_.push_back('\0');
    tip_.append(units.size() + 1 < platform::TrayPort::kTipField
                    ? platform::TrayPort::kTipField - units.size() - 1
                    : 0,
                ' ');
    tray_.Modify(TipForShell());
}

std::string CTray::TipForShell() const {
    return tip_.substr(0, tip_.find('\0'));
}

bool CTray::ShowIcon() {
    if (!tray_.HasHost()) {
        return false;
    }
    tray_.Add(TipForShell());
    return true;
}

void CTray::DeleteIcon() {
    tray_.Delete();
}

void CTray::Dispatch(int message) {
    // A message that arrives while an event handler still runs is dropped.
    if (dispatching_) {
        return;
    }
    const platform::FlagWhile busy(dispatching_);
    const std::function<void()>* event = nullptr;
    switch (message) {
        case platform::tray_message::kLButtonDown:
            event = &LButtonDown;
            break;
        case platform::tray_message::kLButtonUp:
            event = &LButtonUp;
            break;
        case platform::tray_message::kLButtonDblClk:
            event = &LButtonDblClick;
            break;
        case platform::tray_message::kRButtonDown:
            event = &RButtonDown;
            break;
        case platform::tray_message::kRButtonUp:
            event = &RButtonUp;
            break;
        case platform::tray_message::kRButtonDblClk:
            event = &RButtonDblClick;
            break;
        default:
            return;
    }
    if (*event) {
        (*event)();
    }
}

}  // namespace keldra::app

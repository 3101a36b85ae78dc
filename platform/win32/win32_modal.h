#pragma once
// The modal state of a window shown with ShowModal; internal to the window adapter.

#include <utility>
#include <vector>

#include "platform/win32/win32_window.h"

namespace keldra::platform::win32 {

// Modal state: the program's other windows are disabled while a window is shown modally.

class Win32Window::ModalScope {
  public:
    explicit ModalScope(Win32Window& window) : window_(&window) {
        self_ = window.window_.get();
        EnumThreadWindows(GetCurrentThreadId(), &ModalScope::Collect,
                          reinterpret_cast<LPARAM>(this));
        for (const HWND other : disabled_) {
            EnableWindow(other, FALSE);
        }
        window.modal_ = this;
    }
    ~ModalScope() {
        End();
        if (window_ != nullptr && window_->modal_ == this) {
            window_->modal_ = nullptr;
        }
    }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

    // Enables the others again: before the modal window hides, so that Windows hands the
    // activation back to one of them rather than to another program.
    void End() {
        for (const HWND other : std::exchange(disabled_, {})) {
            if (IsWindow(other)) {
                EnableWindow(other, TRUE);
            }
        }
    }
    // The window object went away while its loop still runs.
    void Detach() { window_ = nullptr; }

  private:
    static BOOL CALLBACK Collect(HWND window, LPARAM self) noexcept {
        auto* scope = reinterpret_cast<ModalScope*>(self);
        // Hidden ones (the tray's host) take no input anyway.
        if (window != scope->self_ && IsWindowVisible(window) && IsWindowEnabled(window)) {
            try {
                scope->disabled_.push_back(window);
            } catch (...) {
                return FALSE;  // out of memory: the rest stay enabled
            }
        }
        return TRUE;
    }

    Win32Window* window_;
    HWND self_ = nullptr;
    std::vector<HWND> disabled_;
};

}  // namespace keldra::platform::win32

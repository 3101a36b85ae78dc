#pragma once
// The tray port over Shell_NotifyIconW, notification version 4 where the shell takes it. The icon's
// messages arrive at a hidden top-level window of its own: a message-only window would miss the
// "TaskbarCreated" broadcast that asks every program to add its icon again after the shell
// restarts.

#include <string>
#include <string_view>

#include "platform/tray_port.h"
#include "platform/win32/handles.h"

namespace keldra::platform::win32 {

class Win32Tray final : public TrayPort {
  public:
    // The message the shell sends the host window for the icon.
    static constexpr UINT kCallbackMessage = WM_APP + 1;
    static constexpr UINT kIconId = 1;

    // Takes the icon picture from the resources of `resources` (the program file when
    // null): "TRAY", else "AAA", else the system's application icon.
    explicit Win32Tray(HMODULE resources = nullptr);
    // The record is left as it is (deleting it is the program's decision); the host
    // window goes.
    ~Win32Tray() override = default;
    Win32Tray(const Win32Tray&) = delete;
    Win32Tray& operator=(const Win32Tray&) = delete;

    bool HasHost() const override { return host_ && icon_; }
    void Add(std::string_view tip) override;
    void Modify(std::string_view tip) override;
    void Delete() override;

    // For tests: the host window, the resource name the picture came from ("" for the
    // system's), how often the icon was added again for a restarted shell, and the shell's
    // answer to the last operation (which the program itself does not look at).
    HWND HostWindow() const { return host_.get(); }
    const std::wstring& IconName() const { return iconName_; }
    int ReAddCount() const { return reAddCount_; }
    bool LastShellAnswer() const { return lastAnswer_; }
    // The notification version the shell took at the last add: 4, or 0 (the legacy one).
    UINT ShellVersion() const { return shellVersion_; }

  private:
    static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept;
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Notify(DWORD operation);

    std::wstring iconName_;
    UniqueHIcon icon_;
    UINT taskbarCreated_ = 0;
    std::wstring tip_;
    bool added_ = false;
    int reAddCount_ = 0;
    bool lastAnswer_ = false;
    UINT shellVersion_ = 0;
    // The last event was a left button-up: a NIN_SELECT now belongs to the same click.
    bool afterButtonUp_ = false;
    UniqueHwnd host_;  // last: destroyed first, while the members it may use still live
};

}  // namespace keldra::platform::win32

#pragma once
// What a screen reader learns of a label: the standard object of the static control,
// named by its text exactly as shown, and while the label leads somewhere (a result row
// the keyboard can follow) with the role, the states and the default action of a link.

#include <windows.h>

#include <functional>

namespace keldra::platform::win32 {

// The answer to WM_GETOBJECT for the label `window`, or 0 to leave the message to the
// control. `isLink` tells whether the label leads somewhere now; `follow` follows it.
LRESULT LinkAccessibleObject(HWND window, WPARAM wParam, LPARAM lParam,
                             std::function<bool()> isLink, std::function<void()> follow);

}  // namespace keldra::platform::win32

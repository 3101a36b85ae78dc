#pragma once
// What a window looks like at its DPI, as a user would judge it: a single-line text that
// does not fit its control is cut, and two controls that overlap hide each other. It
// measures whatever texts the controls hold, so it serves every language.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/wide_text.h"

namespace keldra::testing {

struct ControlBox {
    HWND handle = nullptr;
    std::wstring className;
    std::wstring text;
    RECT rect{};  // in the window's client area
    // What shows of it: a label's text as it wraps, else the whole control.
    RECT ink{};
    LONG_PTR style = 0;
};

inline std::vector<ControlBox> VisibleControls(HWND window) {
    std::vector<ControlBox> boxes;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) {
            continue;
        }
        ControlBox box;
        box.handle = child;
        wchar_t name[64] = {};
        GetClassNameW(child, name, 64);
        box.className = name;
        const int length = GetWindowTextLengthW(child);
        box.text.assign(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
        box.text.resize(
            static_cast<std::size_t>(GetWindowTextW(child, box.text.data(), length + 1)));
        GetWindowRect(child, &box.rect);
        MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&box.rect), 2);
        box.style = GetWindowLongPtrW(child, GWL_STYLE);
        box.ink = box.rect;
        const LONG_PTR type = box.style & SS_TYPEMASK;
        if (box.className == L"Static" && !box.text.empty() &&
            (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT ||
             type == SS_LEFTNOWORDWRAP)) {
            // A label's box may reach over its neighbours; only its text hides them.
            const HDC dc = GetDC(child);
            const auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
            const HGDIOBJ old = SelectObject(dc, font);
            RECT text{0, 0, box.rect.right - box.rect.left, 0};
            DrawTextW(dc, box.text.c_str(), static_cast<int>(box.text.size()), &text,
                      DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_LEFT);
            SelectObject(dc, old);
            ReleaseDC(child, dc);
            box.ink.right = std::min(box.rect.right, box.rect.left + text.right);
            box.ink.bottom = std::min(box.rect.bottom, box.rect.top + text.bottom);
        }
        boxes.push_back(std::move(box));
    }
    return boxes;
}

inline bool Contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Texts cut and controls overlapping, one line each; empty when the window is sound.
inline std::vector<std::string> LayoutProblems(HWND window, int dpi) {
    std::vector<std::string> problems;
    const auto name = [](const ControlBox& box) {
        return platform::win32::Narrow(box.className) + " \"" + platform::win32::Narrow(box.text) +
               "\"";
    };
    const std::vector<ControlBox> boxes = VisibleControls(window);
    const HDC dc = GetDC(window);
    for (const ControlBox& box : boxes) {
        if (box.text.empty()) {
            continue;
        }
        const bool isStatic = box.className == L"Static";
        const bool isButton = box.className == L"Button";
        if (!isStatic && !isButton) {
            continue;
        }
        const LONG_PTR type = isStatic ? (box.style & SS_TYPEMASK) : (box.style & BS_TYPEMASK);
        if (isStatic && type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT &&
            type != SS_LEFTNOWORDWRAP) {
            continue;  // pictures, lines
        }
        const auto font = reinterpret_cast<HFONT>(SendMessageW(box.handle, WM_GETFONT, 0, 0));
        const HGDIOBJ old =
            SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
        SIZE extent{};
        GetTextExtentPoint32W(dc, box.text.c_str(), static_cast<int>(box.text.size()), &extent);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, old);
        const int width = box.rect.right - box.rect.left;
        const int height = box.rect.bottom - box.rect.top;
        // A label two lines high or more wraps its text: only one line high can cut it.
        if (isStatic && height >= 2 * metrics.tmHeight) {
            continue;
        }
        int room = width;
        if (isButton && (type == BS_3STATE || type == BS_AUTO3STATE || type == BS_CHECKBOX ||
                         type == BS_AUTOCHECKBOX)) {
            room -= MulDiv(13 + 4, dpi, 96);  // the box and its gap
            if ((box.style & BS_MULTILINE) != 0 && height >= 2 * metrics.tmHeight) {
                continue;
            }
        } else if (isButton && type == BS_GROUPBOX) {
            room -= MulDiv(8 + 8, dpi, 96);  // the frame's line either side of its caption
        } else if (isButton) {
            room -= MulDiv(2 * 4, dpi, 96);  // the push button's edge
        }
        // Classic label heights (195 twips: 13 px at 96 DPI for Tahoma 8.25 pt's 14 px
        // cell) leave out the cell's last row, which letters hardly reach: one pixel of it
        // may go.
        if (extent.cx > room || metrics.tmHeight - 1 > height) {
            problems.push_back(name(box) + " needs " + std::to_string(extent.cx) + "x" +
                               std::to_string(metrics.tmHeight) + " px, has " +
                               std::to_string(room) + "x" + std::to_string(height));
        }
    }
    ReleaseDC(window, dc);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        for (std::size_t j = i + 1; j < boxes.size(); ++j) {
            RECT both{};
            if (!IntersectRect(&both, &boxes[i].ink, &boxes[j].ink)) {
                continue;
            }
            // A spin bar stands on the edge of the text box it steps, as an up-down
            // control on its buddy: a sliver of one pixel hides no digit.
            const auto is = [&](const wchar_t* a, const wchar_t* b) {
                return (boxes[i].className == a && boxes[j].className == b) ||
                       (boxes[i].className == b && boxes[j].className == a);
            };
            if (is(L"msctls_updown32", L"Edit") && both.right - both.left <= MulDiv(1, dpi, 96)) {
                continue;
            }
            const auto frame = [](const ControlBox& box) {
                return box.className == L"Button" && (box.style & BS_TYPEMASK) == BS_GROUPBOX;
            };
            // A frame holds its controls.
            if ((frame(boxes[i]) && Contains(boxes[i].rect, boxes[j].rect)) ||
                (frame(boxes[j]) && Contains(boxes[j].rect, boxes[i].rect))) {
                continue;
            }
            problems.push_back(name(boxes[i]) + " overlaps " + name(boxes[j]) + " by " +
                               std::to_string(both.right - both.left) + "x" +
                               std::to_string(both.bottom - both.top) + " px at (" +
                               std::to_string(both.left) + ", " + std::to_string(both.top) + ")");
        }
    }
    return problems;
}

}  // namespace keldra::testing

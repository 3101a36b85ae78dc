#pragma once
// What a window looks like at its DPI, as a user would judge it: a text that does not fit
// its control, on one line or wrapped at the control's width, is cut, so is a drop-down
// list's item wider than its box, and two controls that overlap hide each other. It
// measures whatever texts the controls hold, so it serves every language.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/handles.h"
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

// The flags a static control of this style draws its text with.
inline UINT StaticTextFlags(LONG_PTR style) {
    const LONG_PTR type = style & SS_TYPEMASK;
    UINT flags = DT_EXPANDTABS | (type == SS_LEFTNOWORDWRAP ? DT_SINGLELINE : DT_WORDBREAK);
    if ((style & SS_NOPREFIX) != 0) {
        flags |= DT_NOPREFIX;
    }
    return flags;
}

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
            const platform::win32::UniqueWindowDc childDc(child);
            const HDC dc = childDc.get();
            const auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
            const HGDIOBJ old = SelectObject(dc, font);
            RECT text{0, 0, box.rect.right - box.rect.left, 0};
            DrawTextW(dc, box.text.c_str(), static_cast<int>(box.text.size()), &text,
                      DT_CALCRECT | StaticTextFlags(box.style));
            SelectObject(dc, old);
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

// The room a control gives its text and the room the text takes, in pixels; false for a
// control that shows no text of its own (pictures, lines, lists).
struct TextFit {
    SIZE room{};
    SIZE needs{};
};
inline bool MeasureText(const ControlBox& box, HDC dc, int dpi, TextFit& fit) {
    const bool isStatic = box.className == L"Static";
    const bool isButton = box.className == L"Button";
    if (box.text.empty() || (!isStatic && !isButton)) {
        return false;
    }
    const LONG_PTR type = isStatic ? (box.style & SS_TYPEMASK) : (box.style & BS_TYPEMASK);
    if (isStatic && type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT &&
        type != SS_LEFTNOWORDWRAP) {
        return false;
    }
    fit.room = {box.rect.right - box.rect.left, box.rect.bottom - box.rect.top};
    UINT flags = DT_SINGLELINE | DT_NOPREFIX;
    if (isStatic) {
        flags = StaticTextFlags(box.style);
    } else if (type == BS_3STATE || type == BS_AUTO3STATE || type == BS_CHECKBOX ||
               type == BS_AUTOCHECKBOX) {
        fit.room.cx -= MulDiv(13 + 4, dpi, 96);  // the box and its gap
        if ((box.style & BS_MULTILINE) != 0) {
            flags = DT_WORDBREAK | DT_NOPREFIX;
        }
    } else if (type == BS_GROUPBOX) {
        fit.room.cx -= MulDiv(8 + 8, dpi, 96);  // the frame's line either side of its caption
    } else {
        fit.room.cx -= MulDiv(2 * 4, dpi, 96);  // the push button's edge
    }
    const auto font = reinterpret_cast<HFONT>(SendMessageW(box.handle, WM_GETFONT, 0, 0));
    const HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    // Wrapped at the control's width as the control wraps it: a word wider than that
    // comes back wider, more lines come back taller.
    RECT text{0, 0, std::max<LONG>(fit.room.cx, 1), 0};
    DrawTextW(dc, box.text.c_str(), static_cast<int>(box.text.size()), &text, flags | DT_CALCRECT);
    SelectObject(dc, old);
    fit.needs = {text.right, text.bottom};
    return true;
}

// The items of a drop-down list that do not fit the box it shows the chosen one in.
inline std::vector<std::string> CutListItems(const ControlBox& box) {
    std::vector<std::string> cut;
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (box.className != L"ComboBox" || GetComboBoxInfo(box.handle, &info) == FALSE) {
        return cut;
    }
    const platform::win32::UniqueWindowDc boxDc(box.handle);
    const HDC dc = boxDc.get();
    const auto font = reinterpret_cast<HFONT>(SendMessageW(box.handle, WM_GETFONT, 0, 0));
    const HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    const auto count = SendMessageW(box.handle, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const auto length = SendMessageW(box.handle, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring item(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
        SendMessageW(box.handle, CB_GETLBTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(item.data()));
        item.resize(static_cast<std::size_t>(length > 0 ? length : 0));
        SIZE extent{};
        GetTextExtentPoint32W(dc, item.c_str(), static_cast<int>(item.size()), &extent);
        const LONG room = info.rcItem.right - info.rcItem.left;
        if (extent.cx > room) {
            cut.push_back("ComboBox item \"" + platform::win32::Narrow(item) + "\" needs " +
                          std::to_string(extent.cx) + " px, has " + std::to_string(room));
        }
    }
    SelectObject(dc, old);
    return cut;
}

// Texts cut and controls overlapping, one line each; empty when the window is sound.
inline std::vector<std::string> LayoutProblems(HWND window, int dpi) {
    std::vector<std::string> problems;
    const auto name = [](const ControlBox& box) {
        return platform::win32::Narrow(box.className) + " \"" + platform::win32::Narrow(box.text) +
               "\"";
    };
    const std::vector<ControlBox> boxes = VisibleControls(window);
    const platform::win32::UniqueWindowDc windowDc(window);
    const HDC dc = windowDc.get();
    for (const ControlBox& box : boxes) {
        for (std::string& item : CutListItems(box)) {
            problems.push_back(std::move(item));
        }
        TextFit fit;
        if (!MeasureText(box, dc, dpi, fit)) {
            continue;
        }
        // Classic label heights (195 twips: 13 px at 96 DPI for Tahoma 8.25 pt's 14 px
        // cell) leave out the last line's bottom row, which letters hardly reach: one
        // pixel of it may go.
        if (fit.needs.cx > fit.room.cx || fit.needs.cy - 1 > fit.room.cy) {
            problems.push_back(name(box) + " needs " + std::to_string(fit.needs.cx) + "x" +
                               std::to_string(fit.needs.cy) + " px, has " +
                               std::to_string(fit.room.cx) + "x" + std::to_string(fit.room.cy));
        }
    }
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

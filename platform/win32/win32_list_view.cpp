#include "platform/win32/win32_list_view.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_window.h"

namespace keldra::platform::win32 {

Win32ListView::Win32ListView(Win32Window& owner, HWND handle) : owner_(owner), handle_(handle) {}

void Win32ListView::AddColumn(std::string_view header, int widthTwips) {
    std::wstring text = Wide(header);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.cx = owner_.PixelsX(widthTwips);
    column.pszText = text.data();
    column.iSubItem = static_cast<int>(columns_.size());
    SendMessageW(handle_.get(), LVM_INSERTCOLUMNW, columns_.size(),
                 reinterpret_cast<LPARAM>(&column));
    columns_.push_back({widthTwips, column.cx});
}

void Win32ListView::SetColumnHeader(std::size_t column, std::string_view header) {
    if (column >= columns_.size()) {
        return;
    }
    std::wstring text = Wide(header);
    LVCOLUMNW change{};
    change.mask = LVCF_TEXT;
    change.pszText = text.data();
    SendMessageW(handle_.get(), LVM_SETCOLUMNW, column, reinterpret_cast<LPARAM>(&change));
}

std::string Win32ListView::ColumnHeader(std::size_t column) const {
    if (column >= columns_.size() || !handle_) {
        return {};
    }
    std::wstring text(1024, L'\0');
    LVCOLUMNW query{};
    query.mask = LVCF_TEXT;
    query.pszText = text.data();
    query.cchTextMax = static_cast<int>(text.size());
    if (SendMessageW(handle_.get(), LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&query)) ==
        FALSE) {
        return {};
    }
    // The control may answer with a pointer of its own.
    return Narrow(query.pszText != nullptr ? std::wstring_view(query.pszText) : L"");
}

int Win32ListView::ColumnWidth(std::size_t column) const {
    if (column >= columns_.size()) {
        return 0;
    }
    const Column& set = columns_[column];
    if (!handle_) {
        return set.widthTwips;
    }
    const auto pixels =
        static_cast<int>(SendMessageW(handle_.get(), LVM_GETCOLUMNWIDTH, column, 0));
    // Twips to pixels and back need not give the same twips.
    return pixels == set.widthPixels ? set.widthTwips : owner_.TwipsX(pixels);
}

void Win32ListView::SetRowIcon(std::string_view resourceName) {
    rowIcon_ = std::string(resourceName);
    UniqueHImageList images;
    if (!resourceName.empty()) {
        const int width = owner_.IconMetric(SM_CXSMICON);
        const int height = owner_.IconMetric(SM_CYSMICON);
        const UniqueHIcon icon(
            static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), Wide(resourceName).c_str(),
                                          IMAGE_ICON, width, height, LR_DEFAULTCOLOR)));
        if (icon) {
            images.reset(ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 1, 1));
            if (images && ImageList_AddIcon(images.get(), icon.get()) < 0) {
                images.reset();
            }
        }
    }
    SendMessageW(handle_.get(), LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(images.get()));
    // The old list goes only once the control no longer shows it.
    images_ = std::move(images);
    InvalidateRect(handle_.get(), nullptr, TRUE);
}

void Win32ListView::SetRows(const ui::ListRows* rows) {
    rows_ = rows;
    RowsChanged();
}

void Win32ListView::RowsChanged() {
    const std::size_t count = rows_ != nullptr ? rows_->RowCount() : 0;
    shown_ = std::min<std::size_t>(count, INT_MAX);
    if (!handle_) {
        return;
    }
    // Keep the scroll position and the selection; what changed is painted again below.
    SendMessageW(handle_.get(), LVM_SETITEMCOUNT, shown_, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    InvalidateRect(handle_.get(), nullptr, TRUE);
}

void Win32ListView::GetDisplayInfo(NMLVDISPINFOW& info) {
    LVITEMW& item = info.item;
    if (item.iItem < 0 || item.iSubItem < 0) {
        return;
    }
    const auto row = static_cast<std::size_t>(item.iItem);
    const auto column = static_cast<std::size_t>(item.iSubItem);
    // A row the owner removed before telling the view shows empty until it does.
    const bool known = rows_ != nullptr && row < shown_ && row < rows_->RowCount();
    if ((item.mask & LVIF_TEXT) != 0) {
        std::wstring& text = texts_[nextText_];
        nextText_ = (nextText_ + 1) % texts_.size();
        text = known ? Wide(rows_->CellText(row, column)) : std::wstring();
        item.pszText = text.data();
    }
    if ((item.mask & LVIF_IMAGE) != 0 && column == 0) {
        item.iImage = images_ ? 0 : I_IMAGENONE;
    }
    if ((item.mask & LVIF_STATE) != 0 && checkBoxes_ && column == 0) {
        // State image 1 is the empty box, 2 the ticked one.
        const bool checked = known && rows_->RowChecked(row);
        item.state = (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
        item.stateMask |= LVIS_STATEIMAGEMASK;
    }
}

void Win32ListView::SetCheckBoxes(bool checkBoxes) {
    checkBoxes_ = checkBoxes;
    if (!handle_) {
        return;
    }
    SendMessageW(handle_.get(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES,
                 checkBoxes ? LVS_EX_CHECKBOXES : 0);
    // The control asks for the state images of every row it paints.
    SendMessageW(handle_.get(), LVM_SETCALLBACKMASK, checkBoxes ? LVIS_STATEIMAGEMASK : 0, 0);
    InvalidateRect(handle_.get(), nullptr, TRUE);
}

void Win32ListView::RowChanged(std::size_t row) {
    if (handle_ && row < shown_) {
        SendMessageW(handle_.get(), LVM_REDRAWITEMS, row, row);
    }
}

bool Win32ListView::CheckNotify(const NMHDR& header) {
    if (!checkBoxes_) {
        return false;
    }
    if (header.code == NM_CLICK) {
        const auto& click = reinterpret_cast<const NMITEMACTIVATE&>(header);
        LVHITTESTINFO hit{};
        hit.pt = click.ptAction;
        SendMessageW(handle_.get(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.iItem >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) != 0) {
            Toggle(hit.iItem);
        }
        return true;
    }
    if (header.code == LVN_KEYDOWN) {
        if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_SPACE) {
            Toggle(static_cast<int>(SendMessageW(handle_.get(), LVM_GETNEXTITEM,
                                                 static_cast<WPARAM>(-1),
                                                 MAKELPARAM(LVNI_FOCUSED, 0))));
        }
        return true;
    }
    return false;
}

void Win32ListView::Toggle(int row) {
    if (row >= 0 && static_cast<std::size_t>(row) < shown_ && OnCheckToggle) {
        const auto handler = OnCheckToggle;  // a copy: the handler may replace it
        handler(static_cast<std::size_t>(row));
    }
}

void Win32ListView::SetVisible(bool visible) {
    ShowWindow(handle_.get(), visible ? SW_SHOWNA : SW_HIDE);
}

bool Win32ListView::Visible() const {
    return handle_ && (GetWindowLongPtrW(handle_.get(), GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32ListView::Move(const ui::Twips& position) {
    position_ = position;
    SetWindowPos(handle_.get(), nullptr, owner_.PixelsX(position.left),
                 owner_.PixelsY(position.top), owner_.PixelsX(position.width),
                 owner_.PixelsY(position.height), SWP_NOZORDER | SWP_NOACTIVATE);
}

ui::Twips Win32ListView::Position() const {
    RECT rect{};
    if (!handle_ || !GetWindowRect(handle_.get(), &rect)) {
        return {};
    }
    MapWindowPoints(HWND_DESKTOP, GetParent(handle_.get()), reinterpret_cast<POINT*>(&rect), 2);
    return {owner_.TwipsX(rect.left), owner_.TwipsY(rect.top),
            owner_.TwipsX(rect.right - rect.left), owner_.TwipsY(rect.bottom - rect.top)};
}

void Win32ListView::Rescale(int oldDpiX) {
    if (!handle_) {
        return;
    }
    SendMessageW(handle_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(owner_.FontFor(font_)), FALSE);
    Move(position_);
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        Column& column = columns_[i];
        const auto now = static_cast<int>(SendMessageW(handle_.get(), LVM_GETCOLUMNWIDTH, i, 0));
        // A width the user dragged keeps its share of the view; the others their twips.
        const int wanted = now == column.widthPixels ? owner_.PixelsX(column.widthTwips)
                                                     : MulDiv(now, owner_.dpi_.x, oldDpiX);
        SendMessageW(handle_.get(), LVM_SETCOLUMNWIDTH, i, MAKELPARAM(wanted, 0));
        if (now == column.widthPixels) {
            column.widthPixels = wanted;
        }
    }
    if (!rowIcon_.empty()) {
        const std::string icon = rowIcon_;
        SetRowIcon(icon);
    }
}

}  // namespace keldra::platform::win32

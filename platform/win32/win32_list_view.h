#pragma once
// The list views of the results windows.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui_port.h"
#include "platform/win32/handles.h"

namespace keldra::platform::win32 {

class Win32Window;

// A report list view in owner-data mode: it holds no rows, only their count, and asks for
// the texts it paints (LVN_GETDISPINFO), so that a hundred thousand rows cost nothing.
class Win32ListView final : public ui::ListView {
  public:
    Win32ListView(Win32Window& owner, HWND handle);
    Win32ListView(const Win32ListView&) = delete;
    Win32ListView& operator=(const Win32ListView&) = delete;

    void AddColumn(std::string_view header, int widthTwips) override;
    std::size_t ColumnCount() const override { return columns_.size(); }
    void SetColumnHeader(std::size_t column, std::string_view header) override;
    std::string ColumnHeader(std::size_t column) const override;
    // The width as set, unless the user dragged it to another.
    int ColumnWidth(std::size_t column) const override;
    void SetRowIcon(std::string_view resourceName) override;
    void SetRows(const ui::ListRows* rows) override;
    void RowsChanged() override;
    std::size_t ShownRowCount() const override { return shown_; }
    // The boxes are state images the rows give through LVN_GETDISPINFO, as an owner-data
    // list view keeps no item states; a click on a box and Space on the focused row are
    // heard through NM_CLICK and LVN_KEYDOWN.
    void SetCheckBoxes(bool checkBoxes) override;
    bool CheckBoxes() const override { return checkBoxes_; }
    void RowChanged(std::size_t row) override;
    void SetVisible(bool visible) override;
    bool Visible() const override;
    void Move(const ui::Twips& position) override;
    ui::Twips Position() const override;

    // For tests: the list view's window.
    HWND Handle() const { return handle_.get(); }

  private:
    friend class Win32Window;

    struct Column {
        int widthTwips;
        int widthPixels;  // as set: another one was dragged by the user
    };

    void GetDisplayInfo(NMLVDISPINFOW& info);
    // The notifications that toggle a box; false for any other.
    bool CheckNotify(const NMHDR& header);
    void Toggle(int row);
    // The window's DPI changed: font, place, column widths and row icon at the new size.
    void Rescale(int oldDpiX);

    Win32Window& owner_;
    bool checkBoxes_ = false;
    ui::Twips position_{};
    ui::Font font_{};
    std::string rowIcon_;
    std::vector<Column> columns_;
    const ui::ListRows* rows_ = nullptr;
    std::size_t shown_ = 0;
    // The list view may keep a text pointer until two more requests have been answered,
    // so the answers rotate through three buffers.
    std::array<std::wstring, 3> texts_;
    std::size_t nextText_ = 0;
    UniqueHImageList images_;  // before handle_: the control must go first
    UniqueHwnd handle_;
};

}  // namespace keldra::platform::win32

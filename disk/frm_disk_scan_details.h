#pragma once
// The disk results window: the junk files of the last disk clean, one row each with its
// size. It is loaded on first use and only hides when closed, until the program ends.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "disk/junk_files.h"
#include "platform/ui_port.h"
#include "results/results_window.h"

namespace keldra::disk {

// The junk-file list as the list view reads it: the path, and the size in bytes as a
// plain decimal number.
class JunkRows final : public platform::ui::ListRows {
  public:
    explicit JunkRows(const JunkList& junk) : junk_(junk) {}
    std::size_t RowCount() const override;
    std::string CellText(std::size_t row, std::size_t column) const override;
    bool RowChecked(std::size_t row) const override;

  private:
    const JunkList& junk_;
};

class FrmDiskScanDetails final : public results::ResultsWindow {
  public:
    // `allEnd` is the main window's flag: true once the program is closing.
    FrmDiskScanDetails(platform::ui::UiPort& ui, TextLookup text, JunkList& junk,
                       const bool& allEnd);
    ~FrmDiskScanDetails();
    FrmDiskScanDetails(const FrmDiskScanDetails&) = delete;
    FrmDiskScanDetails& operator=(const FrmDiskScanDetails&) = delete;

    platform::ui::ListView& lvCFiles() { return List(); }

    // The user ticks or unticks a row's box: the entry's `Marked`.
    void ToggleRow(std::size_t row);
    // Told of every entry the user ticked or unticked, after the change.
    std::function<void(const JunkFile& file)> RowToggled;

  private:
    JunkList& junk_;
    JunkRows rows_;
};

}  // namespace keldra::disk

#include "disk/frm_disk_scan_details.h"

#include <algorithm>

namespace keldra::disk {

std::size_t JunkRows::RowCount() const {
    return std::min(static_cast<std::size_t>(std::max<std::int64_t>(junk_.JunkCount, 0)),
                    junk_.JunkFiles.size());
}

std::string JunkRows::CellText(std::size_t row, std::size_t column) const {
    if (row >= RowCount()) {
        return {};
    }
    const JunkFile& file = junk_.JunkFiles[row];
    switch (column) {
        case 0:
            return file.Path;
        case 1:
            return std::to_string(file.Bytes);
        default:
            return {};
    }
}

bool JunkRows::RowChecked(std::size_t row) const {
    return row < RowCount() && junk_.JunkFiles[row].Marked;
}

FrmDiskScanDetails::FrmDiskScanDetails(platform::ui::UiPort& ui, TextLookup text, JunkList& junk,
                                       const bool& allEnd)
    : ResultsWindow(ui, std::move(text), allEnd,
                    {"frmDiskScanDetails",
                     "Disk Scan",
                     "OCM_DCap",
                     "Disk Scan Results",
                     "OCM_DRes",
                     "lvCFiles",
                     // The path takes most of the width.
                     {{"File path", 4800, "OCM_LC1"}, {"File Size (bytes)", 1800, "OCM_LC2"}},
                     ""},
                    rows_),
      junk_(junk),
      rows_(junk) {
    // Files the search appends, and the emptying by a cancel, show in the open window.
    junk_.onChanged = [this] { RowsChanged(); };
    OnCheckToggle = [this](std::size_t row) { ToggleRow(row); };
}

void FrmDiskScanDetails::ToggleRow(std::size_t row) {
    if (row >= rows_.RowCount()) {
        return;
    }
    JunkFile& file = junk_.JunkFiles[row];
    file.Marked = !file.Marked;
    RowChanged(row);
    if (RowToggled) {
        RowToggled(file);
    }
}

FrmDiskScanDetails::~FrmDiskScanDetails() {
    junk_.onChanged = nullptr;
}

}  // namespace keldra::disk

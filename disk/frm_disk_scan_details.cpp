#include "disk/frm_disk_scan_details.h"

#include <algorithm>

namespace keldra::disk {

using platform::ui::ControlKind;
using platform::ui::Font;

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

FrmDiskScanDetails::FrmDiskScanDetails(platform::ui::UiPort& ui, TextLookup text, JunkList& junk,
                                       const bool& allEnd)
    : ui_(ui), text_(std::move(text)), junk_(junk), allEnd_(allEnd), rows_(junk) {}

FrmDiskScanDetails::~FrmDiskScanDetails() {
    junk_.onChanged = nullptr;
}

void FrmDiskScanDetails::Load() {
    if (Loaded()) {
        return;
    }
    const Font tahoma{"Tahoma", 8.25, false, false};
    window_ = ui_.NewWindow("frmDiskScanDetails", tahoma);
    window_->SetCaption("Disk Scan");
    window_->SetClientSize(7155, 4755);
    window_->AddControl(ControlKind::Picture, "Image1", {-15, -300, 7200, 1410}, "BANNER", tahoma);
    window_->AddControl(ControlKind::Line, "Line1", {165, 4140, 6825, 15}, "", tahoma);
    Label1_ = &window_->AddControl(ControlKind::Label, "Label1", {165, 1230, 1845, 195},
                                   "Disk Scan Results", tahoma);
    lvCFiles_ = &window_->AddListView("lvCFiles", {165, 1530, 6825, 2535}, tahoma);
    // The path takes most of the width.
    lvCFiles_->AddColumn("File path", 4800);
    lvCFiles_->AddColumn("File Size (bytes)", 1800);
    lvCFiles_->SetRows(&rows_);
    cmdClose_ = &window_->AddControl(ControlKind::Button, "cmdClose", {5790, 4260, 1215, 360},
                                     "Close", tahoma);
    cmdClose_->OnClick = [this] { cmdClose_Click(); };
    window_->OnUnload = [this](int& cancel) { Form_Unload(cancel); };
    // Files the search appends, and the emptying by a cancel, show in the open window at
    // once. A hidden window takes the rows when it is shown: telling its list view of each
    // of many thousand files would cost more than the search itself.
    junk_.onChanged = [this] {
        if (lvCFiles_ != nullptr && window_->Visible()) {
            lvCFiles_->RowsChanged();
        }
    };
    Form_Load();
}

void FrmDiskScanDetails::Form_Load() {
    const auto bounds = window_->Bounds();
    window_->MoveTo((ui_.ScreenWidthTwips() - bounds.width) / 2,
                    (ui_.ScreenHeightTwips() - bounds.height) / 2);
    window_->SetIcons("AAA", true);
    if (!text_) {
        return;
    }
    window_->SetCaption(text_("OCM_DCap"));
    Label1_->SetText(text_("OCM_DRes"));
    cmdClose_->SetText(text_("OCM_Close"));
    lvCFiles_->SetColumnHeader(0, text_("OCM_LC1"));
    lvCFiles_->SetColumnHeader(1, text_("OCM_LC2"));
}

void FrmDiskScanDetails::Show() {
    Load();
    lvCFiles_->RowsChanged();
    window_->Show();
}

void FrmDiskScanDetails::cmdClose_Click() {
    window_->Hide();
}

void FrmDiskScanDetails::Form_Unload(int& cancel) {
    if (!allEnd_) {
        cancel = 1;
    }
    window_->Hide();
    if (cancel == 0) {
        junk_.onChanged = nullptr;
        lvCFiles_ = nullptr;
    }
}

void FrmDiskScanDetails::Unload() {
    if (Loaded()) {
        window_->Unload();
    }
}

}  // namespace keldra::disk

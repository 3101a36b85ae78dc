#include "registry/frm_reg_scan_details.h"

#include <array>

namespace keldra::registry {

using platform::ui::ControlKind;
using platform::ui::Font;

namespace {

struct ColumnDesign {
    std::string_view header;
    int width;
};
constexpr std::array<ColumnDesign, 6> kColumns{{{"Invalid data location", 4500},
                                                {"Value name", 1500},
                                                {"Value data", 2500},
                                                {"Reason", 1500},
                                                {"Reg type", 0},
                                                {"Attributes", 0}}};

}  // namespace

std::string ProblemRows::CellText(std::size_t row, std::size_t column) const {
    if (row >= problems_.Count()) {
        return {};
    }
    const Problem& problem = problems_.rows[row];
    switch (column) {
        case 0:
            return problem.location;
        case 1:
            return problem.valueName;
        case 2:
            return problem.valueData;
        case 3:
            return problem.reason;
        case 4:
            return problem.type;
        case 5:
            return problem.attributes;
        default:
            return {};
    }
}

FrmRegScanDetails::FrmRegScanDetails(platform::ui::UiPort& ui, TextLookup text,
                                     ProblemList& problems, const bool& allEnd)
    : ui_(ui), text_(std::move(text)), problems_(problems), allEnd_(allEnd), rows_(problems) {}

FrmRegScanDetails::~FrmRegScanDetails() {
    problems_.onChanged = nullptr;
}

void FrmRegScanDetails::Load() {
    if (Loaded()) {
        return;
    }
    const Font tahoma{"Tahoma", 8.25, false, false};
    window_ = ui_.NewWindow("frmRegScanDetails", tahoma);
    window_->SetCaption("Registry Scan");
    window_->SetClientSize(7155, 4755);
    window_->AddControl(ControlKind::Picture, "Image1", {-15, -300, 7200, 1410}, "BANNER", tahoma);
    window_->AddControl(ControlKind::Line, "Line1", {165, 4140, 6825, 15}, "", tahoma);
    Label1_ = &window_->AddControl(ControlKind::Label, "Label1", {165, 1230, 1845, 195},
                                   "Registry Scan Results", tahoma);
    lvInvalidLoc_ = &window_->AddListView("lvInvalidLoc", {165, 1530, 6825, 2535}, tahoma);
    for (const auto& column : kColumns) {
        lvInvalidLoc_->AddColumn(column.header, column.width);
    }
    lvInvalidLoc_->SetRowIcon("IMREGERROR");
    lvInvalidLoc_->SetRows(&rows_);
    cmdClose_ = &window_->AddControl(ControlKind::Button, "cmdClose", {5790, 4260, 1215, 360},
                                     "Close", tahoma);
    cmdClose_->OnClick = [this] { cmdClose_Click(); };
    window_->OnUnload = [this](int& cancel) { Form_Unload(cancel); };
    // Rows a running scan appends, or the repair removes, show in the open window at once.
    problems_.onChanged = [this] {
        if (lvInvalidLoc_ != nullptr) {
            lvInvalidLoc_->RowsChanged();
        }
    };
    Form_Load();
}

void FrmRegScanDetails::Form_Load() {
    const auto bounds = window_->Bounds();
    window_->MoveTo((ui_.ScreenWidthTwips() - bounds.width) / 2,
                    (ui_.ScreenHeightTwips() - bounds.height) / 2);
    window_->SetIcons("AAA", true);
    if (!text_) {
        return;
    }
    window_->SetCaption(text_("OCM_RCap"));
    Label1_->SetText(text_("OCM_RRes"));
    cmdClose_->SetText(text_("OCM_Close"));
    for (std::size_t column = 0; column < kColumns.size(); ++column) {
        lvInvalidLoc_->SetColumnHeader(column,
                                       text_("RDRC_lvInvalidLocCH" + std::to_string(column + 1)));
    }
}

void FrmRegScanDetails::Show() {
    Load();
    window_->Show();
}

void FrmRegScanDetails::cmdClose_Click() {
    window_->Hide();
}

void FrmRegScanDetails::Form_Unload(int& cancel) {
    if (!allEnd_) {
        cancel = 1;
    }
    window_->Hide();
    if (cancel == 0) {
        problems_.onChanged = nullptr;
        lvInvalidLoc_ = nullptr;
    }
}

void FrmRegScanDetails::Unload() {
    if (Loaded()) {
        window_->Unload();
    }
}

}  // namespace keldra::registry

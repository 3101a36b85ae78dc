#include "registry/frm_reg_scan_details.h"

namespace keldra::registry {

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

bool ProblemRows::RowChecked(std::size_t row) const {
    return row < problems_.Count() && problems_.rows[row].marked;
}

FrmRegScanDetails::FrmRegScanDetails(platform::ui::UiPort& ui, TextLookup text,
                                     ProblemList& problems, const bool& allEnd)
    : ResultsWindow(ui, std::move(text), allEnd,
                    {"frmRegScanDetails",
                     "Registry Scan",
                     "OCM_RCap",
                     "Registry Scan Results",
                     "OCM_RRes",
                     "lvInvalidLoc",
                     {{"Invalid data location", 4500, "RDRC_lvInvalidLocCH1"},
                      {"Value name", 1500, "RDRC_lvInvalidLocCH2"},
                      {"Value data", 2500, "RDRC_lvInvalidLocCH3"},
                      {"Reason", 1500, "RDRC_lvInvalidLocCH4"},
                      {"Reg type", 0, "RDRC_lvInvalidLocCH5"},
                      {"Attributes", 0, "RDRC_lvInvalidLocCH6"}},
                     "IMREGERROR"},
                    rows_),
      problems_(problems),
      rows_(problems) {
    // Rows a running scan appends, or the repair removes, show in the open window at once.
    problems_.onChanged = [this] { RowsChanged(); };
    OnCheckToggle = [this](std::size_t row) { ToggleRow(row); };
}

void FrmRegScanDetails::ToggleRow(std::size_t row) {
    if (row >= problems_.Count()) {
        return;
    }
    Problem& problem = problems_.rows[row];
    problem.marked = !problem.marked;
    RowChanged(row);
    if (RowToggled) {
        RowToggled(problem);
    }
}

FrmRegScanDetails::~FrmRegScanDetails() {
    problems_.onChanged = nullptr;
}

}  // namespace keldra::registry

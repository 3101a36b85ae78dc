#pragma once
// The registry results window: the problems of the last scan, one row each. It is loaded
// on first use and only hides when closed, until the program ends.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/ui_port.h"
#include "registry/problem_list.h"
#include "results/results_window.h"

namespace keldra::registry {

// The problem list as the list view reads it: row text, value name, value data, reason,
// type, attributes.
class ProblemRows final : public platform::ui::ListRows {
  public:
    explicit ProblemRows(const ProblemList& problems) : problems_(problems) {}
    std::size_t RowCount() const override { return problems_.Count(); }
    std::string CellText(std::size_t row, std::size_t column) const override;
    bool RowChecked(std::size_t row) const override;

  private:
    const ProblemList& problems_;
};

class FrmRegScanDetails final : public results::ResultsWindow {
  public:
    // `allEnd` is the main window's flag: true once the program is closing.
    FrmRegScanDetails(platform::ui::UiPort& ui, TextLookup text, ProblemList& problems,
                      const bool& allEnd);
    ~FrmRegScanDetails();
    FrmRegScanDetails(const FrmRegScanDetails&) = delete;
    FrmRegScanDetails& operator=(const FrmRegScanDetails&) = delete;

    platform::ui::ListView& lvInvalidLoc() { return List(); }

    // The user ticks or unticks a row's box.
    void ToggleRow(std::size_t row);
    // Told of every row the user ticked or unticked, after the change.
    std::function<void(const Problem& row)> RowToggled;

  private:
    ProblemList& problems_;
    ProblemRows rows_;
};

}  // namespace keldra::registry

#include "results/results_window.h"

#include "platform/captions.h"

namespace keldra::results {

using platform::ui::Caption;
using platform::ui::ControlKind;
using platform::ui::Font;

ResultsWindow::ResultsWindow(UiPort& ui, TextLookup text, const bool& allEnd, Design design,
                             const ListRows& rows)
    : ui_(ui), text_(std::move(text)), allEnd_(allEnd), design_(std::move(design)), rows_(rows) {}

void ResultsWindow::Load() {
    if (Loaded()) {
        return;
    }
    const Font tahoma{"Tahoma", 8.25, false, false};
    window_ = ui_.NewWindow(design_.name, tahoma);
    window_->SetCaption(design_.caption);
    window_->SetClientSize(7155, 4755);
    // The picture at its own size, its top cut off, above the heading.
    window_->AddControl(ControlKind::Picture, "Image1", {-15, -300, 7200, 1410}, "BANNER", tahoma);
    window_->AddControl(ControlKind::Line, "Line1", {165, 4140, 6825, 15}, "", tahoma);
    // As wide as the list: translated headings are longer than "Registry Scan Results".
    Label1_ = &window_->AddControl(ControlKind::Label, "Label1", {165, 1230, 6825, 195},
                                   design_.heading, tahoma);
    list_ = &window_->AddListView(design_.listName, {165, 1530, 6825, 2535}, tahoma);
    for (const Column& column : design_.columns) {
        list_->AddColumn(column.header, column.widthTwips);
    }
    list_->SetRowIcon(design_.rowIcon);
    list_->SetCheckBoxes(true);
    list_->OnCheckToggle = [this](std::size_t row) {
        if (OnCheckToggle) {
            OnCheckToggle(row);
        }
    };
    list_->SetRows(&rows_);
    cmdClose_ = &window_->AddControl(ControlKind::Button, "cmdClose", {5790, 4260, 1215, 360},
                                     "Close", tahoma);
    cmdClose_->OnClick = [this] { cmdClose_Click(); };
    window_->SetDefaultButton(cmdClose_);
    window_->OnCancel = [this] { cmdClose_Click(); };
    window_->OnUnload = [this](int& cancel) { Form_Unload(cancel); };
    Form_Load();
}

void ResultsWindow::Form_Load() {
    const auto bounds = window_->Bounds();
    window_->MoveTo((ui_.ScreenWidthTwips() - bounds.width) / 2,
                    (ui_.ScreenHeightTwips() - bounds.height) / 2);
    window_->SetIcons("AAA", true);
    if (!text_) {
        return;
    }
    const Caption captions[] = {
        {nullptr, design_.captionId}, {Label1_, design_.headingId}, {cmdClose_, "OCM_Close"}};
    platform::ui::ApplyCaptions(*window_, captions, text_);
    for (std::size_t i = 0; i < design_.columns.size(); ++i) {
        list_->SetColumnHeader(i, text_(design_.columns[i].headerId));
    }
}

void ResultsWindow::Show() {
    Load();
    list_->RowsChanged();
    window_->Show();
}

void ResultsWindow::RowsChanged() {
    if (list_ != nullptr && Loaded() && window_->Visible()) {
        list_->RowsChanged();
    }
}

void ResultsWindow::RowChanged(std::size_t row) {
    if (list_ != nullptr && Loaded() && window_->Visible()) {
        list_->RowChanged(row);
    }
}

void ResultsWindow::cmdClose_Click() {
    window_->Hide();
}

void ResultsWindow::Form_Unload(int& cancel) {
    if (!allEnd_) {
        cancel = 1;
    }
    window_->Hide();
    if (cancel == 0) {
        list_ = nullptr;
    }
}

void ResultsWindow::Unload() {
    if (Loaded()) {
        window_->Unload();
    }
}

}  // namespace keldra::results

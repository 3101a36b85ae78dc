// The main window's controls as the window declares them (twips, fonts, design texts) and
// the captions the language library gives them.
#include <array>
#include <string>

#include "app/frm_main.h"
#include "platform/captions.h"

namespace keldra::app {

using platform::ui::ControlKind;
using platform::ui::Font;

namespace {

const Font kTahoma{"Tahoma", 8.25, false, false};
const Font kTahomaBold{"Tahoma", 8.25, true, false};
const Font kTahomaUnderlined{"Tahoma", 8.25, false, true};

constexpr std::array<int, 4> kProcTops{1695, 2595, 3495, 4395};
constexpr std::array<int, 4> kDescTops{1950, 2850, 3750, 4665};
constexpr std::array<int, 4> kStatusTops{1665, 2580, 3480, 4395};
constexpr std::array<const char*, 4> kProcTexts{
    "Optimizing memory...", "Processing registry problems...", "Compacting registry...",
    "Clearing junk and temporary files..."};
constexpr std::array<const char*, 4> kDescTexts{
    "Optimizes memory to free it up and make your applications run faster.",
    "Searches for invalid registry entries. Fix and repair your Windows registry.",
    "Defragments and compacts the registry.",
    "Cleans your hard drive from unused and temporary files."};
constexpr std::array<const char*, 4> kStatusTexts{"Done", "problems found", "Done", "MB recovered"};

}  // namespace

void FrmMain::CreateControls() {
    window_ = ports_.ui.NewWindow("frmMain", Font{"Tahoma", 9.75, false, false});
    window_->SetCaption("Keldra Maintenance");
    window_->SetClientSize(6225, 7575);
    auto& w = *window_;
    w.AddControl(ControlKind::Picture, "Image1", {0, -15, 7200, 1410}, "BANNER", kTahoma);
    for (int i = 0; i < 4; ++i) {
        const auto n = static_cast<std::size_t>(i);
        const std::string index = "(" + std::to_string(i) + ")";
        lblProc_[n] = &w.AddControl(ControlKind::Label, "lblProc" + index,
                                    {1170, kProcTops[n], 3390, 255}, kProcTexts[n], kTahomaBold);
        lblDesc_[n] = &w.AddControl(ControlKind::Label, "lblDesc" + index,
                                    {1170, kDescTops[n], 3390, 600}, kDescTexts[n], kTahoma);
        lblStatus_[n] =
            &w.AddControl(ControlKind::Label, "lblStatus" + index,
                          {4590, kStatusTops[n], 1545, 600}, kStatusTexts[n], kTahomaUnderlined);
        lblStatus_[n]->SetVisible(false);
        lblStatus_[n]->SetForeColor(i % 2 == 0 ? kGreen : kRed);
        lblProc_[n]->OnClick = [this, i] { RowClick(i); };
        lblStatus_[n]->OnClick = [this, i] { RowClick(i); };
    }
    // The rows that lead to a results window are links the keyboard reaches too.
    lblStatus_[1]->SetFocusable(true);
    lblStatus_[3]->SetFocusable(true);
    SetRowClickable(1, false);
    SetRowClickable(3, false);
    // Separators between the rows, and around the controls below them.
    for (int i = 0; i < 5; ++i) {
        w.AddControl(ControlKind::Line, "Line" + std::to_string(i + 1),
                     {1170, 2460 + 900 * i, 4935, 15}, "", kTahoma);
    }
    w.AddControl(ControlKind::Line, "Line6", {120, 6900, 5985, 15}, "", kTahoma);
    Anim_ = &w.AddControl(ControlKind::Animation, "Anim", {75, kAnimTop, 615, 615}, "", kTahoma);
    chkAutoFix_ = &w.AddControl(ControlKind::CheckBox, "chkAutoFix", {1170, 5685, 3225, 255},
                                "Fix all problems automatically", kTahoma);
    chkAutoFix_->SetValue(platform::ui::kChecked);
    chkAutoFix_->OnClick = [this] { chkAutoFix_Click(); };
    lblSchedStart_ =
        &w.AddControl(ControlKind::Label, "lblSchedStart", {1170, 6105, 4800, 615}, "", kTahoma);
    cmdScnN_ =
        &w.AddControl(ControlKind::Button, "cmdScnN", {180, 7065, 1300, 360}, "Scan Now", kTahoma);
    cmdScnN_->SetVisible(false);
    cmdCancel_ =
        &w.AddControl(ControlKind::Button, "cmdCancel", {1590, 7065, 1300, 360}, "Cancel", kTahoma);
    cmdCancel_->OnClick = [this] { cmdCancel_Click(); };
    cmdScheduler_ = &w.AddControl(ControlKind::Button, "cmdScheduler", {2985, 7065, 1300, 360},
                                  "Scheduler...", kTahoma);
    cmdScheduler_->OnClick = [this] { cmdScheduler_Click(); };
    cmdCorrectProblems_ = &w.AddControl(ControlKind::Button, "cmdCorrectProblems",
                                        {4365, 7065, 1770, 360}, "Fix problems", kTahoma);
    cmdCorrectProblems_->SetEnabled(false);
    cmdCorrectProblems_->OnClick = [this] { cmdCorrectProblems_Click(); };
    w.SetDefaultButton(cmdCorrectProblems_);
    // The fixed drives the disk clean walks; hidden, as the program's own record.
    lvwDiscos_ = &w.AddListView("lvwDiscos", {1170, 7575, 4935, 1000}, kTahoma);
    for (const char* header : {"Unidad", "Disco", "Espacio libre", "Capacidad"}) {
        lvwDiscos_->AddColumn(header, 1200);
    }
    lvwDiscos_->SetRows(&driveRows_);
    lvwDiscos_->SetVisible(false);
    drives_.onChanged = [this] { lvwDiscos_->RowsChanged(); };
    tmrUpd_ = &w.AddTimer("tmrUpd");
    tmrUpd_->SetInterval(1000);
    tmrAMaint_ = &w.AddTimer("tmrAMaint");
    tmrUpd_->OnTimer = [this] { tmrUpd_Timer(); };
    tmrAMaint_->OnTimer = [this] { tmrAMaint_Timer(); };
    cmdScnN_->OnClick = [this] { cmdScnN_Click(); };
    w.OnActivate = [this] { Form_Activate(); };
    w.OnResize = [this] { Form_Resize(); };
    w.OnUnload = [this](int& cancel) { Form_Unload(cancel); };
    // Esc sends the window to the tray, as its minimise box does; it never ends the program.
    w.OnCancel = [this] { window_->SetState(platform::ui::WindowState::Minimized); };
}

void FrmMain::Lang() {
    const platform::ui::Caption captions[] = {
        {lblProc_[0], "OCM_lblProc0"},
        {lblProc_[1], "OCM_lblProc1"},
        {lblProc_[2], "OCM_lblProc2"},
        {lblProc_[3], "OCM_lblProc3"},
        {lblDesc_[0], "OCM_lblDesc0"},
        {lblDesc_[1], "OCM_lblDesc1"},
        {lblDesc_[2], "OCM_lblDesc2"},
        {lblDesc_[3], "OCM_lblDesc3"},
        {chkAutoFix_, "OCM_FA"},
        {cmdCorrectProblems_, "OCM_FB"},
        {cmdScheduler_, "OCM_Sched"},
        {cmdCancel_, "OSM_SE"},
        {cmdScnN_, "OSM_SN"},
        {nullptr, "OCM_MCap"},
        {lblStatus_[0], "OCM_DoneStat"},
        {lblStatus_[2], "OCM_DoneStat"},
        {lblStatus_[1], "OCM_PStat"},
        {lblStatus_[3], "OCM_MStat"},
    };
    platform::ui::ApplyCaptions(*window_, captions,
                                [this](std::string_view id) { return Text(id); });
}

}  // namespace keldra::app

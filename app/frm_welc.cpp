#include "app/frm_welc.h"

#include "app/mod_lang.h"

namespace keldra::app {

using platform::ui::ControlKind;
using platform::ui::Font;

void FrmWelc::Load() {
    if (Loaded()) {
        return;
    }
    const Font tahoma{"Tahoma", 8.25, false, false};
    window_ = program_.ports.ui.NewWindow("frmWelc", Font{"Tahoma", 9.75, false, false});
    window_->SetCaption("Keldra Maintenance");
    window_->SetClientSize(5085, 4335);
    window_->AddControl(ControlKind::Picture, "Image1", {-15, -510, 7200, 1410}, "BANNER", tahoma);
    Label2_ =
        &window_->AddControl(ControlKind::Label, "Label2", {270, 1110, 4575, 240},
                             "Welcome to Keldra Maintenance!", Font{"Tahoma", 8.25, true, false});
    // Tall enough for the text in ten lines, as it wraps at 144 DPI, above the line.
    Label1_ =
        &window_->AddControl(ControlKind::Label, "Label1", {270, 1485, 4575, 2100}, "", tahoma);
    chkNotShow_ =
        &window_->AddControl(ControlKind::CheckBox, "chkNotShow", {270, 3795, 4605, 420},
                             "Do not show this message in the future (recommended).", tahoma);
    window_->AddControl(ControlKind::Line, "Line1", {270, 3600, 4575, 15}, "", tahoma);
    chkNotShow_->OnClick = [this] { chkNotShow_Click(); };
    // Esc closes the window as its close box does.
    window_->OnCancel = [this] { window_->Unload(); };
    Form_Load();
}

void FrmWelc::Form_Load() {
    const Ports& p = program_.ports;
    Label2_->SetText(GetLangText(p, "OWM_1"));
    Label1_->SetText(GetLangText(p, "OWM_2a") + GetLangText(p, "OWM_2b"));
    chkNotShow_->SetText(GetLangText(p, "OWM_3"));
    const auto bounds = window_->Bounds();
    window_->MoveTo((p.ui.ScreenWidthTwips() - bounds.width) / 2,
                    (p.ui.ScreenHeightTwips() - bounds.height) / 2);
    window_->SetIcons("AAA", true);
}

void FrmWelc::chkNotShow_Click() {
    program_.ports.settings.SaveSetting(kAppName, kOptions, "WelcScreen",
                                        std::to_string(chkNotShow_->Value()));
}

void FrmWelc::Unload() {
    if (Loaded()) {
        window_->Unload();
    }
}

}  // namespace keldra::app

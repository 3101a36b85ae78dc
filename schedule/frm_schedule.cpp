#include "schedule/frm_schedule.h"

#include <cmath>
#include <optional>

#include "platform/captions.h"
#include "schedule/last_run.h"
#include "schedule/logon_start.h"

namespace keldra::schedule {

using platform::ui::ControlKind;
using platform::ui::Font;

namespace {

const Font kTahoma{"Tahoma", 8.25, false, false};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// A stored number: blanks around it, a sign, digits and a fraction.
std::optional<double> Number(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    std::size_t i = 0;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        ++i;
    }
    double value = 0;
    std::size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
        value = value * 10 + (text[i] - '0');
    }
    if (i < text.size() && text[i] == '.') {
        double scale = 0.1;
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
            value += (text[i] - '0') * scale;
            scale /= 10;
        }
    }
    if (digits == 0 || i != text.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

// A stored 16-bit integer, rounded half to even as such values always were; nothing for
// text that is no number or out of range, so that the caller keeps the value it has.
std::optional<std::int16_t> Integer(std::string_view text) {
    const auto number = Number(text);
    if (!number) {
        return std::nullopt;
    }
    const double rounded = std::nearbyint(*number);
    if (rounded < -32768 || rounded > 32767) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(rounded);
}

// A stored boolean: a number (not 0 is true) or the words True and False.
std::optional<bool> Boolean(std::string_view text) {
    if (const auto number = Number(text)) {
        return *number != 0;
    }
    std::string word;
    for (const char c : text) {
        if (!IsBlank(c)) {
            word += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        }
    }
    if (word == "true") {
        return true;
    }
    if (word == "false") {
        return false;
    }
    return std::nullopt;
}

// Moves a spin bar to the number in a text box, when that lies in the bar's range.
void FollowBox(platform::ui::Control& spin, const platform::ui::Control& box, int upper) {
    if (const auto value = Integer(box.Text()); value && *value >= 0 && *value <= upper) {
        spin.SetValue(*value);
    }
}

}  // namespace

FrmSchedule::FrmSchedule(app::Program& program, TextLookup GetLangText)
    : ports_(program.ports), vars_(program.AMaint), GetLangText_(std::move(GetLangText)) {}

std::string FrmSchedule::Setting(std::string_view key, std::string_view defaultText) const {
    return ports_.settings.GetSetting(app::kAppName, app::kOptions, key, defaultText);
}

void FrmSchedule::CreateControls() {
    window_ = ports_.ui.NewWindow("frmSchedule", kTahoma);
    auto& w = *window_;
    w.SetCaption("Keldra Scheduler");
    w.SetClientSize(5505, 4725);
    w.AddControl(ControlKind::Picture, "Image1", {-15, -210, 7200, 1410}, "BANNER", kTahoma);
    w.AddControl(ControlKind::Line, "Line1", {0, 1200, 5505, 15}, "", kTahoma);
    Label1_ = &w.AddControl(ControlKind::Label, "Label1", {285, 1320, 4830, 975},
                            "You can schedule Maintenance to be run at specified time each day or "
                            "week. If this option is enabled, Maintenance will automatically "
                            "start up with Windows and perform operations at specified time.",
                            kTahoma);
    chkEnable_ = &w.AddControl(ControlKind::CheckBox, "chkEnable", {285, 2340, 4800, 375},
                               "Enable Scheduled Maintenance", kTahoma);
    frmSM_ = &w.AddControl(ControlKind::Frame, "frmSM", {285, 2940, 4875, 1485},
                           "Scheduled Maintenance", kTahoma);
    frmSM_->SetEnabled(false);
    auto& frame = *frmSM_;
    Label2_ = &w.AddControlIn(frame, ControlKind::Label, "Label2", {180, 375, 1680, 195},
                              "Run Maintenance", kTahoma);
    cmdTimeSet_ = &w.AddControlIn(frame, ControlKind::ComboBox, "cmdTimeSet",
                                  {1920, 315, 1905, 315}, "", kTahoma);
    for (const char* item : {"Daily", "Every 3 days", "Weekly"}) {
        cmdTimeSet_->AddItem(item);
    }
    Label3_ =
        &w.AddControlIn(frame, ControlKind::Label, "Label3", {180, 885, 390, 195}, "at", kTahoma);
    txtHour_ =
        &w.AddControlIn(frame, ControlKind::TextBox, "txtHour", {645, 840, 390, 360}, "0", kTahoma);
    HS_ = &w.AddControlIn(frame, ControlKind::SpinBar, "HS", {1020, 840, 255, 375}, "", kTahoma);
    // The top end is the highest value, so that the upper arrow raises it.
    HS_->SetRange(0, 23);
    // The unit labels reach further right than their texts need under Tahoma, so that they
    // are not cut where a wider font stands in for it; nothing lies to their right.
    Label4_ = &w.AddControlIn(frame, ControlKind::Label, "Label4", {1365, 900, 705, 195}, "hours",
                              kTahoma);
    txtMin_ =
        &w.AddControlIn(frame, ControlKind::TextBox, "txtMin", {2115, 855, 435, 360}, "0", kTahoma);
    MS_ = &w.AddControlIn(frame, ControlKind::SpinBar, "MS", {2535, 855, 255, 375}, "", kTahoma);
    MS_->SetRange(0, 59);
    Label5_ = &w.AddControlIn(frame, ControlKind::Label, "Label5", {2910, 900, 1200, 195},
                              "minutes", kTahoma);

    chkEnable_->OnClick = [this] { chkEnable_Click(); };
    cmdTimeSet_->OnClick = [this] { cmdTimeSet_Click(); };
    cmdTimeSet_->OnChange = [this] { cmdTimeSet_Change(); };
    txtHour_->OnChange = [this] { txtHour_Change(); };
    txtMin_->OnChange = [this] { txtMin_Change(); };
    HS_->OnChange = [this] { HS_Change(); };
    MS_->OnChange = [this] { MS_Change(); };
    w.OnUnload = [this](int& cancel) { Form_Unload(cancel); };
    // Esc closes the window as its close box does.
    w.OnCancel = [this] { window_->Unload(); };
}

void FrmSchedule::Load() {
    if (Loaded()) {
        return;
    }
    CreateControls();
    Form_Load();
}

void FrmSchedule::Show() {
    Load();
    window_->Show();
}

void FrmSchedule::Unload() {
    if (Loaded()) {
        window_->Unload();
    }
}

void FrmSchedule::Form_Load() {
    auto& w = *window_;
    const auto bounds = w.Bounds();
    w.MoveTo((ports_.ui.ScreenWidthTwips() - bounds.width) / 2,
             (ports_.ui.ScreenHeightTwips() - bounds.height) / 2);
    w.SetIcons("AAA", true);

    const platform::ui::Caption captions[] = {
        {nullptr, "OSM_SCap"}, {Label1_, "OCM_ShC"},  {chkEnable_, "OCM_ESM"},
        {frmSM_, "OCM_FSM"},   {Label2_, "OCM_ShL1"}, {Label3_, "OCM_ShL2"},
        {Label4_, "OCM_ShL3"}, {Label5_, "OCM_ShL4"},
    };
    platform::ui::ApplyCaptions(w, captions, GetLangText_);
    cmdTimeSet_->ClearItems();
    for (const char* id : {"OSM_AML1", "OSM_AML2", "OSM_AML3"}) {
        cmdTimeSet_->AddItem(GetLangText_(id));
    }

    // Loaded from inside LoadAutoMaintData (at start-up), the window only fills in.
    if (!Updating) {
        LoadAutoMaintData();
        chkEnable_Click();
    }
}

void FrmSchedule::Form_Unload(int& cancel) {
    cancel = 0;
    if (AMaintCheck) {
        AMaintCheck();
    }
}

void FrmSchedule::LoadAutoMaintData() {
    if (Updating) {
        return;
    }
    Updating = true;
    Load();
    // A value that cannot be read keeps what the program holds.
    if (const auto type = Integer(Setting("Type", "0"))) {
        vars_.AMaintType = *type;
    }
    if (const auto hour = Integer(Setting("Hour", txtHour_->Text()))) {
        vars_.AMaintHour = *hour;
    }
    if (const auto minute = Integer(Setting("Min", txtMin_->Text()))) {
        vars_.AMaintMin = *minute;
    }
    if (const auto on = Boolean(Setting("AutoMaint", "0"))) {
        vars_.AMaintOn = *on;
    }
    // Absent, the last run is now. A text that is no date keeps the value held before,
    // at start-up the earliest date, so that a switched-on schedule is due and its run
    // stores a readable last run again.
    if (const auto lastRun = ParseLastRun(Setting("LastRun", FormatLastRun(ports_.process.Now())),
                                          ports_.process.UserDateFormats())) {
        vars_.AMaintLastRun = *lastRun;
    }

    if (vars_.AMaintType >= -1 && vars_.AMaintType < cmdTimeSet_->ItemCount()) {
        cmdTimeSet_->SetValue(vars_.AMaintType);
    }
    txtHour_->SetText(std::to_string(vars_.AMaintHour));
    txtMin_->SetText(std::to_string(vars_.AMaintMin));
    FollowBox(*HS_, *txtHour_, 23);
    FollowBox(*MS_, *txtMin_, 59);
    // Its click handler stores the state and writes or removes the logon start; it
    // saves nothing while Updating is set.
    chkEnable_->SetValue(vars_.AMaintOn ? platform::ui::kChecked : platform::ui::kUnchecked);
    Updating = false;
}

void FrmSchedule::SaveAutoMaintData() {
    if (Updating) {
        return;
    }
    Load();
    auto& settings = ports_.settings;
    const auto save = [&](std::string_view key, const std::string& value) {
        settings.SaveSetting(app::kAppName, app::kOptions, key, value);
    };
    const platform::DateTime now = ports_.process.Now();
    const int type = cmdTimeSet_->Value();
    save("Type", std::to_string(type));
    save("Hour", txtHour_->Text());
    save("Min", txtMin_->Text());
    save("AutoMaint", std::to_string(chkEnable_->Value()));
    save("LastRun", FormatLastRun(now));

    vars_.AMaintType = static_cast<std::int16_t>(type);
    if (const auto hour = Integer(txtHour_->Text())) {
        vars_.AMaintHour = *hour;
    }
    if (const auto minute = Integer(txtMin_->Text())) {
        vars_.AMaintMin = *minute;
    }
    vars_.AMaintOn = chkEnable_->Value() != platform::ui::kUnchecked;
    vars_.AMaintLastRun = now;
}

void FrmSchedule::chkEnable_Click() {
    const int state = chkEnable_->Value();
    ports_.settings.SaveSetting(app::kAppName, app::kOptions, "AutoSchedule",
                                std::to_string(state));
    if (state == platform::ui::kChecked) {
        frmSM_->SetEnabled(true);
        SaveAutoMaintData();
        RegisterLogonStart(ports_.registry, LogonCommandLine(ports_.process.ProgramFolder(),
                                                             ports_.process.ProgramName()));
    } else {
        frmSM_->SetEnabled(false);
        SaveAutoMaintData();
        UnregisterLogonStart(ports_.registry);
    }
}

void FrmSchedule::DigitsOnly(platform::ui::Control& box, platform::ui::Control& spin, int upper) {
    if (Updating) {
        return;
    }
    Updating = true;
    const std::string text = box.Text();
    std::string digits;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            digits += c;
        }
    }
    // Written back even when nothing was dropped; the caret stays where the user types.
    box.SetText(digits);
    // An empty box is out of range too; 24 hours become 0, not 23.
    const auto value = Integer(box.Text());
    if (!value || *value < 0 || *value > upper) {
        box.SetText("0");
    }
    FollowBox(spin, box, upper);
    Updating = false;
    SaveAutoMaintData();
}

void FrmSchedule::HS_Change() {
    if (!Updating) {
        // The box's change handler checks the text, moves the bar back and saves.
        txtHour_->SetText(std::to_string(HS_->Value()));
    }
}

void FrmSchedule::MS_Change() {
    if (!Updating) {
        txtMin_->SetText(std::to_string(MS_->Value()));
    }
}

}  // namespace keldra::schedule

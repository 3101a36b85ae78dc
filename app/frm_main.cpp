#include "app/frm_main.h"

#include <cctype>
#include <exception>
#include <string>

#include "app/mod_lang.h"
#include "app/start_switches.h"
#include "platform/captions.h"
#include "registry/remove.h"
#include "registry/scanreg_ini.h"
#include "schedule/due_time.h"

namespace keldra::app {

using platform::ui::ControlKind;
using platform::ui::Font;
using platform::ui::Pointer;
using platform::ui::Twips;

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

// Windows starts the program at logon with the word "auto" in its command line.
bool IsLogonStart(std::string_view commandLine) {
    std::string lower(commandLine);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower.find("auto") != std::string::npos;
}

// The interval of the start timer. A timer of interval 0 never ticks, but a start minute
// that has just begun is no passed one: that start follows at once.
std::uint32_t StartInterval(std::int32_t delayMilliseconds) {
    return delayMilliseconds > 0 ? static_cast<std::uint32_t>(delayMilliseconds) : 1u;
}

}  // namespace

long long Val(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    // Past every 32-bit number the value stops growing but the digits are still read, so
    // that a long number never wraps around into one a check box takes.
    constexpr long long kBeyond32Bits = 1'000'000'000'000LL;
    long long value = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) != 0) {
        if (value < kBeyond32Bits) {
            value = value * 10 + (text[i] - '0');
        }
        ++i;
    }
    return negative ? -value : value;
}

FrmMain::FrmMain(Program& program)
    : program_(program),
      ports_(program.ports),
      frmWelc_(program),
      pump_(program.ports.ui, program.ports.process, program.eventInterval),
      scan_({program.ports.registry, program.ports.files, [this] { pump_.Point(); },
             [this](std::string_view id) { return Text(id); }},
            program.ScanCancelled, program.problems),
      frmRegScanDetails_(
          program.ports.ui, [this](std::string_view id) { return Text(id); }, program.problems,
          AllEnd),
      SHD_(program.ports.files),
      system_({program.ports.volumes, program.ports.systemInfo, program.ports.process}),
      drives_(program.ports.volumes, system_),
      driveRows_(drives_),
      frmDiskScanDetails_(
          program.ports.ui, [this](std::string_view id) { return Text(id); }, program.junk, AllEnd),
      diskClean_({program.ports.files, program.ports.fileOps, program.ports.process, SHD_,
                  [this] { pump_.Point(); }, [this](std::string_view id) { return Text(id); },
                  [this](std::string_view text, std::string_view title) {
                      ports_.ui.ShowMessage(text, title);
                  },
                  [this](std::string_view text) { lblSchedStart_->SetText(text); },
                  [this] { frmDiskScanDetails_.Load(); }},
                 program.ScanCancelled, program.junk),
      frmSchedule_(program, [this](std::string_view id) { return Text(id); }),
      keep_(program.ports.settings) {
    frmSchedule_.AMaintCheck = [this] { AMaintCheck(); };
    // What the user unticks is kept in later passes too; ticking it again forgets it.
    frmRegScanDetails_.RowToggled = [this](const registry::Problem& row) {
        if (row.marked) {
            keep_.Forget(row);
        } else {
            keep_.Remember(row);
        }
    };
    frmDiskScanDetails_.RowToggled = [this](const disk::JunkFile& file) {
        if (file.Marked) {
            keep_.Forget(file);
        } else {
            keep_.Remember(file);
        }
    };
    ScanRegistry = [this] { scan_.FixRegistry(); };
    ShowRegistryResults = [this] { frmRegScanDetails_.Show(); };
    SearchJunk = [this] { diskClean_.SearchListedDrives(drives_); };
    DestroyJunk = [this] { diskClean_.DestroyJunk(); };
    ShowDiskResults = [this] { frmDiskScanDetails_.Show(); };
    Remove = [this] {
        registry::Remove(program_.problems, registry::RepairPorts{ports_.registry, ports_.textFiles,
                                                                  ports_.process, ports_.ui});
    };
}

FrmMain::~FrmMain() {
    drives_.onChanged = nullptr;
    // The window goes last; a fault while the process winds down shows no error box.
    Form_Terminate();
}

std::string FrmMain::Text(std::string_view id) const {
    return GetLangText(ports_, id);
}

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

void FrmMain::Start() {
    RunStartSwitch();
    Form_Initialize();
    CreateControls();
    Form_Load();
    window_->Show();
}

void FrmMain::RunStartSwitch() {
    // Neither switch opens a window, shows the tray icon or runs a pass, and neither minds
    // an instance that waits in the tray: undoing a repair touches no list of it.
    const StartSwitch start = StartSwitchOf(ports_.process.CommandLine());
    if (start == StartSwitch::None) {
        return;
    }
    const TextLookup text = [this](std::string_view id) { return Text(id); };
    if (start == StartSwitch::Usage) {
        ports_.ui.ShowMessage(UsageText(text), kAppName);
        ports_.process.EndNow(0);
    }
    const registry::RestoreOutcome outcome =
        registry::RestoreLatestRepair(ports_.registry, ports_.textFiles);
    ports_.ui.ShowMessage(RestoreText(outcome, text), kAppName);
    const bool complete =
        outcome.result == registry::RestoreOutcome::Result::Done && outcome.failed.empty();
    ports_.process.EndNow(complete ? 0 : 1);
}

void FrmMain::Form_Initialize() {
    ports_.ui.InitCommonControls();
}

void FrmMain::Form_Load() {
    TrayIC_ = std::make_unique<CTray>(ports_.tray);
    TrayIC_->SetTipText("Default Tool Tip");
    TrayIC_->LButtonUp = [this] { TrayIC_LButtonUp(); };
    const auto bounds = window_->Bounds();
    window_->MoveTo((ports_.ui.ScreenWidthTwips() - bounds.width) / 2,
                    (ports_.ui.ScreenHeightTwips() - bounds.height) / 2);
    window_->SetIcons("AAA", true);
    // The companion program starts on every start; its absence is no error.
    ports_.process.Start(ports_.process.ProgramFolder() + "\\Tolvan.exe",
                         platform::StartWindow::NormalFocus);
    Lang();
    if (IsLogonStart(ports_.process.CommandLine())) {
        StartAtLogon();
    }
    AMaintCheck();
}

void FrmMain::StartAtLogon() {
    // Nothing due today, or today's start minute passed: the program ends unseen.
    frmSchedule_.LoadAutoMaintData();
    const auto& schedule = program_.AMaint;
    const platform::DateTime now = ports_.process.Now();
    if (!schedule::IsDue(schedule, now)) {
        ports_.process.EndNow(0);
    }
    const auto delay = schedule::StartDelay(schedule, now);
    if (!delay || *delay < 0) {
        ports_.process.EndNow(0);
    }
    tmrAMaint_->SetInterval(StartInterval(*delay));
    ShowCountdown(now);
    cmdScnN_->SetVisible(true);
    tmrAMaint_->SetEnabled(true);
    tmrUpd_->SetEnabled(true);
    SchedWaiting = true;
    TrayIC_->ShowIcon();
}

std::string FrmMain::Countdown(const platform::DateTime& now) const {
    return schedule::CountdownText([this](std::string_view id) { return Text(id); },
                                   program_.AMaint, now);
}

void FrmMain::ShowCountdown(const platform::DateTime& now) {
    const std::string countdown = Countdown(now);
    lblSchedStart_->SetText(countdown);
    TrayIC_->SetTipText(countdown);
}

void FrmMain::SetRowClickable(int row, bool clickable) {
    for (auto* label :
         {lblStatus_[static_cast<std::size_t>(row)], lblProc_[static_cast<std::size_t>(row)]}) {
        label->SetEnabled(clickable);
        label->SetPointer(clickable ? Pointer::Custom : Pointer::Default);
    }
}

void FrmMain::AMaintCheck() {
    // The closing sequence unloads the scheduler window, whose unload runs this check: it
    // must not bring back the tray icon that "Cancel" removed, nor run events while the
    // program ends.
    if (AllEnd) {
        return;
    }
    frmSchedule_.LoadAutoMaintData();
    const auto& schedule = program_.AMaint;
    const platform::DateTime now = ports_.process.Now();
    if (!schedule::IsDue(schedule, now)) {
        const bool wasWaiting = SchedWaiting;
        tmrUpd_->SetEnabled(false);
        tmrAMaint_->SetEnabled(false);
        ScheduledRun = false;
        SchedWaiting = false;
        program_.ScanCancelled = false;
        lblSchedStart_->SetText("");
        cmdScnN_->SetVisible(false);
        if (wasWaiting) {
            TrayIC_->SetTipText(Text("OSM_KLT"));  // no countdown left to show
        }
        ports_.ui.DoEvents();
        return;
    }
    const auto delay = schedule::StartDelay(schedule, now);
    if (!delay || *delay < 0) {
        return;  // today's start has passed: whatever is armed stays armed
    }
    StopScanProc();
    tmrAMaint_->SetEnabled(false);
    tmrAMaint_->SetInterval(StartInterval(*delay));
    cmdScnN_->SetVisible(true);
    ShowCountdown(now);
    tmrAMaint_->SetEnabled(true);
    tmrUpd_->SetEnabled(true);
    SchedWaiting = true;
    TrayIC_->ShowIcon();
}

void FrmMain::tmrAMaint_Timer() {
    ScheduledRun = true;
    // Grayed while the scheduled pass runs; its click handler stores nothing yet, as a
    // start is still armed.
    chkAutoFix_->SetEnabled(false);
    chkAutoFix_->SetValue(platform::ui::kGrayed);
    SchedWaiting = false;
    frmSchedule_.SaveAutoMaintData();  // the last run is now
    tmrAMaint_->SetEnabled(false);
    tmrUpd_->SetEnabled(false);
    lblSchedStart_->SetText("");
    program_.ScanCancelled = false;
    RunStarted = false;
    cmdScnN_->SetVisible(false);
    Form_Activate();
}

void FrmMain::cmdScnN_Click() {
    tmrAMaint_Timer();
    cmdScnN_->SetVisible(false);
}

void FrmMain::tmrUpd_Timer() {
    ShowCountdown(ports_.process.Now());
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

void FrmMain::Form_Activate() {
    auto& ui = ports_.ui;
    if (ports_.process.PreviousInstance()) {
        ui.ShowMessage(Text("OSM_PrevInst"), kAppName);
        ports_.process.EndNow(0);
    }
    if (RunStarted) {
        return;
    }
    ui.DoEvents();
    TrayIC_->ShowIcon();
    if (SchedWaiting) {
        // The program waits in the tray from the start. A window the user brings back
        // meanwhile stays, with "Scan Now", the countdown and "Cancel" in reach.
        if (!activatedOnce_) {
            window_->Hide();
        }
        activatedOnce_ = true;
        return;
    }
    activatedOnce_ = true;
    RunStarted = true;

    frmWelc_.Load();
    const long long welcome =
        Val(ports_.settings.GetSetting(kAppName, kOptions, "WelcScreen", "0"));
    if (welcome >= 0 && welcome <= 2) {
        frmWelc_.chkNotShow().SetValue(static_cast<int>(welcome));
    }
    if (frmWelc_.chkNotShow().Value() == 0) {
        frmWelc_.chkNotShow().SetValue(1);
        ports_.settings.SaveSetting(kAppName, kOptions, "WelcScreen",
                                    std::to_string(frmWelc_.chkNotShow().Value()));
        frmWelc_.ShowModal();
    }

    window_->Hide();
    TrayIC_->SetTipText(Text("OSM_KLT"));
    lblSchedStart_->SetText("");
    const long long autoFix = Val(ports_.settings.GetSetting(kAppName, kOptions, "AutoFix", "1"));
    if (autoFix >= 0 && autoFix <= 2) {
        chkAutoFix_->SetValue(static_cast<int>(autoFix));
    }
    if (Anim_->Open(ports_.process.ProgramFolder() + "\\cpuscan.avi")) {
        Anim_->Play();
    }
    ui.DoEvents();
    RunMaintenance();
    ui.DoEvents();
    Anim_->Stop();
    // The scheduler armed a start during the pass, which stopped it and emptied the lists:
    // the program now waits for that start, and there is nothing to fix.
    if (SchedWaiting) {
        return;
    }
    if (chkAutoFix_->Value() == platform::ui::kChecked || ScheduledRun) {
        FixProblems();
    }
    cmdCorrectProblems_->SetEnabled(true);
}

void FrmMain::Form_Resize() {
    if (window_->State() == platform::ui::WindowState::Minimized) {
        window_->Hide();
    }
}

void FrmMain::UnloadOthers() {
    frmRegScanDetails_.Unload();
    frmDiskScanDetails_.Unload();
    frmWelc_.Unload();
    frmSchedule_.Unload();
}

void FrmMain::Form_Unload(int& cancel) {
    cancel = 0;
    StopScanProc();
    AllEnd = true;
    tmrUpd_->SetEnabled(false);
    tmrAMaint_->SetEnabled(false);
    UnloadOthers();
    ports_.process.EndNow(0);
}

void FrmMain::Form_Terminate() {
    ports_.process.SetExitErrorMode();
}

void FrmMain::cmdScheduler_Click() {
    frmSchedule_.Show();
}

void FrmMain::MoveAnimDown() {
    auto position = Anim_->Position();
    position.top += kRowStep;
    Anim_->Move(position);
}

void FrmMain::RunMaintenance() {
    const bool& cancelled = program_.ScanCancelled;
    OptimizeMemory();
    if (cancelled) {
        return;
    }
    Wait(2);
    if (cancelled) {
        return;
    }
    lblStatus_[0]->SetVisible(true);
    MoveAnimDown();

    FixRegistry();
    if (cancelled) {
        return;
    }
    Wait(2);
    if (cancelled) {
        return;
    }
    const std::size_t problems = program_.problems.Count();
    if (problems > 0) {
        lblStatus_[1]->SetText(std::to_string(problems) + Text("OCM_PStat"));
        SetRowClickable(1, true);
    } else {
        lblStatus_[1]->SetForeColor(kGreen);
        lblStatus_[1]->SetText(Text("OCM_DoneNP"));
    }
    lblStatus_[1]->SetVisible(true);
    MoveAnimDown();

    OptimizeRegistry();
    if (cancelled) {
        return;
    }
    Wait(2);
    if (cancelled) {
        return;
    }
    lblStatus_[2]->SetVisible(true);
    MoveAnimDown();

    lblSchedStart_->SetVisible(true);
    if (cancelled) {
        return;
    }
    CleanDisk();
    if (cancelled) {
        return;
    }
    lblSchedStart_->SetText("");
    const auto& junk = program_.junk;
    if (junk.JunkCount > 0) {
        lblStatus_[3]->SetText(std::to_string(junk.JunkBytes / (1024 * 1024)) + Text("OCM_MStat"));
        SetRowClickable(3, true);
    } else {
        lblStatus_[3]->SetForeColor(kGreen);
        lblStatus_[3]->SetText(Text("OCM_DoneNS"));
    }
    lblStatus_[3]->SetVisible(true);
}

void FrmMain::Wait(std::int32_t timeToWaitSeconds) {
    // Elapsed time, not an end tick, so the counter's wrap-around changes nothing; and the
    // wait sleeps until an event comes instead of spinning.
    auto& process = ports_.process;
    const std::uint32_t start = process.TickCount();
    const auto total = static_cast<std::uint32_t>(timeToWaitSeconds) * 1000u;
    for (;;) {
        const std::uint32_t elapsed = process.TickCount() - start;
        if (timeToWaitSeconds <= 0 || elapsed >= total) {
            return;
        }
        ports_.ui.WaitForEvent(total - elapsed);
        ports_.ui.DoEvents();
    }
}

void FrmMain::OptimizeMemory() {
    const std::string path = ports_.process.ProgramFolder() + "\\freemem.exe";
    for (int i = 0; i < 3; ++i) {
        ports_.process.Start(path, platform::StartWindow::Hidden);
    }
}

void FrmMain::FixRegistry() {
    ports_.ui.DoEvents();
    if (ScanRegistry) {
        ScanRegistry();
    }
    // Listed all the same, but unticked: no fixing removes what the user keeps.
    keep_.Load();
    if (keep_.Apply(program_.problems) && program_.problems.onChanged) {
        program_.problems.onChanged();  // an open window shows the boxes as they are now
    }
    ports_.ui.DoEvents();
}

void FrmMain::OptimizeRegistry() {
    registry::ScanregINI ini(ports_.files, ports_.textFiles,
                             [this](Pointer pointer) { ports_.ui.SetScreenPointer(pointer); });
    ini.ReadINI();
    ini.SetOptimize();
    ini.WriteINI();
}

void FrmMain::CleanDisk() {
    drives_.FillDrives();
    program_.junk.Clear();
    if (SearchJunk) {
        SearchJunk();
    }
    if (keep_.Apply(program_.junk) && program_.junk.onChanged) {
        program_.junk.onChanged();
    }
}

void FrmMain::FixProblems() {
    // A failure that escapes the removal leaves the program running, so that the user
    // still sees the results; ending the process passes through.
    try {
        if (DestroyJunk) {
            DestroyJunk();
        }
        if (Remove) {
            Remove();
        }
    } catch (const std::exception&) {
        return;
    }
    ports_.process.EndNow(0);
}

void FrmMain::StopScanProc() {
    program_.ScanCancelled = true;
    Anim_->Stop();
    auto position = Anim_->Position();
    position.top = kAnimTop;
    Anim_->Move(position);
    program_.junk.Clear();
    program_.problems.Clear();
    drives_.Clear();
    for (auto* status : lblStatus_) {
        status->SetVisible(false);
    }
    SetRowClickable(1, false);
    SetRowClickable(3, false);
    cmdCorrectProblems_->SetEnabled(false);
}

void FrmMain::cmdCancel_Click() {
    TrayIC_->DeleteIcon();
    AllEnd = true;
    tmrUpd_->SetEnabled(false);
    tmrAMaint_->SetEnabled(false);
    UnloadOthers();
    window_->Unload();
}

void FrmMain::chkAutoFix_Click() {
    if (!SchedWaiting) {
        ports_.settings.SaveSetting(kAppName, kOptions, "AutoFix",
                                    std::to_string(chkAutoFix_->Value()));
    }
}

void FrmMain::RowClick(int index) {
    if (index == 1 && ShowRegistryResults) {
        ShowRegistryResults();
    } else if (index == 3 && ShowDiskResults) {
        ShowDiskResults();
    }
}

void FrmMain::TrayIC_LButtonUp() {
    // Brought back by the user: even a click that comes before the window's first
    // activation keeps a waiting window shown.
    activatedOnce_ = true;
    window_->SetState(platform::ui::WindowState::Normal);
    window_->Show();
}

}  // namespace keldra::app

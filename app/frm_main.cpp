#include "app/frm_main.h"

#include <cctype>
#include <exception>
#include <string>

#include "app/mod_lang.h"
#include "app/start_switches.h"
#include "registry/remove.h"
#include "registry/scanreg_ini.h"
#include "schedule/due_time.h"

namespace keldra::app {

using platform::ui::Pointer;

namespace {

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

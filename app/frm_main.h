#pragma once
// The main window: start-up, the four stage rows, the run sequencer, fixing, cancelling
// and closing. It lives for the whole process.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/c_tray.h"
#include "app/frm_welc.h"
#include "app/keep_list.h"
#include "app/program.h"
#include "disk/drive_list.h"
#include "disk/frm_disk_scan_details.h"
#include "disk/mod_disk_clean.h"
#include "platform/event_pump.h"
#include "registry/frm_reg_scan_details.h"
#include "registry/registry_scan.h"
#include "schedule/frm_schedule.h"
#include "sysinfo/system.h"
#include "sysinfo/user_control1.h"

namespace keldra::app {

class FrmMain {
  public:
    explicit FrmMain(Program& program);
    ~FrmMain();
    FrmMain(const FrmMain&) = delete;
    FrmMain& operator=(const FrmMain&) = delete;

    // Start-up as the platform runs it: initialise, load (may end the process), show. A
    // command line with a switch of its own does what it asks and ends the process first.
    void Start();

    // Handlers and procedures.
    void Form_Initialize();
    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    void Form_Unload(int& cancel);
    void Form_Terminate();
    void Lang();
    void RunMaintenance();
    void Wait(std::int32_t timeToWaitSeconds);
    void OptimizeMemory();
    void FixRegistry();
    void OptimizeRegistry();
    void CleanDisk();
    void FixProblems();
    void StopScanProc();
    void cmdCancel_Click();
    void cmdCorrectProblems_Click() { FixProblems(); }
    void cmdScheduler_Click();
    // The scheduled start: arms it when a pass is due later today, disarms it when none
    // is due; what runs it, the button that runs it at once, and the countdown.
    void AMaintCheck();
    void tmrAMaint_Timer();
    void cmdScnN_Click();
    void tmrUpd_Timer();
    void chkAutoFix_Click();
    void RowClick(int index);
    void TrayIC_LButtonUp();

    // Form variables.
    bool AllEnd = false;
    bool SchedWaiting = false;
    bool RunStarted = false;
    bool ScheduledRun = false;

    platform::ui::Window& Window() { return *window_; }
    CTray& TrayIC() { return *TrayIC_; }
    FrmWelc& frmWelc() { return frmWelc_; }
    schedule::FrmSchedule& frmSchedule() { return frmSchedule_; }
    platform::ui::Control& lblProc(int i) { return *lblProc_[static_cast<std::size_t>(i)]; }
    platform::ui::Control& lblStatus(int i) { return *lblStatus_[static_cast<std::size_t>(i)]; }
    platform::ui::Control& Anim() { return *Anim_; }

    registry::RegistryScan& Scan() { return scan_; }
    registry::FrmRegScanDetails& frmRegScanDetails() { return frmRegScanDetails_; }
    disk::ModDiskClean& DiskClean() { return diskClean_; }
    disk::DriveList& Drives() { return drives_; }
    disk::FrmDiskScanDetails& frmDiskScanDetails() { return frmDiskScanDetails_; }
    KeepList& Keep() { return keep_; }
    const sysinfo::UserControl1& SHD() const { return SHD_; }
    platform::ui::ListView& lvwDiscos() { return *lvwDiscos_; }

    // Where rows 1 and 3 lead: the registry and the disk results windows.
    std::function<void()> ShowRegistryResults;
    std::function<void()> ShowDiskResults;
    // The stages' work: the scan of the registry locations, the registry repair, the junk
    // search of the listed drives and junk removal (the real modules unless a test puts
    // something else here).
    std::function<void()> ScanRegistry;
    std::function<void()> SearchJunk;
    std::function<void()> DestroyJunk;
    std::function<void()> Remove;

    static constexpr platform::ui::Color kGreen = platform::ui::Rgb(0, 192, 0);
    static constexpr platform::ui::Color kRed = platform::ui::Rgb(255, 0, 0);
    static constexpr int kAnimTop = 1590;
    static constexpr int kRowStep = 900;

  private:
    // "-?" and "-restore": show their message and end the process; nothing otherwise.
    void RunStartSwitch();
    void CreateControls();
    std::string Text(std::string_view id) const;
    void MoveAnimDown();
    void UnloadOthers();
    void StartAtLogon();
    std::string Countdown(const platform::DateTime& now) const;
    // The countdown in the label and, while a start waits, in the tray tooltip.
    void ShowCountdown(const platform::DateTime& now);
    // Rows 1 and 3 open their results window only while enabled, and only then show the
    // hand pointer.
    void SetRowClickable(int row, bool clickable);

    Program& program_;
    const Ports& ports_;
    std::unique_ptr<platform::ui::Window> window_;
    std::unique_ptr<CTray> TrayIC_;
    FrmWelc frmWelc_;
    platform::EventPump pump_;
    registry::RegistryScan scan_;
    registry::FrmRegScanDetails frmRegScanDetails_;
    sysinfo::UserControl1 SHD_;
    sysinfo::System system_;
    disk::DriveList drives_;
    disk::DriveRows driveRows_;
    disk::FrmDiskScanDetails frmDiskScanDetails_;
    disk::ModDiskClean diskClean_;
    platform::ui::ListView* lvwDiscos_ = nullptr;
    schedule::FrmSchedule frmSchedule_;
    KeepList keep_;
    std::array<platform::ui::Control*, 4> lblProc_{};
    std::array<platform::ui::Control*, 4> lblDesc_{};
    std::array<platform::ui::Control*, 4> lblStatus_{};
    platform::ui::Control* Anim_ = nullptr;
    platform::ui::Control* chkAutoFix_ = nullptr;
    platform::ui::Control* lblSchedStart_ = nullptr;
    platform::ui::Control* cmdScnN_ = nullptr;
    platform::ui::Control* cmdCancel_ = nullptr;
    platform::ui::Control* cmdScheduler_ = nullptr;
    platform::ui::Control* cmdCorrectProblems_ = nullptr;
    platform::ui::Timer* tmrUpd_ = nullptr;
    platform::ui::Timer* tmrAMaint_ = nullptr;
    // The first activation has happened. A waiting start hides the window only then: a
    // window the user brings back from the tray stays shown.
    bool activatedOnce_ = false;
};

// The number at the start of a text, as a setting holds it; 0 when there is none. Digits
// beyond the 32-bit range are not wrapped around: the result then lies outside it.
long long Val(std::string_view text);

}  // namespace keldra::app

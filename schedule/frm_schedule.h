#pragma once
// The scheduler window: switches scheduled maintenance on and off and sets how often and
// at which hour and minute it runs. It also owns the stored schedule: LoadAutoMaintData
// and SaveAutoMaintData move it between the settings store, the window's controls and the
// program-wide values, and load the window hidden when it is not loaded yet.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/program.h"

namespace keldra::schedule {

class FrmSchedule {
  public:
    using TextLookup = std::function<std::string(std::string_view)>;

    // `GetLangText` gives the text for a caption identifier.
    FrmSchedule(app::Program& program, TextLookup GetLangText);
    FrmSchedule(const FrmSchedule&) = delete;
    FrmSchedule& operator=(const FrmSchedule&) = delete;

    // The main window's due-time check; the window runs it whenever it unloads.
    std::function<void()> AMaintCheck;

    void LoadAutoMaintData();
    // Stores the controls' state with the present time as the last run.
    void SaveAutoMaintData();

    // Creates the window and runs Form_Load, unless it is loaded.
    void Load();
    // Loads the window if needed and shows it modeless.
    void Show();
    void Unload();
    bool Loaded() const { return window_ != nullptr && window_->Loaded(); }
    platform::ui::Window& Window() { return *window_; }

    // Handlers.
    void Form_Load();
    void Form_Unload(int& cancel);
    void chkEnable_Click();
    void cmdTimeSet_Click() { SaveAutoMaintData(); }
    void cmdTimeSet_Change() { SaveAutoMaintData(); }
    void txtHour_Change() { DigitsOnly(*txtHour_, *HS_, 23); }
    void txtMin_Change() { DigitsOnly(*txtMin_, *MS_, 59); }
    void HS_Change();
    void MS_Change();

    // Keeps the window's own writes to its controls from re-entering their handlers.
    bool Updating = false;

  private:
    void CreateControls();
    std::string Setting(std::string_view key, std::string_view defaultText) const;
    void DigitsOnly(platform::ui::Control& box, platform::ui::Control& spin, int upper);

    const app::Ports& ports_;
    modAMaintvars& vars_;
    TextLookup GetLangText_;
    std::unique_ptr<platform::ui::Window> window_;
    platform::ui::Control* Label1_ = nullptr;
    platform::ui::Control* chkEnable_ = nullptr;
    platform::ui::Control* frmSM_ = nullptr;
    platform::ui::Control* Label2_ = nullptr;
    platform::ui::Control* cmdTimeSet_ = nullptr;
    platform::ui::Control* Label3_ = nullptr;
    platform::ui::Control* txtHour_ = nullptr;
    platform::ui::Control* HS_ = nullptr;
    platform::ui::Control* Label4_ = nullptr;
    platform::ui::Control* txtMin_ = nullptr;
    platform::ui::Control* MS_ = nullptr;
    platform::ui::Control* Label5_ = nullptr;
};

}  // namespace keldra::schedule

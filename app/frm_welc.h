#pragma once
// The welcome window: explains once what the program does in the background.

#include <memory>

#include "app/program.h"

namespace keldra::app {

class FrmWelc {
  public:
    explicit FrmWelc(Program& program) : program_(program) {}

    // Creates the window with its controls and runs Form_Load.
    void Load();
    bool Loaded() const { return window_ != nullptr && window_->Loaded(); }
    platform::ui::Window& Window() { return *window_; }
    platform::ui::Control& chkNotShow() { return *chkNotShow_; }
    void ShowModal() { window_->ShowModal(); }
    void Unload();

  private:
    void Form_Load();
    void chkNotShow_Click();

    Program& program_;
    std::unique_ptr<platform::ui::Window> window_;
    platform::ui::Control* Label1_ = nullptr;
    platform::ui::Control* Label2_ = nullptr;
    platform::ui::Control* chkNotShow_ = nullptr;
};

}  // namespace keldra::app

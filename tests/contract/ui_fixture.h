#pragma once
// The fixture of the window-port contract: one shown test window on the backend of the
// case, the simulated machine or the real one under Wine.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "contract/ui_backend.h"
#include "tests/contract/digits_only.h"

namespace keldra::testing {

namespace ui = platform::ui;
using ui::ControlKind;

class UiFixture : public ::testing::TestWithParam<UiBackendFactory> {
  protected:
    void SetUp() override {
        backend_ = GetParam().make();
        if (!backend_->Available()) {
            GTEST_SKIP() << "no DISPLAY: run under scripts/with-sandbox.sh --display";
        }
        window_ = NewWindow("frmTest");
        window_->SetClientSize(9000, 6000);
        window_->Show();
        backend_->Settle();
    }

    std::unique_ptr<ui::Window> NewWindow(std::string_view name) {
        return backend_->Port().NewWindow(name, ui::Font{});
    }
    ui::Control& Add(ControlKind kind, std::string_view name, const ui::Twips& position,
                     std::string_view text = "") {
        return window_->AddControl(kind, name, position, text, ui::Font{});
    }
    ui::Control& AddIn(ui::Control& frame, ControlKind kind, std::string_view name,
                       const ui::Twips& position) {
        return window_->AddControlIn(frame, kind, name, position, "", ui::Font{});
    }
    UiBackend& user() { return *backend_; }

    std::unique_ptr<UiBackend> backend_;
    std::unique_ptr<ui::Window> window_;
};

}  // namespace keldra::testing

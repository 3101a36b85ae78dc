#include "contract/ui_backend.h"
#include "platform/sim/sim_machine.h"

namespace keldra::testing {
namespace {

namespace ui = platform::ui;
using platform::sim::SimControl;
using platform::sim::SimKey;
using platform::sim::SimListView;
using platform::sim::SimWindow;

class SimUiBackend final : public UiBackend {
  public:
    ui::UiPort& Port() override { return sim_.ui; }

    void Click(ui::Control& control) override { Sim(control).Click(); }
    void Type(ui::Control& box, std::string_view chars) override { Sim(box).Type(chars); }
    void SpinUp(ui::Control& spin) override { Sim(spin).SpinUp(); }
    void SpinDown(ui::Control& spin) override { Sim(spin).SpinDown(); }
    void Choose(ui::Control& list, int index) override { Sim(list).Choose(index); }
    void CloseBox(ui::Window& window) override { Sim(window).Close(); }
    void Press(ui::Window& window, UserKey key) override {
        switch (key) {
            case UserKey::Tab:
                Sim(window).Press(SimKey::Tab);
                break;
            case UserKey::ShiftTab:
                Sim(window).Press(SimKey::ShiftTab);
                break;
            case UserKey::Enter:
                Sim(window).Press(SimKey::Enter);
                break;
            case UserKey::Space:
                Sim(window).Press(SimKey::Space);
                break;
            case UserKey::Escape:
                Sim(window).Press(SimKey::Escape);
                break;
        }
        sim_.ui.DoEvents();
    }
    bool HasFocus(ui::Window& window, ui::Control& control) override {
        return Sim(window).FocusedName() == Sim(control).Name();
    }
    std::string ShownCell(ui::ListView& list, std::size_t row, std::size_t column) override {
        return static_cast<SimListView&>(list).ShownCell(row, column);
    }

    void Settle() override { sim_.ui.DoEvents(); }
    void Let(std::uint32_t milliseconds) override {
        const std::uint32_t end = sim_.clock.Ticks() + milliseconds;
        while (static_cast<std::int32_t>(end - sim_.clock.Ticks()) > 0) {
            sim_.ui.WaitForEvent(end - sim_.clock.Ticks());
            sim_.ui.DoEvents();
        }
    }

  private:
    static SimControl& Sim(ui::Control& control) { return static_cast<SimControl&>(control); }
    static SimWindow& Sim(ui::Window& window) { return static_cast<SimWindow&>(window); }

    platform::sim::SimPlatform sim_;
};

}  // namespace

std::unique_ptr<UiBackend> MakeSimUiBackend() {
    return std::make_unique<SimUiBackend>();
}

}  // namespace keldra::testing

#include "contract/registry_backend.h"
#include "platform/sim/sim_registry.h"

namespace keldra::testing {
namespace {

class SimBackend final : public RegistryBackend {
  public:
    platform::RegistryPort& Port() override { return reg_; }
    bool DeleteTree(platform::RegKey root, std::string_view path) override {
        return reg_.DeleteTree(root, path);
    }
    bool Deny(platform::RegKey root, std::string_view path, bool read, bool write) override {
        return reg_.DenyAccess(root, path, read, write);
    }
    std::size_t OpenHandleCount() const override { return reg_.OpenHandleCount(); }

  private:
    platform::sim::SimRegistry reg_;
};

}  // namespace

std::unique_ptr<RegistryBackend> MakeSimRegistryBackend() {
    return std::make_unique<SimBackend>();
}

}  // namespace keldra::testing

#include "contract/registry_backend.h"
#include "platform/sim/sim_registry.h"

#include <string>

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
    bool CreateLink(platform::RegKey root, std::string_view path, platform::RegKey targetRoot,
                    std::string_view targetPath) override {
        std::string target;
        if (targetRoot == platform::reg_root::kCurrentUser) {
            target =
                "\\Registry\\User\\" + std::string(platform::sim::SimRegistry::kCurrentUserSid);
        } else if (targetRoot == platform::reg_root::kLocalMachine) {
            target = "\\Registry\\Machine";
        } else {
            return false;
        }
        return reg_.CreateLink(root, path, target + "\\" + std::string(targetPath));
    }
    bool DeleteLink(platform::RegKey root, std::string_view path) override {
        return reg_.DeleteTree(root, path);  // removes the link node, never what it leads to
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

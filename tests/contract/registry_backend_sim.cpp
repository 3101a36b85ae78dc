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
    bool MakeKeyNamedWithNul(platform::RegKey root, std::string_view parent,
                             std::string_view name) override {
        platform::RegKey key = 0;
        const bool made =
            reg_.CreateKey(root, std::string(parent) + "\\" + std::string(name), key) == 0;
        reg_.CloseKey(key);
        return made;
    }
    bool DeleteKeyNamedWithNul(platform::RegKey root, std::string_view parent,
                               std::string_view name) override {
        return reg_.DeleteTree(root, std::string(parent) + "\\" + std::string(name));
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

#pragma once
// The settings store where such programs keep per-user settings, so existing users'
// settings carry over: HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<app>\<section>,
// one REG_SZ value per key.

#include "platform/registry_port.h"
#include "platform/settings_port.h"

namespace keldra::platform {

class RegistrySettings final : public SettingsPort {
  public:
    explicit RegistrySettings(RegistryPort& reg) : reg_(reg) {}
    std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                           std::string_view defaultText) override;
    bool SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                     std::string_view value) override;

    static std::string KeyPath(std::string_view app, std::string_view section);

  private:
    RegistryPort& reg_;
};

}  // namespace keldra::platform

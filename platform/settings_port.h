#pragma once
// Per-user string settings by application, section and key.

#include <string>
#include <string_view>

namespace keldra::platform {

class SettingsPort {
  public:
    virtual ~SettingsPort() = default;
    virtual std::string GetSetting(std::string_view app, std::string_view section,
                                   std::string_view key, std::string_view defaultText) = 0;
    // False when the store could not be written.
    virtual bool SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                             std::string_view value) = 0;
};

}  // namespace keldra::platform

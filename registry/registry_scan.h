#pragma once
// The registry stage: the eight scan locations, the walk that each location runs, and the
// value and key tests that turn dead references into rows of the problem list.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system_port.h"
#include "platform/registry_port.h"
#include "registry/problem_list.h"
#include "registry/reference_checks.h"

namespace keldra::registry {

struct ScanLocation {
    std::string key;
    std::string name;
    std::string description;
    bool checked = false;
};

// Where the check marks of the locations are kept; nothing here writes them.
inline constexpr std::string_view kLocStatePath = "Software\\Ormund Tools\\Regwarden\\Regwarden";
inline constexpr std::string_view kLocStateName = "LocState";
inline constexpr std::string_view kLocStateDefault = "1;1;1;1;1;1;1;1";

class RegistryScan {
  public:
    struct Services {
        platform::RegistryPort& registry;
        platform::FileSystemPort& files;
        // Lets pending window events run (an event point of the walks).
        std::function<void()> events;
        // The caption lookup, for the reason texts.
        std::function<std::string(std::string_view)> text;
    };

    RegistryScan(Services services, const bool& scanCancelled, ProblemList& problems);

    // The registry stage: every location, in list order, whatever its check mark.
    void FixRegistry();
    // Forgets what one scan remembers (existence answers, drives, reason texts).
    void Forget();
    void LoadLocations();
    void ScanKey(std::string_view skey);

    void ScanRegKey(platform::RegKey root, std::string path);
    void ScanSharedDlls(platform::RegKey root, std::string path);
    void ScanFontKey(platform::RegKey root, std::string path);
    void ScanFileTypes(platform::RegKey root, std::string path);
    void ScanAssocKey(platform::RegKey root, std::string path);
    void ScanComKey(platform::RegKey root, std::string path);

    void AddtoList(platform::RegKey sRootKey, std::string_view sKeyLocation,
                   std::string_view sKeyName, std::string_view sKeyValue, std::int32_t vType,
                   int reasonSlot);

    const std::vector<ScanLocation>& Locations() const { return locations_; }
    // The three texts the locations were loaded from (names, descriptions, states).
    const std::string& LocationNames() const { return names_; }
    const std::string& LocationDescriptions() const { return descriptions_; }
    const std::string& LocationStates() const { return states_; }
    ReferenceChecks& Checks() { return checks_; }

  private:
    struct WalkStyle;
    class WalkDepth;
    using ValueTest = void (RegistryScan::*)(platform::RegKey root, const std::string& path,
                                             std::string& name, const std::string& data,
                                             std::uint32_t type);
    void Walk(const WalkStyle& style, platform::RegKey root, std::string path);
    void Events() const;

    void TestFileReference(platform::RegKey root, const std::string& path, std::string& name,
                           const std::string& data, std::uint32_t type);
    void TestSharedDll(platform::RegKey root, const std::string& path, std::string& name,
                       const std::string& data, std::uint32_t type);
    void TestFont(platform::RegKey root, const std::string& path, std::string& name,
                  const std::string& data, std::uint32_t type);
    void TestComValue(platform::RegKey root, const std::string& path, std::string& name,
                      const std::string& data, std::uint32_t type);
    bool ClassRegistered(const std::string& path);

    Services services_;
    const bool& cancelled_;
    ProblemList& problems_;
    ReferenceChecks checks_;
    std::vector<ScanLocation> locations_;
    std::string names_;
    std::string descriptions_;
    std::string states_;
    int depth_ = 0;      // walks on the stack (WalkDepth)
    std::string fonts_;  // the fonts folder, read again at each key level of a font walk
    // Read once per scan: asking the platform for every problem costs more than the walk.
    std::optional<std::vector<platform::DriveEntry>> drives_;
    std::array<std::optional<std::string>, reason::kSlots> reasons_;
};

// The class-key test: paths that belong to the class registrations, which only the COM
// and file-type locations examine.
bool IsClassKeyPath(std::string_view path);

}  // namespace keldra::registry

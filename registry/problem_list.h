#pragma once
// The registry problems a scan found, in the order found; the registry results window
// shows them and the repair works through them.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system_port.h"
#include "platform/registry_port.h"

namespace keldra::registry {

struct Problem {
    std::string location;  // root name, a backslash, the key path
    std::string valueName;
    std::string valueData;
    std::string reason;
    std::string type;  // the value type as signed decimal text
    std::string attributes;
    std::uint32_t root = 0;
    // Ticked in the results window: the repair removes only ticked rows.
    bool marked = true;
};

// Which check found a problem; the numbers are those of the reason texts.
namespace reason {
inline constexpr int kMissingFile = 0;
inline constexpr int kEmptyTypeLibKey = 1;
inline constexpr int kTypeLibNotRegistered = 2;
inline constexpr int kEmptyClsid = 3;
inline constexpr int kClassNotRegistered = 4;
inline constexpr int kEmptyProgId = 5;
inline constexpr int kProgIdNotRegistered = 6;
inline constexpr int kEmptyInprocServer32 = 7;
inline constexpr int kEmptyInprocServer = 8;
inline constexpr int kSharedDllMissing = 10;
inline constexpr int kFontMissing = 11;
inline constexpr int kEmptyAssociation = 12;
inline constexpr int kSlots = 13;
}  // namespace reason

class ProblemList {
  public:
    std::vector<Problem> rows;

    std::size_t Count() const { return rows.size(); }
    void Append(Problem problem) {
        rows.push_back(std::move(problem));
        Changed();
    }
    void RemoveAt(std::size_t index) {
        rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(index));
        Changed();
    }
    void Clear() {
        rows.clear();
        Changed();
    }
    // Whoever shows the list hears of every change here.
    std::function<void()> onChanged;

  private:
    void Changed() const {
        if (onChanged) {
            onChanged();
        }
    }
};

// The name of a predefined root key; empty for any other handle.
std::string HkeyText(platform::RegKey sRootKey);

// The drive root that a text begins with ("C:\"), as the shell's path functions strip it;
// empty when the text does not begin with a drive letter, a colon and a backslash.
std::string DriveRootOf(std::string_view text);

// The type of the drive with root `root` ("E:\", either letter case); 0 when none.
int DriveTypeOf(platform::FileSystemPort& files, std::string_view root);
// The same, from a drive list already read.
int DriveTypeOf(const std::vector<platform::DriveEntry>& drives, std::string_view root);

}  // namespace keldra::registry

#pragma once
// The registry primitives the program needs, with the handles, type codes and status codes
// exactly as Windows gives them, so the logic above behaves the same on the real registry
// and on the simulated one.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace keldra::platform {

// An open key: a predefined root, or a handle the port returned. 0 means no key.
using RegKey = std::uint32_t;
// A Windows status code (LONG): 0 on success.
using RegStatus = std::int32_t;

namespace reg_root {
inline constexpr RegKey kClassesRoot = 0x80000000;
inline constexpr RegKey kCurrentUser = 0x80000001;
inline constexpr RegKey kLocalMachine = 0x80000002;
inline constexpr RegKey kUsers = 0x80000003;
inline constexpr RegKey kPerformanceData = 0x80000004;
inline constexpr RegKey kCurrentConfig = 0x80000005;
inline constexpr RegKey kDynData = 0x80000006;
}  // namespace reg_root

inline constexpr bool IsPredefinedRoot(RegKey key) {
    return key >= reg_root::kClassesRoot && key <= reg_root::kDynData;
}

namespace reg_type {
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kSz = 1;
inline constexpr std::uint32_t kExpandSz = 2;
inline constexpr std::uint32_t kBinary = 3;
inline constexpr std::uint32_t kDword = 4;
inline constexpr std::uint32_t kDwordBigEndian = 5;
inline constexpr std::uint32_t kLink = 6;
inline constexpr std::uint32_t kMultiSz = 7;
inline constexpr std::uint32_t kQword = 11;
}  // namespace reg_type

namespace reg_status {
inline constexpr RegStatus kSuccess = 0;
inline constexpr RegStatus kFileNotFound = 2;
inline constexpr RegStatus kAccessDenied = 5;
inline constexpr RegStatus kInvalidHandle = 6;
inline constexpr RegStatus kInvalidParameter = 87;
inline constexpr RegStatus kBadPathname = 161;
inline constexpr RegStatus kMoreData = 234;
inline constexpr RegStatus kNoMoreItems = 259;
inline constexpr RegStatus kBadKey = 1010;
}  // namespace reg_status

// Access rights of a key handle.
namespace reg_access {
inline constexpr std::uint32_t kQueryValue = 0x0001;
inline constexpr std::uint32_t kSetValue = 0x0002;
inline constexpr std::uint32_t kCreateSubKey = 0x0004;
inline constexpr std::uint32_t kEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kNotify = 0x0010;
inline constexpr std::uint32_t kCreateLink = 0x0020;
inline constexpr std::uint32_t kReadControl = 0x00020000;
inline constexpr std::uint32_t kRead = kReadControl | kQueryValue | kEnumerateSubKeys | kNotify;
inline constexpr std::uint32_t kWrite = kReadControl | kSetValue | kCreateSubKey;
// Read control and every key-specific right: what the scanner asks for.
inline constexpr std::uint32_t kAllAccess = 0x2003F;
inline constexpr std::uint32_t kMaximumAllowed = 0x02000000;
}  // namespace reg_access

// What a value query leaves in the caller's variables. Like the Win32 in/out arguments,
// `type` and `dataBytes` keep what the caller put there when the platform does not write them.
struct RegValueInfo {
    std::uint32_t type = 0;
    std::uint32_t dataBytes = 0;     // the data size the platform reported
    std::vector<std::uint8_t> data;  // filled only when the data fitted the buffer
};

// What an enumerated value leaves in the caller's variables.
struct RegEnumValueInfo {
    std::optional<std::string> name;  // empty when the platform did not write the name
    std::uint32_t type = 0;
    // In: nothing (the capacity is an argument). Out: the size the platform reported, or
    // the announced capacity when it reported none, as Win32 leaves its in/out count.
    std::uint32_t dataBytes = 0;
    std::vector<std::uint8_t> data;
};

class RegistryPort {
  public:
    virtual ~RegistryPort() = default;

    // RegOpenKey: the most access the caller is granted; an empty path gives back `parent`
    // itself, not a new handle.
    virtual RegStatus OpenKey(RegKey parent, std::string_view path, RegKey& result) = 0;
    // RegOpenKeyEx with an access mask; an empty path opens a new handle to `parent`.
    virtual RegStatus OpenKeyEx(RegKey parent, std::string_view path, std::uint32_t access,
                                RegKey& result) = 0;
    // RegOpenKeyEx with REG_OPTION_OPEN_LINK: where the last key of the path is a symbolic
    // link, the link key itself is opened (its one value is the REG_LINK
    // "SymbolicLinkValue" naming the target) instead of its target. Links earlier on the
    // path are followed as always.
    virtual RegStatus OpenKeyNoFollow(RegKey parent, std::string_view path, std::uint32_t access,
                                      RegKey& result) = 0;
    // RegCreateKey: opens or creates the key and every missing key on the path.
    virtual RegStatus CreateKey(RegKey parent, std::string_view path, RegKey& result) = 0;
    // RegCloseKey; closing a predefined root succeeds and changes nothing.
    virtual RegStatus CloseKey(RegKey key) = 0;
    // RegQueryInfoKey; the counts are written only on success.
    virtual RegStatus QueryInfoKey(RegKey key, std::uint32_t& subKeyCount,
                                   std::uint32_t& valueCount) = 0;
    // RegEnumKey with a name buffer of `nameCapacity` UTF-16 units (terminating NUL included);
    // `name` is written only on success.
    virtual RegStatus EnumKey(RegKey key, std::uint32_t index, std::uint32_t nameCapacity,
                              std::string& name) = 0;
    // RegEnumValue with a name buffer of `nameCapacity` UTF-16 units and, when given, a data
    // buffer of `dataCapacity` bytes. `out.type` keeps its value where the platform leaves it.
    virtual RegStatus EnumValue(RegKey key, std::uint32_t index, std::uint32_t nameCapacity,
                                std::optional<std::uint32_t> dataCapacity,
                                RegEnumValueInfo& out) = 0;
    // RegQueryValueEx; without a capacity only the type and size are asked for.
    virtual RegStatus QueryValue(RegKey key, std::string_view name,
                                 std::optional<std::uint32_t> dataCapacity, RegValueInfo& out) = 0;
    // RegSetValueEx with the raw bytes as they are to be stored.
    virtual RegStatus SetValue(RegKey key, std::string_view name, std::uint32_t type,
                               std::span<const std::uint8_t> data) = 0;
    // RegDeleteValue.
    virtual RegStatus DeleteValue(RegKey key, std::string_view name) = 0;
};

}  // namespace keldra::platform

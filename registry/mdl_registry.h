#pragma once
// The registry access layer: the one place the program talks to the registry. Each
// operation opens what it needs and closes it again (but OpenKey, whose caller closes the
// handle); none reports a failure: a failed step is skipped and the result falls back to
// the caller's default, empty text, 0 or the platform's status.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "platform/registry_port.h"

namespace keldra::mdlRegistry {

using platform::RegistryPort;
using platform::RegKey;
using platform::RegStatus;

// Name buffers hold 261 characters, and 261 is what the platform is told.
inline constexpr std::uint32_t kNameCapacity = 261;
// The data area handed to value enumeration: data that fits is taken from it, longer data
// is read again. Most references are shorter than this.
inline constexpr std::uint32_t kEnumDataCapacity = 1024;

// What ReadValue found: nothing, a text, or a 32-bit number.
using RegVariant = std::variant<std::monostate, std::string, std::int32_t>;
// A ReadValue result as a caller reading text sees it: empty is "", a number its decimal text.
std::string VariantText(const RegVariant& value);

// A REG_SZ value's text up to its first NUL; `defaultText` when the key or value is
// missing or the value is of another type (REG_EXPAND_SZ included).
std::string GetStringValue(RegistryPort& reg, RegKey root, std::string_view path,
                           std::string_view name, std::string_view defaultText);

// Writes a REG_SZ value, creating the keys on the path; the stored bytes hold the text
// without a terminating NUL. True when the value was written: the logon registration
// falls back to the user's own key when the machine-wide one cannot be written.
bool SetStringValue(RegistryPort& reg, RegKey root, std::string_view path, std::string_view name,
                    std::string_view data);

// A key opened with full access, or 0. The caller closes it.
RegKey OpenKey(RegistryPort& reg, RegKey root, std::string_view path);
// The same for a key a walk found by enumeration: a symbolic link at the end of the path is
// opened itself, so that it shows its link value and no subkeys rather than its target.
RegKey OpenEnumeratedKey(RegistryPort& reg, RegKey root, std::string_view path);

// The numbers of subkeys and values of a key opened for reading only: whether a key is
// really empty does not depend on the right to change it. False when the key cannot be
// read.
bool ReadKeyCounts(RegistryPort& reg, RegKey root, std::string_view path,
                   std::uint32_t& subKeyCount, std::uint32_t& valueCount);

// The numbers of subkeys and values; both left as they were when the query fails.
void QueryKeyInfo(RegistryPort& reg, RegKey key, std::uint32_t& subKeyCount,
                  std::uint32_t& valueCount);

// The name of subkey `index`, exactly as stored; empty past the last one.
std::string EnumSubKey(RegistryPort& reg, RegKey key, std::uint32_t index);

// Value `index`: its name exactly as stored, its type, and its data as text: the first
// string of string types, the signed decimal of a DWORD, empty for every other type.
// `type` keeps its previous content when the platform reports none. False when no name
// arrived (a name longer than the buffer, or no value at that index any more, as after a
// value was deleted during a walk): `name` and `data` are then empty and stand for nothing,
// least of all for the key's default value.
//
// `dataShown` tells whether an empty `data` means the value holds nothing: it is false when
// the value holds bytes that the text does not show (binary data, a 64-bit number, data that
// could not be read again), so that no test calls such a value empty.
bool EnumValue(RegistryPort& reg, RegKey key, std::uint32_t index, std::string& name,
               std::string& data, std::uint32_t& type);
bool EnumValue(RegistryPort& reg, RegKey key, std::uint32_t index, std::string& name,
               std::string& data, std::uint32_t& type, bool& dataShown);

// Deletes one value; the platform's status (0 on success).
RegStatus DeleteValue(RegistryPort& reg, RegKey root, std::string_view path, std::string_view name);

// One value as text (string types, to the first NUL), number (DWORD) or hex bytes
// "0A FF 00" (binary); empty for other types and on any failure.
RegVariant ReadValue(RegistryPort& reg, RegKey root, std::string_view path, std::string_view name);

// False only when the key is missing (status 2) or the path is bad (1010); a key that
// cannot be opened for lack of rights exists.
bool KeyExists(RegistryPort& reg, RegKey root, std::string_view path);

}  // namespace keldra::mdlRegistry

#pragma once
// An in-memory registry that answers like the Windows registry as Wine shows it: names
// without regard to case but with their case kept, values as type plus raw bytes, sorted
// enumeration, HKEY_CLASSES_ROOT as a view of HKLM\Software\Classes and HKEY_CURRENT_USER
// as one branch of HKEY_USERS.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_port.h"

namespace keldra::platform::sim {

class SimRegistry final : public RegistryPort {
  public:
    // The HKEY_USERS branch that HKEY_CURRENT_USER shows, as under Wine.
    static constexpr std::string_view kCurrentUserSid = "S-1-5-21-0-0-0-1000";

    SimRegistry();
    ~SimRegistry() override;
    SimRegistry(const SimRegistry&) = delete;
    SimRegistry& operator=(const SimRegistry&) = delete;

    RegStatus OpenKey(RegKey parent, std::string_view path, RegKey& result) override;
    RegStatus OpenKeyEx(RegKey parent, std::string_view path, std::uint32_t access,
                        RegKey& result) override;
    RegStatus OpenKeyNoFollow(RegKey parent, std::string_view path, std::uint32_t access,
                              RegKey& result) override;
    RegStatus CreateKey(RegKey parent, std::string_view path, RegKey& result) override;
    RegStatus CloseKey(RegKey key) override;
    RegStatus QueryInfoKey(RegKey key, std::uint32_t& subKeyCount,
                           std::uint32_t& valueCount) override;
    RegStatus EnumKey(RegKey key, std::uint32_t index, std::uint32_t nameCapacity,
                      std::string& name) override;
    RegStatus EnumValue(RegKey key, std::uint32_t index, std::uint32_t nameCapacity,
                        std::optional<std::uint32_t> dataCapacity, RegEnumValueInfo& out) override;
    RegStatus QueryValue(RegKey key, std::string_view name,
                         std::optional<std::uint32_t> dataCapacity, RegValueInfo& out) override;
    RegStatus SetValue(RegKey key, std::string_view name, std::uint32_t type,
                       std::span<const std::uint8_t> data) override;
    RegStatus DeleteValue(RegKey key, std::string_view name) override;

    // Test controls.
    // Takes rights away from one existing key, as a DACL would: opens asking for them fail
    // with access denied. Returns false when the key does not exist.
    bool DenyAccess(RegKey root, std::string_view path, bool read, bool write);
    // Creates a symbolic link key at `path` (which must not exist yet) whose target is the
    // registry path `target` as Windows writes it ("\Registry\Machine\System\..." or
    // "\Registry\User\..."), stored as its REG_LINK value "SymbolicLinkValue" without a
    // NUL. Opening a path through it reaches the target; the target need not exist.
    bool CreateLink(RegKey root, std::string_view path, std::string_view target);
    // Takes the rights to change keys and values away from the key at `path` and every key
    // below it, leaving them readable: the machine's keys as a standard user sees them.
    void DenyWritesBelow(RegKey root, std::string_view path);
    // Removes a key with everything below it; false when it does not exist.
    bool DeleteTree(RegKey root, std::string_view path);
    // Handles opened and not yet closed: every walk must bring this back to where it was.
    std::size_t OpenHandleCount() const { return handles_.size(); }

  private:
    struct Value {
        std::u16string name;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
    };
    struct Node {
        std::u16string name;
        Node* parent = nullptr;
        std::vector<std::unique_ptr<Node>> subkeys;  // sorted without regard to case
        std::vector<Value> values;                   // sorted without regard to case
        std::uint32_t deniedRights = 0;
        bool link = false;  // a symbolic link: its target is its SymbolicLinkValue
    };
    struct Handle {
        Node* node = nullptr;
        std::uint32_t granted = 0;
    };

    // The key a handle stands for and the rights it carries; nothing when invalid.
    std::optional<Handle> Resolve(RegKey key) const;
    RegKey NewHandle(Node* node, std::uint32_t granted);
    RegStatus Open(RegKey parent, std::string_view path, std::uint32_t access, bool create,
                   RegKey& result, bool followLast = true);
    // The key a link leads to, links on the way followed; null when there is none.
    Node* LinkTarget(const Node& link, int depth) const;
    static RegStatus SplitPath(std::string_view path, std::vector<std::u16string>& parts);
    static Node* FindChild(const Node& node, std::u16string_view name);
    static Node* AddChild(Node& node, std::u16string name);
    static Value* FindValue(Node& node, std::u16string_view name);
    static std::uint32_t Grant(const Node& node, std::uint32_t access, RegStatus& status);
    void ForgetHandlesBelow(const Node* node);

    std::unique_ptr<Node> localMachine_;
    std::unique_ptr<Node> users_;
    std::unique_ptr<Node> dynData_;
    Node* classesRoot_ = nullptr;
    Node* currentUser_ = nullptr;
    Node* currentConfig_ = nullptr;
    std::map<RegKey, Handle> handles_;
    RegKey nextHandle_ = 0x100;
};

}  // namespace keldra::platform::sim

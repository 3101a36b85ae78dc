#include "platform/sim/sim_registry.h"

#include <algorithm>
#include <utility>

#include "platform/text.h"

namespace keldra::platform::sim {
namespace {

constexpr std::uint32_t kReadRights =
    reg_access::kQueryValue | reg_access::kEnumerateSubKeys | reg_access::kNotify;
constexpr std::uint32_t kWriteRights =
    reg_access::kSetValue | reg_access::kCreateSubKey | reg_access::kCreateLink;
// Standard rights of a key handle plus every key-specific right.
constexpr std::uint32_t kEveryRight = 0x000F003F;
// What the owner of a key may always do, whatever its access list says: read and change
// the list. The user owns every key here, as under Wine.
constexpr std::uint32_t kOwnerRights = reg_access::kReadControl | 0x00040000;

}  // namespace

SimRegistry::SimRegistry()
    : localMachine_(std::make_unique<Node>()),
      users_(std::make_unique<Node>()),
      dynData_(std::make_unique<Node>()) {
    localMachine_->name = u"MACHINE";
    users_->name = u"USER";
    Node* software = AddChild(*localMachine_, u"Software");
    classesRoot_ = AddChild(*software, u"Classes");
    Node* system = AddChild(*localMachine_, u"System");
    Node* controlSet = AddChild(*system, u"CurrentControlSet");
    currentConfig_ = AddChild(*AddChild(*controlSet, u"Hardware Profiles"), u"Current");
    AddChild(*users_, u".Default");
    currentUser_ = AddChild(*users_, text::Utf8ToUtf16(kCurrentUserSid));
    AddChild(*currentUser_, u"Software");
}

SimRegistry::~SimRegistry() = default;

std::optional<SimRegistry::Handle> SimRegistry::Resolve(RegKey key) const {
    Node* node = nullptr;
    switch (key) {
        case reg_root::kClassesRoot:
            node = classesRoot_;
            break;
        case reg_root::kCurrentUser:
            node = currentUser_;
            break;
        case reg_root::kLocalMachine:
            node = localMachine_.get();
            break;
        case reg_root::kUsers:
            node = users_.get();
            break;
        case reg_root::kCurrentConfig:
            node = currentConfig_;
            break;
        case reg_root::kDynData:
            node = dynData_.get();
            break;
        default: {
            const auto it = handles_.find(key);
            if (it == handles_.end()) {
                return std::nullopt;
            }
            return it->second;
        }
    }
    // Predefined roots carry every right the key grants, like Wine's lazily opened roots.
    return Handle{node, (kEveryRight & ~node->deniedRights) | kOwnerRights};
}

RegKey SimRegistry::NewHandle(Node* node, std::uint32_t granted) {
    const RegKey key = nextHandle_;
    nextHandle_ += 4;
    if (nextHandle_ >= reg_root::kClassesRoot) {
        nextHandle_ = 0x100;
    }
    handles_[key] = Handle{node, granted};
    return key;
}

RegStatus SimRegistry::SplitPath(std::string_view path, std::vector<std::u16string>& parts) {
    const std::u16string wide = text::Utf8ToUtf16(path);
    if (!wide.empty() && wide.front() == u'\\') {
        return reg_status::kBadPathname;
    }
    std::size_t i = 0;
    while (i < wide.size()) {
        const std::size_t end = std::min(wide.find(u'\\', i), wide.size());
        if (end > i) {
            parts.emplace_back(wide.substr(i, end - i));
        }
        i = end + 1;
    }
    return reg_status::kSuccess;
}

SimRegistry::Node* SimRegistry::FindChild(const Node& node, std::u16string_view name) {
    const auto it = std::lower_bound(node.subkeys.begin(), node.subkeys.end(), name,
                                     [](const auto& child, std::u16string_view n) {
                                         return text::CompareNoCase(child->name, n) < 0;
                                     });
    if (it != node.subkeys.end() && text::EqualNoCase((*it)->name, name)) {
        return it->get();
    }
    return nullptr;
}

SimRegistry::Node* SimRegistry::AddChild(Node& node, std::u16string name) {
    auto child = std::make_unique<Node>();
    child->parent = &node;
    child->name = std::move(name);
    const auto it = std::lower_bound(
        node.subkeys.begin(), node.subkeys.end(), child->name,
        [](const auto& c, std::u16string_view n) { return text::CompareNoCase(c->name, n) < 0; });
    return node.subkeys.insert(it, std::move(child))->get();
}

SimRegistry::Value* SimRegistry::FindValue(Node& node, std::u16string_view name) {
    const auto it = std::lower_bound(
        node.values.begin(), node.values.end(), name,
        [](const Value& v, std::u16string_view n) { return text::CompareNoCase(v.name, n) < 0; });
    if (it != node.values.end() && text::EqualNoCase(it->name, name)) {
        return &*it;
    }
    return nullptr;
}

std::uint32_t SimRegistry::Grant(const Node& node, std::uint32_t access, RegStatus& status) {
    const std::uint32_t allowed = (kEveryRight & ~node.deniedRights) | kOwnerRights;
    if ((access & reg_access::kMaximumAllowed) != 0) {
        const std::uint32_t wanted = access & ~reg_access::kMaximumAllowed;
        if ((wanted & ~allowed) != 0) {
            status = reg_status::kAccessDenied;
            return 0;
        }
        status = reg_status::kSuccess;
        return allowed;
    }
    if ((access & ~allowed) != 0) {
        status = reg_status::kAccessDenied;
        return 0;
    }
    status = reg_status::kSuccess;
    return access;
}

RegStatus SimRegistry::Open(RegKey parent, std::string_view path, std::uint32_t access, bool create,
                            RegKey& result, bool followLast) {
    const auto from = Resolve(parent);
    if (!from) {
        return reg_status::kInvalidHandle;
    }
    std::vector<std::u16string> parts;
    if (const RegStatus s = SplitPath(path, parts); s != reg_status::kSuccess) {
        return s;
    }
    Node* node = from->node;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        Node* child = FindChild(*node, parts[i]);
        if (child == nullptr) {
            if (!create) {
                return reg_status::kFileNotFound;
            }
            if ((node->deniedRights & reg_access::kCreateSubKey) != 0) {
                return reg_status::kAccessDenied;
            }
            child = AddChild(*node, parts[i]);
        }
        if (child->link && (followLast || i + 1 < parts.size())) {
            child = LinkTarget(*child, 0);
            if (child == nullptr) {
                return reg_status::kFileNotFound;
            }
        }
        node = child;
    }
    RegStatus status = reg_status::kSuccess;
    const std::uint32_t granted = Grant(*node, access, status);
    if (status != reg_status::kSuccess) {
        return status;
    }
    result = NewHandle(node, granted);
    return reg_status::kSuccess;
}

RegStatus SimRegistry::OpenKey(RegKey parent, std::string_view path, RegKey& result) {
    if (path.empty()) {
        result = parent;  // RegOpenKey hands the parent back without looking at it
        return reg_status::kSuccess;
    }
    return OpenKeyEx(parent, path, reg_access::kMaximumAllowed, result);
}

RegStatus SimRegistry::OpenKeyEx(RegKey parent, std::string_view path, std::uint32_t access,
                                 RegKey& result) {
    if (parent == reg_root::kClassesRoot && path.starts_with('\\')) {
        path.remove_prefix(1);  // a leading separator is tolerated below HKEY_CLASSES_ROOT only
    }
    if (path.empty() && IsPredefinedRoot(parent) && Resolve(parent)) {
        result = parent;  // a root is not opened again
        return reg_status::kSuccess;
    }
    return Open(parent, path, access, false, result);
}

RegStatus SimRegistry::OpenKeyNoFollow(RegKey parent, std::string_view path, std::uint32_t access,
                                       RegKey& result) {
    if (path.empty() && IsPredefinedRoot(parent) && Resolve(parent)) {
        result = parent;
        return reg_status::kSuccess;
    }
    return Open(parent, path, access, false, result, false);
}

SimRegistry::Node* SimRegistry::LinkTarget(const Node& link, int depth) const {
    // Windows gives up on chains this long; a loop of links ends here too.
    constexpr int kMaxLinks = 16;
    if (depth >= kMaxLinks) {
        return nullptr;
    }
    const auto it = std::find_if(link.values.begin(), link.values.end(), [](const Value& v) {
        return text::EqualNoCase(v.name, u"SymbolicLinkValue");
    });
    if (it == link.values.end() || it->type != reg_type::kLink) {
        return nullptr;
    }
    std::vector<std::u16string> parts;
    const std::u16string target = text::FromUtf16LeBytes(it->data);
    if (target.empty() || target.front() != u'\\' ||
        SplitPath(text::Utf16ToUtf8(target.substr(1)), parts) != reg_status::kSuccess ||
        parts.size() < 2 || !text::EqualNoCase(parts[0], u"REGISTRY")) {
        return nullptr;
    }
    Node* node = nullptr;
    if (text::EqualNoCase(parts[1], u"MACHINE")) {
        node = localMachine_.get();
    } else if (text::EqualNoCase(parts[1], u"USER")) {
        node = users_.get();
    } else {
        return nullptr;
    }
    for (std::size_t i = 2; i < parts.size() && node != nullptr; ++i) {
        node = FindChild(*node, parts[i]);
        if (node != nullptr && node->link) {
            node = LinkTarget(*node, depth + 1);
        }
    }
    return node;
}

bool SimRegistry::CreateLink(RegKey root, std::string_view path, std::string_view target) {
    RegKey probe = 0;
    if (Open(root, path, 0, false, probe, false) == reg_status::kSuccess) {
        CloseKey(probe);
        return false;
    }
    RegKey key = 0;
    if (Open(root, path, reg_access::kMaximumAllowed, true, key) != reg_status::kSuccess) {
        return false;
    }
    Node* node = handles_[key].node;
    CloseKey(key);
    node->link = true;
    node->values.push_back(Value{u"SymbolicLinkValue", reg_type::kLink,
                                 text::ToUtf16LeBytes(text::Utf8ToUtf16(target))});
    return true;
}

void SimRegistry::DenyWritesBelow(RegKey root, std::string_view path) {
    RegKey key = 0;
    if (Open(root, path, 0, false, key) != reg_status::kSuccess) {
        return;
    }
    std::vector<Node*> pending{handles_[key].node};
    CloseKey(key);
    while (!pending.empty()) {
        Node* node = pending.back();
        pending.pop_back();
        node->deniedRights |= kWriteRights;
        for (const auto& child : node->subkeys) {
            pending.push_back(child.get());
        }
    }
}

RegStatus SimRegistry::CreateKey(RegKey parent, std::string_view path, RegKey& result) {
    return Open(parent, path, reg_access::kMaximumAllowed, true, result);
}

RegStatus SimRegistry::CloseKey(RegKey key) {
    if (IsPredefinedRoot(key)) {
        return reg_status::kSuccess;
    }
    return handles_.erase(key) == 1 ? reg_status::kSuccess : reg_status::kInvalidHandle;
}

RegStatus SimRegistry::QueryInfoKey(RegKey key, std::uint32_t& subKeyCount,
                                    std::uint32_t& valueCount) {
    const auto h = Resolve(key);
    if (!h) {
        return reg_status::kInvalidHandle;
    }
    if ((h->granted & reg_access::kQueryValue) == 0) {
        return reg_status::kAccessDenied;
    }
    subKeyCount = static_cast<std::uint32_t>(h->node->subkeys.size());
    valueCount = static_cast<std::uint32_t>(h->node->values.size());
    return reg_status::kSuccess;
}

RegStatus SimRegistry::EnumKey(RegKey key, std::uint32_t index, std::uint32_t nameCapacity,
                               std::string& name) {
    const auto h = Resolve(key);
    if (!h) {
        return reg_status::kInvalidHandle;
    }
    if ((h->granted & reg_access::kEnumerateSubKeys) == 0) {
        return reg_status::kAccessDenied;
    }
    if (index >= h->node->subkeys.size()) {
        return reg_status::kNoMoreItems;
    }
    const std::u16string& found = h->node->subkeys[index]->name;
    if (found.size() >= nameCapacity) {
        return reg_status::kMoreData;
    }
    name = text::Utf16ToUtf8(found);
    return reg_status::kSuccess;
}

RegStatus SimRegistry::EnumValue(RegKey key, std::uint32_t index, std::uint32_t nameCapacity,
                                 std::optional<std::uint32_t> dataCapacity, RegEnumValueInfo& out) {
    out.dataBytes = dataCapacity.value_or(0);
    const auto h = Resolve(key);
    if (!h) {
        return reg_status::kInvalidHandle;
    }
    if ((h->granted & reg_access::kQueryValue) == 0) {
        return reg_status::kAccessDenied;
    }
    if (index >= h->node->values.size()) {
        return reg_status::kNoMoreItems;
    }
    const Value& value = h->node->values[index];
    const auto size = static_cast<std::uint32_t>(value.data.size());
    RegStatus status = reg_status::kSuccess;
    if (value.name.size() >= nameCapacity) {
        status = reg_status::kMoreData;  // the name is not written, type and size are
    } else {
        out.name = text::Utf16ToUtf8(value.name);
        if (dataCapacity.has_value()) {
            if (size > *dataCapacity) {
                status = reg_status::kMoreData;
            } else {
                out.data = value.data;
            }
        }
    }
    out.type = value.type;
    out.dataBytes = size;
    return status;
}

RegStatus SimRegistry::QueryValue(RegKey key, std::string_view name,
                                  std::optional<std::uint32_t> dataCapacity, RegValueInfo& out) {
    const auto h = Resolve(key);
    if (!h) {
        return reg_status::kInvalidHandle;
    }
    if ((h->granted & reg_access::kQueryValue) == 0) {
        return reg_status::kAccessDenied;
    }
    const Value* value = FindValue(*h->node, text::Utf8ToUtf16(name));
    if (value == nullptr) {
        return reg_status::kFileNotFound;
    }
    const auto size = static_cast<std::uint32_t>(value->data.size());
    RegStatus status = reg_status::kSuccess;
    if (dataCapacity.has_value()) {
        if (size > *dataCapacity) {
            status = reg_status::kMoreData;
        } else {
            out.data = value->data;
        }
    }
    out.type = value->type;
    out.dataBytes = size;
    return status;
}

RegStatus SimRegistry::SetValue(RegKey key, std::string_view name, std::uint32_t type,
                                std::span<const std::uint8_t> data) {
    const auto h = Resolve(key);
    if (!h) {
        return reg_status::kInvalidHandle;
    }
    if ((h->granted & reg_access::kSetValue) == 0) {
        return reg_status::kAccessDenied;
    }
    std::u16string wide = text::Utf8ToUtf16(name);
    if (Value* existing = FindValue(*h->node, wide)) {
        existing->type = type;  // the stored name keeps its case
        existing->data.assign(data.begin(), data.end());
        return reg_status::kSuccess;
    }
    auto& values = h->node->values;
    const auto it = std::lower_bound(
        values.begin(), values.end(), std::u16string_view(wide),
        [](const Value& v, std::u16string_view n) { return text::CompareNoCase(v.name, n) < 0; });
    values.insert(it, Value{std::move(wide), type, {data.begin(), data.end()}});
    return reg_status::kSuccess;
}

RegStatus SimRegistry::DeleteValue(RegKey key, std::string_view name) {
    const auto h = Resolve(key);
    if (!h) {
        return reg_status::kInvalidHandle;
    }
    if ((h->granted & reg_access::kSetValue) == 0) {
        return reg_status::kAccessDenied;
    }
    Value* value = FindValue(*h->node, text::Utf8ToUtf16(name));
    if (value == nullptr) {
        return reg_status::kFileNotFound;
    }
    auto& values = h->node->values;
    values.erase(values.begin() + (value - values.data()));
    return reg_status::kSuccess;
}

bool SimRegistry::DenyAccess(RegKey root, std::string_view path, bool read, bool write) {
    RegKey key = 0;
    if (Open(root, path, 0, false, key) != reg_status::kSuccess) {
        return false;
    }
    Node* node = handles_[key].node;
    CloseKey(key);
    if (read) {
        node->deniedRights |= kReadRights;
    }
    if (write) {
        node->deniedRights |= kWriteRights;
    }
    if (read && write) {
        node->deniedRights = kEveryRight;  // an empty access list
    }
    return true;
}

void SimRegistry::ForgetHandlesBelow(const Node* node) {
    for (auto it = handles_.begin(); it != handles_.end();) {
        const Node* n = it->second.node;
        while (n != nullptr && n != node) {
            n = n->parent;
        }
        it = (n == node) ? handles_.erase(it) : std::next(it);
    }
}

bool SimRegistry::DeleteTree(RegKey root, std::string_view path) {
    const auto from = Resolve(root);
    std::vector<std::u16string> parts;
    if (!from || SplitPath(path, parts) != reg_status::kSuccess || parts.empty()) {
        return false;
    }
    Node* node = from->node;
    for (const auto& part : parts) {
        node = FindChild(*node, part);
        if (node == nullptr) {
            return false;
        }
    }
    ForgetHandlesBelow(node);
    auto& siblings = node->parent->subkeys;
    siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                                [node](const auto& c) { return c.get() == node; }));
    return true;
}

}  // namespace keldra::platform::sim

#include "registry/registry_scan.h"

#include <charconv>
#include <cstdlib>
#include <system_error>

#include "platform/owned_key.h"
#include "registry/mdl_registry.h"
#include "registry/path_readings.h"

namespace keldra::registry {

using platform::RegKey;
namespace reg_root = platform::reg_root;

namespace {

constexpr std::string_view kCodes = "HKCU;HKU;HKLM;DLL;VDD;FONT;IFA;COM";
constexpr std::string_view kNames =
    "HKEY_CURRENT_USER;HKEY_USERS;HKEY_LOCAL_MACHINE;Invalid Shared Dll's;Vitual Device "
    "Derives;Bad Font References;Invalid File Associations;ActiveX and COM";
constexpr std::string_view kDescriptions =
    "Stores information about currently loged-in user;Stores information about all "
    "users;Stores globle information about the computer;Find orphaned references to shared "
    "system .dll files;Find invalid references to virtual device drivers;Find invalid font "
    "references;Find invalid file association links;Find invalid Typelib/CLSID/Interface";

// The drives whose references the walks hand to the reference check.
constexpr std::string_view kWalkedDrives = "ABCDEFGHIJKLMNOP";

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const auto end = text.find(separator, start);
        parts.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

// A state entry marks its location when it reads as the decimal number 1 ("1", "01",
// "1.0"); a C library reading would take hexadecimal ("0x1") and the locale's decimal
// point as well.
bool IsNumberOne(std::string_view entry) {
    std::string trimmed = TrimBlanks(entry);
    if (trimmed.starts_with('+')) {
        trimmed.erase(0, 1);
    }
    if (trimmed.empty()) {
        return false;
    }
    double number = 0;
    const char* end = trimmed.data() + trimmed.size();
    const auto [stop, error] =
        std::from_chars(trimmed.data(), end, number, std::chars_format::general);
    return error == std::errc() && stop == end && number == 1.0;
}

// A reference the walks pass on: it has ":\" and the letter before the first one is a
// drive from A to P (a ":\" at the very start passes as well).
bool LooksLikeWalkedPath(std::string_view data) {
    const auto colon = data.find(":\\");
    if (colon == std::string_view::npos) {
        return false;
    }
    if (colon == 0) {
        return true;
    }
    char letter = data[colon - 1];
    if (letter >= 'a' && letter <= 'z') {
        letter = static_cast<char>(letter - 'a' + 'A');
    }
    return kWalkedDrives.find(letter) != std::string_view::npos;
}

// The last component of a key path, upper-cased.
std::string KeyName(std::string_view path) {
    const auto slash = path.rfind('\\');
    return UpperText(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// A subkey name the walks can open: not empty, and without a NUL (the platform ends a
// path at a NUL, so the key reached would be another one).
bool IsWalkableName(std::string_view name) {
    return !name.empty() && name.find('\0') == std::string_view::npos;
}

}  // namespace

// Counts the walks on the stack: the outermost one starts at a path it was given, every
// deeper one at a key it enumerated.
class RegistryScan::WalkDepth {
  public:
    explicit WalkDepth(int& depth) : depth_(depth), enumerated_(depth > 0) { ++depth_; }
    ~WalkDepth() { --depth_; }
    WalkDepth(const WalkDepth&) = delete;
    WalkDepth& operator=(const WalkDepth&) = delete;
    bool Enumerated() const { return enumerated_; }

  private:
    int& depth_;
    bool enumerated_;
};

bool IsClassKeyPath(std::string_view path) {
    const std::string upper = UpperText(path);
    return upper.find("SOFTWARE\\CLASSES") != std::string::npos || upper == "INTERFACE" ||
           upper == "TYPELIB" || upper == "CLSID";
}

// How the walks differ; the skeleton is the same for all but the file-type walk.
struct RegistryScan::WalkStyle {
    bool classKeyTest = true;
    bool cancelAtEntry = false;
    bool cancelBeforeValue = false;
    bool cancelBeforeSubkey = false;
    bool eventsInLoops = true;
    bool eventsForSkipped = false;
    bool eventsAtEntry = false;
    bool endUnopened = false;
    bool emptyKeyTest = false;
    bool fontsPerLevel = false;
    // The value test has rules for empty data, which a value whose bytes the text does
    // not show must not meet.
    bool judgesEmptyData = false;
    ValueTest valueTest = nullptr;
    void (RegistryScan::*recurse)(RegKey, std::string) = nullptr;
};

RegistryScan::RegistryScan(Services services, const bool& scanCancelled, ProblemList& problems)
    : services_(std::move(services)),
      cancelled_(scanCancelled),
      problems_(problems),
      checks_(services_.files) {}

void RegistryScan::Events() const {
    if (services_.events) {
        services_.events();
    }
}

void RegistryScan::Forget() {
    checks_.Forget();
    drives_.reset();
    reasons_ = {};
}

void RegistryScan::FixRegistry() {
    Forget();
    LoadLocations();
    const std::size_t count = locations_.size();
    for (std::size_t i = 0; i < count; ++i) {
        Events();
        ScanKey(locations_[i].key);
        Events();
    }
}

void RegistryScan::LoadLocations() {
    names_ = std::string(kNames);
    descriptions_ = std::string(kDescriptions);
    states_ = mdlRegistry::GetStringValue(services_.registry, reg_root::kCurrentUser, kLocStatePath,
                                          kLocStateName, kLocStateDefault);
    locations_.clear();
    const auto codes = Split(kCodes, ';');
    const auto names = Split(names_, ';');
    const auto descriptions = Split(descriptions_, ';');
    const auto states = Split(states_, ';');
    for (std::size_t i = 0; i < names.size(); ++i) {
        locations_.push_back(
            {codes[i], names[i], descriptions[i], i < states.size() && IsNumberOne(states[i])});
    }
}

void RegistryScan::ScanKey(std::string_view skey) {
    if (skey == "HKCU") {
        ScanRegKey(reg_root::kCurrentUser, "software");
    } else if (skey == "HKU") {
        ScanRegKey(reg_root::kUsers, "");
    } else if (skey == "HKLM") {
        ScanRegKey(reg_root::kLocalMachine, "");
    } else if (skey == "DLL") {
        ScanSharedDlls(reg_root::kLocalMachine,
                       "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls");
    } else if (skey == "VDD") {
        ScanRegKey(reg_root::kLocalMachine, "SYSTEM\\CurrentControlSet\\Services\\VxD");
    } else if (skey == "FONT") {
        ScanFontKey(reg_root::kLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts");
        ScanFontKey(reg_root::kLocalMachine,
                    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts");
    } else if (skey == "IFA") {
        ScanFileTypes(reg_root::kClassesRoot, "");
    } else if (skey == "COM") {
        ScanComKey(reg_root::kLocalMachine, "software\\classes\\CLSID");
        ScanComKey(reg_root::kLocalMachine, "software\\classes\\TypeLib");
        ScanComKey(reg_root::kLocalMachine, "software\\classes\\interface");
    }
}

void RegistryScan::ScanRegKey(RegKey root, std::string path) {
    static const WalkStyle style{.cancelAtEntry = true,
                                 .valueTest = &RegistryScan::TestFileReference,
                                 .recurse = &RegistryScan::ScanRegKey};
    Walk(style, root, std::move(path));
}

void RegistryScan::ScanSharedDlls(RegKey root, std::string path) {
    static const WalkStyle style{.classKeyTest = false,
                                 .cancelBeforeValue = true,
                                 .cancelBeforeSubkey = true,
                                 .eventsForSkipped = true,
                                 .valueTest = &RegistryScan::TestSharedDll,
                                 .recurse = &RegistryScan::ScanSharedDlls};
    Walk(style, root, std::move(path));
}

void RegistryScan::ScanFontKey(RegKey root, std::string path) {
    static const WalkStyle style{.cancelBeforeValue = true,
                                 .cancelBeforeSubkey = true,
                                 .eventsInLoops = false,
                                 .eventsAtEntry = true,
                                 .endUnopened = true,
                                 .fontsPerLevel = true,
                                 .valueTest = &RegistryScan::TestFont,
                                 .recurse = &RegistryScan::ScanFontKey};
    Walk(style, root, std::move(path));
}

void RegistryScan::ScanAssocKey(RegKey root, std::string path) {
    static const WalkStyle style{.cancelBeforeValue = true,
                                 .emptyKeyTest = true,
                                 .valueTest = &RegistryScan::TestFileReference,
                                 .recurse = &RegistryScan::ScanAssocKey};
    Walk(style, root, std::move(path));
}

void RegistryScan::ScanComKey(RegKey root, std::string path) {
    static const WalkStyle style{.classKeyTest = false,
                                 .cancelBeforeValue = true,
                                 .cancelBeforeSubkey = true,
                                 .judgesEmptyData = true,
                                 .valueTest = &RegistryScan::TestComValue,
                                 .recurse = &RegistryScan::ScanComKey};
    Walk(style, root, std::move(path));
}

void RegistryScan::Walk(const WalkStyle& style, RegKey root, std::string path) {
    if (style.cancelAtEntry && cancelled_) {
        return;
    }
    if (style.eventsAtEntry) {
        Events();
    }
    if (style.classKeyTest && IsClassKeyPath(path)) {
        return;
    }
    platform::RegistryPort& registry = services_.registry;
    // A key the walk found by enumeration is opened as itself: a symbolic link then shows
    // its link value and no subkeys, so no walk follows a link (a loop of links cannot
    // recurse, and no key is walked under two names). A start path may lead through links.
    const WalkDepth depth(depth_);
    const platform::OwnedKey key(
        registry, depth.Enumerated() ? mdlRegistry::OpenEnumeratedKey(registry, root, path)
                                     : mdlRegistry::OpenKey(registry, root, path));
    if (style.endUnopened && key.get() == 0) {
        return;
    }
    std::uint32_t subKeys = 0;
    std::uint32_t values = 0;
    mdlRegistry::QueryKeyInfo(registry, key.get(), subKeys, values);

    if (style.emptyKeyTest && path.find('\\') == std::string::npos && subKeys == 0 && values == 0) {
        // A key that could not be opened with full access has no counts at all: only a
        // key that can be read and holds nothing is empty.
        if (mdlRegistry::ReadKeyCounts(registry, root, path, subKeys, values) && subKeys == 0 &&
            values == 0) {
            AddtoList(root, path, "", "", platform::reg_type::kSz, reason::kEmptyAssociation);
        }
        return;
    }
    if (style.fontsPerLevel) {
        fonts_ = checks_.SpecialFolderDir(platform::csidl::kFonts);
    }

    std::string name;
    std::string data;
    std::uint32_t type = 0;
    for (std::uint32_t i = 0; i < values; ++i) {
        if (style.cancelBeforeValue && cancelled_) {
            return;
        }
        // An enumeration that gave no name gave no value; judging its empty name and data
        // would stand for the key's default value. A link's target is no file reference.
        // Nor is a value called empty whose bytes its text does not show.
        bool dataShown = false;
        if (mdlRegistry::EnumValue(registry, key.get(), i, name, data, type, dataShown) &&
            type != platform::reg_type::kLink &&
            (dataShown || !data.empty() || !style.judgesEmptyData)) {
            (this->*style.valueTest)(root, path, name, data, type);
        }
        if (style.eventsInLoops) {
            Events();
        }
    }

    for (std::uint32_t i = 0; i < subKeys; ++i) {
        if (style.cancelBeforeSubkey && cancelled_) {
            return;
        }
        // The name exactly as stored: a trimmed or cut name opens a neighbour, or nothing.
        const std::string subKey = mdlRegistry::EnumSubKey(registry, key.get(), i);
        if (!IsWalkableName(subKey)) {
            if (style.eventsInLoops && style.eventsForSkipped) {
                Events();
            }
            continue;
        }
        if (!path.empty()) {
            path = addslash(path);
        }
        (this->*style.recurse)(root, path + subKey);
        if (style.eventsInLoops) {
            Events();
        }
    }
}

void RegistryScan::ScanFileTypes(RegKey root, std::string path) {
    if (IsClassKeyPath(path)) {
        return;
    }
    platform::RegistryPort& registry = services_.registry;
    // The extension keys below are found by enumeration.
    const WalkDepth depth(depth_);
    const platform::OwnedKey key(registry, mdlRegistry::OpenKey(registry, root, path));
    std::uint32_t subKeys = 0;
    std::uint32_t values = 0;
    mdlRegistry::QueryKeyInfo(registry, key.get(), subKeys, values);
    for (std::uint32_t i = 0; i < subKeys; ++i) {
        if (cancelled_) {
            return;
        }
        const std::string name = mdlRegistry::EnumSubKey(registry, key.get(), i);
        if (!IsWalkableName(name) || name.front() != '.') {
            continue;
        }
        // Only extensions that name a class are examined.
        const std::string className =
            mdlRegistry::VariantText(mdlRegistry::ReadValue(registry, root, name, ""));
        if (className.empty()) {
            continue;
        }
        ScanAssocKey(root, name);
        Events();
    }
}

void RegistryScan::TestFileReference(RegKey root, const std::string& path, std::string& name,
                                     const std::string& data, std::uint32_t type) {
    if (LooksLikeWalkedPath(data) && !checks_.CheckValid(data)) {
        AddtoList(root, path, name, data, static_cast<std::int32_t>(type), reason::kMissingFile);
    }
}

void RegistryScan::TestSharedDll(RegKey root, const std::string& path, std::string& name,
                                 const std::string& data, std::uint32_t type) {
    // Here the value's name is the file; its data is a use count.
    const std::string file = StripNulls(name);
    if (TrimBlanks(file).empty() || checks_.CheckValid(file)) {
        return;
    }
    AddtoList(root, path, file, data, static_cast<std::int32_t>(type), reason::kSharedDllMissing);
}

void RegistryScan::TestFont(RegKey root, const std::string& path, std::string& name,
                            const std::string& data, std::uint32_t type) {
    if (data.empty() || checks_.CheckValid(addslash(fonts_) + data)) {
        return;
    }
    // Data that is a full path already names the file itself; the fonts folder put in
    // front of it makes a path that never exists.
    if (IsAbsolutePath(data) && checks_.CheckValid(data)) {
        return;
    }
    AddtoList(root, path, name, data, static_cast<std::int32_t>(type), reason::kFontMissing);
}

bool RegistryScan::ClassRegistered(const std::string& path) {
    return mdlRegistry::KeyExists(services_.registry, reg_root::kClassesRoot, path);
}

namespace {

// The COM checks that the key's own name selects (`k`, upper case), in their order; true
// when one applies, whether or not it found a problem. `registered` tells whether a key
// of HKEY_CLASSES_ROOT exists.
template <typename Report, typename Registered>
bool CheckByKeyName(const std::string& k, const std::string& n, const std::string& d,
                    const Report& report, const Registered& registered) {
    const bool braced = !d.empty() && d.front() == '{';
    if (d.empty() && k == "TYPELIB") {
        report(reason::kEmptyTypeLibKey);
    } else if (!d.empty() && n.empty() && k == "TYPELIB" && braced) {
        if (!registered("TYPELIB\\" + d)) {
            report(reason::kTypeLibNotRegistered);
        }
    } else if (d.empty() && n.empty() && k == "CLSID") {
        report(reason::kEmptyClsid);
    } else if (!d.empty() && n.empty() && k == "CLSID" && braced) {
        if (!registered("CLSID\\" + d)) {
            report(reason::kClassNotRegistered);
        }
    } else if (d.empty() && n.empty() && (k == "PROGID" || k == "VERSIONINDEPENDENTPROGID")) {
        report(reason::kEmptyProgId);
    } else if (!d.empty() && n.empty() && k == "PROGID") {
        if (!registered(d)) {
            report(reason::kProgIdNotRegistered);
        }
    } else if (d.empty() && n.empty() && k == "INPROCSERVER32") {
        report(reason::kEmptyInprocServer32);
    } else if (d.empty() && n.empty() && k == "INPROCSERVER") {
        report(reason::kEmptyInprocServer);
    } else {
        return false;
    }
    return true;
}

// The COM checks that the value's name selects (`upperName`), when the key's name did not.
template <typename Report, typename Registered>
void CheckByValueName(const std::string& upperName, const std::string& d, const Report& report,
                      const Registered& registered) {
    if (d.empty() && upperName == "CLSID") {
        report(reason::kEmptyClsid);
    } else if (!d.empty() && upperName == "TYPELIB") {
        if (!registered("TYPELIB\\" + d)) {
            report(reason::kTypeLibNotRegistered);
        }
    } else if (!d.empty() && upperName == "PROGID") {
        if (!registered(d)) {
            report(reason::kProgIdNotRegistered);
        }
    } else if (d.empty() && upperName == "INPROCSERVER32") {
        report(reason::kEmptyInprocServer32);
    } else if (d.empty() && upperName == "INPROCSERVER") {
        report(reason::kEmptyInprocServer);
    }
}

}  // namespace

void RegistryScan::TestComValue(RegKey root, const std::string& path, std::string& name,
                                const std::string& d, std::uint32_t type) {
    const std::string n = StripNulls(name);
    const auto report = [&](int slot) {
        AddtoList(root, path, n, d, static_cast<std::int32_t>(type), slot);
    };
    if (d.find(":\\") != std::string::npos) {
        if (LooksLikeWalkedPath(d) && !checks_.CheckValid(d)) {
            report(reason::kMissingFile);
        }
        return;
    }
    const auto registered = [this](const std::string& key) { return ClassRegistered(key); };
    if (!CheckByKeyName(KeyName(path), n, d, report, registered)) {
        CheckByValueName(UpperText(n), d, report, registered);
    }
}

void RegistryScan::AddtoList(RegKey sRootKey, std::string_view sKeyLocation,
                             std::string_view sKeyName, std::string_view sKeyValue,
                             std::int32_t vType, int reasonSlot) {
    if (sKeyValue.find(":\\") != std::string_view::npos) {
        // References to network and CD-ROM drives are not judged: the share may be
        // offline or the disc out.
        std::string root = DriveRootOf(sKeyValue);
        StripNulls(root);
        if (!drives_) {
            drives_ = services_.files.Drives();
        }
        const int type = DriveTypeOf(*drives_, root);
        if (type == platform::drive_type::kNetwork || type == platform::drive_type::kCdRom) {
            return;
        }
    }
    Problem row;
    row.root = sRootKey;
    row.location = HkeyText(sRootKey) + "\\" + std::string(sKeyLocation);
    row.valueName = std::string(sKeyName);
    row.valueData = std::string(sKeyValue);
    if (services_.text && reasonSlot >= 0 && reasonSlot < reason::kSlots) {
        auto& text = reasons_[static_cast<std::size_t>(reasonSlot)];
        if (!text) {
            text = services_.text("RDRC_Reason" + std::to_string(reasonSlot));
        }
        row.reason = *text;
    }
    row.type = std::to_string(vType);
    problems_.Append(std::move(row));
}

}  // namespace keldra::registry

// The registry as the key walks meet it, on both registries: symbolic links, keys that can
// be read but not changed, names with blanks, enumerations that give no name. The files the
// walked values name live on a simulated drive where nothing exists, so every reference in
// a walked key is listed and the rows show which keys were walked, under which names.
#include <string>
#include <vector>

#include "contract/registry_fixture.h"
#include "platform/sim/sim_file_system.h"
#include "registry/mdl_registry.h"
#include "registry/registry_scan.h"

namespace keldra::testing {
namespace {

namespace reg = mdlRegistry;
constexpr RegKey kHkcu = reg_root::kCurrentUser;

class RegistryWalkContract : public RegistryTest {
  protected:
    RegistryWalkContract() { files_.AddDrive('C', platform::drive_code::kFixed); }

    void TearDown() override {
        EXPECT_EQ(backend_->OpenHandleCount(), handlesAtStart_) << "a key was left open";
        RegistryTest::TearDown();
    }

    registry::RegistryScan& Scan() {
        if (!scan_) {
            scan_ = std::make_unique<registry::RegistryScan>(
                registry::RegistryScan::Services{reg(), files_, nullptr, nullptr}, cancelled_,
                problems_);
        }
        return *scan_;
    }
    // The rows as "location below this test's key|value name".
    std::vector<std::string> Rows() const {
        const std::string prefix = "HKEY_CURRENT_USER\\" + Path();
        std::vector<std::string> rows;
        for (const auto& row : problems_.rows) {
            std::string location = row.location;
            if (location.starts_with(prefix)) {
                location = "~" + location.substr(prefix.size());
            }
            rows.push_back(location + "|" + row.valueName);
        }
        return rows;
    }
    void Dead(std::string_view sub, std::string_view name) {
        Put(sub, name, reg_type::kSz, Sz(u"C:\\gone\\app.exe"));
    }
    std::pair<std::uint32_t, std::uint32_t> Counts(RegKey key) {
        std::uint32_t subKeys = 99;
        std::uint32_t values = 99;
        EXPECT_EQ(reg().QueryInfoKey(key, subKeys, values), reg_status::kSuccess);
        return {subKeys, values};
    }

    platform::sim::SimFileSystem files_;
    registry::ProblemList problems_;
    bool cancelled_ = false;
    std::unique_ptr<registry::RegistryScan> scan_;
};

TEST_P(RegistryWalkContract, ALinkLeadsToItsTargetUnlessItIsOpenedAsItself) {
    Put("target", "v", reg_type::kSz, Sz(u"x"));
    MakeKey(kHkcu, Path("target\\sub"));
    ASSERT_TRUE(MakeLink("link", "target"));

    RegKey key = 0;
    ASSERT_EQ(reg().OpenKeyEx(kHkcu, Path("link"), reg_access::kRead, key), reg_status::kSuccess);
    EXPECT_EQ(Counts(key), std::make_pair(1u, 1u)) << "the target's subkey and value";
    reg().CloseKey(key);

    ASSERT_EQ(reg().OpenKeyNoFollow(kHkcu, Path("link"), reg_access::kRead, key),
              reg_status::kSuccess);
    EXPECT_EQ(Counts(key), std::make_pair(0u, 1u));
    platform::RegEnumValueInfo link;
    EXPECT_EQ(reg().EnumValue(key, 0, 261, 1024u, link), reg_status::kSuccess);
    EXPECT_EQ(link.name.value_or("?"), "SymbolicLinkValue");
    EXPECT_EQ(link.type, reg_type::kLink);
    reg().CloseKey(key);

    // Links before the last key are followed; a plain key opens as usual.
    ASSERT_EQ(reg().OpenKeyNoFollow(kHkcu, Path("link\\sub"), reg_access::kRead, key),
              reg_status::kSuccess);
    EXPECT_EQ(Counts(key), std::make_pair(0u, 0u));
    reg().CloseKey(key);
    ASSERT_EQ(reg().OpenKeyNoFollow(kHkcu, Path("target"), reg_access::kAllAccess, key),
              reg_status::kSuccess);
    EXPECT_EQ(Counts(key), std::make_pair(1u, 1u));
    reg().CloseKey(key);
}

TEST_P(RegistryWalkContract, AWalkNeverFollowsALinkItFinds) {
    Dead("target\\App", "Path");
    ASSERT_TRUE(MakeLink("link", "target"));
    ASSERT_TRUE(MakeLink("target\\loop", ""));  // back to the top: a loop of links
    Scan().ScanRegKey(kHkcu, Path());
    EXPECT_EQ(Rows(), std::vector<std::string>{"~\\target\\App|Path"})
        << "each key once, under its own name";

    // A walk may start at a path through a link.
    problems_.Clear();
    Scan().ScanRegKey(kHkcu, Path("link"));
    EXPECT_EQ(Rows(), std::vector<std::string>{"~\\link\\App|Path"});
}

TEST_P(RegistryWalkContract, KeysNamedWithBlanksAreWalkedUnderTheirOwnNames) {
    Dead(" X", "v");
    Dead("X", "w");
    Dead("Y ", "v");
    Scan().ScanRegKey(kHkcu, Path());
    std::vector<std::string> rows = Rows();
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (std::vector<std::string>{"~\\ X|v", "~\\X|w", "~\\Y |v"}));
    EXPECT_EQ(reg::GetStringValue(reg(), kHkcu, Path(" X"), "v", "none"), "C:\\gone\\app.exe");
    EXPECT_EQ(reg::GetStringValue(reg(), kHkcu, Path("X"), "v", "none"), "none");
}

TEST_P(RegistryWalkContract, AKeyNameWithANulIsNotTakenForItsNeighbours) {
    Dead("X", "v");
    const std::string withNul("X\0hidden", 8);
    ASSERT_TRUE(backend_->MakeKeyNamedWithNul(kHkcu, Path(), withNul));
    RegKey key = 0;
    ASSERT_EQ(reg().OpenKeyEx(kHkcu, Path(), reg_access::kRead, key), reg_status::kSuccess);
    std::vector<std::string> names;
    for (std::uint32_t i = 0; i < 2; ++i) {
        names.push_back(reg::EnumSubKey(reg(), key, i));
    }
    reg().CloseKey(key);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"X", withNul})) << "the whole name";
    Scan().ScanRegKey(kHkcu, Path());
    EXPECT_EQ(Rows(), std::vector<std::string>{"~\\X|v"}) << "X walked once";
    EXPECT_TRUE(backend_->DeleteKeyNamedWithNul(kHkcu, Path(), withNul));
}

TEST_P(RegistryWalkContract, AKeyThatCanBeReadButNotChangedIsCountedForReading) {
    Put("ro", "", reg_type::kSz, Sz(u"rofile"));
    MakeKey(kHkcu, Path("ro\\shell"));
    ASSERT_TRUE(backend_->Deny(kHkcu, Path("ro"), false, true));
    EXPECT_EQ(reg::OpenKey(reg(), kHkcu, Path("ro")), 0u);
    std::uint32_t subKeys = 0;
    std::uint32_t values = 0;
    EXPECT_TRUE(reg::ReadKeyCounts(reg(), kHkcu, Path("ro"), subKeys, values));
    EXPECT_EQ(subKeys, 1u);
    EXPECT_EQ(values, 1u);
    EXPECT_FALSE(reg::ReadKeyCounts(reg(), kHkcu, Path("missing"), subKeys, values));

    // An extension key of the classes, as a standard user meets every one of them.
    static int counter = 0;
    const std::string ext =
        ".keldra" + std::to_string(++counter) + Path().substr(Path().rfind('-'));
    const std::string empty = ext + "e";
    RemoveLater(reg_root::kClassesRoot, ext);
    RemoveLater(reg_root::kClassesRoot, empty);
    Put(reg_root::kClassesRoot, ext, "", reg_type::kSz, Sz(u"keldrafile"));
    MakeKey(reg_root::kClassesRoot, empty);
    ASSERT_TRUE(backend_->Deny(reg_root::kClassesRoot, ext, false, true));
    Scan().ScanAssocKey(reg_root::kClassesRoot, ext);
    Scan().ScanAssocKey(reg_root::kClassesRoot, empty);
    ASSERT_EQ(problems_.Count(), 1u);
    EXPECT_EQ(problems_.rows[0].location, "HKEY_CLASSES_ROOT\\" + empty);
}

TEST_P(RegistryWalkContract, AnEnumerationThatGivesNoNameSaysSo) {
    Put("", std::string(300, 'n'), reg_type::kSz, Sz(u"C:\\long.exe"));
    Put("", "", reg_type::kSz, Sz(u"C:\\default.exe"));
    const RegKey key = reg::OpenKey(reg(), kHkcu, Path());
    std::vector<std::string> named;
    for (std::uint32_t i = 0; i < 3; ++i) {
        std::string name = "previous";
        std::string data = "previous";
        std::uint32_t type = 0;
        if (reg::EnumValue(reg(), key, i, name, data, type)) {
            named.push_back(name + "=" + data);
        } else {
            EXPECT_EQ(name, "");
            EXPECT_EQ(data, "");
        }
    }
    EXPECT_EQ(named, std::vector<std::string>{"=C:\\default.exe"});
    reg().CloseKey(key);
}

KELDRA_REGISTRY_BACKENDS(RegistryWalkContract);

}  // namespace
}  // namespace keldra::testing

// The registry access layer on both registries: results, failure results, exact names,
// and every key it opens closed again.
#include <string>

#include "contract/registry_fixture.h"
#include "registry/mdl_registry.h"

namespace keldra::testing {
namespace {

namespace reg = mdlRegistry;
constexpr RegKey kHkcu = reg_root::kCurrentUser;

class RegistryLayer : public RegistryTest {
  protected:
    void TearDown() override {
        EXPECT_EQ(backend_->OpenHandleCount(), handlesAtStart_) << "a key was left open";
        RegistryTest::TearDown();
    }

    // Enumerates value `index` of this test's key the way the walks do.
    struct Enumerated {
        std::string name;
        std::string data;
        std::uint32_t type = 0;
    };
    Enumerated EnumAt(std::uint32_t index, std::uint32_t previousType = 0) {
        const RegKey key = reg::OpenKey(reg(), kHkcu, Path());
        EXPECT_NE(key, 0u);
        Enumerated e;
        e.type = previousType;
        reg::EnumValue(reg(), key, index, e.name, e.data, e.type);
        reg().CloseKey(key);
        return e;
    }
};

TEST_P(RegistryLayer, GetStringValueReadsOnlyPlainStrings) {
    Put("", "plain", reg_type::kSz, Sz(u"C:\\Program Files\\x.exe"));
    Put("", "expand", reg_type::kExpandSz, Sz(u"%windir%\\x.exe"));
    Put("", "nul inside", reg_type::kSz, Sz(std::u16string(u"before\0after", 12)));
    Put("", "no nul", reg_type::kSz, text::ToUtf16LeBytes(u"unterminated"));
    Put("", "empty", reg_type::kSz, {});
    Put("", "number", reg_type::kDword, Dword(1));
    Put("", "", reg_type::kSz, Sz(u"default value"));

    EXPECT_EQ(reg::GetStringValue(reg(), kHkcu, Path(), "plain", "d"), "C:\\Program Files\\x.exe");
    EXPECT_EQ(reg::GetStringValue(reg(), kHkcu, Path(), "PLAIN", "d"), "C:\\Program Files\\x.exe");
    EXPECT_EQ(reg::GetStringValue(reg(), kHkcu, Path(), "expand", "d"), "d");
    EXPECT_EQ(reg::GetStringValue(reg(), kHkcu, Path(), "nul inside", "d"), "before");
    EXPECT_EQ(reg::GetStringValue(reg(), kHkcu, Path(), "no nul", "d"), "unterminated");
    EXPECT_EQ(reg::GetStringValue(reg(), kHkcu, Path(), "empty", "d"), "");
    EXPECT_EQ(reg::GetStringValue(reg(), kHkcu, Path(), "number", "d"), "d");
    EXPECT_EQ(reg::GetStringValue(reg(), kHkcu, Path(), "", "d"), "default value");
    EXPECT_EQ(reg::GetStringValue(reg(), kHkcu, Path(), "absent", "1;1"), "1;1");
    EXPECT_EQ(reg::GetStringValue(reg(), kHkcu, Path("no such key"), "plain", "d"), "d");
}

TEST_P(RegistryLayer, SetStringValueCreatesThePathAndStoresNoTerminator) {
    EXPECT_TRUE(reg::SetStringValue(reg(), kHkcu, Path("new\\deeper"), "Keldra Maintenance",
                                    "\"C:\\Program Files\\Keldra\\keldra.exe\" -auto"));
    const auto [type, bytes] = Stored("new\\deeper", "Keldra Maintenance");
    EXPECT_EQ(type, reg_type::kSz);
    const std::u16string expected = u"\"C:\\Program Files\\Keldra\\keldra.exe\" -auto";
    EXPECT_EQ(bytes.size(), 2 * expected.size());
    EXPECT_EQ(bytes, text::ToUtf16LeBytes(expected));

    reg::SetStringValue(reg(), kHkcu, Path(), "Grüße", "日本語");
    EXPECT_EQ(reg::GetStringValue(reg(), kHkcu, Path(), "grüße", ""), "日本語");
    reg::SetStringValue(reg(), kHkcu, Path(), "empty", "");
    EXPECT_EQ(Stored("", "empty").second, Bytes{});
}

TEST_P(RegistryLayer, SetStringValueOnAReadOnlyKeyChangesNothing) {
    Put("ro", "v", reg_type::kSz, Sz(u"old"));
    ASSERT_TRUE(backend_->Deny(kHkcu, Path("ro"), false, true));
    EXPECT_FALSE(reg::SetStringValue(reg(), kHkcu, Path("ro"), "v", "new"));
    EXPECT_EQ(reg::GetStringValue(reg(), kHkcu, Path("ro"), "v", "d"), "old");
}

TEST_P(RegistryLayer, OpenKeyNeedsFullAccess) {
    MakeKey(kHkcu, Path("open"));
    Put("readable", "v", reg_type::kSz, Sz(u"x"));
    ASSERT_TRUE(backend_->Deny(kHkcu, Path("readable"), false, true));

    const RegKey key = reg::OpenKey(reg(), kHkcu, Path("open"));
    EXPECT_NE(key, 0u);
    reg().CloseKey(key);
    EXPECT_EQ(reg::OpenKey(reg(), kHkcu, Path("readable")), 0u);
    EXPECT_EQ(reg::OpenKey(reg(), kHkcu, Path("missing")), 0u);
}

TEST_P(RegistryLayer, QueryKeyInfoAndEnumSubKeyGiveExactNames) {
    for (const char* name : {" leading", "trailing ", "plain", "Ünïcödé"}) {
        MakeKey(kHkcu, Path(name));
    }
    Put("", "v", reg_type::kSz, Sz(u"x"));
    const RegKey key = reg::OpenKey(reg(), kHkcu, Path());
    std::uint32_t subKeys = 0;
    std::uint32_t values = 0;
    reg::QueryKeyInfo(reg(), key, subKeys, values);
    EXPECT_EQ(subKeys, 4u);
    EXPECT_EQ(values, 1u);
    std::vector<std::string> names;
    for (std::uint32_t i = 0; i < subKeys; ++i) {
        names.push_back(reg::EnumSubKey(reg(), key, i));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{" leading", "plain", "trailing ", "Ünïcödé"}));
    EXPECT_EQ(reg::EnumSubKey(reg(), key, subKeys), "");
    reg().CloseKey(key);

    std::uint32_t keep1 = 3;
    std::uint32_t keep2 = 4;
    reg::QueryKeyInfo(reg(), 0, keep1, keep2);
    EXPECT_EQ(keep1, 3u);
    EXPECT_EQ(keep2, 4u);
}

TEST_P(RegistryLayer, EnumValueTurnsDataIntoText) {
    Put("", "a multi", reg_type::kMultiSz, Sz(std::u16string(u"a\0b\0", 4)));
    Put("", "b dword max", reg_type::kDword, Dword(0xFFFFFFFF));
    Put("", "c dword", reg_type::kDword, Dword(7));
    Put("", "d binary", reg_type::kBinary, Raw({1, 2, 3}));
    Put("", "e long", reg_type::kSz, Sz(std::u16string(1000, u'x')));
    Put("", "f expand", reg_type::kExpandSz, Sz(u"%SystemRoot%\\system32\\x.dll"));
    Put("", "g none", reg_type::kNone, Raw({'a', 0}));
    Put("", "h qword", reg_type::kQword, Raw({1, 0, 0, 0, 0, 0, 0, 0}));
    Put("", "i big dword", reg_type::kDword, Raw({1, 0, 0, 0, 0}));

    // Value order is the platform's; look each one up by name.
    std::map<std::string, std::pair<std::string, std::uint32_t>> seen;
    std::uint32_t type = 0;
    for (std::uint32_t i = 0; i < 9; ++i) {
        const Enumerated e = EnumAt(i, type);
        type = e.type;
        seen[e.name] = {e.data, e.type};
    }
    using Seen = std::pair<std::string, std::uint32_t>;
    EXPECT_EQ(seen["a multi"], Seen("a", reg_type::kMultiSz));
    EXPECT_EQ(seen["b dword max"], Seen("-1", reg_type::kDword));
    EXPECT_EQ(seen["c dword"], Seen("7", reg_type::kDword));
    EXPECT_EQ(seen["d binary"], Seen("", reg_type::kBinary));
    EXPECT_EQ(seen["e long"], Seen(std::string(1000, 'x'), reg_type::kSz));
    EXPECT_EQ(seen["f expand"], Seen("%SystemRoot%\\system32\\x.dll", reg_type::kExpandSz));
    EXPECT_EQ(seen["g none"], Seen("", reg_type::kNone));
    EXPECT_EQ(seen["h qword"], Seen("", reg_type::kQword));
    EXPECT_EQ(seen["i big dword"], Seen("", reg_type::kDword)) << "five bytes do not fit";
}

TEST_P(RegistryLayer, EnumValueClearsDataLeftFromThePreviousValue) {
    Put("", "bin", reg_type::kBinary, Raw({0xFF}));
    const RegKey key = reg::OpenKey(reg(), kHkcu, Path());
    std::string name = "previous";
    std::string data = "previous data";
    std::uint32_t type = reg_type::kSz;
    reg::EnumValue(reg(), key, 0, name, data, type);
    EXPECT_EQ(name, "bin");
    EXPECT_EQ(data, "");
    EXPECT_EQ(type, reg_type::kBinary);

    // Past the last value: no name, no data, the type as the platform left it.
    reg::EnumValue(reg(), key, 1, name, data, type);
    EXPECT_EQ(name, "");
    EXPECT_EQ(data, "");
    EXPECT_EQ(type, reg_type::kBinary);
    reg().CloseKey(key);
}

TEST_P(RegistryLayer, EnumValueKeepsNamesExactly) {
    Put("", "  padded name  ", reg_type::kSz, Sz(u"C:\\x.exe"));
    const Enumerated e = EnumAt(0);
    EXPECT_EQ(e.name, "  padded name  ");
    EXPECT_EQ(e.data, "C:\\x.exe") << "the data is read again under the exact name";
}

TEST_P(RegistryLayer, EnumValueWithAnOverlongNameReportsNoData) {
    // A name beyond the 261-character buffer never arrives; the key's default value must
    // not be reported in its place.
    Put("", std::string(300, 'n'), reg_type::kSz, Sz(u"C:\\long.exe"));
    Put("", "", reg_type::kSz, Sz(u"C:\\default.exe"));
    const RegKey key = reg::OpenKey(reg(), kHkcu, Path());
    bool sawLong = false;
    for (std::uint32_t i = 0; i < 2; ++i) {
        std::string name;
        std::string data;
        std::uint32_t type = 0;
        reg::EnumValue(reg(), key, i, name, data, type);
        if (data != "C:\\default.exe") {
            sawLong = true;
            EXPECT_EQ(name, "");
            EXPECT_EQ(data, "");
            EXPECT_EQ(type, reg_type::kSz);
        }
    }
    EXPECT_TRUE(sawLong);
    reg().CloseKey(key);
}

TEST_P(RegistryLayer, ReadValueGivesTextNumberOrHex) {
    Put("", "bin", reg_type::kBinary, Raw({0x01, 0xAB, 0x00}));
    Put("", "bin2", reg_type::kBinary, Raw({0x0A, 0xFF, 0x00}));
    Put("", "empty bin", reg_type::kBinary, {});
    Put("", "dword", reg_type::kDword, Dword(0xFFFFFFFF));
    Put("", "sz", reg_type::kSz, Sz(std::u16string(u"first\0second", 12)));
    Put("", "multi", reg_type::kMultiSz, Sz(std::u16string(u"one\0two\0", 8)));
    Put("", "expand", reg_type::kExpandSz, Sz(u"%TEMP%"));
    Put("", "qword", reg_type::kQword, Raw({1, 2, 3, 4, 5, 6, 7, 8}));
    Put("", "", reg_type::kSz, Sz(u"txtfile"));

    EXPECT_EQ(reg::ReadValue(reg(), kHkcu, Path(), "bin"),
              reg::RegVariant(std::string("01 AB 00")));
    EXPECT_EQ(reg::ReadValue(reg(), kHkcu, Path(), "bin2"),
              reg::RegVariant(std::string("0A FF 00")));
    EXPECT_EQ(reg::ReadValue(reg(), kHkcu, Path(), "empty bin"), reg::RegVariant(std::string()));
    EXPECT_EQ(reg::ReadValue(reg(), kHkcu, Path(), "dword"), reg::RegVariant(std::int32_t{-1}));
    EXPECT_EQ(reg::ReadValue(reg(), kHkcu, Path(), "sz"), reg::RegVariant(std::string("first")));
    EXPECT_EQ(reg::ReadValue(reg(), kHkcu, Path(), "multi"), reg::RegVariant(std::string("one")));
    EXPECT_EQ(reg::ReadValue(reg(), kHkcu, Path(), "expand"),
              reg::RegVariant(std::string("%TEMP%")));
    EXPECT_EQ(reg::ReadValue(reg(), kHkcu, Path(), ""), reg::RegVariant(std::string("txtfile")));
    EXPECT_EQ(reg::ReadValue(reg(), kHkcu, Path(), "qword"), reg::RegVariant());
    EXPECT_EQ(reg::ReadValue(reg(), kHkcu, Path(), "absent"), reg::RegVariant());
    EXPECT_EQ(reg::ReadValue(reg(), kHkcu, Path("absent"), "sz"), reg::RegVariant());

    EXPECT_EQ(reg::VariantText(reg::RegVariant()), "");
    EXPECT_EQ(reg::VariantText(reg::RegVariant(std::int32_t{-1})), "-1");
}

TEST_P(RegistryLayer, DeleteValueReturnsThePlatformStatus) {
    Put("", "doomed", reg_type::kSz, Sz(u"x"));
    Put("", "  spaced  ", reg_type::kSz, Sz(u"x"));
    Put("", "spaced", reg_type::kSz, Sz(u"keep me"));
    EXPECT_EQ(reg::DeleteValue(reg(), kHkcu, Path(), "doomed"), reg_status::kSuccess);
    EXPECT_EQ(reg::DeleteValue(reg(), kHkcu, Path(), "doomed"), reg_status::kFileNotFound);
    EXPECT_NE(reg::DeleteValue(reg(), kHkcu, Path("no such key"), "doomed"), reg_status::kSuccess);

    // The name with blanks is the one deleted, not its trimmed neighbour.
    EXPECT_EQ(reg::DeleteValue(reg(), kHkcu, Path(), "  spaced  "), reg_status::kSuccess);
    EXPECT_EQ(reg::GetStringValue(reg(), kHkcu, Path(), "spaced", "gone"), "keep me");

    Put("ro", "v", reg_type::kSz, Sz(u"x"));
    ASSERT_TRUE(backend_->Deny(kHkcu, Path("ro"), false, true));
    EXPECT_EQ(reg::DeleteValue(reg(), kHkcu, Path("ro"), "v"), reg_status::kAccessDenied);
}

TEST_P(RegistryLayer, KeyExistsTreatsOnlyMissingKeysAsAbsent) {
    MakeKey(kHkcu, Path("here"));
    MakeKey(kHkcu, Path("locked"));
    ASSERT_TRUE(backend_->Deny(kHkcu, Path("locked"), true, true));
    EXPECT_TRUE(reg::KeyExists(reg(), kHkcu, Path("here")));
    EXPECT_TRUE(reg::KeyExists(reg(), kHkcu, Path("HERE")));
    EXPECT_FALSE(reg::KeyExists(reg(), kHkcu, Path("not here")));
    EXPECT_FALSE(reg::KeyExists(reg(), kHkcu, Path("not here\\below")));
    EXPECT_TRUE(reg::KeyExists(reg(), kHkcu, Path("locked"))) << "denied is not missing";
    EXPECT_TRUE(reg::KeyExists(reg(), kHkcu, ""));
}

KELDRA_REGISTRY_BACKENDS(RegistryLayer);

}  // namespace
}  // namespace keldra::testing

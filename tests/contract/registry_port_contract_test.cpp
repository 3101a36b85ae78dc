// One behaviour for both registries: what the real one does (under Wine) the simulated one
// must do too, status codes included.
#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "contract/registry_fixture.h"

namespace keldra::testing {
namespace {

class RegistryPortContract : public RegistryTest {
  protected:
    // Wine checks no rights for a key-info query, nor the rights of an existing key when
    // creating below it; Windows refuses both, and so does the simulation.
    void ExpectDeniedUnlessWine(RegStatus status, const RegKey* opened = nullptr) {
        if (GetParam().name == "win32" && status == reg_status::kSuccess) {
            if (opened != nullptr) {
                reg().CloseKey(*opened);
            }
            return;
        }
        EXPECT_EQ(status, reg_status::kAccessDenied);
    }

    std::vector<std::string> SubKeyNames(RegKey root, const std::string& path) {
        RegKey key = 0;
        EXPECT_EQ(reg().OpenKeyEx(root, path, reg_access::kRead, key), reg_status::kSuccess);
        std::vector<std::string> names;
        std::string name;
        for (std::uint32_t i = 0; reg().EnumKey(key, i, 261, name) == reg_status::kSuccess; ++i) {
            names.push_back(name);
        }
        reg().CloseKey(key);
        return names;
    }
    std::vector<std::string> ValueNames(const std::string& path) {
        RegKey key = 0;
        EXPECT_EQ(reg().OpenKeyEx(reg_root::kCurrentUser, path, reg_access::kRead, key),
                  reg_status::kSuccess);
        std::vector<std::string> names;
        for (std::uint32_t i = 0;; ++i) {
            platform::RegEnumValueInfo info;
            if (reg().EnumValue(key, i, 16384, std::nullopt, info) != reg_status::kSuccess) {
                break;
            }
            names.push_back(info.name.value_or("<none>"));
        }
        reg().CloseKey(key);
        return names;
    }
};

TEST_P(RegistryPortContract, OpeningCreatingAndClosingGiveWindowsStatusCodes) {
    RegKey key = 0;
    EXPECT_EQ(reg().OpenKey(reg_root::kCurrentUser, Path("a\\b"), key), reg_status::kFileNotFound);
    EXPECT_EQ(reg().OpenKeyEx(reg_root::kCurrentUser, Path("a"), reg_access::kAllAccess, key),
              reg_status::kFileNotFound);

    // Creating makes every missing key on the way.
    ASSERT_EQ(reg().CreateKey(reg_root::kCurrentUser, Path("a\\b\\c"), key), reg_status::kSuccess);
    EXPECT_NE(key, 0u);
    EXPECT_FALSE(platform::IsPredefinedRoot(key));
    EXPECT_EQ(reg().CloseKey(key), reg_status::kSuccess);
    EXPECT_EQ(reg().CloseKey(key), reg_status::kInvalidHandle) << "closed twice";

    RegKey other = 0;
    ASSERT_EQ(reg().OpenKeyEx(reg_root::kCurrentUser, Path("a\\b"), reg_access::kAllAccess, other),
              reg_status::kSuccess);
    RegKey child = 0;
    EXPECT_EQ(reg().OpenKey(other, "c", child), reg_status::kSuccess) << "relative to a handle";
    EXPECT_EQ(reg().CloseKey(child), reg_status::kSuccess);
    EXPECT_EQ(reg().CloseKey(other), reg_status::kSuccess);

    // A separator at the end or twice in the middle changes nothing.
    EXPECT_EQ(reg().OpenKey(reg_root::kCurrentUser, Path("a\\\\b\\"), key), reg_status::kSuccess);
    EXPECT_EQ(reg().CloseKey(key), reg_status::kSuccess);
    // A path may not start with a separator.
    EXPECT_EQ(reg().OpenKey(reg_root::kCurrentUser, "\\" + Path("a"), key),
              reg_status::kBadPathname);

    EXPECT_EQ(reg().CloseKey(0), reg_status::kInvalidHandle);
    EXPECT_EQ(reg().CloseKey(0x4321), reg_status::kInvalidHandle);
    EXPECT_EQ(reg().CloseKey(reg_root::kLocalMachine), reg_status::kSuccess);
    EXPECT_EQ(backend_->OpenHandleCount(), handlesAtStart_);
}

TEST_P(RegistryPortContract, AnEmptyPathGivesTheRootBackOrANewHandle) {
    // Opening a root with an empty path gives the root itself.
    RegKey key = 0;
    EXPECT_EQ(reg().OpenKey(reg_root::kCurrentUser, "", key), reg_status::kSuccess);
    EXPECT_EQ(key, reg_root::kCurrentUser);
    key = 0;
    EXPECT_EQ(reg().OpenKeyEx(reg_root::kCurrentUser, "", reg_access::kAllAccess, key),
              reg_status::kSuccess);
    EXPECT_EQ(key, reg_root::kCurrentUser);

    // Below an open key the plain open hands it back; the others open a new handle.
    RegKey parent = 0;
    ASSERT_EQ(reg().OpenKeyEx(reg_root::kCurrentUser, Path(), reg_access::kRead, parent),
              reg_status::kSuccess);
    EXPECT_EQ(reg().OpenKey(parent, "", key), reg_status::kSuccess);
    EXPECT_EQ(key, parent);
    EXPECT_EQ(reg().OpenKeyEx(parent, "", reg_access::kRead, key), reg_status::kSuccess);
    EXPECT_NE(key, parent);
    EXPECT_EQ(reg().CloseKey(key), reg_status::kSuccess);
    EXPECT_EQ(reg().CreateKey(parent, "", key), reg_status::kSuccess);
    EXPECT_NE(key, parent);
    EXPECT_EQ(reg().CloseKey(key), reg_status::kSuccess);
    EXPECT_EQ(reg().CloseKey(parent), reg_status::kSuccess);

    EXPECT_EQ(reg().CreateKey(reg_root::kCurrentUser, "", key), reg_status::kSuccess);
    EXPECT_NE(key, 0u);
    reg().CloseKey(key);
    EXPECT_EQ(backend_->OpenHandleCount(), handlesAtStart_);
}

TEST_P(RegistryPortContract, OnlyClassesRootToleratesALeadingSeparator) {
    const std::string name = "KeldraTest." + base_.substr(base_.rfind('-') + 1);
    RemoveLater(reg_root::kLocalMachine, "Software\\Classes\\" + name);
    MakeKey(reg_root::kClassesRoot, name);
    RegKey key = 0;
    EXPECT_EQ(reg().OpenKey(reg_root::kClassesRoot, "\\" + name, key), reg_status::kSuccess);
    reg().CloseKey(key);
    EXPECT_EQ(reg().OpenKeyEx(reg_root::kClassesRoot, "\\" + name, reg_access::kRead, key),
              reg_status::kSuccess);
    reg().CloseKey(key);
    EXPECT_EQ(reg().OpenKey(reg_root::kCurrentUser, "\\Software", key), reg_status::kBadPathname);
}

TEST_P(RegistryPortContract, InvalidHandlesAreRefusedWithoutTouchingOutputs) {
    std::uint32_t subKeys = 77;
    std::uint32_t values = 88;
    EXPECT_EQ(reg().QueryInfoKey(0, subKeys, values), reg_status::kInvalidHandle);
    EXPECT_EQ(subKeys, 77u);
    EXPECT_EQ(values, 88u);
    std::string name = "kept";
    EXPECT_EQ(reg().EnumKey(0, 0, 261, name), reg_status::kInvalidHandle);
    EXPECT_EQ(name, "kept");
    platform::RegValueInfo info;
    info.type = 99;
    EXPECT_EQ(reg().QueryValue(0, "x", std::nullopt, info), reg_status::kInvalidHandle);
    EXPECT_EQ(info.type, 99u);
    EXPECT_EQ(reg().SetValue(0, "x", reg_type::kSz, Sz(u"x")), reg_status::kInvalidHandle);
    EXPECT_EQ(reg().DeleteValue(0, "x"), reg_status::kInvalidHandle);
    RegKey key = 0;
    EXPECT_EQ(reg().OpenKeyEx(0, "Software", reg_access::kRead, key), reg_status::kInvalidHandle);
}

TEST_P(RegistryPortContract, NamesIgnoreCaseButKeepIt) {
    MakeKey(reg_root::kCurrentUser, Path("MiXed Case"));
    RegKey key = 0;
    ASSERT_EQ(reg().OpenKey(reg_root::kCurrentUser, Path("mixed CASE"), key), reg_status::kSuccess);
    EXPECT_EQ(SubKeyNames(reg_root::kCurrentUser, Path()), std::vector<std::string>{"MiXed Case"});

    EXPECT_EQ(reg().SetValue(key, "Value Name", reg_type::kSz, Sz(u"one")), reg_status::kSuccess);
    // Writing through another spelling replaces the data; the stored name keeps its case.
    EXPECT_EQ(reg().SetValue(key, "VALUE name", reg_type::kDword, Dword(2)), reg_status::kSuccess);
    platform::RegValueInfo info;
    EXPECT_EQ(reg().QueryValue(key, "value NAME", 64u, info), reg_status::kSuccess);
    EXPECT_EQ(info.type, reg_type::kDword);
    EXPECT_EQ(info.data, Dword(2));
    reg().CloseKey(key);
    EXPECT_EQ(ValueNames(Path("MiXed Case")), std::vector<std::string>{"Value Name"});
}

TEST_P(RegistryPortContract, NonAsciiNamesRoundTripAndFoldCase) {
    const std::string keyName = "Ärger-Ключ-日本-\xF0\x9F\x94\x91";  // with a key emoji
    MakeKey(reg_root::kCurrentUser, Path(keyName));
    EXPECT_EQ(SubKeyNames(reg_root::kCurrentUser, Path()), std::vector<std::string>{keyName});
    RegKey key = 0;
    ASSERT_EQ(reg().OpenKey(reg_root::kCurrentUser, Path("äRGER-ключ-日本-\xF0\x9F\x94\x91"), key),
              reg_status::kSuccess);
    const std::string valueName = "Größe €";
    EXPECT_EQ(reg().SetValue(key, valueName, reg_type::kSz, Sz(u"Größe")), reg_status::kSuccess);
    reg().CloseKey(key);
    EXPECT_EQ(ValueNames(Path(keyName)), std::vector<std::string>{valueName});
    EXPECT_EQ(Stored(keyName, "GRÖßE €").second, Sz(u"Größe"));
}

TEST_P(RegistryPortContract, SubkeysAndValuesEnumerateInNameOrderWithoutRegardToCase) {
    for (const char* name : {"b", "A", "_x", "c1", "C0", "ä", "Zed"}) {
        MakeKey(reg_root::kCurrentUser, Path(name));
        Put("", name, reg_type::kSz, Sz(u"v"));
    }
    const std::vector<std::string> expected{"_x", "A", "b", "C0", "c1", "Zed", "ä"};
    EXPECT_EQ(SubKeyNames(reg_root::kCurrentUser, Path()), expected);
    EXPECT_EQ(ValueNames(Path()), expected);
}

TEST_P(RegistryPortContract, KeyInfoCountsSubkeysAndValues) {
    MakeKey(reg_root::kCurrentUser, Path("one"));
    MakeKey(reg_root::kCurrentUser, Path("two\\deeper"));
    Put("", "", reg_type::kSz, Sz(u"default"));
    Put("", "x", reg_type::kBinary, Raw({1}));
    Put("", "y", reg_type::kNone, {});
    RegKey key = 0;
    ASSERT_EQ(reg().OpenKeyEx(reg_root::kCurrentUser, Path(), reg_access::kAllAccess, key),
              reg_status::kSuccess);
    std::uint32_t subKeys = 0;
    std::uint32_t values = 0;
    EXPECT_EQ(reg().QueryInfoKey(key, subKeys, values), reg_status::kSuccess);
    EXPECT_EQ(subKeys, 2u);
    EXPECT_EQ(values, 3u);
    reg().CloseKey(key);
}

TEST_P(RegistryPortContract, EnumKeyReportsTheEndAndATooSmallBuffer) {
    MakeKey(reg_root::kCurrentUser, Path("abcdefghij"));
    RegKey key = 0;
    ASSERT_EQ(reg().OpenKeyEx(reg_root::kCurrentUser, Path(), reg_access::kRead, key),
              reg_status::kSuccess);
    std::string name = "kept";
    EXPECT_EQ(reg().EnumKey(key, 1, 261, name), reg_status::kNoMoreItems);
    EXPECT_EQ(name, "kept");
    EXPECT_EQ(reg().EnumKey(key, 0, 10, name), reg_status::kMoreData) << "no room for the NUL";
    EXPECT_EQ(name, "kept");
    EXPECT_EQ(reg().EnumKey(key, 0, 11, name), reg_status::kSuccess);
    EXPECT_EQ(name, "abcdefghij");
    reg().CloseKey(key);
}

TEST_P(RegistryPortContract, ValuesKeepTheirTypeAndExactBytes) {
    std::vector<std::uint8_t> big(100000);
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<std::uint8_t>(i * 7);
    }
    const std::vector<std::tuple<std::string, std::uint32_t, Bytes>> cases{
        {"sz", reg_type::kSz, Sz(u"C:\\Windows\\notepad.exe")},
        {"sz without nul", reg_type::kSz, text::ToUtf16LeBytes(u"abc")},
        {"sz with inner nul", reg_type::kSz, Sz(std::u16string(u"ab\0cd", 5))},
        {"sz odd length", reg_type::kSz, Raw({'a', 0, 'b'})},
        {"expand", reg_type::kExpandSz, Sz(u"%SystemRoot%\\system32")},
        {"multi", reg_type::kMultiSz, Sz(std::u16string(u"a\0b\0", 4))},
        {"dword", reg_type::kDword, Dword(0xFFFFFFFF)},
        {"short dword", reg_type::kDword, Raw({7, 0})},
        {"binary", reg_type::kBinary, Raw({0x01, 0xAB, 0x00})},
        {"empty binary", reg_type::kBinary, {}},
        {"none", reg_type::kNone, Raw({9, 9})},
        {"qword", reg_type::kQword, Raw({1, 2, 3, 4, 5, 6, 7, 8})},
        {"big", reg_type::kBinary, big},
        {"   blanks around   ", reg_type::kSz, Sz(u"x")},
        {"", reg_type::kSz, Sz(u"the default value")},
    };
    for (const auto& [name, type, data] : cases) {
        Put("", name, type, data);
    }
    for (const auto& [name, type, data] : cases) {
        const auto [storedType, storedData] = Stored("", name);
        EXPECT_EQ(storedType, type) << name;
        EXPECT_EQ(storedData, data) << name;
    }
}

TEST_P(RegistryPortContract, QueryValueReportsSizeAndRefusesASmallBuffer) {
    Put("", "text", reg_type::kSz, Sz(u"hello"));  // 12 bytes
    RegKey key = 0;
    ASSERT_EQ(reg().OpenKeyEx(reg_root::kCurrentUser, Path(), reg_access::kRead, key),
              reg_status::kSuccess);
    platform::RegValueInfo info;
    EXPECT_EQ(reg().QueryValue(key, "TEXT", std::nullopt, info), reg_status::kSuccess);
    EXPECT_EQ(info.type, reg_type::kSz);
    EXPECT_EQ(info.dataBytes, 12u);
    EXPECT_TRUE(info.data.empty());

    platform::RegValueInfo small;
    EXPECT_EQ(reg().QueryValue(key, "text", 11u, small), reg_status::kMoreData);
    EXPECT_EQ(small.type, reg_type::kSz);
    EXPECT_EQ(small.dataBytes, 12u);
    EXPECT_TRUE(small.data.empty());

    platform::RegValueInfo exact;
    EXPECT_EQ(reg().QueryValue(key, "text", 12u, exact), reg_status::kSuccess);
    EXPECT_EQ(exact.data, Sz(u"hello"));

    platform::RegValueInfo missing;
    missing.type = 42;
    EXPECT_EQ(reg().QueryValue(key, "absent", 100u, missing), reg_status::kFileNotFound);
    EXPECT_EQ(missing.type, 42u);
    EXPECT_EQ(reg().QueryValue(key, "", std::nullopt, missing), reg_status::kFileNotFound)
        << "no default value was set";
    reg().CloseKey(key);
}

TEST_P(RegistryPortContract, EnumValueReportsWhatItCouldNotCopy) {
    const std::string longName(300, 'n');
    Put("", "big", reg_type::kSz, Sz(std::u16string(200, u'x')));  // 402 bytes
    Put("", longName, reg_type::kExpandSz, Sz(u"abc"));
    RegKey key = 0;
    ASSERT_EQ(reg().OpenKeyEx(reg_root::kCurrentUser, Path(), reg_access::kRead, key),
              reg_status::kSuccess);

    // Data larger than the buffer: the name, type and size still arrive.
    platform::RegEnumValueInfo big;
    EXPECT_EQ(reg().EnumValue(key, 0, 261, 255u, big), reg_status::kMoreData);
    EXPECT_EQ(big.name, std::optional<std::string>("big"));
    EXPECT_EQ(big.type, reg_type::kSz);
    EXPECT_EQ(big.dataBytes, 402u);
    EXPECT_TRUE(big.data.empty());

    // A name longer than the buffer: no name, but type and size.
    platform::RegEnumValueInfo named;
    EXPECT_EQ(reg().EnumValue(key, 1, 261, 255u, named), reg_status::kMoreData);
    EXPECT_FALSE(named.name.has_value());
    EXPECT_EQ(named.type, reg_type::kExpandSz);
    EXPECT_EQ(named.dataBytes, 8u);

    platform::RegEnumValueInfo fits;
    EXPECT_EQ(reg().EnumValue(key, 1, 302, 255u, fits), reg_status::kSuccess);
    EXPECT_EQ(fits.name, std::optional<std::string>(longName));
    EXPECT_EQ(fits.data, Sz(u"abc"));

    // Past the end nothing is written: the type stays, the size is the announced one.
    platform::RegEnumValueInfo end;
    end.type = 4;
    EXPECT_EQ(reg().EnumValue(key, 2, 261, 255u, end), reg_status::kNoMoreItems);
    EXPECT_FALSE(end.name.has_value());
    EXPECT_EQ(end.type, 4u);
    EXPECT_EQ(end.dataBytes, 255u);
    reg().CloseKey(key);
}

TEST_P(RegistryPortContract, DeletingAValueTwiceReportsItMissing) {
    Put("", "gone", reg_type::kSz, Sz(u"x"));
    Put("", "", reg_type::kSz, Sz(u"default"));
    RegKey key = 0;
    ASSERT_EQ(reg().OpenKeyEx(reg_root::kCurrentUser, Path(), reg_access::kAllAccess, key),
              reg_status::kSuccess);
    EXPECT_EQ(reg().DeleteValue(key, "GONE"), reg_status::kSuccess);
    EXPECT_EQ(reg().DeleteValue(key, "gone"), reg_status::kFileNotFound);
    EXPECT_EQ(reg().DeleteValue(key, ""), reg_status::kSuccess);
    std::uint32_t subKeys = 9;
    std::uint32_t values = 9;
    EXPECT_EQ(reg().QueryInfoKey(key, subKeys, values), reg_status::kSuccess);
    EXPECT_EQ(values, 0u);
    reg().CloseKey(key);
}

TEST_P(RegistryPortContract, ClassesRootShowsTheMachineClasses) {
    const std::string name = "KeldraTest." + base_.substr(base_.rfind('-') + 1);
    RemoveLater(reg_root::kLocalMachine, "Software\\Classes\\" + name);
    RemoveLater(reg_root::kLocalMachine, "Software\\Classes\\" + name + "-2");
    Put(reg_root::kLocalMachine, "Software\\Classes\\" + name, "", reg_type::kSz, Sz(u"machine"));
    Put(reg_root::kClassesRoot, name + "-2", "", reg_type::kSz, Sz(u"through the view"));

    RegKey key = 0;
    ASSERT_EQ(reg().OpenKey(reg_root::kClassesRoot, name, key), reg_status::kSuccess);
    platform::RegValueInfo info;
    EXPECT_EQ(reg().QueryValue(key, "", 64u, info), reg_status::kSuccess);
    EXPECT_EQ(info.data, Sz(u"machine"));
    reg().CloseKey(key);
    ASSERT_EQ(reg().OpenKey(reg_root::kLocalMachine, "Software\\Classes\\" + name + "-2", key),
              reg_status::kSuccess);
    reg().CloseKey(key);
}

TEST_P(RegistryPortContract, CurrentUserIsOneBranchOfUsers) {
    const auto users = SubKeyNames(reg_root::kUsers, "");
    EXPECT_NE(std::find(users.begin(), users.end(), ".Default"), users.end());
    int found = 0;
    for (const auto& sid : users) {
        RegKey key = 0;
        if (reg().OpenKey(reg_root::kUsers, sid + "\\" + base_, key) == reg_status::kSuccess) {
            ++found;
            reg().CloseKey(key);
        }
    }
    EXPECT_EQ(found, 1);
}

TEST_P(RegistryPortContract, AnEmptyAccessListLeavesOnlyTheOwnersRights) {
    Put("locked", "v", reg_type::kSz, Sz(u"x"));
    ASSERT_TRUE(backend_->Deny(reg_root::kCurrentUser, Path("locked"), true, true));
    RegKey key = 0;
    EXPECT_EQ(reg().OpenKeyEx(reg_root::kCurrentUser, Path("locked"), reg_access::kAllAccess, key),
              reg_status::kAccessDenied);
    EXPECT_EQ(reg().OpenKeyEx(reg_root::kCurrentUser, Path("locked"), reg_access::kRead, key),
              reg_status::kAccessDenied);
    key = 0;
    ExpectDeniedUnlessWine(reg().CreateKey(reg_root::kCurrentUser, Path("locked\\below"), key),
                           &key);
    // The owner may still read and change the access list, so a plain open succeeds,
    // and the handle can do nothing else.
    ASSERT_EQ(reg().OpenKey(reg_root::kCurrentUser, Path("locked"), key), reg_status::kSuccess);
    std::uint32_t subKeys = 0;
    std::uint32_t values = 0;
    ExpectDeniedUnlessWine(reg().QueryInfoKey(key, subKeys, values));
    std::string name;
    EXPECT_EQ(reg().EnumKey(key, 0, 261, name), reg_status::kAccessDenied);
    platform::RegValueInfo info;
    EXPECT_EQ(reg().QueryValue(key, "v", 64u, info), reg_status::kAccessDenied);
    EXPECT_EQ(reg().DeleteValue(key, "v"), reg_status::kAccessDenied);
    EXPECT_EQ(reg().CloseKey(key), reg_status::kSuccess);
    // The parent still lists it.
    EXPECT_EQ(SubKeyNames(reg_root::kCurrentUser, Path()), std::vector<std::string>{"locked"});
    EXPECT_EQ(backend_->OpenHandleCount(), handlesAtStart_);
}

TEST_P(RegistryPortContract, AReadOnlyKeyOpensForReadingOnly) {
    Put("readonly", "v", reg_type::kSz, Sz(u"x"));
    ASSERT_TRUE(backend_->Deny(reg_root::kCurrentUser, Path("readonly"), false, true));
    RegKey key = 0;
    EXPECT_EQ(
        reg().OpenKeyEx(reg_root::kCurrentUser, Path("readonly"), reg_access::kAllAccess, key),
        reg_status::kAccessDenied);
    ASSERT_EQ(reg().OpenKey(reg_root::kCurrentUser, Path("readonly"), key), reg_status::kSuccess);
    platform::RegValueInfo info;
    EXPECT_EQ(reg().QueryValue(key, "v", 64u, info), reg_status::kSuccess);
    EXPECT_EQ(reg().SetValue(key, "w", reg_type::kSz, Sz(u"y")), reg_status::kAccessDenied);
    EXPECT_EQ(reg().DeleteValue(key, "v"), reg_status::kAccessDenied);
    reg().CloseKey(key);

    // Creating an existing key opens it with what is allowed; below it nothing new is made.
    ASSERT_EQ(reg().CreateKey(reg_root::kCurrentUser, Path("readonly"), key), reg_status::kSuccess);
    EXPECT_EQ(reg().SetValue(key, "w", reg_type::kSz, Sz(u"y")), reg_status::kAccessDenied);
    reg().CloseKey(key);
    key = 0;
    ExpectDeniedUnlessWine(reg().CreateKey(reg_root::kCurrentUser, Path("readonly\\new"), key),
                           &key);
    EXPECT_EQ(backend_->OpenHandleCount(), handlesAtStart_);
}

TEST_P(RegistryPortContract, AWriteOnlyKeyCannotBeEnumerated) {
    Put("writeonly", "v", reg_type::kSz, Sz(u"x"));
    ASSERT_TRUE(backend_->Deny(reg_root::kCurrentUser, Path("writeonly"), true, false));
    RegKey key = 0;
    EXPECT_EQ(reg().OpenKeyEx(reg_root::kCurrentUser, Path("writeonly"), reg_access::kRead, key),
              reg_status::kAccessDenied);
    ASSERT_EQ(reg().OpenKey(reg_root::kCurrentUser, Path("writeonly"), key), reg_status::kSuccess);
    std::uint32_t subKeys = 5;
    std::uint32_t values = 5;
    ExpectDeniedUnlessWine(reg().QueryInfoKey(key, subKeys, values));
    platform::RegValueInfo info;
    EXPECT_EQ(reg().QueryValue(key, "v", 64u, info), reg_status::kAccessDenied);
    EXPECT_EQ(reg().SetValue(key, "w", reg_type::kSz, Sz(u"y")), reg_status::kSuccess);
    reg().CloseKey(key);
}

KELDRA_REGISTRY_BACKENDS(RegistryPortContract);

}  // namespace
}  // namespace keldra::testing

// The settings store on both registries: where the values live and how they read back.
#include "contract/registry_fixture.h"
#include "platform/registry_settings.h"

namespace keldra::testing {
namespace {

class SettingsStore : public RegistryTest {
  protected:
    void SetUp() override {
        RegistryTest::SetUp();
        app_ = base_.substr(base_.rfind('\\') + 1);
        RemoveLater(reg_root::kCurrentUser, "Software\\VB and VBA Program Settings\\" + app_);
    }
    std::string app_;
};

TEST_P(SettingsStore, ValuesLiveWhereSuchProgramsKeepThemAndReadBack) {
    platform::RegistrySettings settings(reg());
    EXPECT_EQ(settings.GetSetting(app_, "Options", "AutoFix", "1"), "1") << "absent: the default";
    ASSERT_TRUE(settings.SaveSetting(app_, "Options", "AutoFix", "0"));
    EXPECT_EQ(settings.GetSetting(app_, "Options", "AutoFix", "1"), "0");
    EXPECT_EQ(settings.GetSetting(app_, "options", "autofix", "1"), "0")
        << "without regard to case";
    ASSERT_TRUE(settings.SaveSetting(app_, "Options", "LastRun", "2026-12-08 09:30:00"));

    // A REG_SZ value with its terminator, under HKCU\Software\VB and VBA Program Settings.
    RegKey key = 0;
    ASSERT_EQ(reg().OpenKeyEx(reg_root::kCurrentUser,
                              "Software\\VB and VBA Program Settings\\" + app_ + "\\Options",
                              reg_access::kRead, key),
              reg_status::kSuccess);
    platform::RegValueInfo info;
    EXPECT_EQ(reg().QueryValue(key, "AutoFix", 64u, info), reg_status::kSuccess);
    EXPECT_EQ(info.type, reg_type::kSz);
    EXPECT_EQ(info.data, Sz(u"0"));
    reg().CloseKey(key);
    EXPECT_EQ(backend_->OpenHandleCount(), handlesAtStart_);
}

TEST_P(SettingsStore, AValueOfAnotherTypeOrAnUnwritableStoreFallsBack) {
    platform::RegistrySettings settings(reg());
    const std::string path = "Software\\VB and VBA Program Settings\\" + app_ + "\\Options";
    Put(reg_root::kCurrentUser, path, "Hour", reg_type::kDword, Dword(9));
    EXPECT_EQ(settings.GetSetting(app_, "Options", "Hour", "12"), "12");
    ASSERT_TRUE(backend_->Deny(reg_root::kCurrentUser, path, false, true));
    EXPECT_FALSE(settings.SaveSetting(app_, "Options", "Hour", "10"));
    EXPECT_EQ(backend_->OpenHandleCount(), handlesAtStart_);
}

KELDRA_REGISTRY_BACKENDS(SettingsStore);

}  // namespace
}  // namespace keldra::testing

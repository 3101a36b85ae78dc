// The command-line switches: which words are switches, the list of them, and undoing the
// latest repair without a window, a tray icon or a pass, also beside a waiting instance.
#include "app/start_switches.h"

#include <string>

#include "console_fixture.h"
#include "platform/text.h"
#include "registry/remove.h"
#include "registry/safe_reg.h"

namespace keldra::app::testing {
namespace {

namespace reg_root = platform::reg_root;
namespace reg_type = platform::reg_type;
namespace reg_status = platform::reg_status;

TEST(StartSwitchOf, OnlyWholeWordsInAnyCaseAreSwitches) {
    for (const char* usage :
         {"-?", "/?", "-help", "/HELP", "-Help -restore", "\"-?\"", "-restore /?", "  -?  "}) {
        EXPECT_EQ(StartSwitchOf(usage), StartSwitch::Usage) << usage;
    }
    for (const char* restore : {"-restore", "/Restore", "-RESTORE -auto", "x -restore"}) {
        EXPECT_EQ(StartSwitchOf(restore), StartSwitch::Restore) << restore;
    }
    for (const char* none : {"", "-auto", "auto", "-restorex", "restore", "-?x", "help",
                             "\"-restore me\"", "-autorestore"}) {
        EXPECT_EQ(StartSwitchOf(none), StartSwitch::None) << none;
    }
}

class StartSwitchTest : public ConsoleTest {
  protected:
    StartSwitchTest() {
        auto texts = EnglishTexts();
        for (const char* id : {"UCM_Usage", "UCM_UsageAuto", "UCM_UsageRestore", "UCM_UsageHelp",
                               "UCM_RestNone", "UCM_RestBad", "UCM_RestLine", "UCM_RestOf",
                               "UCM_RestCame", "UCM_RestFrom", "UCM_RestFailed", "UCM_RestDenied",
                               "UCM_RestError", "UCM_RestExisting", "UCM_RestMore"}) {
            texts[id] = std::string("<") + id + ">";
        }
        sim.language.texts = texts;
    }
    // Nothing of a normal start happened.
    void ExpectNoStart() {
        EXPECT_FALSE(sim.ui.Exists("frmMain"));
        EXPECT_FALSE(sim.ui.Exists("frmWelc"));
        EXPECT_EQ(sim.tray.addCount, 0);
        EXPECT_TRUE(sim.process.started.empty()) << "no companion, no memory optimiser";
        EXPECT_EQ(Setting("WelcScreen"), "<absent>");
    }
    void Put(std::string_view name, std::uint32_t type, const std::vector<std::uint8_t>& data,
             platform::RegKey root = reg_root::kCurrentUser) {
        platform::RegKey key = 0;
        ASSERT_EQ(registry.CreateKey(root, "Software\\Undo", key), reg_status::kSuccess);
        ASSERT_EQ(registry.SetValue(key, name, type, data), reg_status::kSuccess);
        registry.CloseKey(key);
    }
    bool Exists(std::string_view name, platform::RegKey root = reg_root::kCurrentUser) {
        platform::RegKey key = 0;
        if (registry.OpenKey(root, "Software\\Undo", key) != reg_status::kSuccess) {
            return false;
        }
        platform::RegValueInfo info;
        const bool found = registry.QueryValue(key, name, std::nullopt, info) == 0;
        registry.CloseKey(key);
        return found;
    }
};

TEST_F(StartSwitchTest, TheListOfSwitchesIsOneMessageInsteadOfAPass) {
    sim.process.commandLine = "-?";
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(sim.ui.messages.size(), 1u);
    EXPECT_EQ(sim.ui.messages[0].text,
              "<UCM_Usage>\r\n\r\n<UCM_UsageAuto>\r\n<UCM_UsageRestore>\r\n<UCM_UsageHelp>");
    EXPECT_EQ(sim.ui.messages[0].title, "Keldra Maintenance");
    ExpectNoStart();
}

TEST_F(StartSwitchTest, RestoreBesideAWaitingInstanceTellsWhatCameBackAndWhatCouldNot) {
    Put("Back", reg_type::kSz, text::ToUtf16LeBytes(std::u16string(u"b\0", 2)));
    Put("Denied", reg_type::kDword, {1, 0, 0, 0}, reg_root::kLocalMachine);
    Put("Again", reg_type::kBinary, {5});
    registry::ProblemList problems;
    for (const auto& [root, name] :
         std::vector<std::pair<platform::RegKey, std::string>>{{reg_root::kLocalMachine, "Denied"},
                                                               {reg_root::kCurrentUser, "Back"},
                                                               {reg_root::kCurrentUser, "Again"}}) {
        registry::Problem row;
        row.location = registry::HkeyText(root) + "\\Software\\Undo";
        row.valueName = name;
        problems.rows.push_back(row);
    }
    registry::Remove(problems, {registry, textFiles, sim.process, sim.ui});
    ASSERT_EQ(problems.Count(), 0u);
    Put("Again", reg_type::kBinary, {6});
    registry.DenyWritesBelow(reg_root::kLocalMachine, "Software");
    sim.process.commandLine = "-restore";
    sim.process.previousInstance = true;  // a start waits in the tray

    EXPECT_EQ(Run(), 1) << "not everything came back";
    ASSERT_EQ(sim.ui.messages.size(), 1u);
    EXPECT_EQ(sim.ui.messages[0].text,
              "1<UCM_RestOf>3<UCM_RestCame>\r\n<UCM_RestFrom>c:\\sysbackup.reg\r\n\r\n"
              "<UCM_RestFailed>\r\nHKEY_LOCAL_MACHINE\\Software\\Undo \"Denied\"<UCM_RestDenied>"
              "\r\n\r\n<UCM_RestExisting>\r\nHKEY_CURRENT_USER\\Software\\Undo \"Again\"");
    EXPECT_TRUE(Exists("Back"));
    ExpectNoStart();
}

TEST_F(StartSwitchTest, RestoreRefusesAFileItCannotReadAndSaysSo) {
    textFiles.PutFile(std::string(registry::kBackupFile),
                      "REGEDIT4\r\n\r\n; Keldra Maintenance repair of 2026-12-08 09:00:00\r\n"
                      "[HKEY_CURRENT_USER\\Software\\Undo]\r\n\"A\"=\"a\"\r\n\"B\"=???\r\n");
    sim.process.commandLine = "/restore";
    EXPECT_EQ(Run(), 1);
    ASSERT_EQ(sim.ui.messages.size(), 1u);
    EXPECT_EQ(sim.ui.messages[0].text, "<UCM_RestBad>\r\nc:\\sysbackup.reg<UCM_RestLine>6");
    EXPECT_FALSE(Exists("A"));
    ExpectNoStart();

    textFiles.PutFile(std::string(registry::kBackupFile), "not a backup");
    sim.ui.messages.clear();
    EXPECT_EQ(Run(), 1);
    ASSERT_EQ(sim.ui.messages.size(), 1u);
    EXPECT_EQ(sim.ui.messages[0].text, "<UCM_RestNone>");
}

TEST(RestoreText, LongListsAreCutWithTheNumberOfTheOthers) {
    registry::RestoreOutcome outcome;
    outcome.result = registry::RestoreOutcome::Result::Done;
    outcome.file = "f";
    outcome.total = 20;
    for (int i = 0; i < 20; ++i) {
        outcome.failed.push_back({"HKEY_USERS\\K", std::to_string(i), 1013});
    }
    const std::string text =
        RestoreText(outcome, [](std::string_view id) { return "<" + std::string(id) + ">"; });
    EXPECT_NE(text.find("\"11\"<UCM_RestError>1013"), std::string::npos);
    EXPECT_EQ(text.find("\"12\""), std::string::npos);
    EXPECT_NE(text.find("<UCM_RestMore>8"), std::string::npos);
}

}  // namespace
}  // namespace keldra::app::testing

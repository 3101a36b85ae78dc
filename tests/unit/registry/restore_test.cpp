// Undoing the latest repair on the simulated machine: a repair made by the program itself
// is put back byte for byte, only the latest one, never over a value that exists again,
// and never from a file that cannot be read in full.
#include "registry/restore.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_text_file.h"
#include "platform/text.h"
#include "registry/remove.h"
#include "registry/safe_reg.h"

namespace keldra::registry {
namespace {

namespace reg_root = platform::reg_root;
namespace reg_type = platform::reg_type;
namespace reg_status = platform::reg_status;
using Bytes = std::vector<std::uint8_t>;
using Result = RestoreOutcome::Result;

constexpr const char* kKey = "Software\\Keldra Restore";
constexpr const char* kUserFile =
    "C:\\Users\\User\\AppData\\Local\\Keldra Maintenance\\sysbackup.reg";

Bytes Sz(std::u16string_view text) {
    Bytes b = text::ToUtf16LeBytes(text);
    b.insert(b.end(), {0, 0});
    return b;
}

struct Stored {
    std::uint32_t type = 0;
    Bytes data;
    friend bool operator==(const Stored&, const Stored&) = default;
};

class RestoreTest : public ::testing::Test {
  protected:
    void Put(std::string_view name, std::uint32_t type, const Bytes& data,
             platform::RegKey root = reg_root::kCurrentUser, const std::string& path = kKey) {
        platform::RegKey key = 0;
        ASSERT_EQ(reg.CreateKey(root, path, key), reg_status::kSuccess);
        ASSERT_EQ(reg.SetValue(key, name, type, data), reg_status::kSuccess);
        reg.CloseKey(key);
    }
    std::optional<Stored> Get(std::string_view name, platform::RegKey root = reg_root::kCurrentUser,
                              const std::string& path = kKey) {
        platform::RegKey key = 0;
        if (reg.OpenKey(root, path, key) != reg_status::kSuccess) {
            return std::nullopt;
        }
        platform::RegValueInfo info;
        std::optional<Stored> result;
        if (reg.QueryValue(key, name, 1 << 20, info) == reg_status::kSuccess) {
            result = Stored{info.type, info.data};
        }
        reg.CloseKey(key);
        return result;
    }
    // A repair of the named values as the program makes it.
    void Repair(const std::vector<std::string>& names,
                platform::RegKey root = reg_root::kCurrentUser) {
        ProblemList problems;
        for (const std::string& name : names) {
            Problem row;
            row.location = HkeyText(root) + "\\" + kKey;
            row.valueName = name;
            problems.rows.push_back(row);
        }
        Remove(problems, RepairPorts{reg, files, sim.process, sim.ui});
        ASSERT_EQ(problems.Count(), 0u) << "every value was removed";
    }
    RestoreOutcome Restore() { return RestoreLatestRepair(reg, files); }

    platform::sim::SimPlatform sim;
    platform::sim::SimRegistry reg;
    platform::sim::SimTextFiles files;
};

TEST_F(RestoreTest, ARepairOfValuesOfEveryTypeComesBackByteForByte) {
    Bytes hundred(100);
    for (std::size_t i = 0; i < hundred.size(); ++i) {
        hundred[i] = static_cast<std::uint8_t>(i * 37 + 13);
    }
    const std::map<std::string, Stored> values{
        {"Sz \\ \"quoted\"", {reg_type::kSz, Sz(u"\"C:\\gone\\app.exe\" /x caf\u00E9")}},
        {"", {reg_type::kSz, Sz(u"the default value")}},
        {"Expand", {reg_type::kExpandSz, Sz(u"%SystemRoot%\\gone.dll")}},
        {"Multi", {reg_type::kMultiSz, text::ToUtf16LeBytes(std::u16string(u"a\0second\0\0", 11))}},
        {"Dword", {reg_type::kDword, Bytes{7, 0, 0, 0x80}}},
        {"Big endian", {reg_type::kDwordBigEndian, Bytes{0, 0, 1, 2}}},
        {"Qword", {reg_type::kQword, Bytes{1, 2, 3, 4, 5, 6, 7, 8}}},
        {"Binary", {reg_type::kBinary, hundred}},
        {"None", {reg_type::kNone, Bytes{1, 0, 0x0D, 0x0A}}},
        {"Own type", {0x4711, Bytes{9}}},
    };
    std::vector<std::string> names;
    for (const auto& [name, value] : values) {
        Put(name, value.type, value.data);
        names.push_back(name);
    }
    Repair(names);
    for (const auto& name : names) {
        ASSERT_FALSE(Get(name).has_value());
    }

    const RestoreOutcome outcome = Restore();
    EXPECT_EQ(outcome.result, Result::Done);
    EXPECT_EQ(outcome.file, std::string(kBackupFile));
    EXPECT_EQ(outcome.total, values.size());
    EXPECT_EQ(outcome.restored, values.size());
    EXPECT_TRUE(outcome.failed.empty());
    EXPECT_TRUE(outcome.existing.empty());
    for (const auto& [name, value] : values) {
        EXPECT_EQ(Get(name), value) << name;
    }
}

TEST_F(RestoreTest, OnlyTheLatestRepairComesBackAndAValueThatExistsAgainIsLeftAsItIs) {
    Put("Earlier", reg_type::kSz, Sz(u"e"));
    Repair({"Earlier"});
    sim.clock.SetNow({2026, 12, 9, 10, 0, 0});
    Put("Later", reg_type::kSz, Sz(u"l"));
    Put("Again", reg_type::kSz, Sz(u"old"));
    Repair({"Later", "Again"});
    Put("Again", reg_type::kDword, Bytes{1, 2, 3, 4});  // re-created since

    const RestoreOutcome outcome = Restore();
    EXPECT_EQ(outcome.result, Result::Done);
    EXPECT_EQ(outcome.total, 2u);
    EXPECT_EQ(outcome.restored, 1u);
    EXPECT_EQ(Get("Later"), (Stored{reg_type::kSz, Sz(u"l")}));
    EXPECT_EQ(Get("Again"), (Stored{reg_type::kDword, Bytes{1, 2, 3, 4}}));
    ASSERT_EQ(outcome.existing.size(), 1u);
    EXPECT_EQ(outcome.existing[0].location, std::string("HKEY_CURRENT_USER\\") + kKey);
    EXPECT_EQ(outcome.existing[0].name, "Again");
    EXPECT_FALSE(Get("Earlier").has_value()) << "an older repair is not undone";

    // Undoing twice changes nothing more.
    const RestoreOutcome twice = Restore();
    EXPECT_EQ(twice.restored, 0u);
    EXPECT_EQ(twice.existing.size(), 2u);
}

TEST_F(RestoreTest, TheFileInUseIsTheOneWithTheLatestRepair) {
    Put("InRoot", reg_type::kSz, Sz(u"r"));
    Repair({"InRoot"});
    // Later that file could not be written: the next repair went to the user's folder.
    files.SetWritable(kBackupFile, false);
    sim.clock.SetNow({2026, 12, 10, 8, 0, 0});
    Put("InUserFolder", reg_type::kSz, Sz(u"u"));
    Repair({"InUserFolder"});
    files.SetWritable(kBackupFile, true);

    const RestoreOutcome outcome = Restore();
    EXPECT_EQ(outcome.file, kUserFile);
    EXPECT_EQ(outcome.restored, 1u);
    EXPECT_TRUE(Get("InUserFolder").has_value());
    EXPECT_FALSE(Get("InRoot").has_value());
}

TEST_F(RestoreTest, AFileThatCannotBeReadInFullRestoresNothing) {
    Put("A", reg_type::kSz, Sz(u"a"));
    Put("B", reg_type::kSz, Sz(u"b"));
    Repair({"A", "B"});
    // Edited by hand: a line the format does not know, after the first entry.
    std::string bytes = *files.FileBytes(kBackupFile);
    bytes += "[HKEY_CURRENT_USER\\Software\\Keldra Restore]\r\n\"C\"=maybe\r\n";
    files.PutFile(kBackupFile, bytes);

    const RestoreOutcome outcome = Restore();
    EXPECT_EQ(outcome.result, Result::Unreadable);
    EXPECT_EQ(outcome.file, std::string(kBackupFile));
    EXPECT_EQ(outcome.badLine, 11u);
    EXPECT_FALSE(Get("A").has_value()) << "nothing is written from a file not understood";
    EXPECT_FALSE(Get("B").has_value());
}

TEST_F(RestoreTest, AForeignFileOrNoneIsNoRepairToUndo) {
    EXPECT_EQ(Restore().result, Result::NoBackup);
    // Another program's file, and a registry export without a repair of this program.
    files.PutFile(kBackupFile, "my notes\r\n[HKEY_CURRENT_USER\\Software\\Keldra Restore]\r\n");
    files.PutFile(
        BackupFileVariant(kBackupFile, 2),
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Keldra Restore]\r\n\"X\"=\"y\"\r\n");
    EXPECT_EQ(Restore().result, Result::NoBackup);
    EXPECT_FALSE(Get("X").has_value());
}

TEST_F(RestoreTest, AValueThatMayNotBeWrittenIsReportedWithItsReason) {
    Put("Denied", reg_type::kSz, Sz(u"d"), reg_root::kLocalMachine);
    Put("Allowed", reg_type::kSz, Sz(u"a"));
    Repair({"Denied"}, reg_root::kLocalMachine);
    Repair({"Allowed"});
    // Both in one repair: the second Repair call is a later one only by its comment, so
    // put them into one section by undoing the split.
    std::string bytes = *files.FileBytes(kBackupFile);
    const std::size_t second = bytes.rfind(kRepairCommentStart);
    bytes.erase(second, bytes.find("\r\n", second) + 2 - second);
    files.PutFile(kBackupFile, bytes);
    reg.DenyWritesBelow(reg_root::kLocalMachine, "Software");

    const RestoreOutcome outcome = Restore();
    EXPECT_EQ(outcome.result, Result::Done);
    EXPECT_EQ(outcome.total, 2u);
    EXPECT_EQ(outcome.restored, 1u);
    ASSERT_EQ(outcome.failed.size(), 1u);
    EXPECT_EQ(outcome.failed[0].location, std::string("HKEY_LOCAL_MACHINE\\") + kKey);
    EXPECT_EQ(outcome.failed[0].status, reg_status::kAccessDenied);
    EXPECT_TRUE(Get("Allowed").has_value());
    EXPECT_FALSE(Get("Denied", reg_root::kLocalMachine).has_value());
}

}  // namespace
}  // namespace keldra::registry

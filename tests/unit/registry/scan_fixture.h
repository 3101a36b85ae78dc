#pragma once
// A registry scan on a simulated registry and file system, with English reason texts.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/sim/sim_registry.h"
#include "platform/text.h"
#include "registry/mdl_registry.h"
#include "registry/registry_scan.h"

namespace keldra::registry::testing {

namespace reg_root = platform::reg_root;
namespace reg_type = platform::reg_type;
using platform::RegKey;

// Files and folders by upper-cased path; answers can be forced per path.
class FakeFiles final : public platform::FileSystemPort {
  public:
    bool FileExists(std::string_view path) override {
        ++asked;
        return files_.count(Key(path)) != 0;
    }
    bool FolderExists(std::string_view path) override {
        ++asked;
        if (const auto forced = forcedFolder_.find(Key(path)); forced != forcedFolder_.end()) {
            return forced->second;
        }
        if (path.empty()) {
            return true;
        }
        return folders_.count(Key(path)) != 0;
    }
    std::string WindowsDirectory() override { return windows_; }
    std::string SpecialFolderPath(int csidl) override {
        const auto found = special_.find(csidl & ~platform::csidl::kCreateFlag);
        return found == special_.end() ? std::string() : found->second;
    }
    std::vector<platform::DriveEntry> Drives() override { return drives_; }

    void SetWindowsDirectory(std::string path) { windows_ = std::move(path); }
    void AddDrive(char letter, int type) { drives_.push_back({letter, type}); }
    void AddFolder(std::string_view path) { folders_.insert(Key(path)); }
    void AddFile(std::string_view path) { files_.insert(Key(path)); }
    void SetSpecialFolder(int csidl, std::string path) { special_[csidl] = std::move(path); }
    // A folder query that fails with another error than "not found".
    void ForceFolderAnswer(std::string_view path, bool answer) {
        forcedFolder_[Key(path)] = answer;
    }
    int asked = 0;

  private:
    static std::string Key(std::string_view path) {
        std::u16string wide = text::Utf8ToUtf16(path);
        for (auto& unit : wide) {
            unit = text::UpcaseUnit(unit);
        }
        // As Windows reads paths: doubled separators count once, a trailing one not at all.
        for (auto at = wide.find(u"\\\\", 1); at != std::u16string::npos;
             at = wide.find(u"\\\\", 1)) {
            wide.erase(at, 1);
        }
        while (!wide.empty() && wide.back() == u'\\' && wide.size() > 3) {
            wide.pop_back();
        }
        return text::Utf16ToUtf8(wide);
    }
    std::string windows_;
    std::vector<platform::DriveEntry> drives_;
    std::set<std::string> folders_;
    std::set<std::string> files_;
    std::map<int, std::string> special_;
    std::map<std::string, bool> forcedFolder_;
};

class ScanTest : public ::testing::Test {
  protected:
    ScanTest() {
        files.SetWindowsDirectory("C:\\WINDOWS");
        files.AddDrive('C', platform::drive_type::kFixed);
        files.AddDrive('D', platform::drive_type::kFixed);
        files.AddDrive('E', platform::drive_type::kCdRom);
        files.AddDrive('N', platform::drive_type::kNetwork);
        files.AddFolder("C:\\WINDOWS\\Fonts");
        files.SetSpecialFolder(platform::csidl::kFonts, "C:\\WINDOWS\\Fonts");
        files.AddFolder("C:\\WINDOWS\\system32");
        files.AddFolder("C:\\WINDOWS\\SysWOW64");
    }

    void Put(RegKey root, std::string_view path, std::string_view name, std::string_view data) {
        mdlRegistry::SetStringValue(registry, root, path, name, data);
    }
    void PutDword(RegKey root, std::string_view path, std::string_view name, std::uint32_t value) {
        RegKey key = 0;
        ASSERT_EQ(registry.CreateKey(root, path, key), 0);
        const std::uint8_t bytes[4] = {
            static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
        registry.SetValue(key, name, reg_type::kDword, bytes);
        registry.CloseKey(key);
    }
    void MakeKey(RegKey root, std::string_view path) {
        RegKey key = 0;
        ASSERT_EQ(registry.CreateKey(root, path, key), 0);
        registry.CloseKey(key);
    }

    RegistryScan& Scan() {
        if (!scan_) {
            scan_ = std::make_unique<RegistryScan>(
                RegistryScan::Services{
                    registry, files,
                    [this] {
                        ++events;
                        if (onEvent)
                            onEvent();
                    },
                    [](std::string_view id) { return "reason " + std::string(id.substr(11)); }},
                cancelled, problems);
        }
        return *scan_;
    }

    // The rows as "location|name|data|slot|type".
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (const auto& row : problems.rows) {
            rows.push_back(row.location + "|" + row.valueName + "|" + row.valueData + "|" +
                           row.reason.substr(7) + "|" + row.type);
        }
        return rows;
    }

    platform::sim::SimRegistry registry;
    FakeFiles files;
    ProblemList problems;
    bool cancelled = false;
    int events = 0;
    std::function<void()> onEvent;

  private:
    std::unique_ptr<RegistryScan> scan_;
};

}  // namespace keldra::registry::testing

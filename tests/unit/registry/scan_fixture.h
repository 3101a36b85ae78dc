#pragma once
// A registry scan on a simulated registry and file system, with English reason texts.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/sim/sim_file_system.h"
#include "platform/sim/sim_registry.h"
#include "platform/text.h"
#include "registry/mdl_registry.h"
#include "registry/registry_scan.h"

namespace keldra::registry::testing {

using platform::sim::SimFileSystem;
using platform::sim::SimOp;
namespace drive_code = platform::drive_code;

namespace reg_root = platform::reg_root;
namespace reg_type = platform::reg_type;
using platform::RegKey;

class ScanTest : public ::testing::Test {
  protected:
    ScanTest() {
        files.SetWindowsDirectory("C:\\WINDOWS");
        files.AddDrive('C', drive_code::kFixed);
        files.AddDrive('D', drive_code::kFixed);
        files.AddDrive('E', drive_code::kCdRom);
        files.AddDrive('N', drive_code::kRemote);
        files.AddFolder("C:\\WINDOWS\\Fonts");
        files.SetSpecialFolder(platform::csidl::kFonts, "C:\\WINDOWS\\Fonts");
        files.AddFolder("C:\\WINDOWS\\system32");
        files.AddFolder("C:\\WINDOWS\\SysWOW64");
    }

    // A REG_SZ value as programs store it on Windows: UTF-16LE with its terminating NUL.
    void Put(RegKey root, std::string_view path, std::string_view name, std::string_view data,
             std::uint32_t type = reg_type::kSz) {
        RegKey key = 0;
        ASSERT_EQ(registry.CreateKey(root, path, key), 0) << path;
        std::vector<std::uint8_t> bytes = text::ToUtf16LeBytes(text::Utf8ToUtf16(data));
        bytes.insert(bytes.end(), {0, 0});
        registry.SetValue(key, name, type, bytes);
        registry.CloseKey(key);
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
    SimFileSystem files;
    ProblemList problems;
    bool cancelled = false;
    int events = 0;
    std::function<void()> onEvent;

  private:
    std::unique_ptr<RegistryScan> scan_;
};

}  // namespace keldra::registry::testing

#pragma once
// Shared set-up for the tests that run against every registry backend: a fresh key of its
// own under HKEY_CURRENT_USER (and, where asked, under HKLM\Software\Classes), removed after.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "contract/registry_backend.h"
#include "platform/text.h"

namespace keldra::testing {

using Bytes = std::vector<std::uint8_t>;
namespace reg_root = platform::reg_root;
namespace reg_type = platform::reg_type;
namespace reg_status = platform::reg_status;
namespace reg_access = platform::reg_access;
using platform::RegKey;
using platform::RegStatus;

// UTF-16LE bytes of a text, with the terminating NUL that programs usually store.
inline Bytes Sz(std::u16string_view text) {
    Bytes b = text::ToUtf16LeBytes(text);
    b.push_back(0);
    b.push_back(0);
    return b;
}
inline Bytes Raw(std::initializer_list<std::uint8_t> bytes) {
    return Bytes(bytes);
}
inline Bytes Dword(std::uint32_t v) {
    return Bytes{static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                 static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

class RegistryTest : public ::testing::TestWithParam<RegistryBackendFactory> {
  protected:
    void SetUp() override {
        backend_ = GetParam().make();
        static std::atomic<unsigned> counter{0};
        base_ = "Software\\KeldraTest-" + std::to_string(std::random_device{}() % 1000000) + "-" +
                std::to_string(counter++);
        RegKey key = 0;
        ASSERT_EQ(reg().CreateKey(reg_root::kCurrentUser, base_, key), reg_status::kSuccess);
        ASSERT_EQ(reg().CloseKey(key), reg_status::kSuccess);
        handlesAtStart_ = backend_->OpenHandleCount();
    }

    void TearDown() override {
        // Links first: removing a tree through a link would reach what it leads to.
        for (const auto& [root, path] : links_) {
            backend_->DeleteLink(root, path);
        }
        for (const auto& [root, path] : cleanup_) {
            backend_->DeleteTree(root, path);
        }
        backend_->DeleteTree(reg_root::kCurrentUser, base_);
    }

    platform::RegistryPort& reg() { return backend_->Port(); }
    // A path below this test's own key.
    std::string Path(std::string_view sub = {}) const {
        return sub.empty() ? base_ : base_ + "\\" + std::string(sub);
    }
    // Removes a key outside this test's own one when the test ends.
    void RemoveLater(RegKey root, std::string path) {
        cleanup_.emplace_back(root, std::move(path));
    }

    // A symbolic link at `path` leading to `target`, both below this test's own key; it is
    // removed when the test ends.
    bool MakeLink(std::string_view path, std::string_view target) {
        if (!backend_->CreateLink(reg_root::kCurrentUser, Path(path), reg_root::kCurrentUser,
                                  Path(target))) {
            return false;
        }
        links_.emplace_back(reg_root::kCurrentUser, Path(path));
        return true;
    }

    // Writes one value, creating the keys on the way.
    void Put(RegKey root, const std::string& path, std::string_view name, std::uint32_t type,
             const Bytes& data) {
        RegKey key = 0;
        ASSERT_EQ(reg().CreateKey(root, path, key), reg_status::kSuccess) << path;
        EXPECT_EQ(reg().SetValue(key, name, type, data), reg_status::kSuccess) << name;
        EXPECT_EQ(reg().CloseKey(key), reg_status::kSuccess);
    }
    void Put(std::string_view sub, std::string_view name, std::uint32_t type, const Bytes& data) {
        Put(reg_root::kCurrentUser, Path(sub), name, type, data);
    }
    void MakeKey(RegKey root, const std::string& path) {
        RegKey key = 0;
        ASSERT_EQ(reg().CreateKey(root, path, key), reg_status::kSuccess) << path;
        EXPECT_EQ(reg().CloseKey(key), reg_status::kSuccess);
    }

    // The stored type and bytes of a value, read straight from the port.
    std::pair<std::uint32_t, Bytes> Stored(std::string_view sub, std::string_view name) {
        RegKey key = 0;
        EXPECT_EQ(reg().OpenKeyEx(reg_root::kCurrentUser, Path(sub), reg_access::kRead, key),
                  reg_status::kSuccess);
        platform::RegValueInfo info;
        EXPECT_EQ(reg().QueryValue(key, name, 1u << 20, info), reg_status::kSuccess) << name;
        reg().CloseKey(key);
        return {info.type, info.data};
    }

    std::unique_ptr<RegistryBackend> backend_;
    std::string base_;
    std::size_t handlesAtStart_ = 0;
    std::vector<std::pair<RegKey, std::string>> cleanup_;
    std::vector<std::pair<RegKey, std::string>> links_;
};

#define KELDRA_REGISTRY_BACKENDS(Suite)                                                  \
    INSTANTIATE_TEST_SUITE_P(Backends, Suite,                                            \
                             ::testing::ValuesIn(::keldra::testing::RegistryBackends()), \
                             [](const auto& param) { return param.param.name; })

}  // namespace keldra::testing

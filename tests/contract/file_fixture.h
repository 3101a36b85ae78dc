#pragma once
// Shared set-up for the tests that run against every file backend: a fresh folder of the
// test's own on the fixed drive D:, removed after.

#include <gtest/gtest.h>

#include <atomic>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "contract/file_backend.h"
#include "platform/text.h"

namespace keldra::testing {

// Windows compares paths without regard to case.
inline bool SamePath(std::string_view a, std::string_view b) {
    return text::EqualNoCase(text::Utf8ToUtf16(a), text::Utf8ToUtf16(b));
}

namespace file_status = platform::file_status;
namespace file_attribute = platform::file_attribute;
using platform::FileStatus;
using platform::FolderEntry;

class FileTest : public ::testing::TestWithParam<FileBackendFactory> {
  protected:
    void SetUp() override {
        backend_ = GetParam().make();
        static std::atomic<unsigned> counter{0};
        base_ = "D:\\keldra-fs-" + std::to_string(std::random_device{}() % 1000000) + "-" +
                std::to_string(counter++);
        ASSERT_TRUE(backend_->MakeFolder(base_)) << base_;
    }
    void TearDown() override {
        for (const auto& path : cleanup_) {
            backend_->RemoveTree(path);
        }
        EXPECT_TRUE(backend_->RemoveTree(base_)) << base_;
    }

    platform::FileSystemPort& fs() { return backend_->FileSystem(); }
    platform::FilePort& files() { return backend_->Files(); }
    platform::VolumePort& volumes() { return backend_->Volumes(); }
    platform::SystemInfoPort& info() { return backend_->SystemInfo(); }
    // Removes something outside this test's own folder when the test ends.
    void RemoveLater(std::string path) { cleanup_.push_back(std::move(path)); }
    // A path below this test's own folder.
    std::string Path(std::string_view sub = {}) const {
        return sub.empty() ? base_ : base_ + "\\" + std::string(sub);
    }
    void MakeFolder(std::string_view sub) { ASSERT_TRUE(backend_->MakeFolder(Path(sub))) << sub; }
    void MakeFile(std::string_view sub, std::string_view contents = "data") {
        ASSERT_TRUE(backend_->MakeFile(Path(sub), contents)) << sub;
    }
    // What Windows answers, or what Wine answers where it differs (see
    // docs/wine-file-system.md).
    template <typename T>
    T WindowsOrWine(T windows, T wine) const {
        return backend_->OnWine() ? wine : windows;
    }

    // The name of this test's own folder, unique on the drive.
    std::string BaseName() const { return base_.substr(3); }
    void SetAttributes(std::string_view sub, std::uint32_t attributes) {
        ASSERT_EQ(files().SetAttributes(Path(sub), attributes), file_status::kSuccess) << sub;
    }
    std::uint32_t Attributes(std::string_view path) {
        std::uint32_t attributes = file_attribute::kInvalid;
        files().GetAttributes(path, attributes);
        return attributes;
    }
    std::vector<FolderEntry> List(std::string_view path) {
        std::vector<FolderEntry> entries;
        EXPECT_EQ(files().ListFolder(path, entries), file_status::kSuccess) << path;
        return entries;
    }

    std::unique_ptr<FileBackend> backend_;
    std::string base_;
    std::vector<std::string> cleanup_;
};

}  // namespace keldra::testing

namespace keldra::platform {
inline void PrintTo(const FolderEntry& entry, std::ostream* os) {
    *os << "{" << entry.name << ", 0x" << std::hex << entry.attributes << std::dec << ", "
        << entry.sizeBytes << (entry.reparsePoint ? ", reparse}" : "}");
}
}  // namespace keldra::platform

namespace keldra::testing {

#define KELDRA_FILE_BACKENDS(Suite)                                                  \
    INSTANTIATE_TEST_SUITE_P(Backends, Suite,                                        \
                             ::testing::ValuesIn(::keldra::testing::FileBackends()), \
                             [](const auto& param) { return param.param.name; })

}  // namespace keldra::testing

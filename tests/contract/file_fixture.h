#pragma once
// Shared set-up for the tests that run against every file backend: a fresh folder of the
// test's own on the fixed drive D:, removed after.

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <string>
#include <string_view>

#include "contract/file_backend.h"
#include "platform/text.h"

namespace keldra::testing {

// Windows compares paths without regard to case.
inline bool SamePath(std::string_view a, std::string_view b) {
    return text::EqualNoCase(text::Utf8ToUtf16(a), text::Utf8ToUtf16(b));
}

class FileTest : public ::testing::TestWithParam<FileBackendFactory> {
  protected:
    void SetUp() override {
        backend_ = GetParam().make();
        static std::atomic<unsigned> counter{0};
        base_ = "D:\\keldra-fs-" + std::to_string(std::random_device{}() % 1000000) + "-" +
                std::to_string(counter++);
        ASSERT_TRUE(backend_->MakeFolder(base_)) << base_;
    }
    void TearDown() override { EXPECT_TRUE(backend_->RemoveTree(base_)) << base_; }

    platform::FileSystemPort& fs() { return backend_->FileSystem(); }
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

    std::unique_ptr<FileBackend> backend_;
    std::string base_;
};

#define KELDRA_FILE_BACKENDS(Suite)                                                  \
    INSTANTIATE_TEST_SUITE_P(Backends, Suite,                                        \
                             ::testing::ValuesIn(::keldra::testing::FileBackends()), \
                             [](const auto& param) { return param.param.name; })

}  // namespace keldra::testing

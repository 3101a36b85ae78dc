#pragma once
// The junk files a search found, with their number and total size.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_port.h"

namespace keldra::disk {

struct JunkFile {
    std::string Path;
    bool Marked = false;
    int Rule = 0;
    // The size when the file was listed, as the results window shows it.
    std::int64_t Bytes = 0;
    // Which file the path led to when it was listed: removal acts only on that file.
    platform::FileIdentity Identity;
};

struct JunkList {
    std::vector<JunkFile> JunkFiles;
    std::int64_t JunkCount = 0;
    // 64-bit: totals past 2 GB stay right.
    std::int64_t JunkBytes = 0;

    // Empty, with room for the first thousand entries.
    void Clear() {
        JunkFiles.clear();
        JunkFiles.shrink_to_fit();
        JunkFiles.reserve(1001);
        JunkCount = 0;
        JunkBytes = 0;
        Changed();
    }

    // A file found: listed, counted and added to the total.
    void Append(std::string path, int rule, std::int64_t bytes,
                platform::FileIdentity identity = {}) {
        JunkFiles.push_back({std::move(path), true, rule, bytes, identity});
        ++JunkCount;
        JunkBytes += bytes;
        Changed();
    }

    // Forgets the entries from `count` on (what a walk appended before it had to be
    // walked again).
    void Truncate(std::int64_t count) {
        while (JunkCount > count && !JunkFiles.empty()) {
            JunkBytes -= JunkFiles.back().Bytes;
            JunkFiles.pop_back();
            --JunkCount;
        }
        Changed();
    }

    // Whoever shows the list hears of every change here.
    std::function<void()> onChanged;

  private:
    void Changed() const {
        if (onChanged) {
            onChanged();
        }
    }
};

}  // namespace keldra::disk

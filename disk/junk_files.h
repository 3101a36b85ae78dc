#pragma once
// The junk files a search found, with their number and total size.

#include <cstdint>
#include <string>
#include <vector>

namespace keldra::disk {

struct JunkFile {
    std::string Path;
    bool Marked = false;
    int Rule = 0;
    std::int64_t Bytes = 0;
};

struct JunkList {
    std::vector<JunkFile> JunkFiles;
    std::int64_t JunkCount = 0;
    // 64-bit: totals past 2 GB stay right.
    std::int64_t JunkBytes = 0;

    // Empty, with room for the first thousand entries.
    void Clear() {
        JunkFiles.clear();
        JunkFiles.reserve(1001);
        JunkCount = 0;
        JunkBytes = 0;
    }
};

}  // namespace keldra::disk

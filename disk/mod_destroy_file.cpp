#include "disk/mod_destroy_file.h"

namespace keldra::disk {

using platform::file_status::kSuccess;
namespace attr = platform::file_attribute;

namespace {

std::string TwoDigits(int value) {
    const int v = ((value % 100) + 100) % 100;
    return {static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
}

}  // namespace

bool ModDestroyFile::IsPlainFile(std::string_view path) {
    std::uint32_t attributes = attr::kInvalid;
    if (files_.GetAttributes(path, attributes) != kSuccess) {
        attributes = attr::kInvalid;
    }
    return IsPlain(attributes);
}

bool ModDestroyFile::IsPlain(std::uint32_t attributes) {
    bool result = false;
    if ((attributes & attr::kNormal) != 0 || (attributes & attr::kArchive) != 0) {
        result = true;
    }
    if ((attributes & (attr::kSystem | attr::kHidden | attr::kReadOnly | attr::kTemporary)) != 0) {
        result = false;
    }
    return result;
}

bool ModDestroyFile::TruncateFile(std::string_view path) {
    if (files_.TruncateFile(path) != kSuccess) {
        return false;
    }
    std::uint64_t bytes = 0;
    return files_.FileSize(path, bytes) == kSuccess && bytes == 0;
}

void ModDestroyFile::RenameAndKill(std::string_view path) {
    const std::string newName = DatedName(path.substr(0, 3), process_.Now());
    if (files_.RenameFile(path, newName) == kSuccess) {
        files_.RemoveFile(newName);
    } else {
        files_.RemoveFile(path);
    }
}

void ModDestroyFile::ResetAttributes(std::string_view path) {
    files_.SetAttributes(path, attr::kNormal);
}

std::string ModDestroyFile::DatedName(std::string_view root, const platform::DateTime& now) {
    return std::string(root) + TwoDigits(now.day) + TwoDigits(now.month) + TwoDigits(now.minute) +
           TwoDigits(now.second) + ".del";
}

}  // namespace keldra::disk

#pragma once
// A file system of upper-cased paths for the logic's tests.

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system_port.h"
#include "platform/text.h"

namespace keldra::testing {

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

}  // namespace keldra::testing

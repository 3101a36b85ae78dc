#pragma once
// Text files of the simulated machine: files as byte strings in folders, names compared
// without regard to case as Windows does, and the writes a test may forbid per folder or
// per file. The code page is Windows-1252, the ANSI code page of an English system.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_file_port.h"

namespace keldra::platform::sim {

class Windows1252 final : public AnsiCodePage {
  public:
    std::optional<std::string> FromUtf16(std::u16string_view text) const override;
    std::u16string ToUtf16(std::string_view ansi) const override;
};

class SimTextFiles final : public TextFilePort {
  public:
    // Drive C: and the local application data folder exist.
    SimTextFiles();

    bool AppendLines(std::string_view path, std::span<const std::string> lines) override;
    bool ReadLines(std::string_view path, std::vector<std::string>& lines) override;
    bool ReadEnds(std::string_view path, std::size_t count, std::string& head,
                  std::string& tail) override;
    bool ReplaceContent(std::string_view path, std::string_view content) override;
    bool FileExists(std::string_view path) override;
    bool CreateFolder(std::string_view path) override;
    std::string LocalAppDataFolder() override { return localAppData; }
    const AnsiCodePage& CodePage() const override { return codePage_; }

    // Test controls.
    // Creates a folder with every folder above it.
    void AddFolder(std::string_view path);
    // Creates or overwrites a file with raw bytes, and the folders above it.
    void PutFile(std::string_view path, std::string_view bytes);
    // The bytes of a file; nothing when there is no such file.
    std::optional<std::string> FileBytes(std::string_view path) const;
    bool FolderExists(std::string_view path) const;
    // Names (as created) of the files and folders directly inside a folder.
    std::vector<std::string> List(std::string_view folder) const;
    // A folder that is not writable takes no new files and no replaced ones; a file that is
    // not writable can be neither appended to nor replaced.
    void SetWritable(std::string_view path, bool writable);
    // A file that is not readable cannot be opened for reading.
    void SetReadable(std::string_view path, bool readable);

    std::string localAppData = "C:\\Users\\User\\AppData\\Local";
    // Runs after every successful append, with the file's path: a test's look at the
    // machine at the moment the bytes are on disk.
    std::function<void(std::string_view path)> afterAppend;
    int appendCount = 0;
    int replaceCount = 0;

  private:
    struct Entry {
        std::string name;  // the last path part, as created
        bool folder = false;
        std::string bytes;
        bool writable = true;
        bool readable = true;
    };
    // Upper-case key of a path: backslashes only, no trailing one, "C:" for a drive root.
    static std::string Key(std::string_view path);
    static std::string ParentKey(const std::string& key);
    const Entry* Find(std::string_view path) const;
    Entry* Find(std::string_view path);
    // The folder a new entry at `key` would go into, when it may take one.
    bool CanCreateIn(const std::string& key) const;

    Windows1252 codePage_;
    std::map<std::string, Entry> entries_;
};

}  // namespace keldra::platform::sim

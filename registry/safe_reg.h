#pragma once
// The backup of one repair: before a value is deleted, its entry (the value as it is stored
// at that moment, read again) is appended to the backup file in the registry-editor format
// and flushed to disk. The file is "c:\sysbackup.reg" when that can be written, else
// sysbackup.reg in the user's own folder of the program; it is chosen with the repair's
// first entry and kept for the rest of the repair. Files are only ever appended to, and
// only when the registry editor would still import them: an existing file that does not
// begin with the REGEDIT4 header (empty, cut short, or someone else's) is left alone, and
// the entries go to the first of "sysbackup-2.reg" ... "sysbackup-9.reg" beside it that
// is missing or importable.

#include <string>
#include <string_view>
#include <vector>

#include "platform/process_port.h"
#include "platform/registry_port.h"
#include "platform/text_file_port.h"

namespace keldra::registry {

inline constexpr std::string_view kBackupFile = "c:\\sysbackup.reg";
// Below the local application data folder, for users who may not write to the root of C:.
inline constexpr std::string_view kUserFolderName = "Keldra Maintenance";
inline constexpr std::string_view kUserBackupFileName = "sysbackup.reg";
// How many files one folder offers: the file itself and the numbered ones beside it.
inline constexpr int kBackupFileVariants = 9;

// The name of variant `n` of a backup file: the file itself for 1, else "-n" before ".reg"
// ("c:\sysbackup.reg" gives "c:\sysbackup-2.reg").
std::string BackupFileVariant(std::string_view path, int n);

// The line that starts the entries of one repair, so that a person finds them in the file.
std::string RepairComment(const platform::DateTime& when);
// What every repair comment begins with; the date and time follow it.
inline constexpr std::string_view kRepairCommentStart = "; Keldra Maintenance repair of ";

// Every file a repair may have written its entries to, in the order a repair tries them:
// the variants of "c:\sysbackup.reg", then those of the per-user file (without creating
// its folder).
std::vector<std::string> BackupFileCandidates(platform::TextFilePort& files);

class SafeReg {
  public:
    SafeReg(platform::RegistryPort& registry, platform::TextFilePort& files,
            const platform::ProcessPort& process)
        : registry_(registry), files_(files), process_(process) {}

    // Appends the entry of one value and flushes it; true when it is on disk. False, with
    // nothing written, when the value cannot be read (it is gone, or the key cannot be
    // opened), when its entry could not restore it exactly, or when no backup file can be
    // written.
    [[nodiscard]] bool Backup(platform::RegKey root, std::string_view keyPath,
                              std::string_view valueName);

    // The file this repair writes to; empty until its first entry is on disk.
    const std::string& File() const { return file_; }

  private:
    [[nodiscard]] bool Write(const std::vector<std::string>& entry);
    // Writes the repair's first entry to the first variant of `path` that takes it; the
    // variant written, or empty when none could be written.
    std::string WriteFirstIn(const std::string& path, const std::vector<std::string>& entry);
    // Writes the repair's first entry to `path`, with the file header when the file is new
    // and a line end first when its last line lacks one. Nothing when an existing file is
    // no importable one (`foreign` is then set).
    [[nodiscard]] bool WriteFirst(const std::string& path, const std::vector<std::string>& entry,
                                  bool& foreign);
    // The per-user backup file, its folder created; empty when there is no such folder.
    std::string UserFile();

    platform::RegistryPort& registry_;
    platform::TextFilePort& files_;
    const platform::ProcessPort& process_;
    std::string file_;
};

}  // namespace keldra::registry

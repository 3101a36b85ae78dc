#pragma once
// Removing one junk file: a plain file is emptied through a write-through open, moved
// under a dated name into its drive's root and deleted there; any other file only gets
// normal attributes and stays.

#include <string>
#include <string_view>

#include "platform/file_port.h"
#include "platform/process_port.h"

namespace keldra::disk {

class ModDestroyFile {
  public:
    ModDestroyFile(platform::FilePort& files, const platform::ProcessPort& process)
        : files_(files), process_(process) {}

    // Normal or archive, and none of read-only, hidden, system, temporary. A file that
    // cannot be asked (it does not exist) is not plain.
    bool IsPlainFile(std::string_view path);
    // The same test on attributes already read.
    static bool IsPlain(std::uint32_t attributes);
    // True when the truncating open succeeded and the file is empty afterwards.
    bool TruncateFile(std::string_view path);
    // Moves the file to the dated name in its drive's root and deletes it there. The
    // dated name is deleted only when this move made it: a file that already had that
    // name is somebody's and stays. When the move fails the file is deleted where it is.
    void RenameAndKill(std::string_view path);
    // Normal attributes; a failure is ignored.
    void ResetAttributes(std::string_view path);

    // The root followed by day, month, minute and second, two digits each, and ".del":
    // C:\07120509.del at 14:05:09 on 7 December.
    static std::string DatedName(std::string_view root, const platform::DateTime& now);

  private:
    platform::FilePort& files_;
    const platform::ProcessPort& process_;
};

}  // namespace keldra::disk

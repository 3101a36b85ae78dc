#pragma once
// Registry compaction: the registry checker is asked to optimise the registry on its next
// run by the line "Optimize=1" in its configuration file "scanreg.ini" in the Windows
// folder. One object serves one compaction, so each starts with an empty line list and an
// empty new text; the caller runs ReadINI, SetOptimize and WriteINI in this order.
//
// The file written holds the lines read, each followed by CR LF: compacting twice gives the
// same file as compacting once. It replaces the old file in one step, so a crash never
// leaves half a file. A missing file becomes an empty one where the Windows folder takes it;
// a file that is there but could not be read is left alone rather than emptied.

#include <functional>
#include <string>
#include <vector>

#include "platform/file_system_port.h"
#include "platform/text_file_port.h"
#include "platform/ui_port.h"

namespace keldra::registry {

class ScanregINI {
  public:
    // `setScreenPointer` shows the hourglass while the file is worked on.
    ScanregINI(platform::FileSystemPort& fileSystem, platform::TextFilePort& files,
               std::function<void(platform::ui::Pointer)> setScreenPointer);

    // Reads the file into the line list; nothing when it cannot be read.
    void ReadINI();
    // Rewrites optimise lines ("Optimize" or "OPTIMIZE" as the first eight characters) to
    // "Optimize=1" and builds the new text: every line followed by CR LF.
    void SetOptimize();
    // Replaces the file's content with the new text.
    void WriteINI();

    const std::vector<std::string>& Lines() const { return lines_; }
    const std::string& NewText() const { return newText_; }

  private:
    std::string Path() const;
    void SetPointer(platform::ui::Pointer pointer) const;

    platform::FileSystemPort& fileSystem_;
    platform::TextFilePort& files_;
    std::function<void(platform::ui::Pointer)> setScreenPointer_;
    std::vector<std::string> lines_;
    std::string newText_;
    bool read_ = false;
    bool hourglass_ = false;
};

}  // namespace keldra::registry

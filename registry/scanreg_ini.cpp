#include "registry/scanreg_ini.h"

#include <utility>

namespace keldra::registry {

using platform::ui::Pointer;

ScanregINI::ScanregINI(platform::FileSystemPort& fileSystem, platform::TextFilePort& files,
                       std::function<void(Pointer)> setScreenPointer)
    : fileSystem_(fileSystem), files_(files), setScreenPointer_(std::move(setScreenPointer)) {}

std::string ScanregINI::Path() const {
    std::string path = fileSystem_.WindowsDirectory();
    if (!path.empty() && path.back() != '\\') {
        path += '\\';
    }
    return path + "scanreg.ini";
}

void ScanregINI::SetPointer(Pointer pointer) const {
    if (setScreenPointer_) {
        setScreenPointer_(pointer);
    }
}

void ScanregINI::ReadINI() {
    std::vector<std::string> lines;
    read_ = files_.ReadLines(Path(), lines);
    if (!read_) {
        return;
    }
    lines_ = std::move(lines);
    SetPointer(Pointer::Hourglass);
    hourglass_ = true;
}

void ScanregINI::SetOptimize() {
    newText_.clear();
    for (std::string& line : lines_) {
        if (line.compare(0, 8, "Optimize") == 0 || line.compare(0, 8, "OPTIMIZE") == 0) {
            line = "Optimize=1";
        }
        newText_ += line;
        newText_ += "\r\n";
    }
}

void ScanregINI::WriteINI() {
    const std::string path = Path();
    // Writing the new text over a file whose lines were never read would throw them away.
    if (!read_ && files_.FileExists(path)) {
        return;
    }
    SetPointer(Pointer::Hourglass);
    if (files_.ReplaceContent(path, newText_)) {
        SetPointer(Pointer::Default);
        hourglass_ = false;
    } else if (!hourglass_) {
        SetPointer(Pointer::Default);  // as it was: the file could not even be started
    }
}

}  // namespace keldra::registry

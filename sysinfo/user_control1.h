#pragma once
// The special-folder control: a shell folder number to the folder's path, and to a fixed
// descriptive name. It draws nothing and keeps its size.

#include <string>

#include "platform/file_system_port.h"

namespace keldra::sysinfo {

class UserControl1 {
  public:
    explicit UserControl1(platform::FileSystemPort& files) : files_(files) {}

    // The folder's path with a final backslash; empty when the platform cannot find it.
    std::string SpecialFolderPath(int Folder) const;
    // The name of the folder number; empty for numbers without one (12 to 15, negative
    // numbers, numbers past 47).
    static std::string GetName(int Folder);

    // The form gives the control a size; its resize handler puts it back to 195 by 195.
    void Resize(int widthTwips, int heightTwips);
    void UserControl_Resize();
    int Width() const { return width_; }
    int Height() const { return height_; }

    static constexpr int kSizeTwips = 195;

  private:
    platform::FileSystemPort& files_;
    int width_ = kSizeTwips;
    int height_ = kSizeTwips;
};

}  // namespace keldra::sysinfo

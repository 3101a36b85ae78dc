#include "sysinfo/user_control1.h"

#include <array>
#include <string_view>

#include "sysinfo/system_texts.h"

namespace keldra::sysinfo {

namespace {

// By folder number; the empty entries are numbers the shell does not name.
constexpr std::array<std::string_view, 48> kFolderNames{
    "Desktop",
    "Internet Explorer (icon on desktop)",
    "Start Menu\\Programs",
    "My Computer\\Control Panel",
    "My Computer\\Printers",
    "My Documents",
    "{user}\\Favourites",
    "Start Menu\\Programs\\Startup",
    "{user}\\Recent",
    "{user}\\SendTo",
    "{desktop}\\Recycle Bin",
    "{user}\\Start Menu",
    "",
    "",
    "",
    "",
    "{user}\\Desktop",
    "My Computer",
    "Network Neighbourhood",
    "{user}\\nethood",
    "Windows\\fonts",
    "Templates",
    "All Users\\Start Menu",
    "All Users\\Programs",
    "All Users\\Startup",
    "All Users\\Desktop",
    "{user}\\Application Data",
    "{user}\\PrintHood",
    "{user}\\Local Settings \\ Application Data (non roaming)",
    "non localized startup",
    "Non-localized Common Startup",
    "Common Favorites",
    "Internet Cache",
    "Cookies",
    "History",
    "All Users\\Application Data",
    "Windows\\ Directory",
    "Windows\\System Directory",
    "Program Files",
    "Program Files\\My Pictures",
    "USERPROFILE",
    "x86 system directory on RISC",
    "x86 C:\\Program Files on RISC",
    "Program Files\\Common",
    "x86 Program Files\\Common on RISC",
    "All Users\\Templates",
    "All Users\\Documents",
    "Admin Tools",
};

}  // namespace

std::string UserControl1::SpecialFolderPath(int Folder) const {
    const std::string path = CutAtNull(files_.SpecialFolderPath(Folder));
    return path.empty() ? path : path + "\\";
}

std::string UserControl1::GetName(int Folder) {
    if (Folder < 0 || static_cast<std::size_t>(Folder) >= kFolderNames.size()) {
        return {};
    }
    return std::string(kFolderNames[static_cast<std::size_t>(Folder)]);
}

void UserControl1::Resize(int widthTwips, int heightTwips) {
    width_ = widthTwips;
    height_ = heightTwips;
    UserControl_Resize();
}

void UserControl1::UserControl_Resize() {
    width_ = kSizeTwips;
    height_ = kSizeTwips;
}

}  // namespace keldra::sysinfo

#pragma once
// Whether a registry text is a live reference to a file or folder. The test is lenient:
// what it cannot read as a path on drives A to T counts as valid, and a text is valid as
// soon as any of several readings of it names something that exists.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/file_system_port.h"

namespace keldra::registry {

// The text up to its first NUL; the argument is shortened in place as well.
std::string StripNulls(std::string& OriginalStr);
// The text with one trailing backslash: empty stays empty, "C:\" stays "C:\".
std::string addslash(std::string_view lzPathName);
// Blanks (not other white space) removed at both ends.
std::string TrimBlanks(std::string_view text);
// Upper case as Windows compares names.
std::string UpperText(std::string_view text);

class ReferenceChecks {
  public:
    explicit ReferenceChecks(platform::FileSystemPort& files) : files_(files) {}

    // Existence answers are remembered for one scan; call this when a scan starts.
    void Forget();

    bool CheckValid(std::string sPath);
    bool CheckInSysFolders(std::string_view sPath);
    std::string WindowsDirectory();
    bool FolderExists(std::string_view path);
    bool FileExists(std::string_view path);
    std::string SpecialFolderDir(int csidl);

  private:
    enum class Kind : char { File = 'F', Folder = 'D' };
    // The readings that cut the text at separators and extensions, as the check always had.
    bool CutReadingFound(std::string sPath);
    // Every path in the text on its own (quoted, ended by characters no path holds, names
    // with separators inside, behind prefixes); a path on a drive that is not here now
    // cannot be judged and counts as found.
    bool PathReadingFound(std::string_view text);
    // A fixed disk that is ready; absent, removable, network and CD-ROM drives are not.
    bool DriveHereNow(char letter);
    bool Exists(Kind kind, std::string_view path);
    bool AskPlatform(Kind kind, std::string_view path);
    bool AskTwin(Kind kind, std::string_view path);
    // The same place in the 32-bit system folder, for a path in the 64-bit one; empty
    // when the path does not lead into %windir%\System32\.
    std::string Wow64Twin(std::string_view path);

    platform::FileSystemPort& files_;
    std::unordered_map<std::string, bool> known_;
    std::string windowsDirectory_;
    bool windowsDirectoryKnown_ = false;
    std::optional<std::vector<platform::DriveEntry>> drives_;
    std::array<std::optional<bool>, 26> ready_{};
};

}  // namespace keldra::registry

#pragma once
// Whether a registry text is a live reference to a file or folder. The test is lenient:
// what it cannot read as a path on drives A to T counts as valid, and a text is valid as
// soon as any of several readings of it names something that exists.

#include <string>
#include <string_view>
#include <unordered_map>

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
    bool Exists(Kind kind, std::string_view path);
    bool AskPlatform(Kind kind, std::string_view path);
    // The same place in the 32-bit system folder, for a path in the 64-bit one; empty
    // when the path does not lead into %windir%\System32\.
    std::string Wow64Twin(std::string_view path);

    platform::FileSystemPort& files_;
    std::unordered_map<std::string, bool> known_;
    std::string windowsDirectory_;
    bool windowsDirectoryKnown_ = false;
};

}  // namespace keldra::registry
